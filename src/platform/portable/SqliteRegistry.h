// The registry model of the portable build, kept in an SQLite database: three predefined roots,
// backslash paths, key and value names compared without regard to case, typed values, handles
// and enumeration by index, with advapi32's arguments and status codes.
//
// Every write is one transaction, committed with a full sync before the call returns, so a
// process killed at any point leaves every earlier write intact. Several processes may share a
// file: they wait for each other's locks instead of failing.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace platform::portable {

class SqliteRegistry : public Registry {
 public:
  // Opens the registry file, creating it and its folder when missing. Never throws. A file that
  // cannot be used (unreadable, damaged, another program's database) leaves the store unusable:
  // LoadError() says why in one sentence, every call fails (so reads find nothing and callers
  // take their defaults), and the file is never written.
  static std::shared_ptr<SqliteRegistry> OpenFile(const std::filesystem::path& pathFile);
  // A private registry that lives as long as the object; for tests and throw-away runs.
  static std::shared_ptr<SqliteRegistry> OpenMemory();

  ~SqliteRegistry() override;
  SqliteRegistry(const SqliteRegistry&) = delete;
  SqliteRegistry& operator=(const SqliteRegistry&) = delete;

  bool IsUsable() const;
  // Empty when the store is usable.
  const std::string& LoadError() const;

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

 private:
  SqliteRegistry();
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace platform::portable
