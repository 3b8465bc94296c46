// Visual Basic's Collection: items in insertion order at 1-based positions, each with an
// optional unique key compared without regard to case (for all letters, not only ASCII).
// Look-up by key and by position is O(1); removing is O(n). Errors are the Collection's own: 9 for a position
// out of range, 5 for an unknown key, 457 for a key already present.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/Error.h"
#include "host/Text.h"

template <class T>
class CKeyedCollection {
  // The key is kept once, as given, and compared without regard to case. A text keyed by itself
  // keeps no second copy: the item is the key.
  struct Entry {
    T item;
    std::unique_ptr<const std::string> pKey;  // none without a key, or when the item is the key
    bool bKeyed = false;

    Entry(T itemIn, std::unique_ptr<const std::string> pKeyIn, bool bKeyedIn)
        : item(std::move(itemIn)), pKey(std::move(pKeyIn)), bKeyed(bKeyedIn) {}
    Entry(Entry&&) noexcept = default;
    Entry& operator=(Entry&&) noexcept = default;
    Entry(const Entry& o)
        : item(o.item),
          pKey(o.pKey ? std::make_unique<const std::string>(*o.pKey) : nullptr),
          bKeyed(o.bKeyed) {}
    Entry& operator=(const Entry& o) { return *this = Entry(o); }

    std::string_view Key() const {
      if constexpr (std::is_same_v<T, std::string>) {
        if (!pKey) return item;
      }
      return *pKey;
    }
  };

 public:
  CKeyedCollection() = default;
  CKeyedCollection(const CKeyedCollection&) = default;
  CKeyedCollection& operator=(const CKeyedCollection&) = default;
  CKeyedCollection(CKeyedCollection&& o) noexcept
      : m_vecEntries(std::move(o.m_vecEntries)),
        m_vecSlots(std::move(o.m_vecSlots)),
        m_nKeyed(std::exchange(o.m_nKeyed, 0)) {}
  CKeyedCollection& operator=(CKeyedCollection&& o) noexcept {
    CKeyedCollection oTaken(std::move(o));
    std::swap(m_vecEntries, oTaken.m_vecEntries);
    std::swap(m_vecSlots, oTaken.m_vecSlots);
    std::swap(m_nKeyed, oTaken.m_nKeyed);
    return *this;
  }

  int32_t Count() const { return static_cast<int32_t>(m_vecEntries.size()); }

  // Appends the item; with a key, a key already present raises 457 and adds nothing. Returns
  // the item as stored (valid until the collection next changes).
  T& Add(T item, const std::optional<std::string>& sKey = std::nullopt) {
    if (!sKey) {
      m_vecEntries.emplace_back(std::move(item), nullptr, false);
      return m_vecEntries.back().item;
    }
    T* p = AddIfAbsent(std::move(item), *sKey);
    if (!p) host::Raise(host::err::DuplicateKey);
    return *p;
  }

  // Appends the item under the key unless the key is there already, in any letter case: the key
  // is hashed once and looked up once, and nothing is made (not even the item) when it is
  // present. Returns the item as stored (valid until the collection next changes), or nullptr
  // when nothing was added.
  template <class U>
  T* AddIfAbsent(U&& item, const std::string& sKey) {
    const uint32_t nHash = HashOf(sKey);
    if (m_vecSlots.empty()) m_vecSlots.assign(kFirstSlots, 0);
    size_t nSlot = Probe(sKey, nHash);
    if (m_vecSlots[nSlot] != 0) return nullptr;
    // The item is its own key when it is the very text given as key, or the same text.
    bool bKeyIsItem = false;
    if constexpr (std::is_same_v<std::decay_t<U>, std::string> && std::is_same_v<T, std::string>)
      bKeyIsItem = &item == &sKey || item == sKey;
    m_vecEntries.emplace_back(T(std::forward<U>(item)),
                              bKeyIsItem ? nullptr : std::make_unique<const std::string>(sKey), true);
    m_vecSlots[nSlot] = SlotOf(nHash, m_vecEntries.size() - 1);
    if (++m_nKeyed * 4 > m_vecSlots.size() * 3) Grow();
    return &m_vecEntries.back().item;
  }

  T& Item(int32_t nIndex) { return EntryAt(nIndex).item; }
  const T& Item(int32_t nIndex) const { return EntryAt(nIndex).item; }
  T& Item(const std::string& sKey) { return EntryOf(sKey).item; }
  const T& Item(const std::string& sKey) const { return EntryOf(sKey).item; }
  // The item under a key, in any letter case; nullptr when there is none. Nothing is raised,
  // nothing is copied.
  T* Find(std::string_view sKey) const {
    const Entry* p = FindEntry(sKey);
    return p ? const_cast<T*>(&p->item) : nullptr;
  }

  bool Exists(const std::string& sKey) const { return FindEntry(sKey) != nullptr; }

  void Remove(int32_t nIndex) {
    EntryAt(nIndex);
    RemoveAt(static_cast<size_t>(nIndex - 1));
  }

  void Remove(const std::string& sKey) {
    RemoveAt(static_cast<size_t>(&EntryOf(sKey) - m_vecEntries.data()));
  }

  void Clear() {
    m_vecSlots.clear();
    m_vecEntries.clear();
    m_nKeyed = 0;
  }

  // Iteration in insertion order over the items.
  class Iterator {
   public:
    using Inner = typename std::vector<Entry>::const_iterator;
    explicit Iterator(Inner it) : m_it(it) {}
    T& operator*() const { return const_cast<T&>(m_it->item); }
    Iterator& operator++() {
      ++m_it;
      return *this;
    }
    bool operator!=(const Iterator& o) const { return m_it != o.m_it; }

   private:
    Inner m_it;
  };
  Iterator begin() const { return Iterator(m_vecEntries.begin()); }
  Iterator end() const { return Iterator(m_vecEntries.end()); }

 private:
  // The index is open addressing over the entries' positions: a slot holds the key's folded-text
  // hash (32 bits, which also pick the slot) and the position + 1, 0 for a free slot. Slots are
  // 8 bytes in one block: a look-up touches the block and, when the hashes agree, the one entry.
  // Stored keys are never hashed again, not even when the index grows.
  static constexpr size_t kFirstSlots = 8;
  static uint32_t HashOf(std::string_view s) {
    const size_t n = host::HashNoCase(s);
    return static_cast<uint32_t>(n ^ (static_cast<uint64_t>(n) >> 32));
  }
  static uint64_t SlotOf(uint32_t nHash, size_t nPos) { return (uint64_t{nHash} << 32) | (nPos + 1); }
  static uint32_t HashIn(uint64_t nSlot) { return static_cast<uint32_t>(nSlot >> 32); }
  static size_t PosIn(uint64_t nSlot) { return static_cast<size_t>(static_cast<uint32_t>(nSlot)) - 1; }

  // The slot holding the key, or the free slot where it belongs.
  size_t Probe(std::string_view sKey, uint32_t nHash) const {
    const size_t nMask = m_vecSlots.size() - 1;
    for (size_t i = nHash & nMask;; i = (i + 1) & nMask) {
      const uint64_t nSlot = m_vecSlots[i];
      if (nSlot == 0) return i;
      if (HashIn(nSlot) == nHash && host::EqualsNoCase(m_vecEntries[PosIn(nSlot)].Key(), sKey)) return i;
    }
  }
  const Entry* FindEntry(std::string_view sKey) const {
    if (m_vecSlots.empty()) return nullptr;
    const uint64_t nSlot = m_vecSlots[Probe(sKey, HashOf(sKey))];
    return nSlot == 0 ? nullptr : &m_vecEntries[PosIn(nSlot)];
  }
  void Place(uint64_t nSlot) {
    const size_t nMask = m_vecSlots.size() - 1;
    size_t i = HashIn(nSlot) & nMask;
    while (m_vecSlots[i] != 0) i = (i + 1) & nMask;
    m_vecSlots[i] = nSlot;
  }
  void Grow() {
    std::vector<uint64_t> vecOld(m_vecSlots.size() * 2, 0);
    vecOld.swap(m_vecSlots);
    for (uint64_t nSlot : vecOld)
      if (nSlot != 0) Place(nSlot);
  }
  // Positions after the removed entry move down by one: the index is built again (a Remove is
  // rare; adding and looking up are what must be fast).
  void RemoveAt(size_t nPos) {
    m_vecEntries.erase(m_vecEntries.begin() + static_cast<std::ptrdiff_t>(nPos));
    std::fill(m_vecSlots.begin(), m_vecSlots.end(), 0);
    m_nKeyed = 0;
    for (size_t i = 0; i < m_vecEntries.size(); ++i) {
      if (!m_vecEntries[i].bKeyed) continue;
      Place(SlotOf(HashOf(m_vecEntries[i].Key()), i));
      ++m_nKeyed;
    }
  }

  Entry& EntryAt(int32_t nIndex) const {
    if (nIndex < 1 || nIndex > Count()) host::Raise(host::err::SubscriptOutOfRange);
    return const_cast<Entry&>(m_vecEntries[static_cast<size_t>(nIndex - 1)]);
  }
  Entry& EntryOf(const std::string& sKey) const {
    const Entry* p = FindEntry(sKey);
    if (!p) host::Raise(host::err::InvalidProcedureCall);
    return const_cast<Entry&>(*p);
  }

  std::vector<Entry> m_vecEntries;
  std::vector<uint64_t> m_vecSlots;  // empty until the first key
  size_t m_nKeyed = 0;
};
