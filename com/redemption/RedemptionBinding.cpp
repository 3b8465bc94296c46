#include "com/redemption/RedemptionBinding.h"

#include <typeindex>
#include <vector>

#include "com/Bridge.h"
#include "com/outlook/OutlookBinding.h"
#include "host/Redemption.h"

namespace com::redemption {
namespace {

using host::Variant;
using Vars = std::vector<Variant>;

Variant AsArg(const std::shared_ptr<host::Object>& p) {
  return Variant(p);
}

class CBound : public DispatchHolder {
 public:
  explicit CBound(ComPtr<IDispatch> p) : m_d(std::move(p)) {}
  IDispatch* GetDispatch() const override { return m_d.get(); }

 protected:
  std::string Str(const char* sName) const { return m_d.Get(sName).ToString(); }
  int32_t Long(const char* sName) const { return m_d.Get(sName).ToLong(); }
  template <class T>
  std::shared_ptr<T> Obj(const char* sName, Vars args = {}) const {
    return Bind<T>(m_d.Call(sName, std::move(args)));
  }
  mutable Dispatch m_d;
};

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

template <class Interface, class Wrapper>
void Add() {
  AddBinder(typeid(Interface), [](ComPtr<IDispatch> p) -> std::shared_ptr<host::Object> {
    return std::make_shared<Wrapper>(std::move(p));
  });
}

}  // namespace

void RegisterBinders() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  Add<host::SafeAddressEntry, CAddressEntry>();
  Add<host::SafeRecipient, CRecipient>();
  Add<host::SafeRecipients, CRecipients>();
  Add<host::SafeMailItem, CSafeMailItem>();
  Add<host::SafeAppointmentItem, CSafeAppointmentItem>();
  Add<host::SafeTaskItem, CSafeTaskItem>();
  Add<host::SafeDistList, CSafeDistList>();
  Add<host::MAPIUtils, CMAPIUtils>();
}

}  // namespace com::redemption
