#include "com/simserver/OutlookServer.h"

#include "com/Bridge.h"
#include "com/DispatchServer.h"
#include "com/outlook/OutlookIds.h"
#include "com/simserver/ServerTable.h"
#include "host/Office.h"
#include "host/Outlook.h"

namespace com::simserver {
namespace {

using host::Variant;
using namespace com::outlook;

// A member table of the Outlook object model, with the members its objects share.
template <class T>
class ClassOf : public ServerTable<T> {
 public:
  using ServerTable<T>::ServerTable;
  // Class and Parent, which every object of the model has.
  ClassOf& Model() {
    this->Get("Class", kClass, [](T& o) { return Variant(o.Class()); });
    this->Get("Parent", kParent, [](T& o) { return Variant(o.Parent()); });
    return *this;
  }
  // Count, Item, GetFirst, GetNext of the collections.
  ClassOf& Walk() {
    this->Get("Count", kCount, [](T& o) { return Variant(o.Count()); });
    this->Method("Item", kItem, 1, 1, [](T& o, const Args& a) { return Variant(o.Item(a[0])); });
    this->Method("GetFirst", kGetFirst, 0, 0, [](T& o, const Args&) { return Variant(o.GetFirst()); });
    this->Method("GetNext", kGetNext, 0, 0, [](T& o, const Args&) { return Variant(o.GetNext()); });
    return *this;
  }
};

// A Cancel-style event: the value goes to the sinks by reference and comes back.
std::function<void(bool&)> CancelEvent(CServer& s, DISPID nId) {
  return [&s, nId](bool& bCancel) {
    std::vector<Variant> args{Variant(bCancel)};
    // A sink that set Cancel and then failed has still cancelled.
    try {
      s.Raise(nId, args, {0});
    } catch (...) {
      bCancel = args[0].ToBool();
      throw;
    }
    bCancel = args[0].ToBool();
  };
}

template <class T>
ClassOf<T>& ItemMembers(ClassOf<T>& c) {
  c.Model()
      .Get("EntryID", kEntryID, [](T& o) { return Variant(o.EntryID()); })
      .Get("MessageClass", kMessageClass, [](T& o) { return Variant(o.MessageClass()); })
      .Get("Subject", kSubject, [](T& o) { return Variant(o.Subject()); })
      .Put("Subject", kSubject, [](T& o, const Variant& v) { o.SetSubject(v.ToString()); })
      .Method("Display", kDisplay, 0, 1,
              [](T& o, const Args& a) {
                o.Display(OptionalArg(a, 0));
                return Variant();
              })
      .Method("Save", kSave, 0, 0, [](T& o, const Args&) {
        o.Save();
        return Variant();
      });
  return c;
}

// Dispatch IDs for members whose Outlook numbers are not needed by any client (clients bind
// by name): a private range, clear of Outlook's.
constexpr DISPID kOwn = 0x7F000000;

void ExposeItems() {
  ClassOf<host::MailItem> mail("MailItem");
  ItemMembers(mail)
      .Interface(IID__MailItem)
      .Get("Recipients", kRecipients, [](host::MailItem& o) { return Variant(o.Recipients()); })
      .Get("SenderName", kSenderName, [](host::MailItem& o) { return Variant(o.SenderName()); })
      .Get("To", kTo, [](host::MailItem& o) { return Variant(o.To()); })
      .Get("CC", kCC, [](host::MailItem& o) { return Variant(o.CC()); })
      .Get("BCC", kBCC, [](host::MailItem& o) { return Variant(o.BCC()); })
      .Events(DIID_ItemEvents, {kItemEventWrite, kItemEventClose, kItemEventSend})
      .Events(DIID_ItemEvents_10, {kItemEventWrite, kItemEventClose, kItemEventSend})
      .Connect([](CServer& s, host::MailItem& o) {
        std::vector<host::Connection> v;
        v.push_back(o.OnWrite.Connect(CancelEvent(s, kItemEventWrite)));
        v.push_back(o.OnClose.Connect(CancelEvent(s, kItemEventClose)));
        v.push_back(o.OnSend.Connect(CancelEvent(s, kItemEventSend)));
        return v;
      })
      .Expose();

  ClassOf<host::AppointmentItem> appointment("AppointmentItem");
  ItemMembers(appointment)
      .Interface(IID__AppointmentItem)
      .Get("Recipients", kRecipients, [](host::AppointmentItem& o) { return Variant(o.Recipients()); })
      .Get("Links", kOwn + 1, [](host::AppointmentItem& o) { return Variant(o.Links()); })
      .Get("Organizer", kOwn + 2, [](host::AppointmentItem& o) { return Variant(o.Organizer()); })
      .Expose();

  ClassOf<host::TaskItem> task("TaskItem");
  ItemMembers(task)
      .Interface(IID__TaskItem)
      .Get("Recipients", kRecipients, [](host::TaskItem& o) { return Variant(o.Recipients()); })
      .Get("Links", kOwn + 1, [](host::TaskItem& o) { return Variant(o.Links()); })
      .Expose();

  ClassOf<host::ContactItem> contact("ContactItem");
  ItemMembers(contact)
      .Interface(IID__ContactItem)
      .Get("Sensitivity", kOwn + 3, [](host::ContactItem& o) { return Variant(o.Sensitivity()); })
      .Get("FullName", kName, [](host::ContactItem& o) { return Variant(o.FullName()); })
      .Get("Email1Address", 32899, [](host::ContactItem& o) { return Variant(o.Email1Address()); })
      .Get("Email2Address", 32915, [](host::ContactItem& o) { return Variant(o.Email2Address()); })
      .Get("Email3Address", 32931, [](host::ContactItem& o) { return Variant(o.Email3Address()); })
      .Expose();

  ClassOf<host::DistListItem> list("DistListItem");
  ItemMembers(list)
      .Interface(IID__DistListItem)
      .Get("DLName", 32851, [](host::DistListItem& o) { return Variant(o.DLName()); })
      .Put("DLName", 32851, [](host::DistListItem& o, const Variant& v) { o.SetDLName(v.ToString()); })
      .Get("MemberCount", 32843, [](host::DistListItem& o) { return Variant(o.MemberCount()); })
      .Method("GetMember", 63749, 1, 1,
              [](host::DistListItem& o, const Args& a) { return Variant(o.GetMember(a.Long(0))); })
      .Method("AddMember", 64140, 1, 1,
              [](host::DistListItem& o, const Args& a) {
                o.AddMember(a.ObjectAs<host::Recipient>(0));
                return Variant();
              })
      .Method("AddMembers", 63744, 1, 1,
              [](host::DistListItem& o, const Args& a) {
                o.AddMembers(a.ObjectAs<host::Recipients>(0));
                return Variant();
              })
      .Get("Categories", kOwn + 4, [](host::DistListItem& o) { return Variant(o.Categories()); })
      .Put("Categories", kOwn + 4,
           [](host::DistListItem& o, const Variant& v) { o.SetCategories(v.ToString()); })
      .Get("Body", kBody, [](host::DistListItem& o) { return Variant(o.Body()); })
      .Put("Body", kBody, [](host::DistListItem& o, const Variant& v) { o.SetBody(v.ToString()); })
      .Expose();

  ClassOf<host::OutlookItem> other("Item");
  ItemMembers(other).Expose();
}

void ExposeRecipients() {
  ClassOf<host::AddressEntry>("AddressEntry")
      .Model()
      .Get("Name", kName, [](host::AddressEntry& o) { return Variant(o.Name()); })
      .Get("Address", 12291, [](host::AddressEntry& o) { return Variant(o.Address()); })
      .Get("Type", 3093, [](host::AddressEntry& o) { return Variant(o.Type()); })
      .Expose();
  ClassOf<host::Recipient>("Recipient")
      .Model()
      .Interface(IID_Recipient)
      .Get("Name", kName, [](host::Recipient& o) { return Variant(o.Name()); })
      .Get("Address", 12291, [](host::Recipient& o) { return Variant(o.Address()); })
      .Get("Type", 3093, [](host::Recipient& o) { return Variant(o.Type()); })
      .Put("Type", 3093, [](host::Recipient& o, const Variant& v) { o.SetType(v.ToLong()); })
      .Get("Resolved", 100, [](host::Recipient& o) { return Variant(o.Resolved()); })
      .Method("Resolve", 113, 0, 0, [](host::Recipient& o, const Args&) { return Variant(o.Resolve()); })
      .Get("AddressEntry", 121, [](host::Recipient& o) { return Variant(o.AddressEntry()); })
      .Expose();
  ClassOf<host::Recipients>("Recipients")
      .Model()
      .Interface(IID_Recipients)
      .Get("Count", kCount, [](host::Recipients& o) { return Variant(o.Count()); })
      .Method("Item", kItem, 1, 1, [](host::Recipients& o, const Args& a) { return Variant(o.Item(a[0])); })
      .Method("Add", 111, 1, 1,
              [](host::Recipients& o, const Args& a) { return Variant(o.Add(a.String(0))); })
      .Method("ResolveAll", 126, 0, 0,
              [](host::Recipients& o, const Args&) { return Variant(o.ResolveAll()); })
      .Expose();
  ClassOf<host::Link>("Link")
      .Model()
      .Get("Type", kOwn + 5, [](host::Link& o) { return Variant(o.Type()); })
      .Get("Name", kName, [](host::Link& o) { return Variant(o.Name()); })
      .Get("Item", kOwn + 6, [](host::Link& o) { return Variant(o.Item()); })
      .Expose();
  ClassOf<host::Links>("Links")
      .Model()
      .Get("Count", kCount, [](host::Links& o) { return Variant(o.Count()); })
      .Method("Item", kItem, 1, 1, [](host::Links& o, const Args& a) { return Variant(o.Item(a[0])); })
      .Expose();
}

void ExposeFolders() {
  ClassOf<host::Items>("Items")
      .Model()
      .Walk()
      .Interface(IID__Items)
      .Method("Restrict", kRestrict, 1, 1,
              [](host::Items& o, const Args& a) { return Variant(o.Restrict(a.String(0))); })
      .Method("Sort", kSort, 1, 2,
              [](host::Items& o, const Args& a) {
                o.Sort(a.String(0), OptionalArg(a, 1));
                return Variant();
              })
      .Method("Add", kAdd, 0, 1,
              [](host::Items& o, const Args& a) { return Variant(o.Add(OptionalArg(a, 0))); })
      .Events(DIID_ItemsEvents, {kItemsEventItemAdd, kItemsEventItemChange, kItemsEventItemRemove})
      .Connect([](CServer& s, host::Items& o) {
        std::vector<host::Connection> v;
        v.push_back(o.OnItemAdd.Connect([&s](std::shared_ptr<host::OutlookItem> p) {
          std::vector<Variant> a{Variant(p)};
          s.Raise(kItemsEventItemAdd, a);
        }));
        v.push_back(o.OnItemChange.Connect([&s](std::shared_ptr<host::OutlookItem> p) {
          std::vector<Variant> a{Variant(p)};
          s.Raise(kItemsEventItemChange, a);
        }));
        v.push_back(o.OnItemRemove.Connect([&s] {
          std::vector<Variant> a;
          s.Raise(kItemsEventItemRemove, a);
        }));
        return v;
      })
      .Expose();
  ClassOf<host::Results>("Results")
      .Model()
      .Walk()
      .Interface(IID__Results)
      .Method("Sort", kSort, 1, 2,
              [](host::Results& o, const Args& a) {
                o.Sort(a.String(0), OptionalArg(a, 1));
                return Variant();
              })
      .Expose();
  ClassOf<host::Folders>("Folders")
      .Model()
      .Get("Count", kCount, [](host::Folders& o) { return Variant(o.Count()); })
      .Method("Item", kItem, 1, 1, [](host::Folders& o, const Args& a) { return Variant(o.Item(a[0])); })
      .Method("GetFirst", kGetFirst, 0, 0,
              [](host::Folders& o, const Args&) { return Variant(o.GetFirst()); })
      .Method("GetNext", kGetNext, 0, 0, [](host::Folders& o, const Args&) { return Variant(o.GetNext()); })
      .Expose();
  ClassOf<host::MAPIFolder>("MAPIFolder")
      .Model()
      .Interface(IID_MAPIFolder)
      .Get("Name", kName, [](host::MAPIFolder& o) { return Variant(o.Name()); })
      .Get("EntryID", kEntryID, [](host::MAPIFolder& o) { return Variant(o.EntryID()); })
      .Get("StoreID", kStoreID, [](host::MAPIFolder& o) { return Variant(o.StoreID()); })
      .Get("DefaultItemType", kDefaultItemType,
           [](host::MAPIFolder& o) { return Variant(o.DefaultItemType()); })
      .Get("Folders", kFolderFolders, [](host::MAPIFolder& o) { return Variant(o.Folders()); })
      .Get("Items", kFolderItems, [](host::MAPIFolder& o) { return Variant(o.Items()); })
      .Expose();
  ClassOf<host::Search>("Search")
      .Model()
      .Interface(IID_Search)
      .Get("Tag", kSearchTag, [](host::Search& o) { return Variant(o.Tag()); })
      .Get("Scope", kSearchScope, [](host::Search& o) { return Variant(o.Scope()); })
      .Get("Filter", kSearchFilter, [](host::Search& o) { return Variant(o.Filter()); })
      .Get("SearchSubFolders", kSearchSubFolders,
           [](host::Search& o) { return Variant(o.SearchSubFolders()); })
      .Method("Stop", kSearchStop, 0, 0,
              [](host::Search& o, const Args&) {
                o.Stop();
                return Variant();
              })
      .Get("Results", kSearchResults, [](host::Search& o) { return Variant(o.Results()); })
      .Expose();
}

void ExposeWindows() {
  // Outlook 2002 and later have both event interfaces; a client advises to the newest it knows.
  const std::vector<DISPID> vecExplorerEvents{kExplorerEventActivate, kExplorerEventFolderSwitch,
                                              kExplorerEventSelectionChange, kExplorerEventClose};
  ClassOf<host::Explorer>("Explorer")
      .Model()
      .Interface(IID__Explorer)
      .Get("CommandBars", kCommandBars, [](host::Explorer& o) { return Variant(o.CommandBars()); })
      .Get("CurrentFolder", kCurrentFolder, [](host::Explorer& o) { return Variant(o.CurrentFolder()); })
      .Get("CurrentView", kCurrentView, [](host::Explorer& o) { return Variant(o.CurrentView()); })
      .Get("Selection", kSelection, [](host::Explorer& o) { return Variant(o.Selection()); })
      .Get("Caption", kCaption, [](host::Explorer& o) { return Variant(o.Caption()); })
      .Events(DIID_ExplorerEvents_10, vecExplorerEvents)
      .Events(DIID_ExplorerEvents, vecExplorerEvents)
      .Connect([](CServer& s, host::Explorer& o) {
        std::vector<host::Connection> v;
        v.push_back(o.OnActivate.Connect(NotifyEvent(s, kExplorerEventActivate)));
        v.push_back(o.OnFolderSwitch.Connect(NotifyEvent(s, kExplorerEventFolderSwitch)));
        v.push_back(o.OnSelectionChange.Connect(NotifyEvent(s, kExplorerEventSelectionChange)));
        v.push_back(o.OnClose.Connect(NotifyEvent(s, kExplorerEventClose)));
        return v;
      })
      .Expose();
  ClassOf<host::Explorers>("Explorers")
      .Model()
      .Interface(IID__Explorers)
      .Get("Count", kCount, [](host::Explorers& o) { return Variant(o.Count()); })
      .Method("Item", kItem, 1, 1,
              [](host::Explorers& o, const Args& a) { return Variant(o.Item(a.Long(0))); })
      .Events(DIID_ExplorersEvents, {kExplorersEventNewExplorer})
      .Connect([](CServer& s, host::Explorers& o) {
        std::vector<host::Connection> v;
        v.push_back(o.OnNewExplorer.Connect([&s](std::shared_ptr<host::Explorer> p) {
          std::vector<Variant> a{Variant(p)};
          s.Raise(kExplorersEventNewExplorer, a);
        }));
        return v;
      })
      .Expose();
}

void ExposeSession() {
  ClassOf<host::NameSpace>("NameSpace")
      .Model()
      .Interface(IID__NameSpace)
      .Method("GetDefaultFolder", kGetDefaultFolder, 1, 1,
              [](host::NameSpace& o, const Args& a) { return Variant(o.GetDefaultFolder(a.Long(0))); })
      .Method("GetFolderFromID", kGetFolderFromID, 1, 2,
              [](host::NameSpace& o, const Args& a) {
                return Variant(o.GetFolderFromID(a.String(0), OptionalArg(a, 1)));
              })
      .Method("GetItemFromID", kGetItemFromID, 1, 2,
              [](host::NameSpace& o, const Args& a) {
                return Variant(o.GetItemFromID(a.String(0), OptionalArg(a, 1)));
              })
      .Get("Folders", kNsFolders, [](host::NameSpace& o) { return Variant(o.Folders()); })
      .Method("CreateRecipient", kCreateRecipient, 1, 1,
              [](host::NameSpace& o, const Args& a) { return Variant(o.CreateRecipient(a.String(0))); })
      .Expose();
  ClassOf<host::View>("View")
      .Model()
      .Get("Name", kName, [](host::View& o) { return Variant(o.Name()); })
      .Get("XML", kOwn + 7, [](host::View& o) { return Variant(o.XML()); })
      .Expose();
  ClassOf<host::Selection>("Selection")
      .Model()
      .Interface(IID_Selection)
      .Get("Count", kCount, [](host::Selection& o) { return Variant(o.Count()); })
      .Method("Item", kItem, 1, 1,
              [](host::Selection& o, const Args& a) { return Variant(o.Item(a.Long(0))); })
      .Expose();
  ClassOf<host::Application>("Application")
      .Model()
      .Interface(IID__Application)
      .Get("Session", kSession, [](host::Application& o) { return Variant(o.Session()); })
      .Method("GetNamespace", kGetNamespace, 1, 1,
              [](host::Application& o, const Args& a) {
                if (a.String(0) != "MAPI") host::Raise(host::err::InvalidProcedureCall);
                return Variant(o.Session());
              })
      .Get("Version", kVersion, [](host::Application& o) { return Variant(o.Version()); })
      .Get("Explorers", kExplorers, [](host::Application& o) { return Variant(o.Explorers()); })
      .Method("ActiveExplorer", kActiveExplorer, 0, 0,
              [](host::Application& o, const Args&) { return Variant(o.ActiveExplorer()); })
      .Method("CreateItem", kCreateItem, 1, 1,
              [](host::Application& o, const Args& a) { return Variant(o.CreateItem(a.Long(0))); })
      .Method("AdvancedSearch", kAdvancedSearch, 1, 4,
              [](host::Application& o, const Args& a) {
                return Variant(
                    o.AdvancedSearch(a.String(0), OptionalArg(a, 1), OptionalArg(a, 2), OptionalArg(a, 3)));
              })
      // Every version's event interface: a client advises to the newest it knows.
      .Events(DIID_ApplicationEvents_10, {kAppEventAdvancedSearchComplete})
      .Events(DIID_ApplicationEvents_11, {kAppEventAdvancedSearchComplete})
      .Events(DIID_ApplicationEvents, {})
      .Connect([](CServer& s, host::Application& o) {
        std::vector<host::Connection> v;
        v.push_back(o.OnAdvancedSearchComplete.Connect([&s](std::shared_ptr<host::Search> p) {
          std::vector<Variant> a{Variant(p)};
          s.Raise(kAppEventAdvancedSearchComplete, a);
        }));
        return v;
      })
      .Expose();
}

}  // namespace

void RegisterOutlookServers() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  // Specific kinds before the general item.
  ExposeItems();
  ExposeRecipients();
  ExposeFolders();
  ExposeSession();
  ExposeWindows();
}

}  // namespace com::simserver
