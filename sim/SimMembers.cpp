#include "sim/SimMembers.h"

#include <algorithm>
#include <utility>

#include "host/Text.h"

namespace sim {
namespace {

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> vecRow(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) vecRow[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t nDiagonal = vecRow[0];
    vecRow[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t nAbove = vecRow[j];
      vecRow[j] = std::min({vecRow[j] + 1, vecRow[j - 1] + 1, nDiagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      nDiagonal = nAbove;
    }
  }
  return vecRow[b.size()];
}

}  // namespace

std::vector<std::string> ClosestMembers(const std::string& sName, size_t nMax) {
  const std::string sFolded = host::FoldCase(sName);
  std::vector<std::pair<size_t, const std::string*>> vecScored;
  for (const std::string& sMember : SimulatedMembers())
    vecScored.emplace_back(EditDistance(sFolded, host::FoldCase(sMember)), &sMember);
  std::stable_sort(vecScored.begin(), vecScored.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> vecClosest;
  for (size_t i = 0; i < vecScored.size() && i < nMax; ++i) vecClosest.push_back(*vecScored[i].second);
  return vecClosest;
}

}  // namespace sim
