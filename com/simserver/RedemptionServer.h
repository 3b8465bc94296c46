// The simulation's Redemption library as COM classes: its objects exposed over IDispatch, and a
// class object for each of its ProgIDs registered with COM for this process, so that a COM
// client in the process (Quillo.dll) creates them by ProgID as it would the real library.
#pragma once

#include <string>

namespace com::simserver {

// Makes the host's Redemption objects exposable; once per process.
void RegisterRedemptionServers();

// Registers the class objects with COM and the ProgIDs under the class keys (where no other
// class holds them already). Creating an object asks the process's object registry, so the
// library switched off in the simulation fails with 429 over COM too. Returns "" or why not.
std::string RegisterRedemptionClasses();
// Revokes the class objects and removes the keys that RegisterRedemptionClasses wrote.
void UnregisterRedemptionClasses();

}  // namespace com::simserver
