#include "sim/Redemption.h"

#include <array>
#include <string_view>
#include <vector>

#include "host/Redemption.h"
#include "host/Text.h"
#include "sim/EntryIds.h"
#include "sim/ItemObjects.h"
#include "sim/Session.h"

namespace sim {
namespace {

constexpr int32_t kErrInvalidArg = static_cast<int32_t>(0x80070057u);
constexpr const char* kItemGone = "The item has been moved or deleted.";

// Address entry properties the safe address entry answers besides its own members.
constexpr int32_t PR_DISPLAY_NAME = 0x3001001E;
constexpr int32_t PR_ADDRTYPE = 0x3002001E;
constexpr int32_t PR_EMAIL_ADDRESS = 0x3003001E;
constexpr int32_t PR_SMTP_ADDRESS = 0x39FE001E;

constexpr std::array<const char*, 5> kProgIds = {
    host::progid::SafeMailItem, host::progid::SafeAppointmentItem, host::progid::SafeTaskItem,
    host::progid::SafeDistList, host::progid::MAPIUtils};

// The session whose model the registered classes work on.
std::weak_ptr<Session>& RegisteredSession() {
  static std::weak_ptr<Session> s_wSession;
  return s_wSession;
}

// The model item behind an Outlook item handed to the library; Nothing and foreign objects are
// refused as Redemption refuses them.
ItemPtr ItemOf(const std::shared_ptr<host::Object>& oItem) {
  if (!oItem) host::Raise(host::err::ObjectNotSet);
  ItemPtr pItem = ItemDataOf(oItem);
  if (!pItem) host::Raise(host::err::TypeMismatch, "The object is not an Outlook item.");
  if (pItem->bDeleted) host::Raise(host::err::E_FAIL, kItemGone);
  return pItem;
}

// A property of an item; a Unicode string tag also finds the 8-bit string kept by the model.
const host::Variant* FindProp(const ItemData& oItem, int32_t nTag) {
  if (const host::Variant* p = oItem.Prop(nTag)) return p;
  if ((nTag & 0xFFFF) == 0x001F) return oItem.Prop((nTag & ~0xFFFF) | 0x001E);
  return nullptr;
}

// MAPI stores a value in the type its tag names.
host::Variant CoerceToTag(int32_t nTag, const host::Variant& v) {
  switch (nTag & 0xFFFF) {
    case 0x0002: return host::Variant(v.ToInteger());
    case 0x0003: return host::Variant(v.ToLong());
    case 0x0005: return host::Variant(v.ToDouble());
    case 0x000B: return host::Variant(v.ToBool());
    case 0x001E:
    case 0x001F: return host::Variant(v.ToString());
    case 0x0102: return host::Variant::Bytes(v.ToBytes());
    default: host::Raise(kErrInvalidArg, "The simulation does not store properties of this type.");
  }
}

bool IsGuidText(std::string_view s) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (s.size() != 38 || s.front() != '{' || s.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    bool bDash = i == 9 || i == 14 || i == 19 || i == 24;
    char c = s[i];
    bool bHex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (bDash ? c != '-' : !bHex) return false;
  }
  return true;
}

class SafeAddressEntryObj : public host::SafeAddressEntry {
 public:
  SafeAddressEntryObj(std::shared_ptr<Session> pSession, AddressBook::EntryPtr pEntry)
      : m_pSession(std::move(pSession)), m_pEntry(std::move(pEntry)) {}

  std::string Name() override { return Hooked<"SafeAddressEntry.Name">(*m_pSession, m_pEntry->sName); }
  std::string Address() override {
    return Hooked<"SafeAddressEntry.Address">(*m_pSession, m_pEntry->sAddress);
  }
  host::Variant Fields(int32_t nTag) override {
    m_pSession->Hit<"SafeAddressEntry.Fields">();
    const std::string* pText = nullptr;
    switch (nTag) {
      case PR_DISPLAY_NAME: pText = &m_pEntry->sName; break;
      case PR_ADDRTYPE: pText = &m_pEntry->sType; break;
      case PR_EMAIL_ADDRESS: pText = &m_pEntry->sAddress; break;
      case PR_SMTP_ADDRESS: pText = &m_pEntry->sSmtpAddress; break;
      case prop::PR_ENTRYID: return host::Variant::Bytes(BytesOfHex(m_pEntry->sEntryID));
      default: break;
    }
    // An absent property reads as Empty through Fields.
    return pText && !pText->empty() ? host::Variant(*pText) : host::Variant();
  }

 private:
  std::shared_ptr<Session> m_pSession;
  AddressBook::EntryPtr m_pEntry;
};

class SafeRecipientObj : public host::SafeRecipient {
 public:
  SafeRecipientObj(std::shared_ptr<Session> pSession, RecipientPtr pRecipient)
      : m_pSession(std::move(pSession)), m_pRecipient(std::move(pRecipient)) {}

  int32_t Type() override { return Hooked<"SafeRecipient.Type">(*m_pSession, m_pRecipient->nType); }
  void SetType(int32_t nType) override {
    m_pSession->Hit<"SafeRecipient.Type">();
    if (nType < 0 || nType > 3) host::Raise(host::err::InvalidProcedureCall);
    m_pRecipient->nType = nType;
  }
  std::string Name() override { return Hooked<"SafeRecipient.Name">(*m_pSession, m_pRecipient->sName); }
  // Nothing until the recipient is resolved.
  std::shared_ptr<host::SafeAddressEntry> AddressEntry() override {
    m_pSession->Hit<"SafeRecipient.AddressEntry">();
    if (!m_pRecipient->pEntry) return nullptr;
    return std::make_shared<SafeAddressEntryObj>(m_pSession, m_pRecipient->pEntry);
  }
  bool Resolve(const host::Variant&) override {
    m_pSession->Hit<"SafeRecipient.Resolve">();
    return ResolveRecipient(m_pSession->oModel, *m_pRecipient);
  }
  bool Resolved() override {
    m_pSession->Hit<"SafeRecipient.Resolved">();
    return m_pRecipient->pEntry != nullptr;
  }

 private:
  std::shared_ptr<Session> m_pSession;
  RecipientPtr m_pRecipient;
};

// The recipients of an item, or the members of a distribution list.
class SafeRecipientsObj : public host::SafeRecipients {
 public:
  using List = std::vector<RecipientPtr> ItemData::*;
  SafeRecipientsObj(std::shared_ptr<Session> pSession, ItemPtr pItem, List pList)
      : m_pSession(std::move(pSession)), m_pItem(std::move(pItem)), m_pList(pList) {}

  int32_t Count() override {
    m_pSession->Hit<"SafeRecipients.Count">();
    return static_cast<int32_t>(Vec().size());
  }
  std::shared_ptr<host::SafeRecipient> Item(const host::Variant& Index) override {
    m_pSession->Hit<"SafeRecipients.Item">();
    return Wrap(RecipientAt(Vec(), Index));
  }
  std::shared_ptr<host::SafeRecipient> Add(const std::string& sName) override {
    m_pSession->Hit<"SafeRecipients.Add">();
    if (host::Trim(sName).empty()) host::Raise(host::err::InvalidProcedureCall, "A recipient needs a name.");
    auto p = std::make_shared<RecipientData>();
    p->sName = sName;
    p->nType = host::olTo;
    Vec().push_back(p);
    return Wrap(p);
  }

 private:
  std::vector<RecipientPtr>& Vec() {
    if (m_pItem->bDeleted) host::Raise(host::err::E_FAIL, kItemGone);
    return (*m_pItem).*m_pList;
  }
  std::shared_ptr<host::SafeRecipient> Wrap(const RecipientPtr& p) {
    return std::make_shared<SafeRecipientObj>(m_pSession, p);
  }

  std::shared_ptr<Session> m_pSession;
  ItemPtr m_pItem;
  List m_pList;
};

// What every safe item shares: attaching an Outlook item and reading it. Faults are injected
// under "<kType>.<member>" ("SafeMailItem.Fields").
template <class Iface, MemberName kType>
class SafeItemBase : public Iface {
 public:
  explicit SafeItemBase(std::shared_ptr<Session> pSession) : m_pSession(std::move(pSession)) {}

  void SetItem(const std::shared_ptr<host::Object>& oItem) override {
    Enter<"Item">();
    if (!oItem) {
      m_oItem.reset();
      m_pItem.reset();
      return;
    }
    m_pItem = ItemOf(oItem);
    m_oItem = oItem;
  }
  std::shared_ptr<host::Object> Item() override { return Read<"Item">(m_oItem); }
  std::shared_ptr<host::SafeRecipients> Recipients() override {
    Enter<"Recipients">();
    return std::make_shared<SafeRecipientsObj>(m_pSession, Attached(), &ItemData::vecRecipients);
  }
  // An absent property reads as Empty.
  host::Variant Fields(int32_t nTag) override {
    Enter<"Fields">();
    const host::Variant* p = FindProp(*Attached(), nTag);
    return p ? *p : host::Variant();
  }

 protected:
  template <MemberName kMember>
  void Enter() {
    m_pSession->Hit<kType, kMember>();
  }
  // A member that hands out a value the model holds.
  template <MemberName kMember, class T>
  const T& Read(const T& value) {
    Enter<kMember>();
    return value;
  }
  const ItemPtr& Attached() {
    if (!m_pItem) host::Raise(host::err::ObjectNotSet, "The safe item is not attached to an Outlook item.");
    if (m_pItem->bDeleted) host::Raise(host::err::E_FAIL, kItemGone);
    return m_pItem;
  }

  std::shared_ptr<Session> m_pSession;
  std::shared_ptr<host::Object> m_oItem;
  ItemPtr m_pItem;
};

class SafeMailItemObj : public SafeItemBase<host::SafeMailItem, "SafeMailItem"> {
 public:
  using SafeItemBase::SafeItemBase;
  std::string SenderName() override {
    Enter<"SenderName">();
    return Attached()->oProps.Text(prop::PR_SENDER_NAME);
  }
};

class SafeAppointmentItemObj : public SafeItemBase<host::SafeAppointmentItem, "SafeAppointmentItem"> {
 public:
  using SafeItemBase::SafeItemBase;
  int32_t ResponseStatus() override {
    Enter<"ResponseStatus">();
    return Attached()->nResponseStatus;
  }
  std::string Organizer() override {
    Enter<"Organizer">();
    return Attached()->sOrganizer;
  }
};

class SafeTaskItemObj : public SafeItemBase<host::SafeTaskItem, "SafeTaskItem"> {
 public:
  using SafeItemBase::SafeItemBase;
};

class SafeDistListObj : public SafeItemBase<host::SafeDistList, "SafeDistList"> {
 public:
  using SafeItemBase::SafeItemBase;
  // A list's recipients are its members.
  std::shared_ptr<host::SafeRecipients> Recipients() override {
    Enter<"Recipients">();
    return std::make_shared<SafeRecipientsObj>(m_pSession, Attached(), &ItemData::vecMembers);
  }
  int32_t MemberCount() override {
    Enter<"MemberCount">();
    return static_cast<int32_t>(Attached()->vecMembers.size());
  }
};

class MAPIUtilsObj : public host::MAPIUtils {
 public:
  explicit MAPIUtilsObj(std::shared_ptr<Session> pSession) : m_pSession(std::move(pSession)) {}

  host::Variant HrGetOneProp(const std::shared_ptr<host::Object>& oItem, int32_t nTag) override {
    host::Variant v;
    if (!TryHrGetOneProp(oItem, nTag, v))
      host::Raise(kErrNotFound, "Error in HrGetOneProp: MAPI_E_NOT_FOUND");
    return v;
  }

  // The answer without raising for an absent property; an injected fault still raises.
  static_assert(kErrNotFound == host::MAPIUtils::kErrNotFound);
  bool TryHrGetOneProp(const std::shared_ptr<host::Object>& oItem, int32_t nTag,
                       host::Variant& vValue) override {
    m_pSession->Hit<"MAPIUtils.HrGetOneProp">();
    ItemPtr pItem = ItemOf(oItem);
    const host::Variant* p = FindProp(*pItem, nTag);
    if (!p) return false;
    vValue = *p;
    return true;
  }

  void HrSetOneProp(const std::shared_ptr<host::Object>& oItem, int32_t nTag, const host::Variant& Value,
                    bool bSave) override {
    m_pSession->Hit<"MAPIUtils.HrSetOneProp">();
    ItemPtr pItem = ItemOf(oItem);
    pItem->oProps.Set(nTag, CoerceToTag(nTag, Value));
    if (bSave) m_pSession->oModel.SaveItem(pItem);
  }

  int32_t GetIDsFromNames(const std::shared_ptr<host::Object>& oItem, const std::string& sGuid,
                          const host::Variant& ID, bool bCreate) override {
    m_pSession->Hit<"MAPIUtils.GetIDsFromNames">();
    ItemOf(oItem);
    if (!IsGuidText(sGuid)) host::Raise(kErrInvalidArg, "\"" + sGuid + "\" is not a GUID.");
    // Visual Basic hands ids above 0x7FFF over as negative Integers (&H8085).
    int32_t nLid = ID.Type() == host::vbInteger ? static_cast<uint16_t>(ID.ToInteger()) : ID.ToLong();
    return m_pSession->oModel.Named().Tag(sGuid, nLid, bCreate);
  }

  std::shared_ptr<host::SafeAddressEntry> GetAddressEntryFromID(const std::string& sEntryID) override {
    m_pSession->Hit<"MAPIUtils.GetAddressEntryFromID">();
    auto pEntry = m_pSession->oModel.Book().FindByID(sEntryID);
    if (!pEntry) host::Raise(kErrNotFound, "Error in GetAddressEntryFromID: MAPI_E_NOT_FOUND");
    return std::make_shared<SafeAddressEntryObj>(m_pSession, pEntry);
  }

 private:
  std::shared_ptr<Session> m_pSession;
};

template <class T>
host::ObjectRegistry::Factory FactoryOf(const char* sProgId, std::weak_ptr<Session> wSession) {
  const FaultInjector::MemberId nId = FaultInjector::Intern(sProgId);
  return [nId, wSession]() -> std::shared_ptr<host::Object> {
    auto pSession = wSession.lock();
    if (!pSession) host::Raise(host::err::CantCreateObject);
    pSession->oFaults.Hit(nId);
    return std::make_shared<T>(pSession);
  };
}

}  // namespace

void SetRedemptionInstalled(const std::shared_ptr<Session>& pSession, bool bInstalled) {
  auto& oRegistry = host::ObjectRegistry::Instance();
  std::weak_ptr<Session>& wOwner = RegisteredSession();
  if (bInstalled) {
    wOwner = pSession;
    oRegistry.Register(host::progid::SafeMailItem,
                       FactoryOf<SafeMailItemObj>(host::progid::SafeMailItem, pSession));
    oRegistry.Register(host::progid::SafeAppointmentItem,
                       FactoryOf<SafeAppointmentItemObj>(host::progid::SafeAppointmentItem, pSession));
    oRegistry.Register(host::progid::SafeTaskItem,
                       FactoryOf<SafeTaskItemObj>(host::progid::SafeTaskItem, pSession));
    oRegistry.Register(host::progid::SafeDistList,
                       FactoryOf<SafeDistListObj>(host::progid::SafeDistList, pSession));
    oRegistry.Register(host::progid::MAPIUtils, FactoryOf<MAPIUtilsObj>(host::progid::MAPIUtils, pSession));
    return;
  }
  auto pOwner = wOwner.lock();
  if (pOwner && pOwner != pSession) return;
  for (const char* sProgId : kProgIds) oRegistry.Unregister(sProgId);
  wOwner.reset();
}

bool RedemptionInstalled(const Session& oSession) {
  auto pOwner = RegisteredSession().lock();
  return pOwner.get() == &oSession &&
         host::ObjectRegistry::Instance().IsRegistered(host::progid::SafeMailItem);
}

}  // namespace sim
