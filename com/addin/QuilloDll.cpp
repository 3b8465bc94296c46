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

// The Connect class, and the add-in key beside its class keys.
const ServerModule& com::ThisServerModule() {
  static const ServerModule s_module{
      {{CLSID_QuilloConnect, addin_registration::kProgId, addin_registration::kDisplayName,
        [] {
          InstallAddinServices(ThisDll());
          return CreateConnectServer(host::CreateObject<host::AddIn>(addin_registration::kProgId));
        }}},
      WriteAddinKey,
      [] { return com::DeleteTree(HKEY_CURRENT_USER, AddinKey()); }};
  return s_module;
}
