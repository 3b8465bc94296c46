// Room for many small objects of about one size, in slots carved from large blocks and reused
// last-freed first. The simulated item objects of a session come from one: a folder command
// makes an object for every item of the folder before it reads any, and lets each go once read.
// On the heap those blocks would lie among everything else the command makes, and each one let
// go would be merged with its neighbours; here they lie one after another, apart from the rest,
// and a freed slot costs one pointer.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace sim {

class SlotPool {
 public:
  // An item object with its counts (and this pool's allocator) fits: 144 bytes for a mail in a
  // 64-bit build.
  static constexpr size_t kSlotSize = 144;
  static constexpr size_t kSlotAlign = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
  static_assert(kSlotSize % kSlotAlign == 0);

  SlotPool() = default;
  SlotPool(const SlotPool&) = delete;
  SlotPool& operator=(const SlotPool&) = delete;

  void* Take();  // throws std::bad_alloc like operator new
  void Give(void* p) noexcept;

 private:
  struct FreeSlot {
    FreeSlot* pNext;
  };
  std::mutex m_oLock;
  FreeSlot* m_pFree = nullptr;
  std::vector<std::unique_ptr<std::byte[]>> m_vecBlocks;
  std::byte* m_pNext = nullptr;  // the unused rest of the last block
  std::byte* m_pEnd = nullptr;
  size_t m_nNextBlockSlots = 64;  // small sessions take little; a large folder soon gets large blocks
};

// An allocator over a pool, for std::allocate_shared: a single object that fits a slot gets
// one, anything else comes from the heap. The control block keeps the pool alive until the
// object's own room has been given back.
template <class T>
class SlotAllocator {
 public:
  using value_type = T;

  explicit SlotAllocator(std::shared_ptr<SlotPool> pPool) : m_pPool(std::move(pPool)) {}
  template <class U>
  SlotAllocator(const SlotAllocator<U>& o) : m_pPool(o.Pool()) {}

  T* allocate(size_t n) {
    if (Fits(n)) return static_cast<T*>(m_pPool->Take());
    return std::allocator<T>().allocate(n);
  }
  void deallocate(T* p, size_t n) noexcept {
    if (Fits(n))
      m_pPool->Give(p);
    else
      std::allocator<T>().deallocate(p, n);
  }

  const std::shared_ptr<SlotPool>& Pool() const { return m_pPool; }
  template <class U>
  bool operator==(const SlotAllocator<U>& o) const {
    return m_pPool == o.Pool();
  }

 private:
  static constexpr bool Fits(size_t n) {
    return n == 1 && sizeof(T) <= SlotPool::kSlotSize && alignof(T) <= SlotPool::kSlotAlign;
  }
  std::shared_ptr<SlotPool> m_pPool;
};

}  // namespace sim
