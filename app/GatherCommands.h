// quillo-sim's "gather": the road every command of the add-in takes, from the items of the
// active explorer (its selection, or its whole folder) to the resolved recipient list.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

void RegisterGatherCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
