// One run of quillo-sim: the simulated Outlook on a profile, the add-in it loads, and the
// services the add-in reaches (message loop, message boxes, support library) installed for
// the process.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "CommandTable.h"
#include "host/Office.h"
#include "platform/portable/ScriptedBoxes.h"
#include "platform/portable/VirtualLoop.h"
#include "sim/Outlook.h"

namespace app {

class SimSession {
 public:
  SimSession(std::shared_ptr<const sim::Profile> pProfile, const std::string& sVersion, std::ostream& out);
  ~SimSession();

  sim::Outlook& Outlook() { return *m_pOutlook; }
  platform::portable::VirtualLoop& Loop() { return *m_pLoop; }
  platform::portable::ScriptedBoxes& Boxes() { return *m_pBoxes; }
  std::ostream& Out() { return m_out; }

  // Outlook starts and loads the add-in (once per run).
  void Start();
  bool Started() const { return m_bStarted; }
  // What a command line needs first; a UsageError that says what to do otherwise.
  void NeedStarted() const;
  void NeedConnected() const;
  // The number of an open explorer, from a script word.
  int ExplorerNumber(const std::string& s);
  // Shuts Outlook down if the script left it running (also done by the destructor); errors that
  // escape on the way are still counted.
  void Finish();
  // Where Start gets the add-in from (quillo-sim --com: Quillo.dll through COM); the process's
  // own "Quillo.Connect" when unset.
  std::function<std::shared_ptr<host::AddIn>()> fnCreateAddIn;
  // Reads the lines an add-in outside this process has written so far (quillo-sim --com), so
  // they print before anything that comes after them.
  std::function<void()> fnCollectAddinLines;
  // Lets go of the add-in (a COM add-in's DLL may then unload).
  void ReleaseAddIn() { m_pAddIn.reset(); }

  // Prints each diagnostic line as the add-in writes it (on by default).
  void SetEchoLog(bool bEcho) { m_bEchoLog = bEcho; }

  // Every error that escaped into Outlook or the forms backend is printed as it happens
  // ("escaped: SOURCE NUMBER DESCRIPTION"); a run with any ends with a non-zero exit.
  // Called once the forms backend of the run is installed.
  void WatchFormsBackend();
  int EscapedCount() const { return m_nEscaped; }
  // "escaped: ..." lines of every error so far, Outlook's first, then the forms backend's.
  void ShowEscapes();
  static std::string EscapedLine(const std::string& sSource, const host::ErrorInfo& oError);

  static std::string KindName(int32_t nKind);
  // "<kind> <level> | <source> | <message>[ | error <n>]", line breaks in the message shown as \n.
  static std::string FormatLine(const sim::LogLine& oLine);

 private:
  std::ostream& m_out;
  std::shared_ptr<platform::portable::VirtualLoop> m_pLoop;
  std::shared_ptr<platform::portable::ScriptedBoxes> m_pBoxes;
  std::unique_ptr<sim::Outlook> m_pOutlook;
  std::shared_ptr<host::AddIn> m_pAddIn;
  bool m_bStarted = false;
  bool m_bEchoLog = true;
  int m_nEscaped = 0;
};

// Maps "2000", "2002", "2003" to Outlook's version strings; anything else passes unchanged.
std::string OutlookVersionFromOption(const std::string& sOption);

}  // namespace app
