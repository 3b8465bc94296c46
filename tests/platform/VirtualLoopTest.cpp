#include "platform/portable/VirtualLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::portable::VirtualLoop;

TEST(VirtualLoop, RunsTasksByDueTimeThenPostingOrder) {
  VirtualLoop oLoop;
  std::vector<std::string> vecRun;
  oLoop.Post([&] { vecRun.push_back("late"); }, 20);
  oLoop.Post([&] { vecRun.push_back("a"); });
  oLoop.Post([&] { vecRun.push_back("soon1"); }, 10);
  oLoop.Post([&] { vecRun.push_back("b"); });
  oLoop.Post([&] { vecRun.push_back("soon2"); }, 10);

  oLoop.DoEvents();
  EXPECT_EQ(vecRun, (std::vector<std::string>{"a", "b"}));
  oLoop.Sleep(15);
  EXPECT_EQ(vecRun, (std::vector<std::string>{"a", "b", "soon1", "soon2"}));
  EXPECT_EQ(oLoop.TickCount(), 15u);
  oLoop.Sleep(5);
  EXPECT_EQ(vecRun.back(), "late");
  EXPECT_EQ(oLoop.PendingCount(), 0u);
}

TEST(VirtualLoop, TaskPostedByATaskWaitsForTheNextPass) {
  VirtualLoop oLoop;
  int nRuns = 0;
  // A poller that re-posts itself must not keep one pass going forever.
  std::function<void()> fnPoll = [&] {
    ++nRuns;
    oLoop.Post(fnPoll);
  };
  oLoop.Post(fnPoll);
  oLoop.DoEvents();
  EXPECT_EQ(nRuns, 1);
  oLoop.DoEvents();
  EXPECT_EQ(nRuns, 2);
}

TEST(VirtualLoop, TimersRearmUntilKilled) {
  VirtualLoop oLoop;
  std::vector<uint64_t> vecTicks;
  auto nId = oLoop.SetTimer(100, [&] { vecTicks.push_back(oLoop.TickCount()); });
  oLoop.Sleep(350);
  EXPECT_EQ(vecTicks, (std::vector<uint64_t>{100, 200, 300}));
  oLoop.KillTimer(nId);
  oLoop.Sleep(1000);
  EXPECT_EQ(vecTicks.size(), 3u);
  EXPECT_EQ(oLoop.PendingCount(), 0u);
  oLoop.KillTimer(nId);  // twice, or an id never given, is harmless
  oLoop.KillTimer(12345);
}

TEST(VirtualLoop, KillTimerFromInsideATick) {
  VirtualLoop oLoop;
  int nOwn = 0, nOther = 0;
  platform::MessageLoop::TimerId nOwnId = 0, nOtherId = 0;
  nOwnId = oLoop.SetTimer(10, [&] {
    if (++nOwn == 2) {
      oLoop.KillTimer(nOwnId);
      oLoop.KillTimer(nOtherId);  // due at the same moment, after this one
    }
  });
  nOtherId = oLoop.SetTimer(10, [&] { ++nOther; });
  oLoop.Sleep(100);
  EXPECT_EQ(nOwn, 2);
  EXPECT_EQ(nOther, 1);
}

TEST(VirtualLoop, SleepInsideATaskNeverTurnsTheClockBack) {
  VirtualLoop oLoop;
  std::vector<uint64_t> vecTicks;
  oLoop.SetTimer(50, [&] { vecTicks.push_back(oLoop.TickCount()); });
  oLoop.Post([&] { oLoop.Sleep(100); }, 5);  // a wait on the pump inside a wait on the pump
  oLoop.Sleep(10);
  EXPECT_EQ(oLoop.TickCount(), 105u);
  oLoop.Sleep(100);
  EXPECT_EQ(oLoop.TickCount(), 205u);
  EXPECT_EQ(vecTicks, (std::vector<uint64_t>{50, 100, 150, 200}));
}
