#include "SettingsCommands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <vector>

#include "host/Text.h"
#include "platform/Registry.h"
#include "settings/COptions.h"
#include "settings/CWinReg.h"

#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#else
#include "platform/portable/SqliteRegistry.h"
#endif

using namespace platform;
using namespace platform::reg;

namespace app {
namespace {

constexpr const char* kMemoryRegistry = ":memory:";
constexpr const char* kDone = "The operation completed successfully.";
constexpr const char* kIndent = "    ";

// A key as typed: "HKCU\Software\Mardel\Quillo" or with the root's long name.
struct KeyName {
  HKEY hRoot{};
  std::string sRootName;  // the long name, for output
  std::string sPath;      // below the root, without leading or trailing backslashes

  std::string Full() const { return sPath.empty() ? sRootName : sRootName + "\\" + sPath; }
};

KeyName ParseKey(const std::string& sKey) {
  struct Root {
    const char* sShort;
    const char* sLong;
    HKEY hKey;
  };
  static const Root aRoots[] = {{"HKCU", "HKEY_CURRENT_USER", reg::CurrentUser},
                                {"HKLM", "HKEY_LOCAL_MACHINE", reg::LocalMachine},
                                {"HKCR", "HKEY_CLASSES_ROOT", reg::ClassesRoot}};
  std::string_view s = sKey;
  while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
  size_t nSep = s.find('\\');
  std::string_view sRoot = s.substr(0, nSep);
  for (const Root& oRoot : aRoots) {
    if (!host::EqualsNoCase(sRoot, oRoot.sShort) && !host::EqualsNoCase(sRoot, oRoot.sLong)) continue;
    KeyName oKey{oRoot.hKey, oRoot.sLong,
                 nSep == std::string_view::npos ? "" : std::string(s.substr(nSep + 1))};
    if (oKey.sPath.find("\\\\") != std::string::npos) break;
    return oKey;
  }
  throw UsageError{"invalid key name '" + sKey + "' (HKCU, HKLM or HKCR, then the path)"};
}

std::string StatusText(LSTATUS nStatus) {
  switch (nStatus) {
    case reg::ErrorFileNotFound: return "The system was unable to find the specified registry key or value.";
    case reg::ErrorAccessDenied: return "Access is denied.";
    case reg::ErrorBadPathname: return "Invalid key name.";
    case reg::ErrorRegistryCorrupt: return "The registry cannot be used (see the message at start-up).";
    case reg::ErrorBusy: return "The registry is in use by another program.";
    case reg::ErrorNotReady: return "No registry is installed.";
    default: return "The registry answered with status " + std::to_string(nStatus) + ".";
  }
}

// reg.exe's failure: the line fails, so a script stops at it with its number.
[[noreturn]] void PrintError(CommandContext& /*ctx*/, LSTATUS nStatus) {
  throw UsageError{"ERROR: " + StatusText(nStatus)};
}

// A key handle closed when it goes out of scope.
class COpenKey {
 public:
  COpenKey() = default;
  ~COpenKey() {
    if (m_hKey != HKEY{}) RegCloseKey(m_hKey);
  }
  COpenKey(const COpenKey&) = delete;
  COpenKey& operator=(const COpenKey&) = delete;
  HKEY* Out() { return &m_hKey; }
  HKEY Get() const { return m_hKey; }

 private:
  HKEY m_hKey{};
};

LSTATUS OpenKey(const KeyName& oKey, REGSAM samAccess, COpenKey& oOpen) {
  return RegOpenKeyExA(oKey.hRoot, host::Utf8ToAnsi(oKey.sPath).c_str(), 0, samAccess, oOpen.Out());
}

// ---- query ----

std::string TypeName(DWORD nType) {
  static const char* const asNames[] = {"REG_NONE",   "REG_SZ",      "REG_EXPAND_SZ",
                                        "REG_BINARY", "REG_DWORD",   "REG_DWORD_BIG_ENDIAN",
                                        "REG_LINK",   "REG_MULTI_SZ"};
  if (nType < std::size(asNames)) return asNames[nType];
  if (nType == reg::TypeQword) return "REG_QWORD";
  return "REG_TYPE_" + std::to_string(nType);
}

std::string FormatData(DWORD nType, const std::vector<BYTE>& vecData) {
  std::string_view sBytes(reinterpret_cast<const char*>(vecData.data()), vecData.size());
  if (nType == reg::TypeSz || nType == reg::TypeExpandSz)
    return host::AnsiToUtf8(sBytes.substr(0, sBytes.find('\0')));
  if (nType == reg::TypeMultiSz) {
    while (!sBytes.empty() && sBytes.back() == '\0') sBytes.remove_suffix(1);
    std::string sText;
    for (char c : sBytes) sText += c ? std::string(1, c) : std::string("\\0");
    return host::AnsiToUtf8(sText);
  }
  char szNumber[24];
  if (nType == reg::TypeDword && vecData.size() == 4) {
    uint32_t n = 0;
    std::memcpy(&n, vecData.data(), 4);
    std::snprintf(szNumber, sizeof szNumber, "0x%x", n);
    return szNumber;
  }
  if (nType == reg::TypeQword && vecData.size() == 8) {
    unsigned long long n = 0;
    std::memcpy(&n, vecData.data(), 8);
    std::snprintf(szNumber, sizeof szNumber, "0x%llx", n);
    return szNumber;
  }
  std::string sHex;
  for (BYTE b : vecData) {
    std::snprintf(szNumber, sizeof szNumber, "%02X", b);
    sHex += szNumber;
  }
  return sHex;
}

struct ValueEntry {
  std::string sName;  // ANSI
  DWORD nType = reg::TypeNone;
  std::vector<BYTE> vecData;
};

// The value at an index, with buffers grown to what it needs.
LSTATUS EnumValueAt(HKEY hKey, DWORD nIndex, ValueEntry& oValue) {
  std::vector<char> vecName(256);
  oValue.vecData.resize(256);
  for (;;) {
    DWORD cchName = static_cast<DWORD>(vecName.size());
    DWORD cbData = static_cast<DWORD>(oValue.vecData.size());
    LSTATUS nStatus = RegEnumValueA(hKey, nIndex, vecName.data(), &cchName, nullptr, &oValue.nType,
                                    oValue.vecData.data(), &cbData);
    if (nStatus == reg::ErrorMoreData) {
      if (vecName.size() > 32768) return nStatus;
      vecName.resize(vecName.size() * 2);
      if (cbData > oValue.vecData.size()) oValue.vecData.resize(cbData);
      continue;
    }
    if (nStatus != reg::Success) return nStatus;
    oValue.sName.assign(vecName.data(), cchName);
    oValue.vecData.resize(cbData);
    return reg::Success;
  }
}

void PrintValue(CommandContext& ctx, const ValueEntry& oValue) {
  std::string sName = oValue.sName.empty() ? "(Default)" : host::AnsiToUtf8(oValue.sName);
  ctx.out << kIndent << sName << kIndent << TypeName(oValue.nType) << kIndent
          << FormatData(oValue.nType, oValue.vecData) << "\n";
}

// One key as reg.exe shows it: its name, its values, then its sub-keys (their whole sections
// when recursive). Returns the number of values printed.
int QueryKey(CommandContext& ctx, const KeyName& oKey, const std::string* pValueName, bool bRecursive) {
  COpenKey oOpen;
  if (LSTATUS nStatus = OpenKey(oKey, reg::KeyRead, oOpen)) {
    PrintError(ctx, nStatus);
    return 0;
  }
  int nPrinted = 0;
  ctx.out << "\n" << oKey.Full() << "\n";
  ValueEntry oValue;
  for (DWORD nIndex = 0; EnumValueAt(oOpen.Get(), nIndex, oValue) == reg::Success; ++nIndex) {
    if (pValueName && !host::EqualsNoCase(host::AnsiToUtf8(oValue.sName), *pValueName)) continue;
    PrintValue(ctx, oValue);
    ++nPrinted;
  }
  CWinReg oReg;
  oReg.InitForRead(oKey.hRoot, oKey.sPath);
  std::vector<KeyName> vecSubKeys;
  for (int32_t nIndex = 0;; ++nIndex) {
    std::string sName = oReg.Keys(nIndex);
    if (sName.empty()) break;
    vecSubKeys.push_back(
        {oKey.hRoot, oKey.sRootName, oKey.sPath.empty() ? sName : oKey.sPath + "\\" + sName});
  }
  if (!bRecursive) {
    if (!pValueName) {
      if (!vecSubKeys.empty()) ctx.out << "\n";
      for (const KeyName& oSub : vecSubKeys) ctx.out << oSub.Full() << "\n";
    }
    return nPrinted;
  }
  for (const KeyName& oSub : vecSubKeys) nPrinted += QueryKey(ctx, oSub, pValueName, true);
  return nPrinted;
}

// ---- add ----

uint32_t ParseDword(const std::string& sData) {
  std::string_view s = sData;
  bool bNegative = !s.empty() && s.front() == '-';
  if (bNegative) s.remove_prefix(1);
  int nBase = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    nBase = 16;
  }
  unsigned long long n = 0;
  bool bValid = !s.empty();
  for (char c : s) {
    int nDigit = c >= '0' && c <= '9'   ? c - '0'
                 : c >= 'a' && c <= 'f' ? c - 'a' + 10
                 : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                        : 99;
    if (nDigit >= nBase || n > 0xFFFFFFFFull) {
      bValid = false;
      break;
    }
    n = n * nBase + nDigit;
  }
  // Negative numbers are taken as the signed 32-bit values the add-in stores (-1 is 0xffffffff).
  if (!bValid || n > (bNegative ? 0x80000000ull : 0xFFFFFFFFull))
    throw UsageError{"invalid REG_DWORD data '" + sData + "' (a number from -2147483648 to 4294967295)"};
  return static_cast<uint32_t>(bNegative ? 0 - n : n);
}

std::vector<BYTE> ParseBinary(const std::string& sData) {
  std::vector<BYTE> vecBytes;
  auto nibble = [](char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
  };
  for (size_t i = 0; i + 1 < sData.size(); i += 2) {
    int nHigh = nibble(sData[i]), nLow = nibble(sData[i + 1]);
    if (nHigh < 0 || nLow < 0) break;
    vecBytes.push_back(static_cast<BYTE>(nHigh * 16 + nLow));
  }
  if (vecBytes.size() * 2 != sData.size())
    throw UsageError{"invalid REG_BINARY data '" + sData + "' (pairs of hexadecimal digits)"};
  return vecBytes;
}

// The bytes stored for data typed on the command line.
std::vector<BYTE> EncodeData(DWORD nType, const std::string& sData) {
  if (nType == reg::TypeDword) {
    uint32_t n = ParseDword(sData.empty() ? "0" : sData);
    std::vector<BYTE> vecBytes(4);
    std::memcpy(vecBytes.data(), &n, 4);
    return vecBytes;
  }
  if (nType == reg::TypeBinary) return ParseBinary(sData);
  std::string sAnsi = host::Utf8ToAnsi(sData);
  return std::vector<BYTE>(sAnsi.c_str(), sAnsi.c_str() + sAnsi.size() + 1);
}

DWORD ParseType(const std::string& sType) {
  static const struct {
    const char* sName;
    DWORD nType;
  } aTypes[] = {{"REG_SZ", reg::TypeSz},
                {"REG_EXPAND_SZ", reg::TypeExpandSz},
                {"REG_DWORD", reg::TypeDword},
                {"REG_BINARY", reg::TypeBinary}};
  for (const auto& oType : aTypes)
    if (host::EqualsNoCase(sType, oType.sName)) return oType.nType;
  throw UsageError{"unsupported type '" + sType + "' (REG_SZ, REG_EXPAND_SZ, REG_DWORD or REG_BINARY)"};
}

// ---- arguments ----

// The switches after the key: /v NAME, /ve, /va, /s, /t TYPE, /d DATA, /f.
struct Switches {
  bool bHasValue = false;  // /v or /ve
  std::string sValue;
  bool bAllValues = false;
  bool bRecursive = false;
  std::string sType = "REG_SZ";
  std::string sData;
};

Switches ParseSwitches(const std::vector<std::string>& vecArgs, const std::string& sAllowed) {
  Switches oSwitches;
  auto allowed = [&](const std::string& s) {
    return (" " + sAllowed + " ").find(" " + host::FoldCase(s) + " ") != std::string::npos;
  };
  for (size_t i = 2; i < vecArgs.size(); ++i) {
    const std::string& sArg = vecArgs[i];
    std::string sSwitch = host::FoldCase(sArg);
    if (!allowed(sSwitch)) throw UsageError{"unexpected argument '" + sArg + "'"};
    auto next = [&]() -> const std::string& {
      if (i + 1 >= vecArgs.size()) throw UsageError{sArg + " needs a value"};
      return vecArgs[++i];
    };
    if (sSwitch == "/v") {
      oSwitches.bHasValue = true;
      oSwitches.sValue = next();
    } else if (sSwitch == "/ve") {
      oSwitches.bHasValue = true;
      oSwitches.sValue.clear();
    } else if (sSwitch == "/va") {
      oSwitches.bAllValues = true;
    } else if (sSwitch == "/s") {
      oSwitches.bRecursive = true;
    } else if (sSwitch == "/t") {
      oSwitches.sType = next();
    } else if (sSwitch == "/d") {
      oSwitches.sData = next();
    }
    // "/f" (no confirmation) is how the simulation always works.
  }
  return oSwitches;
}

void RunQuery(CommandContext& ctx, const KeyName& oKey, const Switches& oSwitches) {
  int nPrinted = QueryKey(ctx, oKey, oSwitches.bHasValue ? &oSwitches.sValue : nullptr, oSwitches.bRecursive);
  if (oSwitches.bHasValue && nPrinted == 0) PrintError(ctx, reg::ErrorFileNotFound);
}

void RunAdd(CommandContext& ctx, const KeyName& oKey, const Switches& oSwitches) {
  DWORD nType = ParseType(oSwitches.sType);
  std::vector<BYTE> vecData = EncodeData(nType, oSwitches.sData);
  COpenKey oOpen;
  LSTATUS nStatus = RegCreateKeyExA(oKey.hRoot, host::Utf8ToAnsi(oKey.sPath).c_str(), 0, nullptr,
                                    reg::OptionNonVolatile, reg::KeyWrite, nullptr, oOpen.Out(), nullptr);
  if (nStatus == reg::Success && oSwitches.bHasValue)
    nStatus = RegSetValueExA(oOpen.Get(), host::Utf8ToAnsi(oSwitches.sValue).c_str(), 0, nType,
                             vecData.data(), static_cast<DWORD>(vecData.size()));
  if (nStatus != reg::Success) return PrintError(ctx, nStatus);
  ctx.out << kDone << "\n";
}

void RunDelete(CommandContext& ctx, const KeyName& oKey, const Switches& oSwitches) {
  LSTATUS nStatus = reg::Success;
  if (oSwitches.bHasValue || oSwitches.bAllValues) {
    COpenKey oOpen;
    nStatus = OpenKey(oKey, reg::KeyRead | reg::KeySetValue, oOpen);
    if (nStatus == reg::Success && oSwitches.bHasValue) {
      nStatus = RegDeleteValueA(oOpen.Get(), host::Utf8ToAnsi(oSwitches.sValue).c_str());
    } else if (nStatus == reg::Success) {
      // Names first: each deletion shifts the indexes of the rest.
      std::vector<std::string> vecNames;
      ValueEntry oValue;
      for (DWORD nIndex = 0; EnumValueAt(oOpen.Get(), nIndex, oValue) == reg::Success; ++nIndex)
        vecNames.push_back(oValue.sName);
      for (const std::string& sName : vecNames)
        if (LSTATUS n = RegDeleteValueA(oOpen.Get(), sName.c_str())) nStatus = n;
    }
  } else {
    size_t nSep = oKey.sPath.rfind('\\');
    if (oKey.sPath.empty()) throw UsageError{"a root key cannot be deleted"};
    CWinReg oParent;
    if (!oParent.InitForAllAccess(oKey.hRoot, nSep == std::string::npos ? "" : oKey.sPath.substr(0, nSep)) ||
        !oParent.DeleteKeyRec(nSep == std::string::npos ? oKey.sPath : oKey.sPath.substr(nSep + 1)))
      nStatus = reg::ErrorFileNotFound;
  }
  if (nStatus != reg::Success) return PrintError(ctx, nStatus);
  ctx.out << kDone << "\n";
}

void RunReg(CommandContext& ctx, const std::vector<std::string>& vecArgs) {
  if (vecArgs.size() < 2) ThrowUsage();
  std::string sOperation = host::FoldCase(vecArgs[0]);
  KeyName oKey = ParseKey(vecArgs[1]);
  if (sOperation == "query") return RunQuery(ctx, oKey, ParseSwitches(vecArgs, "/v /ve /s"));
  if (sOperation == "add") return RunAdd(ctx, oKey, ParseSwitches(vecArgs, "/v /ve /t /d /f"));
  if (sOperation == "delete") return RunDelete(ctx, oKey, ParseSwitches(vecArgs, "/v /ve /va /f"));
  throw UsageError{"unknown operation '" + vecArgs[0] + "' (query, add or delete)"};
}

// ---- options ----

// How a value is stored, next to what the options make of it.
std::string StoredState(HKEY hKey, const std::string& sName) {
  DWORD nType = reg::TypeNone;
  DWORD cbData = 0;
  LSTATUS nStatus = hKey == HKEY{} ? reg::ErrorFileNotFound
                                   : RegQueryValueExA(hKey, host::Utf8ToAnsi(sName).c_str(), nullptr, &nType,
                                                      nullptr, &cbData);
  if (nStatus == reg::ErrorFileNotFound) return "missing: default";
  if (nStatus != reg::Success) return "unreadable: default";
  if (nType != reg::TypeDword) return "stored as " + TypeName(nType) + ", not a number: default";
  if (cbData > 4) return "stored with " + std::to_string(cbData) + " bytes: default";
  return "";
}

// What the options store answers for each of its values, in the order of AllValues: the three
// exclusions, the toolbar's place, the last command per item type (the named types, then the
// value the others share), and the two command bar switches (which store 0 at their first read,
// as they do for the add-in).
std::vector<int32_t> OptionValues(COptions& oOptions, size_t nValues) {
  std::vector<int32_t> vecValues = {oOptions.ExcludePrivateContacts() ? 1 : 0,
                                    oOptions.ExcludeReplied() ? 1 : 0, oOptions.ExcludeLinkItems() ? 1 : 0};
  int32_t nPosition = 0, nRowIndex = 0, nLeft = 0, nTop = 0;
  oOptions.ReadToolbarPos(nPosition, nRowIndex, nLeft, nTop);
  vecValues.insert(vecValues.end(), {nPosition, nRowIndex, nLeft, nTop});
  constexpr size_t kOthers = 7 + 2;
  const auto nCached = static_cast<int32_t>(nValues > kOthers ? nValues - kOthers : 0);
  // The last of them stands for every item type without a name of its own.
  for (int32_t nItemType = 0; nItemType < nCached; ++nItemType)
    vecValues.push_back(oOptions.GetCachedAction(nItemType + 1 == nCached ? 1000 : nItemType));
  vecValues.push_back(oOptions.TestToolbar());
  vecValues.push_back(oOptions.UseDebugButtons() ? 1 : 0);
  return vecValues;
}

void RunOptions(CommandContext& ctx, const std::vector<std::string>& vecArgs) {
  NeedArgs(vecArgs, 0, 0);
  COptions& oOptions = *g_oOptions;
  std::string sPath = oOptions.RootKeyPath();
  const std::vector<COptions::CValueInfo> vecInfo = COptions::AllValues();
  const std::vector<int32_t> vecValues = OptionValues(oOptions, vecInfo.size());
  CWinReg oReg;
  oReg.InitForRead(CWinReg::HKEY_CURRENT_USER(), sPath);
  ctx.out << "HKEY_CURRENT_USER\\" << sPath << "\n";
  for (size_t i = 0; i < vecInfo.size(); ++i) {
    const COptions::CValueInfo& oInfo = vecInfo[i];
    int32_t nValue = i < vecValues.size() ? vecValues[i] : oInfo.nDefault;
    std::string sState = StoredState(oReg.Handle(), oInfo.sName);
    char szLine[128];
    std::snprintf(szLine, sizeof szLine, "%-32s %11d", oInfo.sName.c_str(), nValue);
    ctx.out << kIndent << szLine << (sState.empty() ? "" : "    (" + sState + ")") << "\n";
  }
}

}  // namespace

std::string DefaultRegistryPath() {
  const char* szConfig = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path pathBase;
  if (szConfig && *szConfig && std::filesystem::path(szConfig).is_absolute()) {
    pathBase = szConfig;
  } else if (const char* szHome = std::getenv("HOME"); szHome && *szHome) {
    pathBase = std::filesystem::path(szHome) / ".config";
  }
  return (pathBase / "quillo" / "registry.sqlite").string();
}

bool InstallSettingsRegistry(const std::string& sPath, std::ostream& errOut) {
#ifdef _WIN32
  SetRegistry(std::make_shared<win32::Win32Registry>());
  if (sPath.empty()) return true;
  if (sPath == kMemoryRegistry) {
    std::string sWhy = win32::UseThrowAwayCurrentUser();
    if (sWhy.empty()) return true;
    errOut << "quillo-sim: --registry :memory: cannot be had: " << sWhy << ".\n";
    return false;
  }
  errOut << "quillo-sim: --registry with a file is not used on Windows: the settings are in the Windows "
            "registry (--registry :memory: for one that lasts the run).\n";
  return false;
#else
  std::shared_ptr<portable::SqliteRegistry> pRegistry =
      sPath == kMemoryRegistry
          ? portable::SqliteRegistry::OpenMemory()
          : portable::SqliteRegistry::OpenFile(sPath.empty() ? DefaultRegistryPath() : sPath);
  SetRegistry(pRegistry);
  if (pRegistry->IsUsable()) return true;
  errOut << "quillo-sim: " << pRegistry->LoadError() << "\n";
  return false;
#endif
}

void RegisterSettingsCommands(CommandTable& oTable) {
  oTable.Add({"reg", "query|add|delete KEY [/v NAME | /ve | /va] [/s] [/t TYPE] [/d DATA]",
              "reads and changes the registry like reg.exe (reg add HKCU\\Software\\Mardel\\Quillo /v "
              "ExcludeReplied /t REG_DWORD /d 1)",
              RunReg});
  oTable.Add({"options", "", "shows every setting the add-in reads, with its default when it is missing",
              RunOptions});
}

}  // namespace app
