// quillo-sim's search commands. "search" runs an advanced search the way the add-in does: the
// scope from CAdvancedSearch::CalcScope, then SyncSearch through the search component found by
// its ProgID, and prints every AdvancedSearchComplete that arrives during the wait, the results
// in order, and (with the run's --advsearch-log) the lines the component wrote to its own log.
// "advsearch register|unregister" installs or removes the component.
//
// A filter holds double quotes of its own; the script line groups quoted parts that touch, so
// '"urn:schemas:httpmail:subject"'" LIKE '%project%'" is one word, and Outlook also takes the
// property name bare: "urn:schemas:httpmail:subject LIKE '%project%'".
#pragma once

#include <memory>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

// Also registers the search component in the process, as installing it would.
void RegisterSearchCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
