// The choose-list dialog: every folder of every open store in a tree; for a contacts folder, a
// grid of its distribution lists (name, categories, notes, list icon, follow-up flag), which the
// user can narrow by name, sort by name and pick one of. ShowChooseDList shows it modally and
// returns the chosen list, or Nothing when the user cancels.
//
// The grid is filled lazily: it is sized to the item count at once, but item data is read only
// for the rows in view, at most seven per pass, once scrolling has paused.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "chooser/COutlookItems.h"
#include "host/Event.h"
#include "host/Outlook.h"
#include "platform/Controls.h"
#include "settings/COptions.h"

// The list chosen in the dialog; Nothing until OK succeeds (ShowChooseDList clears it again).
extern std::shared_ptr<host::DistListItem> g_oChosenDL;

// Shows the dialog and returns the chosen list, or Nothing. Never raises an error.
std::shared_ptr<host::DistListItem> ShowChooseDList();

// "\\Mailbox\Contacts\Lists": two backslashes, then the names from the store's top folder down.
// Empty after an error (reported).
std::string GetFolderPath(const std::shared_ptr<host::MAPIFolder>& oFolder);

class frmChooseDL : public platform::Form {
 public:
  // Rows filled per drawing pass.
  static constexpr int32_t kPageRows = 7;
  static constexpr const char* FILTER_ALL_DL = "[MessageClass] = \"IPM.DistList\"";
  static constexpr const char* SORT_SUBJECT = "[Subject]";
  static constexpr const char* SORT_SUBJECT_DASL = "urn:schemas:mailheader:subject";
  static constexpr const char* FIND_DASL_TEMPLATE =
      "\"http://schemas.microsoft.com/mapi/proptag/0x001a001e\" LIKE '%IPM.DistList%' And "
      "urn:schemas:mailheader:subject LIKE '%#'";
  // Hidden grid columns: the entry ID and an empty last one.
  enum EColumn : int32_t { colEntryID = 0, colIcon, colFlag, colSubject, colCategories, colBody, colEnd };

  frmChooseDL();

  platform::Frame Frame1;
  platform::Label lblHint;
  platform::Label Label2;
  platform::TreeView treFolders;
  platform::Label Label1;
  platform::Grid ctlGrid;
  platform::TextBox txtFind;
  platform::Button btnFind;
  platform::Button btnClear;
  platform::Button btnNext;
  platform::Button btnCancel;
  platform::Button btnHelp;
  platform::Label lblSubjectColumn;
  platform::Label lblCategoriesColumn;
  platform::Label lblBodyColumn;
  platform::Image imgDL;
  platform::Image imgHeader1;
  platform::Image imgHeader2;
  platform::Image imgSort1;
  platform::Image imgSort2;
  // imgFlag(1) to imgFlag(7): element i - 1 here.
  std::array<std::unique_ptr<platform::Image>, 7> imgFlag;
  platform::ImageList imgFolderIcons;
  platform::Timer tmrScroll;

  // The list source of the grid while a contacts folder is shown; Nothing otherwise.
  std::shared_ptr<COutlookItems> ViewItems() const { return m_ViewItems; }
  // Applies a search text: empty lists every list, otherwise a name search.
  void Find(const std::string& sText);

  // The queries Find builds. The text is escaped where it is placed: quotes of the query's own
  // kind are doubled, so no text changes the query's shape.
  static std::string FindDaslQuery(const std::string& sText);
  static std::string FindRestriction(const std::string& sText);
  // 0 to 7 from the item's flag status and follow-up icon; 0 when they cannot be read.
  static int32_t GetFlagIndex(const std::shared_ptr<host::Object>& D);
  static std::string GetSortingString(int32_t nColumn, bool bAdvanced);
  int32_t GetSortingColumn();
  static bool UseDaslSearch();
  std::string GetFolderIconKey(const std::shared_ptr<host::MAPIFolder>& oFolder);

 protected:
  void Form_Load() override;
  void Form_Unload(int16_t& Cancel) override;

 private:
  void FillTree(const std::shared_ptr<host::Folders>& oFolders, const std::string& sParentKey);
  void RefreshGrid();
  void DrawItems(int32_t nStart);

  void treFolders_NodeClick(platform::TreeNode& oNode);
  void TypeAhead(int16_t& KeyAscii);
  void txtFind_KeyDown(int16_t& KeyCode, int16_t Shift);
  void btnFind_Click();
  void btnClear_Click();
  void ctlGrid_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void ctlGrid_DblClick();
  void ctlGrid_Scroll();
  void tmrScroll_Timer();
  void btnNext_Click();
  void btnCancel_Click();
  void btnHelp_Click();
  void m_ViewItems_OnChange();

  std::shared_ptr<COutlookItems> m_ViewItems;
  host::Connection m_cnViewItemsChange;
  int32_t m_nPageRows = 0;
  // The last refresh failed: the grid was emptied, and the same Find may try again.
  bool m_bRefreshFailed = false;
  std::vector<host::Connection> m_vecHandlers;
};

extern constinit CAutoNew<frmChooseDL> g_frmChooseDL;
