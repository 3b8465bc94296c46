// The dialog in which the user picks the distribution list that the "Existing Distribution List"
// command fills.
//
// Until the dialog itself is part of the add-in this file only holds its entry point, which
// answers as a dialog closed without a choice.
#pragma once

#include <memory>

#include "host/Outlook.h"

// Shows the dialog modally; the list the user chose, or Nothing.
std::shared_ptr<host::DistListItem> ShowChooseDList();
