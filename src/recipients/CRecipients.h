// The recipient list of one command: the gathering adds every address and name it finds, the
// list keeps each address and each name once (without regard to letter case), resolves them
// against Outlook's address book through the Redemption safe mail item, and hands out the
// resolved texts with the entry IDs of the items they came from.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/CKeyedCollection.h"

// Strings, each keyed by itself.
using CStringCollection = CKeyedCollection<std::string>;

// The entry IDs of the items one command read, each known by its position from 1. The
// recipients keep positions: a folder of 100 000 items names each item for every address it
// holds, and the text is here once. An item gives its ID for each of its addresses in turn: an
// ID equal to the last one keeps its position, any other gets a new one. The same ID met again
// later thus has two positions; the texts handed out are made unique again (without regard to
// case).
class CEntryIDStore {
 public:
  uint32_t Add(std::string_view sEntryID);
  std::string_view Text(uint32_t nPos) const;
  void Clear();

 private:
  // In blocks that never move: a folder's worth of IDs is never copied to a larger block.
  std::deque<std::string> m_dqIDs;
};

// The entry IDs of one recipient as positions in the command's store, in the order they came.
// Positions only grow while items are read, so an item naming the address again is the last
// one: it is kept once. The first and the last position are kept in the list itself: most
// recipients come from one item and need no block of their own, and telling the last needs no
// read of memory a large folder has long pushed out of the caches.
class CEntryIDList {
 public:
  void Add(uint32_t nPos) {
    if (nPos == m_nLast) return;
    if (m_nFirst == 0)
      m_nFirst = nPos;
    else
      m_vecMore.push_back(nPos);
    m_nLast = nPos;
  }
  void Merge(const CEntryIDList& o) {
    o.ForEach([&](uint32_t nPos) { Add(nPos); });
  }
  bool Empty() const { return m_nFirst == 0; }
  template <class F>
  void ForEach(F fn) const {
    if (m_nFirst == 0) return;
    fn(m_nFirst);
    for (uint32_t nPos : m_vecMore) fn(nPos);
  }

 private:
  uint32_t m_nFirst = 0;  // positions start at 1
  uint32_t m_nLast = 0;
  std::vector<uint32_t> m_vecMore;
};

// The display names one address came with, each once (without regard to case), in order of
// first appearance. Most addresses come with one name only: it is kept in place, so that finding
// it again needs no block of its own; a collection is made when a second name comes.
class CNameList {
 public:
  CNameList() = default;
  CNameList(const CNameList& o);
  CNameList& operator=(const CNameList& o);
  CNameList(CNameList&&) noexcept = default;
  CNameList& operator=(CNameList&&) noexcept = default;

  void AddIfAbsent(const std::string& sName);  // an empty name is not added
  int32_t Count() const;
  const std::string& Item(int32_t nIndex) const;  // from 1; 9 outside 1 to the count

  class Iterator {
   public:
    Iterator(const CNameList& oList, int32_t nIndex) : m_pList(&oList), m_nIndex(nIndex) {}
    const std::string& operator*() const { return m_pList->Item(m_nIndex); }
    Iterator& operator++() {
      ++m_nIndex;
      return *this;
    }
    bool operator!=(const Iterator& o) const { return m_nIndex != o.m_nIndex; }

   private:
    const CNameList* m_pList;
    int32_t m_nIndex;
  };
  Iterator begin() const { return Iterator(*this, 1); }
  Iterator end() const { return Iterator(*this, Count() + 1); }

 private:
  std::string m_sFirst;                        // empty while there is no name
  std::unique_ptr<CStringCollection> m_pMore;  // the names after the first
};

// A recipient met with an e-mail address. Recipients lie in their collection's entries, the
// members an added address uses first: a large folder meets each address again long after it
// has left the processor's caches, and every further block would be one more read from memory.
class CEmailRecipient {
 public:
  CEntryIDList oEntryIDs;
  // Every display name the address came with, in order of first appearance.
  CNameList colNames;
  std::string sEmail;  // spelled as when first added
};

// A recipient known by name only (a list, a sender or linked contact without a usable address).
class CNameRecipient {
 public:
  CEntryIDList oEntryIDs;
  std::string sName;
};

// An entry of the resolved list: its text, and the entry IDs of every recipient that gave it.
class CResolvedRecipient {
 public:
  std::string sText;
  CEntryIDList oEntryIDs;
  std::shared_ptr<const CStringCollection> colEntryIDs;  // their texts, made when first asked for
};

class CRecipients {
 public:
  using CEmailRecipients = CKeyedCollection<CEmailRecipient>;
  using CNameRecipients = CKeyedCollection<CNameRecipient>;
  using CResolvedRecipients = CKeyedCollection<std::shared_ptr<CResolvedRecipient>>;

  // Never fails: duplicates are merged, an address without "@" falls back to the name.
  void AddRecipient(const std::string& sName, const std::string& sEmail,
                    const std::string& sItemEntryID = {});
  // True when at least one entry resolved and the user did not cancel. With bUseProgressWND the
  // progress window runs stage 2 and stays open for the caller unless the user cancelled.
  bool Resolve(bool bUseProgressWND, bool& bHasCanceled);

  // The readers pass errors on: 91 before Resolve or after a later AddRecipient, 9 for a position
  // outside 1 to the count. Entry IDs once handed out never change: a later Resolve makes new
  // ones.
  int32_t GetResolvedCount();
  std::string GetResolvedName(int32_t nIndex);
  std::shared_ptr<const CStringCollection> GetResolvedAssocItemIDs(int32_t nIndex);

  void Reset();

  // The raw lists, read-only, for diagnostics; Nothing before the first recipient of the kind.
  std::shared_ptr<const CEmailRecipients> EmailRecipients() const { return m_colEmailRecipients; }
  std::shared_ptr<const CNameRecipients> NameRecipients() const { return m_colNameRecipients; }
  // The texts of a recipient's entry IDs in the order they came, each once (without regard to
  // case, in its first spelling).
  CStringCollection EntryIDs(const CEntryIDList& oList) const;

 private:
  void AddEmailRecipient(const std::string& sName, const std::string& sEmail,
                         const std::string& sItemEntryID);
  void AddNameRecipient(const std::string& sName, const std::string& sItemEntryID);
  void AddEntryID(CEntryIDList& oList, const std::string& sItemEntryID);
  std::string ResolveEmailRecipient(const CEmailRecipient& oRecipient);
  bool CanResolveName(const CNameRecipient& oRecipient);
  void AddResolved(const std::string& sText, const CEntryIDList& oEntryIDs);

  CEntryIDStore m_oEntryIDs;
  std::shared_ptr<CEmailRecipients> m_colEmailRecipients;
  std::shared_ptr<CNameRecipients> m_colNameRecipients;
  std::shared_ptr<CResolvedRecipients> m_colResolved;
};
