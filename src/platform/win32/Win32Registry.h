// The registry store of the Windows build: advapi32 itself, handles and codes passed through.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace platform::win32 {

class Win32Registry : public reg::Registry {
 public:
  reg::LSTATUS CreateKeyEx(reg::HKEY hKey, const char* lpSubKey, reg::DWORD Reserved, char* lpClass,
                           reg::DWORD dwOptions, reg::REGSAM samDesired, const void* lpSecurityAttributes,
                           reg::HKEY* phkResult, reg::DWORD* lpdwDisposition) override;
  reg::LSTATUS OpenKeyEx(reg::HKEY hKey, const char* lpSubKey, reg::DWORD ulOptions, reg::REGSAM samDesired,
                         reg::HKEY* phkResult) override;
  reg::LSTATUS CloseKey(reg::HKEY hKey) override;
  reg::LSTATUS SetValueEx(reg::HKEY hKey, const char* lpValueName, reg::DWORD Reserved, reg::DWORD dwType,
                          const reg::BYTE* lpData, reg::DWORD cbData) override;
  reg::LSTATUS QueryValueEx(reg::HKEY hKey, const char* lpValueName, reg::DWORD* lpReserved,
                            reg::DWORD* lpType, reg::BYTE* lpData, reg::DWORD* lpcbData) override;
  reg::LSTATUS DeleteKey(reg::HKEY hKey, const char* lpSubKey) override;
  reg::LSTATUS DeleteValue(reg::HKEY hKey, const char* lpValueName) override;
  reg::LSTATUS FlushKey(reg::HKEY hKey) override;
  reg::LSTATUS EnumKeyEx(reg::HKEY hKey, reg::DWORD dwIndex, char* lpName, reg::DWORD* lpcchName,
                         reg::DWORD* lpReserved, char* lpClass, reg::DWORD* lpcchClass,
                         reg::FILETIME* lpftLastWriteTime) override;
  reg::LSTATUS EnumValue(reg::HKEY hKey, reg::DWORD dwIndex, char* lpValueName, reg::DWORD* lpcchValueName,
                         reg::DWORD* lpReserved, reg::DWORD* lpType, reg::BYTE* lpData,
                         reg::DWORD* lpcbData) override;
};

// Points HKEY_CURRENT_USER of this process at a fresh volatile key for the rest of the run and
// deletes that key at exit, so that nothing the program writes there stays: a throw-away
// registry on Windows. Empty on success, otherwise why it failed.
std::string UseThrowAwayCurrentUser();

}  // namespace platform::win32
