// The forms backend on Windows: every form is a real top-level window with a fixed dialog
// frame, every control a child window (static, button, edit, the common controls' progress
// bar and tree view, a scrolling grid window of our own), positions converted from twips with the screen's
// dots per inch. A modal show runs a nested message loop until the form is hidden or unloaded, with its owner
// disabled meanwhile.
//
// The driver acts through the windows themselves: BM_CLICK to a button, SC_CLOSE to a form,
// WM_KEYDOWN and WM_CHAR to the focused control, and reads back what the windows show.
#pragma once

#include <memory>

#include "platform/Forms.h"

namespace platform::win32 {

class Win32Forms : public FormsBackend {
 public:
  // Registers the window classes and creates the hidden window that owns forms without an
  // owner of their own (so that they stay out of the task bar). Throws host::Error.
  Win32Forms();
  ~Win32Forms() override;
  Win32Forms(const Win32Forms&) = delete;
  Win32Forms& operator=(const Win32Forms&) = delete;

  std::shared_ptr<FormPeer> CreateForm(Form& oForm) override;
  WindowHandle ForegroundWindow() override;
  FormsDriver& Driver() override;

  WindowProcedure SetWindowProcedure(WindowHandle hWnd, WindowProcedure pfnNew) override;
  WindowProcedure GetWindowProcedure(WindowHandle hWnd) override;
  intptr_t CallWindowProcedure(WindowProcedure pfnPrev, WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam,
                               intptr_t lParam) override;
  intptr_t SendWindowMessage(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam, intptr_t lParam) override;
  int32_t GetWindowLongValue(WindowHandle hWnd, int32_t nIndex) override;
  int32_t SetWindowLongValue(WindowHandle hWnd, int32_t nIndex, int32_t nValue) override;
  bool QuerySystemParameter(uint32_t uiAction, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override;

  int32_t PixelsX(int32_t nTwips) const;
  int32_t PixelsY(int32_t nTwips) const;
  int32_t TwipsX(int32_t nPixels) const;
  int32_t TwipsY(int32_t nPixels) const;
  // The window that owns unowned forms; never shown.
  WindowHandle HiddenOwner() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> m_pImpl;
};

// Installs a new Win32 backend for the process (on the UI thread) and returns it.
std::shared_ptr<Win32Forms> InstallWin32Forms();

}  // namespace platform::win32
