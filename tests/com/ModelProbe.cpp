#include "ModelProbe.h"

#include <type_traits>

#include "host/Error.h"
#include "host/Office.h"

namespace probe {
namespace {

std::string Show(const std::string& s) {
  return "\"" + s + "\"";
}
std::string Show(int32_t n) {
  return std::to_string(n);
}
std::string Show(bool b) {
  return b ? "True" : "False";
}
template <class T>
std::string Show(const std::shared_ptr<T>& p) {
  return p ? p->TypeName() : "Nothing";
}
// An item by the interface it has: what the add-in tells items apart by. (Visual Basic's
// TypeName of a note or a post is its class's name, which only a type library can give.)
std::string Show(const std::shared_ptr<host::OutlookItem>& p) {
  if (!p) return "Nothing";
  if (std::dynamic_pointer_cast<host::GenericItem>(p)) return "GenericItem";
  return p->TypeName();
}

std::string ErrorText() {
  host::ErrorInfo e = host::CurrentError();
  return std::to_string(e.nNumber) + " " + e.sDescription;
}

class CWalk {
 public:
  explicit CWalk(int nLimit) : m_nLimit(nLimit) {}
  std::string Text() const { return m_out.str(); }

  // One call, written with its value or the error it raised; the value (or an empty one).
  template <class F>
  auto Do(const std::string& sWhat, F&& fn) -> decltype(fn()) {
    using R = decltype(fn());
    if constexpr (std::is_void_v<R>) {
      try {
        fn();
        Line(sWhat);
      } catch (...) {
        Line(sWhat + " ! " + ErrorText());
      }
    } else {
      try {
        R r = fn();
        Line(sWhat + " = " + Show(r));
        return r;
      } catch (...) {
        Line(sWhat + " ! " + ErrorText());
        return R{};
      }
    }
  }

  void Application(const std::shared_ptr<host::Application>& o) {
    Do("Application.Class", [&] { return o->Class(); });
    Do("Application.Version", [&] { return o->Version(); });
    Do("Application.Parent", [&] { return o->Parent(); });
    auto oSession = Do("Application.Session", [&] { return o->Session(); });
    if (oSession) NameSpace(oSession);
    if (auto oExplorers = Do("Application.Explorers", [&] { return o->Explorers(); })) Explorers(oExplorers);
    if (auto oActive = Do("Application.ActiveExplorer", [&] { return o->ActiveExplorer(); }))
      Do("ActiveExplorer.Caption", [&] { return oActive->Caption(); });
    Writes(o, oSession);
    Search(o);
    Do("Application.CreateItem(99)", [&] { return o->CreateItem(99); });
  }

 private:
  void Line(const std::string& s) {
    m_out << std::string(static_cast<size_t>(m_nDepth) * 2, ' ') << s << "\n";
  }
  struct Indent {
    CWalk& w;
    explicit Indent(CWalk& o) : w(o) { ++w.m_nDepth; }
    ~Indent() { --w.m_nDepth; }
  };

  void Model(const std::string& sWhat, host::OutlookObject& o) {
    Do(sWhat + ".Class", [&] { return o.Class(); });
    if (auto oParent = Do(sWhat + ".Parent", [&] { return o.Parent(); }))
      Do(sWhat + ".Parent.Class", [&] { return oParent->Class(); });
  }

  void Explorers(const std::shared_ptr<host::Explorers>& o) {
    Indent i(*this);
    Model("Explorers", *o);
    int32_t n = Do("Explorers.Count", [&] { return o->Count(); });
    for (int32_t k = 1; k <= n; ++k)
      if (auto oExplorer = Do("Explorers.Item(" + Show(k) + ")", [&] { return o->Item(k); }))
        Explorer(oExplorer);
    Do("Explorers.Item(0)", [&] { return o->Item(0); });
    Do("Explorers.Item(Count+1)", [&] { return o->Item(n + 1); });
  }

  void Explorer(const std::shared_ptr<host::Explorer>& o) {
    Indent i(*this);
    Model("Explorer", *o);
    Do("Explorer.Caption", [&] { return o->Caption(); });
    // The window's bars are Office's object: only what shows they are the window's own.
    if (auto oBars = Do("Explorer.CommandBars", [&] { return o->CommandBars(); })) {
      Do("CommandBars.Count", [&] { return oBars->Count(); });
      Do("CommandBars.Parent", [&] { return oBars->Parent(); });
    }
    if (auto oFolder = Do("Explorer.CurrentFolder", [&] { return o->CurrentFolder(); }))
      Do("CurrentFolder.Name", [&] { return oFolder->Name(); });
    if (auto oView = Do("Explorer.CurrentView", [&] { return o->CurrentView(); })) {
      Model("View", *oView);
      Do("View.Name", [&] { return oView->Name(); });
      Do("View.XML", [&] { return oView->XML(); });
    }
    if (auto oSelection = Do("Explorer.Selection", [&] { return o->Selection(); })) {
      Model("Selection", *oSelection);
      int32_t n = Do("Selection.Count", [&] { return oSelection->Count(); });
      for (int32_t k = 1; k <= n + 1; ++k)
        if (auto oItem = Do("Selection.Item(" + Show(k) + ")", [&] { return oSelection->Item(k); }))
          Do("Subject", [&] { return oItem->Subject(); });
    }
  }

  void NameSpace(const std::shared_ptr<host::NameSpace>& o) {
    Indent i(*this);
    Model("NameSpace", *o);
    if (auto oFolders = Do("NameSpace.Folders", [&] { return o->Folders(); })) Folders(oFolders);
    for (int32_t n : {3, 4, 5, 6, 9, 10, 11, 12, 13, 16, 23, 99})
      if (auto oFolder = Do("GetDefaultFolder(" + Show(n) + ")", [&] { return o->GetDefaultFolder(n); }))
        Do("Name", [&] { return oFolder->Name(); });
    auto oInbox = Do("GetDefaultFolder(6)", [&] { return o->GetDefaultFolder(host::olFolderInbox); });
    if (!oInbox) return;
    std::string sID = Do("Inbox.EntryID", [&] { return oInbox->EntryID(); });
    std::string sStore = Do("Inbox.StoreID", [&] { return oInbox->StoreID(); });
    if (auto oFolder = Do("GetFolderFromID(id)", [&] { return o->GetFolderFromID(sID); }))
      Do("Name", [&] { return oFolder->Name(); });
    if (auto oFolder = Do("GetFolderFromID(id, store)", [&] { return o->GetFolderFromID(sID, sStore); }))
      Do("Name", [&] { return oFolder->Name(); });
    Do("GetFolderFromID(bad)", [&] { return o->GetFolderFromID("00DEAD"); });
    auto oItems = Do("Inbox.Items", [&] { return oInbox->Items(); });
    auto oFirst = oItems ? Do("Items.GetFirst", [&] { return oItems->GetFirst(); }) : nullptr;
    if (oFirst) {
      std::string sItemID = Do("EntryID", [&] { return oFirst->EntryID(); });
      if (auto oItem = Do("GetItemFromID(id)", [&] { return o->GetItemFromID(sItemID); }))
        Do("Subject", [&] { return oItem->Subject(); });
      if (auto oItem = Do("GetItemFromID(id, store)", [&] { return o->GetItemFromID(sItemID, sStore); }))
        Do("Subject", [&] { return oItem->Subject(); });
    }
    Do("GetItemFromID(bad)", [&] { return o->GetItemFromID("00DEAD"); });
    for (const char* sName : {"Peter Brown", "nobody at all"}) {
      if (auto oRecipient = Do(std::string("CreateRecipient(") + Show(std::string(sName)) + ")",
                               [&] { return o->CreateRecipient(sName); })) {
        Do("Resolved", [&] { return oRecipient->Resolved(); });
        Do("Resolve", [&] { return oRecipient->Resolve(); });
        Recipient(oRecipient);
      }
    }
  }

  void Folders(const std::shared_ptr<host::Folders>& o) {
    Indent i(*this);
    Model("Folders", *o);
    int32_t n = Do("Folders.Count", [&] { return o->Count(); });
    std::string sFirst;
    for (auto oFolder = Do("Folders.GetFirst", [&] { return o->GetFirst(); }); oFolder;
         oFolder = Do("Folders.GetNext", [&] { return o->GetNext(); })) {
      std::string sName = Folder(oFolder);
      if (sFirst.empty()) sFirst = sName;
    }
    if (n > 0) {
      if (auto oFolder = Do("Folders.Item(1)", [&] { return o->Item(1); }))
        Do("Name", [&] { return oFolder->Name(); });
      if (auto oFolder = Do("Folders.Item(name)", [&] { return o->Item(sFirst); }))
        Do("Name", [&] { return oFolder->Name(); });
    }
    Do("Folders.Item(Count+1)", [&] { return o->Item(n + 1); });
  }

  std::string Folder(const std::shared_ptr<host::MAPIFolder>& o) {
    Indent i(*this);
    std::string sName = Do("MAPIFolder.Name", [&] { return o->Name(); });
    Model("MAPIFolder", *o);
    Do("MAPIFolder.EntryID", [&] { return o->EntryID(); });
    Do("MAPIFolder.StoreID", [&] { return o->StoreID(); });
    Do("MAPIFolder.DefaultItemType", [&] { return o->DefaultItemType(); });
    if (auto oItems = Do("MAPIFolder.Items", [&] { return o->Items(); })) Items(oItems);
    if (auto oFolders = Do("MAPIFolder.Folders", [&] { return o->Folders(); })) Folders(oFolders);
    return sName;
  }

  void Items(const std::shared_ptr<host::Items>& o) {
    Indent i(*this);
    Model("Items", *o);
    int32_t n = Do("Items.Count", [&] { return o->Count(); });
    int nWalked = 0;
    for (auto oItem = Do("Items.GetFirst", [&] { return o->GetFirst(); }); oItem && nWalked < m_nLimit;
         oItem = Do(
             "Items.GetNext", [&] { return o->GetNext(); }),
              ++nWalked)
      Item(oItem);
    if (n > 0)
      if (auto oItem = Do("Items.Item(1)", [&] { return o->Item(1); }))
        Do("Subject", [&] { return oItem->Subject(); });
    Do("Items.Item(Count+1)", [&] { return o->Item(n + 1); });
    if (auto oLists = Do("Items.Restrict", [&] { return o->Restrict("[MessageClass] = 'IPM.DistList'"); })) {
      Do("Restricted.Count", [&] { return oLists->Count(); });
      if (auto oItem = Do("Restricted.GetFirst", [&] { return oLists->GetFirst(); }))
        Do("Subject", [&] { return oItem->Subject(); });
    }
    Do("Items.Sort", [&] { o->Sort("[Subject]", true); });
    if (auto oItem = Do("Sorted.GetFirst", [&] { return o->GetFirst(); }))
      Do("Subject", [&] { return oItem->Subject(); });
  }

  void Item(const std::shared_ptr<host::OutlookItem>& o) {
    Indent i(*this);
    Model("Item", *o);
    Do("Item.EntryID", [&] { return o->EntryID(); });
    Do("Item.MessageClass", [&] { return o->MessageClass(); });
    Do("Item.Subject", [&] { return o->Subject(); });
    if (auto oMail = std::dynamic_pointer_cast<host::MailItem>(o)) {
      Do("SenderName", [&] { return oMail->SenderName(); });
      Do("To", [&] { return oMail->To(); });
      Do("CC", [&] { return oMail->CC(); });
      Do("BCC", [&] { return oMail->BCC(); });
      if (auto oRecipients = Do("Recipients", [&] { return oMail->Recipients(); })) Recipients(oRecipients);
    } else if (auto oAppointment = std::dynamic_pointer_cast<host::AppointmentItem>(o)) {
      Do("Organizer", [&] { return oAppointment->Organizer(); });
      if (auto oRecipients = Do("Recipients", [&] { return oAppointment->Recipients(); }))
        Recipients(oRecipients);
      if (auto oLinks = Do("Links", [&] { return oAppointment->Links(); })) Links(oLinks);
    } else if (auto oTask = std::dynamic_pointer_cast<host::TaskItem>(o)) {
      if (auto oRecipients = Do("Recipients", [&] { return oTask->Recipients(); })) Recipients(oRecipients);
      if (auto oLinks = Do("Links", [&] { return oTask->Links(); })) Links(oLinks);
    } else if (auto oContact = std::dynamic_pointer_cast<host::ContactItem>(o)) {
      Do("Sensitivity", [&] { return oContact->Sensitivity(); });
      Do("FullName", [&] { return oContact->FullName(); });
      Do("Email1Address", [&] { return oContact->Email1Address(); });
      Do("Email2Address", [&] { return oContact->Email2Address(); });
      Do("Email3Address", [&] { return oContact->Email3Address(); });
    } else if (auto oList = std::dynamic_pointer_cast<host::DistListItem>(o)) {
      DistList(oList);
    }
  }

  void DistList(const std::shared_ptr<host::DistListItem>& o) {
    Do("DLName", [&] { return o->DLName(); });
    Do("Categories", [&] { return o->Categories(); });
    Do("Body", [&] { return o->Body(); });
    int32_t n = Do("MemberCount", [&] { return o->MemberCount(); });
    for (int32_t k = 1; k <= n + 1; ++k)
      if (auto oMember = Do("GetMember(" + Show(k) + ")", [&] { return o->GetMember(k); }))
        Recipient(oMember);
  }

  void Recipients(const std::shared_ptr<host::Recipients>& o) {
    Indent i(*this);
    Model("Recipients", *o);
    int32_t n = Do("Recipients.Count", [&] { return o->Count(); });
    for (int32_t k = 1; k <= n + 1; ++k)
      if (auto oRecipient = Do("Recipients.Item(" + Show(k) + ")", [&] { return o->Item(k); }))
        Recipient(oRecipient);
  }

  void Recipient(const std::shared_ptr<host::Recipient>& o) {
    Indent i(*this);
    Model("Recipient", *o);
    Do("Recipient.Name", [&] { return o->Name(); });
    Do("Recipient.Address", [&] { return o->Address(); });
    Do("Recipient.Type", [&] { return o->Type(); });
    Do("Recipient.Resolved", [&] { return o->Resolved(); });
    if (auto oEntry = Do("Recipient.AddressEntry", [&] { return o->AddressEntry(); })) {
      Model("AddressEntry", *oEntry);
      Do("AddressEntry.Name", [&] { return oEntry->Name(); });
      Do("AddressEntry.Address", [&] { return oEntry->Address(); });
      Do("AddressEntry.Type", [&] { return oEntry->Type(); });
    }
  }

  void Links(const std::shared_ptr<host::Links>& o) {
    Indent i(*this);
    Model("Links", *o);
    int32_t n = Do("Links.Count", [&] { return o->Count(); });
    for (int32_t k = 1; k <= n + 1; ++k) {
      auto oLink = Do("Links.Item(" + Show(k) + ")", [&] { return o->Item(k); });
      if (!oLink) continue;
      Model("Link", *oLink);
      Do("Link.Type", [&] { return oLink->Type(); });
      Do("Link.Name", [&] { return oLink->Name(); });
      if (auto oItem = Do("Link.Item", [&] { return oLink->Item(); }))
        Do("Subject", [&] { return oItem->Subject(); });
    }
  }

  // A new mail and a new list filled and saved; new items added to a folder; calls with
  // arguments the model refuses.
  void Writes(const std::shared_ptr<host::Application>& oApp,
              const std::shared_ptr<host::NameSpace>& oSession) {
    Indent i(*this);
    auto oMail = std::dynamic_pointer_cast<host::MailItem>(
        Do("CreateItem(olMailItem)", [&] { return oApp->CreateItem(host::olMailItem); }));
    std::shared_ptr<host::Recipients> oMailRecipients;
    if (oMail) {
      Do("SetSubject", [&] { oMail->SetSubject("Grüße über COM"); });
      Do("Subject", [&] { return oMail->Subject(); });
      oMailRecipients = Do("Recipients", [&] { return oMail->Recipients(); });
      if (oMailRecipients) {
        if (auto oRecipient = Do("Recipients.Add", [&] { return oMailRecipients->Add("Peter Brown"); })) {
          Do("SetType", [&] { oRecipient->SetType(host::olCC); });
          Do("Type", [&] { return oRecipient->Type(); });
        }
        Do("Recipients.Add", [&] { return oMailRecipients->Add("maria.garcia@example.com"); });
        Do("ResolveAll", [&] { return oMailRecipients->ResolveAll(); });
        Recipients(oMailRecipients);
      }
      Do("To", [&] { return oMail->To(); });
      Do("CC", [&] { return oMail->CC(); });
      Do("Save", [&] { oMail->Save(); });
      Model("Mail", *oMail);
    }
    auto oList = std::dynamic_pointer_cast<host::DistListItem>(Do("CreateItem(olDistributionListItem)", [&] {
      return oApp->CreateItem(host::olDistributionListItem);
    }));
    if (oList) {
      Do("SetDLName", [&] { oList->SetDLName("Team Über"); });
      Do("SetCategories", [&] { oList->SetCategories("Work; Ärger"); });
      Do("SetBody", [&] { oList->SetBody("line 1\r\nline 2"); });
      if (oSession)
        if (auto oRecipient = Do("CreateRecipient", [&] { return oSession->CreateRecipient("Anna Lee"); })) {
          Do("Resolve", [&] { return oRecipient->Resolve(); });
          Do("AddMember", [&] { oList->AddMember(oRecipient); });
        }
      if (oMailRecipients) Do("AddMembers", [&] { oList->AddMembers(oMailRecipients); });
      Do("AddMember(Nothing)", [&] { oList->AddMember(nullptr); });
      Do("Save", [&] { oList->Save(); });
      Do("Subject", [&] { return oList->Subject(); });
      DistList(oList);
    }
    if (!oSession) return;
    auto oContacts =
        Do("GetDefaultFolder(10)", [&] { return oSession->GetDefaultFolder(host::olFolderContacts); });
    auto oItems = oContacts ? Do("Contacts.Items", [&] { return oContacts->Items(); }) : nullptr;
    if (!oItems) return;
    if (auto oNew = Do("Items.Add(olDistributionListItem)",
                       [&] { return oItems->Add(static_cast<int32_t>(host::olDistributionListItem)); }))
      Do("Class", [&] { return oNew->Class(); });
    if (auto oNew = Do("Items.Add()", [&] { return oItems->Add(); }))
      Do("Class", [&] { return oNew->Class(); });
  }

  void Search(const std::shared_ptr<host::Application>& o) {
    Indent i(*this);
    auto oSearch = Do("AdvancedSearch", [&] {
      return o->AdvancedSearch("'\\Mailbox - Jane Doe\\Inbox'",
                               "\"urn:schemas:httpmail:subject\" LIKE '%project%'", false, "probe");
    });
    if (!oSearch) return;
    Model("Search", *oSearch);
    Do("Search.Tag", [&] { return oSearch->Tag(); });
    Do("Search.Scope", [&] { return oSearch->Scope(); });
    Do("Search.Filter", [&] { return oSearch->Filter(); });
    Do("Search.SearchSubFolders", [&] { return oSearch->SearchSubFolders(); });
    if (auto oResults = Do("Search.Results", [&] { return oSearch->Results(); })) {
      Model("Results", *oResults);
      Do("Results.Count", [&] { return oResults->Count(); });
      Do("Results.Sort", [&] { oResults->Sort("[Subject]"); });
      Do("Results.GetFirst", [&] { return oResults->GetFirst(); });
      Do("Results.GetNext", [&] { return oResults->GetNext(); });
      Do("Results.Item(1)", [&] { return oResults->Item(1); });
    }
    Do("Search.Stop", [&] { oSearch->Stop(); });
  }

  int m_nLimit;
  int m_nDepth = 0;
  std::ostringstream m_out;
};

}  // namespace

std::string WalkModel(const std::shared_ptr<host::Application>& oApp, int nItemLimit) {
  CWalk oWalk(nItemLimit);
  oWalk.Application(oApp);
  return oWalk.Text();
}

void CEventLog::Line(const std::string& s) {
  m_out << s << "\n";
}

void CEventLog::Handler(const char* sEvent, const std::function<std::string()>& fnText) {
  try {
    Line(std::string(sEvent) + ": " + fnText());
  } catch (...) {
    Line(std::string(sEvent) + " ! " + ErrorText());
  }
  if (m_sFailOn == sEvent) throw host::Error(1234, std::string("the probe failed in ") + sEvent);
}

void CEventLog::Start(const std::shared_ptr<host::Application>& oApp, const std::string& sFailOn) {
  m_oApp = oApp;
  m_sFailOn = sFailOn;
  m_vecConnections.push_back(
      oApp->OnAdvancedSearchComplete.Connect([this](std::shared_ptr<host::Search> oSearch) {
        Handler("AdvancedSearchComplete",
                [&] { return oSearch->Tag() + " " + std::to_string(oSearch->Results()->Count()); });
      }));
  m_oExplorers = oApp->Explorers();
  m_vecConnections.push_back(m_oExplorers->OnNewExplorer.Connect([this](std::shared_ptr<host::Explorer> o) {
    ListenToExplorer(o);
    Handler("NewExplorer", [&] { return o->Caption(); });
  }));
  for (int32_t k = 1, n = m_oExplorers->Count(); k <= n; ++k) ListenToExplorer(m_oExplorers->Item(k));
  for (int32_t nFolder :
       {host::olFolderInbox, host::olFolderDrafts, host::olFolderSentMail, host::olFolderContacts})
    ListenToItems(nFolder);
}

void CEventLog::ListenToExplorer(const std::shared_ptr<host::Explorer>& oExplorer) {
  m_vecHeld.push_back(oExplorer);
  host::Explorer* p = oExplorer.get();
  m_vecConnections.push_back(
      p->OnActivate.Connect([this, p] { Handler("Activate", [&] { return p->Caption(); }); }));
  m_vecConnections.push_back(p->OnFolderSwitch.Connect(
      [this, p] { Handler("FolderSwitch", [&] { return p->CurrentFolder()->Name(); }); }));
  m_vecConnections.push_back(p->OnSelectionChange.Connect([this, p] {
    Handler("SelectionChange", [&] {
      auto oSelection = p->Selection();
      std::string s = std::to_string(oSelection->Count());
      for (int32_t k = 1; k <= oSelection->Count(); ++k) s += " [" + oSelection->Item(k)->Subject() + "]";
      return s;
    });
  }));
  m_vecConnections.push_back(
      p->OnClose.Connect([this, p] { Handler("Close", [&] { return p->Caption(); }); }));
}

void CEventLog::ListenToItems(int32_t nFolder) {
  auto oFolder = m_oApp->Session()->GetDefaultFolder(nFolder);
  std::string sName = oFolder->Name();
  auto oItems = oFolder->Items();
  m_vecHeld.push_back(oItems);
  m_vecConnections.push_back(oItems->OnItemAdd.Connect([this, sName](std::shared_ptr<host::OutlookItem> o) {
    Handler("ItemAdd", [&] { return sName + " " + o->TypeName() + " [" + o->Subject() + "]"; });
  }));
  m_vecConnections.push_back(
      oItems->OnItemChange.Connect([this, sName](std::shared_ptr<host::OutlookItem> o) {
        Handler("ItemChange", [&] { return sName + " [" + o->Subject() + "]"; });
      }));
  m_vecConnections.push_back(
      oItems->OnItemRemove.Connect([this, sName] { Handler("ItemRemove", [&] { return sName; }); }));
}

void CEventLog::NewMail(const std::string& sSubject, const std::string& sName) {
  auto oMail = host::As<host::MailItem>(m_oApp->CreateItem(host::olMailItem));
  oMail->SetSubject(sSubject);
  oMail->Recipients()->Add(sName);
  m_vecHeld.push_back(oMail);
  host::MailItem* p = oMail.get();
  auto Listen = [this, p](const char* sEvent, bool bCancellable) {
    return [this, p, sEvent, bCancellable](bool& bCancel) {
      std::string sSubject = p->Subject();
      if (bCancellable && sSubject.find("[cancel]") != std::string::npos) bCancel = true;
      Handler(sEvent, [&] { return "[" + sSubject + "] To " + p->To() + (bCancel ? " cancelled" : ""); });
    };
  };
  m_vecConnections.push_back(p->OnWrite.Connect(Listen("Write", false)));
  m_vecConnections.push_back(p->OnClose.Connect(Listen("Close", false)));
  m_vecConnections.push_back(p->OnSend.Connect(Listen("Send", true)));
  oMail->Display();
}

void CEventLog::Stop() {
  m_vecConnections.clear();
  m_vecHeld.clear();
  m_oExplorers.reset();
  m_oApp.reset();
}

}  // namespace probe
