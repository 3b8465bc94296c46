// The add-in's settings and its fixed texts and pictures. Settings live under
// HKEY_CURRENT_USER\Software\Mardel\Quillo, one REG_DWORD each, and are read or written at every
// access, so a change made in the options dialog is seen by the very next command. A registry
// that cannot be read gives the defaults; a failed write is silent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/CAutoNew.h"
#include "resources/Resources.h"

class COptions {
 public:
  // A value the options read, and what they take when it is missing or not a REG_DWORD.
  struct CValueInfo {
    std::string sName;
    int32_t nDefault;
  };
  // Every value read, in the order of the members below (quillo-sim shows them).
  static std::vector<CValueInfo> AllValues();

  bool ExcludePrivateContacts();
  void ExcludePrivateContacts(bool bValue);
  bool ExcludeReplied();
  void ExcludeReplied(bool bValue);
  bool ExcludeLinkItems();
  void ExcludeLinkItems(bool bValue);

  // Office's numbering of docking positions: 0 left, 1 top, 2 right, 3 bottom, 4 floating.
  void WriteToolbarPos(int32_t nPosition, int32_t nRowIndex, int32_t nLeft, int32_t nTop);
  void ReadToolbarPos(int32_t& nPosition, int32_t& nRowIndex, int32_t& nLeft, int32_t& nTop);

  // The last command used per folder item type (0 "TO", 1 "CC", 2 "BCC", 3 new list, 4 list).
  void SetCachedAction(int32_t nAction, int32_t nItemType);
  int32_t GetCachedAction(int32_t nItemType);

  // Command bar switches; a missing value is stored as 0 at its first read.
  int32_t TestToolbar();
  bool UseDebugButtons();

  std::string ProductHomePage();
  std::string CompanyShortName();
  std::string ProductShortName();
  std::shared_ptr<const resources::CPicture> MAIN_ICON();
  std::shared_ptr<const resources::CPicture> LOGO();

  // "Software\Mardel\Quillo", under HKEY_CURRENT_USER.
  std::string RootKeyPath();

 private:
  int32_t ReadValue(const std::string& sName, int32_t nDefault, bool bPerUser) noexcept;
  bool WriteValue(const std::string& sName, int32_t nValue, bool bPerUser) noexcept;
  static std::string ItemTypeName(int32_t nItemType);
};

extern constinit CAutoNew<COptions> g_oOptions;
