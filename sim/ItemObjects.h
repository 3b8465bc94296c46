// The simulated items of every class, with their recipients, address entries and links. An item
// object is the one object of its item while anyone holds it (see Session::ItemObject).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/Outlook.h"
#include "sim/Session.h"

namespace sim {

// What every simulated item object gives the rest of the simulation.
class ItemNode {
 public:
  virtual ~ItemNode() = default;
  virtual const ItemPtr& Data() const = 0;
};

// The item object of a model item, of the class that fits it.
std::shared_ptr<host::OutlookItem> MakeItemObject(const std::shared_ptr<Session>& pSession,
                                                  const ItemPtr& pItem);

// The model behind a simulated item or recipient; nullptr for anything else.
ItemPtr ItemDataOf(const std::shared_ptr<host::Object>& oObject);
RecipientPtr RecipientDataOf(const std::shared_ptr<host::Object>& oObject);

// A recipient of an item (pItem set) or one made by CreateRecipient (pItem nullptr).
class RecipientObj : public host::Recipient {
 public:
  RecipientObj(std::shared_ptr<Session> pSession, RecipientPtr pRecipient, ItemPtr pItem)
      : m_pSession(std::move(pSession)), m_pRecipient(std::move(pRecipient)), m_pItem(std::move(pItem)) {}
  const RecipientPtr& Data() const { return m_pRecipient; }

  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  std::string Name() override;
  std::string Address() override;
  int32_t Type() override;
  void SetType(int32_t nType) override;
  bool Resolved() override;
  bool Resolve() override;
  std::shared_ptr<host::AddressEntry> AddressEntry() override;

 private:
  std::shared_ptr<Session> m_pSession;
  RecipientPtr m_pRecipient;
  ItemPtr m_pItem;
};

// Resolves a recipient against the address book: the one rule of every Resolve.
bool ResolveRecipient(const Model& oModel, RecipientData& oRecipient);

// The recipient Item names in a list of recipients (Recipients and SafeRecipients alike): by
// position, or by display name in any letter case.
const RecipientPtr& RecipientAt(const std::vector<RecipientPtr>& vecRecipients, const host::Variant& Index);

class AddressEntryObj : public host::AddressEntry {
 public:
  AddressEntryObj(std::shared_ptr<Session> pSession, AddressBook::EntryPtr pEntry)
      : m_pSession(std::move(pSession)), m_pEntry(std::move(pEntry)) {}
  const AddressBook::EntryPtr& Data() const { return m_pEntry; }

  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  std::string Name() override;
  std::string Address() override;
  std::string Type() override;

 private:
  std::shared_ptr<Session> m_pSession;
  AddressBook::EntryPtr m_pEntry;
};

}  // namespace sim
