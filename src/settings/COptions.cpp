#include "settings/COptions.h"

#include <iterator>

#include "settings/CWinReg.h"

constinit CAutoNew<COptions> g_oOptions;

namespace {

constexpr const char* kExcludePrivateContacts = "ExcludePrivateContacts";
constexpr const char* kExcludeReplied = "ExcludeReplied";
constexpr const char* kExcludeLinkItems = "ExcludeLinkItems";
constexpr const char* kToolbarPosition = "Toolbar.Position";
constexpr const char* kToolbarRowIndex = "Toolbar.RowIndex";
constexpr const char* kToolbarLeft = "Toolbar.Left";
constexpr const char* kToolbarTop = "Toolbar.Top";
constexpr const char* kCachedActionPrefix = "CachedAction_";
constexpr const char* kTestToolbar = "TestToolbar";
constexpr const char* kUseDebugButtons = "UseDebugButtons";

constexpr int32_t kDefaultFalse = 0;
constexpr int32_t kDefaultPosition = 1;   // top
constexpr int32_t kDefaultRowIndex = -1;  // the last row
constexpr int32_t kDefaultLeft = 0;
constexpr int32_t kDefaultTop = 0;
constexpr int32_t kDefaultCachedAction = 0;
// Stands for "never read"; replaced by 0 and written back at the first read.
constexpr int32_t kUnset = -1;

// By Outlook's folder item type number.
constexpr const char* kItemTypeNames[] = {"Mail",    "Appointment", "Contact", "Task",
                                          "Journal", "Note",        "Post",    "DistributionList"};

constexpr int32_t kStrHomePage = 601;
constexpr int32_t kStrCompanyShortName = 602;
constexpr int32_t kStrProductShortName = 603;

constexpr bool kPerUser = true;

}  // namespace

std::vector<COptions::CValueInfo> COptions::AllValues() {
  std::vector<CValueInfo> vecValues = {
      {kExcludePrivateContacts, kDefaultFalse},
      {kExcludeReplied, kDefaultFalse},
      {kExcludeLinkItems, kDefaultFalse},
      {kToolbarPosition, kDefaultPosition},
      {kToolbarRowIndex, kDefaultRowIndex},
      {kToolbarLeft, kDefaultLeft},
      {kToolbarTop, kDefaultTop},
  };
  for (int32_t nItemType = 0; nItemType < static_cast<int32_t>(std::size(kItemTypeNames)); ++nItemType)
    vecValues.push_back({kCachedActionPrefix + ItemTypeName(nItemType), kDefaultCachedAction});
  // Item types without a name share one value.
  vecValues.push_back({kCachedActionPrefix, kDefaultCachedAction});
  vecValues.push_back({kTestToolbar, kUnset});
  vecValues.push_back({kUseDebugButtons, kUnset});
  return vecValues;
}

bool COptions::ExcludePrivateContacts() {
  return ReadValue(kExcludePrivateContacts, kDefaultFalse, kPerUser) != 0;
}
void COptions::ExcludePrivateContacts(bool bValue) {
  WriteValue(kExcludePrivateContacts, bValue ? 1 : 0, kPerUser);
}
bool COptions::ExcludeReplied() {
  return ReadValue(kExcludeReplied, kDefaultFalse, kPerUser) != 0;
}
void COptions::ExcludeReplied(bool bValue) {
  WriteValue(kExcludeReplied, bValue ? 1 : 0, kPerUser);
}
bool COptions::ExcludeLinkItems() {
  return ReadValue(kExcludeLinkItems, kDefaultFalse, kPerUser) != 0;
}
void COptions::ExcludeLinkItems(bool bValue) {
  WriteValue(kExcludeLinkItems, bValue ? 1 : 0, kPerUser);
}

// Each value is written on its own: one that fails does not keep the others from being stored.
void COptions::WriteToolbarPos(int32_t nPosition, int32_t nRowIndex, int32_t nLeft, int32_t nTop) {
  WriteValue(kToolbarPosition, nPosition, kPerUser);
  WriteValue(kToolbarRowIndex, nRowIndex, kPerUser);
  WriteValue(kToolbarLeft, nLeft, kPerUser);
  WriteValue(kToolbarTop, nTop, kPerUser);
}

void COptions::ReadToolbarPos(int32_t& nPosition, int32_t& nRowIndex, int32_t& nLeft, int32_t& nTop) {
  nPosition = ReadValue(kToolbarPosition, kDefaultPosition, kPerUser);
  nRowIndex = ReadValue(kToolbarRowIndex, kDefaultRowIndex, kPerUser);
  nLeft = ReadValue(kToolbarLeft, kDefaultLeft, kPerUser);
  nTop = ReadValue(kToolbarTop, kDefaultTop, kPerUser);
}

void COptions::SetCachedAction(int32_t nAction, int32_t nItemType) {
  WriteValue(kCachedActionPrefix + ItemTypeName(nItemType), nAction, kPerUser);
}

int32_t COptions::GetCachedAction(int32_t nItemType) {
  return ReadValue(kCachedActionPrefix + ItemTypeName(nItemType), kDefaultCachedAction, kPerUser);
}

int32_t COptions::TestToolbar() {
  int32_t nValue = ReadValue(kTestToolbar, kUnset, kPerUser);
  if (nValue == kUnset) {
    nValue = 0;
    WriteValue(kTestToolbar, nValue, kPerUser);
  }
  return nValue == 0 ? 1 : 0;
}

bool COptions::UseDebugButtons() {
  int32_t nValue = ReadValue(kUseDebugButtons, kUnset, kPerUser);
  if (nValue != 0 && nValue != 1) {
    nValue = 0;
    WriteValue(kUseDebugButtons, nValue, kPerUser);
  }
  return nValue == 1;
}

std::string COptions::ProductHomePage() {
  return resources::LoadResString(kStrHomePage);
}
std::string COptions::CompanyShortName() {
  return resources::LoadResString(kStrCompanyShortName);
}
std::string COptions::ProductShortName() {
  return resources::LoadResString(kStrProductShortName);
}

std::shared_ptr<const resources::CPicture> COptions::MAIN_ICON() {
  return resources::LoadResPicture("MAIN_ICON", resources::vbResIcon);
}

std::shared_ptr<const resources::CPicture> COptions::LOGO() {
  return resources::LoadResPicture("LOGO", resources::vbResBitmap);
}

std::string COptions::RootKeyPath() {
  return "Software\\" + CompanyShortName() + "\\" + ProductShortName();
}

int32_t COptions::ReadValue(const std::string& sName, int32_t nDefault, bool bPerUser) noexcept {
  try {
    CWinReg oReg;
    if (!oReg.InitForRead(bPerUser ? CWinReg::HKEY_CURRENT_USER() : CWinReg::HKEY_LOCAL_MACHINE(),
                          RootKeyPath()))
      return nDefault;
    int32_t nValue = oReg.GetDWORD(sName, nDefault);
    oReg.Close();
    return nValue;
  } catch (...) {
    return nDefault;
  }
}

// The key is created by the first write.
bool COptions::WriteValue(const std::string& sName, int32_t nValue, bool bPerUser) noexcept {
  try {
    CWinReg oReg;
    if (!oReg.InitForWrite(bPerUser ? CWinReg::HKEY_CURRENT_USER() : CWinReg::HKEY_LOCAL_MACHINE(),
                           RootKeyPath(), true))
      return false;
    bool bWritten = oReg.SetDWORD(sName, nValue);
    oReg.Close();
    return bWritten;
  } catch (...) {
    return false;
  }
}

std::string COptions::ItemTypeName(int32_t nItemType) {
  if (nItemType < 0 || nItemType >= static_cast<int32_t>(std::size(kItemTypeNames))) return {};
  return kItemTypeNames[nItemType];
}
