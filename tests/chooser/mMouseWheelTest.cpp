// The wheel hook against a recording window table: wheel messages become counted line scrolls
// and one end-of-scroll, everything else reaches the previous window procedure.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "chooser/mMouseWheel.h"

namespace {

using namespace mMouseWheel;

constexpr WindowHandle kGrid = 0x4711;
constexpr LongPtr kGridProc = 0x5150;

struct Sent {
  uint32_t uMsg;
  WParam wParam;
  bool operator==(const Sent&) const = default;
};

class MouseWheelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowApi o;
    o.SetWindowLongPtrA = [this](WindowHandle hWnd, int32_t nIndex, LongPtr nValue) {
      EXPECT_EQ(hWnd, kGrid);
      EXPECT_EQ(nIndex, kGwlpWndProc);
      return std::exchange(m_nWndProc, nValue);
    };
    o.SystemParametersInfoA = [this](uint32_t uAction, uint32_t, void* pv, uint32_t) -> int32_t {
      EXPECT_EQ(uAction, kSpiGetWheelScrollLines);
      if (!m_oLines) return 0;
      *static_cast<unsigned int*>(pv) = *m_oLines;
      return 1;
    };
    o.SendMessageA = [this](WindowHandle hWnd, uint32_t uMsg, WParam wParam, LParam) -> LongPtr {
      EXPECT_EQ(hWnd, kGrid);
      m_vecSent.push_back({uMsg, wParam});
      return 0;
    };
    o.CallWindowProcA = [this](LongPtr lpPrev, WindowHandle, uint32_t uMsg, WParam wParam, LParam lParam) {
      EXPECT_EQ(lpPrev, kGridProc);
      m_vecPassed.push_back({uMsg, wParam});
      return static_cast<LongPtr>(lParam * 2);
    };
    m_oPrevious = SetApi(std::move(o));
  }
  void TearDown() override { SetApi(std::move(m_oPrevious)); }

  static WParam Wheel(int16_t nDelta, uint16_t nKeys = 0) {
    return (static_cast<WParam>(static_cast<uint16_t>(nDelta)) << 16) | nKeys;
  }
  std::vector<Sent> Scrolls(uint32_t nCode, size_t n) {
    std::vector<Sent> vec(n, Sent{kWmVScroll, nCode});
    vec.push_back({kWmVScroll, kSbEndScroll});
    return vec;
  }

  LongPtr m_nWndProc = kGridProc;
  std::optional<unsigned int> m_oLines;
  std::vector<Sent> m_vecSent, m_vecPassed;
  WindowApi m_oPrevious;
};

TEST_F(MouseWheelTest, HookSubclassesAndUnHookRestores) {
  m_oLines = 5;
  Hook(kGrid);
  EXPECT_EQ(m_nWndProc, reinterpret_cast<LongPtr>(&WindowProc));
  EXPECT_EQ(PreviousWindowProc(), kGridProc);
  EXPECT_EQ(ScrollLines(), 5u);
  UnHook(kGrid);
  EXPECT_EQ(m_nWndProc, kGridProc);
}

TEST_F(MouseWheelTest, NotchesBecomeLineScrollsAndOneEndOfScroll) {
  Hook(kGrid);  // the setting cannot be read: three lines
  EXPECT_EQ(ScrollLines(), 3u);
  EXPECT_EQ(WindowProc(kGrid, kWmMouseWheel, Wheel(-120), 0), 0);
  EXPECT_EQ(m_vecSent, Scrolls(kSbLineDown, 3));

  m_vecSent.clear();
  WindowProc(kGrid, kWmMouseWheel, Wheel(240), 0);
  EXPECT_EQ(m_vecSent, Scrolls(kSbLineUp, 6));

  m_vecSent.clear();
  WindowProc(kGrid, kWmMouseWheel, Wheel(60), 0);
  EXPECT_EQ(m_vecSent, Scrolls(kSbLineUp, 0));

  // A key held during the wheel sets low bits; the delta is still the signed high word.
  m_vecSent.clear();
  WindowProc(kGrid, kWmMouseWheel, Wheel(-120, 0x0008 /* MK_CONTROL */), 0);
  EXPECT_EQ(m_vecSent, Scrolls(kSbLineDown, 3));
  EXPECT_TRUE(m_vecPassed.empty());
}

TEST_F(MouseWheelTest, TheUsersSettingAndPageScrolling) {
  m_oLines = 1;
  Hook(kGrid);
  WindowProc(kGrid, kWmMouseWheel, Wheel(-360), 0);
  EXPECT_EQ(m_vecSent, Scrolls(kSbLineDown, 3));

  m_oLines = 0;  // wheel scrolling switched off
  Hook(kGrid);
  m_vecSent.clear();
  WindowProc(kGrid, kWmMouseWheel, Wheel(120), 0);
  EXPECT_EQ(m_vecSent, Scrolls(kSbLineUp, 0));

  m_oLines = kWheelPageScroll;
  Hook(kGrid);
  m_vecSent.clear();
  WindowProc(kGrid, kWmMouseWheel, Wheel(-240), 0);
  EXPECT_EQ(m_vecSent, Scrolls(kSbPageDown, 2));
}

TEST_F(MouseWheelTest, OtherMessagesReachTheGridUnchangedWithTheirResult) {
  Hook(kGrid);
  EXPECT_EQ(WindowProc(kGrid, kWmVScroll, kSbLineDown, 21), 42);
  EXPECT_EQ(WindowProc(kGrid, 0x0100 /* WM_KEYDOWN */, 0x28, 5), 10);
  EXPECT_EQ(m_vecPassed, (std::vector<Sent>{{kWmVScroll, kSbLineDown}, {0x0100, 0x28}}));
  EXPECT_TRUE(m_vecSent.empty());
}

TEST_F(MouseWheelTest, AFailingSystemCallNeverEscapes) {
  Hook(kGrid);
  WindowApi o = Api();
  o.SendMessageA = [](WindowHandle, uint32_t, WParam, LParam) -> LongPtr { throw host::Error(5, "gone"); };
  WindowApi oKeep = SetApi(o);
  EXPECT_EQ(WindowProc(kGrid, kWmMouseWheel, Wheel(-120), 0), 0);
  SetApi(std::move(oKeep));
}

}  // namespace
