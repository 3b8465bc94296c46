#include "chooser/frmChooseDL.h"

#include <algorithm>
#include <map>
#include <utility>

#include "chooser/mMouseWheel.h"
#include "common/mGlobals.h"
#include "common/mWinAPI.h"
#include "host/Error.h"
#include "host/Redemption.h"
#include "host/Tarvik.h"
#include "host/Text.h"
#include "platform/Ui.h"
#include "platform/WindowProc.h"
#include "resources/ChooserPictures.h"

using mGlobals::Trace;
using mGlobals::TraceError;
using mGlobals::TraceWarning;

std::shared_ptr<host::DistListItem> g_oChosenDL;
constinit CAutoNew<frmChooseDL> g_frmChooseDL;

namespace {

constexpr const char* kHint =
    "Choose contacts folder and select distribution list. You can filter items by clicking \"Find\" and "
    "reset filter by clicking \"Clear\".";
constexpr int32_t kTvsLinesAtRoot = 4;
constexpr int32_t PR_FLAG_STATUS = 0x10900003;
constexpr int32_t PR_FOLLOWUP_ICON = 0x10950003;
constexpr uint32_t kWmChar = 258;

std::shared_ptr<host::NameSpace> Session() {
  auto oSession = host::Deref(g_oApp).Session();
  host::Deref(oSession);
  return oSession;
}

// Doubles every occurrence of cQuote, as the query languages escape their own quote character.
std::string DoubleQuotes(const std::string& s, char cQuote) {
  std::string sOut;
  for (char c : s) {
    sOut += c;
    if (c == cQuote) sOut += c;
  }
  return sOut;
}

}  // namespace

std::shared_ptr<host::DistListItem> ShowChooseDList() {
  std::shared_ptr<host::DistListItem> oResult;
  try {
    g_oChosenDL.reset();
    g_frmChooseDL->SetOwner(0);
    g_frmChooseDL->Show(platform::vbModal);
    oResult = std::exchange(g_oChosenDL, nullptr);
  } catch (...) {
    TraceError("mGlobals::ShowChooseDList");
  }
  return oResult;
}

std::string GetFolderPath(const std::shared_ptr<host::MAPIFolder>& oFolder) {
  std::string sPath;
  try {
    auto oCurrent = oFolder;
    while (oCurrent) {
      sPath = oCurrent->Name() + (sPath.empty() ? "" : "\\" + sPath);
      auto oParent = oCurrent->Parent();
      if (oParent && oParent->Class() == host::olFolder)
        oCurrent = host::As<host::MAPIFolder>(oParent);
      else
        break;
    }
    return "\\\\" + sPath;
  } catch (...) {
    TraceError("mGlobals::GetFolderPath");
  }
  return {};
}

frmChooseDL::frmChooseDL()
    : Form("frmChooseDL", "Select distribution list", 9360, 6840),
      Frame1(*this, "Frame1", {240, 120, 8895, 735}, "Hints"),
      lblHint(*this, "lblHint", {240, 240, 8415, 375}, "", &Frame1),
      Label2(*this, "Label2", {240, 960, 570, 195}, "&Look in:"),
      treFolders(*this, "treFolders", {240, 1200, 8895, 2175}),
      Label1(*this, "Label1", {240, 3480, 420, 195}, "&Items:"),
      ctlGrid(*this, "ctlGrid", {240, 3720, 8895, 2415}),
      txtFind(*this, "txtFind", {240, 6240, 2655, 375}),
      btnFind(*this, "btnFind", {3000, 6240, 1095, 375}, "Find"),
      btnClear(*this, "btnClear", {4200, 6240, 1095, 375}, "Clear"),
      btnNext(*this, "btnNext", {5640, 6240, 1095, 375}, "OK"),
      btnCancel(*this, "btnCancel", {6840, 6240, 1095, 375}, "Cancel"),
      btnHelp(*this, "btnHelp", {8040, 6240, 1095, 375}, "Help"),
      lblSubjectColumn(*this, "lblSubjectColumn", {0, 0, 0, 0}, "Name"),
      lblCategoriesColumn(*this, "lblCategoriesColumn", {0, 0, 0, 0}, "Categories"),
      lblBodyColumn(*this, "lblBodyColumn", {0, 0, 0, 0}, "Notes"),
      imgDL(*this, "imgDL", {0, 0, 240, 240}),
      imgHeader1(*this, "imgHeader1", {0, 0, 240, 240}),
      imgHeader2(*this, "imgHeader2", {0, 0, 240, 240}),
      imgSort1(*this, "imgSort1", {0, 0, 300, 240}),
      imgSort2(*this, "imgSort2", {0, 0, 300, 240}),
      imgFolderIcons(*this, "imgFolderIcons"),
      tmrScroll(*this, "tmrScroll", 1, false) {
  for (size_t i = 0; i < imgFlag.size(); ++i)
    imgFlag[i] = std::make_unique<platform::Image>(*this, "imgFlag(" + std::to_string(i + 1) + ")",
                                                   platform::TwipsRect{0, 0, 240, 240});
  for (platform::Control* p :
       {static_cast<platform::Control*>(&lblSubjectColumn),
        static_cast<platform::Control*>(&lblCategoriesColumn),
        static_cast<platform::Control*>(&lblBodyColumn), static_cast<platform::Control*>(&imgDL),
        static_cast<platform::Control*>(&imgHeader1), static_cast<platform::Control*>(&imgHeader2),
        static_cast<platform::Control*>(&imgSort1), static_cast<platform::Control*>(&imgSort2)})
    p->SetVisible(false);
  for (auto& p : imgFlag) p->SetVisible(false);
  btnCancel.SetCancel(true);
  // The pictures are the design: a missing one leaves its image empty, never the dialog unusable.
  host::IgnoreErrors([&] { imgDL.SetPicture(resources::LoadResImage(resources::kListIcon)); });
  host::IgnoreErrors([&] { imgHeader1.SetPicture(resources::LoadResImage(resources::kHeaderListPicture)); });
  host::IgnoreErrors([&] { imgHeader2.SetPicture(resources::LoadResImage(resources::kHeaderFlagPicture)); });
  host::IgnoreErrors([&] { imgSort1.SetPicture(resources::LoadResImage(resources::kSortDownPicture)); });
  host::IgnoreErrors([&] { imgSort2.SetPicture(resources::LoadResImage(resources::kSortUpPicture)); });
  for (size_t i = 0; i < imgFlag.size(); ++i)
    host::IgnoreErrors([&] { imgFlag[i]->SetPicture(resources::FlagPicture(static_cast<int32_t>(i + 1))); });
  host::IgnoreErrors([&] { resources::LoadFolderIcons(imgFolderIcons); });

  m_vecHandlers.push_back(
      treFolders.NodeClick.Connect([this](platform::TreeNode& o) { treFolders_NodeClick(o); }));
  m_vecHandlers.push_back(treFolders.KeyPress.Connect([this](int16_t& n) { TypeAhead(n); }));
  m_vecHandlers.push_back(ctlGrid.KeyPress.Connect([this](int16_t& n) { TypeAhead(n); }));
  m_vecHandlers.push_back(txtFind.KeyDown.Connect([this](int16_t& n, int16_t s) { txtFind_KeyDown(n, s); }));
  m_vecHandlers.push_back(btnFind.Click.Connect([this] { btnFind_Click(); }));
  m_vecHandlers.push_back(btnClear.Click.Connect([this] { btnClear_Click(); }));
  m_vecHandlers.push_back(ctlGrid.MouseDown.Connect(
      [this](int16_t b, int16_t s, float x, float y) { ctlGrid_MouseDown(b, s, x, y); }));
  m_vecHandlers.push_back(ctlGrid.DblClick.Connect([this] { ctlGrid_DblClick(); }));
  m_vecHandlers.push_back(ctlGrid.Scroll.Connect([this] { ctlGrid_Scroll(); }));
  m_vecHandlers.push_back(tmrScroll.Tick.Connect([this] { tmrScroll_Timer(); }));
  m_vecHandlers.push_back(btnNext.Click.Connect([this] { btnNext_Click(); }));
  m_vecHandlers.push_back(btnCancel.Click.Connect([this] { btnCancel_Click(); }));
  m_vecHandlers.push_back(btnHelp.Click.Connect([this] { btnHelp_Click(); }));
}

// --- Queries ------------------------------------------------------------------------------------

std::string frmChooseDL::FindDaslQuery(const std::string& sText) {
  // The text lands inside a single-quoted literal: its own single quotes are doubled there.
  std::string sQuery = FIND_DASL_TEMPLATE;
  const std::string sEscaped = DoubleQuotes(sText, '\'');
  for (size_t n = sQuery.find('#'); n != std::string::npos; n = sQuery.find('#', n + sEscaped.size()))
    sQuery.replace(n, 1, sEscaped);
  return sQuery;
}

std::string frmChooseDL::FindRestriction(const std::string& sText) {
  // The names that start with the text: at least the text, and below the text whose last
  // character is the next one of the ANSI code page. The last character is a whole character,
  // never one byte of its UTF-8 form; without an ANSI successor the range stays open above.
  size_t nLast = sText.size();
  while (nLast > 0 && (static_cast<uint8_t>(sText[nLast - 1]) & 0xC0) == 0x80) --nLast;
  if (nLast > 0) --nLast;
  const std::string sLast = sText.substr(nLast);
  std::string sUpper;
  bool bUpper = false;
  const std::string sAnsi = host::Utf8ToAnsi(sLast);
  const bool bInCodePage = sAnsi.size() == 1 && (sAnsi != "?" || sLast == "?");
  if (bInCodePage && static_cast<uint8_t>(sAnsi[0]) < 0xFF) {
    sUpper = sText.substr(0, nLast) + host::AnsiToUtf8(std::string(1, static_cast<char>(sAnsi[0] + 1)));
    bUpper = true;
  }
  std::string s = std::string(FILTER_ALL_DL) + " And [Subject] >= \"" + DoubleQuotes(sText, '"') + "\"";
  if (bUpper) s += " And [Subject] < \"" + DoubleQuotes(sUpper, '"') + "\"";
  return s;
}

int32_t frmChooseDL::GetFlagIndex(const std::shared_ptr<host::Object>& D) {
  int32_t nResult = 0;
  std::shared_ptr<host::MAPIUtils> oUtils;
  host::IgnoreErrors([&] { oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils); });
  int32_t nStatus = 0;
  host::IgnoreErrors([&] {
    nStatus = host::Deref(oUtils).HrGetOneProp(D, PR_FLAG_STATUS).ToLong();
    nResult = nStatus;
  });
  if (nStatus == 2)
    host::IgnoreErrors([&] {
      int32_t nIcon = host::Deref(oUtils).HrGetOneProp(D, PR_FOLLOWUP_ICON).ToLong();
      if (nIcon >= 1 && nIcon <= 5) nResult = 2 + nIcon;
    });
  return nResult;
}

std::string frmChooseDL::GetSortingString(int32_t nColumn, bool bAdvanced) {
  if (nColumn == colSubject) return bAdvanced ? SORT_SUBJECT_DASL : SORT_SUBJECT;
  TraceError("frmChooseDL::GetSortingString", 0, "Invalid column - " + std::to_string(nColumn));
  return {};
}

int32_t frmChooseDL::GetSortingColumn() {
  COutlookItems& o = host::Deref(m_ViewItems);
  const std::string sSort = UseDaslSearch() && o.IsAdvancedRestrict() ? o.AdvancedSort() : o.Sort();
  if (sSort == SORT_SUBJECT || sSort == SORT_SUBJECT_DASL) return colSubject;
  TraceError("frmChooseDL::GetSortingColumn", 0, "Invalid sort - " + sSort);
  return 0;
}

bool frmChooseDL::UseDaslSearch() {
  return mGlobals::GetOutlookVersion() > 9;
}

std::string frmChooseDL::GetFolderIconKey(const std::shared_ptr<host::MAPIFolder>& oFolder) {
  try {
    auto pSession = Session();
    host::NameSpace& oSession = *pSession;
    std::map<std::string, std::string> mapKeys;
    auto oContacts = oSession.GetDefaultFolder(host::olFolderContacts);
    const std::string sPersonal =
        host::Deref(host::As<host::MAPIFolder>(host::Deref(oContacts).Parent())).EntryID();
    mapKeys[sPersonal] = "Personal";
    const std::pair<int32_t, const char*> aDefaults[] = {{host::olFolderDeletedItems, "DeletedItems"},
                                                         {host::olFolderDrafts, "Drafts"},
                                                         {host::olFolderInbox, "Inbox"},
                                                         {host::olFolderOutbox, "Outbox"},
                                                         {host::olFolderSentMail, "SentMail"}};
    for (const auto& [nFolder, sKey] : aDefaults)
      mapKeys[host::Deref(oSession.GetDefaultFolder(nFolder)).EntryID()] = sKey;
    // Outlook 2000 has no Junk folder.
    host::IgnoreErrors(
        [&] { mapKeys[host::Deref(oSession.GetDefaultFolder(host::olFolderJunk)).EntryID()] = "Junk"; });
    auto oTops = oSession.Folders();
    for (int32_t i = 1, n = host::Deref(oTops).Count(); i <= n; ++i) {
      std::string sID = host::Deref(oTops->Item(host::Variant(i))).EntryID();
      if (sID != sPersonal) mapKeys[sID] = "PersonalOther";
    }
    auto it = mapKeys.find(host::Deref(oFolder).EntryID());
    if (it != mapKeys.end()) return it->second;
    const int32_t nType = oFolder->DefaultItemType();
    switch (nType) {
      case host::olMailItem: return "Folder";
      case host::olAppointmentItem: return "Calendar";
      case host::olContactItem:
      case host::olDistributionListItem: return "Contacts";
      case host::olTaskItem: return "Tasks";
      case host::olJournalItem: return "Journal";
      case host::olNoteItem: return "Notes";
      case host::olPostItem:
        TraceWarning("frmChooseDL::GetFolderIconKey", "olPostItem, Folder = " + GetFolderPath(oFolder));
        return "Folder";
      default:
        TraceError("frmChooseDL::GetFolderIconKey", 0,
                   "Invalid oFolder.DefaultItemType = " + std::to_string(nType));
        return "Folder";
    }
  } catch (...) {
    TraceError("frmChooseDL::GetFolderIconKey");
  }
  return {};
}

// --- Loading and the folder tree ----------------------------------------------------------------

void frmChooseDL::Form_Load() {
  try {
    lblHint.SetCaption(kHint);
    mMouseWheel::Hook(ctlGrid.hWnd());
    auto oContacts = Session()->GetDefaultFolder(host::olFolderContacts);
    mWinAPI::ChangeWindowStyle(treFolders.hWnd(), kTvsLinesAtRoot, 0, false);
    treFolders.SetImageList(&imgFolderIcons);
    FillTree(Session()->Folders(), "");
    treFolders.SetSorted(true);
    treFolders.SetSelectedItem(host::Deref(oContacts).EntryID());

    m_cnViewItemsChange.reset();
    m_ViewItems = std::make_shared<COutlookItems>();
    m_cnViewItemsChange = m_ViewItems->OnChange.Connect([this] { m_ViewItems_OnChange(); });
    m_ViewItems->Init(oContacts, FILTER_ALL_DL, SORT_SUBJECT, SORT_SUBJECT_DASL, false);

    ctlGrid.SetCols(colEnd + 1);
    ctlGrid.SetColWidth(colEntryID, 0);
    ctlGrid.SetColWidth(colEnd, 0);
    ctlGrid.SetTextMatrix(0, colSubject, lblSubjectColumn.Caption());
    ctlGrid.SetTextMatrix(0, colCategories, lblCategoriesColumn.Caption());
    ctlGrid.SetTextMatrix(0, colBody, lblBodyColumn.Caption());
    const int32_t aWidths[] = {300, 300, 2535, 2400, 3000};
    for (int32_t nCol = colIcon; nCol <= colBody; ++nCol) ctlGrid.SetColWidth(nCol, aWidths[nCol - colIcon]);
    for (int32_t nCol = colSubject; nCol <= colBody; ++nCol)
      ctlGrid.SetColAlignment(nCol, platform::flexAlignLeftCenter);
    ctlGrid.SetRedraw(false);
    ctlGrid.SetRow(0);
    ctlGrid.SetCol(colIcon);
    ctlGrid.SetCellPicture(imgHeader1.Picture());
    ctlGrid.SetCellPictureAlignment(platform::flexAlignCenterCenter);
    ctlGrid.SetCol(colFlag);
    ctlGrid.SetCellPicture(imgHeader2.Picture());
    ctlGrid.SetCellPictureAlignment(platform::flexAlignCenterCenter);
    ctlGrid.SetRedraw(true);

    RefreshGrid();

    ctlGrid.SetRedraw(false);
    ctlGrid.SetRow(1);
    ctlGrid.SetCol(0);
    ctlGrid.SetRowSel(1);
    ctlGrid.SetColSel(ctlGrid.Cols() - 1);
    ctlGrid.SetRedraw(true);

    host::IgnoreErrors(
        [&] { SetIcon(platform::LoadPictureFile(host::Deref(g_oOptions->MAIN_ICON()).FileBytes())); });
    btnNext.SetEnabled(m_ViewItems->Count() >= 1);
  } catch (...) {
    TraceError("frmChooseDL::Form_Load");
  }
}

void frmChooseDL::FillTree(const std::shared_ptr<host::Folders>& oFolders, const std::string& sParentKey) {
  try {
    if (!sParentKey.empty()) treFolders.SetNodeSorted(sParentKey, true);
    host::Folders& o = host::Deref(oFolders);
    for (int32_t i = 1, n = o.Count(); i <= n; ++i) {
      auto F = o.Item(host::Variant(i));
      const std::string sKey = host::Deref(F).EntryID();
      treFolders.AddNode(sParentKey, sParentKey.empty() ? platform::tvwFirst : platform::tvwChild, sKey,
                         F->Name(), GetFolderIconKey(F));
      FillTree(F->Folders(), sKey);
    }
    if (sParentKey.empty()) treFolders.SetSorted(true);
  } catch (...) {
    TraceError("frmChooseDL::FillTree");
  }
}

void frmChooseDL::treFolders_NodeClick(platform::TreeNode& oNode) {
  try {
    const std::string sKey = oNode.sKey;
    if (m_ViewItems && m_ViewItems->GetFolder() && sKey == m_ViewItems->GetFolder()->EntryID()) return;
    auto oFolder = Session()->GetFolderFromID(sKey);
    if (host::Deref(oFolder).DefaultItemType() == host::olContactItem) {
      if (!m_ViewItems) {
        m_ViewItems = std::make_shared<COutlookItems>();
        m_cnViewItemsChange = m_ViewItems->OnChange.Connect([this] { m_ViewItems_OnChange(); });
      }
      m_ViewItems->Init(oFolder, FILTER_ALL_DL, SORT_SUBJECT, SORT_SUBJECT_DASL, false);
      ctlGrid.SetVisible(true);
      txtFind.SetEnabled(true);
      btnFind.SetEnabled(true);
      btnNext.SetEnabled(m_ViewItems->Count() >= 1);
      RefreshGrid();
    } else {
      ctlGrid.SetVisible(false);
      btnNext.SetEnabled(false);
      txtFind.SetEnabled(false);
      btnFind.SetEnabled(false);
      if (m_ViewItems) m_ViewItems->Done();
    }
  } catch (...) {
    TraceError("frmChooseDL::treFolders_NodeClick");
  }
}

// --- The grid -----------------------------------------------------------------------------------

void frmChooseDL::RefreshGrid() {
  try {
    const int32_t n = host::Deref(m_ViewItems).Count();
    m_nPageRows = std::min(n, kPageRows);
    ctlGrid.SetRedraw(false);
    ctlGrid.SetRows(1);
    ctlGrid.SetRows(n + 2);
    ctlGrid.SetRowHeight(n + 1, 0);
    if (n == 0) {
      ctlGrid.SetRedraw(true);
      return;
    }
    const int32_t nRow = ctlGrid.Row(), nCol = ctlGrid.Col(), nRowSel = ctlGrid.RowSel();
    ctlGrid.SetTopRow(1);
    ctlGrid.SetRow(0);
    ctlGrid.SetCol(colSubject);
    if (GetSortingColumn() == colSubject) {
      ctlGrid.SetCellPicture(m_ViewItems->SortDescending() ? imgSort1.Picture() : imgSort2.Picture());
      ctlGrid.SetCellPictureAlignment(platform::flexAlignRightCenter);
    }
    ctlGrid.SetCellAlignment(platform::flexAlignLeftCenter);
    DrawItems(1);
    ctlGrid.SetRow(nRow);
    ctlGrid.SetCol(nCol);
    ctlGrid.SetRowSel(nRowSel);
    ctlGrid.SetColSel(ctlGrid.Cols() - 1);
    ctlGrid.SetRedraw(true);
    m_bRefreshFailed = false;
  } catch (...) {
    TraceError("frmChooseDL::RefreshGrid");
    // The item source may already hold the new filter: rows of the old one left in the grid
    // would let OK return a list other than the one shown.
    m_bRefreshFailed = true;
    m_nPageRows = 0;
    host::IgnoreErrors([&] {
      ctlGrid.SetRows(1);
      ctlGrid.SetRows(2);
      ctlGrid.SetRowHeight(1, 0);
      ctlGrid.SetRedraw(true);
    });
  }
}

void frmChooseDL::DrawItems(int32_t nStart) {
  // A receiver of item events may replace the list while this pass runs.
  auto oItems = m_ViewItems;
  bool bAdvanced = false;
  try {
    bAdvanced = host::Deref(oItems).IsAdvancedRestrict();
    if (!bAdvanced) oItems->LoadItems();
    const bool bRedraw = ctlGrid.Redraw();
    int32_t nRow = 0, nCol = 0, nColSel = 0, nRowSel = 0;
    if (bRedraw) {
      ctlGrid.SetRedraw(false);
      nRow = ctlGrid.Row();
      nCol = ctlGrid.Col();
      nColSel = ctlGrid.ColSel();
      nRowSel = ctlGrid.RowSel();
    }
    for (int32_t i = 1; i <= m_nPageRows; ++i) {
      const int32_t r = nStart + i - 1;
      if (r > oItems->Count()) break;
      auto D = host::As<host::DistListItem>(oItems->Item(r));
      const std::string sEntryID = host::Deref(D).EntryID();
      const std::string sSubject = D->Subject();
      const std::string sCategories = D->Categories();
      const std::string sBody = D->Body();
      const int32_t nFlag = GetFlagIndex(D);
      ctlGrid.SetTextMatrix(r, colEntryID, sEntryID);
      ctlGrid.SetTextMatrix(r, colSubject, sSubject);
      ctlGrid.SetTextMatrix(r, colCategories, sCategories);
      ctlGrid.SetTextMatrix(r, colBody, sBody);
      ctlGrid.SetRow(r);
      ctlGrid.SetCol(colIcon);
      ctlGrid.SetCellPicture(imgDL.Picture());
      ctlGrid.SetCellPictureAlignment(platform::flexAlignCenterCenter);
      ctlGrid.SetCol(colFlag);
      // Flag index 0 (and any value without a picture) leaves the cell without one.
      host::IgnoreErrors([&] {
        if (nFlag < 1 || nFlag > static_cast<int32_t>(imgFlag.size()))
          host::Raise(host::err::SubscriptOutOfRange);
        ctlGrid.SetCellPicture(imgFlag[static_cast<size_t>(nFlag - 1)]->Picture());
        ctlGrid.SetCellPictureAlignment(platform::flexAlignCenterCenter);
      });
    }
    if (!bAdvanced) oItems->UnLoadItems();
    if (bRedraw) {
      ctlGrid.SetRow(nRow);
      ctlGrid.SetCol(nCol);
      ctlGrid.SetColSel(nColSel);
      ctlGrid.SetRowSel(nRowSel);
      ctlGrid.SetRedraw(true);
    }
  } catch (...) {
    TraceError("frmChooseDL::DrawItems");
    if (!bAdvanced && oItems) host::IgnoreErrors([&] { oItems->UnLoadItems(); });
  }
}

void frmChooseDL::ctlGrid_Scroll() {
  host::IgnoreErrors([&] {
    if (!ctlGrid.Redraw()) return;
    // Every scroll restarts the interval: one pass once the scrolling pauses.
    tmrScroll.SetEnabled(false);
    tmrScroll.SetEnabled(true);
  });
}

void frmChooseDL::tmrScroll_Timer() {
  host::IgnoreErrors([&] {
    tmrScroll.SetEnabled(false);
    DrawItems(ctlGrid.TopRow());
  });
}

void frmChooseDL::ctlGrid_MouseDown(int16_t, int16_t, float, float) {
  try {
    if (ctlGrid.MouseRow() != 0 || ctlGrid.MouseCol() != colSubject) return;
    const int32_t c = GetSortingColumn();
    const bool bDescending = c == colSubject ? !m_ViewItems->SortDescending() : false;
    m_ViewItems->SetSortDescending(bDescending);
    m_ViewItems->SetSort(GetSortingString(colSubject, false));
    if (UseDaslSearch()) m_ViewItems->SetAdvancedSort(GetSortingString(colSubject, true));
    RefreshGrid();
  } catch (...) {
    TraceError("frmChooseDL::ctlGrid_MouseDown");
  }
}

void frmChooseDL::ctlGrid_DblClick() {
  try {
    // Not on the hidden last row.
    if (ctlGrid.RowHeight(ctlGrid.Row()) != 0) btnNext_Click();
  } catch (...) {
    TraceError("frmChooseDL::ctlGrid_DblClick");
  }
}

// --- Finding ------------------------------------------------------------------------------------

void frmChooseDL::Find(const std::string& sText) {
  try {
    COutlookItems& o = host::Deref(m_ViewItems);
    bool bAdvanced = false;
    std::string sQuery;
    if (sText.empty()) {
      sQuery = FILTER_ALL_DL;
    } else if (UseDaslSearch()) {
      bAdvanced = true;
      sQuery = FindDaslQuery(sText);
    } else {
      sQuery = FindRestriction(sText);
    }
    const std::string sCurrent = o.IsAdvancedRestrict() ? o.AdvancedRestrict() : o.Restrict();
    if (!m_bRefreshFailed && bAdvanced == o.IsAdvancedRestrict() && sQuery == sCurrent) return;
    if (bAdvanced)
      o.SetAdvancedRestrict(sQuery);
    else
      o.SetRestrict(sQuery);
    RefreshGrid();
  } catch (...) {
    TraceError("frmChooseDL::Find");
  }
}

void frmChooseDL::btnFind_Click() {
  Find(txtFind.Text());
}

void frmChooseDL::btnClear_Click() {
  Find("");
  host::IgnoreErrors([&] { txtFind.SetText(""); });
}

void frmChooseDL::txtFind_KeyDown(int16_t& KeyCode, int16_t) {
  if (KeyCode != platform::vbKeyReturn) return;
  KeyCode = 0;
  btnFind_Click();
}

void frmChooseDL::TypeAhead(int16_t& KeyAscii) {
  host::IgnoreErrors([&] {
    const int32_t nChar = static_cast<uint16_t>(KeyAscii) & 0xFF;
    if (nChar < 32) return;
    // The character as the search box would get it typed: its own WM_CHAR, handled where the
    // caret is.
    platform::SendWindowMessage(txtFind.hWnd(), kWmChar, static_cast<uintptr_t>(nChar), 0);
    txtFind.SetFocus();
  });
}

// --- Closing ------------------------------------------------------------------------------------

void frmChooseDL::btnNext_Click() {
  try {
    COutlookItems& o = host::Deref(m_ViewItems);
    if (o.Count() == 0) {
      platform::MsgBox("Please choose at least one distibution list.", platform::vbOKOnly,
                       "Choose At Least One Name");
      return;
    }
    g_oChosenDL = host::As<host::DistListItem>(o.Item(ctlGrid.RowSel()));
    Unload();
  } catch (...) {
    TraceError("frmChooseDL::btnNext_Click");
  }
}

void frmChooseDL::btnCancel_Click() {
  host::IgnoreErrors([&] { Unload(); });
}

void frmChooseDL::btnHelp_Click() {
  host::IgnoreErrors([&] { host::Tarvik().TarvikShowContextHelp(host::AddinModuleHandle(), ""); });
}

void frmChooseDL::m_ViewItems_OnChange() {
  host::IgnoreErrors([&] {
    auto oItems = m_ViewItems;
    if (oItems && oItems->IsAdvancedRestrict()) oItems->SetAdvancedRestrict(oItems->AdvancedRestrict());
  });
  host::IgnoreErrors([&] { RefreshGrid(); });
}

void frmChooseDL::Form_Unload(int16_t&) {
  host::IgnoreErrors([&] { tmrScroll.SetEnabled(false); });
  host::IgnoreErrors([&] { mMouseWheel::UnHook(ctlGrid.hWnd()); });
  host::IgnoreErrors([&] {
    m_cnViewItemsChange.reset();
    m_ViewItems.reset();
  });
}
