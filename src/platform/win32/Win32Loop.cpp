#include "platform/win32/Win32Loop.h"

#include <windows.h>

#include <algorithm>
#include <deque>
#include <exception>
#include <map>
#include <set>
#include <utility>

#include "host/Error.h"
#include "platform/win32/Module.h"

namespace platform::win32 {
namespace {

// The private message that runs the posted tasks; at most one is in the queue at a time.
constexpr UINT WM_QUILLO_RUNTASKS = WM_APP + 0x0A51;
constexpr const char* kWindowClass = "QuilloMessageLoop";

[[noreturn]] void RaiseLastError(const char* sWhat) {
  host::Raise(static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError())), sWhat);
}

}  // namespace

struct Win32Loop::Impl {
  struct Task {
    uint64_t nSeq;
    std::function<void()> fnRun;
  };
  struct Timer {
    // Shared, so a tick that kills its own timer keeps running.
    std::shared_ptr<std::function<void()>> pfnRun;
    bool bRepeat;
  };

  HWND m_hWnd = nullptr;
  uint64_t m_nStart = 0;
  std::deque<Task> m_queTasks;
  uint64_t m_nNextSeq = 0;
  bool m_bWakePosted = false;
  UINT_PTR m_nNextTimer = 1;
  std::map<UINT_PTR, Timer> m_mapTimers;
  // The first failure of a task or tick, waiting for DoEvents to hand it on.
  std::exception_ptr m_pError;

  void Wake() {
    if (!m_bWakePosted) m_bWakePosted = PostMessageA(m_hWnd, WM_QUILLO_RUNTASKS, 0, 0) != 0;
  }

  void Fail() {
    if (!m_pError) m_pError = std::current_exception();
  }

  void RethrowFailure() {
    if (m_pError) std::rethrow_exception(std::exchange(m_pError, nullptr));
  }

  // Runs the tasks posted before nSeqLimit, in order; a failure stops the run and leaves the
  // rest queued.
  void RunTasks(uint64_t nSeqLimit) {
    m_bWakePosted = false;
    while (!m_queTasks.empty() && m_queTasks.front().nSeq < nSeqLimit) {
      std::function<void()> fnRun = std::move(m_queTasks.front().fnRun);
      m_queTasks.pop_front();
      // A task that pumps (a nested DoEvents, a modal box) must still reach the ones behind it.
      if (!m_queTasks.empty()) Wake();
      try {
        fnRun();
      } catch (...) {
        Fail();
        return;
      }
    }
  }

  void RunTimer(UINT_PTR nId) {
    auto it = m_mapTimers.find(nId);
    if (it == m_mapTimers.end()) return;  // killed while its WM_TIMER was queued
    auto pfnRun = it->second.pfnRun;
    if (!it->second.bRepeat) {
      ::KillTimer(m_hWnd, nId);
      m_mapTimers.erase(it);
    }
    try {
      (*pfnRun)();
    } catch (...) {
      Fail();
    }
  }

  UINT_PTR StartTimer(uint32_t nMilliseconds, std::function<void()> fnRun, bool bRepeat) {
    UINT_PTR nId = m_nNextTimer++;
    UINT nElapse = static_cast<UINT>(std::min<uint32_t>(nMilliseconds, USER_TIMER_MAXIMUM));
    if (!::SetTimer(m_hWnd, nId, nElapse, nullptr)) RaiseLastError("SetTimer failed");
    m_mapTimers.emplace(nId, Timer{std::make_shared<std::function<void()>>(std::move(fnRun)), bRepeat});
    return nId;
  }

  // Reached when a loop other than our DoEvents (a message box, a modal form) dispatches.
  static LRESULT CALLBACK WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    auto* pImpl = reinterpret_cast<Impl*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (pImpl && nMsg == WM_QUILLO_RUNTASKS) {
      pImpl->RunTasks(pImpl->m_nNextSeq);
      if (!pImpl->m_queTasks.empty()) pImpl->Wake();
      return 0;
    }
    if (pImpl && nMsg == WM_TIMER) {
      pImpl->RunTimer(wParam);
      return 0;
    }
    return DefWindowProcA(hWnd, nMsg, wParam, lParam);
  }
};

Win32Loop::Win32Loop() : m_pImpl(std::make_unique<Impl>()) {
  auto hInstance = reinterpret_cast<HINSTANCE>(ThisModule());
  WNDCLASSEXA oClass{};
  oClass.cbSize = sizeof(oClass);
  oClass.lpfnWndProc = &Impl::WndProc;
  oClass.hInstance = hInstance;
  oClass.lpszClassName = kWindowClass;
  if (!RegisterClassExA(&oClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    RaiseLastError("The message loop's window class could not be registered");
  m_pImpl->m_hWnd =
      CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, hInstance, nullptr);
  if (!m_pImpl->m_hWnd) RaiseLastError("The message loop's window could not be created");
  SetWindowLongPtrA(m_pImpl->m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_pImpl.get()));
  m_pImpl->m_nStart = GetTickCount64();
}

Win32Loop::~Win32Loop() {
  SetWindowLongPtrA(m_pImpl->m_hWnd, GWLP_USERDATA, 0);
  DestroyWindow(m_pImpl->m_hWnd);  // its timers go with it
}

void Win32Loop::DoEvents() {
  Impl& o = *m_pImpl;
  const uint64_t nSeqLimit = o.m_nNextSeq;
  std::set<UINT_PTR> setTicked;
  // Tasks posted during the pass get their message once it is over, whichever way it ends.
  struct WakeAfterPass {
    Impl& o;
    ~WakeAfterPass() {
      if (!o.m_queTasks.empty()) o.Wake();
    }
  } oWakeAfterPass{o};

  o.RethrowFailure();  // left by a modal loop that ran a failing task
  MSG oMsg;
  while (PeekMessageA(&oMsg, nullptr, 0, 0, PM_REMOVE)) {
    if (oMsg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(oMsg.wParam));  // it belongs to the outermost loop
      break;
    }
    const bool bOurs = oMsg.hwnd == o.m_hWnd;
    if (bOurs && oMsg.message == WM_QUILLO_RUNTASKS) {
      o.RunTasks(nSeqLimit);
      o.RethrowFailure();
      continue;
    }
    // A timer that is due again within the pass (its tick outlasts its interval) ends it.
    const bool bSecondTick = bOurs && oMsg.message == WM_TIMER && !setTicked.insert(oMsg.wParam).second;
    TranslateMessage(&oMsg);
    DispatchMessageA(&oMsg);
    o.RethrowFailure();
    if (bSecondTick) break;
  }
}

void Win32Loop::Sleep(uint32_t nMilliseconds) {
  ::Sleep(nMilliseconds);
}

void Win32Loop::Post(std::function<void()> fnTask, uint32_t nDelayMs) {
  if (nDelayMs > 0) {
    m_pImpl->StartTimer(nDelayMs, std::move(fnTask), false);
    return;
  }
  m_pImpl->m_queTasks.push_back({m_pImpl->m_nNextSeq++, std::move(fnTask)});
  m_pImpl->Wake();
}

MessageLoop::TimerId Win32Loop::SetTimer(uint32_t nIntervalMs, std::function<void()> fnTick) {
  return static_cast<TimerId>(m_pImpl->StartTimer(nIntervalMs, std::move(fnTick), true));
}

void Win32Loop::KillTimer(TimerId nId) {
  auto it = m_pImpl->m_mapTimers.find(nId);
  if (it == m_pImpl->m_mapTimers.end()) return;
  ::KillTimer(m_pImpl->m_hWnd, nId);
  m_pImpl->m_mapTimers.erase(it);
}

uint64_t Win32Loop::TickCount() {
  return GetTickCount64() - m_pImpl->m_nStart;
}

}  // namespace platform::win32
