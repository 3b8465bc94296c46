#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace platform::win32 {

using namespace platform::reg;
namespace {

::HKEY ToWin(HKEY h) {
  return reinterpret_cast<::HKEY>(static_cast<intptr_t>(h));
}
HKEY FromWin(::HKEY h) {
  return HKEY(reinterpret_cast<intptr_t>(h));
}

// Our DWORD is uint32_t, Windows' is unsigned long: same size, different type, so in-out counts
// go through a local of Windows' type.
static_assert(sizeof(::DWORD) == sizeof(DWORD));
// Copied as bytes: an out-only count may arrive uninitialised.
class InOut {
 public:
  explicit InOut(DWORD* p) : m_p(p) {
    if (m_p) std::memcpy(&m_n, m_p, sizeof(DWORD));
  }
  ~InOut() {
    if (m_p) std::memcpy(m_p, &m_n, sizeof(DWORD));
  }
  InOut(const InOut&) = delete;
  InOut& operator=(const InOut&) = delete;
  ::DWORD* Get() { return m_p ? &m_n : nullptr; }

 private:
  DWORD* m_p;
  ::DWORD m_n = 0;
};

}  // namespace

LSTATUS Win32Registry::CreateKeyEx(HKEY hKey, const char* lpSubKey, DWORD Reserved, char* lpClass,
                                   DWORD dwOptions, REGSAM samDesired, const void* lpSecurityAttributes,
                                   HKEY* phkResult, DWORD* lpdwDisposition) {
  ::HKEY hNew = nullptr;
  InOut oDisposition(lpdwDisposition);
  LSTATUS nStatus =
      ::RegCreateKeyExA(ToWin(hKey), lpSubKey, Reserved, lpClass, dwOptions, samDesired,
                        static_cast<LPSECURITY_ATTRIBUTES>(const_cast<void*>(lpSecurityAttributes)),
                        phkResult ? &hNew : nullptr, oDisposition.Get());
  if (phkResult) *phkResult = nStatus == reg::Success ? FromWin(hNew) : HKEY{};
  return nStatus;
}

LSTATUS Win32Registry::OpenKeyEx(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired,
                                 HKEY* phkResult) {
  ::HKEY hNew = nullptr;
  LSTATUS nStatus =
      ::RegOpenKeyExA(ToWin(hKey), lpSubKey, ulOptions, samDesired, phkResult ? &hNew : nullptr);
  if (phkResult) *phkResult = nStatus == reg::Success ? FromWin(hNew) : HKEY{};
  return nStatus;
}

LSTATUS Win32Registry::CloseKey(HKEY hKey) {
  return ::RegCloseKey(ToWin(hKey));
}

LSTATUS Win32Registry::SetValueEx(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType,
                                  const BYTE* lpData, DWORD cbData) {
  return ::RegSetValueExA(ToWin(hKey), lpValueName, Reserved, dwType, lpData, cbData);
}

LSTATUS Win32Registry::QueryValueEx(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                                    BYTE* lpData, DWORD* lpcbData) {
  InOut oType(lpType), oSize(lpcbData);
  return ::RegQueryValueExA(ToWin(hKey), lpValueName, reinterpret_cast<::DWORD*>(lpReserved), oType.Get(),
                            lpData, oSize.Get());
}

LSTATUS Win32Registry::DeleteKey(HKEY hKey, const char* lpSubKey) {
  return ::RegDeleteKeyA(ToWin(hKey), lpSubKey);
}

LSTATUS Win32Registry::DeleteValue(HKEY hKey, const char* lpValueName) {
  return ::RegDeleteValueA(ToWin(hKey), lpValueName);
}

LSTATUS Win32Registry::FlushKey(HKEY hKey) {
  return ::RegFlushKey(ToWin(hKey));
}

LSTATUS Win32Registry::EnumKeyEx(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                                 char* lpClass, DWORD* lpcchClass, FILETIME* lpftLastWriteTime) {
  InOut oName(lpcchName), oClass(lpcchClass);
  ::FILETIME ft{};
  LSTATUS nStatus =
      ::RegEnumKeyExA(ToWin(hKey), dwIndex, lpName, oName.Get(), reinterpret_cast<::DWORD*>(lpReserved),
                      lpClass, oClass.Get(), lpftLastWriteTime ? &ft : nullptr);
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{ft.dwLowDateTime, ft.dwHighDateTime};
  return nStatus;
}

namespace {

std::string& ThrowAwayKey() {
  static std::string s_sKey;
  return s_sKey;
}

void DropThrowAwayKey() {
  ::RegOverridePredefKey(ToWin(reg::CurrentUser), nullptr);
  ::RegDeleteTreeA(ToWin(reg::CurrentUser), ThrowAwayKey().c_str());
}

}  // namespace

std::string UseThrowAwayCurrentUser() {
  if (!ThrowAwayKey().empty()) return {};
  const std::string sKey = "Software\\Mardel\\QuilloSim\\Run" + std::to_string(::GetCurrentProcessId());
  // A run that was killed may have left its key behind under the same process number.
  ::RegDeleteTreeA(ToWin(reg::CurrentUser), sKey.c_str());
  ::HKEY hKey = nullptr;
  LSTATUS nStatus = ::RegCreateKeyExA(ToWin(reg::CurrentUser), sKey.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
  if (nStatus != ERROR_SUCCESS)
    return "the key " + sKey + " cannot be created (error " + std::to_string(nStatus) + ")";
  nStatus = ::RegOverridePredefKey(ToWin(reg::CurrentUser), hKey);
  ::RegCloseKey(hKey);
  if (nStatus != ERROR_SUCCESS) {
    ::RegDeleteTreeA(ToWin(reg::CurrentUser), sKey.c_str());
    return "HKEY_CURRENT_USER cannot be redirected (error " + std::to_string(nStatus) + ")";
  }
  ThrowAwayKey() = sKey;
  std::atexit(DropThrowAwayKey);
  return {};
}

LSTATUS Win32Registry::EnumValue(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                                 DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
  InOut oName(lpcchValueName), oType(lpType), oSize(lpcbData);
  return ::RegEnumValueA(ToWin(hKey), dwIndex, lpValueName, oName.Get(),
                         reinterpret_cast<::DWORD*>(lpReserved), oType.Get(), lpData, oSize.Get());
}

}  // namespace platform::win32
