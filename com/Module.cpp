#include "com/Module.h"

#include <olectl.h>

#include <atomic>

#include "com/DispatchServer.h"
#include "com/Error.h"
#include "com/Text.h"

namespace com {
namespace {

std::atomic<long> g_nLocks{0};

class CClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit CClassFactory(std::function<ComPtr<IDispatch>()> fnCreate) : m_fnCreate(std::move(fnCreate)) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pOuter) return CLASS_E_NOAGGREGATION;
    try {
      ComPtr<IDispatch> p = m_fnCreate();
      if (!p) return E_OUTOFMEMORY;
      return p->QueryInterface(riid, ppv);
    } catch (...) {
      return HResultFromCurrentError("CreateInstance");
    }
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL bLock) override {
    if (bLock)
      ++g_nLocks;
    else
      --g_nLocks;
    return S_OK;
  }

 private:
  ~CClassFactory() override = default;
  bool Answers(REFIID riid) const override { return riid == IID_IClassFactory; }

  std::function<ComPtr<IDispatch>()> m_fnCreate;
};

std::wstring ClassKey(const ClassEntry& c) {
  return std::wstring(L"CLSID\\") + GuidString(c.clsid);
}

std::wstring Under(const std::wstring& sKey) {
  return std::wstring(ClassesRootPath()) + L"\\" + sKey;
}

}  // namespace

HRESULT GetClassObject(const std::vector<ClassEntry>& vecClasses, REFCLSID rclsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  for (const auto& c : vecClasses) {
    if (c.clsid != rclsid) continue;
    try {
      auto p = ComPtr<CClassFactory>::Attach(new CClassFactory(c.fnCreate));
      return p->QueryInterface(riid, ppv);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() {
  return LiveObjects() == 0 && g_nLocks == 0 ? S_OK : S_FALSE;
}

bool RunningUnderWine() {
  HMODULE hNtdll = GetModuleHandleW(L"ntdll.dll");
  return hNtdll && GetProcAddress(hNtdll, "wine_get_version") != nullptr;
}

HRESULT RegisterServer(const ServerModule& oModule, HMODULE hModule) {
  try {
    HRESULT hr = RegisterClasses(oModule.vecClasses, hModule);
    if (FAILED(hr)) return hr;
    if (oModule.fnRegister && !oModule.fnRegister()) {
      if (oModule.fnUnregister) oModule.fnUnregister();
      UnregisterClasses(oModule.vecClasses);
      return SELFREG_E_CLASS;
    }
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT UnregisterServer(const ServerModule& oModule) {
  try {
    bool bOwnKeys = !oModule.fnUnregister || oModule.fnUnregister();
    HRESULT hr = UnregisterClasses(oModule.vecClasses);
    return FAILED(hr) ? hr : bOwnKeys ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HKEY ClassesRootKey() {
  return RunningUnderWine() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

const wchar_t* ClassesRootPath() {
  return L"Software\\Classes";
}

std::wstring GuidString(const GUID& guid) {
  wchar_t sz[40] = {};
  StringFromGUID2(guid, sz, 40);
  return sz;
}

HMODULE ModuleOf(const void* pAddress) {
  HMODULE h = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(pAddress), &h);
  return h;
}

std::wstring ModulePath(HMODULE hModule) {
  std::wstring s(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(hModule, s.data(), static_cast<DWORD>(s.size()));
    if (n == 0) return {};
    if (n < s.size()) {
      s.resize(n);
      return s;
    }
    s.resize(s.size() * 2);
  }
}

bool SetStringValue(HKEY hRoot, const std::wstring& sKey, const std::wstring& sName,
                    const std::wstring& sValue) {
  HKEY h = nullptr;
  if (RegCreateKeyExW(hRoot, sKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG r = RegSetValueExW(h, sName.empty() ? nullptr : sName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(sValue.c_str()),
                          static_cast<DWORD>((sValue.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  return r == ERROR_SUCCESS;
}

bool SetDwordValue(HKEY hRoot, const std::wstring& sKey, const std::wstring& sName, DWORD nValue) {
  HKEY h = nullptr;
  if (RegCreateKeyExW(hRoot, sKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG r =
      RegSetValueExW(h, sName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nValue), sizeof(nValue));
  RegCloseKey(h);
  return r == ERROR_SUCCESS;
}

std::wstring GetStringValue(HKEY hRoot, const std::wstring& sKey, const std::wstring& sName) {
  wchar_t sz[1024] = {};
  DWORD nSize = sizeof(sz) - sizeof(wchar_t);
  if (RegGetValueW(hRoot, sKey.c_str(), sName.empty() ? nullptr : sName.c_str(), RRF_RT_REG_SZ, nullptr, sz,
                   &nSize) != ERROR_SUCCESS)
    return {};
  return sz;
}

bool DeleteTree(HKEY hRoot, const std::wstring& sKey) {
  LONG r = RegDeleteTreeW(hRoot, sKey.c_str());
  if (r == ERROR_SUCCESS) r = RegDeleteKeyW(hRoot, sKey.c_str());
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

void DeleteIfEmpty(HKEY hRoot, const std::wstring& sKey) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(hRoot, sKey.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return;
  DWORD nSubKeys = 0, nValues = 0;
  LONG r = RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &nSubKeys, nullptr, nullptr, &nValues, nullptr,
                            nullptr, nullptr, nullptr);
  RegCloseKey(h);
  if (r == ERROR_SUCCESS && nSubKeys == 0 && nValues == 0) RegDeleteKeyW(hRoot, sKey.c_str());
}

HRESULT RegisterClasses(const std::vector<ClassEntry>& vecClasses, HMODULE hModule) {
  std::wstring sPath = ModulePath(hModule);
  if (sPath.empty()) return SELFREG_E_CLASS;
  HKEY hRoot = ClassesRootKey();
  for (const auto& c : vecClasses) {
    std::wstring sClass = Under(ClassKey(c));
    std::wstring sProgId = Wide(c.sProgId), sDescription = Wide(c.sDescription), sClsid = GuidString(c.clsid);
    bool bOk = SetStringValue(hRoot, sClass, L"", sDescription) &&
               SetStringValue(hRoot, sClass + L"\\InprocServer32", L"", sPath) &&
               SetStringValue(hRoot, sClass + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
               SetStringValue(hRoot, sClass + L"\\ProgID", L"", sProgId) &&
               SetStringValue(hRoot, sClass + L"\\VersionIndependentProgID", L"", sProgId) &&
               SetStringValue(hRoot, Under(sProgId), L"", sDescription) &&
               SetStringValue(hRoot, Under(sProgId) + L"\\CLSID", L"", sClsid);
    if (!bOk) {
      UnregisterClasses(vecClasses);
      return SELFREG_E_CLASS;
    }
  }
  return S_OK;
}

HRESULT UnregisterClasses(const std::vector<ClassEntry>& vecClasses) {
  HKEY hRoot = ClassesRootKey();
  bool bOk = true;
  for (const auto& c : vecClasses) {
    bOk = DeleteTree(hRoot, Under(ClassKey(c))) && bOk;
    std::wstring sProgId = Under(Wide(c.sProgId));
    std::wstring sOwner = GetStringValue(hRoot, sProgId + L"\\CLSID", L"");
    if (sOwner.empty() || _wcsicmp(sOwner.c_str(), GuidString(c.clsid).c_str()) == 0)
      bOk = DeleteTree(hRoot, sProgId) && bOk;
  }
  return bOk ? S_OK : SELFREG_E_CLASS;
}

}  // namespace com
