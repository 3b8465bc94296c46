// The portable message loop: a queue of posted tasks and timers on a virtual clock. Sleep(n)
// moves the clock n milliseconds forward and runs what fell due on the way, so anything that
// waits on the pump is deterministic and instant.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "platform/Ui.h"

namespace platform::portable {

class VirtualLoop : public MessageLoop {
 public:
  void DoEvents() override;
  void Sleep(uint32_t nMilliseconds) override;
  void Post(std::function<void()> fnTask, uint32_t nDelayMs = 0) override;
  TimerId SetTimer(uint32_t nIntervalMs, std::function<void()> fnTick) override;
  void KillTimer(TimerId nId) override;
  uint64_t TickCount() override { return m_nNow; }

  // Runs everything that becomes due within nMilliseconds (like Sleep); for drivers.
  void Advance(uint64_t nMilliseconds);
  // Tasks and timer ticks waiting in the queue.
  size_t PendingCount() const { return m_mapQueue.size(); }

 private:
  struct Task {
    std::function<void()> fnRun;
    TimerId nTimer = 0;  // 0 for a one-shot task
  };
  // Ordered by due time, then by the order of posting.
  using Key = std::pair<uint64_t, uint64_t>;

  // Runs the tasks due at the current time that were queued before the pass began.
  void RunDue();

  uint64_t m_nNow = 0;
  uint64_t m_nSeq = 0;
  TimerId m_nNextTimer = 1;
  std::map<Key, Task> m_mapQueue;
  std::map<TimerId, uint32_t> m_mapTimers;  // live timers and their interval
};

}  // namespace platform::portable
