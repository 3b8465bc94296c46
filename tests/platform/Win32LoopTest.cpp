#include "platform/win32/Win32Loop.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "host/Error.h"

using platform::win32::Win32Loop;

namespace {

// Pumps until fnDone holds, blocking on the queue in between (no polling); false once
// nTimeoutMs pass without it, which only a broken loop lets happen.
template <class F>
bool PumpUntil(Win32Loop& oLoop, F&& fnDone, DWORD nTimeoutMs = 10000) {
  const ULONGLONG nEnd = GetTickCount64() + nTimeoutMs;
  for (;;) {
    oLoop.DoEvents();
    if (fnDone()) return true;
    ULONGLONG nNow = GetTickCount64();
    if (nNow >= nEnd) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(nEnd - nNow), QS_ALLINPUT);
  }
}

}  // namespace

TEST(Win32Loop, PostedTasksRunInOrderOnePassAtATime) {
  Win32Loop oLoop;
  std::vector<std::string> vecRun;
  int nPolls = 0;
  std::function<void()> fnPoll = [&] {
    ++nPolls;
    oLoop.Post(fnPoll);  // re-posting itself must not keep a pass going
  };
  oLoop.Post([&] { vecRun.push_back("a"); });
  oLoop.Post([&] {
    vecRun.push_back("b");
    oLoop.Post([&] { vecRun.push_back("posted by b"); });
  });
  oLoop.Post([&] { vecRun.push_back("c"); });
  oLoop.Post(fnPoll);

  oLoop.DoEvents();
  EXPECT_EQ(vecRun, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(nPolls, 1);
  oLoop.DoEvents();
  EXPECT_EQ(vecRun.back(), "posted by b");
  EXPECT_EQ(nPolls, 2);
}

TEST(Win32Loop, TaskThatPumpsReachesTheTasksBehindIt) {
  Win32Loop oLoop;
  std::vector<std::string> vecRun;
  bool bDone = false;
  oLoop.Post([&] {
    // One nested pass runs the work queued behind, as the portable loop's does.
    oLoop.DoEvents();
    vecRun.push_back(bDone ? "waited" : "not reached");
  });
  oLoop.Post([&] {
    vecRun.push_back("behind");
    bDone = true;
  });
  oLoop.DoEvents();
  EXPECT_EQ(vecRun, (std::vector<std::string>{"behind", "waited"}));
}

TEST(Win32Loop, DelayedTasksAndTimersFireFromThePump) {
  Win32Loop oLoop;
  bool bDelayed = false;
  int nTicks = 0;
  platform::MessageLoop::TimerId nId = 0;
  nId = oLoop.SetTimer(10, [&] {
    if (++nTicks == 3) oLoop.KillTimer(nId);  // from inside its own tick
  });
  oLoop.Post([&] { bDelayed = true; }, 20);
  EXPECT_FALSE(bDelayed);  // nothing runs outside the pump

  ASSERT_TRUE(PumpUntil(oLoop, [&] { return bDelayed && nTicks >= 3; }));
  EXPECT_GE(oLoop.TickCount(), 20u);
  // Long after the kill the timer is still quiet.
  bool bLater = false;
  oLoop.Post([&] { bLater = true; }, 60);
  ASSERT_TRUE(PumpUntil(oLoop, [&] { return bLater; }));
  EXPECT_EQ(nTicks, 3);
  oLoop.KillTimer(nId);  // again: harmless
}

TEST(Win32Loop, TaskFailureComesOutOfDoEventsAndTheRestStillRuns) {
  Win32Loop oLoop;
  bool bAfter = false;
  oLoop.Post([] { host::Raise(host::err::InvalidProcedureCall); });
  oLoop.Post([&] { bAfter = true; });
  try {
    oLoop.DoEvents();
    ADD_FAILURE() << "the task's error was swallowed";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::InvalidProcedureCall);
  }
  EXPECT_FALSE(bAfter);
  oLoop.DoEvents();
  EXPECT_TRUE(bAfter);
}

TEST(Win32Loop, TasksRunFromAForeignMessageLoop) {
  Win32Loop oLoop;
  bool bRan = false;
  oLoop.Post([&] { bRan = true; });
  // A modal loop (a message box, a form) dispatches without our DoEvents.
  MSG oMsg;
  while (!bRan && PeekMessageA(&oMsg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&oMsg);
  EXPECT_TRUE(bRan);
}
