#include "chooser/mMouseWheel.h"

#include <utility>

#include "host/Error.h"

#include "platform/WindowProc.h"

namespace mMouseWheel {
namespace {

LongPtr m_lpPrevWndProc = 0;
uint32_t m_nScrollLines = kDefaultScrollLines;

// The toolkit's window-procedure chain: user32 itself on Windows, the same chain over the
// portable controls elsewhere.
WindowApi DefaultApi() {
  WindowApi o;
  o.SetWindowLongPtrA = [](WindowHandle hWnd, int32_t, LongPtr nValue) -> LongPtr {
    return reinterpret_cast<LongPtr>(
        platform::SetWindowProcedure(hWnd, reinterpret_cast<platform::WindowProcedure>(nValue)));
  };
  o.SystemParametersInfoA = [](uint32_t uAction, uint32_t uParam, void* pvParam,
                               uint32_t fWinIni) -> int32_t {
    return platform::QuerySystemParameter(uAction, uParam, pvParam, fWinIni) ? 1 : 0;
  };
  o.SendMessageA = [](WindowHandle hWnd, uint32_t uMsg, WParam wParam, LParam lParam) -> LongPtr {
    return platform::SendWindowMessage(hWnd, uMsg, wParam, lParam);
  };
  o.CallWindowProcA = [](LongPtr lpPrev, WindowHandle hWnd, uint32_t uMsg, WParam wParam,
                         LParam lParam) -> LongPtr {
    return platform::CallWindowProcedure(reinterpret_cast<platform::WindowProcedure>(lpPrev), hWnd, uMsg,
                                         wParam, lParam);
  };
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
