// The simulated address book: the entries of a profile, indexed by entry ID and by display name
// and addresses (folded case), and the one rule by which every Resolve of the simulation turns a
// name into an entry.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sim/Profile.h"

namespace sim {

// A valid SMTP address: one "@" with text before it, a domain with a "." that has text on both
// sides, no blanks or angle brackets.
bool IsSmtpAddress(std::string_view s);
// Splits "Name <address>" (the name may be quoted or empty); false for any other text.
bool SplitNameAndAddress(std::string_view s, std::string& sName, std::string& sAddress);

class AddressBook {
 public:
  using EntryPtr = std::shared_ptr<const AddressBookEntry>;

  explicit AddressBook(const std::vector<AddressBookEntry>& vecEntries);

  size_t Count() const { return m_vecEntries.size(); }
  const EntryPtr& At(size_t n) const { return m_vecEntries[n]; }

  // An entry of the book, or the entry a one-off ID describes; Nothing for an unknown ID.
  EntryPtr FindByID(std::string_view sEntryID) const;
  // Distinct entries whose display name, address or SMTP address equals sText without regard
  // to case.
  std::vector<EntryPtr> Matches(std::string_view sText) const;
  // The entry a typed name resolves to: the one entry it matches, else a one-off entry when it
  // is itself an SMTP address or "Name <address>" with one; Nothing when it is ambiguous or
  // unknown.
  EntryPtr Resolve(std::string_view sText) const;

  static EntryPtr OneOff(const std::string& sName, const std::string& sAddress);

 private:
  std::vector<EntryPtr> m_vecEntries;
  std::unordered_map<std::string, size_t> m_mapByID;
  std::unordered_map<std::string, std::vector<size_t>> m_mapByText;  // folded name and addresses
  // One-off IDs read so far: reading one decodes the whole ID, and the same people come back.
  mutable std::unordered_map<std::string, EntryPtr> m_mapOneOffs;
};

}  // namespace sim
