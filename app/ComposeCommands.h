// quillo-sim's message and list windows: "inspectors" lists the inspectors the add-in's
// commands opened, "inspector N" shows one as the user reads it and lets the user send, save or
// close it (or type a subject), and "trackers" shows the add-in's reply trackers.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

void RegisterComposeCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
