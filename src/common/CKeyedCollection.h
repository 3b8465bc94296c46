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
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "host/Error.h"
#include "host/Text.h"

template <class T>
class CKeyedCollection {
  // The key is kept once, as given, and compared without regard to case; the index looks at it
  // through a view (entries never move, they are held by pointer). A text keyed by itself keeps
  // no second copy: the item is the key.
  struct Entry {
    T item;
    std::unique_ptr<const std::string> pKey;
    bool bKeyIsItem = false;

    Entry(T itemIn, std::unique_ptr<const std::string> pKeyIn, bool bKeyIsItemIn)
        : item(std::move(itemIn)), pKey(std::move(pKeyIn)), bKeyIsItem(bKeyIsItemIn) {}
    Entry(const Entry& o)
        : item(o.item),
          pKey(o.pKey ? std::make_unique<const std::string>(*o.pKey) : nullptr),
          bKeyIsItem(o.bKeyIsItem) {}

    bool HasKey() const { return bKeyIsItem || pKey != nullptr; }
    std::string_view Key() const {
      if constexpr (std::is_same_v<T, std::string>) {
        if (bKeyIsItem) return item;
      }
      return *pKey;
    }
  };

 public:
  CKeyedCollection() = default;
  CKeyedCollection(CKeyedCollection&&) noexcept = default;
  CKeyedCollection& operator=(CKeyedCollection&&) noexcept = default;
  CKeyedCollection(const CKeyedCollection& o) { *this = o; }
  CKeyedCollection& operator=(const CKeyedCollection& o) {
    if (this == &o) return *this;
    Clear();
    m_vecEntries.reserve(o.m_vecEntries.size());
    for (const auto& pEntry : o.m_vecEntries) {
      m_vecEntries.push_back(std::make_unique<Entry>(*pEntry));
      const Entry& oCopy = *m_vecEntries.back();
      if (oCopy.HasKey()) m_mapKeys.emplace(KeyOf(oCopy.Key()), m_vecEntries.back().get());
    }
    return *this;
  }

  int32_t Count() const { return static_cast<int32_t>(m_vecEntries.size()); }

  // Appends the item; with a key, a key already present raises 457 and adds nothing. Returns
  // the item as stored.
  T& Add(T item, const std::optional<std::string>& sKey = std::nullopt) {
    if (!sKey) {
      m_vecEntries.push_back(std::make_unique<Entry>(std::move(item), nullptr, false));
      return m_vecEntries.back()->item;
    }
    T* p = AddIfAbsent(std::move(item), *sKey);
    if (!p) host::Raise(host::err::DuplicateKey);
    return *p;
  }

  // Appends the item under the key unless the key is there already, in any letter case: the key
  // is hashed once and looked up once, and nothing is made (not even the item) when it is
  // present. Returns the item as stored, or nullptr when nothing was added.
  template <class U>
  T* AddIfAbsent(U&& item, const std::string& sKey) {
    auto [it, bNew] = m_mapKeys.try_emplace(KeyOf(sKey), nullptr);
    if (!bNew) return nullptr;
    try {
      auto pEntry = std::make_unique<Entry>(T(std::forward<U>(item)), nullptr, false);
      if constexpr (std::is_same_v<T, std::string>) pEntry->bKeyIsItem = pEntry->item == sKey;
      if (!pEntry->bKeyIsItem) pEntry->pKey = std::make_unique<const std::string>(sKey);
      // The index looked at the caller's text so far; from now on it looks at the key's home,
      // which lives as long as the entry (the same text: hash and order do not change).
      it->first.s = pEntry->Key();
      it->second = pEntry.get();
      m_vecEntries.push_back(std::move(pEntry));
    } catch (...) {
      m_mapKeys.erase(it);
      throw;
    }
    return &m_vecEntries.back()->item;
  }

  T& Item(int32_t nIndex) { return EntryAt(nIndex).item; }
  const T& Item(int32_t nIndex) const { return EntryAt(nIndex).item; }
  T& Item(const std::string& sKey) { return EntryOf(sKey).item; }
  const T& Item(const std::string& sKey) const { return EntryOf(sKey).item; }
  // The item under a key, in any letter case; nullptr when there is none. Nothing is raised,
  // nothing is copied.
  T* Find(std::string_view sKey) const {
    auto it = m_mapKeys.find(KeyOf(sKey));
    return it == m_mapKeys.end() ? nullptr : &it->second->item;
  }

  bool Exists(const std::string& sKey) const { return m_mapKeys.count(KeyOf(sKey)) != 0; }

  void Remove(int32_t nIndex) {
    EntryAt(nIndex);
    auto it = m_vecEntries.begin() + (nIndex - 1);
    if ((*it)->HasKey()) m_mapKeys.erase(KeyOf((*it)->Key()));
    m_vecEntries.erase(it);
  }

  void Remove(const std::string& sKey) {
    Entry& oEntry = EntryOf(sKey);
    for (auto it = m_vecEntries.begin(); it != m_vecEntries.end(); ++it) {
      if (it->get() == &oEntry) {
        m_mapKeys.erase(KeyOf(oEntry.Key()));
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
  // A key with the hash of its folded text, worked out once per look-up: the index never hashes
  // a stored key again (not even when it grows) and compares texts only when the hashes agree.
  // Keys of one collection often share long beginnings (entry IDs).
  struct Key {
    mutable std::string_view s;  // re-pointed once, from the caller's text to the stored key
    size_t nHash;
    bool operator==(const Key& o) const { return nHash == o.nHash && host::EqualsNoCase(s, o.s); }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const noexcept { return k.nHash; }
  };
  static Key KeyOf(std::string_view s) { return {s, host::HashNoCase(s)}; }

  Entry& EntryAt(int32_t nIndex) const {
    if (nIndex < 1 || nIndex > Count()) host::Raise(host::err::SubscriptOutOfRange);
    return *m_vecEntries[static_cast<size_t>(nIndex - 1)];
  }
  Entry& EntryOf(const std::string& sKey) const {
    auto it = m_mapKeys.find(KeyOf(sKey));
    if (it == m_mapKeys.end()) host::Raise(host::err::InvalidProcedureCall);
    return *it->second;
  }

  std::vector<std::unique_ptr<Entry>> m_vecEntries;
  std::unordered_map<Key, Entry*, KeyHash> m_mapKeys;
};
