#include "platform/win32/TarvikBinding.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/mGlobals.h"
#include "host/Error.h"
#include "host/Tarvik.h"
#include "platform/win32/Module.h"

namespace fs = std::filesystem;
using platform::win32::TarvikBinding;

namespace {

std::string ExeName() {
  char sPath[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, sPath, MAX_PATH);
  return fs::path(std::string(sPath, n)).filename().string();
}

// Binds the add-in's lines to a Tarvik.dll (our stand-in, next to the test) whose log is a
// fresh file of the test's own.
class TarvikBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_pathLog = fs::temp_directory_path() /
                ("tarvik-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log");
    fs::remove(m_pathLog);
    SetEnvironmentVariableA("TARVIK_LOG", m_pathLog.string().c_str());
    m_hSavedModule = host::AddinModuleHandle();
    host::SetAddinModuleHandle(platform::win32::ThisModule());
  }
  void TearDown() override {
    host::BindTarvik(m_pSaved);
    host::SetAddinModuleHandle(m_hSavedModule);
    SetEnvironmentVariableA("TARVIK_LOG", nullptr);
    fs::remove(m_pathLog);
  }
  std::shared_ptr<TarvikBinding> Bind(const std::string& sLibrary = "Tarvik.dll") {
    auto pBinding = std::make_shared<TarvikBinding>(sLibrary);
    m_pSaved = host::BindTarvik(pBinding);
    return pBinding;
  }
  std::vector<std::string> LogLines() const {
    std::ifstream oFile(m_pathLog, std::ios::binary);
    std::string sAll((std::istreambuf_iterator<char>(oFile)), std::istreambuf_iterator<char>());
    std::vector<std::string> vecLines;
    for (size_t nPos = 0, nEnd; (nEnd = sAll.find("\r\n", nPos)) != std::string::npos; nPos = nEnd + 2)
      vecLines.push_back(sAll.substr(nPos, nEnd - nPos));
    return vecLines;
  }
  // The stand-in's line for one log call of this test executable.
  static std::string LogLine(int nKind, int nLevel, int nError, const std::string& sSource,
                             const std::string& sMsg) {
    return "LogMsg\t" + ExeName() + "\t" + std::to_string(nKind) + "\t" + std::to_string(nLevel) + "\t" +
           std::to_string(nError) + "\t" + sSource + "\t" + sMsg;
  }

  fs::path m_pathLog;
  std::shared_ptr<host::SupportLibrary> m_pSaved;
  host::ModuleHandle m_hSavedModule = 0;
};

}  // namespace

TEST_F(TarvikBindingTest, TraceLinesArriveWithKindLevelAndNumber) {
  auto pBinding = Bind();
  EXPECT_FALSE(pBinding->IsLoaded());  // nothing is loaded before the first call

  mGlobals::Trace("Connect::Init", "->", 3);
  EXPECT_TRUE(pBinding->IsLoaded());
  mGlobals::Trace("Connect::AddMenu", "Add Actions Menu", 2);
  mGlobals::TraceWarning("mGlobals::sprintf", "VarType(3) <> vbString, Typename = Long");
  mGlobals::TraceError("CClipboard::Save", 5, "Invalid procedure call");
  try {
    host::Raise(host::err::ObjectNotSet);
  } catch (...) {
    mGlobals::TraceError("CExplorerMenu::Create");
  }
  mGlobals::Assert(false, "CAdvancedSearch::Resort", "HasObject");
  // UTF-8 reaches the library as Windows-1252; line breaks and tabs stay inside one line.
  mGlobals::Trace("mQuillo::Gather", "\xC3\x84rger\r\nnext\tcolumn", 1);

  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            LogLine(1, 3, 0, "Connect::Init", "->"),
                            LogLine(1, 2, 0, "Connect::AddMenu", "Add Actions Menu"),
                            LogLine(2, 1, 0, "mGlobals::sprintf", "VarType(3) <> vbString, Typename = Long"),
                            LogLine(3, 1, 5, "CClipboard::Save", "Invalid procedure call"),
                            LogLine(3, 1, 91, "CExplorerMenu::Create", host::DescriptionOf(91)),
                            LogLine(3, 1, 0, "CAdvancedSearch::Resort", "ASSERT FAILED - HasObject"),
                            LogLine(1, 1, 0, "mQuillo::Gather", "\xC4rger\\r\\nnext\\tcolumn"),
                        }));
}

TEST_F(TarvikBindingTest, HelpAboutAndProblemReportReachTheLibrary) {
  Bind();
  host::SupportLibrary& oTarvik = host::Tarvik();
  EXPECT_EQ(oTarvik.TarvikShowContextHelp(host::AddinModuleHandle(), "Change_Quillo_Options.htm"), 0);
  EXPECT_EQ(oTarvik.TarvikShowContextHelp(host::AddinModuleHandle(), ""), 0);
  struct CExplorer : host::Object {
    std::string TypeName() const override { return "Explorer"; }
  };
  EXPECT_EQ(oTarvik.TarvikAddAboutMenu(std::make_shared<CExplorer>()), 0);
  EXPECT_EQ(oTarvik.TarvikAddAboutMenu(nullptr), 0);
  EXPECT_EQ(oTarvik.TarvikReportProblem(), 0);

  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "ContextHelp\t" + ExeName() + "\tChange_Quillo_Options.htm",
                            "ContextHelp\t" + ExeName() + "\t",
                            "AddAboutMenu\texplorer",
                            "AddAboutMenu\tNothing",
                            "ReportProblem",
                        }));
}

TEST_F(TarvikBindingTest, MissingLibraryOrEntryPointChangesNothingForTheCaller) {
  for (const char* sLibrary : {"NoSuchTarvik.dll", "kernel32.dll"}) {  // no DLL; a DLL without the names
    SCOPED_TRACE(sLibrary);
    auto pBinding = Bind(sLibrary);
    mGlobals::Trace("Connect::Init", "->", 3);
    mGlobals::TraceError("CClipboard::Save", 5, "Invalid procedure call");
    EXPECT_EQ(host::Tarvik().TarvikShowContextHelp(host::AddinModuleHandle(), "x.htm"), 0);
    EXPECT_EQ(host::Tarvik().TarvikAddAboutMenu(nullptr), 0);
    EXPECT_EQ(host::Tarvik().TarvikReportProblem(), 0);
    // The caller's own state is untouched: formatting still works and reports through the void.
    EXPECT_EQ(mGlobals::sprintf("[%d of %d]", 3, 10), "[3 of 10]");
    EXPECT_FALSE(fs::exists(m_pathLog));
  }
}
