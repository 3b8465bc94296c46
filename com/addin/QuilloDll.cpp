// Quillo.dll: the add-in as an Office COM add-in. The class "Quillo.Connect" is created by
// Outlook from the add-in key that registration writes, and driven through _IDTExtensibility2;
// from then on the add-in reaches Outlook, the command bars, Redemption and the search
// component over IDispatch only, and the support library through Tarvik.dll.
#include <windows.h>

#include <olectl.h>

#include "addin/Connect.h"
#include "com/Bridge.h"
#include "com/Error.h"
#include "com/HostLoop.h"
#include "com/Module.h"
#include "com/Text.h"
#include "com/addin/AddinIds.h"
#include "com/addin/AddinServices.h"
#include "com/addin/ConnectServer.h"

namespace {

using namespace com;
using namespace com::addin;

HMODULE ThisDll() {
  return ModuleOf(reinterpret_cast<const void*>(&ThisDll));
}

const std::vector<ClassEntry>& Classes() {
  static const std::vector<ClassEntry> s_vec{
      {CLSID_QuilloConnect, addin_registration::kProgId, addin_registration::kDisplayName, [] {
         InstallAddinServices(ThisDll());
         return CreateConnectServer(host::CreateObject<host::AddIn>(addin_registration::kProgId));
       }}};
  return s_vec;
}

// HKEY_CURRENT_USER\Software\Microsoft\Office\Outlook\Addins\<ProgID>: what Outlook reads to load
// the add-in at start-up. Per user: the key under HKEY_LOCAL_MACHINE would hide the add-in from
// the COM Add-Ins dialog of Outlook 2000 to 2003.
std::wstring AddinKey() {
  std::string sKey = addin_registration::kHostAddinsKey;
  const std::string sRoot = "HKEY_CURRENT_USER\\";
  if (sKey.compare(0, sRoot.size(), sRoot) == 0) sKey.erase(0, sRoot.size());
  return Wide(sKey) + L"\\" + Wide(addin_registration::kProgId);
}

bool WriteAddinKey() {
  const std::wstring sKey = AddinKey();
  return SetStringValue(HKEY_CURRENT_USER, sKey, L"FriendlyName", Wide(addin_registration::kDisplayName)) &&
         SetStringValue(HKEY_CURRENT_USER, sKey, L"Description", Wide(addin_registration::kDescription)) &&
         SetDwordValue(HKEY_CURRENT_USER, sKey, L"LoadBehavior",
                       static_cast<DWORD>(addin_registration::kLoadBehavior));
}

}  // namespace

extern "C" {

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return com::GetClassObject(Classes(), rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow() {
  return com::CanUnloadNow();
}

STDAPI DllRegisterServer() {
  try {
    HRESULT hr = com::RegisterClasses(Classes(), ThisDll());
    if (FAILED(hr)) return hr;
    if (!WriteAddinKey()) {
      com::DeleteTree(HKEY_CURRENT_USER, AddinKey());
      com::UnregisterClasses(Classes());
      return SELFREG_E_CLASS;
    }
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllUnregisterServer() {
  try {
    bool bKey = com::DeleteTree(HKEY_CURRENT_USER, AddinKey());
    HRESULT hr = com::UnregisterClasses(Classes());
    return FAILED(hr) ? hr : bKey ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // extern "C"
