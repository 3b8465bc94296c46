// One open key of the registry. Turns the registry's status codes into booleans, empty texts and
// defaults, so its callers never see an error from the registry. Names and texts are UTF-8 here
// and ANSI at the registry.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

// The roots keep the names the registry gives them, which <windows.h> defines as macros: they
// are set aside while the class is declared and restored after it, so that the header may come
// before or after <windows.h>. A file that has both names the roots platform::reg::CurrentUser
// and so on, since the macros win there.
#pragma push_macro("HKEY_CLASSES_ROOT")
#pragma push_macro("HKEY_CURRENT_USER")
#pragma push_macro("HKEY_LOCAL_MACHINE")
#undef HKEY_CLASSES_ROOT
#undef HKEY_CURRENT_USER
#undef HKEY_LOCAL_MACHINE

class CWinReg {
 public:
  using HKEY = platform::reg::HKEY;

  CWinReg() = default;
  ~CWinReg();
  CWinReg(const CWinReg&) = delete;
  CWinReg& operator=(const CWinReg&) = delete;

  static HKEY HKEY_CLASSES_ROOT() { return platform::reg::ClassesRoot; }
  static HKEY HKEY_CURRENT_USER() { return platform::reg::CurrentUser; }
  static HKEY HKEY_LOCAL_MACHINE() { return platform::reg::LocalMachine; }

  // hRoot is a predefined root or the Handle() of another open CWinReg.
  bool InitForRead(HKEY hRoot, const std::string& sSubKey);
  bool InitForWrite(HKEY hRoot, const std::string& sSubKey, bool bCreate = false);
  bool InitForAllAccess(HKEY hRoot, const std::string& sSubKey, bool bCreate = false);
  bool InitForAccess(HKEY hRoot, const std::string& sSubKey, platform::reg::REGSAM samAccess,
                     bool bCreate = false);

  // Name at a 0-based index of the open key; empty past the last one.
  std::string Values(int32_t nIndex);
  std::string Keys(int32_t nIndex);

  // Deletes every sub-key of the open key with all below it; true when none is left.
  bool DeleteAllKeys();
  // Deletes a sub-key of the open key with all below it; true when the sub-key itself went.
  bool DeleteKeyRec(const std::string& sSubKey);

  // The open key, 0 when none.
  HKEY Handle() const { return m_hKey; }

  bool Close();
  bool SetString(const std::string& sName, const std::string& sText);
  std::string GetString(const std::string& sName);
  bool SetDWORD(const std::string& sName, int32_t nValue);
  int32_t GetDWORD(const std::string& sName, int32_t nDefault);
  bool SetBool(const std::string& sName, bool bValue);
  bool GetBool(const std::string& sName);
  bool DeleteValue(const std::string& sName);
  bool DeleteKey(const std::string& sSubKey);
  bool Flush();

 private:
  bool IsOpen() const { return m_hKey != HKEY{}; }
  // Names from one of the enumerations, at any length the registry allows.
  template <class FEnum>
  static std::string EnumName(FEnum&& fnEnum);

  HKEY m_hKey{};
};

#pragma pop_macro("HKEY_LOCAL_MACHINE")
#pragma pop_macro("HKEY_CURRENT_USER")
#pragma pop_macro("HKEY_CLASSES_ROOT")
