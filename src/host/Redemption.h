// The Redemption library's safe objects and MAPI utilities, created by ProgID at the point of
// use. Property tags are MAPI tags: identifier in the high 16 bits, type in the low 16 bits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "host/Error.h"
#include "host/Object.h"
#include "host/Variant.h"

namespace host {

namespace progid {
constexpr const char* SafeMailItem = "Redemption.SafeMailItem";
constexpr const char* SafeAppointmentItem = "Redemption.SafeAppointmentItem";
constexpr const char* SafeTaskItem = "Redemption.SafeTaskItem";
constexpr const char* SafeDistList = "Redemption.SafeDistList";
constexpr const char* MAPIUtils = "Redemption.MAPIUtils";
}  // namespace progid

namespace tag {
constexpr int32_t PR_SENDER_EMAIL_ADDRESS = 0x0C1F001E;
constexpr int32_t PR_ICON_INDEX = 0x10800003;
constexpr int32_t PR_ADDRTYPE = 0x3002001E;
constexpr int32_t PR_SMTP_ADDRESS = 0x39FE001E;
constexpr int32_t PT_STRING8 = 0x001E;
constexpr int32_t PT_LONG = 0x0003;
constexpr int32_t PT_BINARY = 0x0102;
}  // namespace tag

class SafeAddressEntry : public Object {
 public:
  std::string TypeName() const override { return "SafeAddressEntry"; }
  virtual std::string Name() = 0;
  virtual std::string Address() = 0;
  virtual Variant Fields(int32_t nTag) = 0;
};

class SafeRecipient : public Object {
 public:
  std::string TypeName() const override { return "SafeRecipient"; }
  virtual int32_t Type() = 0;
  virtual void SetType(int32_t nType) = 0;
  virtual std::string Name() = 0;
  virtual std::shared_ptr<SafeAddressEntry> AddressEntry() = 0;
  // True when the name or address resolved against the address book.
  virtual bool Resolve(const Variant& ShowDialog = {}) = 0;
  virtual bool Resolved() = 0;
};

class SafeRecipients : public Object {
 public:
  std::string TypeName() const override { return "SafeRecipients"; }
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<SafeRecipient> Item(const Variant& Index) = 0;  // 1-based
  virtual std::shared_ptr<SafeRecipient> Add(const std::string& sName) = 0;
};

// Common part of the safe item wrappers: Item attaches an Outlook item, Nothing detaches.
class SafeItem : public Object {
 public:
  virtual void SetItem(const std::shared_ptr<Object>& oItem) = 0;
  virtual std::shared_ptr<Object> Item() = 0;
  virtual std::shared_ptr<SafeRecipients> Recipients() = 0;
  virtual Variant Fields(int32_t nTag) = 0;
};

// An item attached to a safe wrapper for one piece of work, and detached however the work ends:
// a wrapper left holding an item would keep it alive and hand it to the next caller. Detach()
// ends the attachment where the work succeeds and lets its error through; the destructor
// detaches what is still attached and ignores errors.
class SafeItemAttachment {
 public:
  SafeItemAttachment(SafeItem& oSafeItem, const std::shared_ptr<Object>& oItem) : m_pSafeItem(&oSafeItem) {
    oSafeItem.SetItem(oItem);
  }
  ~SafeItemAttachment() {
    if (m_pSafeItem) IgnoreErrors([&] { m_pSafeItem->SetItem(nullptr); });
  }
  SafeItemAttachment(const SafeItemAttachment&) = delete;
  SafeItemAttachment& operator=(const SafeItemAttachment&) = delete;

  void Detach() {
    if (SafeItem* pSafeItem = std::exchange(m_pSafeItem, nullptr)) pSafeItem->SetItem(nullptr);
  }

 private:
  SafeItem* m_pSafeItem;
};

class SafeMailItem : public SafeItem {
 public:
  std::string TypeName() const override { return "SafeMailItem"; }
  virtual std::string SenderName() = 0;
};

class SafeAppointmentItem : public SafeItem {
 public:
  std::string TypeName() const override { return "SafeAppointmentItem"; }
  virtual int32_t ResponseStatus() = 0;
  virtual std::string Organizer() = 0;
};

class SafeTaskItem : public SafeItem {
 public:
  std::string TypeName() const override { return "SafeTaskItem"; }
};

class SafeDistList : public SafeItem {
 public:
  std::string TypeName() const override { return "SafeDistList"; }
  virtual int32_t MemberCount() = 0;
};

class MAPIUtils : public Object {
 public:
  std::string TypeName() const override { return "MAPIUtils"; }
  // MAPI_E_NOT_FOUND, the error of an absent property.
  static constexpr int32_t kErrNotFound = static_cast<int32_t>(0x8004010Fu);

  // An error when the property is absent.
  virtual Variant HrGetOneProp(const std::shared_ptr<Object>& oItem, int32_t nTag) = 0;
  // The same call for a property that is often absent (most contacts fill one of their three
  // e-mail slots): false, with vValue untouched, instead of the not-found error; any other
  // failure is raised as HrGetOneProp raises it. A library that can answer "absent" without
  // raising (the simulation) overrides it.
  virtual bool TryHrGetOneProp(const std::shared_ptr<Object>& oItem, int32_t nTag, Variant& vValue) {
    try {
      vValue = HrGetOneProp(oItem, nTag);
      return true;
    } catch (const Error& e) {
      if (e.Number() != kErrNotFound) throw;
    }
    return false;
  }
  virtual void HrSetOneProp(const std::shared_ptr<Object>& oItem, int32_t nTag, const Variant& Value,
                            bool bSave) = 0;
  // The property tag of a named property (type bits zero), 0 when the name is not defined.
  virtual int32_t GetIDsFromNames(const std::shared_ptr<Object>& oItem, const std::string& sGuid,
                                  const Variant& ID, bool bCreate) = 0;
  // Entry identifier as upper-case hexadecimal text.
  virtual std::shared_ptr<SafeAddressEntry> GetAddressEntryFromID(const std::string& sEntryID) = 0;
};

}  // namespace host
