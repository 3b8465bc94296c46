#include "com/redemption/RedemptionBinding.h"

#include <typeindex>
#include <vector>

#include "com/BoundObject.h"
#include "com/Bridge.h"
#include "com/outlook/OutlookBinding.h"
#include "host/Redemption.h"

namespace com::redemption {
namespace {

using host::Variant;
using CBound = BoundObject;

Variant AsArg(const std::shared_ptr<host::Object>& p) {
  return Variant(p);
}

class CAddressEntry : public host::SafeAddressEntry, public CBound {
 public:
  using CBound::CBound;
  std::string Name() override { return Str("Name"); }
  std::string Address() override { return Str("Address"); }
  Variant Fields(int32_t nTag) override { return m_d.Get("Fields", {nTag}); }
};

class CRecipient : public host::SafeRecipient, public CBound {
 public:
  using CBound::CBound;
  int32_t Type() override { return Long("Type"); }
  void SetType(int32_t n) override { m_d.Put("Type", n); }
  std::string Name() override { return Str("Name"); }
  std::shared_ptr<host::SafeAddressEntry> AddressEntry() override {
    return Obj<host::SafeAddressEntry>("AddressEntry");
  }
  bool Resolve(const Variant& ShowDialog) override {
    return m_d.Call("Resolve", ShowDialog.IsEmpty() ? Vars{} : Vars{ShowDialog}).ToBool();
  }
  bool Resolved() override { return m_d.Get("Resolved").ToBool(); }
};

class CRecipients : public host::SafeRecipients, public CBound {
 public:
  using CBound::CBound;
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::SafeRecipient> Item(const Variant& Index) override {
    return Obj<host::SafeRecipient>("Item", {Index});
  }
  std::shared_ptr<host::SafeRecipient> Add(const std::string& sName) override {
    return Obj<host::SafeRecipient>("Add", {sName});
  }
};

// What every safe item has: the Outlook item it is attached to, its recipients, its properties.
template <class Base>
class CSafeItem : public Base, public CBound {
 public:
  explicit CSafeItem(ComPtr<IDispatch> p) : CBound(std::move(p)) {}
  void SetItem(const std::shared_ptr<host::Object>& oItem) override { m_d.Put("Item", AsArg(oItem)); }
  std::shared_ptr<host::Object> Item() override {
    std::shared_ptr<host::Object> p = m_d.Get("Item").ToObject();
    try {
      return outlook::BindOutlookObject(p);
    } catch (const host::Error&) {
      return p;
    }
  }
  std::shared_ptr<host::SafeRecipients> Recipients() override {
    return Obj<host::SafeRecipients>("Recipients");
  }
  Variant Fields(int32_t nTag) override { return m_d.Get("Fields", {nTag}); }
};

class CSafeMailItem : public CSafeItem<host::SafeMailItem> {
 public:
  using CSafeItem::CSafeItem;
  std::string SenderName() override { return Str("SenderName"); }
};

class CSafeAppointmentItem : public CSafeItem<host::SafeAppointmentItem> {
 public:
  using CSafeItem::CSafeItem;
  int32_t ResponseStatus() override { return Long("ResponseStatus"); }
  std::string Organizer() override { return Str("Organizer"); }
};

class CSafeTaskItem : public CSafeItem<host::SafeTaskItem> {
 public:
  using CSafeItem::CSafeItem;
};

class CSafeDistList : public CSafeItem<host::SafeDistList> {
 public:
  using CSafeItem::CSafeItem;
  int32_t MemberCount() override { return Long("MemberCount"); }
};

class CMAPIUtils : public host::MAPIUtils, public CBound {
 public:
  using CBound::CBound;
  Variant HrGetOneProp(const std::shared_ptr<host::Object>& oItem, int32_t nTag) override {
    return m_d.Call("HrGetOneProp", {AsArg(oItem), nTag});
  }
  void HrSetOneProp(const std::shared_ptr<host::Object>& oItem, int32_t nTag, const Variant& Value,
                    bool bSave) override {
    m_d.Call("HrSetOneProp", {AsArg(oItem), nTag, Value, bSave});
  }
  int32_t GetIDsFromNames(const std::shared_ptr<host::Object>& oItem, const std::string& sGuid,
                          const Variant& ID, bool bCreate) override {
    return m_d.Call("GetIDsFromNames", {AsArg(oItem), sGuid, ID, bCreate}).ToLong();
  }
  std::shared_ptr<host::SafeAddressEntry> GetAddressEntryFromID(const std::string& sEntryID) override {
    return Obj<host::SafeAddressEntry>("GetAddressEntryFromID", {sEntryID});
  }
};

}  // namespace

void RegisterBinders() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  AddBound<host::SafeAddressEntry, CAddressEntry>();
  AddBound<host::SafeRecipient, CRecipient>();
  AddBound<host::SafeRecipients, CRecipients>();
  AddBound<host::SafeMailItem, CSafeMailItem>();
  AddBound<host::SafeAppointmentItem, CSafeAppointmentItem>();
  AddBound<host::SafeTaskItem, CSafeTaskItem>();
  AddBound<host::SafeDistList, CSafeDistList>();
  AddBound<host::MAPIUtils, CMAPIUtils>();
}

}  // namespace com::redemption
