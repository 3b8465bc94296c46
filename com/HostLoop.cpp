#include "com/HostLoop.h"

#include <windows.h>

#include <map>
#include <memory>

#include "com/Error.h"
#include "host/Error.h"
#include "platform/Ui.h"
#include "platform/win32/Win32Loop.h"

namespace com {
namespace {

struct ProgramLoop {
  QuilloHostLoop_DoEventsFn fnDoEvents = nullptr;
  QuilloHostLoop_SleepFn fnSleep = nullptr;
  QuilloHostLoop_TickCountFn fnTickCount = nullptr;
  QuilloHostLoop_PostFn fnPost = nullptr;
  QuilloHostLoop_SetTimerFn fnSetTimer = nullptr;
  QuilloHostLoop_KillTimerFn fnKillTimer = nullptr;
  bool Complete() const {
    return fnDoEvents && fnSleep && fnTickCount && fnPost && fnSetTimer && fnKillTimer;
  }
};

void CheckCode(int32_t n) {
  if (n != 0) throw host::Error(n, "the program's message loop failed");
}

// Runs a task of this module for the program's loop, trapping everything.
int32_t RunTask(std::function<void()>& fn) noexcept {
  try {
    fn();
    return 0;
  } catch (...) {
    return host::CurrentError().nNumber ? host::CurrentError().nNumber : static_cast<int32_t>(E_FAIL);
  }
}

int32_t RunOnce(void* pContext) {
  std::unique_ptr<std::function<void()>> p(static_cast<std::function<void()>*>(pContext));
  return RunTask(*p);
}

int32_t RunTick(void* pContext) {
  // The timer's function is owned by the loop below; copy so a tick that kills its timer runs on.
  std::function<void()> fn = *static_cast<std::function<void()>*>(pContext);
  return RunTask(fn);
}

class CProgramLoop : public platform::MessageLoop {
 public:
  explicit CProgramLoop(ProgramLoop o) : m_o(o) {}
  ~CProgramLoop() override {
    for (auto& [nId, p] : m_mapTimers) m_o.fnKillTimer(nId);
  }
  void DoEvents() override { CheckCode(m_o.fnDoEvents()); }
  void Sleep(uint32_t n) override { CheckCode(m_o.fnSleep(n)); }
  void Post(std::function<void()> fnTask, uint32_t nDelayMs) override {
    auto p = std::make_unique<std::function<void()>>(std::move(fnTask));
    CheckCode(m_o.fnPost(&RunOnce, p.get(), nDelayMs));
    p.release();  // the program's loop runs it once, which frees it
  }
  TimerId SetTimer(uint32_t nIntervalMs, std::function<void()> fnTick) override {
    auto p = std::make_unique<std::function<void()>>(std::move(fnTick));
    uint32_t nId = m_o.fnSetTimer(nIntervalMs, &RunTick, p.get());
    if (nId == 0) host::Raise(static_cast<int32_t>(E_FAIL), "the program's loop refused a timer");
    m_mapTimers[nId] = std::move(p);
    return nId;
  }
  void KillTimer(TimerId nId) override {
    m_o.fnKillTimer(nId);
    m_mapTimers.erase(nId);
  }
  uint64_t TickCount() override { return m_o.fnTickCount(); }

 private:
  ProgramLoop m_o;
  std::map<uint32_t, std::unique_ptr<std::function<void()>>> m_mapTimers;
};

template <class F>
void Find(HMODULE h, const char* sName, F& fn) {
  fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h, sName)));
}

}  // namespace

void InstallModuleLoop() {
  static thread_local bool t_bInstalled = false;
  if (t_bInstalled) return;
  HMODULE hProgram = GetModuleHandleW(nullptr);
  ProgramLoop o;
  Find(hProgram, "QuilloHostLoop_DoEvents", o.fnDoEvents);
  Find(hProgram, "QuilloHostLoop_Sleep", o.fnSleep);
  Find(hProgram, "QuilloHostLoop_TickCount", o.fnTickCount);
  Find(hProgram, "QuilloHostLoop_Post", o.fnPost);
  Find(hProgram, "QuilloHostLoop_SetTimer", o.fnSetTimer);
  Find(hProgram, "QuilloHostLoop_KillTimer", o.fnKillTimer);
  if (o.Complete())
    platform::SetLoop(std::make_shared<CProgramLoop>(o));
  else
    platform::SetLoop(std::make_shared<platform::win32::Win32Loop>());
  t_bInstalled = true;
}

}  // namespace com
