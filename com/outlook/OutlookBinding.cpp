#include "com/outlook/OutlookBinding.h"

#include <typeindex>

#include "com/BoundObject.h"
#include "com/Bridge.h"
#include "com/Events.h"
#include "com/outlook/OutlookIds.h"
#include "host/Office.h"

namespace com::outlook {
namespace {

using host::Variant;

class CBound : public BoundObject {
 public:
  using BoundObject::BoundObject;

 protected:
  std::shared_ptr<host::OutlookItem> Item(const char* sName, Vars args = {}) const {
    return BindItem(m_d.Call(sName, std::move(args)).ToObject());
  }
};

// Class and Parent, which every object of the model has.
template <class Base>
class CModel : public Base, public CBound {
 public:
  explicit CModel(ComPtr<IDispatch> p) : CBound(std::move(p)) {}
  int32_t Class() override { return Long("Class"); }
  std::shared_ptr<host::OutlookObject> Parent() override {
    return BindOutlookObject(m_d.Get("Parent").ToObject());
  }
};

// Listens to the first event interface the source has, newest first (older Outlook versions
// lack the newer ones); no events when it has none.
SinkConnection AdviseFirst(IDispatch* p, const std::vector<IID>& iids,
                           const std::map<DISPID, EventHandler>& h) {
  for (const IID& iid : iids) {
    try {
      return Advise(p, iid, h);
    } catch (const host::Error&) {
    }
  }
  return {};
}

// The events of one bound object. Its sink is advised while any of the events has a handler
// and unadvised when the last one goes, so the objects nobody listens to (every item a
// gathering passes) cost Outlook no connection.
class CEventSource {
 public:
  CEventSource() = default;
  CEventSource(const CEventSource&) = delete;
  CEventSource& operator=(const CEventSource&) = delete;

  template <class... E>
  void Init(IDispatch* pSource, std::vector<IID> vecIids, std::map<DISPID, EventHandler> handlers,
            E&... events) {
    m_pSource = pSource;
    m_vecIids = std::move(vecIids);
    m_mapHandlers = std::move(handlers);
    (events.SetOnListening([this](bool b) { Listening(b); }), ...);
  }

 private:
  void Listening(bool bListening) {
    if (bListening) {
      if (m_nListening++ == 0) m_oSink = AdviseFirst(m_pSource, m_vecIids, m_mapHandlers);
    } else if (m_nListening > 0 && --m_nListening == 0) {
      m_oSink.reset();
    }
  }

  IDispatch* m_pSource = nullptr;  // the owning wrapper's, which outlives this
  std::vector<IID> m_vecIids;
  std::map<DISPID, EventHandler> m_mapHandlers;
  int m_nListening = 0;
  SinkConnection m_oSink;
};

class CAddressEntry : public CModel<host::AddressEntry> {
 public:
  using CModel::CModel;
  std::string Name() override { return Str("Name"); }
  std::string Address() override { return Str("Address"); }
  std::string Type() override { return Str("Type"); }
};

class CRecipient : public CModel<host::Recipient> {
 public:
  using CModel::CModel;
  std::string Name() override { return Str("Name"); }
  std::string Address() override { return Str("Address"); }
  int32_t Type() override { return Long("Type"); }
  void SetType(int32_t n) override { m_d.Put("Type", n); }
  bool Resolved() override { return Bool("Resolved"); }
  bool Resolve() override { return m_d.Call("Resolve").ToBool(); }
  std::shared_ptr<host::AddressEntry> AddressEntry() override {
    return Obj<host::AddressEntry>("AddressEntry");
  }
};

class CRecipients : public CModel<host::Recipients> {
 public:
  using CModel::CModel;
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::Recipient> Item(const Variant& Index) override {
    return Obj<host::Recipient>("Item", {Index});
  }
  std::shared_ptr<host::Recipient> Add(const std::string& sName) override {
    return Obj<host::Recipient>("Add", {sName});
  }
  bool ResolveAll() override { return m_d.Call("ResolveAll").ToBool(); }
};

class CLink : public CModel<host::Link> {
 public:
  using CModel::CModel;
  int32_t Type() override { return Long("Type"); }
  std::string Name() override { return Str("Name"); }
  std::shared_ptr<host::OutlookItem> Item() override { return CBound::Item("Item"); }
};

class CLinks : public CModel<host::Links> {
 public:
  using CModel::CModel;
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::Link> Item(const Variant& Index) override { return Obj<host::Link>("Item", {Index}); }
};

// The members every item has.
template <class Base>
class CItem : public CModel<Base> {
 public:
  using CModel<Base>::CModel;
  std::string EntryID() override { return this->Str("EntryID"); }
  std::string MessageClass() override { return this->Str("MessageClass"); }
  std::string Subject() override { return this->Str("Subject"); }
  void SetSubject(const std::string& s) override { this->m_d.Put("Subject", s); }
  void Display(const Variant& Modal) override { this->m_d.Call("Display", Trim({Modal})); }
  void Save() override { this->m_d.Call("Save"); }
};

class CGenericItem : public CItem<host::GenericItem> {
 public:
  using CItem::CItem;
  // Notes, posts, meeting requests: the name their type information gives ("NoteItem"), as
  // Visual Basic's TypeName would; "Item" when it gives none.
  std::string TypeName() const override {
    std::string s = CDispatchObject(ComPtr<IDispatch>(GetDispatch())).TypeName();
    return s == "Object" ? host::GenericItem::TypeName() : s;
  }
};

// The Cancel argument of an item event: by reference, handed back as the handlers left it.
EventHandler CancelEvent(host::Event<bool&>& e) {
  return [&e](const Args& a) {
    bool bCancel = a[0].IsEmpty() ? false : a[0].ToBool();
    // A handler that set Cancel and then failed has still cancelled.
    try {
      e.Raise(bCancel);
    } catch (...) {
      a.Set(0, bCancel);
      throw;
    }
    a.Set(0, bCancel);
  };
}

class CMailItem : public CItem<host::MailItem> {
 public:
  explicit CMailItem(ComPtr<IDispatch> p) : CItem(std::move(p)) {
    m_oEvents.Init(m_d.get(), {DIID_ItemEvents_10, DIID_ItemEvents},
                   {{kItemEventWrite, CancelEvent(OnWrite)},
                    {kItemEventClose, CancelEvent(OnClose)},
                    {kItemEventSend, CancelEvent(OnSend)}},
                   OnWrite, OnClose, OnSend);
  }
  std::shared_ptr<host::Recipients> Recipients() override { return Obj<host::Recipients>("Recipients"); }
  std::string SenderName() override { return Str("SenderName"); }
  std::string To() override { return Str("To"); }
  std::string CC() override { return Str("CC"); }
  std::string BCC() override { return Str("BCC"); }

 private:
  CEventSource m_oEvents;
};

class CAppointmentItem : public CItem<host::AppointmentItem> {
 public:
  using CItem::CItem;
  std::shared_ptr<host::Recipients> Recipients() override { return Obj<host::Recipients>("Recipients"); }
  std::shared_ptr<host::Links> Links() override { return Obj<host::Links>("Links"); }
  std::string Organizer() override { return Str("Organizer"); }
};

class CTaskItem : public CItem<host::TaskItem> {
 public:
  using CItem::CItem;
  std::shared_ptr<host::Recipients> Recipients() override { return Obj<host::Recipients>("Recipients"); }
  std::shared_ptr<host::Links> Links() override { return Obj<host::Links>("Links"); }
};

class CContactItem : public CItem<host::ContactItem> {
 public:
  using CItem::CItem;
  int32_t Sensitivity() override { return Long("Sensitivity"); }
  std::string FullName() override { return Str("FullName"); }
  std::string Email1Address() override { return Str("Email1Address"); }
  std::string Email2Address() override { return Str("Email2Address"); }
  std::string Email3Address() override { return Str("Email3Address"); }
};

class CDistListItem : public CItem<host::DistListItem> {
 public:
  using CItem::CItem;
  std::string DLName() override { return Str("DLName"); }
  void SetDLName(const std::string& s) override { m_d.Put("DLName", s); }
  int32_t MemberCount() override { return Long("MemberCount"); }
  std::shared_ptr<host::Recipient> GetMember(int32_t n) override {
    return Obj<host::Recipient>("GetMember", {n});
  }
  void AddMember(const std::shared_ptr<host::Recipient>& o) override {
    m_d.Call("AddMember", {Variant(std::shared_ptr<host::Object>(o))});
  }
  void AddMembers(const std::shared_ptr<host::Recipients>& o) override {
    m_d.Call("AddMembers", {Variant(std::shared_ptr<host::Object>(o))});
  }
  std::string Categories() override { return Str("Categories"); }
  void SetCategories(const std::string& s) override { m_d.Put("Categories", s); }
  std::string Body() override { return Str("Body"); }
  void SetBody(const std::string& s) override { m_d.Put("Body", s); }
};

class CItems : public CModel<host::Items> {
 public:
  explicit CItems(ComPtr<IDispatch> p) : CModel(std::move(p)) {
    m_oEvents.Init(m_d.get(), {DIID_ItemsEvents},
                   {{kItemsEventItemAdd, [this](const Args& a) { OnItemAdd.Raise(AsItem(a[0])); }},
                    {kItemsEventItemChange, [this](const Args& a) { OnItemChange.Raise(AsItem(a[0])); }},
                    {kItemsEventItemRemove, [this](const Args&) { OnItemRemove.Raise(); }}},
                   OnItemAdd, OnItemChange, OnItemRemove);
  }
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::OutlookItem> Item(const Variant& Index) override {
    return CBound::Item("Item", {Index});
  }
  std::shared_ptr<host::OutlookItem> GetFirst() override { return CBound::Item("GetFirst"); }
  std::shared_ptr<host::OutlookItem> GetNext() override { return CBound::Item("GetNext"); }
  std::shared_ptr<host::Items> Restrict(const std::string& sFilter) override {
    return Obj<host::Items>("Restrict", {sFilter});
  }
  void Sort(const std::string& sProperty, const Variant& Descending) override {
    m_d.Call("Sort", Trim({sProperty, Descending}));
  }
  std::shared_ptr<host::OutlookItem> Add(const Variant& Type) override {
    return CBound::Item("Add", Trim({Type}));
  }

 private:
  static std::shared_ptr<host::OutlookItem> AsItem(const Variant& v) { return BindItem(v.ToObject()); }
  CEventSource m_oEvents;
};

class CResults : public CModel<host::Results> {
 public:
  using CModel::CModel;
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::OutlookItem> Item(const Variant& Index) override {
    return CBound::Item("Item", {Index});
  }
  std::shared_ptr<host::OutlookItem> GetFirst() override { return CBound::Item("GetFirst"); }
  std::shared_ptr<host::OutlookItem> GetNext() override { return CBound::Item("GetNext"); }
  void Sort(const std::string& sProperty, const Variant& Descending) override {
    m_d.Call("Sort", Trim({sProperty, Descending}));
  }
};

class CSearch : public CModel<host::Search> {
 public:
  using CModel::CModel;
  std::string Tag() override { return Str("Tag"); }
  std::string Scope() override { return Str("Scope"); }
  std::string Filter() override { return Str("Filter"); }
  bool SearchSubFolders() override { return Bool("SearchSubFolders"); }
  void Stop() override { m_d.Call("Stop"); }
  std::shared_ptr<host::Results> Results() override { return Obj<host::Results>("Results"); }
};

class CFolders : public CModel<host::Folders> {
 public:
  using CModel::CModel;
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::MAPIFolder> Item(const Variant& Index) override {
    return Obj<host::MAPIFolder>("Item", {Index});
  }
  std::shared_ptr<host::MAPIFolder> GetFirst() override { return Obj<host::MAPIFolder>("GetFirst"); }
  std::shared_ptr<host::MAPIFolder> GetNext() override { return Obj<host::MAPIFolder>("GetNext"); }
};

class CMAPIFolder : public CModel<host::MAPIFolder> {
 public:
  using CModel::CModel;
  std::string Name() override { return Str("Name"); }
  std::string EntryID() override { return Str("EntryID"); }
  std::string StoreID() override { return Str("StoreID"); }
  int32_t DefaultItemType() override { return Long("DefaultItemType"); }
  std::shared_ptr<host::Folders> Folders() override { return Obj<host::Folders>("Folders"); }
  std::shared_ptr<host::Items> Items() override { return Obj<host::Items>("Items"); }
};

class CView : public CModel<host::View> {
 public:
  using CModel::CModel;
  std::string Name() override { return Str("Name"); }
  std::string XML() override { return Str("XML"); }
};

class CSelection : public CModel<host::Selection> {
 public:
  using CModel::CModel;
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::OutlookItem> Item(int32_t n) override { return CBound::Item("Item", {n}); }
};

// An event without arguments.
EventHandler NotifyEvent(host::Event<>& e) {
  return [&e](const Args&) { e.Raise(); };
}

class CExplorer : public CModel<host::Explorer> {
 public:
  explicit CExplorer(ComPtr<IDispatch> p) : CModel(std::move(p)) {
    m_oEvents.Init(m_d.get(), {DIID_ExplorerEvents_10, DIID_ExplorerEvents},
                   {{kExplorerEventActivate, NotifyEvent(OnActivate)},
                    {kExplorerEventFolderSwitch, NotifyEvent(OnFolderSwitch)},
                    {kExplorerEventSelectionChange, NotifyEvent(OnSelectionChange)},
                    {kExplorerEventClose, NotifyEvent(OnClose)}},
                   OnActivate, OnFolderSwitch, OnSelectionChange, OnClose);
  }
  // The Office command bars of the window, bound by the Office part of the binding.
  std::shared_ptr<host::CommandBars> CommandBars() override { return Obj<host::CommandBars>("CommandBars"); }
  std::shared_ptr<host::MAPIFolder> CurrentFolder() override {
    return Obj<host::MAPIFolder>("CurrentFolder");
  }
  std::shared_ptr<host::View> CurrentView() override { return Obj<host::View>("CurrentView"); }
  std::shared_ptr<host::Selection> Selection() override { return Obj<host::Selection>("Selection"); }
  std::string Caption() override { return Str("Caption"); }

 private:
  CEventSource m_oEvents;
};

class CExplorers : public CModel<host::Explorers> {
 public:
  explicit CExplorers(ComPtr<IDispatch> p) : CModel(std::move(p)) {
    m_oEvents.Init(m_d.get(), {DIID_ExplorersEvents},
                   {{kExplorersEventNewExplorer,
                     [this](const Args& a) { OnNewExplorer.Raise(Bind<host::Explorer>(a[0])); }}},
                   OnNewExplorer);
  }
  int32_t Count() override { return Long("Count"); }
  std::shared_ptr<host::Explorer> Item(int32_t n) override { return Obj<host::Explorer>("Item", {n}); }

 private:
  CEventSource m_oEvents;
};

class CNameSpace : public CModel<host::NameSpace> {
 public:
  using CModel::CModel;
  std::shared_ptr<host::MAPIFolder> GetDefaultFolder(int32_t n) override {
    return Obj<host::MAPIFolder>("GetDefaultFolder", {n});
  }
  std::shared_ptr<host::MAPIFolder> GetFolderFromID(const std::string& sEntryID,
                                                    const Variant& StoreID) override {
    return Obj<host::MAPIFolder>("GetFolderFromID", Trim({sEntryID, StoreID}));
  }
  std::shared_ptr<host::OutlookItem> GetItemFromID(const std::string& sEntryID,
                                                   const Variant& StoreID) override {
    return CBound::Item("GetItemFromID", Trim({sEntryID, StoreID}));
  }
  std::shared_ptr<host::Folders> Folders() override { return Obj<host::Folders>("Folders"); }
  std::shared_ptr<host::Recipient> CreateRecipient(const std::string& sName) override {
    return Obj<host::Recipient>("CreateRecipient", {sName});
  }
};

class CApplication : public CModel<host::Application> {
 public:
  explicit CApplication(ComPtr<IDispatch> p) : CModel(std::move(p)) {
    // AdvancedSearchComplete is in the event interfaces of Outlook 2002 and later only.
    m_oEvents.Init(m_d.get(), {DIID_ApplicationEvents_11, DIID_ApplicationEvents_10},
                   {{kAppEventAdvancedSearchComplete,
                     [this](const Args& a) { OnAdvancedSearchComplete.Raise(Bind<host::Search>(a[0])); }}},
                   OnAdvancedSearchComplete);
  }
  std::shared_ptr<host::Explorers> Explorers() override { return Obj<host::Explorers>("Explorers"); }
  std::shared_ptr<host::Explorer> ActiveExplorer() override { return Obj<host::Explorer>("ActiveExplorer"); }
  std::shared_ptr<host::NameSpace> Session() override { return Obj<host::NameSpace>("Session"); }
  std::string Version() override { return Str("Version"); }
  std::shared_ptr<host::OutlookItem> CreateItem(int32_t n) override {
    return CBound::Item("CreateItem", {n});
  }
  std::shared_ptr<host::Search> AdvancedSearch(const std::string& sScope, const Variant& Filter,
                                               const Variant& SearchSubFolders, const Variant& Tag) override {
    return Obj<host::Search>("AdvancedSearch", Trim({sScope, Filter, SearchSubFolders, Tag}));
  }

 private:
  CEventSource m_oEvents;
};

}  // namespace

namespace {

struct Kind {
  const IID& iid;
  std::shared_ptr<host::Object> (*fnBind)(const std::shared_ptr<host::Object>&);
};

template <class T>
std::shared_ptr<host::Object> BindTo(const std::shared_ptr<host::Object>& p) {
  return Bind<T>(p);
}

const Kind kItemKinds[] = {
    {IID__MailItem, BindTo<host::MailItem>},         {IID__ContactItem, BindTo<host::ContactItem>},
    {IID__DistListItem, BindTo<host::DistListItem>}, {IID__AppointmentItem, BindTo<host::AppointmentItem>},
    {IID__TaskItem, BindTo<host::TaskItem>},
};
const Kind kOtherKinds[] = {
    {IID_MAPIFolder, BindTo<host::MAPIFolder>},
    {IID__Items, BindTo<host::Items>},
    {IID_Recipient, BindTo<host::Recipient>},
    {IID_Recipients, BindTo<host::Recipients>},
    {IID__NameSpace, BindTo<host::NameSpace>},
    {IID__Explorer, BindTo<host::Explorer>},
    {IID__Explorers, BindTo<host::Explorers>},
    {IID_Selection, BindTo<host::Selection>},
    {IID_Search, BindTo<host::Search>},
    {IID__Results, BindTo<host::Results>},
    {IID__Application, BindTo<host::Application>},
};

// The kind an object is, told by the dual interface it answers to. Asking costs no call into
// the object model, so Outlook sees exactly the calls the add-in makes (and fails exactly
// those); nullptr when it answers none of them.
template <size_t N>
std::shared_ptr<host::OutlookObject> BindByInterface(CDispatchObject& o,
                                                     const std::shared_ptr<host::Object>& p,
                                                     const Kind (&kinds)[N]) {
  for (const Kind& k : kinds) {
    ComPtr<IUnknown> pAs;
    if (SUCCEEDED(o.GetDispatch()->QueryInterface(k.iid, pAs.put_void())) && pAs)
      return host::As<host::OutlookObject>(k.fnBind(p));
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<host::OutlookItem> BindItem(const std::shared_ptr<host::Object>& p) {
  if (!p) return nullptr;
  auto* pGeneric = dynamic_cast<CDispatchObject*>(p.get());
  if (!pGeneric) return host::As<host::OutlookItem>(p);
  if (auto o = BindByInterface(*pGeneric, p, kItemKinds)) return host::As<host::OutlookItem>(o);
  // Notes, posts, journal entries, meeting requests and the rest: the common members only.
  return Bind<host::GenericItem>(p);
}

std::shared_ptr<host::OutlookObject> BindOutlookObject(const std::shared_ptr<host::Object>& p) {
  if (!p) return nullptr;
  auto* pGeneric = dynamic_cast<CDispatchObject*>(p.get());
  if (!pGeneric) return host::As<host::OutlookObject>(p);
  if (auto o = BindByInterface(*pGeneric, p, kItemKinds)) return o;
  if (auto o = BindByInterface(*pGeneric, p, kOtherKinds)) return o;
  // Objects without a dual interface of their own (views, folder collections, address
  // entries, links) and items of no kind listed: their Class decides.
  int32_t nClass = pGeneric->Disp().Get("Class").ToLong();
  switch (nClass) {
    case host::olApplication: return Bind<host::Application>(p);
    case host::olNamespace: return Bind<host::NameSpace>(p);
    case host::olFolder: return Bind<host::MAPIFolder>(p);
    case host::olFolders: return Bind<host::Folders>(p);
    case host::olItems: return Bind<host::Items>(p);
    case host::olSearch: return Bind<host::Search>(p);
    case host::olResults: return Bind<host::Results>(p);
    case host::olSelection: return Bind<host::Selection>(p);
    case host::olView: return Bind<host::View>(p);
    case host::olRecipient: return Bind<host::Recipient>(p);
    case host::olRecipients: return Bind<host::Recipients>(p);
    case host::olAddressEntry: return Bind<host::AddressEntry>(p);
    case host::olLinks: return Bind<host::Links>(p);
    case host::olLink: return Bind<host::Link>(p);
    case host::olExplorer: return Bind<host::Explorer>(p);
    case host::olExplorers: return Bind<host::Explorers>(p);
    case host::olMail: return Bind<host::MailItem>(p);
    case host::olAppointment: return Bind<host::AppointmentItem>(p);
    case host::olTask: return Bind<host::TaskItem>(p);
    case host::olContact: return Bind<host::ContactItem>(p);
    case host::olDistributionList: return Bind<host::DistListItem>(p);
    default: return Bind<host::GenericItem>(p);
  }
}

void RegisterBinders() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  AddBound<host::Application, CApplication>();
  AddBound<host::NameSpace, CNameSpace>();
  AddBound<host::Folders, CFolders>();
  AddBound<host::MAPIFolder, CMAPIFolder>();
  AddBound<host::Items, CItems>();
  AddBound<host::Results, CResults>();
  AddBound<host::Search, CSearch>();
  AddBound<host::View, CView>();
  AddBound<host::Explorer, CExplorer>();
  AddBound<host::Explorers, CExplorers>();
  AddBound<host::Selection, CSelection>();
  AddBound<host::Recipient, CRecipient>();
  AddBound<host::Recipients, CRecipients>();
  AddBound<host::AddressEntry, CAddressEntry>();
  AddBound<host::Link, CLink>();
  AddBound<host::Links, CLinks>();
  AddBound<host::MailItem, CMailItem>();
  AddBound<host::AppointmentItem, CAppointmentItem>();
  AddBound<host::TaskItem, CTaskItem>();
  AddBound<host::ContactItem, CContactItem>();
  AddBound<host::DistListItem, CDistListItem>();
  AddBound<host::GenericItem, CGenericItem>();
  // An item asked for as any item: its class decides.
  AddBinder(typeid(host::OutlookItem), [](ComPtr<IDispatch> p) -> std::shared_ptr<host::Object> {
    return BindItem(std::make_shared<CDispatchObject>(std::move(p)));
  });
}

}  // namespace com::outlook
