// The simulation's command bars exposed over IDispatch with Office's dispatch IDs and event
// interfaces (the bars' OnUpdate, the buttons' Click), for quillo-sim.exe --com and the tests.
#pragma once

namespace com::simserver {

// Makes the host's command-bar objects exposable; once per process.
void RegisterOfficeServers();

}  // namespace com::simserver
