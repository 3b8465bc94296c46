// The registry as the add-in calls it: the ANSI functions of advapi32 with their own arguments,
// status codes and buffer rules. The store behind them is chosen once by the program: the real
// registry on Windows, a durable file-backed model elsewhere (and in memory for tests).
//
// The API has a namespace and names of its own (reg::CurrentUser, reg::Success, reg::KeyRead for
// Windows' HKEY_CURRENT_USER, ERROR_SUCCESS, KEY_READ), so it lives beside <windows.h>, whose
// names for these are macros, in any order.
#pragma once

#include <cstdint>
#include <memory>

namespace platform::reg {

using DWORD = uint32_t;
using BYTE = uint8_t;
using LSTATUS = int32_t;
using REGSAM = uint32_t;

// A key handle: opaque, 0 when none. The predefined roots carry Windows' values, sign-extended
// as a 32-bit LONG would be, so they pass unchanged to advapi32 on 64-bit Windows.
enum class HKEY : intptr_t {};
inline constexpr HKEY ClassesRoot = HKEY(int32_t(0x80000000u));
inline constexpr HKEY CurrentUser = HKEY(int32_t(0x80000001u));
inline constexpr HKEY LocalMachine = HKEY(int32_t(0x80000002u));

struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

// Status codes.
inline constexpr LSTATUS Success = 0;
inline constexpr LSTATUS ErrorFileNotFound = 2;
inline constexpr LSTATUS ErrorAccessDenied = 5;
inline constexpr LSTATUS ErrorInvalidHandle = 6;
inline constexpr LSTATUS ErrorOutofmemory = 14;
inline constexpr LSTATUS ErrorNotReady = 21;
inline constexpr LSTATUS ErrorDiskFull = 112;
inline constexpr LSTATUS ErrorInvalidParameter = 87;
inline constexpr LSTATUS ErrorCallNotImplemented = 120;
inline constexpr LSTATUS ErrorBadPathname = 161;
inline constexpr LSTATUS ErrorBusy = 170;
inline constexpr LSTATUS ErrorMoreData = 234;
inline constexpr LSTATUS ErrorNoMoreItems = 259;
inline constexpr LSTATUS ErrorNoaccess = 998;
inline constexpr LSTATUS ErrorRegistryCorrupt = 1015;
inline constexpr LSTATUS ErrorRegistryIoFailed = 1016;
inline constexpr LSTATUS ErrorKeyDeleted = 1018;
inline constexpr LSTATUS ErrorInternalError = 1359;

// Value types.
inline constexpr DWORD TypeNone = 0;
inline constexpr DWORD TypeSz = 1;
inline constexpr DWORD TypeExpandSz = 2;
inline constexpr DWORD TypeBinary = 3;
inline constexpr DWORD TypeDword = 4;
inline constexpr DWORD TypeMultiSz = 7;
inline constexpr DWORD TypeQword = 11;

// Access rights.
inline constexpr REGSAM KeyQueryValue = 0x0001;
inline constexpr REGSAM KeySetValue = 0x0002;
inline constexpr REGSAM KeyCreateSubKey = 0x0004;
inline constexpr REGSAM KeyEnumerateSubKeys = 0x0008;
inline constexpr REGSAM KeyNotify = 0x0010;
inline constexpr REGSAM KeyCreateLink = 0x0020;
inline constexpr REGSAM KeyRead = 0x00020019;
inline constexpr REGSAM KeyWrite = 0x00020006;
inline constexpr REGSAM KeyAllAccess = 0x000F003F;
inline constexpr REGSAM GenericRead = 0x80000000u;
inline constexpr REGSAM GenericWrite = 0x40000000u;
inline constexpr REGSAM GenericAll = 0x10000000u;
inline constexpr REGSAM MaximumAllowed = 0x02000000u;

// Options and dispositions of RegCreateKeyExA.
inline constexpr DWORD OptionNonVolatile = 0;
inline constexpr DWORD CreatedNewKey = 1;
inline constexpr DWORD OpenedExistingKey = 2;

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

}  // namespace platform::reg
