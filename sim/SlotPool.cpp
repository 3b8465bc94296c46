#include "sim/SlotPool.h"

#include <algorithm>

namespace sim {

void* SlotPool::Take() {
  std::lock_guard<std::mutex> oGuard(m_oLock);
  if (m_pFree) {
    FreeSlot* p = m_pFree;
    m_pFree = p->pNext;
    return p;
  }
  if (m_pNext == m_pEnd) {
    const size_t nSlots = m_nNextBlockSlots;
    // new[] aligns the block as plain new does; a slot's size is a multiple of that.
    m_vecBlocks.push_back(std::make_unique_for_overwrite<std::byte[]>(nSlots * kSlotSize));
    m_pNext = m_vecBlocks.back().get();
    m_pEnd = m_pNext + nSlots * kSlotSize;
    m_nNextBlockSlots = std::min<size_t>(nSlots * 2, 4096);
  }
  void* p = m_pNext;
  m_pNext += kSlotSize;
  return p;
}

void SlotPool::Give(void* p) noexcept {
  std::lock_guard<std::mutex> oGuard(m_oLock);
  m_pFree = ::new (p) FreeSlot{m_pFree};
}

}  // namespace sim
