// Every command group of quillo-sim, registered in one place for the program and the scenario
// tests alike.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

void RegisterAllCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
