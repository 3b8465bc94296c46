// The UI thread's message pump on Windows. Posted tasks ride one private message to a hidden
// message-only window of the thread, so they also run from modal loops (message boxes, modal
// forms); delayed tasks and timers are real WM_TIMERs of that window; Sleep is ::Sleep.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Ui.h"

namespace platform::win32 {

class Win32Loop : public MessageLoop {
 public:
  // Creates the hidden window on the calling thread, which must be the UI thread. Throws
  // host::Error when Windows refuses the window.
  Win32Loop();
  ~Win32Loop() override;
  Win32Loop(const Win32Loop&) = delete;
  Win32Loop& operator=(const Win32Loop&) = delete;

  // Runs the messages waiting now. Work queued while it runs (a task posting a task, a timer
  // that is due again) waits for the next pass, so a pass always ends. An exception thrown by
  // a task or tick comes out here, as from the portable loop; when a modal loop ran it, it
  // comes out of the next pass.
  void DoEvents() override;
  void Sleep(uint32_t nMilliseconds) override;
  void Post(std::function<void()> fnTask, uint32_t nDelayMs = 0) override;
  TimerId SetTimer(uint32_t nIntervalMs, std::function<void()> fnTick) override;
  void KillTimer(TimerId nId) override;
  uint64_t TickCount() override;

  struct Impl;

 private:
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace platform::win32
