// The registry store of the Windows build: advapi32 itself, handles and codes passed through.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace platform::win32 {

class Win32Registry : public Registry {
 public:
  LSTATUS CreateKeyEx(HKEY hKey, const char* lpSubKey, DWORD Reserved, char* lpClass, DWORD dwOptions,
                      REGSAM samDesired, const void* lpSecurityAttributes, HKEY* phkResult,
                      DWORD* lpdwDisposition) override;
  LSTATUS OpenKeyEx(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired,
                    HKEY* phkResult) override;
  LSTATUS CloseKey(HKEY hKey) override;
  LSTATUS SetValueEx(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                     DWORD cbData) override;
  LSTATUS QueryValueEx(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                       DWORD* lpcbData) override;
  LSTATUS DeleteKey(HKEY hKey, const char* lpSubKey) override;
  LSTATUS DeleteValue(HKEY hKey, const char* lpValueName) override;
  LSTATUS FlushKey(HKEY hKey) override;
  LSTATUS EnumKeyEx(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                    char* lpClass, DWORD* lpcchClass, FILETIME* lpftLastWriteTime) override;
  LSTATUS EnumValue(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                    DWORD* lpType, BYTE* lpData, DWORD* lpcbData) override;
};

// Points HKEY_CURRENT_USER of this process at a fresh volatile key for the rest of the run and
// deletes that key at exit, so that nothing the program writes there stays: a throw-away
// registry on Windows. Empty on success, otherwise why it failed.
std::string UseThrowAwayCurrentUser();

}  // namespace platform::win32
