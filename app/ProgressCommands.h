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

namespace app {

// Installs the forms backend for the run; call it before the add-in starts. sScreenshotDir is
// the --screenshots option: empty for the portable backend; otherwise (Windows only) real
// windows, each form saved there as a PNG when shown. False, with the reason on errOut, when
// the option cannot be honoured.
bool InstallSimForms(std::shared_ptr<SimSession> pSession, const std::string& sScreenshotDir,
                     std::ostream& errOut);

void RegisterProgressCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

// Prints the progress window's caption, stage text and bar whenever its stage changes, and its
// last state when it closes, until the returned connection is released; for commands that run
// the add-in's own operations.
host::Connection EchoProgressStages(std::shared_ptr<SimSession> pSession);

}  // namespace app
