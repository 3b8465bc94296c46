// quillo-sim's settings: the registry the add-in's settings live in, and the commands "reg"
// (query, add and delete keys and values, like Windows' reg.exe) and "options" (every value the
// add-in's options read, with the default it takes when the value is missing).
#pragma once

#include <ostream>
#include <string>

#include "CommandTable.h"

namespace app {

// Opens the registry of this run and installs it for the process; call it before anything
// reads a setting. sPath is the --registry option: a file, ":memory:" for a registry that
// lasts the run, or empty for DefaultRegistryPath(). On Windows the real registry is used and
// a path is refused. A registry that cannot be used is reported once on errOut and the
// settings take their defaults; the result is then false.
bool InstallSettingsRegistry(const std::string& sPath, std::ostream& errOut);

// $XDG_CONFIG_HOME/quillo/registry.sqlite, else ~/.config/quillo/registry.sqlite.
std::string DefaultRegistryPath();

void RegisterSettingsCommands(CommandTable& oTable);

}  // namespace app
