#include "sim/SlotPool.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

namespace {

TEST(SimSlotPool, SlotsAreDistinctAcrossBlocksAndTheLastFreedComesBackFirst) {
  sim::SlotPool oPool;
  std::vector<void*> vecTaken;
  std::set<void*> setSeen;
  for (int i = 0; i < 1000; ++i) {  // more than the first blocks hold
    void* p = oPool.Take();
    EXPECT_TRUE(setSeen.insert(p).second);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % sim::SlotPool::kSlotAlign, 0u);
    vecTaken.push_back(p);
  }
  oPool.Give(vecTaken[10]);
  oPool.Give(vecTaken[20]);
  EXPECT_EQ(oPool.Take(), vecTaken[20]);
  EXPECT_EQ(oPool.Take(), vecTaken[10]);
  for (void* p : vecTaken) oPool.Give(p);
}

TEST(SimSlotPool, SharedObjectsKeepThePoolUntilTheirRoomIsBack) {
  struct Small {
    int n = 7;
  };
  struct Large {
    std::array<char, sim::SlotPool::kSlotSize * 2> a{};
  };
  auto pPool = std::make_shared<sim::SlotPool>();
  auto pSmall = std::allocate_shared<Small>(sim::SlotAllocator<Small>(pPool), Small{});
  // Too large for a slot: from the heap, through the same allocator.
  auto pLarge = std::allocate_shared<Large>(sim::SlotAllocator<Large>(pPool), Large{});
  pPool.reset();
  EXPECT_EQ(pSmall->n, 7);
  EXPECT_EQ(pLarge->a.size(), sim::SlotPool::kSlotSize * 2);
  pSmall.reset();  // the last user of the pool: it goes once the slot is back
  pLarge.reset();
}

}  // namespace
