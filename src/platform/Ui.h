// The UI thread's services as the add-in uses them: the message pump (DoEvents), Sleep, timers
// and message boxes. The backend is chosen once by the program (portable with a virtual clock
// for the simulation and tests, Win32 on Windows).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class MessageLoop {
 public:
  using TimerId = uint32_t;
  virtual ~MessageLoop() = default;
  // One pass over the pending messages of the thread.
  virtual void DoEvents() = 0;
  virtual void Sleep(uint32_t nMilliseconds) = 0;
  // Runs fnTask later on the UI thread, from a pass of the pump that happens at least
  // nDelayMs from now.
  virtual void Post(std::function<void()> fnTask, uint32_t nDelayMs = 0) = 0;
  // A repeating timer; fnTick runs from the pump every nIntervalMs until KillTimer.
  virtual TimerId SetTimer(uint32_t nIntervalMs, std::function<void()> fnTick) = 0;
  virtual void KillTimer(TimerId nId) = 0;
  // Milliseconds since the loop started.
  virtual uint64_t TickCount() = 0;
};

MessageLoop& Loop();
// Installs the loop of the process; returns the previous one.
std::shared_ptr<MessageLoop> SetLoop(std::shared_ptr<MessageLoop> pLoop);

inline void DoEvents() {
  Loop().DoEvents();
}
inline void Sleep(uint32_t nMilliseconds) {
  Loop().Sleep(nMilliseconds);
}

// VbMsgBoxStyle and VbMsgBoxResult.
enum MsgBoxStyle : int32_t {
  vbOKOnly = 0,
  vbOKCancel = 1,
  vbAbortRetryIgnore = 2,
  vbYesNoCancel = 3,
  vbYesNo = 4,
  vbRetryCancel = 5,
  vbCritical = 16,
  vbQuestion = 32,
  vbExclamation = 48,
  vbInformation = 64,
};
enum MsgBoxResult : int32_t {
  vbOK = 1,
  vbCancel = 2,
  vbAbort = 3,
  vbRetry = 4,
  vbIgnore = 5,
  vbYes = 6,
  vbNo = 7,
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a modal box and returns the button pressed.
  virtual int32_t Show(const std::string& sPrompt, int32_t nButtons, const std::string& sTitle) = 0;
};

MessageBoxes& Boxes();
std::shared_ptr<MessageBoxes> SetBoxes(std::shared_ptr<MessageBoxes> pBoxes);

inline int32_t MsgBox(const std::string& sPrompt, int32_t nButtons, const std::string& sTitle) {
  return Boxes().Show(sPrompt, nButtons, sTitle);
}

}  // namespace platform
