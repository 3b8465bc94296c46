// Visual Basic's Collection: items in insertion order at 1-based positions, each with an
// optional unique key compared without regard to case (for all letters, not only ASCII).
// Look-up by key and by position is O(1); removing is O(n). Errors are the Collection's own: 9 for a position
// out of range, 5 for an unknown key, 457 for a key already present.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
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
  // Keys are kept once, as given, one after the other in one text (a look-up that finds a key
  // reads it from there, not from a heap block of its own), and compared without regard to case.
  // A text keyed by itself keeps no second copy: the item is the key.
  static constexpr uint32_t kNoKey = UINT32_MAX;  // nKeyAt of an entry without a key
  static constexpr uint32_t kItemIsKey = UINT32_MAX - 1;
  // What a look-up compares comes first, the item after it: with a larger item, a look-up that
  // finds its key and then uses the item's first members reads as few lines as it can.
  struct Entry {
    uint32_t nHash = 0;        // of the folded key
    uint32_t nKeyAt = kNoKey;  // offset in m_sKeys, or kNoKey, or kItemIsKey
    uint32_t nKeyLength = 0;
    T item;
    bool HasKey() const { return nKeyAt != kNoKey; }
  };

 public:
  CKeyedCollection() = default;
  CKeyedCollection(const CKeyedCollection&) = default;
  CKeyedCollection& operator=(const CKeyedCollection&) = default;
  CKeyedCollection(CKeyedCollection&& o) noexcept
      : m_vecEntries(std::move(o.m_vecEntries)),
        m_vecSlots(std::move(o.m_vecSlots)),
        m_sKeys(std::move(o.m_sKeys)),
        m_nKeyed(std::exchange(o.m_nKeyed, 0)) {
    o.m_sKeys.clear();
  }
  CKeyedCollection& operator=(CKeyedCollection&& o) noexcept {
    CKeyedCollection oTaken(std::move(o));
    std::swap(m_vecEntries, oTaken.m_vecEntries);
    std::swap(m_vecSlots, oTaken.m_vecSlots);
    std::swap(m_sKeys, oTaken.m_sKeys);
    std::swap(m_nKeyed, oTaken.m_nKeyed);
    return *this;
  }

  int32_t Count() const { return static_cast<int32_t>(m_vecEntries.size()); }

  // Appends the item; with a key, a key already present raises 457 and adds nothing. Returns
  // the item as stored (valid until the collection next changes).
  T& Add(T item, const std::optional<std::string>& sKey = std::nullopt) {
    if (!sKey) {
      PrepareForOneMore();
      m_vecEntries.push_back(Entry{0, kNoKey, 0, std::move(item)});
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
  T* AddIfAbsent(U&& item, std::string_view sKey) {
    const uint32_t nHash = HashOf(sKey);
    if (PosOf(sKey, nHash) != kNoPos) return nullptr;
    // The item is its own key when it is the same text (a text made from a view included).
    bool bKeyIsItem = false;
    if constexpr (std::is_same_v<T, std::string> &&
                  std::is_convertible_v<const std::decay_t<U>&, std::string_view>)
      bKeyIsItem = std::string_view(item) == sKey;
    if (!bKeyIsItem && m_sKeys.size() + sKey.size() >= kItemIsKey) host::Raise(host::err::OutOfMemory);
    // What may fail comes before anything changes, or is undone.
    PrepareForOneMore(true);
    Entry oEntry{nHash, kItemIsKey, 0, T(std::forward<U>(item))};
    if (!bKeyIsItem) {
      oEntry.nKeyAt = static_cast<uint32_t>(m_sKeys.size());
      oEntry.nKeyLength = static_cast<uint32_t>(sKey.size());
    }
    m_vecEntries.push_back(std::move(oEntry));
    if (!bKeyIsItem) {
      try {
        m_sKeys += sKey;
      } catch (...) {
        m_vecEntries.pop_back();
        throw;
      }
    }
    ++m_nKeyed;
    if (!m_vecSlots.empty()) Place(SlotOf(nHash, m_vecEntries.size() - 1));
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
    m_sKeys.clear();
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
  // A small collection (most recipients have one name and a few items) is scanned: its entries
  // carry their keys' hashes, so a scan compares texts only when the hashes agree. A larger one
  // has an index, open addressing over the entries' positions: a slot holds the key's hash
  // (32 bits, which also pick the slot) and the position + 1, 0 for a free slot, 8 bytes each in
  // one block. Stored keys are never hashed again, not even when the index grows.
  static constexpr size_t kScanned = 8;
  static constexpr size_t kFirstSlots = 16;
  static constexpr size_t kNoPos = SIZE_MAX;
  static uint32_t HashOf(std::string_view s) {
    const size_t n = host::HashNoCase(s);
    return static_cast<uint32_t>(n ^ (static_cast<uint64_t>(n) >> 32));
  }
  static uint64_t SlotOf(uint32_t nHash, size_t nPos) { return (uint64_t{nHash} << 32) | (nPos + 1); }
  static uint32_t HashIn(uint64_t nSlot) { return static_cast<uint32_t>(nSlot >> 32); }
  static size_t PosIn(uint64_t nSlot) { return static_cast<size_t>(static_cast<uint32_t>(nSlot)) - 1; }

  bool Matches(const Entry& oEntry, std::string_view sKey, uint32_t nHash) const {
    return oEntry.nHash == nHash && oEntry.HasKey() && host::EqualsNoCase(KeyOf(oEntry), sKey);
  }
  // The position of the entry with the key, or kNoPos.
  size_t PosOf(std::string_view sKey, uint32_t nHash) const {
    if (m_nKeyed == 0) return kNoPos;
    if (m_vecSlots.empty()) {
      for (size_t i = 0; i < m_vecEntries.size(); ++i)
        if (Matches(m_vecEntries[i], sKey, nHash)) return i;
      return kNoPos;
    }
    const uint64_t nSlot = m_vecSlots[Probe(sKey, nHash)];
    return nSlot == 0 ? kNoPos : PosIn(nSlot);
  }
  // The slot holding the key, or the free slot where it belongs.
  size_t Probe(std::string_view sKey, uint32_t nHash) const {
    const size_t nMask = m_vecSlots.size() - 1;
    for (size_t i = nHash & nMask;; i = (i + 1) & nMask) {
      const uint64_t nSlot = m_vecSlots[i];
      if (nSlot == 0) return i;
      if (HashIn(nSlot) == nHash && host::EqualsNoCase(KeyOf(m_vecEntries[PosIn(nSlot)]), sKey)) return i;
    }
  }
  const Entry* FindEntry(std::string_view sKey) const {
    const size_t nPos = PosOf(sKey, HashOf(sKey));
    return nPos == kNoPos ? nullptr : &m_vecEntries[nPos];
  }
  // Before an entry is appended: the index it will need exists, with room for its key (it is
  // made when the collection outgrows a scan, and grows at three quarters full). Fails, if at
  // all, before anything changed; a scan finds every key meanwhile.
  void PrepareForOneMore(bool bKeyed = false) {
    const size_t nKeyed = m_nKeyed + (bKeyed ? 1 : 0);
    if (nKeyed == 0) return;
    if (m_vecSlots.empty()) {
      if (m_vecEntries.size() + 1 > kScanned) Reindex(std::max(kFirstSlots, std::bit_ceil(nKeyed * 2)));
    } else if (nKeyed * 4 > m_vecSlots.size() * 3) {
      Reindex(m_vecSlots.size() * 2);
    }
  }
  void Reindex(size_t nSlots) {
    std::vector<uint64_t> vecSlots(nSlots, 0);
    vecSlots.swap(m_vecSlots);
    for (size_t i = 0; i < m_vecEntries.size(); ++i)
      if (m_vecEntries[i].HasKey()) Place(SlotOf(m_vecEntries[i].nHash, i));
  }
  void Place(uint64_t nSlot) {
    const size_t nMask = m_vecSlots.size() - 1;
    size_t i = HashIn(nSlot) & nMask;
    while (m_vecSlots[i] != 0) i = (i + 1) & nMask;
    m_vecSlots[i] = nSlot;
  }
  // Positions after the removed entry move down by one: the index and the keys' text are built
  // again (a Remove is rare; adding and looking up are what must be fast).
  void RemoveAt(size_t nPos) {
    std::string sKeys;
    sKeys.reserve(m_sKeys.size());  // the one step that may fail, before anything changed
    m_vecEntries.erase(m_vecEntries.begin() + static_cast<std::ptrdiff_t>(nPos));
    m_nKeyed = 0;
    for (Entry& oEntry : m_vecEntries) {
      if (!oEntry.HasKey()) continue;
      ++m_nKeyed;
      if (oEntry.nKeyAt == kItemIsKey) continue;
      const auto nAt = static_cast<uint32_t>(sKeys.size());
      sKeys.append(m_sKeys, oEntry.nKeyAt, oEntry.nKeyLength);
      oEntry.nKeyAt = nAt;
    }
    m_sKeys.swap(sKeys);
    // The index keeps its size (it only gets emptier), or goes when a scan will do.
    if (m_vecEntries.size() <= kScanned) {
      m_vecSlots.clear();
    } else if (!m_vecSlots.empty()) {
      std::fill(m_vecSlots.begin(), m_vecSlots.end(), 0);
      for (size_t i = 0; i < m_vecEntries.size(); ++i)
        if (m_vecEntries[i].HasKey()) Place(SlotOf(m_vecEntries[i].nHash, i));
    }
  }

  std::string_view KeyOf(const Entry& oEntry) const {
    if constexpr (std::is_same_v<T, std::string>) {
      if (oEntry.nKeyAt == kItemIsKey) return oEntry.item;
    }
    return std::string_view(m_sKeys).substr(oEntry.nKeyAt, oEntry.nKeyLength);
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
  std::vector<uint64_t> m_vecSlots;  // empty while a scan will do
  std::string m_sKeys;               // the keys that are not their item, one after the other
  size_t m_nKeyed = 0;
};
