// Reads quillo-sim commands (from a script file or standard input), splits each line into
// words, and runs it through the command table. A line that cannot be run stops the run with
// its line number and the reason.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "CommandTable.h"

namespace app {

// Splits a line into words: blanks separate, "double" or 'single' quotes group (backslashes
// are ordinary characters, since folder paths are full of them). Throws UsageError for an
// unterminated quote.
std::vector<std::string> SplitWords(const std::string& sLine);

// Runs every line; returns 0, or 2 after the first line that failed (reported on sErr).
int RunScript(std::istream& in, const std::string& sScriptName, const CommandTable& oTable,
              CommandContext& oContext, std::ostream& sErr, bool bEcho);

}  // namespace app
