#include "platform/WindowProc.h"

namespace platform {

// Every call goes to the backend whose windows the handle names.

WindowProcedure SetWindowProcedure(WindowHandle hWnd, WindowProcedure pfnNew) {
  return Forms().SetWindowProcedure(hWnd, pfnNew);
}

WindowProcedure GetWindowProcedure(WindowHandle hWnd) {
  return Forms().GetWindowProcedure(hWnd);
}

intptr_t CallWindowProcedure(WindowProcedure pfnPrev, WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam,
                             intptr_t lParam) {
  return Forms().CallWindowProcedure(pfnPrev, hWnd, uMsg, wParam, lParam);
}

intptr_t SendWindowMessage(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam, intptr_t lParam) {
  return Forms().SendWindowMessage(hWnd, uMsg, wParam, lParam);
}

int32_t GetWindowLongValue(WindowHandle hWnd, int32_t nIndex) {
  return Forms().GetWindowLongValue(hWnd, nIndex);
}

int32_t SetWindowLongValue(WindowHandle hWnd, int32_t nIndex, int32_t nValue) {
  return Forms().SetWindowLongValue(hWnd, nIndex, nValue);
}

bool QuerySystemParameter(uint32_t uiAction, uint32_t uiParam, void* pvParam, uint32_t fWinIni) {
  return Forms().QuerySystemParameter(uiAction, uiParam, pvParam, fWinIni);
}

}  // namespace platform
