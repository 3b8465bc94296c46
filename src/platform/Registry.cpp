#include "platform/Registry.h"

#include <mutex>
#include <new>
#include <utility>

namespace platform::reg {
namespace {

std::mutex g_mtxRegistry;
std::shared_ptr<Registry> g_pRegistry;

std::shared_ptr<Registry> Current() {
  std::lock_guard<std::mutex> lock(g_mtxRegistry);
  return g_pRegistry;
}

// advapi32 never throws into its caller, so neither do we: whatever a store lets escape becomes
// a status.
template <class F>
LSTATUS Call(F&& fnCall) noexcept {
  try {
    std::shared_ptr<Registry> pRegistry = Current();
    if (!pRegistry) return ErrorNotReady;
    return std::forward<F>(fnCall)(*pRegistry);
  } catch (const std::bad_alloc&) {
    return ErrorOutofmemory;
  } catch (...) {
    return ErrorInternalError;
  }
}

}  // namespace

std::shared_ptr<Registry> SetRegistry(std::shared_ptr<Registry> pRegistry) {
  std::lock_guard<std::mutex> lock(g_mtxRegistry);
  return std::exchange(g_pRegistry, std::move(pRegistry));
}

LSTATUS RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD Reserved, char* lpClass, DWORD dwOptions,
                        REGSAM samDesired, const void* lpSecurityAttributes, HKEY* phkResult,
                        DWORD* lpdwDisposition) noexcept {
  return Call([&](Registry& r) {
    return r.CreateKeyEx(hKey, lpSubKey, Reserved, lpClass, dwOptions, samDesired, lpSecurityAttributes,
                         phkResult, lpdwDisposition);
  });
}

LSTATUS RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      HKEY* phkResult) noexcept {
  return Call([&](Registry& r) { return r.OpenKeyEx(hKey, lpSubKey, ulOptions, samDesired, phkResult); });
}

LSTATUS RegCloseKey(HKEY hKey) noexcept {
  return Call([&](Registry& r) { return r.CloseKey(hKey); });
}

LSTATUS RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                       DWORD cbData) noexcept {
  return Call([&](Registry& r) { return r.SetValueEx(hKey, lpValueName, Reserved, dwType, lpData, cbData); });
}

LSTATUS RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                         DWORD* lpcbData) noexcept {
  return Call(
      [&](Registry& r) { return r.QueryValueEx(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData); });
}

LSTATUS RegDeleteKeyA(HKEY hKey, const char* lpSubKey) noexcept {
  return Call([&](Registry& r) { return r.DeleteKey(hKey, lpSubKey); });
}

LSTATUS RegDeleteValueA(HKEY hKey, const char* lpValueName) noexcept {
  return Call([&](Registry& r) { return r.DeleteValue(hKey, lpValueName); });
}

LSTATUS RegFlushKey(HKEY hKey) noexcept {
  return Call([&](Registry& r) { return r.FlushKey(hKey); });
}

LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                      char* lpClass, DWORD* lpcchClass, FILETIME* lpftLastWriteTime) noexcept {
  return Call([&](Registry& r) {
    return r.EnumKeyEx(hKey, dwIndex, lpName, lpcchName, lpReserved, lpClass, lpcchClass, lpftLastWriteTime);
  });
}

LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                      DWORD* lpType, BYTE* lpData, DWORD* lpcbData) noexcept {
  return Call([&](Registry& r) {
    return r.EnumValue(hKey, dwIndex, lpValueName, lpcchValueName, lpReserved, lpType, lpData, lpcbData);
  });
}

}  // namespace platform::reg
