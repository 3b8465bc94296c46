#include "chooser/mMouseWheel.h"

#include <utility>

#include "host/Error.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace mMouseWheel {
namespace {

LongPtr m_lpPrevWndProc = 0;
uint32_t m_nScrollLines = kDefaultScrollLines;

WindowApi DefaultApi() {
  WindowApi o;
#if defined(_WIN32)
  o.SetWindowLongPtrA = [](WindowHandle hWnd, int32_t nIndex, LongPtr nValue) -> LongPtr {
    return ::SetWindowLongPtrA(reinterpret_cast<HWND>(hWnd), nIndex, nValue);
  };
  o.SystemParametersInfoA = [](uint32_t uAction, uint32_t uParam, void* pvParam,
                               uint32_t fWinIni) -> int32_t {
    return ::SystemParametersInfoA(uAction, uParam, pvParam, fWinIni);
  };
  o.SendMessageA = [](WindowHandle hWnd, uint32_t uMsg, WParam wParam, LParam lParam) -> LongPtr {
    return ::SendMessageA(reinterpret_cast<HWND>(hWnd), uMsg, wParam, lParam);
  };
  o.CallWindowProcA = [](LongPtr lpPrev, WindowHandle hWnd, uint32_t uMsg, WParam wParam,
                         LParam lParam) -> LongPtr {
    return ::CallWindowProcA(reinterpret_cast<WNDPROC>(lpPrev), reinterpret_cast<HWND>(hWnd), uMsg, wParam,
                             lParam);
  };
#else
  o.SetWindowLongPtrA = [](WindowHandle, int32_t, LongPtr) -> LongPtr { return 0; };
  o.SystemParametersInfoA = [](uint32_t, uint32_t, void*, uint32_t) -> int32_t { return 0; };
  o.SendMessageA = [](WindowHandle, uint32_t, WParam, LParam) -> LongPtr { return 0; };
  o.CallWindowProcA = [](LongPtr, WindowHandle, uint32_t, WParam, LParam) -> LongPtr { return 0; };
#endif
  return o;
}

WindowApi& CurrentApi() {
  static WindowApi s_oApi = DefaultApi();
  return s_oApi;
}

}  // namespace

const WindowApi& Api() {
  return CurrentApi();
}

WindowApi SetApi(WindowApi oApi) {
  return std::exchange(CurrentApi(), std::move(oApi));
}

void Hook(WindowHandle hWnd) {
  host::IgnoreErrors([&] {
    m_lpPrevWndProc = Api().SetWindowLongPtrA(hWnd, kGwlpWndProc, reinterpret_cast<LongPtr>(&WindowProc));
  });
  host::IgnoreErrors([&] {
    // The setting is an unsigned count; anything unreadable falls back to the usual three lines.
    unsigned int nLines = 0;
    if (Api().SystemParametersInfoA(kSpiGetWheelScrollLines, 0, &nLines, 0) != 0)
      m_nScrollLines = nLines;
    else
      m_nScrollLines = kDefaultScrollLines;
  });
}

void UnHook(WindowHandle hWnd) {
  host::IgnoreErrors([&] { Api().SetWindowLongPtrA(hWnd, kGwlpWndProc, m_lpPrevWndProc); });
}

LongPtr QUILLO_WNDPROC_CALL WindowProc(WindowHandle hWnd, uint32_t uMsg, WParam wParam, LParam lParam) {
  LongPtr nResult = 0;
  // A window procedure is called by the system: nothing may escape it.
  try {
    if (uMsg != kWmMouseWheel) return Api().CallWindowProcA(m_lpPrevWndProc, hWnd, uMsg, wParam, lParam);
    // The signed high word of the low 32 bits: positive when the wheel turns away from the user.
    auto nDelta = static_cast<int32_t>(static_cast<int16_t>(static_cast<uint16_t>((wParam >> 16) & 0xFFFFu)));
    int64_t nNotches = (nDelta < 0 ? -static_cast<int64_t>(nDelta) : nDelta) / kWheelDelta;
    int64_t nCount = nNotches * m_nScrollLines;
    uint32_t nCode = nDelta < 0 ? kSbLineDown : kSbLineUp;
    if (m_nScrollLines == kWheelPageScroll) {
      // "One screen per notch" is no line count: taken as one it would mean billions of messages.
      nCount = nNotches;
      nCode = nDelta < 0 ? kSbPageDown : kSbPageUp;
    }
    for (int64_t i = 0; i < nCount; ++i) Api().SendMessageA(hWnd, kWmVScroll, nCode, 0);
    Api().SendMessageA(hWnd, kWmVScroll, kSbEndScroll, 0);
  } catch (...) {
  }
  return nResult;
}

LongPtr PreviousWindowProc() {
  return m_lpPrevWndProc;
}

uint32_t ScrollLines() {
  return m_nScrollLines;
}

}  // namespace mMouseWheel
