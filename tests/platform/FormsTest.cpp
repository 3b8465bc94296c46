// The forms toolkit on every backend: modal and modeless show, QueryUnload, the keyboard
// roles of buttons, typing, frames, reloading to the design; then the parts without windows
// (progress bar rules, timers, picture files) and, on Windows, screenshots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Error.h"
#include "platform/Controls.h"
#include "platform/FormsTestBackends.h"
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

TEST_P(FormsTest, TheTreeViewAndTheGridSayTheyAreNotBuiltYet) {
  class frmChooser : public Form {
   public:
    frmChooser()
        : Form("frmChooser", "Chooser", 3000, 3000), treFolders(*this, "treFolders", {0, 0, 100, 100}) {}
    TreeView treFolders;
  } f;
  try {
    f.Load();
    ADD_FAILURE() << "a form with a tree view loaded";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::NoSuchMember);
  }
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_THROW(f.treFolders.SetSorted(true), host::Error);
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

}  // namespace
