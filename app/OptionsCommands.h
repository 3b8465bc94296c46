// quillo-sim's Options dialog: "options dialog" opens it as the Options buttons do, and
// "at options ..." queues what the user does in it the next time it waits for the user (check
// or uncheck a box, click a button, press a key, use the close box). The dialog is printed when
// it opens and the stored settings when it closes.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

// Register after the settings group, whose "options" gets the "dialog" form; "at" gets the
// dialog's forms whatever the order.
void RegisterOptionsCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
