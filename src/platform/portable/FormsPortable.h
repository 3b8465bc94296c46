// The forms backend of the portable build: forms and controls keep their state alone, with
// made-up window handles, and the driver plays the user straight against the toolkit's own
// handling of clicks, keys and the close box. For the simulation and native tests.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/Forms.h"

namespace platform::portable {

class PortableForms : public FormsBackend {
 public:
  PortableForms();
  ~PortableForms() override;

  std::shared_ptr<FormPeer> CreateForm(Form& oForm) override;
  WindowHandle ForegroundWindow() override { return m_hForeground; }
  FormsDriver& Driver() override;

  // The window that GetForegroundWindow would give (the host's window in the simulation).
  void SetForegroundWindow(WindowHandle h) { m_hForeground = h; }
  // A new made-up window handle, never 0 and never reused.
  WindowHandle NewHandle() { return m_hNext += 4; }

  WindowProcedure SetWindowProcedure(WindowHandle hWnd, WindowProcedure pfnNew) override;
  WindowProcedure GetWindowProcedure(WindowHandle hWnd) override;
  intptr_t CallWindowProcedure(WindowProcedure pfnPrev, WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam,
                               intptr_t lParam) override;
  intptr_t SendWindowMessage(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam, intptr_t lParam) override;
  int32_t GetWindowLongValue(WindowHandle hWnd, int32_t nIndex) override;
  int32_t SetWindowLongValue(WindowHandle hWnd, int32_t nIndex, int32_t nValue) override;
  bool QuerySystemParameter(uint32_t uiAction, uint32_t uiParam, void* pvParam, uint32_t fWinIni) override;

  // The user's wheel setting (lines per notch) that SPI_GETWHEELSCROLLLINES reads, and whether
  // reading it fails.
  void SetWheelScrollLines(uint32_t nLines) { m_nWheelLines = nLines; }
  void SetSystemParametersFail(bool bFail) { m_bSpiFails = bFail; }

  // The controls' windows, for their peers: each gets the toolkit's own procedure.
  void RegisterWindow(WindowHandle hWnd, Control& oControl);
  void UnregisterWindow(WindowHandle hWnd);
  // Pixels of the mouse messages: 96 dots to the inch.
  static constexpr int32_t kTwipsPerPixel = 15;
  // Where the user dragged the grid's thumb to (what GetScrollInfo's track position tells on
  // Windows, where a message has room for 16 bits of it only).
  int32_t ThumbRow() const { return m_nThumbRow; }
  void SetThumbRow(int32_t nRow) { m_nThumbRow = nRow; }

  // A modal form with nothing left to do lets the virtual clock run this long (for its timers
  // and for work the pump delivers later) before it is closed by its close box.
  static constexpr uint32_t kModalPatienceMs = 60000;

 private:
  struct Window {
    Control* pControl;
    WindowProcedure pfnProc;
    int32_t nStyle;
    int32_t nExStyle;
  };
  static intptr_t QUILLO_WINAPI ControlProc(WindowHandle hWnd, uint32_t uMsg, uintptr_t wParam,
                                            intptr_t lParam);
  Window* FindWindow(WindowHandle hWnd);

  std::map<WindowHandle, Window> m_mapWindows;
  uint32_t m_nWheelLines = 3;
  bool m_bSpiFails = false;
  int32_t m_nThumbRow = 0;
  WindowHandle m_hForeground = 0;
  WindowHandle m_hNext = 0x10000;
  std::unique_ptr<FormsDriver> m_pDriver;
};

// Installs a new portable backend for the process and returns it.
std::shared_ptr<PortableForms> InstallPortableForms();

}  // namespace platform::portable
