// quillo-sim's folder item source and mailbox changes. "folder-items" runs COutlookItems on a
// folder (restricted and sorted, or through an advanced search) and prints its mode, Count and
// items; the list stays bound to its folder until the next "folder-items" (or "folder-items
// done"), and every OnChange it raises is printed. "item add|change|move|delete" change the
// mailbox as a user would, so the folder's Items raise ItemAdd, ItemChange and ItemRemove.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

// Adds the add, change, move and delete forms to the recipient group's "item" command.
void RegisterFolderItemsCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
