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

// Any object of the model as the host interface its Class names.
std::shared_ptr<host::OutlookObject> BindOutlookObject(const std::shared_ptr<host::Object>& p);

}  // namespace com::outlook
