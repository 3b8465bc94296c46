// The recipient list of one command: the gathering adds every address and name it finds, the
// list keeps each address and each name once (without regard to letter case), resolves them
// against Outlook's address book through the Redemption safe mail item, and hands out the
// resolved texts with the entry IDs of the items they came from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/CKeyedCollection.h"

// Strings, each keyed by itself.
using CStringCollection = CKeyedCollection<std::string>;

// A recipient met with an e-mail address.
class CEmailRecipient {
 public:
  std::string sEmail;  // spelled as when first added
  // Every display name the address came with, in order of first appearance.
  CStringCollection colNames;
  std::shared_ptr<CStringCollection> colEntryIDs = std::make_shared<CStringCollection>();
};

// A recipient known by name only (a list, a sender or linked contact without a usable address),
// or an entry of the resolved list.
class CNameRecipient {
 public:
  std::string sName;
  std::shared_ptr<CStringCollection> colEntryIDs = std::make_shared<CStringCollection>();
};

class CRecipients {
 public:
  using CEmailRecipients = CKeyedCollection<std::shared_ptr<CEmailRecipient>>;
  using CNameRecipients = CKeyedCollection<std::shared_ptr<CNameRecipient>>;

  // Never fails: duplicates are merged, an address without "@" falls back to the name.
  void AddRecipient(const std::string& sName, const std::string& sEmail,
                    const std::string& sItemEntryID = {});
  // True when at least one entry resolved and the user did not cancel. With bUseProgressWND the
  // progress window runs stage 2 and stays open for the caller unless the user cancelled.
  bool Resolve(bool bUseProgressWND, bool& bHasCanceled);

  // The readers pass errors on: 91 before Resolve or after a later AddRecipient, 9 for a position
  // outside 1 to the count.
  int32_t GetResolvedCount();
  std::string GetResolvedName(int32_t nIndex);
  std::shared_ptr<const CStringCollection> GetResolvedAssocItemIDs(int32_t nIndex);

  void Reset();

  // The raw lists, read-only, for diagnostics; Nothing before the first recipient of the kind.
  std::shared_ptr<const CEmailRecipients> EmailRecipients() const { return m_colEmailRecipients; }
  std::shared_ptr<const CNameRecipients> NameRecipients() const { return m_colNameRecipients; }

 private:
  void AddEmailRecipient(const std::string& sName, const std::string& sEmail,
                         const std::string& sItemEntryID);
  void AddNameRecipient(const std::string& sName, const std::string& sItemEntryID);
  std::string ResolveEmailRecipient(const CEmailRecipient& oRecipient);
  bool CanResolveName(const CNameRecipient& oRecipient);
  void AddResolved(const std::string& sText, const std::shared_ptr<CStringCollection>& colEntryIDs);

  std::shared_ptr<CEmailRecipients> m_colEmailRecipients;
  std::shared_ptr<CNameRecipients> m_colNameRecipients;
  std::shared_ptr<CNameRecipients> m_colResolved;
};
