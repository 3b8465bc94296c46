// quillo-sim's forms and progress window: the forms backend of the run (state only, or real
// windows with a screenshot of each form on Windows), every form printed as it is shown, and
// the commands "progress" (runs the progress window through a command's stages) and "at"
// (a user action performed when the progress window reaches a stage and step).
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "CommandTable.h"
#include "SimSession.h"
#include "host/Event.h"

namespace platform {
class Control;
class Form;
}  // namespace platform

namespace app {

// Installs the forms backend for the run; call it before the add-in starts. sScreenshotDir is
// the --screenshots option: empty for the portable backend; otherwise (Windows only) real
// windows, each form saved there as a PNG when shown. False, with the reason on errOut, when
// the option cannot be honoured.
bool InstallSimForms(std::shared_ptr<SimSession> pSession, const std::string& sScreenshotDir,
                     std::ostream& errOut);

// Saves a picture of a shown form as --screenshots asked for (the next number, the form's
// name) and prints its path; nothing without the option.
void ScreenshotForm(platform::Form& oForm, std::ostream& out);

void RegisterProgressCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

// A control of a form as a script names it: by its name (btnCancel) or by the caption a user
// reads (Cancel); nullptr when there is none.
platform::Control* ControlNamed(platform::Form& oForm, const std::string& sWhich);

// Whether the progress window is on screen.
bool ProgressWindowOpen();

// While it lives, prints the progress window's caption, stage text and bar whenever a new stage
// shows, and "progress window closed" when the window really closes (unloaded or hidden); for
// commands that run the add-in's own operations.
class ProgressEcho {
 public:
  explicit ProgressEcho(SimSession& oSession);
  ~ProgressEcho();
  ProgressEcho(const ProgressEcho&) = delete;
  ProgressEcho& operator=(const ProgressEcho&) = delete;
  // Looks again: a close that changed no control is seen here.
  void Update();

 private:
  SimSession& m_oSession;
  host::Connection m_cnChanged;
  bool m_bWasOpen = false;
  int m_nLastStage = 0;
};

}  // namespace app
