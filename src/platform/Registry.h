// The registry as the add-in calls it: the ANSI functions of advapi32 with their own arguments,
// status codes and buffer rules. The store behind them is chosen once by the program: the real
// registry on Windows, a durable file-backed model elsewhere (and in memory for tests).
//
// Include this before <windows.h> in any file that needs both: the names below are macros there.
#pragma once

#if defined(HKEY_CURRENT_USER) || defined(ERROR_SUCCESS)
#error "include platform/Registry.h before <windows.h>"
#endif

#include <cstdint>
#include <memory>

namespace platform {

using DWORD = uint32_t;
using BYTE = uint8_t;
using LSTATUS = int32_t;
using REGSAM = uint32_t;

// A key handle: opaque, 0 when none. The predefined roots carry Windows' values, sign-extended
// as a 32-bit LONG would be, so they pass unchanged to advapi32 on 64-bit Windows.
enum class HKEY : intptr_t {};
inline constexpr HKEY HKEY_CLASSES_ROOT = HKEY(int32_t(0x80000000u));
inline constexpr HKEY HKEY_CURRENT_USER = HKEY(int32_t(0x80000001u));
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY(int32_t(0x80000002u));

struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

// Status codes.
inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
inline constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
inline constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
inline constexpr LSTATUS ERROR_OUTOFMEMORY = 14;
inline constexpr LSTATUS ERROR_NOT_READY = 21;
inline constexpr LSTATUS ERROR_DISK_FULL = 112;
inline constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
inline constexpr LSTATUS ERROR_CALL_NOT_IMPLEMENTED = 120;
inline constexpr LSTATUS ERROR_BAD_PATHNAME = 161;
inline constexpr LSTATUS ERROR_BUSY = 170;
inline constexpr LSTATUS ERROR_MORE_DATA = 234;
inline constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
inline constexpr LSTATUS ERROR_NOACCESS = 998;
inline constexpr LSTATUS ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr LSTATUS ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr LSTATUS ERROR_KEY_DELETED = 1018;
inline constexpr LSTATUS ERROR_INTERNAL_ERROR = 1359;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// Access rights.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_READ = 0x00020019;
inline constexpr REGSAM KEY_WRITE = 0x00020006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;
inline constexpr REGSAM GENERIC_READ = 0x80000000u;
inline constexpr REGSAM GENERIC_WRITE = 0x40000000u;
inline constexpr REGSAM GENERIC_ALL = 0x10000000u;
inline constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000u;

// Options and dispositions of RegCreateKeyExA.
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// A store behind the functions below. Members take the arguments of the advapi32 function of
// the same name and answer as it does; they may throw, the free functions turn that into a
// status.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual LSTATUS CreateKeyEx(HKEY hKey, const char* lpSubKey, DWORD Reserved, char* lpClass, DWORD dwOptions,
                              REGSAM samDesired, const void* lpSecurityAttributes, HKEY* phkResult,
                              DWORD* lpdwDisposition) = 0;
  virtual LSTATUS OpenKeyEx(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired,
                            HKEY* phkResult) = 0;
  virtual LSTATUS CloseKey(HKEY hKey) = 0;
  virtual LSTATUS SetValueEx(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType,
                             const BYTE* lpData, DWORD cbData) = 0;
  virtual LSTATUS QueryValueEx(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                               BYTE* lpData, DWORD* lpcbData) = 0;
  virtual LSTATUS DeleteKey(HKEY hKey, const char* lpSubKey) = 0;
  virtual LSTATUS DeleteValue(HKEY hKey, const char* lpValueName) = 0;
  virtual LSTATUS FlushKey(HKEY hKey) = 0;
  virtual LSTATUS EnumKeyEx(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                            char* lpClass, DWORD* lpcchClass, FILETIME* lpftLastWriteTime) = 0;
  virtual LSTATUS EnumValue(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                            DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) = 0;
};

// Installs the store of the process; returns the previous one. Until one is installed every
// function answers ERROR_NOT_READY.
std::shared_ptr<Registry> SetRegistry(std::shared_ptr<Registry> pRegistry);

// The advapi32 functions. None of them throws.
LSTATUS RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD Reserved, char* lpClass, DWORD dwOptions,
                        REGSAM samDesired, const void* lpSecurityAttributes, HKEY* phkResult,
                        DWORD* lpdwDisposition) noexcept;
LSTATUS RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      HKEY* phkResult) noexcept;
LSTATUS RegCloseKey(HKEY hKey) noexcept;
LSTATUS RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                       DWORD cbData) noexcept;
LSTATUS RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                         DWORD* lpcbData) noexcept;
LSTATUS RegDeleteKeyA(HKEY hKey, const char* lpSubKey) noexcept;
LSTATUS RegDeleteValueA(HKEY hKey, const char* lpValueName) noexcept;
LSTATUS RegFlushKey(HKEY hKey) noexcept;
LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                      char* lpClass, DWORD* lpcchClass, FILETIME* lpftLastWriteTime) noexcept;
LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                      DWORD* lpType, BYTE* lpData, DWORD* lpcbData) noexcept;

}  // namespace platform
