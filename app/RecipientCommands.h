// quillo-sim's recipient commands: "resolve" runs names and addresses through the add-in's
// recipient list and prints what stays, what it resolves to and which items it came from;
// "item" prints what the item address helpers read from one item or an explorer's view;
// "redemption" installs or removes the simulated Redemption library.
//
// How "resolve" reads its words: "Name <address>" is a name with its address; a word with an "@"
// is an address that came without a name; any other word is a name alone (a list, a contact
// without address). "--id ENTRYID" makes the following words come from that item ("--id -": from
// none); "--progress" resolves under the progress window, as a command with 20 items or more.
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

void RegisterRecipientCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
