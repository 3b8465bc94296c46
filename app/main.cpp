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

  // The real clipboard on Windows, the in-memory one elsewhere; the bars commands may put a model
  // of their own in its place.
#if defined(_WIN32)
  platform::SetClipboard(std::make_shared<platform::win32::Win32Clipboard>());
#else
  platform::SetClipboard(std::make_shared<platform::portable::ClipboardModel>());
#endif

  // Settings are read from the registry from the first event on, so it comes before Outlook.
  app::InstallSettingsRegistry(sRegistry, std::cerr);

  auto pSession =
      std::make_shared<app::SimSession>(pProfile, app::OutlookVersionFromOption(sVersion), std::cout);
  if (!sLog.empty()) pSession->Outlook().Support().SetLogFile(sLog);
  if (!app::InstallSimForms(pSession, sScreenshots, std::cerr)) return 1;

  app::CommandTable oTable;
  app::RegisterAllCommands(oTable, pSession);

  app::CommandContext oContext{std::cout, [pSession]() -> sim::Outlook* { return &pSession->Outlook(); }, {}};
  if (!sRegistry.empty()) oContext.mapOptions["registry"] = sRegistry;
  if (bAdvSearchLog) oContext.mapOptions["advsearch-log"] = "3";

  std::istream& in = sScript.empty() ? std::cin : fileScript;
  int nExit =
      app::RunScript(in, sScript.empty() ? "<stdin>" : sScript, oTable, oContext, std::cerr, !bNoEcho);
  std::cout.flush();
  return nExit;
}
