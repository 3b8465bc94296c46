// quillo-sim: runs the Quillo add-in inside a simulated Outlook profile and prints what
// happens, one line per event, with every diagnostic line the add-in writes.
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <memory>

#include "AllCommands.h"
#include "CommandTable.h"
#include "ProgressCommands.h"
#include "RecipientCommands.h"
#include "ScriptRunner.h"
#include "SearchCommands.h"
#include "SettingsCommands.h"
#include "SimSession.h"
#include "host/Error.h"
#include "sim/Profile.h"

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
  std::string sScreenshots;
  cli.add_option("--screenshots", sScreenshots,
                 "show forms as real windows and save a PNG of each in this folder (Windows build)");
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

  app::CommandTable oTable;
  app::RegisterAllCommands(oTable, pSession);

  app::CommandContext oContext{std::cout, [pSession]() -> sim::Outlook* { return &pSession->Outlook(); }, {}};
  if (!sRegistry.empty()) oContext.mapOptions["registry"] = sRegistry;
  if (bAdvSearchLog) oContext.mapOptions["advsearch-log"] = "3";

  std::istream& in = sScript.empty() ? std::cin : fileScript;
  int nExit =
      app::RunScript(in, sScript.empty() ? "<stdin>" : sScript, oTable, oContext, std::cerr, !bNoEcho);
  std::cout.flush();
  // An error that escaped into Outlook or a form fails the run, even when every line ran.
  if (pSession->EscapedCount() > 0) {
    std::cerr << "quillo-sim: " << pSession->EscapedCount()
              << " error(s) escaped into Outlook or the forms (the \"escaped:\" lines)\n";
    if (nExit == 0) nExit = 3;
  }
  return nExit;
}
