// quillo-sim's "wheel": one wheel message through the add-in's wheel hook on a stand-in grid
// window, printing the scroll messages the hook sends to the grid.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

void RegisterWheelCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
