// The names of the simulated host members ("Explorer.Activate", "MailItem.Subject",
// "Redemption.SafeMailItem"), read from the simulation's sources when it is built: what a fault
// can be injected into. Sorted.
#pragma once

#include <string>
#include <vector>

namespace sim {

const std::vector<std::string>& SimulatedMembers();

// The known names closest to sName (by edit distance, letter case ignored), at most nMax.
std::vector<std::string> ClosestMembers(const std::string& sName, size_t nMax = 3);

}  // namespace sim
