// The Outlook object model over IDispatch: the host interfaces bound by member name to a real
// Outlook (or anything that answers like one), events sunk through connection points with
// Outlook's event interfaces.
#pragma once

#include <memory>

#include "com/ComPtr.h"
#include "host/Outlook.h"

namespace com::outlook {

// Makes the bound interfaces available to com::Bind; once per module.
void RegisterBinders();

// Any object of the model as the host interface of its kind: the dual interface it answers
// to, or else its Class.
std::shared_ptr<host::OutlookObject> BindOutlookObject(const std::shared_ptr<host::Object>& p);
// An item as the host interface of its kind, told by its dual interface alone (no call into the
// object model); an item of no known kind is a GenericItem.
std::shared_ptr<host::OutlookItem> BindItem(const std::shared_ptr<host::Object>& p);

}  // namespace com::outlook
