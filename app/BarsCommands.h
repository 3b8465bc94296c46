// quillo-sim's command bars and clipboard: "bars" prints an explorer's bars with the add-in's
// controls, "click" clicks one of the add-in's buttons, "update" raises the bars' OnUpdate, and
// "clipboard" plays the user and other programs on the run's clipboard (an in-memory one on every
// build, so that runs print the same everywhere).
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

// Also installs the run's clipboard and lets pasted button faces take their picture from it.
void RegisterBarsCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
