// The command set of an explorer: its toolbar, the popups it keeps in Outlook's menus, the cached
// action per folder item type and what it stores when it goes.
#include <gtest/gtest.h>

#include "CommandSetFixture.h"
#include "commands/CClipboard.h"
#include "platform/Registry.h"
#include "settings/COptions.h"

namespace {

using host::Variant;
using M = CExplorerMenu;

class CExplorerMenuTest : public CommandSetFixture {
 protected:
  // The explorer shows another folder and, as the add-in's connection does, tells the set.
  void Switch(const std::shared_ptr<CExplorerMenu>& pMenu, const std::string& sPath) {
    Outlook().SwitchFolder(1, sPath);
    pMenu->OnFolderSwitch(Outlook().FolderByPath(sPath));
  }
};

TEST_F(CExplorerMenuTest, CreateBuildsTheToolbarWithTheCachedButtonAndTheSixCommands) {
  Start();
  auto pMenu = NewMenu();
  EXPECT_EQ(pMenu->MenuID().size(), 22u);
  EXPECT_EQ(pMenu->MenuID().find_first_not_of("0123456789"), std::string::npos);

  sim::BarObj& oToolbar = Bar("Quillo");
  EXPECT_TRUE(oToolbar.bTemporary);
  EXPECT_TRUE(oToolbar.bVisible);
  ASSERT_EQ(oToolbar.vecControls.size(), 2u);
  // A fresh profile is a test toolbar: the cached button shows its caption, the popup a space.
  sim::ControlNode& oCached = *oToolbar.vecControls[0];
  EXPECT_EQ(&oCached, &Node(pMenu->ButtonOf(M::bsToolbar, M::btCachedAction)));
  EXPECT_EQ(oCached.nStyle, host::msoButtonIconAndCaption);
  EXPECT_EQ(oCached.sCaption, "Quillo");
  EXPECT_EQ(oCached.nFaceId, 1701);
  EXPECT_EQ(oCached.sTooltip, "TO");
  EXPECT_TRUE(IsFace(oCached.pPicture, 101));
  EXPECT_TRUE(IsFace(oCached.pMask, 201));
  sim::ControlNode& oPopup = *oToolbar.vecControls[1];
  EXPECT_EQ(oPopup.sCaption, " ");

  const char* kCaptions[] = {
      "&TO", "&CC", "&BCC", "&New Disribution List", "&Existing Distribution List", "Quillo &Options"};
  const bool kGroups[] = {false, false, false, true, false, true};
  ASSERT_EQ(oPopup.pSubBar->vecControls.size(), 6u);  // no debug button unless asked for
  for (int i = 0; i < 6; ++i) {
    sim::ControlNode& oButton = *oPopup.pSubBar->vecControls[i];
    EXPECT_EQ(&oButton, &Node(pMenu->ButtonOf(M::bsToolbar, static_cast<M::EButton>(i))));
    EXPECT_EQ(oButton.sCaption, kCaptions[i]);
    EXPECT_EQ(oButton.bBeginGroup, kGroups[i]) << i;
    EXPECT_TRUE(oButton.bTemporary);
    EXPECT_EQ(oButton.nStyle, host::msoButtonIconAndCaption);
    EXPECT_TRUE(oButton.sTag.empty());
    EXPECT_TRUE(IsFace(oButton.pPicture, 101 + i));
    EXPECT_TRUE(IsFace(oButton.pMask, 201 + i));
  }
  // The menu popups wait for the first update.
  EXPECT_EQ(Bar("Context Menu").vecControls.size(), 4u);
  EXPECT_EQ(pMenu->ButtonOf(M::bsActions, M::btTO), nullptr);
}

TEST_F(CExplorerMenuTest, AnOrdinaryToolbarAndTheDebugButtonFollowTheOptions) {
  Start();
  // TestToolbar 1 is an ordinary toolbar (a fresh profile stores 0, a test toolbar).
  auto pMenu = std::make_shared<CExplorerMenu>();
  {
    platform::HKEY hKey{};
    ASSERT_EQ(platform::RegCreateKeyExA(platform::HKEY_CURRENT_USER, "Software\\Mardel\\Quillo", 0, nullptr,
                                        0, platform::KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
              platform::ERROR_SUCCESS);
    const platform::DWORD dwOne = 1;
    for (const char* sName : {"TestToolbar", "UseDebugButtons"})
      platform::RegSetValueExA(hKey, sName, 0, platform::REG_DWORD,
                               reinterpret_cast<const platform::BYTE*>(&dwOne), sizeof dwOne);
    platform::RegCloseKey(hKey);
  }
  pMenu->Create(Outlook().ExplorerAt(1));
  m_vecMenus.push_back(pMenu);
  sim::BarObj& oToolbar = Bar("Quillo");
  EXPECT_EQ(oToolbar.vecControls[0]->nStyle, host::msoButtonIcon);
  EXPECT_EQ(oToolbar.vecControls[0]->sCaption, "");
  EXPECT_EQ(oToolbar.vecControls[1]->sCaption, "Quillo");
  auto& vecPopup = oToolbar.vecControls[1]->pSubBar->vecControls;
  ASSERT_EQ(vecPopup.size(), 7u);
  EXPECT_EQ(vecPopup[6]->sCaption, "DEBUG");
  EXPECT_EQ(vecPopup[6]->nStyle, host::msoButtonCaption);

  Outlook().Click(pMenu->ButtonOf(M::bsToolbar, M::btDebug));
  EXPECT_EQ(Outlook().Support().ProblemReports(), 1);
}

TEST_F(CExplorerMenuTest, UpdatesAddEachMenuPopupOnceBehindItsAnchor) {
  Start();
  auto pMenu = NewMenu();
  Outlook().RaiseUpdate(1);
  EXPECT_EQ(Outlook().Support().AboutCalls(), 1);

  const std::string& sID = pMenu->MenuID();
  sim::BarObj& oActions = Actions(30131);
  sim::ControlNode* pActions = Tagged(oActions, "Actions" + sID);
  ASSERT_NE(pActions, nullptr);
  EXPECT_EQ(oActions.IndexOf(pActions),
            oActions.IndexOf(oActions.Find(0, 356, nullptr, false, false).get()) + 1);
  EXPECT_TRUE(pActions->bBeginGroup && pActions->bTemporary && pActions->bVisible);
  EXPECT_EQ(pActions->sCaption, "Quillo");
  const char* kTags[] = {"TO", "CC", "BCC", "NEWDL", "EXISTINGDL", "OPTIONS"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(pActions->pSubBar->vecControls[i]->sTag, kTags[i] + sID);

  sim::BarObj& oContext = Bar("Context Menu");
  sim::ControlNode* pContext = Tagged(oContext, "ContextMenu" + sID);
  ASSERT_NE(pContext, nullptr);
  EXPECT_EQ(oContext.IndexOf(pContext), 3);  // behind "Forward" (356), the second control
  EXPECT_TRUE(pContext->pSubBar->vecControls[0]->sTag.empty());
  sim::BarObj& oFolder = Bar("Folder Context Menu");
  EXPECT_EQ(Tagged(oFolder, "FolderContextMenu" + sID), oFolder.vecControls.back().get());
  for (auto eSet : {M::bsActions, M::bsContext, M::bsFolderContext})
    for (int i = 0; i < 6; ++i) EXPECT_NE(pMenu->ButtonOf(eSet, static_cast<M::EButton>(i)), nullptr);

  // With everything in place an update adds nothing and keeps every reference.
  std::vector<std::shared_ptr<host::CommandBarButton>> vecBefore;
  for (auto eSet : {M::bsActions, M::bsContext, M::bsFolderContext})
    for (int i = 0; i < 6; ++i) vecBefore.push_back(pMenu->ButtonOf(eSet, static_cast<M::EButton>(i)));
  size_t nActions = oActions.vecControls.size(), nContext = oContext.vecControls.size(),
         nFolder = oFolder.vecControls.size();
  Outlook().RaiseUpdate(1);
  Outlook().RaiseUpdate(1);
  EXPECT_EQ(oActions.vecControls.size(), nActions);
  EXPECT_EQ(oContext.vecControls.size(), nContext);
  EXPECT_EQ(oFolder.vecControls.size(), nFolder);
  size_t k = 0;
  for (auto eSet : {M::bsActions, M::bsContext, M::bsFolderContext})
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pMenu->ButtonOf(eSet, static_cast<M::EButton>(i)), vecBefore[k++]);
  EXPECT_EQ(Outlook().Support().AboutCalls(), 1);  // the entry exists from the first answer 0
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(CExplorerMenuTest, AFolderOfAnotherItemTypeGetsNeitherActionsNorFolderPopup) {
  Start("", DemoWithExplorers({kNotes}));
  auto pMenu = NewMenu();
  Outlook().RaiseUpdate(1);
  for (int32_t nId : {30131, 30142, 30141, 30149})
    EXPECT_EQ(Tagged(Actions(nId), "Actions" + pMenu->MenuID()), nullptr) << nId;
  EXPECT_EQ(Tagged(Bar("Folder Context Menu"), "FolderContextMenu" + pMenu->MenuID()), nullptr);
  EXPECT_NE(Tagged(Bar("Context Menu"), "ContextMenu" + pMenu->MenuID()), nullptr);
  EXPECT_EQ(Node(pMenu->ButtonOf(M::bsToolbar, M::btCachedAction)).sTooltip, "TO");
}

TEST_F(CExplorerMenuTest, EachFolderTypeKeepsItsOwnLastCommand) {
  Start();
  g_oOptions->SetCachedAction(1, 0);  // mail: "CC"
  auto pMenu = NewMenu();
  auto oCached = pMenu->ButtonOf(M::bsToolbar, M::btCachedAction);
  EXPECT_EQ(Node(oCached).sTooltip, "CC");
  EXPECT_TRUE(IsFace(Node(oCached).pPicture, 102));

  Switch(pMenu, kContacts);  // first visit of a contact folder
  EXPECT_EQ(pMenu->ItemType(), 2);
  EXPECT_EQ(Node(oCached).sTooltip, "TO");
  EXPECT_EQ(g_oOptions->GetCachedAction(0), 1);  // stored on leaving
  g_oOptions->SetCachedAction(4, 2);
  Switch(pMenu, kInbox);
  EXPECT_EQ(Node(oCached).sTooltip, "CC");
  EXPECT_EQ(g_oOptions->GetCachedAction(2), 0);  // what the button showed while there
  Switch(pMenu, kOldContacts);
  EXPECT_EQ(Node(oCached).sTooltip, "TO");
  // A stored action outside 0..4 shows "TO" and is repeated as "TO".
  g_oOptions->SetCachedAction(7, 1);
  Switch(pMenu, kCalendar);
  EXPECT_EQ(Node(oCached).sTooltip, "TO");
  EXPECT_EQ(pMenu->CachedAction(), 0);
  EXPECT_TRUE(IsFace(Node(oCached).pPicture, 101));
}

TEST_F(CExplorerMenuTest, TwoExplorersEachFindOnlyTheirOwnPopups) {
  Start("", DemoWithExplorers({kInbox, kInbox}));
  auto pFirst = NewMenu(1);
  auto pSecond = NewMenu(2);
  EXPECT_NE(pFirst->MenuID(), pSecond->MenuID());
  Outlook().RaiseUpdate(1);
  Outlook().RaiseUpdate(2);
  Outlook().RaiseUpdate(1);
  for (int n : {1, 2}) {
    const std::string& sOwn = (n == 1 ? pFirst : pSecond)->MenuID();
    const std::string& sOther = (n == 1 ? pSecond : pFirst)->MenuID();
    EXPECT_NE(Tagged(Actions(30131, n), "Actions" + sOwn), nullptr);
    EXPECT_EQ(Tagged(Actions(30131, n), "Actions" + sOther), nullptr);
    EXPECT_EQ(Bar("Context Menu", n).vecControls.size(), 5u);
  }
}

TEST_F(CExplorerMenuTest, ABlockedContextMenuGetsNoPopupAndTheTraceNamesTheControl) {
  sim::Profile oProfile = *sim::DemoProfile();
  oProfile.vecStartupExplorers = {kInbox};
  oProfile.nBlockingContextControl = 1916;
  Start("", sim::CheckProfile(oProfile));
  auto pMenu = NewMenu();
  Outlook().RaiseUpdate(1);
  EXPECT_EQ(Tagged(Bar("Context Menu"), "ContextMenu" + pMenu->MenuID()), nullptr);
  EXPECT_EQ(CountOf("CExplorerMenu::m_OutlookBars_OnUpdate",
                    "Dont add Quillo to contextmenu - Finded control id = 1916"),
            1u);
  EXPECT_NE(Tagged(Bar("Folder Context Menu"), "FolderContextMenu" + pMenu->MenuID()), nullptr);
}

TEST_F(CExplorerMenuTest, ProtectedContextMenusAreOpenedForTheAddAndClosedAgainEvenWhenItFails) {
  sim::Profile oProfile = *sim::DemoProfile();
  oProfile.vecStartupExplorers = {kInbox};
  oProfile.bProtectContextMenus = true;
  Start("", sim::CheckProfile(oProfile));
  Bar("Context Menu").nProtection = host::msoBarNoCustomize | 4;
  auto pMenu = NewMenu();
  Outlook().Faults().FailNth("CommandBarControls.Add", 8);  // the context popup, after the Actions menu
  Outlook().RaiseUpdate(1);
  EXPECT_EQ(Bar("Context Menu").nProtection, host::msoBarNoCustomize | 4);
  EXPECT_EQ(Tagged(Bar("Context Menu"), "ContextMenu" + pMenu->MenuID()), nullptr);
  EXPECT_EQ(LinesOf("CExplorerMenu::m_OutlookBars_OnUpdate").back().nKind, mGlobals::tkError);

  Outlook().RaiseUpdate(1);
  EXPECT_NE(Tagged(Bar("Context Menu"), "ContextMenu" + pMenu->MenuID()), nullptr);
  EXPECT_NE(Tagged(Bar("Folder Context Menu"), "FolderContextMenu" + pMenu->MenuID()), nullptr);
  EXPECT_EQ(Bar("Context Menu").nProtection, host::msoBarNoCustomize | 4);
  EXPECT_EQ(Bar("Folder Context Menu").nProtection, host::msoBarNoCustomize);
}

TEST_F(CExplorerMenuTest, TheAboutEntryIsAskedForUntilTheLibraryAnswersZero) {
  Start();
  Outlook().Support().SetAboutResult(1);
  NewMenu();
  Outlook().RaiseUpdate(1);
  Outlook().RaiseUpdate(1);
  EXPECT_EQ(Outlook().Support().AboutCalls(), 2);
  Outlook().Support().SetAboutResult(0);
  Outlook().RaiseUpdate(1);
  Outlook().RaiseUpdate(1);
  EXPECT_EQ(Outlook().Support().AboutCalls(), 3);
}

TEST_F(CExplorerMenuTest, DestructionStoresTheToolbarPositionAndTheCachedActionAndTheNextSetRestoresThem) {
  Start();
  g_oOptions->SetCachedAction(3, 2);
  auto pMenu = NewMenu();
  Switch(pMenu, kContacts);
  sim::BarObj& oToolbar = Bar("Quillo");
  oToolbar.nPosition = host::msoBarFloating;
  oToolbar.nLeft = 300;
  oToolbar.nTop = 120;
  m_vecMenus.clear();
  pMenu.reset();
  int32_t nPosition = 0, nRow = 0, nLeft = 0, nTop = 0;
  g_oOptions->ReadToolbarPos(nPosition, nRow, nLeft, nTop);
  EXPECT_EQ(nPosition, host::msoBarFloating);
  EXPECT_EQ(nLeft, 300);
  EXPECT_EQ(nTop, 120);
  EXPECT_EQ(g_oOptions->GetCachedAction(2), 3);
  EXPECT_EQ(g_oOptions->GetCachedAction(0), 0);

  // The closed window's toolbar goes with its temporary controls; a new window puts it back.
  Outlook().CloseExplorer(1);
  Outlook().OpenExplorer(kContacts);
  auto pNext = NewMenu(1);
  EXPECT_EQ(Bar("Quillo").nPosition, host::msoBarFloating);
  EXPECT_EQ(Bar("Quillo").nLeft, 300);
  EXPECT_EQ(Node(pNext->ButtonOf(M::bsToolbar, M::btCachedAction)).sTooltip, "New Distribution List");
}

TEST_F(CExplorerMenuTest, Outlook2000PastesFacesThroughTheClipboardAndLeavesItAsItWas) {
  Start("9.0.0.2711");
  std::vector<uint8_t> vecText = {'k', 'e', 'e', 'p', 0};
  std::vector<uint8_t> vecDib = mButtonFaces::ResourceDib(106);
  platform::UINT nPrivate = m_pClipboard->RegisterClipboardFormatA("Quillo Test Private");
  m_pClipboard->Replace(
      {{platform::CF_TEXT, vecText, true}, {nPrivate, {1, 2, 3}, true}, {platform::CF_DIB, vecDib, true}});
  auto vecBefore = m_pClipboard->Contents();

  auto pMenu = NewMenu();
  Outlook().RaiseUpdate(1);
  auto vecAfter = m_pClipboard->Contents();
  ASSERT_EQ(vecAfter.size(), vecBefore.size());
  for (size_t i = 0; i < vecBefore.size(); ++i) {
    EXPECT_EQ(vecAfter[i].uFormat, vecBefore[i].uFormat);
    EXPECT_EQ(vecAfter[i].vecData, vecBefore[i].vecData);
  }
  EXPECT_FALSE(m_pClipboard->IsOpen());
  EXPECT_EQ(g_oClipboard->UseCount(), 0);

  // Pasted faces, no masks; no popups in the context menus.
  for (auto eSet : {M::bsToolbar, M::bsActions}) {
    for (int i = 0; i < 6; ++i) {
      sim::ControlNode& oButton = Node(pMenu->ButtonOf(eSet, static_cast<M::EButton>(i)));
      EXPECT_TRUE(IsFace(oButton.pPicture, 101 + i));
      EXPECT_EQ(oButton.pMask, nullptr);
      EXPECT_EQ(oButton.nPastedFaces, 1);
    }
  }
  EXPECT_EQ(Bar("Context Menu").vecControls.size(), 4u);
  EXPECT_EQ(Bar("Folder Context Menu").vecControls.size(), 4u);
  EXPECT_EQ(pMenu->ButtonOf(M::bsContext, M::btTO), nullptr);
}

TEST_F(CExplorerMenuTest, Outlook2000WithTheClipboardHeldElsewherePastesNothingOfTheUser) {
  Start("9.0.0.2711");
  m_pClipboard->Replace({{platform::CF_DIB, mButtonFaces::ResourceDib(205), true}});
  m_pClipboard->SetHeldElsewhere(true);
  auto pMenu = NewMenu();
  sim::ControlNode& oCached = Node(pMenu->ButtonOf(M::bsToolbar, M::btCachedAction));
  EXPECT_EQ(oCached.pPicture, nullptr);
  EXPECT_EQ(oCached.nFaceId, 1701);
  m_pClipboard->SetHeldElsewhere(false);
  EXPECT_EQ(m_pClipboard->Contents().front().vecData, mButtonFaces::ResourceDib(205));
  EXPECT_EQ(g_oClipboard->UseCount(), 0);
}

}  // namespace
