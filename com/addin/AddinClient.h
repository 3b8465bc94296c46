// The host's side of a COM add-in: the add-in created by its ProgID through COM (as Outlook
// creates it from its add-in key) and driven through _IDTExtensibility2's vtable. The
// Application and the add-in instance go out over IDispatch; a failed call comes back as
// host::Error, as a host sees it.
#pragma once

#include <memory>
#include <string>

#include "host/Office.h"

namespace com::addin {

// host::Error 429 when the class is not registered or cannot be created.
std::shared_ptr<host::AddIn> CreateAddinByProgId(const std::string& sProgId);

}  // namespace com::addin
