// The forms backend of the portable build: forms and controls keep their state alone, with
// made-up window handles, and the driver plays the user straight against the toolkit's own
// handling of clicks, keys and the close box. For the simulation and native tests.
#pragma once

#include <cstdint>
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

  // A modal form with nothing left to do lets the virtual clock run this long (for its timers
  // and for work the pump delivers later) before it is closed by its close box.
  static constexpr uint32_t kModalPatienceMs = 60000;

 private:
  WindowHandle m_hForeground = 0;
  WindowHandle m_hNext = 0x10000;
  std::unique_ptr<FormsDriver> m_pDriver;
};

// Installs a new portable backend for the process and returns it.
std::shared_ptr<PortableForms> InstallPortableForms();

}  // namespace platform::portable
