#include "platform/portable/VirtualLoop.h"

#include <algorithm>

namespace platform::portable {

void VirtualLoop::Post(std::function<void()> fnTask, uint32_t nDelayMs) {
  m_mapQueue.emplace(Key{m_nNow + nDelayMs, m_nSeq++}, Task{std::move(fnTask), 0});
}

MessageLoop::TimerId VirtualLoop::SetTimer(uint32_t nIntervalMs, std::function<void()> fnTick) {
  TimerId nId = m_nNextTimer++;
  uint32_t nInterval = std::max<uint32_t>(nIntervalMs, 1);
  m_mapTimers[nId] = nInterval;
  m_mapQueue.emplace(Key{m_nNow + nInterval, m_nSeq++}, Task{std::move(fnTick), nId});
  return nId;
}

void VirtualLoop::KillTimer(TimerId nId) {
  m_mapTimers.erase(nId);
  for (auto it = m_mapQueue.begin(); it != m_mapQueue.end();) {
    if (it->second.nTimer == nId)
      it = m_mapQueue.erase(it);
    else
      ++it;
  }
}

void VirtualLoop::RunDue() {
  // Only what was queued before this pass runs in it: a task that posts another task for
  // "now" does not keep the pass going forever.
  const uint64_t nSeqLimit = m_nSeq;
  for (;;) {
    auto it = std::find_if(m_mapQueue.begin(), m_mapQueue.end(), [&](const auto& kv) {
      return kv.first.first <= m_nNow && kv.first.second < nSeqLimit;
    });
    if (it == m_mapQueue.end() || it->first.first > m_nNow) return;
    Task oTask = std::move(it->second);
    m_mapQueue.erase(it);
    if (oTask.nTimer != 0) {
      auto itTimer = m_mapTimers.find(oTask.nTimer);
      if (itTimer == m_mapTimers.end()) continue;
      // Re-arm before the tick, so the tick may kill its own timer.
      m_mapQueue.emplace(Key{m_nNow + itTimer->second, m_nSeq++}, Task{oTask.fnRun, oTask.nTimer});
    }
    oTask.fnRun();
  }
}

void VirtualLoop::DoEvents() {
  RunDue();
}

void VirtualLoop::Advance(uint64_t nMilliseconds) {
  const uint64_t nEnd = m_nNow + nMilliseconds;
  RunDue();
  while (!m_mapQueue.empty()) {
    uint64_t nNext = m_mapQueue.begin()->first.first;
    if (nNext > nEnd) break;
    m_nNow = std::max(m_nNow, nNext);
    RunDue();
  }
  // A task may have slept past nEnd on a nested pump; the clock never goes back.
  m_nNow = std::max(m_nNow, nEnd);
}

void VirtualLoop::Sleep(uint32_t nMilliseconds) {
  Advance(nMilliseconds);
}

}  // namespace platform::portable
