// The command bars of a simulated explorer as an add-in builds on them.
#include <gtest/gtest.h>

#include "sim/CommandBarObjects.h"
#include "sim/Outlook.h"

namespace {

using host::Variant;

class SimCommandBars : public testing::Test {
 protected:
  explicit SimCommandBars(std::string sVersion = {}) : m_oOutlook(sim::DemoProfile(), std::move(sVersion)) {
    m_oOutlook.Start(nullptr);
    m_oBars = m_oOutlook.ExplorerAt(1)->CommandBars();
  }
  std::shared_ptr<host::CommandBarPopup> Popup(const std::shared_ptr<host::CommandBarControl>& o) {
    return std::dynamic_pointer_cast<host::CommandBarPopup>(o);
  }
  std::shared_ptr<host::CommandBarButton> AddButton(const std::shared_ptr<host::CommandBar>& oBar,
                                                    const Variant& Before = {}, bool bTemporary = true) {
    return std::dynamic_pointer_cast<host::CommandBarButton>(
        oBar->Controls()->Add(Variant(int32_t{1}), Variant(int32_t{1}), {}, Before, Variant(bTemporary)));
  }

  sim::Outlook m_oOutlook;
  std::shared_ptr<host::CommandBars> m_oBars;
};

TEST_F(SimCommandBars, BuiltInBarsHoldTheAnchorsTheAddInLooksFor) {
  EXPECT_EQ(m_oBars->Parent(), m_oOutlook.ExplorerAt(1));
  auto oMenu = m_oBars->Item(Variant("menu bar"));
  for (int32_t nId : {30131, 30142, 30141, 30149}) {
    auto oActions = Popup(oMenu->FindControl({}, Variant(nId)));
    ASSERT_TRUE(oActions) << nId;
    auto o356 = oActions->CommandBar()->FindControl({}, Variant(int32_t{356}));
    ASSERT_TRUE(o356);
    EXPECT_EQ(o356->Index(), 2);
  }
  auto oContext = m_oBars->Item(Variant("Context Menu"));
  EXPECT_EQ(oContext->FindControl({}, Variant(int32_t{356}))->Index(), 2);
  EXPECT_EQ(oContext->FindControl({}, Variant(int32_t{1970}))->Index(), 3);
  for (int32_t nId : sim::kBlockingContextControls)
    EXPECT_EQ(oContext->FindControl({}, Variant(nId)), nullptr);
  EXPECT_NO_THROW(m_oBars->Item(Variant("Folder Context Menu")));
  EXPECT_THROW(m_oBars->Item(Variant("Quillo")), host::Error);
  EXPECT_THROW(m_oBars->Item(Variant(m_oBars->Count() + 1)), host::Error);
  // Only a recursive search looks into popups.
  EXPECT_EQ(oMenu->FindControl({}, Variant(int32_t{356})), nullptr);
  EXPECT_NE(oMenu->FindControl({}, Variant(int32_t{356}), {}, {}, Variant(true)), nullptr);
}

TEST_F(SimCommandBars, ProfileSwitchesBlockAndProtectTheContextMenu) {
  sim::Profile o = *sim::DemoProfile();
  o.nBlockingContextControl = 1917;
  o.bProtectContextMenus = true;
  sim::Outlook oBlocked(sim::CheckProfile(o));
  oBlocked.Start(nullptr);
  auto oContext = oBlocked.ExplorerAt(1)->CommandBars()->Item(Variant("Context Menu"));
  EXPECT_NE(oContext->FindControl({}, Variant(int32_t{1917})), nullptr);
  EXPECT_EQ(oContext->Protection(), host::msoBarNoCustomize);
  EXPECT_THROW(AddButton(oContext), host::Error);
  int32_t nCount = oContext->Controls()->Count();
  oContext->SetProtection(0);
  AddButton(oContext, Variant(int32_t{3}));
  EXPECT_EQ(oContext->Controls()->Count(), nCount + 1);
}

TEST_F(SimCommandBars, AddInsertsBeforeAndIndexesFollow) {
  auto oBar = m_oBars->Add(Variant("Quillo"), Variant(int32_t{host::msoBarTop}), {}, Variant(true));
  EXPECT_FALSE(oBar->Visible());
  EXPECT_EQ(oBar->RowIndex(), 4);  // below the built-in bars docked at the top
  EXPECT_THROW(m_oBars->Add(Variant("QUILLO")), host::Error);
  auto oA = AddButton(oBar);
  auto oB = AddButton(oBar);
  auto oFirst = AddButton(oBar, Variant(int32_t{1}));
  auto oLast = AddButton(oBar, Variant(int32_t{4}));
  EXPECT_EQ(oFirst->Index(), 1);
  EXPECT_EQ(oA->Index(), 2);
  EXPECT_EQ(oB->Index(), 3);
  EXPECT_EQ(oLast->Index(), 4);
  EXPECT_THROW(AddButton(oBar, Variant(int32_t{6})), host::Error);
  EXPECT_THROW(AddButton(oBar, Variant(int32_t{0})), host::Error);
  EXPECT_THROW(oBar->Controls()->Add(Variant(int32_t{4})), host::Error);
  EXPECT_EQ(oBar->Controls()->Count(), 4);

  auto oPopup = Popup(oBar->Controls()->Add(Variant(int32_t{10}), {}, {}, {}, Variant(true)));
  ASSERT_TRUE(oPopup);
  auto oInner = AddButton(oPopup->CommandBar());
  oInner->SetTag("TO123");
  oInner->SetCaption("&TO");
  EXPECT_EQ(oBar->FindControl({}, {}, Variant("TO123")), nullptr);
  EXPECT_EQ(oBar->FindControl({}, {}, Variant("TO123"), {}, Variant(true)), oInner);
  EXPECT_EQ(oPopup->CommandBar()->FindControl({}, {}, Variant("TO123")), oInner);
  EXPECT_EQ(oPopup->CommandBar()->FindControl({}, {}, Variant("to123")), nullptr);
  oPopup->SetCaption("Quillo");
  EXPECT_EQ(m_oOutlook.FindControl(1, {"Quillo", "quillo", "TO"}), oInner);
  EXPECT_EQ(m_oOutlook.FindControl(1, {"Quillo", "Nothing"}), nullptr);

  // Position, row and offsets are kept as set, as the add-in restores them.
  oBar->SetPosition(host::msoBarLeft);
  oBar->SetRowIndex(7);
  oBar->SetLeft(40);
  oBar->SetTop(2);
  EXPECT_EQ(oBar->Position(), host::msoBarLeft);
  EXPECT_EQ(oBar->RowIndex(), 7);
  EXPECT_EQ(oBar->Left(), 40);
  EXPECT_EQ(oBar->Top(), 2);
  EXPECT_THROW(oBar->SetPosition(9), host::Error);
}

TEST_F(SimCommandBars, TemporaryControlsGoWhenTheExplorerCloses) {
  auto oContext = m_oBars->Item(Variant("Context Menu"));
  int32_t nBuiltIn = oContext->Controls()->Count();
  auto oTemporary = AddButton(oContext);
  auto oKept = AddButton(oContext, {}, false);
  auto oToolbar = m_oBars->Add(Variant("Quillo"), Variant(int32_t{1}), {}, Variant(true));
  m_oOutlook.CloseExplorer(1);
  EXPECT_THROW(oTemporary->Caption(), host::Error);
  EXPECT_THROW(oToolbar->Controls(), host::Error);
  EXPECT_THROW(oToolbar->Name(), host::Error);  // a deleted bar's plain properties fail too
  EXPECT_THROW(oToolbar->SetLeft(40), host::Error);
  EXPECT_NO_THROW(oKept->Caption());
  EXPECT_EQ(std::static_pointer_cast<sim::BarObj>(oContext)->vecControls.size(),
            static_cast<size_t>(nBuiltIn + 1));
}

TEST_F(SimCommandBars, FaultsAreInjectedUnderTheKindOfEachObject) {
  auto oMenu = m_oBars->Item(Variant("Menu Bar"));
  auto oPopup = Popup(oMenu->Controls()->Item(Variant("&File")));
  auto oButton = oPopup->CommandBar()->Controls()->Item(Variant(int32_t{1}));
  auto& oFaults = m_oOutlook.Faults();
  for (const char* s : {"CommandBar.Left", "CommandBarPopup.Caption", "CommandBarButton.Caption",
                        "CommandBarControls.Count", "CommandBars.Count"})
    oFaults.FailNth(s, 1);
  auto fnFailure = [](auto fnCall) {
    try {
      fnCall();
    } catch (const host::Error& e) {
      return e.Description();
    }
    return std::string("no failure");
  };
  EXPECT_EQ(fnFailure([&] { oMenu->SetLeft(7); }), "CommandBar.Left failed (injected)");
  EXPECT_EQ(oMenu->Left(), 0);
  EXPECT_EQ(fnFailure([&] { oPopup->Caption(); }), "CommandBarPopup.Caption failed (injected)");
  EXPECT_EQ(fnFailure([&] { oButton->Caption(); }), "CommandBarButton.Caption failed (injected)");
  EXPECT_EQ(fnFailure([&] { oMenu->Controls()->Count(); }), "CommandBarControls.Count failed (injected)");
  EXPECT_EQ(fnFailure([&] { m_oBars->Count(); }), "CommandBars.Count failed (injected)");
  EXPECT_EQ(oButton->Caption(), "&New");
}

TEST_F(SimCommandBars, FacesFromPictureOrClipboard) {
  auto oButton = AddButton(m_oBars->Item(Variant("Standard")));
  auto pPicture = std::make_shared<host::Picture>();
  oButton->SetPicture(pPicture);
  oButton->SetMask(pPicture);
  EXPECT_EQ(sim::ControlNodeOf(oButton)->pPicture, pPicture);
  EXPECT_THROW(oButton->PasteFace(), host::Error);  // nothing on the clipboard
  m_oOutlook.SetClipboardPictureSource([&] { return pPicture; });
  oButton->PasteFace();
  EXPECT_EQ(sim::ControlNodeOf(oButton)->nPastedFaces, 1);
}

class SimCommandBars2000 : public SimCommandBars {
 protected:
  SimCommandBars2000() : SimCommandBars("9.0.0.2711") {}
};

TEST_F(SimCommandBars2000, OnlyPasteFaceWorks) {
  auto oButton = AddButton(m_oBars->Item(Variant("Standard")));
  auto pPicture = std::make_shared<host::Picture>();
  try {
    oButton->SetPicture(pPicture);
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::NoSuchMember);
  }
  EXPECT_THROW(oButton->SetMask(pPicture), host::Error);
  m_oOutlook.SetClipboardPictureSource([&] { return pPicture; });
  EXPECT_NO_THROW(oButton->PasteFace());
}

TEST_F(SimCommandBars, ClickReachesEveryButtonWithTheSameTag) {
  m_oOutlook.OpenExplorer("\\Mailbox - Jane Doe\\Contacts");
  auto oHere = AddButton(m_oBars->Item(Variant("Standard")));
  auto oThere = AddButton(m_oOutlook.ExplorerAt(2)->CommandBars()->Item(Variant("Standard")));
  auto oUntagged = AddButton(m_oBars->Item(Variant("Standard")));
  oHere->SetTag("Same");
  oThere->SetTag("Same");
  std::vector<std::string> vecClicks;
  auto c1 = oHere->OnClick.Connect([&](auto oCtrl, bool&) {
    EXPECT_EQ(oCtrl, oHere);
    vecClicks.push_back("here");
  });
  auto c2 = oThere->OnClick.Connect([&](auto, bool&) { vecClicks.push_back("there"); });
  auto c3 = oUntagged->OnClick.Connect([&](auto, bool&) { vecClicks.push_back("untagged"); });
  m_oOutlook.Click(oThere);
  m_oOutlook.Click(oUntagged);
  EXPECT_EQ(vecClicks, (std::vector<std::string>{"there", "here", "untagged"}));

  auto oPopup = m_oBars->Item(Variant("Menu Bar"))->FindControl({}, Variant(int32_t{30131}));
  EXPECT_THROW(m_oOutlook.Click(oPopup), host::Error);
  oUntagged->SetVisible(false);
  EXPECT_THROW(m_oOutlook.Click(oUntagged), host::Error);
  auto c4 = oHere->OnClick.Connect([](auto, bool&) { throw host::Error(5, "click failed"); });
  m_oOutlook.Click(oHere);
  ASSERT_EQ(m_oOutlook.EscapedErrorPlaces().size(), 1u);
  EXPECT_EQ(m_oOutlook.EscapedErrorPlaces()[0], "CommandBarButton.Click");
}

}  // namespace
