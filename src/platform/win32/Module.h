// The module (EXE or DLL) that holds the add-in's code, found from an address inside it: the
// add-in is linked into one module, so the platform code's own address tells which it is.
#pragma once

#include "host/Tarvik.h"

namespace platform::win32 {

// The module instance handle of the module that contains this code; 0 if it cannot be found.
host::ModuleHandle ThisModule();

}  // namespace platform::win32
