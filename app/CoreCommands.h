// The commands that drive the simulated Outlook and show what the add-in did: start,
// explorer open/activate/close/switch, select, shutdown, answer, fault, show.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

void RegisterCoreCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
