#include "platform/win32/Win32Boxes.h"

#include <windows.h>

#include "host/Error.h"
#include "host/Text.h"

namespace platform::win32 {
namespace {

// The foreground window when it is one of ours (the host's main window), else the thread's
// active window: a window of another process must not own the box, since it would be disabled
// while the box is up and would take the box down if it closed first.
HWND BoxOwner() {
  HWND hForeground = GetForegroundWindow();
  DWORD nProcess = 0;
  if (hForeground && GetWindowThreadProcessId(hForeground, &nProcess) && nProcess == GetCurrentProcessId())
    return hForeground;
  return GetActiveWindow();
}

}  // namespace

int32_t Win32Boxes::Show(const std::string& sPrompt, int32_t nButtons, const std::string& sTitle) {
  const std::string sAnsiPrompt = host::Utf8ToAnsi(sPrompt);
  const std::string sAnsiTitle = host::Utf8ToAnsi(sTitle);
  SetLastError(ERROR_SUCCESS);
  int nAnswer = MessageBoxA(BoxOwner(), sAnsiPrompt.c_str(), sAnsiTitle.c_str(), static_cast<UINT>(nButtons));
  // 0 is Windows' failure; Wine answers -1 when it has no display to show the box on.
  if (nAnswer <= 0) {
    DWORD nError = GetLastError();
    host::Raise(nError != ERROR_SUCCESS ? static_cast<int32_t>(HRESULT_FROM_WIN32(nError))
                                        : static_cast<int32_t>(E_FAIL),
                "The message box \"" + sTitle + "\" could not be shown");
  }
  return nAnswer;
}

}  // namespace platform::win32
