// The Jet filters of Items.Restrict that the simulation reads: comparisons
// "[Property] op value" (op one of = <> < <= > >=, value a quoted text, a number, True or False)
// joined by And, Or and Not, with parentheses. Text compares without regard to case, ordered by
// code points (not by a language's collation).
#pragma once

#include <memory>
#include <string>

#include "sim/Model.h"

namespace sim {

struct FilterNode;

class JetFilter {
 public:
  // Throws host::Error ("Cannot parse condition ...") for anything else.
  explicit JetFilter(const std::string& sFilter);
  // Items that pass both filters.
  JetFilter(const JetFilter& oFirst, const JetFilter& oSecond);
  bool Matches(Model& oModel, const ItemData& oItem) const;

 private:
  std::shared_ptr<const FilterNode> m_pRoot;
};

}  // namespace sim
