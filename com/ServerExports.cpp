// The four exports COM and regsvr32 look for in an in-process server DLL, made of the module
// the DLL describes in ThisServerModule. Built into each server DLL (not into a library, where
// the linker would have no reason to pull it in).
#include <windows.h>

#include "com/Module.h"

extern "C" {

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return com::GetClassObject(com::ThisServerModule().vecClasses, rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow() {
  return com::CanUnloadNow();
}

STDAPI DllRegisterServer() {
  try {
    return com::RegisterServer(com::ThisServerModule(),
                               com::ModuleOf(reinterpret_cast<const void*>(&DllRegisterServer)));
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllUnregisterServer() {
  try {
    return com::UnregisterServer(com::ThisServerModule());
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // extern "C"
