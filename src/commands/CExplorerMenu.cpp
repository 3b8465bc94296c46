#include "commands/CExplorerMenu.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>

#include "commands/CClipboard.h"
#include "commands/mButtonFaces.h"
#include "common/mGlobals.h"
#include "host/Error.h"
#include "host/Tarvik.h"
#include "platform/Clipboard.h"
#include "settings/COptions.h"
#include "settings/frmOptions.h"

using host::Deref;
using host::IgnoreErrors;
using host::Variant;
using mGlobals::Trace;
using mGlobals::TraceError;

namespace {

constexpr const char* kOnUpdateSource = "CExplorerMenu::m_OutlookBars_OnUpdate";
constexpr int32_t kFaceCachedAction = 1701;
// The built-in controls the popups are placed behind.
constexpr int32_t kAnchorForward = 356;
constexpr int32_t kAnchorCategories = 1970;
// Controls of other add-ins whose presence in "Context Menu" keeps ours out of it, in the
// order they are tested.
constexpr int32_t kBlockingControls[] = {7887, 1747, 1880, 1878, 1746, 1917, 1916};

// Recipient types of a new mail.
constexpr int32_t olTo = 1;
constexpr int32_t olCC = 2;
constexpr int32_t olBCC = 3;

Variant Long(int32_t n) {
  return Variant(n);
}

// The Actions popup of "Menu Bar" for a folder item type; 0 for types without one.
int32_t ActionsMenuId(int32_t nItemType) {
  switch (nItemType) {
    case 0: return 30131;
    case 1: return 30142;
    case 2: return 30141;
    case 3: return 30149;
    default: return 0;
  }
}

// Puts a device-independent bitmap on the clipboard as the only format; false when it is not
// there afterwards (clipboard busy, no memory). The clipboard is closed on every way out.
bool PutDibOnClipboard(const std::vector<uint8_t>& vecDib) {
  if (!platform::OpenClipboard(platform::HWND(0))) return false;
  bool bPlaced = false;
  platform::EmptyClipboard();
  platform::HGLOBAL hMem = platform::GlobalAlloc(platform::GMEM_MOVEABLE, vecDib.size());
  if (hMem != platform::kNoHandle) {
    if (void* p = platform::GlobalLock(hMem)) {
      std::memcpy(p, vecDib.data(), vecDib.size());
      platform::GlobalUnlock(hMem);
      bPlaced = platform::SetClipboardData(platform::CF_DIB, hMem) != platform::kNoHandle;
    }
    if (!bPlaced) platform::GlobalFree(hMem);
  }
  platform::CloseClipboard();
  return bPlaced;
}

// Save and Restore of the shared clipboard keeper as one pair, also when a step fails between.
class CClipboardKept {
 public:
  explicit CClipboardKept(bool bKeep) : m_bKeep(bKeep) {
    if (m_bKeep) g_oClipboard->Save();
  }
  ~CClipboardKept() {
    if (m_bKeep) g_oClipboard->Restore();
  }
  CClipboardKept(const CClipboardKept&) = delete;
  CClipboardKept& operator=(const CClipboardKept&) = delete;

 private:
  bool m_bKeep;
};

std::tm LocalNow() {
  std::time_t t = std::time(nullptr);
  std::tm tmNow{};
#if defined(_WIN32)
  localtime_s(&tmNow, &t);
#else
  localtime_r(&t, &tmNow);
#endif
  return tmNow;
}

}  // namespace

// --- Creation and destruction ---

void CExplorerMenu::Create(const std::shared_ptr<host::Explorer>& oExplorer) {
  // Errors are ignored step by step: a missing folder, a failed face or a failed position leaves
  // the rest of the command set working.
  m_oExplorer = oExplorer;
  m_nItemType = 0;
  IgnoreErrors([&] { m_nItemType = Deref(Deref(oExplorer).CurrentFolder()).DefaultItemType(); });
  bool bKeepClipboard = false;
  IgnoreErrors([&] { bKeepClipboard = IsOutlook2000(); });
  CClipboardKept oKept(bKeepClipboard);

  IgnoreErrors([&] { m_sMenuID = MakeMenuID(); });
  IgnoreErrors([&] {
    m_cbToolbar = Deref(Deref(oExplorer).CommandBars())
                      .Add(Variant(g_oOptions->ProductShortName()), Long(host::msoBarTop), Variant(false),
                           Variant(true));
  });
  RestoreToolbarPos();

  int32_t nTestToolbar = 0;
  IgnoreErrors([&] { nTestToolbar = g_oOptions->TestToolbar(); });
  IgnoreErrors([&] {
    auto oButton = host::As<host::CommandBarButton>(Deref(Deref(m_cbToolbar).Controls()).Add(Long(1)));
    Bind(m_btnCachedAction, oButton, &CExplorerMenu::m_btnCachedAction_Click);
  });
  IgnoreErrors([&] { Deref(m_btnCachedAction.o).SetStyle(host::msoButtonIcon); });
  IgnoreErrors([&] { Deref(m_btnCachedAction.o).SetFaceId(kFaceCachedAction); });
  if (nTestToolbar != 0) {
    IgnoreErrors([&] { Deref(m_btnCachedAction.o).SetStyle(host::msoButtonIconAndCaption); });
    IgnoreErrors([&] { Deref(m_btnCachedAction.o).SetCaption(g_oOptions->ProductShortName()); });
  }
  IgnoreErrors([&] { Deref(m_btnCachedAction.o).SetVisible(true); });
  IgnoreErrors([&] { UpdateCachedAction(g_oOptions->GetCachedAction(m_nItemType)); });

  Popup oPopup;
  IgnoreErrors([&] {
    oPopup = host::As<host::CommandBarPopup>(
        Deref(Deref(m_cbToolbar).Controls()).Add(Long(host::msoControlPopup), {}, {}, {}, Variant(true)));
  });
  IgnoreErrors([&] { Deref(oPopup).SetCaption(g_oOptions->ProductShortName()); });
  if (nTestToolbar != 0) IgnoreErrors([&] { Deref(oPopup).SetCaption(" "); });
  IgnoreErrors([&] { Deref(oPopup).SetVisible(true); });
  FillPopup(oPopup, bsToolbar, false);

  bool bDebug = false;
  IgnoreErrors([&] { bDebug = g_oOptions->UseDebugButtons(); });
  if (bDebug) {
    IgnoreErrors([&] {
      auto oButton = host::As<host::CommandBarButton>(
          Deref(Deref(Deref(oPopup).CommandBar()).Controls()).Add(Long(1), Long(1), {}, {}, Variant(true)));
      Bind(m_btnDebug, oButton, &CExplorerMenu::m_btnDebug_Click);
    });
    IgnoreErrors([&] { Deref(m_btnDebug.o).SetStyle(host::msoButtonCaption); });
    IgnoreErrors([&] { Deref(m_btnDebug.o).SetCaption("DEBUG"); });
  }
  IgnoreErrors([&] { Deref(m_cbToolbar).SetVisible(true); });

  // From now on Office's updates arrive; the first one builds the menu popups.
  IgnoreErrors([&] {
    m_OutlookBars = Deref(oExplorer).CommandBars();
    std::weak_ptr<host::Object> wSelf = weak_from_this();
    m_cOutlookBarsUpdate = Deref(m_OutlookBars).OnUpdate.Connect([wSelf] {
      if (auto pSelf = std::static_pointer_cast<CExplorerMenu>(wSelf.lock())) pSelf->m_OutlookBars_OnUpdate();
    });
  });
}

CExplorerMenu::~CExplorerMenu() {
  if (m_cbToolbar) SaveToolbarPos();
  IgnoreErrors([&] { g_oOptions->SetCachedAction(GetCurrentAction(), m_nItemType); });
  m_cOutlookBarsUpdate.reset();
  m_OutlookBars.reset();
  m_cbToolbar.reset();
  m_btnCachedAction.reset();
  for (auto& ref : m_btn[bsToolbar]) ref.reset();
  m_btnDebug.reset();
  for (int32_t nSet : {bsActions, bsContext, bsFolderContext})
    for (auto& ref : m_btn[nSet]) ref.reset();
  m_oExplorer.reset();
}

std::string CExplorerMenu::MakeMenuID() {
  // One generator for the process, seeded from the clock: two command sets made in the same
  // second still get different identifiers.
  static std::mutex s_mtx;
  static std::mt19937 s_oRandom(
      static_cast<uint32_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count() ^
                            std::chrono::system_clock::now().time_since_epoch().count()));
  std::string sID;
  {
    std::lock_guard<std::mutex> lock(s_mtx);
    std::uniform_real_distribution<double> oRnd(0.0, 1.0);
    for (int i = 0; i < 8; ++i) sID += static_cast<char>('0' + static_cast<int>(9 * oRnd(s_oRandom)) % 9);
  }
  std::tm tmNow = LocalNow();
  char szDate[32];
  std::snprintf(szDate, sizeof szDate, "%04d%02d%02d%02d%02d%02d", (tmNow.tm_year + 1900) % 10000,
                (tmNow.tm_mon + 1) % 100, tmNow.tm_mday % 100, tmNow.tm_hour % 100, tmNow.tm_min % 100,
                tmNow.tm_sec % 100);
  return sID + szDate;
}

bool CExplorerMenu::IsOutlook2000() {
  if (m_nOutlookVersion == 0) m_nOutlookVersion = mGlobals::GetOutlookVersion();
  return m_nOutlookVersion <= 9;
}

// --- Faces, cached action, toolbar position ---

void CExplorerMenu::SetButtonFace(const std::shared_ptr<host::CommandBarButton>& oButton, int32_t nPictureID,
                                  int32_t nMaskID) {
  std::vector<uint8_t> vecPicture, vecMask;
  IgnoreErrors([&] { vecPicture = mButtonFaces::ResourceDib(nPictureID); });
  IgnoreErrors([&] { vecMask = mButtonFaces::ResourceDib(nMaskID); });
  if (IsOutlook2000()) {
    // Office 2000 takes a face only from the clipboard; the mask cannot be given there.
    CClipboardKept oKept(true);
    bool bPlaced = false;
    IgnoreErrors([&] { bPlaced = !vecPicture.empty() && PutDibOnClipboard(vecPicture); });
    // Without our picture on the clipboard, a paste would take whatever the user left there.
    if (bPlaced) IgnoreErrors([&] { Deref(oButton).PasteFace(); });
    return;
  }
  IgnoreErrors(
      [&] { Deref(oButton).SetPicture(mButtonFaces::PictureFromDib(vecPicture.data(), vecPicture.size())); });
  IgnoreErrors([&] { Deref(oButton).SetMask(mButtonFaces::PictureFromDib(vecMask.data(), vecMask.size())); });
}

void CExplorerMenu::UpdateCachedAction(int32_t nCode) {
  m_nCachedAction = nCode;
  static const struct {
    int32_t nPicture;
    const char* sTooltip;
  } kFaces[] = {{101, "TO"},
                {102, "CC"},
                {103, "BCC"},
                {104, "New Distribution List"},
                {105, "Existing Distribution List"}};
  int32_t nAction = GetCurrentAction();
  if (nAction < 0 || nAction > 4) {
    SetButtonFace(m_btnCachedAction.o, 101, 201);
    UpdateCachedAction(0);
    return;
  }
  SetButtonFace(m_btnCachedAction.o, kFaces[nAction].nPicture, kFaces[nAction].nPicture + 100);
  IgnoreErrors([&] { Deref(m_btnCachedAction.o).SetTooltipText(kFaces[nAction].sTooltip); });
}

void CExplorerMenu::OnFolderSwitch(const std::shared_ptr<host::MAPIFolder>& oFolder) {
  int32_t nItemType = m_nItemType;
  bool bRead = false;
  IgnoreErrors([&] {
    nItemType = Deref(oFolder).DefaultItemType();
    bRead = true;
  });
  if (!bRead || nItemType == m_nItemType) return;
  IgnoreErrors([&] { g_oOptions->SetCachedAction(GetCurrentAction(), m_nItemType); });
  m_nItemType = nItemType;
  IgnoreErrors([&] { UpdateCachedAction(g_oOptions->GetCachedAction(m_nItemType)); });
}

void CExplorerMenu::RestoreToolbarPos() {
  int32_t nPosition = 0, nRowIndex = 0, nLeft = 0, nTop = 0;
  bool bRead = false;
  IgnoreErrors([&] {
    g_oOptions->ReadToolbarPos(nPosition, nRowIndex, nLeft, nTop);
    bRead = true;
  });
  if (!bRead) return;
  IgnoreErrors([&] { Deref(m_cbToolbar).SetPosition(nPosition); });
  IgnoreErrors([&] { Deref(m_cbToolbar).SetRowIndex(nRowIndex); });
  IgnoreErrors([&] { Deref(m_cbToolbar).SetLeft(nLeft); });
  IgnoreErrors([&] { Deref(m_cbToolbar).SetTop(nTop); });
}

void CExplorerMenu::SaveToolbarPos() {
  int32_t nPosition = 0, nRowIndex = 0, nLeft = 0, nTop = 0;
  IgnoreErrors([&] { nPosition = Deref(m_cbToolbar).Position(); });
  IgnoreErrors([&] { nRowIndex = Deref(m_cbToolbar).RowIndex(); });
  IgnoreErrors([&] { nLeft = Deref(m_cbToolbar).Left(); });
  IgnoreErrors([&] { nTop = Deref(m_cbToolbar).Top(); });
  IgnoreErrors([&] { g_oOptions->WriteToolbarPos(nPosition, nRowIndex, nLeft, nTop); });
}

// --- The menu buttons ---

CExplorerMenu::Button CExplorerMenu::AddMenuButton(const Popup& oPopup, const std::string& sTag,
                                                   const std::string& sCaption, int32_t nPictureID,
                                                   int32_t nMaskID, bool bBeginGroup) {
  auto oButton = host::As<host::CommandBarButton>(
      Deref(Deref(Deref(oPopup).CommandBar()).Controls()).Add(Long(1), Long(1), {}, {}, Variant(true)));
  Deref(oButton);
  // Once the button exists it is kept and clickable, whatever fails in dressing it.
  IgnoreErrors([&] { oButton->SetStyle(host::msoButtonIconAndCaption); });
  IgnoreErrors([&] { oButton->SetCaption(sCaption); });
  if (!sTag.empty()) IgnoreErrors([&] { oButton->SetTag(sTag); });
  if (bBeginGroup) IgnoreErrors([&] { oButton->SetBeginGroup(true); });
  SetButtonFace(oButton, nPictureID, nMaskID);
  return oButton;
}

CExplorerMenu::Button CExplorerMenu::AddToButton(const Popup& oPopup, const std::string& sTag) {
  return AddMenuButton(oPopup, sTag, "&TO", 101, 201, false);
}
CExplorerMenu::Button CExplorerMenu::AddCcButton(const Popup& oPopup, const std::string& sTag) {
  return AddMenuButton(oPopup, sTag, "&CC", 102, 202, false);
}
CExplorerMenu::Button CExplorerMenu::AddBccButton(const Popup& oPopup, const std::string& sTag) {
  return AddMenuButton(oPopup, sTag, "&BCC", 103, 203, false);
}
CExplorerMenu::Button CExplorerMenu::AddNewDLButton(const Popup& oPopup, const std::string& sTag) {
  return AddMenuButton(oPopup, sTag, "&New Disribution List", 104, 204, true);
}
CExplorerMenu::Button CExplorerMenu::AddExistingDLButton(const Popup& oPopup, const std::string& sTag) {
  return AddMenuButton(oPopup, sTag, "&Existing Distribution List", 105, 205, false);
}
CExplorerMenu::Button CExplorerMenu::AddOptionsButton(const Popup& oPopup, const std::string& sTag) {
  return AddMenuButton(oPopup, sTag, g_oOptions->ProductShortName() + " &Options", 106, 206, true);
}

void CExplorerMenu::Bind(CButtonRef& ref, Button oButton, ClickHandler fnHandler) {
  Deref(oButton);
  ref.reset();
  ref.o = std::move(oButton);
  std::weak_ptr<host::Object> wSelf = weak_from_this();
  ref.cClick = ref.o->OnClick.Connect(
      [wSelf, fnHandler](const std::shared_ptr<host::CommandBarButton>& Ctrl, bool& CancelDefault) {
        // Held for the whole click: a command may close the explorer that owns this set.
        if (auto pSelf = std::static_pointer_cast<CExplorerMenu>(wSelf.lock()))
          (pSelf.get()->*fnHandler)(Ctrl, CancelDefault);
      });
}

void CExplorerMenu::FillPopup(const Popup& oPopup, EButtonSet eSet, bool bTagged) {
  static const ClickHandler kHandlers[4][6] = {
      {&CExplorerMenu::m_btnTO_Click, &CExplorerMenu::m_btnCC_Click, &CExplorerMenu::m_btnBCC_Click,
       &CExplorerMenu::m_btnNewDL_Click, &CExplorerMenu::m_btnExistingDL_Click,
       &CExplorerMenu::m_btnOptions_Click},
      {&CExplorerMenu::m_btnTO1_Click, &CExplorerMenu::m_btnCC1_Click, &CExplorerMenu::m_btnBCC1_Click,
       &CExplorerMenu::m_btnNewDL1_Click, &CExplorerMenu::m_btnExistingDL1_Click,
       &CExplorerMenu::m_btnOptions1_Click},
      {&CExplorerMenu::m_btnTO2_Click, &CExplorerMenu::m_btnCC2_Click, &CExplorerMenu::m_btnBCC2_Click,
       &CExplorerMenu::m_btnNewDL2_Click, &CExplorerMenu::m_btnExistingDL2_Click,
       &CExplorerMenu::m_btnOptions2_Click},
      {&CExplorerMenu::m_btnTO3_Click, &CExplorerMenu::m_btnCC3_Click, &CExplorerMenu::m_btnBCC3_Click,
       &CExplorerMenu::m_btnNewDL3_Click, &CExplorerMenu::m_btnExistingDL3_Click,
       &CExplorerMenu::m_btnOptions3_Click}};
  static const char* const kTagPrefixes[6] = {"TO", "CC", "BCC", "NEWDL", "EXISTINGDL", "OPTIONS"};
  using Factory = Button (CExplorerMenu::*)(const Popup&, const std::string&);
  static const Factory kFactories[6] = {
      &CExplorerMenu::AddToButton,    &CExplorerMenu::AddCcButton,         &CExplorerMenu::AddBccButton,
      &CExplorerMenu::AddNewDLButton, &CExplorerMenu::AddExistingDLButton, &CExplorerMenu::AddOptionsButton};
  for (int i = 0; i < 6; ++i) {
    IgnoreErrors([&] {
      std::string sTag = bTagged ? kTagPrefixes[i] + m_sMenuID : std::string();
      Bind(m_btn[eSet][i], (this->*kFactories[i])(oPopup, sTag), kHandlers[eSet][i]);
    });
  }
}

std::shared_ptr<host::CommandBarButton> CExplorerMenu::ButtonOf(EButtonSet eSet, EButton eButton) const {
  if (eSet < bsToolbar || eSet > bsFolderContext) return nullptr;
  if (eButton == btCachedAction) return eSet == bsToolbar ? m_btnCachedAction.o : nullptr;
  if (eButton == btDebug) return eSet == bsToolbar ? m_btnDebug.o : nullptr;
  if (eButton < btTO || eButton > btOptions) return nullptr;
  return m_btn[eSet][eButton].o;
}

// --- Office's command bar update ---

int32_t CExplorerMenu::ReadItemType() {
  int32_t nItemType = -1;
  IgnoreErrors([&] { nItemType = Deref(Deref(m_oExplorer).CurrentFolder()).DefaultItemType(); });
  return nItemType;
}

CExplorerMenu::Popup CExplorerMenu::AddMenuPopup(const std::shared_ptr<host::CommandBarControls>& oControls,
                                                 int32_t nBefore, const std::string& sTag) {
  auto oPopup = host::As<host::CommandBarPopup>(
      Deref(oControls).Add(Long(host::msoControlPopup), {}, {}, Long(nBefore), Variant(true)));
  Deref(oPopup).SetBeginGroup(true);
  oPopup->SetCaption(g_oOptions->ProductShortName());
  oPopup->SetTag(sTag);
  oPopup->SetVisible(true);
  return oPopup;
}

void CExplorerMenu::m_OutlookBars_OnUpdate() {
  try {
    Trace(kOnUpdateSource, "->", 3);
    if (!m_bAboutAdded) {
      std::shared_ptr<host::Object> oExplorer = Deref(m_OutlookBars).Parent();
      m_bAboutAdded = host::Tarvik().TarvikAddAboutMenu(oExplorer) == 0;
    }
    // Read once for the whole update: the folder cannot change in between.
    int32_t nItemType = ReadItemType();
    AddActionsMenu(nItemType);
    if (!IsOutlook2000()) {
      AddContextMenu();
      AddFolderContextMenu(nItemType);
    }
  } catch (...) {
    TraceError(kOnUpdateSource);
  }
}

void CExplorerMenu::AddActionsMenu(int32_t nItemType) {
  int32_t nActionsId = ActionsMenuId(nItemType);
  if (nActionsId == 0) return;
  Popup oActions;
  IgnoreErrors([&] {
    oActions = std::dynamic_pointer_cast<host::CommandBarPopup>(
        Deref(Deref(m_OutlookBars).Item(Variant("Menu Bar"))).FindControl({}, Long(nActionsId)));
  });
  if (!oActions) return;
  std::string sTag = "Actions" + m_sMenuID;
  auto oActionsBar = Deref(oActions).CommandBar();
  if (Deref(oActionsBar).FindControl({}, {}, Variant(sTag))) return;

  Trace(kOnUpdateSource, "Add Actions Menu", 2);
  int32_t nBefore = 0;
  IgnoreErrors([&] {
    nBefore = Deref(oActionsBar->Controls()).Count() + 1;
    if (auto oAnchor = oActionsBar->FindControl({}, Long(kAnchorForward))) nBefore = oAnchor->Index() + 1;
  });
  Popup oPopup = AddMenuPopup(oActions->Controls(), nBefore, sTag);
  IgnoreErrors([&] {
    CClipboardKept oKept(IsOutlook2000());
    FillPopup(oPopup, bsActions, true);
  });
}

// Clears the no-customising bit of a built-in menu for as long as the add-in adds to it, and
// puts the bar's protection back on every way out, so a failed add never leaves the user's
// menu open to changes.
namespace {
class CUnprotected {
 public:
  explicit CUnprotected(const std::shared_ptr<host::CommandBar>& oBar) : m_oBar(oBar) {
    m_nProtection = oBar->Protection();
    if (m_nProtection & host::msoBarNoCustomize)
      oBar->SetProtection(m_nProtection & ~host::msoBarNoCustomize);
  }
  ~CUnprotected() {
    if (m_nProtection & host::msoBarNoCustomize) IgnoreErrors([&] { m_oBar->SetProtection(m_nProtection); });
  }
  CUnprotected(const CUnprotected&) = delete;
  CUnprotected& operator=(const CUnprotected&) = delete;

 private:
  std::shared_ptr<host::CommandBar> m_oBar;
  int32_t m_nProtection = 0;
};
}  // namespace

void CExplorerMenu::AddContextMenu() {
  std::shared_ptr<host::CommandBar> oBar;
  IgnoreErrors([&] { oBar = Deref(m_OutlookBars).Item(Variant("Context Menu")); });
  if (!oBar) return;
  for (int32_t nId : kBlockingControls) {
    if (oBar->FindControl({}, Long(nId))) {
      Trace(kOnUpdateSource, "Dont add Quillo to contextmenu - Finded control id = " + std::to_string(nId),
            2);
      return;
    }
  }
  // Found by its tag first: an update with the popup in place adds and changes nothing.
  std::string sTag = "ContextMenu" + m_sMenuID;
  std::shared_ptr<host::CommandBarControl> oExisting;
  IgnoreErrors([&] { oExisting = oBar->FindControl({}, {}, Variant(sTag)); });
  if (oExisting) return;

  int32_t nBefore = 0;
  IgnoreErrors([&] {
    if (auto oAnchor = oBar->FindControl({}, Long(kAnchorForward))) {
      nBefore = oAnchor->Index() + 1;
    } else if (auto oSecond = oBar->FindControl({}, Long(kAnchorCategories))) {
      nBefore = oSecond->Index() + 1;
    } else {
      nBefore = Deref(oBar->Controls()).Count() + 1;
    }
  });
  CUnprotected oUnprotected(oBar);
  Trace(kOnUpdateSource, "Add Context Menu", 2);
  Popup oPopup = AddMenuPopup(oBar->Controls(), nBefore, sTag);
  IgnoreErrors([&] {
    CClipboardKept oKept(IsOutlook2000());
    FillPopup(oPopup, bsContext, false);
  });
}

void CExplorerMenu::AddFolderContextMenu(int32_t nItemType) {
  std::shared_ptr<host::CommandBar> oBar;
  IgnoreErrors([&] { oBar = Deref(m_OutlookBars).Item(Variant("Folder Context Menu")); });
  if (!oBar || nItemType < 0 || nItemType > 3) return;
  std::string sTag = "FolderContextMenu" + m_sMenuID;
  std::shared_ptr<host::CommandBarControl> oExisting;
  IgnoreErrors([&] { oExisting = oBar->FindControl({}, {}, Variant(sTag)); });
  if (oExisting) return;

  int32_t nBefore = Deref(oBar->Controls()).Count() + 1;
  CUnprotected oUnprotected(oBar);
  Trace(kOnUpdateSource, "Add Folder Context Menu", 2);
  Popup oPopup = AddMenuPopup(oBar->Controls(), nBefore, sTag);
  IgnoreErrors([&] {
    CClipboardKept oKept(IsOutlook2000());
    FillPopup(oPopup, bsFolderContext, false);
  });
}

// --- Clicks ---
//
// Every set's buttons meet in one routine per command, so that each command is wired in one
// place.

void CExplorerMenu::RunNewMail(int32_t nType, ERecipientsFrom eFrom) {
  DisplayNewMail(nType, eFrom);
}

void CExplorerMenu::RunNewDL(ERecipientsFrom eFrom) {
  NewDL(eFrom);
}

void CExplorerMenu::RunExistingDL(ERecipientsFrom eFrom) {
  ExistingDL(eFrom);
}

void CExplorerMenu::RunOptions() {
  ShowOptionsDialog();
}

void CExplorerMenu::m_btnCachedAction_Click(const Button& Ctrl, bool& CancelDefault) {
  try {
    switch (GetCurrentAction()) {
      case 0: m_btnTO_Click(Ctrl, CancelDefault); break;
      case 1: m_btnCC_Click(Ctrl, CancelDefault); break;
      case 2: m_btnBCC_Click(Ctrl, CancelDefault); break;
      case 3: m_btnNewDL_Click(Ctrl, CancelDefault); break;
      case 4: m_btnExistingDL_Click(Ctrl, CancelDefault); break;
      default: UpdateCachedAction(0); break;
    }
  } catch (...) {
    TraceError("CExplorerMenu::m_btnCachedAction_Click");
  }
}

void CExplorerMenu::m_btnDebug_Click(const Button&, bool&) {
  IgnoreErrors([] { host::Tarvik().TarvikReportProblem(); });
}

void CExplorerMenu::m_btnTO_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olTo, esFromSelection); });
}
void CExplorerMenu::m_btnCC_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olCC, esFromSelection); });
}
void CExplorerMenu::m_btnBCC_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olBCC, esFromSelection); });
}
void CExplorerMenu::m_btnNewDL_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewDL(esFromSelection); });
}
void CExplorerMenu::m_btnExistingDL_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunExistingDL(esFromSelection); });
}
void CExplorerMenu::m_btnOptions_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunOptions(); });
}

// The Actions menu repeats the toolbar's commands.
void CExplorerMenu::m_btnTO1_Click(const Button& Ctrl, bool& CancelDefault) {
  m_btnTO_Click(Ctrl, CancelDefault);
}
void CExplorerMenu::m_btnCC1_Click(const Button& Ctrl, bool& CancelDefault) {
  m_btnCC_Click(Ctrl, CancelDefault);
}
void CExplorerMenu::m_btnBCC1_Click(const Button& Ctrl, bool& CancelDefault) {
  m_btnBCC_Click(Ctrl, CancelDefault);
}
void CExplorerMenu::m_btnNewDL1_Click(const Button& Ctrl, bool& CancelDefault) {
  m_btnNewDL_Click(Ctrl, CancelDefault);
}
void CExplorerMenu::m_btnExistingDL1_Click(const Button& Ctrl, bool& CancelDefault) {
  m_btnExistingDL_Click(Ctrl, CancelDefault);
}
void CExplorerMenu::m_btnOptions1_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunOptions(); });
}

// The item context menu takes the selection.
void CExplorerMenu::m_btnTO2_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olTo, esFromSelection); });
}
void CExplorerMenu::m_btnCC2_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olCC, esFromSelection); });
}
void CExplorerMenu::m_btnBCC2_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olBCC, esFromSelection); });
}
void CExplorerMenu::m_btnNewDL2_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewDL(esFromSelection); });
}
void CExplorerMenu::m_btnExistingDL2_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunExistingDL(esFromSelection); });
}
void CExplorerMenu::m_btnOptions2_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunOptions(); });
}

// The folder context menu takes every item of the folder.
void CExplorerMenu::m_btnTO3_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olTo, esFromFolder); });
}
void CExplorerMenu::m_btnCC3_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olCC, esFromFolder); });
}
void CExplorerMenu::m_btnBCC3_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewMail(olBCC, esFromFolder); });
}
void CExplorerMenu::m_btnNewDL3_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunNewDL(esFromFolder); });
}
void CExplorerMenu::m_btnExistingDL3_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunExistingDL(esFromFolder); });
}
void CExplorerMenu::m_btnOptions3_Click(const Button&, bool&) {
  IgnoreErrors([&] { RunOptions(); });
}
