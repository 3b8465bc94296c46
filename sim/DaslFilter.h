// The DASL filters of Application.AdvancedSearch that the simulation reads: comparisons
// "property op value" joined by And, Or and Not, with parentheses. The property is a schema name,
// in double quotes or bare ("urn:schemas:httpmail:subject",
// "http://schemas.microsoft.com/mapi/proptag/0x001a001e"); op is LIKE, =, <>, <, <=, > or >=;
// the value a text in single quotes (a quote inside doubled) or a number.
//
// LIKE follows Outlook's MAPI content matching, not SQL: letter case is ignored; 'text%' is a
// prefix match, '%text%' and '%text' are substring matches, no % is a whole-string match. Other
// comparisons order text without regard to case and numbers by value.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/Variant.h"
#include "sim/Model.h"

namespace sim {

struct FilterNode;

using PropertyReader = std::function<host::Variant(Model&, const ItemData&)>;

// The reader of a DASL property name; host::Error for a name the simulation does not know.
PropertyReader DaslProperty(const std::string& sName);
// The reader of a sort property of search results: a DASL name (quoted or not), or an Outlook
// property name with or without brackets ("[Subject]").
PropertyReader SortProperty(const std::string& sName);

// Whether sValue matches the LIKE pattern.
bool DaslLike(const std::string& sValue, const std::string& sPattern);

class DaslFilter {
 public:
  // An empty filter lets every item through. host::Error for text that is not a filter.
  explicit DaslFilter(const std::string& sFilter);
  bool Matches(Model& oModel, const ItemData& oItem) const;

 private:
  std::shared_ptr<const FilterNode> m_pRoot;
};

}  // namespace sim
