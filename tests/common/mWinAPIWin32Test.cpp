// The window-style routine on a real window.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/mWinAPI.h"
#include "platform/win32/FormsWin32.h"

TEST(mWinAPIWin32, ChangesTheRealStyleOnlyWhenItDiffers) {
  // Window calls go to the forms backend, as in the add-in: the real one here.
  platform::win32::InstallWin32Forms();
  HWND hWnd = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(hWnd, nullptr);
  auto h = reinterpret_cast<platform::WindowHandle>(hWnd);
  EXPECT_TRUE(mWinAPI::ChangeWindowStyle(h, WS_EX_TOOLWINDOW, 0, true));
  EXPECT_TRUE(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(mWinAPI::ChangeWindowStyle(h, WS_EX_TOOLWINDOW, 0, true));
  EXPECT_TRUE(mWinAPI::ChangeWindowStyle(h, WS_VSCROLL, WS_MAXIMIZEBOX));
  const LONG nStyle = GetWindowLongA(hWnd, GWL_STYLE);
  EXPECT_TRUE(nStyle & WS_VSCROLL);
  EXPECT_FALSE(nStyle & WS_MAXIMIZEBOX);
  DestroyWindow(hWnd);
  platform::SetFormsBackend(nullptr);
}
