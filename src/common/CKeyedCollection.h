// Visual Basic's Collection: items in insertion order at 1-based positions, each with an
// optional unique key compared without regard to case (for all letters, not only ASCII).
// Look-up by key and by position is O(1); removing is O(n). Errors are the Collection's own: 9 for a position
// out of range, 5 for an unknown key, 457 for a key already present.
#pragma once

#include <algorithm>
#include <array>
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
  struct Entry {
    T item;
    uint32_t nKeyAt = kNoKey;  // offset in m_sKeys, or kNoKey, or kItemIsKey
    uint32_t nKeyLength = 0;
    bool HasKey() const { return nKeyAt != kNoKey; }
  };

 public:
  CKeyedCollection() = default;
  CKeyedCollection(const CKeyedCollection&) = default;
  CKeyedCollection& operator=(const CKeyedCollection&) = default;
  CKeyedCollection(CKeyedCollection&& o) noexcept
      : m_nKeyed(std::exchange(o.m_nKeyed, 0)),
        m_vecEntries(std::move(o.m_vecEntries)),
        m_vecSlots(std::move(o.m_vecSlots)),
        m_aHashes(o.m_aHashes),
        m_sKeys(std::move(o.m_sKeys)) {
    o.m_sKeys.clear();
  }
  CKeyedCollection& operator=(CKeyedCollection&& o) noexcept {
    CKeyedCollection oTaken(std::move(o));
    std::swap(m_vecEntries, oTaken.m_vecEntries);
    std::swap(m_vecSlots, oTaken.m_vecSlots);
    std::swap(m_aHashes, oTaken.m_aHashes);
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
      m_vecEntries.push_back(Entry{std::move(item)});
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
    if (PosOf(sKey, nHash) != kNoPos) return nullptr;
    // The item is its own key when it is the very text given as key, or the same text.
    bool bKeyIsItem = false;
    if constexpr (std::is_same_v<std::decay_t<U>, std::string> && std::is_same_v<T, std::string>)
      bKeyIsItem = &item == &sKey || item == sKey;
    if (!bKeyIsItem && m_sKeys.size() + sKey.size() >= kItemIsKey) host::Raise(host::err::OutOfMemory);
    // What may fail comes before anything changes, or is undone.
    PrepareForOneMore(true);
    Entry oEntry{T(std::forward<U>(item)), kItemIsKey, 0};
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
    if (m_vecSlots.empty())
      m_aHashes[m_vecEntries.size() - 1] = nHash;  // a scanned collection has room: see PrepareForOneMore
    else
      Place(SlotOf(nHash, m_vecEntries.size() - 1));
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
  // A small collection (most recipients have one name and a few items) is scanned: it keeps its
  // entries' key hashes next to its count, so a scan reads an entry only when the hashes agree. A
  // larger one has an index, open addressing over the entries' positions: a slot holds the key's
  // hash (32 bits, which also pick the slot) and the position + 1, 0 for a free slot, 8 bytes
  // each in one block. Stored keys are never hashed again, not even when the index grows.
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

  // The position of the entry with the key, or kNoPos. Without an index there are keys only
  // while the collection is small enough to scan.
  size_t PosOf(std::string_view sKey, uint32_t nHash) const {
    if (m_nKeyed == 0) return kNoPos;
    if (m_vecSlots.empty()) {
      for (size_t i = 0; i < m_vecEntries.size(); ++i)
        if (m_aHashes[i] == nHash && m_vecEntries[i].HasKey() &&
            host::EqualsNoCase(KeyOf(m_vecEntries[i]), sKey))
          return i;
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
  // A new index of nSlots slots, from the old one or from the scan's hashes.
  void Reindex(size_t nSlots) {
    std::vector<uint64_t> vecOld(nSlots, 0);
    vecOld.swap(m_vecSlots);
    if (!vecOld.empty()) {
      for (uint64_t nSlot : vecOld)
        if (nSlot != 0) Place(nSlot);
      return;
    }
    for (size_t i = 0; i < m_vecEntries.size() && m_nKeyed != 0; ++i)
      if (m_vecEntries[i].HasKey()) Place(SlotOf(m_aHashes[i], i));
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
    // What may fail comes first, before anything changed.
    std::string sKeys;
    sKeys.reserve(m_sKeys.size());
    std::vector<uint64_t> vecOldSlots = m_vecSlots;
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
    if (vecOldSlots.empty()) {
      // Scanned: the hashes behind the removed entry move down with their entries.
      for (size_t i = nPos; i < m_vecEntries.size() && i + 1 < kScanned; ++i) m_aHashes[i] = m_aHashes[i + 1];
      return;
    }
    // Indexed: the same slots with the positions behind the removed entry moved down by one; the
    // index keeps its size (it only gets emptier), or goes when a scan will do.
    const bool bScan = m_vecEntries.size() <= kScanned;
    std::fill(m_vecSlots.begin(), m_vecSlots.end(), 0);
    for (uint64_t nSlot : vecOldSlots) {
      if (nSlot == 0 || PosIn(nSlot) == nPos) continue;
      const size_t nNewPos = PosIn(nSlot) > nPos ? PosIn(nSlot) - 1 : PosIn(nSlot);
      if (bScan)
        m_aHashes[nNewPos] = HashIn(nSlot);
      else
        Place(SlotOf(HashIn(nSlot), nNewPos));
    }
    if (bScan) m_vecSlots.clear();
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

  // What a look-up reads first comes first.
  size_t m_nKeyed = 0;
  std::vector<Entry> m_vecEntries;
  std::vector<uint64_t> m_vecSlots;            // empty while a scan will do
  std::array<uint32_t, kScanned> m_aHashes{};  // while scanned: the hash of entry i's key
  std::string m_sKeys;                         // the keys that are not their item, one after the other
};
