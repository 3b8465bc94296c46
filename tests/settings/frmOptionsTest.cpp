// The Options dialog on every forms backend: its layout and keys, what OK, Cancel, Esc and the
// close box store, Help, and settings that cannot be read or written.
// CWinReg's members carry the roots' Windows names, macros in <windows.h>, which the Win32 forms
// backend brings: it comes first, and is used before it.
#include "settings/CWinReg.h"

namespace {

// Stores a value of the add-in's key as a string (REG_SZ).
bool WriteStringSetting(const std::string& sKey, const std::string& sName, const std::string& sText) {
  CWinReg oReg;
  return oReg.InitForWrite(CWinReg::HKEY_CURRENT_USER(), sKey, true) && oReg.SetString(sName, sText) &&
         oReg.Close();
}

}  // namespace

#include <gtest/gtest.h>

#include "platform/FormsTestBackends.h"
#include "settings/frmOptions.h"
#include "support/ScratchRegistry.h"

namespace {

using platform::vbChecked;
using platform::vbUnchecked;

// A registry that answers every call with an I/O failure.
class FailingRegistry : public platform::reg::Registry {
 public:
  using LSTATUS = platform::reg::LSTATUS;
  using DWORD = platform::reg::DWORD;
  static constexpr LSTATUS kFail = 1016;  // ERROR_REGISTRY_IO_FAILED
  LSTATUS CreateKeyEx(platform::reg::HKEY, const char*, DWORD, char*, DWORD, platform::reg::REGSAM,
                      const void*, platform::reg::HKEY*, DWORD*) override {
    return kFail;
  }
  LSTATUS OpenKeyEx(platform::reg::HKEY, const char*, DWORD, platform::reg::REGSAM,
                    platform::reg::HKEY*) override {
    return kFail;
  }
  LSTATUS CloseKey(platform::reg::HKEY) override { return kFail; }
  LSTATUS SetValueEx(platform::reg::HKEY, const char*, DWORD, DWORD, const platform::reg::BYTE*,
                     DWORD) override {
    return kFail;
  }
  LSTATUS QueryValueEx(platform::reg::HKEY, const char*, DWORD*, DWORD*, platform::reg::BYTE*,
                       DWORD*) override {
    return kFail;
  }
  LSTATUS DeleteKey(platform::reg::HKEY, const char*) override { return kFail; }
  LSTATUS DeleteValue(platform::reg::HKEY, const char*) override { return kFail; }
  LSTATUS FlushKey(platform::reg::HKEY) override { return kFail; }
  LSTATUS EnumKeyEx(platform::reg::HKEY, DWORD, char*, DWORD*, DWORD*, char*, DWORD*,
                    platform::reg::FILETIME*) override {
    return kFail;
  }
  LSTATUS EnumValue(platform::reg::HKEY, DWORD, char*, DWORD*, DWORD*, DWORD*, platform::reg::BYTE*,
                    DWORD*) override {
    return kFail;
  }
};

// A support library whose help call fails.
class FailingHelp : public testsupport::RecordingSupport {
 public:
  int32_t TarvikShowContextHelp(host::ModuleHandle, const std::string&) override {
    host::Raise(host::err::InvalidProcedureCall, "no help today");
  }
};

class frmOptionsTest : public FormsBackendTest {
 protected:
  void SetUp() override {
    FormsBackendTest::SetUp();
    if (IsSkipped()) return;
    testsupport::InstallScratchRegistry();
    // The dialog is owned by the window in front, Outlook's, as when a user opens it.
    m_hOutlook = MakeForegroundWindow();
  }
  void TearDown() override {
    if (IsSkipped()) return;
    g_frmOptions.Reset();
    testsupport::RemoveScratchRegistry();
    FormsBackendTest::TearDown();
  }

  frmOptions& Dialog() { return *g_frmOptions; }
  platform::WindowHandle m_hOutlook = 0;
  // What the user does once the modal dialog is up, in order, through the message pump.
  void Post(std::function<void()> fn) { platform::Loop().Post(std::move(fn)); }
  void PostKey(platform::Control& oControl, int16_t nKey) {
    Post([this, &oControl, nKey] { Driver().PressKey(oControl, nKey); });
  }
  // The boxes as the user sees them when the dialog opens (read from inside the modal loop).
  std::vector<int32_t> BoxesOnOpen() {
    std::vector<int32_t> vec;
    frmOptions& f = Dialog();
    Post([&] {
      for (platform::CheckBox* p :
           {&f.chkExcludePrivateContacts, &f.chkExcludeReplied, &f.chkExcludeLinkItems})
        vec.push_back(Driver().ValueOf(*p));
    });
    Driver().PostClick(f.btnCancel);
    ShowOptionsDialog();
    return vec;
  }
  static std::vector<bool> Stored() {
    return {g_oOptions->ExcludePrivateContacts(), g_oOptions->ExcludeReplied(),
            g_oOptions->ExcludeLinkItems()};
  }
};

TEST_P(frmOptionsTest, LaysOutTheDialogAsDesignedWithTheFocusMovingInTabOrder) {
  frmOptions& f = Dialog();
  f.Show();
  EXPECT_EQ(Driver().CaptionOf(f), "Quillo Options");
  EXPECT_EQ(Driver().ClientOf(f), (platform::TwipsRect{0, 0, 6510, 3525}));
  EXPECT_EQ(Driver().OwnerOf(f), m_hOutlook);
  EXPECT_NE(f.Icon(), nullptr);
  EXPECT_EQ(Driver().TextOf(f.Frame1), "Do not include the following items in Quillo List");
  EXPECT_EQ(Driver().TextOf(f.chkExcludeLinkItems),
            "Do not include items selected in \"Contacts...\" for tasks, meetings and appointments");
  EXPECT_EQ(Driver().TextOf(f.Label1),
            "If an item has been selected in View manually,\nit will appear in this list regardless of these "
            "options.");
  EXPECT_EQ(f.chkExcludeReplied.FormBounds(), (platform::TwipsRect{360, 960, 4095, 255}));
  EXPECT_EQ(f.btnHelp.Bounds(), (platform::TwipsRect{4920, 3000, 1455, 375}));
  EXPECT_EQ(f.DefaultButton(), &f.btnOK);
  EXPECT_EQ(f.CancelButton(), &f.btnCancel);

  // The focus starts on the first box and Tab visits the boxes, then the buttons.
  std::vector<std::string> vecOrder;
  for (int i = 0; i < 7; ++i) {
    vecOrder.push_back(f.ActiveControl()->Name());
    Driver().PressKey(*f.ActiveControl(), platform::vbKeyTab);
  }
  EXPECT_EQ(vecOrder,
            (std::vector<std::string>{"chkExcludePrivateContacts", "chkExcludeReplied", "chkExcludeLinkItems",
                                      "btnOK", "btnCancel", "btnHelp", "chkExcludePrivateContacts"}));
  f.Unload();
}

TEST_P(frmOptionsTest, OkStoresTheBoxesAndReopeningShowsThem) {
  EXPECT_EQ(BoxesOnOpen(), (std::vector<int32_t>{vbUnchecked, vbUnchecked, vbUnchecked}));

  frmOptions& f = Dialog();
  Driver().PostClick(f.chkExcludePrivateContacts);
  Driver().PostClick(f.chkExcludeLinkItems);
  Driver().PostClick(f.btnOK);
  ShowOptionsDialog();
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(Stored(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(BoxesOnOpen(), (std::vector<int32_t>{vbChecked, vbUnchecked, vbChecked}));

  // Enter while a check box has the focus is OK.
  Driver().PostClick(f.chkExcludeLinkItems);
  PostKey(f.chkExcludeLinkItems, platform::vbKeyReturn);
  ShowOptionsDialog();
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(Stored(), (std::vector<bool>{true, false, false}));
}

TEST_P(frmOptionsTest, CancelEscAndTheCloseBoxStoreNothing) {
  g_oOptions->ExcludeReplied(true);
  frmOptions& f = Dialog();
  Driver().PostClick(f.chkExcludePrivateContacts);
  Driver().PostClick(f.chkExcludeReplied);
  Driver().PostClick(f.btnCancel);
  ShowOptionsDialog();

  Driver().PostClick(f.chkExcludeLinkItems);
  PostKey(f.chkExcludeLinkItems, platform::vbKeyEscape);
  ShowOptionsDialog();

  Driver().PostClick(f.chkExcludeReplied);
  Post([&] { Driver().CloseBox(f); });
  ShowOptionsDialog();

  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(Stored(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(BoxesOnOpen(), (std::vector<int32_t>{vbUnchecked, vbChecked, vbUnchecked}));
}

TEST_P(frmOptionsTest, HelpAsksForTheTopicAndKeepsTheDialogOpenEvenWhenItFails) {
  frmOptions& f = Dialog();
  f.Show();
  Driver().Click(f.btnHelp);
  EXPECT_EQ(log->helpTopics, (std::vector<std::string>{"Change_Quillo_Options.htm"}));
  EXPECT_TRUE(Driver().IsShown(f));

  auto pPrevious = host::BindTarvik(std::make_shared<FailingHelp>());
  Driver().Click(f.btnHelp);
  host::BindTarvik(pPrevious);
  EXPECT_TRUE(Driver().IsShown(f));
  Driver().Click(f.btnCancel);
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_TRUE(log->lines.empty());
}

TEST_P(frmOptionsTest, SettingsThatCannotBeReadOrWrittenLeaveTheDialogUsable) {
  // A value of the wrong type reads as the default.
  ASSERT_TRUE(WriteStringSetting(g_oOptions->RootKeyPath(), "ExcludeReplied", "1"));
  g_oOptions->ExcludePrivateContacts(true);
  EXPECT_EQ(BoxesOnOpen(), (std::vector<int32_t>{vbChecked, vbUnchecked, vbUnchecked}));

  // A registry that fails every call: the boxes start unchecked and OK still closes.
  auto pPrevious = platform::reg::SetRegistry(std::make_shared<FailingRegistry>());
  frmOptions& f = Dialog();
  std::vector<int32_t> vecShown = BoxesOnOpen();
  Driver().PostClick(f.chkExcludeReplied);
  Driver().PostClick(f.btnOK);
  ShowOptionsDialog();
  platform::reg::SetRegistry(pPrevious);
  EXPECT_EQ(vecShown, (std::vector<int32_t>{vbUnchecked, vbUnchecked, vbUnchecked}));
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(Stored(), (std::vector<bool>{true, false, false}));
  EXPECT_TRUE(log->lines.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, frmOptionsTest, ::testing::ValuesIn(FormsBackendNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
