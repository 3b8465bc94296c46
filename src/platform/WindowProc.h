// Window procedures of the toolkit's controls, in the shape of user32's: a control's messages
// pass through a replaceable procedure (what SetWindowLongPtrA(GWLP_WNDPROC) installs), and a
// subclassing procedure hands what it does not take to the previous one (CallWindowProcA).
// On Windows these are the real calls on the real windows; the portable backend runs the same
// chain over its own controls, so that a subclassing procedure is tested as it will run.
//
// The names avoid user32's own, which windows.h turns into macros.
#pragma once

#include <cstdint>

#include "platform/Forms.h"

namespace platform {

// The messages and codes the toolkit's controls understand, with user32's numbers.
namespace wm {
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t KeyUp = 0x0101;
constexpr uint32_t Char = 0x0102;
constexpr uint32_t VScroll = 0x0115;
constexpr uint32_t LButtonDown = 0x0201;
constexpr uint32_t LButtonUp = 0x0202;
constexpr uint32_t LButtonDblClk = 0x0203;
constexpr uint32_t MouseWheel = 0x020A;
}  // namespace wm
namespace sb {
constexpr int16_t LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3, ThumbPosition = 4, ThumbTrack = 5,
                  Top = 6, Bottom = 7, EndScroll = 8;
}  // namespace sb
constexpr int32_t kGwlStyle = -16;
constexpr int32_t kGwlExStyle = -20;
constexpr uint32_t kSpiGetWheelScrollLines = 0x68;
constexpr int32_t kWheelDelta = 120;

// SetWindowLongPtrA(hWnd, GWLP_WNDPROC, pfn): installs a procedure and returns the one it
// replaces (nullptr, and nothing changed, for a handle that is no window).
WindowProcedure SetWindowProcedure(WindowHandle hWnd, WindowProcedure pfnNew);
WindowProcedure GetWindowProcedure(WindowHandle hWnd);
// CallWindowProcA: runs pfnPrev for the message.
intptr_t CallWindowProcedure(WindowProcedure pfnPrev, WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam,
                             intptr_t lParam);
// SendMessageA: through the window's current procedure; 0 for a handle that is no window.
intptr_t SendWindowMessage(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam, intptr_t lParam);
// GetWindowLongA / SetWindowLongA with GWL_STYLE or GWL_EXSTYLE; Set returns the old value.
int32_t GetWindowLongValue(WindowHandle hWnd, int32_t nIndex);
int32_t SetWindowLongValue(WindowHandle hWnd, int32_t nIndex, int32_t nValue);
// SystemParametersInfoA for reading a setting; false when the call fails.
bool QuerySystemParameter(uint32_t uiAction, uint32_t uiParam, void* pvParam, uint32_t fWinIni);

// The wheel delta and the key state of WM_MOUSEWHEEL's wParam, as the window gets it.
constexpr uintptr_t WheelWParam(int16_t nDelta, uint16_t nKeys = 0) {
  return uintptr_t(uint32_t(uint16_t(nDelta)) << 16 | nKeys);
}

}  // namespace platform
