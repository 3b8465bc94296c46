#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/Text.h"
#include "sim/SupportLibraryStandIn.h"

namespace {

TEST(SupportLibraryStandIn, RecordsLinesInUtf8AndAppendsThemToTheLogFile) {
  auto sPath = (std::filesystem::temp_directory_path() / "quillo_standin_test.log").string();
  std::filesystem::remove(sPath);
  sim::SupportLibraryStandIn o;
  std::vector<std::string> vecEchoed;
  o.fnOnLine = [&](const sim::LogLine& l) { vecEchoed.push_back(l.sSource); };
  o.SetLogFile(sPath);
  o.TarvikLogMsg(0, host::Utf8ToAnsi("Grüße\nzwei Zeilen"), 91, host::Utf8ToAnsi("Müller::Run"), 3, 1);
  o.TarvikLogMsg(0, "->", 0, "Connect::AddMenu", 1, 3);
  o.SetLogFile("");
  o.TarvikLogMsg(0, "not in the file", 0, "X", 2, 2);

  ASSERT_EQ(o.Lines().size(), 3u);
  EXPECT_EQ(o.Lines()[0].sMessage, "Grüße\nzwei Zeilen");
  EXPECT_EQ(o.Lines()[0].sSource, "Müller::Run");
  EXPECT_EQ(o.Lines()[0].nError, 91);
  EXPECT_EQ(vecEchoed, (std::vector<std::string>{"Müller::Run", "Connect::AddMenu", "X"}));
  std::ifstream in(sPath, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(),
            "ERROR L1 Müller::Run: Grüße\\nzwei Zeilen [error 91]\nDEBUG L3 Connect::AddMenu: ->\n");
  in.close();
  std::filesystem::remove(sPath);
  EXPECT_THROW(o.SetLogFile((std::filesystem::temp_directory_path() / "no" / "such" / "dir.log").string()),
               std::runtime_error);
}

TEST(SupportLibraryStandIn, RecordsHelpAboutAndProblemReports) {
  sim::SupportLibraryStandIn o;
  o.TarvikShowContextHelp(0, "Change_Quillo_Options.htm");
  o.TarvikShowContextHelp(0, "");
  EXPECT_EQ(o.HelpTopics(), (std::vector<std::string>{"Change_Quillo_Options.htm", ""}));
  EXPECT_EQ(o.TarvikAddAboutMenu(nullptr), 0);
  o.SetAboutResult(1);
  EXPECT_EQ(o.TarvikAddAboutMenu(nullptr), 1);
  EXPECT_EQ(o.AboutCalls(), 2);
  o.TarvikReportProblem();
  EXPECT_EQ(o.ProblemReports(), 1);
}

}  // namespace
