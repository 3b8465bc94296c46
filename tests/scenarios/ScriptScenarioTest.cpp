// quillo-sim scripts run end to end, the way a person runs them: the demo script, and the
// refusal of lines that cannot be run.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "AllCommands.h"
#include "ProgressCommands.h"
#include "ScriptRunner.h"
#include "SimSession.h"
#include "addin/Connect.h"
#include "host/Tarvik.h"
#include "support/ScratchRegistry.h"

namespace {

struct ScriptRun {
  int nExit = 0;
  std::string sOut;
  std::string sErr;
};

ScriptRun RunText(const std::string& sScript) {
  std::ostringstream out, err;
  ScriptRun oRun;
  {
    // Settings live for the run only: scenarios never touch a real setting.
    testsupport::InstallScratchRegistry();
    auto pSession = std::make_shared<app::SimSession>(sim::DemoProfile(), "", out);
    EXPECT_TRUE(app::InstallSimForms(pSession, "", err));
    app::CommandTable oTable;
    app::RegisterAllCommands(oTable, pSession);
    app::CommandContext oContext{out, [pSession]() -> sim::Outlook* { return &pSession->Outlook(); }, {}};
    std::istringstream in(sScript);
    oRun.nExit = app::RunScript(in, "test.script", oTable, oContext, err, true);
    // Whatever the script left running, Outlook goes away with the run.
    if (pSession->Outlook().AddInConnected()) pSession->Outlook().Quit();
    EXPECT_TRUE(pSession->Outlook().EscapedErrors().empty());
  }
  testsupport::RemoveScratchRegistry();
  oRun.sOut = out.str();
  oRun.sErr = err.str();
  return oRun;
}

size_t Count(const std::string& s, const std::string& sPart) {
  size_t n = 0;
  for (size_t p = s.find(sPart); p != std::string::npos; p = s.find(sPart, p + 1)) ++n;
  return n;
}

TEST(ScriptScenario, DemoScriptFollowsEveryExplorerAndShutsDownCleanly) {
  std::ifstream in(QUILLO_SOURCE_DIR "/app/demo.script");
  ASSERT_TRUE(in) << "demo script not found";
  std::stringstream ss;
  ss << in.rdbuf();
  ScriptRun oRun = RunText(ss.str());
  ASSERT_EQ(oRun.nExit, 0) << oRun.sErr;
  EXPECT_EQ(Count(oRun.sOut, "log error"), 0u) << oRun.sOut;
  EXPECT_EQ(Count(oRun.sOut, "| Connect::Init | ->"), 2u);  // start-up explorer, then after reopening
  EXPECT_EQ(Count(oRun.sOut, "| Connect::AddMenu | ->"), 3u);
  EXPECT_EQ(Count(oRun.sOut, "mode = wait new explorer"), 1u);
  EXPECT_EQ(Count(oRun.sOut, "mode = full"), 2u);
  EXPECT_NE(oRun.sOut.find("waiting for its first activation"), std::string::npos);
  EXPECT_NE(oRun.sOut.find("Explorers: 0; add-in: waiting for an explorer"), std::string::npos);
  EXPECT_NE(oRun.sOut.find("Explorers: 0; add-in: not connected"), std::string::npos);
  EXPECT_EQ(g_oConnect, nullptr);
}

TEST(ScriptScenario, LinesThatCannotRunStopTheScriptWithTheirNumberAndReason) {
  struct Case {
    const char* pszScript;
    const char* pszReason;
  } arrCases[] = {
      {"start\nfrobnicate\n", "unknown command 'frobnicate'"},
      {"start\nexplorer close 7\n", "there is no explorer 7"},
      {"start\nexplorer activate x\n", "explorer number must be a number"},
      {"start\nexplorer open \"\\Nowhere\\Inbox\n", "unterminated quote"},
      {"start\nexplorer open \\Nowhere\\Inbox\n", "Nowhere"},
      {"start\nstart\n", "already started"},
      {"shutdown\n", "has not started"},
      {"start\nanswer maybe\n", "unknown answer 'maybe'"},
  };
  for (const auto& oCase : arrCases) {
    ScriptRun oRun = RunText(oCase.pszScript);
    EXPECT_EQ(oRun.nExit, 2) << oCase.pszScript;
    EXPECT_NE(oRun.sErr.find("test.script:"), std::string::npos) << oRun.sErr;
    EXPECT_NE(oRun.sErr.find(oCase.pszReason), std::string::npos) << oRun.sErr;
  }
}

TEST(ScriptScenario, FaultsInjectedFromAScriptNeverEscapeIntoOutlook) {
  ScriptRun oRun = RunText(
      "fault Explorer.CurrentFolder --always\n"
      "start\n"
      "explorer open \"\\Mailbox - Jane Doe\\Calendar\" --activate\n"
      "fault clear\n"
      "fault * --every 3\n"
      "explorer close 2\n"
      "explorer close 1\n"
      "fault clear\n"
      "shutdown\n");
  EXPECT_EQ(oRun.nExit, 0) << oRun.sErr;
  EXPECT_NE(oRun.sOut.find("fault injected: Explorer.CurrentFolder"), std::string::npos);
  EXPECT_EQ(g_oConnect, nullptr);
}

}  // namespace
