#include "sim/ItemObjects.h"

#include <typeinfo>
#include <unordered_set>

#include "host/Text.h"
#include "sim/Inspectors.h"
#include "sim/OutlookObjects.h"

namespace sim {
namespace {

constexpr const char* kItemGone = "The item has been moved or deleted.";

// Members every item has, over the item's model data. Faults are injected under
// "<kType>.<member>" ("MailItem.Subject").
template <class Iface, MemberName kType>
class ItemBase : public Iface, public ItemNode {
 public:
  ItemBase(std::shared_ptr<Session> pSession, ItemPtr pItem)
      : m_pSession(std::move(pSession)), m_pItem(std::move(pItem)) {}

  const ItemPtr& Data() const override { return m_pItem; }

  int32_t Class() override { return Read<"Class">(m_pItem->nClass); }
  std::shared_ptr<host::OutlookObject> Parent() override {
    Enter<"Parent">();
    return m_pItem->pFolder ? m_pSession->FolderObject(m_pItem->pFolder) : nullptr;
  }
  std::string EntryID() override { return Read<"EntryID">(m_pItem->sEntryID); }
  std::string MessageClass() override {
    Enter<"MessageClass">();
    return m_pItem->oProps.Text(prop::PR_MESSAGE_CLASS);
  }
  std::string Subject() override {
    Enter<"Subject">();
    return m_pItem->oProps.Text(prop::PR_SUBJECT);
  }
  void SetSubject(const std::string& sSubject) override {
    Enter<"Subject">();
    m_pItem->oProps.Set(prop::PR_SUBJECT, sSubject);
  }
  void Display(const host::Variant&) override {
    Enter<"Display">();
    ++m_pItem->nDisplayCount;
    auto oSelf = std::static_pointer_cast<host::OutlookItem>(this->shared_from_this());
    m_pSession->vecDisplayed.push_back(oSelf);
    OpenInspector(*m_pSession, oSelf);
  }
  void Save() override {
    Enter<"Save">();
    if (!BeforeSave()) return;
    m_pSession->oModel.SaveItem(m_pItem);
  }

 protected:
  // Every member starts here: the fault injector, then a deleted item fails.
  template <MemberName kMember>
  void Enter() {
    m_pSession->Hit<kType, kMember>();
    if (m_pItem->bDeleted) host::Raise(host::err::E_FAIL, kItemGone);
  }
  // A member that hands out a value the model holds.
  template <MemberName kMember, class T>
  const T& Read(const T& value) {
    Enter<kMember>();
    return value;
  }
  template <MemberName kMember, class T>
  int32_t CountOf(const std::vector<T>& vec) {
    Enter<kMember>();
    return static_cast<int32_t>(vec.size());
  }
  // False stops the save (a Write handler cancelled it).
  virtual bool BeforeSave() { return true; }

  std::shared_ptr<host::Recipients> MakeRecipients();
  std::shared_ptr<host::Links> MakeLinks();

  std::shared_ptr<Session> m_pSession;
  ItemPtr m_pItem;
};

class RecipientsObj : public host::Recipients {
 public:
  RecipientsObj(std::shared_ptr<Session> pSession, ItemPtr pItem)
      : m_pSession(std::move(pSession)), m_pItem(std::move(pItem)) {}
  const ItemPtr& Item() const { return m_pItem; }

  int32_t Class() override { return Hooked<"Recipients.Class">(*m_pSession, host::olRecipients); }
  std::shared_ptr<host::OutlookObject> Parent() override {
    m_pSession->Hit<"Recipients.Parent">();
    return m_pSession->ItemObject(m_pItem);
  }
  int32_t Count() override { return HookedCount<"Recipients.Count">(*m_pSession, m_pItem->vecRecipients); }
  std::shared_ptr<host::Recipient> Item(const host::Variant& Index) override {
    m_pSession->Hit<"Recipients.Item">();
    return Wrap(RecipientAt(m_pItem->vecRecipients, Index));
  }
  std::shared_ptr<host::Recipient> Add(const std::string& sName) override {
    m_pSession->Hit<"Recipients.Add">();
    if (m_pItem->bDeleted) host::Raise(host::err::E_FAIL, kItemGone);
    if (host::Trim(sName).empty()) host::Raise(host::err::InvalidProcedureCall, "A recipient needs a name.");
    auto p = std::make_shared<RecipientData>();
    p->sName = sName;
    p->nType = host::olTo;
    m_pItem->vecRecipients.push_back(p);
    return Wrap(p);
  }
  bool ResolveAll() override {
    m_pSession->Hit<"Recipients.ResolveAll">();
    bool bAll = true;
    for (const auto& p : m_pItem->vecRecipients) bAll = ResolveRecipient(m_pSession->oModel, *p) && bAll;
    return bAll;
  }

 private:
  std::shared_ptr<host::Recipient> Wrap(const RecipientPtr& p) {
    return std::make_shared<RecipientObj>(m_pSession, p, m_pItem);
  }

  std::shared_ptr<Session> m_pSession;
  ItemPtr m_pItem;
};

class LinkObj : public host::Link {
 public:
  LinkObj(std::shared_ptr<Session> pSession, ProfileLink oLink, ItemPtr pItem)
      : m_pSession(std::move(pSession)), m_oLink(std::move(oLink)), m_pItem(std::move(pItem)) {}
  int32_t Class() override { return Hooked<"Link.Class">(*m_pSession, host::olLink); }
  std::shared_ptr<host::OutlookObject> Parent() override {
    m_pSession->Hit<"Link.Parent">();
    return m_pSession->ItemObject(m_pItem);
  }
  int32_t Type() override { return Hooked<"Link.Type">(*m_pSession, m_oLink.nClass); }
  std::string Name() override { return Hooked<"Link.Name">(*m_pSession, m_oLink.sName); }
  std::shared_ptr<host::OutlookItem> Item() override {
    m_pSession->Hit<"Link.Item">();
    ItemPtr pTarget = m_pSession->oModel.ItemByID(m_oLink.sEntryID);
    if (!pTarget) host::Raise(kErrNotFound, "The linked item \"" + m_oLink.sName + "\" no longer exists.");
    return m_pSession->ItemObject(pTarget);
  }

 private:
  std::shared_ptr<Session> m_pSession;
  ProfileLink m_oLink;
  ItemPtr m_pItem;
};

class LinksObj : public host::Links {
 public:
  LinksObj(std::shared_ptr<Session> pSession, ItemPtr pItem)
      : m_pSession(std::move(pSession)), m_pItem(std::move(pItem)) {}
  int32_t Class() override { return Hooked<"Links.Class">(*m_pSession, host::olLinks); }
  std::shared_ptr<host::OutlookObject> Parent() override {
    m_pSession->Hit<"Links.Parent">();
    return m_pSession->ItemObject(m_pItem);
  }
  int32_t Count() override { return HookedCount<"Links.Count">(*m_pSession, m_pItem->vecLinks); }
  std::shared_ptr<host::Link> Item(const host::Variant& Index) override {
    m_pSession->Hit<"Links.Item">();
    return std::make_shared<LinkObj>(m_pSession, AtPosition(m_pItem->vecLinks, Index.ToLong()), m_pItem);
  }

 private:
  std::shared_ptr<Session> m_pSession;
  ItemPtr m_pItem;
};

template <class Iface, MemberName kType>
std::shared_ptr<host::Recipients> ItemBase<Iface, kType>::MakeRecipients() {
  return std::make_shared<RecipientsObj>(m_pSession, m_pItem);
}

template <class Iface, MemberName kType>
std::shared_ptr<host::Links> ItemBase<Iface, kType>::MakeLinks() {
  return std::make_shared<LinksObj>(m_pSession, m_pItem);
}

class MailItemObj : public ItemBase<host::MailItem, "MailItem"> {
 public:
  using ItemBase::ItemBase;
  std::shared_ptr<host::Recipients> Recipients() override {
    Enter<"Recipients">();
    return MakeRecipients();
  }
  std::string SenderName() override {
    Enter<"SenderName">();
    return m_pItem->oProps.Text(prop::PR_SENDER_NAME);
  }
  std::string To() override {
    Enter<"To">();
    return Model::RecipientNames(*m_pItem, host::olTo);
  }
  std::string CC() override {
    Enter<"CC">();
    return Model::RecipientNames(*m_pItem, host::olCC);
  }
  std::string BCC() override {
    Enter<"BCC">();
    return Model::RecipientNames(*m_pItem, host::olBCC);
  }

 protected:
  bool BeforeSave() override {
    bool bCancel = false;
    m_pSession->RaiseAtBoundary("MailItem.Write", OnWrite, bCancel);
    return !bCancel;
  }
};

class AppointmentItemObj : public ItemBase<host::AppointmentItem, "AppointmentItem"> {
 public:
  using ItemBase::ItemBase;
  std::shared_ptr<host::Recipients> Recipients() override {
    Enter<"Recipients">();
    return MakeRecipients();
  }
  std::shared_ptr<host::Links> Links() override {
    Enter<"Links">();
    return MakeLinks();
  }
  std::string Organizer() override { return Read<"Organizer">(m_pItem->sOrganizer); }
};

class TaskItemObj : public ItemBase<host::TaskItem, "TaskItem"> {
 public:
  using ItemBase::ItemBase;
  std::shared_ptr<host::Recipients> Recipients() override {
    Enter<"Recipients">();
    return MakeRecipients();
  }
  std::shared_ptr<host::Links> Links() override {
    Enter<"Links">();
    return MakeLinks();
  }
};

class ContactItemObj : public ItemBase<host::ContactItem, "ContactItem"> {
 public:
  using ItemBase::ItemBase;
  int32_t Sensitivity() override {
    Enter<"Sensitivity">();
    return m_pItem->oProps.Long(prop::PR_SENSITIVITY);
  }
  std::string FullName() override {
    Enter<"FullName">();
    return m_pItem->oProps.Text(prop::PR_DISPLAY_NAME);
  }
  std::string Email1Address() override {
    Enter<"Email1Address">();
    return m_pSession->oModel.ContactEmailAddress(*m_pItem, 1);
  }
  std::string Email2Address() override {
    Enter<"Email2Address">();
    return m_pSession->oModel.ContactEmailAddress(*m_pItem, 2);
  }
  std::string Email3Address() override {
    Enter<"Email3Address">();
    return m_pSession->oModel.ContactEmailAddress(*m_pItem, 3);
  }
};

class DistListItemObj : public ItemBase<host::DistListItem, "DistListItem"> {
 public:
  using ItemBase::ItemBase;
  std::string DLName() override {
    Enter<"DLName">();
    return m_pItem->oProps.Text(prop::PR_SUBJECT);
  }
  void SetDLName(const std::string& sName) override {
    Enter<"DLName">();
    m_pItem->oProps.Set(prop::PR_SUBJECT, sName);
  }
  int32_t MemberCount() override { return CountOf<"MemberCount">(m_pItem->vecMembers); }
  std::shared_ptr<host::Recipient> GetMember(int32_t nIndex) override {
    Enter<"GetMember">();
    return std::make_shared<RecipientObj>(m_pSession, AtPosition(m_pItem->vecMembers, nIndex), m_pItem);
  }
  void AddMember(const std::shared_ptr<host::Recipient>& oRecipient) override {
    Enter<"AddMember">();
    // Outlook 2000's lists have no AddMember: a late-bound call finds no such member.
    if (m_pSession->nMajorVersion < 10) host::Raise(host::err::NoSuchMember);
    RecipientPtr p = RecipientDataOf(host::Deref(oRecipient).shared_from_this());
    if (!p) host::Raise(host::err::TypeMismatch);
    AddAll({p});
  }
  void AddMembers(const std::shared_ptr<host::Recipients>& oRecipients) override {
    Enter<"AddMembers">();
    auto pList = std::dynamic_pointer_cast<RecipientsObj>(host::Deref(oRecipients).shared_from_this());
    if (!pList) host::Raise(host::err::TypeMismatch);
    AddAll(pList->Item()->vecRecipients);
  }
  std::string Categories() override { return Read<"Categories">(m_pItem->sCategories); }
  void SetCategories(const std::string& s) override {
    Enter<"Categories">();
    m_pItem->sCategories = s;
  }
  std::string Body() override {
    Enter<"Body">();
    return m_pItem->oProps.Text(prop::PR_BODY);
  }
  void SetBody(const std::string& s) override {
    Enter<"Body">();
    m_pItem->oProps.Set(prop::PR_BODY, s);
  }

 private:
  // Members must resolve; when one does not, none is added, so a failed call changes nothing.
  void AddAll(const std::vector<RecipientPtr>& vecRecipients) {
    for (const auto& p : vecRecipients)
      if (!ResolveRecipient(m_pSession->oModel, *p))
        host::Raise(host::err::E_FAIL,
                    "Could not add \"" + p->sName + "\" to the list: the name does not resolve.");
    for (const auto& p : vecRecipients) {
      auto pMember = std::make_shared<RecipientData>(*p);
      pMember->nType = host::olTo;
      m_pItem->vecMembers.push_back(std::move(pMember));
    }
  }
};

// Notes, posts and meeting requests: only the members every item has.
template <MemberName kType>
class GenericItemObj : public ItemBase<host::GenericItem, kType> {
 public:
  using ItemBase<host::GenericItem, kType>::ItemBase;
  std::string TypeName() const override { return std::string(kType.View()); }
};

// Item objects live in their session's pool.
template <class T>
std::shared_ptr<host::OutlookItem> NewItemObject(const std::shared_ptr<Session>& pSession,
                                                 const ItemPtr& pItem) {
  return std::allocate_shared<T>(SlotAllocator<T>(pSession->pItemObjectPool), pSession, pItem);
}

}  // namespace

std::shared_ptr<host::OutlookItem> MakeItemObject(const std::shared_ptr<Session>& pSession,
                                                  const ItemPtr& pItem) {
  switch (pItem->nClass) {
    case host::olMail: return NewItemObject<MailItemObj>(pSession, pItem);
    case host::olAppointment: return NewItemObject<AppointmentItemObj>(pSession, pItem);
    case host::olTask: return NewItemObject<TaskItemObj>(pSession, pItem);
    case host::olContact: return NewItemObject<ContactItemObj>(pSession, pItem);
    case host::olDistributionList: return NewItemObject<DistListItemObj>(pSession, pItem);
    case host::olNote: return NewItemObject<GenericItemObj<"NoteItem">>(pSession, pItem);
    case host::olPost: return NewItemObject<GenericItemObj<"PostItem">>(pSession, pItem);
    default: return NewItemObject<GenericItemObj<"MeetingItem">>(pSession, pItem);
  }
}

namespace {

// The item kinds by their exact type: one comparison each instead of a cast across the class
// tree, for the Redemption calls that take an item on every read.
template <class... Kinds>
const ItemNode* NodeOfKind(host::Object& o) {
  const std::type_info& type = typeid(o);
  const ItemNode* pNode = nullptr;
  ((pNode == nullptr && type == typeid(Kinds) ? (pNode = static_cast<const Kinds*>(&o)) : pNode), ...);
  return pNode;
}

}  // namespace

ItemPtr ItemDataOf(const std::shared_ptr<host::Object>& oObject) {
  if (!oObject) return nullptr;
  const ItemNode* pNode =
      NodeOfKind<MailItemObj, AppointmentItemObj, TaskItemObj, ContactItemObj, DistListItemObj,
                 GenericItemObj<"NoteItem">, GenericItemObj<"PostItem">, GenericItemObj<"MeetingItem">>(
          *oObject);
  if (!pNode) pNode = dynamic_cast<const ItemNode*>(oObject.get());
  return pNode ? pNode->Data() : nullptr;
}

RecipientPtr RecipientDataOf(const std::shared_ptr<host::Object>& oObject) {
  auto* pRecipient = dynamic_cast<const RecipientObj*>(oObject.get());
  return pRecipient ? pRecipient->Data() : nullptr;
}

const RecipientPtr& RecipientAt(const std::vector<RecipientPtr>& vecRecipients, const host::Variant& Index) {
  if (Index.IsString()) {
    std::string sName = Index.ToString();
    for (const auto& p : vecRecipients)
      if (host::EqualsNoCase(p->sName, sName)) return p;
    host::Raise(kErrNotFound, "The recipient \"" + sName + "\" is not in the list.");
  }
  return AtPosition(vecRecipients, Index.ToLong());
}

bool ResolveRecipient(const Model& oModel, RecipientData& oRecipient) {
  if (oRecipient.pEntry) return true;
  auto pEntry = oModel.Book().Resolve(oRecipient.sName);
  if (!pEntry) return false;
  oRecipient.pEntry = pEntry;
  oRecipient.sName = pEntry->sName;
  return true;
}

// --- RecipientObj ---

int32_t RecipientObj::Class() {
  return Hooked<"Recipient.Class">(*m_pSession, host::olRecipient);
}

std::shared_ptr<host::OutlookObject> RecipientObj::Parent() {
  m_pSession->Hit<"Recipient.Parent">();
  return m_pItem ? m_pSession->ItemObject(m_pItem) : nullptr;
}

std::string RecipientObj::Name() {
  return Hooked<"Recipient.Name">(*m_pSession, m_pRecipient->sName);
}

std::string RecipientObj::Address() {
  m_pSession->Hit<"Recipient.Address">();
  return m_pRecipient->pEntry ? m_pRecipient->pEntry->sAddress : std::string();
}

int32_t RecipientObj::Type() {
  return Hooked<"Recipient.Type">(*m_pSession, m_pRecipient->nType);
}

void RecipientObj::SetType(int32_t nType) {
  m_pSession->Hit<"Recipient.Type">();
  if (nType < 0 || nType > 3) host::Raise(host::err::InvalidProcedureCall);
  m_pRecipient->nType = nType;
}

bool RecipientObj::Resolved() {
  m_pSession->Hit<"Recipient.Resolved">();
  return m_pRecipient->pEntry != nullptr;
}

bool RecipientObj::Resolve() {
  m_pSession->Hit<"Recipient.Resolve">();
  return ResolveRecipient(m_pSession->oModel, *m_pRecipient);
}

std::shared_ptr<host::AddressEntry> RecipientObj::AddressEntry() {
  m_pSession->Hit<"Recipient.AddressEntry">();
  return m_pRecipient->pEntry ? std::make_shared<AddressEntryObj>(m_pSession, m_pRecipient->pEntry) : nullptr;
}

// --- AddressEntryObj ---

int32_t AddressEntryObj::Class() {
  return Hooked<"AddressEntry.Class">(*m_pSession, host::olAddressEntry);
}

std::shared_ptr<host::OutlookObject> AddressEntryObj::Parent() {
  return Hooked<"AddressEntry.Parent">(*m_pSession, nullptr);
}

std::string AddressEntryObj::Name() {
  return Hooked<"AddressEntry.Name">(*m_pSession, m_pEntry->sName);
}

std::string AddressEntryObj::Address() {
  return Hooked<"AddressEntry.Address">(*m_pSession, m_pEntry->sAddress);
}

std::string AddressEntryObj::Type() {
  return Hooked<"AddressEntry.Type">(*m_pSession, m_pEntry->sType);
}

}  // namespace sim
