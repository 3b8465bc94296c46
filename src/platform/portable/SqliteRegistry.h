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

class SqliteRegistry : public reg::Registry {
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

 private:
  SqliteRegistry();
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace platform::portable
