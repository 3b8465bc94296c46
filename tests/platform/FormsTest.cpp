// The forms toolkit on every backend: modal and modeless show, QueryUnload, the keyboard
// roles of buttons, typing, frames, reloading to the design; then the parts without windows
// (progress bar rules, timers, picture files) and, on Windows, screenshots.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host/Error.h"
#include "platform/Controls.h"
#include "platform/FormsTestBackends.h"
#include "platform/WindowProc.h"
#include "resources/ChooserPictures.h"
#include "resources/Resources.h"

using namespace platform;

namespace {

class frmTest : public Form {
 public:
  frmTest()
      : Form("frmTest", "Test Dialog", 6000, 3000),
        fraBox(*this, "fraBox", {120, 120, 3000, 1500}, "Box"),
        chkOne(*this, "chkOne", {240, 360, 2400, 255}, "One", &fraBox),
        lblHint(*this, "lblHint", {240, 840, 2400, 255}, "&Hint", &fraBox),
        txtFind(*this, "txtFind", {120, 1800, 2000, 375}),
        btnOK(*this, "btnOK", {4000, 240, 1200, 375}, "OK"),
        btnCancel(*this, "btnCancel", {4000, 720, 1200, 375}, "Cancel") {
    btnOK.SetDefault(true);
    btnCancel.SetCancel(true);
    m_vecConnections.push_back(btnOK.Click.Connect([this] { Record("OK"), Unload(); }));
    m_vecConnections.push_back(btnCancel.Click.Connect([this] { Record("Cancel"), Unload(); }));
    m_vecConnections.push_back(
        chkOne.Click.Connect([this] { Record("chkOne " + std::to_string(chkOne.Value())); }));
    m_vecConnections.push_back(txtFind.Change.Connect([this] { Record("Change " + txtFind.Text()); }));
  }

  Frame fraBox;
  CheckBox chkOne;
  Label lblHint;
  TextBox txtFind;
  Button btnOK;
  Button btnCancel;

  std::vector<std::string> vecEvents;
  bool bRefuseClose = false;
  int16_t nLastUnloadMode = -1;

 protected:
  void Form_Load() override { Record("Load"); }
  void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override {
    nLastUnloadMode = UnloadMode;
    if (bRefuseClose) Cancel = 1;
  }

 private:
  void Record(std::string s) { vecEvents.push_back(std::move(s)); }
  std::vector<host::Connection> m_vecConnections;
};

using FormsTest = FormsBackendTest;

TEST_P(FormsTest, ModalShowReturnsOnceAButtonUnloadsTheForm) {
  frmTest f;
  Driver().PostClick(f.btnOK);
  f.Show(vbModal);
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(f.vecEvents, (std::vector<std::string>{"Load", "OK"}));

  f.Show(vbModeless);
  try {
    f.Show(vbModal);
    ADD_FAILURE() << "a shown form was shown modally";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), 400);
  }
  f.Unload();
}

TEST_P(FormsTest, QueryUnloadCanRefuseTheCloseBoxAndTheCode) {
  frmTest f;
  f.bRefuseClose = true;
  f.Show();
  Driver().CloseBox(f);
  EXPECT_TRUE(Driver().IsShown(f));
  EXPECT_EQ(f.nLastUnloadMode, vbFormControlMenu);
  EXPECT_FALSE(f.Unload());
  EXPECT_EQ(f.nLastUnloadMode, vbFormCode);
  EXPECT_TRUE(Driver().IsShown(f));

  f.bRefuseClose = false;
  Driver().CloseBox(f);
  EXPECT_FALSE(f.IsLoaded());
}

TEST_P(FormsTest, EnterPressesTheDefaultButtonEscTheCancelButtonTabMovesOn) {
  frmTest f;
  f.Show();
  Driver().PressKey(f.txtFind, vbKeyReturn);
  EXPECT_EQ(f.vecEvents.back(), "OK");
  EXPECT_FALSE(f.IsLoaded());

  f.Show();
  Driver().PressKey(f.chkOne, vbKeyEscape);
  EXPECT_EQ(f.vecEvents.back(), "Cancel");

  f.Show();
  Driver().PressKey(f.chkOne, vbKeySpace);
  EXPECT_EQ(Driver().ValueOf(f.chkOne), vbChecked);
  Driver().PressKey(f.chkOne, vbKeyTab);
  EXPECT_EQ(f.ActiveControl(), &f.txtFind);
  // Enter on a focused button presses that one, not the default.
  Driver().PressKey(f.btnCancel, vbKeyReturn);
  EXPECT_EQ(f.vecEvents.back(), "Cancel");
}

TEST_P(FormsTest, TypingGoesThroughKeyPressAndRaisesChange) {
  frmTest f;
  auto conn = f.txtFind.KeyPress.Connect([](int16_t& nAscii) {
    if (nAscii == 'a') nAscii = 'A';
    if (nAscii == '!') nAscii = 0;
  });
  f.Show();
  Driver().Type(f.txtFind, "ab!c");
  EXPECT_EQ(Driver().TextOf(f.txtFind), "Abc");
  EXPECT_EQ(f.txtFind.Text(), "Abc");
  Driver().PressKey(f.txtFind, vbKeyBack);
  EXPECT_EQ(f.txtFind.Text(), "Ab");
  EXPECT_EQ(f.vecEvents,
            (std::vector<std::string>{"Load", "Change A", "Change Ab", "Change Abc", "Change Ab"}));
  // Text set by the code shows, and raises Change once.
  f.txtFind.SetText("Ärger");
  EXPECT_EQ(Driver().TextOf(f.txtFind), "Ärger");
  EXPECT_EQ(f.vecEvents.back(), "Change Ärger");
  f.Unload();
}

TEST_P(FormsTest, ClicksReachOnlyShownEnabledControlsAndFramesCarryTheirChildren) {
  frmTest f;
  f.Show();
  Driver().Click(f.chkOne);
  EXPECT_EQ(f.vecEvents.back(), "chkOne 1");
  EXPECT_EQ(Driver().ValueOf(f.chkOne), 1);

  f.fraBox.SetVisible(false);
  EXPECT_FALSE(Driver().IsShown(f.chkOne));
  EXPECT_FALSE(Driver().IsShown(f.lblHint));
  Driver().Click(f.chkOne);
  EXPECT_EQ(f.chkOne.Value(), vbChecked);
  f.fraBox.SetVisible(true);
  EXPECT_TRUE(Driver().IsShown(f.chkOne));

  f.btnOK.SetEnabled(false);
  EXPECT_FALSE(Driver().IsEnabled(f.btnOK));
  Driver().Click(f.btnOK);
  EXPECT_TRUE(f.IsLoaded());
  f.Unload();
}

TEST_P(FormsTest, EveryLoadStartsFromTheDesign) {
  frmTest f;
  f.Show();
  f.SetCaption("Changed");
  f.chkOne.SetValue(vbChecked);
  f.txtFind.SetText("typed");
  f.btnOK.SetVisible(false);
  EXPECT_EQ(Driver().CaptionOf(f), "Changed");
  f.Unload();
  f.Show();
  EXPECT_EQ(Driver().CaptionOf(f), "Test Dialog");
  EXPECT_EQ(Driver().ValueOf(f.chkOne), vbUnchecked);
  EXPECT_EQ(Driver().TextOf(f.txtFind), "");
  EXPECT_TRUE(Driver().IsShown(f.btnOK));
  EXPECT_EQ(Driver().TextOf(f.lblHint), "&Hint");
  f.Unload();
}

// A dialog of the chooser's shape: a folder tree, a long grid, a search box.
class frmLists : public Form {
 public:
  frmLists()
      : Form("frmLists", "Lists", 9360, 6840),
        imgIcons(*this, "imgIcons"),
        treFolders(*this, "treFolders", {240, 1200, 8895, 2175}),
        ctlGrid(*this, "ctlGrid", {240, 3720, 8895, 2415}),
        txtFind(*this, "txtFind", {240, 6240, 2655, 375}) {
    m_vecConnections.push_back(
        treFolders.NodeClick.Connect([this](TreeNode& n) { vecEvents.push_back("click " + n.sKey); }));
    m_vecConnections.push_back(treFolders.KeyPress.Connect(
        [this](int16_t& n) { vecEvents.push_back(std::string("key ") + char(n)); }));
    m_vecConnections.push_back(ctlGrid.Scroll.Connect([this] { ++nScrolls; }));
    m_vecConnections.push_back(ctlGrid.DblClick.Connect(
        [this] { vecEvents.push_back("dblclick " + std::to_string(ctlGrid.Row())); }));
    m_vecConnections.push_back(ctlGrid.MouseDown.Connect([this](int16_t, int16_t, float, float) {
      vecEvents.push_back("down " + std::to_string(ctlGrid.MouseRow()) + "," +
                          std::to_string(ctlGrid.MouseCol()));
    }));
  }

  // The chooser's seven columns over a long list with a hidden last row.
  void FillGrid(int32_t nItems) {
    ctlGrid.SetCols(7);
    const int32_t nWidths[] = {0, 300, 300, 2535, 2400, 3000, 0};
    for (int32_t c = 0; c < 7; ++c) ctlGrid.SetColWidth(c, nWidths[c]);
    ctlGrid.SetRows(1);
    ctlGrid.SetRows(nItems + 2);
    ctlGrid.SetRowHeight(nItems + 1, 0);
    for (int32_t r = 1; r <= std::min(nItems, 7); ++r)
      ctlGrid.SetTextMatrix(r, 3, "List " + std::to_string(r));
  }

  ImageList imgIcons;
  TreeView treFolders;
  Grid ctlGrid;
  TextBox txtFind;
  std::vector<std::string> vecEvents;
  int nScrolls = 0;

 private:
  std::vector<host::Connection> m_vecConnections;
};

int32_t ErrorOfCall(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const host::Error& e) {
    return e.Number();
  }
  return 0;
}

TEST_P(FormsTest, TheTreeViewKeepsKeyedSortedNodesAndReportsTheUsersClicks) {
  frmLists f;
  auto pIcon = std::make_shared<Picture>(16, 16, 0xFF3060A0u);
  f.imgIcons.Add("Folder", pIcon);
  f.imgIcons.Add("Contacts", pIcon);
  f.Show();
  TreeView& t = f.treFolders;
  EXPECT_EQ(ErrorOfCall([&] { t.AddNode("", tvwLast, "X", "X", "Folder"); }), 35613);  // no image list yet
  t.SetImageList(&f.imgIcons);
  t.AddNode("", tvwLast, "B", "Mailbox", "Folder");
  t.AddNode("", tvwLast, "A", "Archive", "Folder");
  t.SetSorted(true);
  t.SetNodeSorted("B", true);
  t.AddNode("B", tvwChild, "B3", "tasks", "Folder");
  t.AddNode("B", tvwChild, "B1", "Contacts", "Contacts");
  t.AddNode("B1", tvwChild, "B1a", "Lists", "Contacts");
  t.AddNode("B", tvwChild, "B2", "Inbox", "");
  auto keys = [&](const std::string& sParent) {
    std::string s;
    for (const TreeNode* p : t.Children(sParent)) s += p->sKey + " ";
    return s;
  };
  EXPECT_EQ(keys(""), "A B ");
  EXPECT_EQ(keys("B"), "B1 B2 B3 ");  // by text, without regard to case
  EXPECT_EQ(ErrorOfCall([&] { t.AddNode("", tvwLast, "b1", "Again", ""); }), 35602);
  EXPECT_EQ(ErrorOfCall([&] { t.AddNode("ZZ", tvwChild, "C", "C", ""); }), 35601);
  EXPECT_EQ(ErrorOfCall([&] { t.AddNode("", tvwLast, "C", "C", "Nope"); }), 35601);
  EXPECT_EQ(t.NodeCount(), 6);

  // Selecting from code opens the branch and is no click.
  t.SetSelectedItem("B1a");
  EXPECT_TRUE(t.Node("B")->bExpanded && t.Node("b1")->bExpanded);
  EXPECT_EQ(Driver().SelectedNodeOf(t), "B1a");
  EXPECT_TRUE(f.vecEvents.empty());

  Driver().ClickNode(t, "B2");
  Driver().ClickNode(t, "B2");  // the selected node, clicked again
  EXPECT_EQ(Driver().SelectedNodeOf(t), "B2");
  EXPECT_EQ(t.SelectedItem()->sKey, "B2");
  // A letter goes to KeyPress, then finds the next node shown that starts with it.
  Driver().Type(t, "T");
  EXPECT_EQ(f.vecEvents, (std::vector<std::string>{"click B2", "click B2", "key T", "click B3"}));

  f.Unload();
  f.Show();
  EXPECT_EQ(t.NodeCount(), 0);
  EXPECT_EQ(t.SelectedItem(), nullptr);
  f.Unload();
}

TEST_P(FormsTest, TheGridScrollsALongListAndReportsCellsUnderTheMouse) {
  frmLists f;
  f.Show();
  Grid& g = f.ctlGrid;
  f.FillGrid(100000);
  // The selection left the header it had to sit on while the grid was empty.
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(g.Rows(), 100002);
  EXPECT_EQ(g.MaxTopRow(), 99994);  // seven whole rows below the header, then the hidden row
  EXPECT_EQ(g.BottomRow(), 8);
  EXPECT_EQ(f.nScrolls, 0);

  Driver().ScrollGrid(g, sb::LineDown);
  EXPECT_EQ(Driver().TopRowOf(g), 2);
  Driver().ScrollGrid(g, sb::ThumbPosition, 70000);  // beyond the 16 bits of the message
  EXPECT_EQ(g.TopRow(), 70000);
  EXPECT_EQ(Driver().TopRowOf(g), 70000);
  Driver().ScrollGrid(g, sb::Bottom);
  Driver().ScrollGrid(g, sb::EndScroll);
  EXPECT_EQ(g.TopRow(), 99994);
  EXPECT_EQ(f.nScrolls, 3);
  EXPECT_EQ(ErrorOfCall([&] { Driver().ClickCell(g, 100001, 3); }), host::err::InvalidProcedureCall);
  g.SetTopRow(1);  // code scrolls too
  EXPECT_EQ(f.nScrolls, 4);
  EXPECT_EQ(ErrorOfCall([&] { g.SetTopRow(100002); }), 30009);

  // The header reports where it was pressed and leaves the selection alone.
  Driver().ClickCell(g, 0, 3);
  EXPECT_EQ(g.Row(), 1);
  Driver().ClickCell(g, 2, 4);
  EXPECT_EQ(g.Row(), 2);
  EXPECT_EQ(g.Col(), 4);
  EXPECT_EQ(g.RowSel(), 2);
  Driver().DblClickCell(g, 3, 3);
  EXPECT_EQ(ErrorOfCall([&] { Driver().ClickCell(g, 1, 0); }), host::err::InvalidProcedureCall);  // no width
  EXPECT_EQ(f.vecEvents, (std::vector<std::string>{"down 0,3", "down 2,4", "down 3,3", "dblclick 3"}));
  EXPECT_EQ(g.TextMatrix(3, 3), "List 3");

  // End goes to the last row, the hidden one included, and scrolls to show the end.
  Driver().PressKey(g, 35);
  EXPECT_EQ(g.Row(), 100001);
  EXPECT_EQ(g.TopRow(), 99994);
  f.Unload();
}

// A subclassing procedure as the wheel hook writes one: wheel notches become line scrolls.
WindowProcedure g_pfnPrevious = nullptr;
std::vector<uint32_t> g_vecSeen;

intptr_t QUILLO_WINAPI WheelToLines(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam, intptr_t lParam) {
  g_vecSeen.push_back(uMsg);
  if (uMsg != wm::MouseWheel) return CallWindowProcedure(g_pfnPrevious, hWnd, uMsg, wParam, lParam);
  const int nDelta = static_cast<int16_t>(wParam >> 16);
  for (int i = 0; i < std::abs(nDelta) / kWheelDelta * 2; ++i)
    SendWindowMessage(hWnd, wm::VScroll, uintptr_t(nDelta < 0 ? sb::LineDown : sb::LineUp), 0);
  SendWindowMessage(hWnd, wm::VScroll, uintptr_t(sb::EndScroll), 0);
  return 0;
}

TEST_P(FormsTest, AControlsWindowProcedureCanBeReplacedAndChained) {
  frmLists f;
  f.Show();
  Grid& g = f.ctlGrid;
  f.FillGrid(50);
  Driver().Wheel(g, -120);
  EXPECT_EQ(g.TopRow(), 1);  // the grid does not scroll by the wheel itself

  g_vecSeen.clear();
  g_pfnPrevious = SetWindowProcedure(g.hWnd(), &WheelToLines);
  ASSERT_NE(g_pfnPrevious, nullptr);
  EXPECT_EQ(GetWindowProcedure(g.hWnd()), &WheelToLines);
  Driver().Wheel(g, -240);
  EXPECT_EQ(g.TopRow(), 5);
  EXPECT_EQ(f.nScrolls, 4);
  Driver().Wheel(g, 60);  // half a notch: only the end of the scroll
  EXPECT_EQ(g.TopRow(), 5);
  Driver().ClickCell(g, 6, 3);  // everything else reaches the grid as before
  EXPECT_EQ(g.Row(), 6);
  EXPECT_NE(std::find(g_vecSeen.begin(), g_vecSeen.end(), wm::LButtonDown), g_vecSeen.end());

  EXPECT_EQ(SetWindowProcedure(g.hWnd(), g_pfnPrevious), &WheelToLines);
  Driver().Wheel(g, 240);
  EXPECT_EQ(g.TopRow(), 5);
  EXPECT_EQ(SetWindowProcedure(0, &WheelToLines), nullptr);

  // Styles read and written as GetWindowLongA / SetWindowLongA do (TVS_LINESATROOT here).
  const int32_t nStyle = GetWindowLongValue(f.treFolders.hWnd(), kGwlStyle);
  EXPECT_EQ(nStyle & 4, 0);
  SetWindowLongValue(f.treFolders.hWnd(), kGwlStyle, nStyle | 4);
  EXPECT_EQ(GetWindowLongValue(f.treFolders.hWnd(), kGwlStyle) & 4, 4);
  uint32_t nLines = 0;
  EXPECT_TRUE(QuerySystemParameter(kSpiGetWheelScrollLines, 0, &nLines, 0));
  EXPECT_GT(nLines, 0u);
  f.Unload();
}

INSTANTIATE_TEST_SUITE_P(Backends, FormsTest, ::testing::ValuesIn(FormsBackendNames()),
                         [](const auto& info) { return info.param; });

// --- Without windows ------------------------------------------------------------------------------

class frmBare : public Form {
 public:
  frmBare()
      : Form("frmBare", "Bare", 1000, 1000),
        barProgress(*this, "barProgress", {}),
        tmrScroll(*this, "tmrScroll", 5, false) {}
  ProgressBar barProgress;
  Timer tmrScroll;
};

TEST(ProgressBarRules, RangeAndValueAreCheckedAndAShrinkingRangePullsTheValueIn) {
  frmBare f;
  auto expectError = [](auto fn) {
    try {
      fn();
      ADD_FAILURE() << "no error";
    } catch (const host::Error& e) {
      EXPECT_EQ(e.Number(), 380);
    }
  };
  f.barProgress.SetMax(10);
  f.barProgress.SetValue(10);
  expectError([&] { f.barProgress.SetValue(11); });
  expectError([&] { f.barProgress.SetMax(-1); });
  f.barProgress.SetMax(4);
  EXPECT_EQ(f.barProgress.Value(), 4);
  f.barProgress.SetMax(0);  // an empty range is allowed
  EXPECT_EQ(f.barProgress.Value(), 0);
  expectError([&] { f.barProgress.SetValue(1); });
}

TEST(TimerControl, TicksOnTheLoopOnlyWhileLoadedAndEnabledAndRestartsWhenSet) {
  auto pLoop = std::make_shared<portable::VirtualLoop>();
  auto pPrevLoop = SetLoop(pLoop);
  auto pPrevForms = SetFormsBackend(std::make_shared<portable::PortableForms>());
  {
    frmBare f;
    int nTicks = 0;
    auto conn = f.tmrScroll.Tick.Connect([&] { ++nTicks; });
    f.tmrScroll.SetEnabled(true);
    pLoop->Advance(20);
    EXPECT_EQ(nTicks, 0);  // not loaded
    f.Load();
    pLoop->Advance(12);
    EXPECT_EQ(nTicks, 2);
    f.tmrScroll.SetEnabled(false);
    f.tmrScroll.SetEnabled(true);  // a burst of scrolls restarts the interval
    pLoop->Advance(4);
    EXPECT_EQ(nTicks, 2);
    pLoop->Advance(1);
    EXPECT_EQ(nTicks, 3);
    f.Unload();
    pLoop->Advance(50);
    EXPECT_EQ(nTicks, 3);
  }
  SetFormsBackend(pPrevForms);
  SetLoop(pPrevLoop);
}

TEST(PictureFiles, TheProductIconAndLogoDecodeAndDamagedFilesAreRefused) {
  auto pIcon = resources::LoadResPicture("MAIN_ICON", resources::vbResIcon);
  ASSERT_TRUE(pIcon);
  PicturePtr p32 = LoadPictureFile(pIcon->FileBytes());
  ASSERT_EQ(p32->nWidth, 32);
  EXPECT_EQ(p32->At(0, 0) >> 24, 0u);      // transparent corner
  EXPECT_EQ(p32->At(16, 4) >> 24, 0xFFu);  // opaque disc
  EXPECT_EQ(LoadPictureFile(pIcon->FileBytes(), 16)->nWidth, 16);

  auto pLogo = resources::LoadResPicture("LOGO", resources::vbResBitmap);
  ASSERT_TRUE(pLogo);
  PicturePtr pBitmap = LoadPictureFile(pLogo->FileBytes());
  EXPECT_EQ(pBitmap->nWidth, pLogo->Width());
  EXPECT_EQ(pBitmap->At(0, 0) >> 24, 0xFFu);

  std::vector<std::vector<uint8_t>> vecBad = {
      {},
      {'B', 'M'},
      {'G', 'I', 'F', '8', '9', 'a'},
      std::vector<uint8_t>(pIcon->FileBytes().begin(), pIcon->FileBytes().begin() + 100),
      std::vector<uint8_t>(pLogo->FileBytes().begin(), pLogo->FileBytes().end() - 10),
  };
  // Every image of the icon claims a width far beyond any icon.
  std::vector<uint8_t> vecHugeIcon = pIcon->FileBytes();
  for (size_t nEntry = 6; nEntry < 6 + 16 * size_t(vecHugeIcon[4]); nEntry += 16)
    vecHugeIcon[(vecHugeIcon[nEntry + 12] | vecHugeIcon[nEntry + 13] << 8) + 7] = 0x7F;
  vecBad.push_back(vecHugeIcon);
  for (const auto& vec : vecBad) {
    try {
      LoadPictureFile(vec);
      ADD_FAILURE() << "a damaged file of " << vec.size() << " bytes was read";
    } catch (const host::Error& e) {
      EXPECT_EQ(e.Number(), 481);
    }
  }
}

TEST(PictureFiles, TheChoosersPicturesLoadIntoAnImageListAndCells) {
  frmBare f;
  ImageList imgFolderIcons(f, "imgFolderIcons");
  resources::LoadFolderIcons(imgFolderIcons);
  ASSERT_EQ(imgFolderIcons.Count(), 14);
  EXPECT_EQ(imgFolderIcons.IndexOf("PersonalOther"), 14);
  EXPECT_EQ(imgFolderIcons.Item("Contacts")->nWidth, 16);
  for (const char* sName : {resources::kSortDownPicture, resources::kSortUpPicture}) {
    PicturePtr p = resources::LoadResImage(sName);
    EXPECT_EQ(p->nWidth, 20);
    EXPECT_EQ(p->nHeight, 16);
  }
  // The markers differ: one points down, the other up.
  EXPECT_NE(resources::LoadResImage(resources::kSortDownPicture)->pixels,
            resources::LoadResImage(resources::kSortUpPicture)->pixels);
  for (int32_t n = 1; n <= 7; ++n) EXPECT_EQ(resources::FlagPicture(n)->nHeight, 16);
  EXPECT_EQ(resources::LoadResImage(resources::kListIcon)->nWidth, 16);
  for (auto fn : std::vector<std::function<void()>>{[] { resources::FlagPicture(0); },
                                                    [] { resources::FolderIcon("Garden"); },
                                                    [] { resources::LoadResImage("NO_SUCH"); }})
    EXPECT_EQ(ErrorOfCall(fn), 326);
}

}  // namespace
