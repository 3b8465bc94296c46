// Mouse-wheel scrolling for the chooser's grid, which does not scroll on the wheel by itself:
// while hooked, the grid's window procedure turns every wheel notch into the user's lines-per-notch
// count of line scrolls plus one end-of-scroll, exactly what the scroll bar sends, so the lazy
// row drawing runs as for scroll-bar use.
//
// The four user32 calls go through a table, by default the toolkit's window-procedure chain
// (user32 itself on Windows, the same chain over the portable controls elsewhere), so that the
// same WindowProc runs everywhere; tests may install their own.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Forms.h"

#if defined(_WIN32)
#define QUILLO_WNDPROC_CALL __stdcall
#else
#define QUILLO_WNDPROC_CALL
#endif

namespace mMouseWheel {

using WindowHandle = platform::WindowHandle;
// LONG_PTR, WPARAM and LPARAM: pointer-sized, so a window procedure fits on 64-bit Windows too.
using LongPtr = intptr_t;
using WParam = uintptr_t;
using LParam = intptr_t;
using WndProcFn = LongPtr(QUILLO_WNDPROC_CALL*)(WindowHandle, uint32_t, WParam, LParam);

constexpr int32_t kGwlpWndProc = -4;
constexpr uint32_t kSpiGetWheelScrollLines = 0x68;
constexpr uint32_t kWmMouseWheel = 0x020A;
constexpr uint32_t kWmVScroll = 0x0115;
constexpr uint32_t kSbLineUp = 0;
constexpr uint32_t kSbLineDown = 1;
constexpr uint32_t kSbPageUp = 2;
constexpr uint32_t kSbPageDown = 3;
constexpr uint32_t kSbEndScroll = 8;
// The wheel setting "one screen at a time".
constexpr uint32_t kWheelPageScroll = 0xFFFFFFFFu;
constexpr int32_t kWheelDelta = 120;
// Without the system's setting.
constexpr uint32_t kDefaultScrollLines = 3;

struct WindowApi {
  // Returns the previous value; 0 when it fails.
  std::function<LongPtr(WindowHandle, int32_t, LongPtr)> SetWindowLongPtrA;
  // Nonzero on success.
  std::function<int32_t(uint32_t, uint32_t, void*, uint32_t)> SystemParametersInfoA;
  std::function<LongPtr(WindowHandle, uint32_t, WParam, LParam)> SendMessageA;
  std::function<LongPtr(LongPtr, WindowHandle, uint32_t, WParam, LParam)> CallWindowProcA;
};

// The table in use: user32 on Windows; elsewhere calls that do nothing until one is installed.
const WindowApi& Api();
// Installs a table; returns the one it replaces.
WindowApi SetApi(WindowApi oApi);

// Subclasses the window and reads the lines per notch. One window at a time: hooking another
// before unhooking overwrites the saved procedure.
void Hook(WindowHandle hWnd);
void UnHook(WindowHandle hWnd);
LongPtr QUILLO_WNDPROC_CALL WindowProc(WindowHandle hWnd, uint32_t uMsg, WParam wParam, LParam lParam);

// What Hook saved, for tests and the sim.
LongPtr PreviousWindowProc();
uint32_t ScrollLines();

}  // namespace mMouseWheel
