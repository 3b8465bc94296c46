// quillo-sim's choose-list dialog: "chooser" opens it through ShowChooseDList, as the "Existing
// Distribution List" command does, and prints what it returned; "at chooser ..." queues what the
// user does in it whenever it waits for the user, in order, and the dialog is printed after each
// action (the tree with its selected node, the grid's rows drawn and not yet drawn, the enabled
// buttons, the search text). Without queued actions the dialog is closed by its close box.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

void RegisterChooserCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
