// quillo-sim: runs the Quillo add-in inside a simulated Outlook profile and prints what
// happens, one line per event, with every diagnostic line the add-in writes.
#include <CLI/CLI.hpp>
#include <charconv>
#include <fstream>
#include <iostream>
#include <memory>

#include "AllCommands.h"
#include "ComCommands.h"
#include "CommandTable.h"
#include "ProgressCommands.h"
#include "RecipientCommands.h"
#include "ScriptRunner.h"
#include "SearchCommands.h"
#include "SettingsCommands.h"
#include "SimSession.h"
#include "host/Error.h"
#include "platform/Clipboard.h"
#include "sim/Profile.h"
#if defined(_WIN32)
#include "platform/win32/Win32Clipboard.h"
#else
#include "platform/portable/ClipboardModel.h"
#endif

int main(int argc, char** argv) {
  CLI::App cli{"quillo-sim: runs the Quillo add-in inside a simulated Outlook profile"};
  std::string sProfile, sVersion, sScript, sLog, sRegistry;
  bool bNoEcho = false;
  cli.add_option("--profile", sProfile, "JSON profile (default: the built-in demo profile)");
  cli.add_option("--outlook-version", sVersion, "2000, 2002, 2003 or a version string such as 11.0.5608");
  cli.add_option("--script", sScript, "file of commands (default: commands on standard input)");
  cli.add_option("--log", sLog, "also append every diagnostic line to this file");
  cli.add_option("--registry", sRegistry, "registry file for the add-in's settings (:memory: for one run)");
  cli.add_flag("--no-echo", bNoEcho, "do not repeat each command before its output");
  bool bAdvSearchLog = false;
  cli.add_flag("--advsearch-log", bAdvSearchLog,
               "the search component logs to its file (DebugTarget 3); 'search' prints its new lines");
  std::string sFault, sCalls;
  cli.add_option("--fault", sFault,
                 "MEMBER@N or MEMBER@always: the member fails at its Nth call or always, from the start");
  cli.add_option("--calls", sCalls,
                 "at the end, write every simulated member called, with its count, to this file");
  std::string sScreenshots;
  cli.add_option("--screenshots", sScreenshots,
                 "show forms as real windows and save a PNG of each in this folder (Windows build)");
  bool bCom = false;
  cli.add_flag(
      "--com", bCom,
      "load the add-in from the registered Quillo.dll through COM (Windows build); commands that reach "
      "into the add-in say they are not available");
  CLI11_PARSE(cli, argc, argv);

  std::shared_ptr<const sim::Profile> pProfile;
  try {
    pProfile = sProfile.empty() ? sim::DemoProfile() : sim::LoadProfile(sProfile);
  } catch (const std::exception& e) {
    std::cerr << "quillo-sim: " << e.what() << "\n";
    return 1;
  }

  std::ifstream fileScript;
  if (!sScript.empty()) {
    fileScript.open(sScript);
    if (!fileScript) {
      std::cerr << "quillo-sim: cannot read the script " << sScript << "\n";
      return 1;
    }
  }

  // The real clipboard on Windows, the in-memory one elsewhere; the bars commands may put a model
  // of their own in its place.
#if defined(_WIN32)
  platform::SetClipboard(std::make_shared<platform::win32::Win32Clipboard>());
#else
  platform::SetClipboard(std::make_shared<platform::portable::ClipboardModel>());
#endif

  // Settings are read from the registry from the first event on, so it comes before Outlook.
  // A registry file that cannot be used leaves the settings at their defaults; on Windows a
  // --registry the program cannot honour stops it, so a run never writes where it was told not to.
  bool bRegistry = app::InstallSettingsRegistry(sRegistry, std::cerr);
#ifdef _WIN32
  if (!bRegistry) return 1;
#else
  (void)bRegistry;
#endif

  std::shared_ptr<app::SimSession> pSession;
  try {
    pSession =
        std::make_shared<app::SimSession>(pProfile, app::OutlookVersionFromOption(sVersion), std::cout);
  } catch (const host::Error& e) {
    std::cerr << "quillo-sim: --outlook-version " << sVersion << ": " << e.Description()
              << " (2000, 2002, 2003 or a version string such as 11.0.5608)\n";
    return 1;
  }
  if (!sLog.empty()) {
    try {
      pSession->Outlook().Support().SetLogFile(sLog);
    } catch (const std::exception& e) {
      std::cerr << "quillo-sim: --log " << sLog << ": " << e.what() << "\n";
      return 1;
    }
  }
  if (!app::InstallSimForms(pSession, sScreenshots, std::cerr)) return 1;
  pSession->WatchFormsBackend();

  if (!sFault.empty()) {
    // The fault sweep's way in: one rule before the first line runs.
    const size_t nAt = sFault.rfind('@');
    const std::string sMember = sFault.substr(0, nAt);
    const std::string sWhen = nAt == std::string::npos ? "" : sFault.substr(nAt + 1);
    int nCall = 0;
    if (sWhen != "always") {
      auto [p, ec] = std::from_chars(sWhen.data(), sWhen.data() + sWhen.size(), nCall);
      if (ec != std::errc() || p != sWhen.data() + sWhen.size() || nCall < 1) {
        std::cerr << "quillo-sim: --fault " << sFault << ": MEMBER@N (N from 1) or MEMBER@always\n";
        return 1;
      }
    }
    if (sWhen == "always")
      pSession->Outlook().Faults().FailAlways(sMember);
    else
      pSession->Outlook().Faults().FailNth(sMember, nCall);
  }

  app::CommandTable oTable;
  app::RegisterAllCommands(oTable, pSession);
  std::unique_ptr<app::ComRun> pComRun;
  if (bCom) {
    pComRun = app::PrepareComRun(pSession, std::cerr);
    if (!pComRun) return 1;
    app::RegisterComCommands(oTable, pSession);
  }

  app::CommandContext oContext{std::cout, [pSession]() -> sim::Outlook* { return &pSession->Outlook(); }, {}};
  if (!sRegistry.empty()) oContext.mapOptions["registry"] = sRegistry;
  if (bAdvSearchLog) oContext.mapOptions["advsearch-log"] = "3";

  std::istream& in = sScript.empty() ? std::cin : fileScript;
  int nExit =
      app::RunScript(in, sScript.empty() ? "<stdin>" : sScript, oTable, oContext, std::cerr, !bNoEcho);
  pSession->Finish();
  // Across COM, a whole run gives back every object it was handed.
  if (pComRun && !app::CheckComBalance(*pComRun, std::cout) && nExit == 0) nExit = 4;
  pComRun.reset();
  std::cout.flush();
  if (!sCalls.empty()) {
    std::ofstream fileCalls(sCalls, std::ios::trunc);
    for (const auto& [sMember, nCount] : pSession->Outlook().Faults().AllCalls())
      fileCalls << sMember << " " << nCount << "\n";
    if (!fileCalls) {
      std::cerr << "quillo-sim: --calls " << sCalls << ": the file cannot be written\n";
      if (nExit == 0) nExit = 1;
    }
  }
  // An error that escaped into Outlook or a form fails the run with its own code, 3, whether or
  // not every line ran.
  if (pSession->EscapedCount() > 0) {
    std::cerr << "quillo-sim: " << pSession->EscapedCount()
              << " error(s) escaped into Outlook or the forms (the \"escaped:\" lines)\n";
    nExit = 3;
  }
  return nExit;
}
