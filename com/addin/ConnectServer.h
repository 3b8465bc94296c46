// The add-in's connection class as Office sees it: _IDTExtensibility2 through its vtable and
// through IDispatch, each of the five events passed to the add-in's Connect. The Application
// Office hands over becomes the add-in's host::Application through the Outlook binding.
#pragma once

#include <memory>

#include "com/ComPtr.h"
#include "com/addin/AddinIds.h"
#include "host/Office.h"

namespace com::addin {

// A new connection object around the add-in's connection class.
ComPtr<IDispatch> CreateConnectServer(std::shared_ptr<host::AddIn> pAddIn);

}  // namespace com::addin
