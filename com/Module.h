// What makes a DLL an in-process COM server: its classes, a class factory for each,
// DllGetClassObject / DllCanUnloadNow, and self-registration under the keys COM reads
// (CLSID with InprocServer32 and ThreadingModel Apartment, ProgID, VersionIndependentProgID).
#pragma once

#include <windows.h>

#include <objbase.h>

#include <functional>
#include <string>
#include <vector>

#include "com/ComPtr.h"

namespace com {

struct ClassEntry {
  CLSID clsid;
  std::string sProgId;
  std::string sDescription;
  std::function<ComPtr<IDispatch>()> fnCreate;
};

HRESULT GetClassObject(const std::vector<ClassEntry>& vecClasses, REFCLSID rclsid, REFIID riid, void** ppv);
HRESULT CanUnloadNow();
// Writes (or removes) the classes' keys for the DLL hModule. Unregistering removes exactly
// what registering wrote, and leaves a ProgID alone that now names another class.
HRESULT RegisterClasses(const std::vector<ClassEntry>& vecClasses, HMODULE hModule);
HRESULT UnregisterClasses(const std::vector<ClassEntry>& vecClasses);

// What one server DLL is: its classes, and the keys it writes besides theirs (fnRegister
// writes them and says whether it could; fnUnregister removes them and says the same). Each DLL
// defines ThisServerModule; com/ServerExports.cpp, built into each, makes the four Dll* exports
// of it.
struct ServerModule {
  std::vector<ClassEntry> vecClasses;
  std::function<bool()> fnRegister;
  std::function<bool()> fnUnregister;
};
const ServerModule& ThisServerModule();
// What DllRegisterServer / DllUnregisterServer do for the module in hModule. Registering that
// fails half-way removes what it wrote; no exception gets out.
HRESULT RegisterServer(const ServerModule& oModule, HMODULE hModule);
HRESULT UnregisterServer(const ServerModule& oModule);

// Where class keys go: HKLM\Software\Classes under Wine, which does not read per-user class
// keys; HKCU\Software\Classes on Windows, where they need no administrator.
HKEY ClassesRootKey();
const wchar_t* ClassesRootPath();
bool RunningUnderWine();

std::wstring GuidString(const GUID& guid);
// The module whose code holds the address.
HMODULE ModuleOf(const void* pAddress);
std::wstring ModulePath(HMODULE hModule);

// Registry helpers shared with other registration code: value "" is the default value.
bool SetStringValue(HKEY hRoot, const std::wstring& sKey, const std::wstring& sName,
                    const std::wstring& sValue);
bool SetDwordValue(HKEY hRoot, const std::wstring& sKey, const std::wstring& sName, DWORD nValue);
std::wstring GetStringValue(HKEY hRoot, const std::wstring& sKey, const std::wstring& sName);
bool DeleteTree(HKEY hRoot, const std::wstring& sKey);
// Removes the key if it has neither subkeys nor values left.
void DeleteIfEmpty(HKEY hRoot, const std::wstring& sKey);

}  // namespace com
