// The wheel hook on a real window: wheel messages in, the counted WM_VSCROLL messages out, and
// every other message passed to the window's own procedure with its result.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "chooser/mMouseWheel.h"
#include "platform/win32/FormsWin32.h"

namespace {

std::vector<WPARAM> g_vecScrolls;

LRESULT CALLBACK GridProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_VSCROLL) {
    g_vecScrolls.push_back(LOWORD(wParam));
    return 0;
  }
  if (uMsg == WM_USER + 7) return static_cast<LRESULT>(lParam + 1);
  return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

class MouseWheelWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    // Window calls go to the forms backend, as in the add-in: the real one here.
    platform::win32::InstallWin32Forms();
    WNDCLASSA wc{};
    wc.lpfnWndProc = GridProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuilloWheelTestGrid";
    RegisterClassA(&wc);
    m_hWnd = CreateWindowExA(0, "QuilloWheelTestGrid", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                             nullptr, wc.hInstance, nullptr);
    ASSERT_NE(m_hWnd, nullptr);
    g_vecScrolls.clear();
  }
  void TearDown() override {
    DestroyWindow(m_hWnd);
    platform::SetFormsBackend(nullptr);
  }

  HWND m_hWnd = nullptr;
};

TEST_F(MouseWheelWin32Test, SubclassesTheRealWindow) {
  auto h = reinterpret_cast<mMouseWheel::WindowHandle>(m_hWnd);
  mMouseWheel::Hook(h);
  EXPECT_EQ(GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&mMouseWheel::WindowProc));
  UINT nLines = 0;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &nLines, 0));
  EXPECT_EQ(mMouseWheel::ScrollLines(), nLines);

  EXPECT_EQ(SendMessageA(m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0), 0);
  std::vector<WPARAM> vecExpected(nLines, SB_LINEDOWN);
  vecExpected.push_back(SB_ENDSCROLL);
  EXPECT_EQ(g_vecScrolls, vecExpected);

  g_vecScrolls.clear();
  SendMessageA(m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
  EXPECT_EQ(g_vecScrolls, std::vector<WPARAM>{SB_ENDSCROLL});

  EXPECT_EQ(SendMessageA(m_hWnd, WM_USER + 7, 0, 41), 42);

  mMouseWheel::UnHook(h);
  EXPECT_EQ(GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&GridProc));
  g_vecScrolls.clear();
  SendMessageA(m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_TRUE(g_vecScrolls.empty());
}

}  // namespace
