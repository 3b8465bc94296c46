#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "SettingsCommands.h"
#include "support/RegistryFixture.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

class SettingsCommandsTest : public testsupport::RegistryTest {
 protected:
  void SetUp() override {
    testsupport::RegistryTest::SetUp();
    app::RegisterSettingsCommands(m_oTable);
  }
  // Runs one script line and returns what it printed. Words are split at blanks; a word in
  // braces keeps its blanks ("{two words}").
  std::string Run(const std::string& sLine) {
    std::vector<std::string> vecWords;
    std::istringstream in(sLine);
    for (std::string sWord; in >> sWord;) {
      if (sWord.front() == '{') {
        while (sWord.back() != '}' && in) {
          std::string sMore;
          in >> sMore;
          sWord += " " + sMore;
        }
        sWord = sWord.substr(1, sWord.size() - 2);
      }
      vecWords.push_back(sWord);
    }
    const app::CommandSpec* pSpec = m_oTable.Find(vecWords.at(0));
    if (!pSpec) throw app::UsageError{"no command " + vecWords[0]};
    std::ostringstream out;
    app::CommandContext ctx{out, [] { return nullptr; }, {}};
    // The registry's refusal fails the line; its message follows what the line printed first.
    try {
      pSpec->fnRun(ctx, std::vector<std::string>(vecWords.begin() + 1, vecWords.end()));
    } catch (const app::UsageError& e) {
      if (e.sMessage.rfind("ERROR: ", 0) != 0) throw;
      out << e.sMessage << "\n";
    }
    return out.str();
  }
  app::CommandTable m_oTable;
};

constexpr const char* kDone = "The operation completed successfully.\n";
constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";

TEST_P(SettingsCommandsTest, AddQueryAndDeleteLikeRegExe) {
  EXPECT_EQ(Run(R"(reg add HKCU\Software\Mardel\Quillo /v ExcludeReplied /t REG_DWORD /d 1)"), kDone);
  EXPECT_EQ(Run(R"(reg add HKCU\Software\Mardel\Quillo /v Note /d {two words})"), kDone);
  EXPECT_EQ(Run(R"(reg add HKEY_CURRENT_USER\Software\Mardel\Quillo\Sub /v Raw /t REG_BINARY /d 00FF10)"),
            kDone);
  EXPECT_EQ(Run(R"(reg add hkcu\software\mardel\quillo /v Toolbar.Left /t REG_DWORD /d -1)"), kDone);

  EXPECT_EQ(Run(R"(reg query HKCU\Software\Mardel\Quillo)"),
            "\nHKEY_CURRENT_USER\\Software\\Mardel\\Quillo\n"
            "    ExcludeReplied    REG_DWORD    0x1\n"
            "    Note    REG_SZ    two words\n"
            "    Toolbar.Left    REG_DWORD    0xffffffff\n"
            "\nHKEY_CURRENT_USER\\Software\\Mardel\\Quillo\\Sub\n");
  EXPECT_EQ(Run(R"(reg query HKCU\Software\Mardel\Quillo /v note)"),
            "\nHKEY_CURRENT_USER\\Software\\Mardel\\Quillo\n    Note    REG_SZ    two words\n");
  EXPECT_EQ(Run(R"(reg query HKCU\Software\Mardel /s)"),
            "\nHKEY_CURRENT_USER\\Software\\Mardel\n"
            "\nHKEY_CURRENT_USER\\Software\\Mardel\\Quillo\n"
            "    ExcludeReplied    REG_DWORD    0x1\n"
            "    Note    REG_SZ    two words\n"
            "    Toolbar.Left    REG_DWORD    0xffffffff\n"
            "\nHKEY_CURRENT_USER\\Software\\Mardel\\Quillo\\Sub\n"
            "    Raw    REG_BINARY    00FF10\n");

  EXPECT_EQ(Run(R"(reg delete HKCU\Software\Mardel\Quillo /v Note /f)"), kDone);
  EXPECT_EQ(Run(R"(reg delete HKCU\Software\Mardel\Quillo /v Note)"), kNotFound);
  EXPECT_EQ(Run(R"(reg query HKCU\Software\Mardel\Quillo /v Note)"),
            std::string("\nHKEY_CURRENT_USER\\Software\\Mardel\\Quillo\n") + kNotFound);
  EXPECT_EQ(Run(R"(reg delete HKCU\Software\Mardel\Quillo)"), kDone);
  EXPECT_EQ(Run(R"(reg query HKCU\Software\Mardel\Quillo)"), kNotFound);
}

TEST_P(SettingsCommandsTest, BadArgumentsAreUsageErrors) {
  for (const char* sLine :
       {"reg", "reg query", "reg list HKCU\\Software", "reg query HKXX\\Software",
        "reg add HKCU\\Software\\Mardel /v X /t REG_DWORD /d abc",
        "reg add HKCU\\Software\\Mardel /v X /t REG_DWORD /d 4294967296",
        "reg add HKCU\\Software\\Mardel /v X /t REG_QWORD /d 1",
        "reg add HKCU\\Software\\Mardel /v X /t REG_BINARY /d 0G", "reg add HKCU\\Software\\Mardel /v",
        "reg query HKCU\\Software /x", "reg delete HKCU", "options now"})
    EXPECT_THROW(Run(sLine), app::UsageError) << sLine;
  EXPECT_FALSE(testsupport::KeyExists("Software\\Mardel"));
}

TEST_P(SettingsCommandsTest, OptionsShowWhatTheAddInWouldRead) {
  std::string sFresh = Run("options");
  EXPECT_NE(sFresh.find("HKEY_CURRENT_USER\\Software\\Mardel\\Quillo\n"), std::string::npos);
  EXPECT_NE(sFresh.find("    Toolbar.RowIndex                          -1    (missing: default)\n"),
            std::string::npos)
      << sFresh;
  EXPECT_NE(sFresh.find("    CachedAction_DistributionList              0    (missing: default)\n"),
            std::string::npos)
      << sFresh;
  EXPECT_NE(sFresh.find("    CachedAction_                              0"), std::string::npos);
  // The options store's answers: the command bar switches store 0 at their first read, as they do
  // when the add-in reads them, and the test toolbar switch answers 1 for a stored 0.
  EXPECT_NE(sFresh.find("    TestToolbar                                1\n"), std::string::npos) << sFresh;
  EXPECT_NE(sFresh.find("    UseDebugButtons                            0\n"), std::string::npos) << sFresh;

  Run(R"(reg add HKCU\Software\Mardel\Quillo /v ExcludeReplied /d 1)");
  Run(R"(reg add HKCU\Software\Mardel\Quillo /v ExcludeLinkItems /t REG_DWORD /d 1)");
  std::string sSet = Run("options");
  EXPECT_NE(
      sSet.find(
          "    ExcludeReplied                             0    (stored as REG_SZ, not a number: default)\n"),
      std::string::npos)
      << sSet;
  EXPECT_NE(sSet.find("    ExcludeLinkItems                           1\n"), std::string::npos) << sSet;
}

INSTANTIATE_FOR_BACKENDS(SettingsCommandsTest);

#ifndef _WIN32
TEST(SettingsRegistryInstall, AnUnusableFileIsReportedOnceAndTheSettingsTakeTheirDefaults) {
  namespace fs = std::filesystem;
  fs::path pathFile = fs::temp_directory_path() / ("quillo-install-" + std::to_string(getpid()) + ".sqlite");
  { std::ofstream(pathFile) << "garbage, not a registry"; }
  std::ostringstream err;
  EXPECT_FALSE(app::InstallSettingsRegistry(pathFile.string(), err));
  std::string sErr = err.str();
  EXPECT_EQ(sErr.find("quillo-sim: The registry file \"" + pathFile.string() + "\" cannot be used"), 0u)
      << sErr;
  EXPECT_EQ(std::count(sErr.begin(), sErr.end(), '\n'), 1);
  platform::reg::SetRegistry(nullptr);
  fs::remove(pathFile);

  EXPECT_TRUE(app::InstallSettingsRegistry(":memory:", err));
  platform::reg::SetRegistry(nullptr);
}

#endif

}  // namespace
