// quillo-sim --com: the same scripts with the add-in loaded from the registered Quillo.dll by
// CoCreateInstance("Quillo.Connect"), every call between it and the simulated Outlook crossing
// COM. The simulation's Outlook, command bars and Redemption are served over IDispatch from
// this process; the add-in's lines come through Tarvik.dll and are printed as the simulation's
// own. Commands that reach into the add-in's own objects cannot cross the DLL's boundary: with
// --com they print why they do not run, and the script goes on.
#pragma once

#include <memory>
#include <ostream>

#include "CommandTable.h"
#include "SimSession.h"

namespace app {

class ComRun {
 public:
  virtual ~ComRun() = default;
};

// Prepares the process for a --com run (the servers, Redemption's classes, the two DLLs
// registered for the run where they were not, the add-in's log file); nullptr after a message on
// errOut when that cannot be done (and always outside Windows).
std::unique_ptr<ComRun> PrepareComRun(std::shared_ptr<SimSession> pSession, std::ostream& errOut);

// After the whole run, with the add-in released: true when no object of the simulated Outlook is
// still held across the boundary and Quillo.dll holds nothing either; what is left is printed.
bool CheckComBalance(ComRun& oRun, std::ostream& out);

// The commands that reach into the add-in's objects, replaced for a --com run.
void RegisterComCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession);

}  // namespace app
