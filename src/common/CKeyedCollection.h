// Visual Basic's Collection: items in insertion order at 1-based positions, each with an
// optional unique key compared without regard to case (for all letters, not only ASCII).
// Look-up by key and by position is O(1). Errors are the Collection's own: 9 for a position
// out of range, 5 for an unknown key, 457 for a key already present.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/Error.h"
#include "host/Text.h"

template <class T>
class CKeyedCollection {
  // The folded key is kept once, here; the index looks at it through a view (entries never
  // move, they are held by pointer).
  struct Entry {
    T item;
    std::optional<std::string> sFoldedKey;
  };

 public:
  CKeyedCollection() = default;
  CKeyedCollection(CKeyedCollection&&) noexcept = default;
  CKeyedCollection& operator=(CKeyedCollection&&) noexcept = default;
  CKeyedCollection(const CKeyedCollection& o) { *this = o; }
  CKeyedCollection& operator=(const CKeyedCollection& o) {
    if (this == &o) return *this;
    Clear();
    for (const auto& pEntry : o.m_vecEntries) {
      m_vecEntries.push_back(std::make_unique<Entry>(*pEntry));
      if (m_vecEntries.back()->sFoldedKey)
        m_mapKeys.emplace(*m_vecEntries.back()->sFoldedKey, m_vecEntries.back().get());
    }
    return *this;
  }

  int32_t Count() const { return static_cast<int32_t>(m_vecEntries.size()); }

  // Appends the item; with a key, a key already present raises 457 and adds nothing. The key
  // is folded once and looked up once.
  void Add(T item, const std::optional<std::string>& sKey = std::nullopt) {
    if (sKey)
      AddFolded(std::move(item), host::FoldCase(*sKey));
    else
      m_vecEntries.push_back(std::make_unique<Entry>(Entry{std::move(item), {}}));
  }

  // The same with a key already folded by host::FoldCase, for callers that fold a key once and
  // use it several times.
  T& AddFolded(T item, std::string sFoldedKey) {
    auto pEntry = std::make_unique<Entry>(Entry{std::move(item), std::move(sFoldedKey)});
    auto [it, bNew] = m_mapKeys.try_emplace(*pEntry->sFoldedKey, pEntry.get());
    if (!bNew) host::Raise(host::err::DuplicateKey);
    // The map's key views the entry's own copy, which lives as long as the entry.
    try {
      m_vecEntries.push_back(std::move(pEntry));
    } catch (...) {
      m_mapKeys.erase(it);
      throw;
    }
    return m_vecEntries.back()->item;
  }
  // The item under a folded key; nullptr when there is none.
  T* FindFolded(std::string_view sFoldedKey) const {
    auto it = m_mapKeys.find(sFoldedKey);
    return it == m_mapKeys.end() ? nullptr : &it->second->item;
  }

  T& Item(int32_t nIndex) { return EntryAt(nIndex).item; }
  const T& Item(int32_t nIndex) const { return EntryAt(nIndex).item; }
  T& Item(const std::string& sKey) { return EntryOf(sKey).item; }
  const T& Item(const std::string& sKey) const { return EntryOf(sKey).item; }

  bool Exists(const std::string& sKey) const {
    return m_mapKeys.count(std::string_view(host::FoldCase(sKey))) != 0;
  }

  void Remove(int32_t nIndex) {
    EntryAt(nIndex);
    auto it = m_vecEntries.begin() + (nIndex - 1);
    if ((*it)->sFoldedKey) m_mapKeys.erase(*(*it)->sFoldedKey);
    m_vecEntries.erase(it);
  }

  void Remove(const std::string& sKey) {
    Entry& oEntry = EntryOf(sKey);
    for (auto it = m_vecEntries.begin(); it != m_vecEntries.end(); ++it) {
      if (it->get() == &oEntry) {
        m_mapKeys.erase(*oEntry.sFoldedKey);
        m_vecEntries.erase(it);
        return;
      }
    }
  }

  void Clear() {
    m_mapKeys.clear();
    m_vecEntries.clear();
  }

  // Iteration in insertion order over the items.
  class Iterator {
   public:
    using Inner = typename std::vector<std::unique_ptr<Entry>>::const_iterator;
    explicit Iterator(Inner it) : m_it(it) {}
    T& operator*() const { return (*m_it)->item; }
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
  Entry& EntryAt(int32_t nIndex) const {
    if (nIndex < 1 || nIndex > Count()) host::Raise(host::err::SubscriptOutOfRange);
    return *m_vecEntries[static_cast<size_t>(nIndex - 1)];
  }
  Entry& EntryOf(const std::string& sKey) const {
    const std::string sFolded = host::FoldCase(sKey);
    auto it = m_mapKeys.find(std::string_view(sFolded));
    if (it == m_mapKeys.end()) host::Raise(host::err::InvalidProcedureCall);
    return *it->second;
  }

  std::vector<std::unique_ptr<Entry>> m_vecEntries;
  std::unordered_map<std::string_view, Entry*> m_mapKeys;
};
