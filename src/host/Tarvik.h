// The maker's support library "Tarvik": a closed DLL bound by name at the first call of each of
// its functions, ANSI strings. The add-in reaches it only through this interface; on Windows the
// binding loads the DLL, in the simulation it is a recording stand-in. No entry point may throw
// into the caller: a missing library or function is silently skipped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/Object.h"

namespace host {

// An HINSTANCE as an integer, so that nothing here needs windows.h.
using ModuleHandle = intptr_t;

class SupportLibrary {
 public:
  virtual ~SupportLibrary() = default;
  // Strings are already ANSI (Windows-1252) here.
  virtual int32_t TarvikLogMsg(ModuleHandle hInstance, const std::string& sMessage, int32_t nError,
                               const std::string& sSource, int32_t nKind, int32_t nLevel) = 0;
  virtual int32_t TarvikShowContextHelp(ModuleHandle hInstance, const std::string& sTopic) = 0;
  // 0 once the About entry exists in the explorer's menus.
  virtual int32_t TarvikAddAboutMenu(const std::shared_ptr<Object>& oExplorer) = 0;
  virtual int32_t TarvikReportProblem() = 0;
};

// The binding in use. Until one is installed every call is dropped.
SupportLibrary& Tarvik();
// Installs a binding for the process (the DLL loader on Windows, the stand-in in the
// simulation); nullptr returns to dropping calls. Returns the previous one.
std::shared_ptr<SupportLibrary> BindTarvik(std::shared_ptr<SupportLibrary> pLibrary);

// The add-in library's own module instance handle, passed as the first argument.
ModuleHandle AddinModuleHandle();
void SetAddinModuleHandle(ModuleHandle h);

}  // namespace host
