// What the COM tests share: the simulation's Outlook and Office served over COM, and the
// server DLLs beside the test program called by their exports. Include after the simulation's
// headers: it brings in windows.h.
#pragma once

#include <windows.h>

#include <string>

#include "com/Bridge.h"
#include "com/Module.h"
#include "com/simserver/OfficeServer.h"
#include "com/simserver/OutlookServer.h"

namespace comtest {

// COM on this thread, and the simulated Outlook objects and command bars exposable over it.
inline void ServeOutlookAndOffice() {
  com::EnsureComInitialized();
  com::simserver::RegisterOutlookServers();
  com::simserver::RegisterOfficeServers();
}

// The path of the DLL sFile in the test program's folder.
inline std::wstring DllBesideTests(const wchar_t* sFile) {
  std::wstring s = com::ModulePath(GetModuleHandleW(nullptr));
  return s.substr(0, s.find_last_of(L"\\/") + 1) + sFile;
}

// Loads the DLL, calls its export sName (no arguments, an HRESULT back, as the Dll* exports
// are) and unloads it again; E_FAIL when the DLL or the export is missing.
inline HRESULT CallDllExport(const std::wstring& sPath, const char* sName) {
  HMODULE h = LoadLibraryW(sPath.c_str());
  if (!h) return E_FAIL;
  auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(h, sName)));
  HRESULT hr = fn ? fn() : E_FAIL;
  FreeLibrary(h);
  return hr;
}

}  // namespace comtest
