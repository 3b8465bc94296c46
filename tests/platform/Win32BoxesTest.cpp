#include "platform/win32/Win32Boxes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/Win32Loop.h"

using namespace platform;

namespace {

// Under Wine a box needs an X display (the test stage runs under Xvfb); Windows always has one.
bool HaveDisplay() {
  bool bWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return !bWine || GetEnvironmentVariableA("DISPLAY", nullptr, 0) > 0;
}

// Answers the box titled sAnsiTitle by clicking one of its buttons, as a user would, from a
// timer that the box's own modal loop dispatches.
class BoxAnswerer {
 public:
  BoxAnswerer(win32::Win32Loop& oLoop, std::string sAnsiTitle, int nButtonId) : m_oLoop(oLoop) {
    m_nTimer = oLoop.SetTimer(20, [this, sAnsiTitle, nButtonId] {
      HWND hBox = FindWindowA("#32770", sAnsiTitle.c_str());
      if (!hBox || !IsWindowVisible(hBox)) return;
      HWND hButton = GetDlgItem(hBox, nButtonId);
      if (!hButton) return;
      m_bClicked = true;
      m_oLoop.KillTimer(m_nTimer);
      SendMessageA(hButton, BM_CLICK, 0, 0);
    });
  }
  ~BoxAnswerer() { m_oLoop.KillTimer(m_nTimer); }
  bool Clicked() const { return m_bClicked; }

 private:
  win32::Win32Loop& m_oLoop;
  MessageLoop::TimerId m_nTimer = 0;
  bool m_bClicked = false;
};

class Win32BoxesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no display for real windows (run under xvfb-run)";
  }
  win32::Win32Loop m_oLoop;
  win32::Win32Boxes m_oBoxes;
};

}  // namespace

TEST_F(Win32BoxesTest, RealBoxAnsweredYesAndNo) {
  {
    BoxAnswerer oUser(m_oLoop, "Quillo yes", IDYES);
    EXPECT_EQ(m_oBoxes.Show("Send anyway?", vbYesNo + vbQuestion, "Quillo yes"), vbYes);
    EXPECT_TRUE(oUser.Clicked());
  }
  {
    BoxAnswerer oUser(m_oLoop, "Quillo no", IDNO);
    EXPECT_EQ(m_oBoxes.Show("Send anyway?", vbYesNoCancel + vbExclamation, "Quillo no"), vbNo);
    EXPECT_TRUE(oUser.Clicked());
  }
}

TEST_F(Win32BoxesTest, TitleAndTextReachWindowsAsAnsi) {
  // "Ärger" in UTF-8 arrives as the single Windows-1252 byte 0xC4 plus "rger".
  BoxAnswerer oUser(m_oLoop, "\xC4rger", IDOK);
  EXPECT_EQ(m_oBoxes.Show("M\xC3\xBC"
                          "ller",
                          vbOKOnly, "\xC3\x84rger"),
            vbOK);
  EXPECT_TRUE(oUser.Clicked());
}
