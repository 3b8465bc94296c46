// The Outlook object model as the add-in sees it. Members carry Outlook's own names; a property
// is read with Name() and written with SetName(). Events are public Event members named
// after Outlook's event with an "On" prefix (Explorer.Close -> OnClose). Every member may throw
// host::Error.
//
// These interfaces must stay bindable to the real object model over IDispatch: they assume
// nothing about the simulation behind them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/Event.h"
#include "host/Object.h"
#include "host/Variant.h"

namespace host {

class Application;
class Explorers;
class Explorer;
class NameSpace;
class MAPIFolder;
class Folders;
class Items;
class Search;
class Results;
class Selection;
class View;
class Recipients;
class Recipient;
class AddressEntry;
class Links;
class Link;
class OutlookItem;
class CommandBars;

// OlObjectClass values the add-in tells apart.
enum OlObjectClass : int32_t {
  olApplication = 0,
  olNamespace = 1,
  olFolder = 2,
  olRecipient = 4,
  olAddressEntry = 8,
  olExplorer = 34,
  olExplorers = 60,
  olInspector = 35,
  olView = 80,
  olSearch = 77,
  olResults = 78,
  olItems = 16,
  olSelection = 74,
  olLinks = 76,
  olLink = 75,
  olRecipients = 17,
  olFolders = 15,
  olAppointment = 26,
  olContact = 40,
  olMail = 43,
  olNote = 44,
  olPost = 45,
  olTask = 48,
  olMeetingRequest = 53,
  olDistributionList = 69,
};

// OlItemType: DefaultItemType of a folder, argument of CreateItem and Items.Add.
enum OlItemType : int32_t {
  olMailItem = 0,
  olAppointmentItem = 1,
  olContactItem = 2,
  olTaskItem = 3,
  olJournalItem = 4,
  olNoteItem = 5,
  olPostItem = 6,
  olDistributionListItem = 7,
};

// OlDefaultFolders used by the add-in.
enum OlDefaultFolders : int32_t {
  olFolderDeletedItems = 3,
  olFolderOutbox = 4,
  olFolderSentMail = 5,
  olFolderInbox = 6,
  olFolderCalendar = 9,
  olFolderContacts = 10,
  olFolderJournal = 11,
  olFolderNotes = 12,
  olFolderTasks = 13,
  olFolderDrafts = 16,
  olFolderJunk = 23,
};

enum OlMailRecipientType : int32_t { olOriginator = 0, olTo = 1, olCC = 2, olBCC = 3 };
enum OlSensitivity : int32_t { olNormal = 0, olPersonal = 1, olPrivate = 2, olConfidential = 3 };
enum OlResponseStatus : int32_t {
  olResponseNone = 0,
  olResponseOrganized = 1,
  olResponseTentative = 2,
  olResponseAccepted = 3,
  olResponseDeclined = 4,
  olResponseNotResponded = 5,
};

// Anything of the object model that has a Class and a Parent.
class OutlookObject : public Object {
 public:
  virtual int32_t Class() = 0;
  // A folder's parent is a folder or the namespace; an item's parent is its folder.
  virtual std::shared_ptr<OutlookObject> Parent() = 0;
};

class Application : public OutlookObject {
 public:
  std::string TypeName() const override { return "Application"; }
  virtual std::shared_ptr<host::Explorers> Explorers() = 0;
  virtual std::shared_ptr<Explorer> ActiveExplorer() = 0;
  virtual std::shared_ptr<NameSpace> Session() = 0;
  virtual std::string Version() = 0;
  // olMailItem or olDistributionListItem: a new unsaved item.
  virtual std::shared_ptr<OutlookItem> CreateItem(int32_t nItemType) = 0;
  // Starts the search at once; AdvancedSearchComplete follows later, for every search.
  virtual std::shared_ptr<Search> AdvancedSearch(const std::string& sScope, const Variant& Filter,
                                                 const Variant& SearchSubFolders, const Variant& Tag) = 0;

  Event<std::shared_ptr<Search>> OnAdvancedSearchComplete;
};

class Explorers : public OutlookObject {
 public:
  std::string TypeName() const override { return "Explorers"; }
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<Explorer> Item(int32_t nIndex) = 0;  // 1-based

  Event<std::shared_ptr<Explorer>> OnNewExplorer;
};

class Explorer : public OutlookObject {
 public:
  std::string TypeName() const override { return "Explorer"; }
  virtual std::shared_ptr<host::CommandBars> CommandBars() = 0;
  virtual std::shared_ptr<MAPIFolder> CurrentFolder() = 0;
  virtual std::shared_ptr<View> CurrentView() = 0;
  virtual std::shared_ptr<host::Selection> Selection() = 0;
  virtual std::string Caption() = 0;

  Event<> OnActivate;
  Event<> OnClose;
  Event<> OnFolderSwitch;
  Event<> OnSelectionChange;
};

class View : public OutlookObject {
 public:
  std::string TypeName() const override { return "View"; }
  virtual std::string Name() = 0;
  virtual std::string XML() = 0;
};

class Selection : public OutlookObject {
 public:
  std::string TypeName() const override { return "Selection"; }
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<OutlookItem> Item(int32_t nIndex) = 0;  // 1-based
};

class NameSpace : public OutlookObject {
 public:
  std::string TypeName() const override { return "NameSpace"; }
  virtual std::shared_ptr<MAPIFolder> GetDefaultFolder(int32_t nFolderType) = 0;
  virtual std::shared_ptr<MAPIFolder> GetFolderFromID(const std::string& sEntryID,
                                                      const Variant& StoreID = {}) = 0;
  virtual std::shared_ptr<OutlookItem> GetItemFromID(const std::string& sEntryID,
                                                     const Variant& StoreID = {}) = 0;
  // Top folders of all open stores.
  virtual std::shared_ptr<host::Folders> Folders() = 0;
  virtual std::shared_ptr<Recipient> CreateRecipient(const std::string& sRecipientName) = 0;
};

class Folders : public OutlookObject {
 public:
  std::string TypeName() const override { return "Folders"; }
  virtual int32_t Count() = 0;
  // By 1-based position or by name.
  virtual std::shared_ptr<MAPIFolder> Item(const Variant& Index) = 0;
  virtual std::shared_ptr<MAPIFolder> GetFirst() = 0;
  virtual std::shared_ptr<MAPIFolder> GetNext() = 0;
};

class MAPIFolder : public OutlookObject {
 public:
  std::string TypeName() const override { return "MAPIFolder"; }
  virtual std::string Name() = 0;
  virtual std::string EntryID() = 0;
  virtual std::string StoreID() = 0;
  virtual int32_t DefaultItemType() = 0;
  virtual std::shared_ptr<host::Folders> Folders() = 0;
  virtual std::shared_ptr<host::Items> Items() = 0;
};

class Items : public OutlookObject {
 public:
  std::string TypeName() const override { return "Items"; }
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<OutlookItem> Item(const Variant& Index) = 0;
  // Walk with GetFirst then GetNext; Nothing at the end.
  virtual std::shared_ptr<OutlookItem> GetFirst() = 0;
  virtual std::shared_ptr<OutlookItem> GetNext() = 0;
  // Jet filter ("[MessageClass] = 'IPM.DistList'", joined by And/Or).
  virtual std::shared_ptr<Items> Restrict(const std::string& sFilter) = 0;
  virtual void Sort(const std::string& sProperty, const Variant& Descending = {}) = 0;
  virtual std::shared_ptr<OutlookItem> Add(const Variant& Type = {}) = 0;

  Event<std::shared_ptr<OutlookItem>> OnItemAdd;
  Event<std::shared_ptr<OutlookItem>> OnItemChange;
  Event<> OnItemRemove;
};

class Results : public OutlookObject {
 public:
  std::string TypeName() const override { return "Results"; }
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<OutlookItem> Item(const Variant& Index) = 0;
  virtual std::shared_ptr<OutlookItem> GetFirst() = 0;
  virtual std::shared_ptr<OutlookItem> GetNext() = 0;
  virtual void Sort(const std::string& sProperty, const Variant& Descending = {}) = 0;
};

class Search : public OutlookObject {
 public:
  std::string TypeName() const override { return "Search"; }
  virtual std::string Tag() = 0;
  virtual std::string Scope() = 0;
  virtual std::string Filter() = 0;
  virtual bool SearchSubFolders() = 0;
  virtual void Stop() = 0;
  virtual std::shared_ptr<host::Results> Results() = 0;
};

class AddressEntry : public OutlookObject {
 public:
  std::string TypeName() const override { return "AddressEntry"; }
  virtual std::string Name() = 0;
  virtual std::string Address() = 0;
  virtual std::string Type() = 0;  // "SMTP", "EX", ...
};

class Recipient : public OutlookObject {
 public:
  std::string TypeName() const override { return "Recipient"; }
  virtual std::string Name() = 0;
  virtual std::string Address() = 0;
  virtual int32_t Type() = 0;
  virtual void SetType(int32_t nType) = 0;
  virtual bool Resolved() = 0;
  virtual bool Resolve() = 0;
  virtual std::shared_ptr<host::AddressEntry> AddressEntry() = 0;
};

class Recipients : public OutlookObject {
 public:
  std::string TypeName() const override { return "Recipients"; }
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<Recipient> Item(const Variant& Index) = 0;
  virtual std::shared_ptr<Recipient> Add(const std::string& sName) = 0;
  virtual bool ResolveAll() = 0;
};

class Link : public OutlookObject {
 public:
  std::string TypeName() const override { return "Link"; }
  virtual int32_t Type() = 0;  // the Class of the linked item; olContact for contacts
  virtual std::string Name() = 0;
  // The linked item; fails when it no longer exists.
  virtual std::shared_ptr<OutlookItem> Item() = 0;
};

class Links : public OutlookObject {
 public:
  std::string TypeName() const override { return "Links"; }
  virtual int32_t Count() = 0;
  virtual std::shared_ptr<Link> Item(const Variant& Index) = 0;
};

// Members common to every item.
class OutlookItem : public OutlookObject {
 public:
  virtual std::string EntryID() = 0;
  virtual std::string MessageClass() = 0;
  virtual std::string Subject() = 0;
  virtual void SetSubject(const std::string& sSubject) = 0;
  virtual void Display(const Variant& Modal = {}) = 0;
  virtual void Save() = 0;
};

class MailItem : public OutlookItem {
 public:
  std::string TypeName() const override { return "MailItem"; }
  virtual std::shared_ptr<host::Recipients> Recipients() = 0;
  virtual std::string SenderName() = 0;
  virtual std::string To() = 0;
  virtual std::string CC() = 0;
  virtual std::string BCC() = 0;

  // Cancel by reference: a handler that sets it stops the action.
  Event<bool&> OnClose;
  Event<bool&> OnSend;
  Event<bool&> OnWrite;
};

class AppointmentItem : public OutlookItem {
 public:
  std::string TypeName() const override { return "AppointmentItem"; }
  virtual std::shared_ptr<host::Recipients> Recipients() = 0;
  virtual std::shared_ptr<host::Links> Links() = 0;
  virtual std::string Organizer() = 0;
};

class TaskItem : public OutlookItem {
 public:
  std::string TypeName() const override { return "TaskItem"; }
  virtual std::shared_ptr<host::Recipients> Recipients() = 0;
  virtual std::shared_ptr<host::Links> Links() = 0;
};

class ContactItem : public OutlookItem {
 public:
  std::string TypeName() const override { return "ContactItem"; }
  virtual int32_t Sensitivity() = 0;
  virtual std::string FullName() = 0;
  virtual std::string Email1Address() = 0;
  virtual std::string Email2Address() = 0;
  virtual std::string Email3Address() = 0;
};

class DistListItem : public OutlookItem {
 public:
  std::string TypeName() const override { return "DistListItem"; }
  virtual std::string DLName() = 0;
  virtual void SetDLName(const std::string& sName) = 0;
  virtual int32_t MemberCount() = 0;
  virtual std::shared_ptr<Recipient> GetMember(int32_t nIndex) = 0;  // 1-based
  virtual void AddMember(const std::shared_ptr<Recipient>& oRecipient) = 0;
  virtual void AddMembers(const std::shared_ptr<Recipients>& oRecipients) = 0;
  virtual std::string Categories() = 0;
  virtual void SetCategories(const std::string& s) = 0;
  virtual std::string Body() = 0;
  virtual void SetBody(const std::string& s) = 0;
};

// Notes, posts, journal entries, meeting requests: only the common members are used.
class GenericItem : public OutlookItem {
 public:
  std::string TypeName() const override { return "Item"; }
};

}  // namespace host
