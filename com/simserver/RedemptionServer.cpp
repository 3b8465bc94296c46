#include "com/simserver/RedemptionServer.h"

#include <array>
#include <vector>

#include "com/Bridge.h"
#include "com/Error.h"
#include "com/Module.h"
#include "com/Text.h"
#include "com/simserver/ServerTable.h"
#include "host/Redemption.h"

namespace com::simserver {
namespace {

using host::Variant;

// The library's members answer in a private range: clients bind by name.
constexpr DISPID kOwn = 0x7F000000;
enum : DISPID {
  kItem = kOwn + 1,
  kRecipients,
  kFields,
  kSenderName,
  kResponseStatus,
  kOrganizer,
  kMemberCount,
  kName,
  kAddress,
  kType,
  kAddressEntry,
  kResolve,
  kResolved,
  kCount,
  kAdd,
  kHrGetOneProp,
  kHrSetOneProp,
  kGetIDsFromNames,
  kGetAddressEntryFromID,
};

template <class T>
ServerTable<T>& SafeItemMembers(ServerTable<T>& c) {
  c.Get("Item", kItem, [](T& o) { return Variant(o.Item()); })
      .Put("Item", kItem, [](T& o, const Variant& v) { o.SetItem(v.IsObject() ? v.ToObject() : nullptr); })
      .Get("Recipients", kRecipients, [](T& o) { return Variant(o.Recipients()); })
      .GetWith("Fields", kFields, 1, 1, [](T& o, const Args& a) { return o.Fields(a.Long(0)); });
  return c;
}

void ExposeObjects() {
  ServerTable<host::SafeMailItem> mail("SafeMailItem");
  SafeItemMembers(mail)
      .Get("SenderName", kSenderName, [](host::SafeMailItem& o) { return Variant(o.SenderName()); })
      .Expose();
  ServerTable<host::SafeAppointmentItem> appointment("SafeAppointmentItem");
  SafeItemMembers(appointment)
      .Get("ResponseStatus", kResponseStatus,
           [](host::SafeAppointmentItem& o) { return Variant(o.ResponseStatus()); })
      .Get("Organizer", kOrganizer, [](host::SafeAppointmentItem& o) { return Variant(o.Organizer()); })
      .Expose();
  ServerTable<host::SafeTaskItem> task("SafeTaskItem");
  SafeItemMembers(task).Expose();
  ServerTable<host::SafeDistList> list("SafeDistList");
  SafeItemMembers(list)
      .Get("MemberCount", kMemberCount, [](host::SafeDistList& o) { return Variant(o.MemberCount()); })
      .Expose();

  ServerTable<host::SafeAddressEntry>("SafeAddressEntry")
      .Get("Name", kName, [](host::SafeAddressEntry& o) { return Variant(o.Name()); })
      .Get("Address", kAddress, [](host::SafeAddressEntry& o) { return Variant(o.Address()); })
      .GetWith("Fields", kFields, 1, 1,
               [](host::SafeAddressEntry& o, const Args& a) { return o.Fields(a.Long(0)); })
      .Expose();
  ServerTable<host::SafeRecipient>("SafeRecipient")
      .Get("Type", kType, [](host::SafeRecipient& o) { return Variant(o.Type()); })
      .Put("Type", kType, [](host::SafeRecipient& o, const Variant& v) { o.SetType(v.ToLong()); })
      .Get("Name", kName, [](host::SafeRecipient& o) { return Variant(o.Name()); })
      .Get("AddressEntry", kAddressEntry, [](host::SafeRecipient& o) { return Variant(o.AddressEntry()); })
      .Method("Resolve", kResolve, 0, 1,
              [](host::SafeRecipient& o, const Args& a) { return Variant(o.Resolve(OptionalArg(a, 0))); })
      .Get("Resolved", kResolved, [](host::SafeRecipient& o) { return Variant(o.Resolved()); })
      .Expose();
  ServerTable<host::SafeRecipients>("SafeRecipients")
      .Get("Count", kCount, [](host::SafeRecipients& o) { return Variant(o.Count()); })
      .Method("Item", kItem, 1, 1,
              [](host::SafeRecipients& o, const Args& a) { return Variant(o.Item(a[0])); })
      .Method("Add", kAdd, 1, 1,
              [](host::SafeRecipients& o, const Args& a) { return Variant(o.Add(a.String(0))); })
      .Expose();

  ServerTable<host::MAPIUtils>("MAPIUtils")
      .Method("HrGetOneProp", kHrGetOneProp, 2, 2,
              [](host::MAPIUtils& o, const Args& a) { return o.HrGetOneProp(a.Object(0), a.Long(1)); })
      .Method("HrSetOneProp", kHrSetOneProp, 3, 4,
              [](host::MAPIUtils& o, const Args& a) {
                o.HrSetOneProp(a.Object(0), a.Long(1), a[2], a.IsMissing(3) ? false : a.Bool(3));
                return Variant();
              })
      .Method("GetIDsFromNames", kGetIDsFromNames, 3, 4,
              [](host::MAPIUtils& o, const Args& a) {
                return Variant(
                    o.GetIDsFromNames(a.Object(0), a.String(1), a[2], a.IsMissing(3) ? false : a.Bool(3)));
              })
      .Method("GetAddressEntryFromID", kGetAddressEntryFromID, 1, 1,
              [](host::MAPIUtils& o, const Args& a) { return Variant(o.GetAddressEntryFromID(a.String(0))); })
      .Expose();
}

// The simulated library's own class IDs: the add-in reaches the library by ProgID only.
constexpr GUID SimGuid(unsigned short nClass) {
  return GUID{0x7d6c2a10, 0x51e3, nClass, {0x9b, 0x41, 0x3e, 0x0c, 0x8a, 0x72, 0x15, 0xd4}};
}

struct RegisteredClass {
  const char* sProgId;
  CLSID clsid;
  DWORD nCookie = 0;
  bool bKeyWritten = false;
};

std::array<RegisteredClass, 5>& Classes() {
  static std::array<RegisteredClass, 5> s_a{{{host::progid::SafeMailItem, SimGuid(1)},
                                             {host::progid::SafeAppointmentItem, SimGuid(2)},
                                             {host::progid::SafeTaskItem, SimGuid(3)},
                                             {host::progid::SafeDistList, SimGuid(4)},
                                             {host::progid::MAPIUtils, SimGuid(5)}}};
  return s_a;
}

// An object of the class as the simulation makes it. Never through the COM fallback: that would
// come back here.
ComPtr<IDispatch> CreateSimulated(const char* sProgId) {
  auto& oRegistry = host::ObjectRegistry::Instance();
  if (!oRegistry.IsRegistered(sProgId)) host::Raise(host::err::CantCreateObject);
  return ComPtr<IDispatch>::Attach(ExposeObject(oRegistry.Create(sProgId)));
}

std::wstring ProgIdKey(const char* sProgId) {
  return std::wstring(ClassesRootPath()) + L"\\" + Wide(sProgId) + L"\\CLSID";
}

}  // namespace

void RegisterRedemptionServers() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  ExposeObjects();
}

std::string RegisterRedemptionClasses() {
  RegisterRedemptionServers();
  EnsureComInitialized();
  for (auto& c : Classes()) {
    if (c.nCookie) continue;
    std::vector<ClassEntry> vecEntry{
        {c.clsid, c.sProgId, c.sProgId, [s = c.sProgId] { return CreateSimulated(s); }}};
    ComPtr<IClassFactory> pFactory;
    HRESULT hr = GetClassObject(vecEntry, c.clsid, IID_IClassFactory, pFactory.put_void());
    if (SUCCEEDED(hr))
      hr = CoRegisterClassObject(c.clsid, pFactory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                 &c.nCookie);
    if (FAILED(hr)) {
      UnregisterRedemptionClasses();
      return std::string("the class object of ") + c.sProgId + " was refused (" + DescriptionOfHResult(hr) +
             ")";
    }
    // The ProgID leads to the class; a ProgID that names another class (the real library) is
    // left alone, and then that library answers.
    std::wstring sKey = ProgIdKey(c.sProgId);
    std::wstring sOwner = GetStringValue(ClassesRootKey(), sKey, L"");
    if (sOwner.empty() || _wcsicmp(sOwner.c_str(), GuidString(c.clsid).c_str()) == 0) {
      if (!SetStringValue(ClassesRootKey(), sKey, L"", GuidString(c.clsid))) {
        UnregisterRedemptionClasses();
        return std::string("the key of ") + c.sProgId + " cannot be written";
      }
      c.bKeyWritten = true;
    }
  }
  return {};
}

void UnregisterRedemptionClasses() {
  for (auto& c : Classes()) {
    if (c.nCookie) CoRevokeClassObject(c.nCookie);
    c.nCookie = 0;
    if (c.bKeyWritten) {
      std::wstring sProgId = std::wstring(ClassesRootPath()) + L"\\" + Wide(c.sProgId);
      if (_wcsicmp(GetStringValue(ClassesRootKey(), sProgId + L"\\CLSID", L"").c_str(),
                   GuidString(c.clsid).c_str()) == 0)
        DeleteTree(ClassesRootKey(), sProgId);
      c.bKeyWritten = false;
    }
  }
}

}  // namespace com::simserver
