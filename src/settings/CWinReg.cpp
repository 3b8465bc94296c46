#include "settings/CWinReg.h"

#include <cstring>
#include <utility>
#include <vector>

#include "host/Text.h"

using namespace platform;
using namespace platform::reg;

namespace {

constexpr REGSAM kAccessRead = reg::KeyRead;
constexpr REGSAM kAccessReadWrite = reg::KeyRead | reg::KeyWrite;
constexpr REGSAM kAccessAll = reg::KeyAllAccess;
constexpr DWORD kStringBufferSize = 256;
// Key names have at most 255 characters, value names 16383; the buffer grows up to that.
constexpr DWORD kFirstNameBuffer = 256;
constexpr DWORD kLastNameBuffer = 16384;

std::string Ansi(const std::string& s) {
  return host::Utf8ToAnsi(s);
}

}  // namespace

CWinReg::~CWinReg() {
  Close();
}

bool CWinReg::InitForRead(HKEY hRoot, const std::string& sSubKey) {
  return InitForAccess(hRoot, sSubKey, kAccessRead, false);
}

bool CWinReg::InitForWrite(HKEY hRoot, const std::string& sSubKey, bool bCreate) {
  return InitForAccess(hRoot, sSubKey, kAccessReadWrite, bCreate);
}

bool CWinReg::InitForAllAccess(HKEY hRoot, const std::string& sSubKey, bool bCreate) {
  return InitForAccess(hRoot, sSubKey, kAccessAll, bCreate);
}

bool CWinReg::InitForAccess(HKEY hRoot, const std::string& sSubKey, REGSAM samAccess, bool bCreate) {
  std::string sPath = Ansi(sSubKey);
  HKEY hNew{};
  DWORD nDisposition = 0;
  LSTATUS nStatus = bCreate ? RegCreateKeyExA(hRoot, sPath.c_str(), 0, nullptr, reg::OptionNonVolatile,
                                              samAccess, nullptr, &hNew, &nDisposition)
                            : RegOpenKeyExA(hRoot, sPath.c_str(), 0, samAccess, &hNew);
  // The key held so far is closed only now, since it may be the root of the new one; holding
  // on to it would leak its handle.
  HKEY hOld = std::exchange(m_hKey, nStatus == reg::Success ? hNew : HKEY{});
  if (hOld != HKEY{}) RegCloseKey(hOld);
  return nStatus == reg::Success;
}

template <class FEnum>
std::string CWinReg::EnumName(FEnum&& fnEnum) {
  for (DWORD cchBuffer = kFirstNameBuffer; cchBuffer <= kLastNameBuffer; cchBuffer *= 2) {
    std::vector<char> vecName(cchBuffer);
    DWORD cchName = cchBuffer;
    LSTATUS nStatus = fnEnum(vecName.data(), &cchName);
    if (nStatus == reg::Success) return host::AnsiToUtf8(std::string_view(vecName.data(), cchName));
    if (nStatus != reg::ErrorMoreData) break;
  }
  return {};
}

std::string CWinReg::Values(int32_t nIndex) {
  return EnumName([&](char* lpName, DWORD* lpcchName) {
    return RegEnumValueA(m_hKey, static_cast<DWORD>(nIndex), lpName, lpcchName, nullptr, nullptr, nullptr,
                         nullptr);
  });
}

std::string CWinReg::Keys(int32_t nIndex) {
  return EnumName([&](char* lpName, DWORD* lpcchName) {
    return RegEnumKeyExA(m_hKey, static_cast<DWORD>(nIndex), lpName, lpcchName, nullptr, nullptr, nullptr,
                         nullptr);
  });
}

bool CWinReg::DeleteAllKeys() {
  // All names first: each deletion shifts the indexes of the rest.
  std::vector<std::string> vecNames;
  for (int32_t nIndex = 0;; ++nIndex) {
    std::string sName = Keys(nIndex);
    if (sName.empty()) break;
    vecNames.push_back(std::move(sName));
  }
  CWinReg oChild;
  for (const std::string& sName : vecNames) {
    if (oChild.InitForAllAccess(m_hKey, sName)) {
      oChild.DeleteAllKeys();
      oChild.Close();
    }
    DeleteKey(sName);
  }
  char chName = 0;
  DWORD cchName = 1;
  return RegEnumKeyExA(m_hKey, 0, &chName, &cchName, nullptr, nullptr, nullptr, nullptr) ==
         reg::ErrorNoMoreItems;
}

bool CWinReg::DeleteKeyRec(const std::string& sSubKey) {
  {
    CWinReg oChild;
    if (oChild.InitForAllAccess(m_hKey, sSubKey)) {
      oChild.DeleteAllKeys();
      oChild.Close();
    }
  }
  return DeleteKey(sSubKey);
}

bool CWinReg::Close() {
  if (!IsOpen()) return true;
  return RegCloseKey(std::exchange(m_hKey, HKEY{})) == reg::Success;
}

bool CWinReg::SetString(const std::string& sName, const std::string& sText) {
  if (!IsOpen()) return false;
  std::string sData = Ansi(sText);
  // The terminating zero is part of the data.
  return RegSetValueExA(m_hKey, Ansi(sName).c_str(), 0, reg::TypeSz,
                        reinterpret_cast<const BYTE*>(sData.c_str()),
                        static_cast<DWORD>(sData.size() + 1)) == reg::Success;
}

std::string CWinReg::GetString(const std::string& sName) {
  if (!IsOpen()) return {};
  char achBuffer[kStringBufferSize] = {};
  DWORD nType = reg::TypeNone;
  DWORD cbData = kStringBufferSize;
  if (RegQueryValueExA(m_hKey, Ansi(sName).c_str(), nullptr, &nType, reinterpret_cast<BYTE*>(achBuffer),
                       &cbData) != reg::Success)
    return {};
  if (nType != reg::TypeSz && nType != reg::TypeExpandSz) return {};
  // A text stored without its terminating zero ends at the data's size.
  std::string_view sText(achBuffer, cbData);
  return host::AnsiToUtf8(sText.substr(0, sText.find('\0')));
}

bool CWinReg::SetDWORD(const std::string& sName, int32_t nValue) {
  if (!IsOpen()) return false;
  BYTE abData[sizeof(int32_t)];
  std::memcpy(abData, &nValue, sizeof abData);
  return RegSetValueExA(m_hKey, Ansi(sName).c_str(), 0, reg::TypeDword, abData, sizeof abData) ==
         reg::Success;
}

int32_t CWinReg::GetDWORD(const std::string& sName, int32_t nDefault) {
  if (!IsOpen()) return 0;
  BYTE abData[sizeof(int32_t)] = {};
  DWORD nType = reg::TypeNone;
  DWORD cbData = sizeof abData;
  if (RegQueryValueExA(m_hKey, Ansi(sName).c_str(), nullptr, &nType, abData, &cbData) != reg::Success ||
      nType != reg::TypeDword)
    return nDefault;
  int32_t nValue = 0;
  std::memcpy(&nValue, abData, sizeof nValue);
  return nValue;
}

bool CWinReg::SetBool(const std::string& sName, bool bValue) {
  return SetString(sName, bValue ? "yes" : "no");
}

bool CWinReg::GetBool(const std::string& sName) {
  return host::FoldCase(GetString(sName)) == "yes";
}

bool CWinReg::DeleteValue(const std::string& sName) {
  return IsOpen() && RegDeleteValueA(m_hKey, Ansi(sName).c_str()) == reg::Success;
}

bool CWinReg::DeleteKey(const std::string& sSubKey) {
  return IsOpen() && RegDeleteKeyA(m_hKey, Ansi(sSubKey).c_str()) == reg::Success;
}

bool CWinReg::Flush() {
  return IsOpen() && RegFlushKey(m_hKey) == reg::Success;
}
