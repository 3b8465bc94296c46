// Item properties by their Outlook names ("Subject", "MessageClass", "FullName", ...), as
// Restrict, Sort and searches read them from the model.
#pragma once

#include <functional>
#include <string_view>

#include "host/Variant.h"
#include "sim/Model.h"

namespace sim {

// The value of a named property of an item: text or a number. Throws host::Error for a name the
// simulation does not know.
host::Variant PropertyOf(Model& oModel, const ItemData& oItem, std::string_view sName);
bool IsKnownProperty(std::string_view sName);
// The reader of a named property, found once for reading it from many items; throws like
// PropertyOf for an unknown name.
std::function<host::Variant(Model&, const ItemData&)> PropertyReaderOf(std::string_view sName);
// The MAPI tag of a named property that is the text of one tag of the item's property bag (what
// its reader returns is that text, "" when absent); 0 for every other property. Restrict and
// Sort read these straight from the bag, which a pass over a large folder notices.
int32_t TextTagOf(std::string_view sName);
// The order of two property values: numbers by value, anything else as text without regard to
// case; negative, 0 or positive.
int CompareValues(const host::Variant& a, const host::Variant& b);
// The same in two steps, for sorting many items: each value's key once, then key against key.
host::Variant OrderKey(const host::Variant& v);
int CompareKeys(const host::Variant& a, const host::Variant& b);

}  // namespace sim
