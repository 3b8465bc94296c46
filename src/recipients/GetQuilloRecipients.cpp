// GetQuilloRecipients: the road every command takes from the items a user means to the
// recipient list. It copies the items first (the selection, or the folder as filtered by its
// view), warns before a large number, shows progress from 20 items on, and reads each item by
// its kind, applying the exclusion options only to whole folders.
#include <string>
#include <vector>

#include "chooser/CAdvancedSearch.h"
#include "common/mGlobals.h"
#include "feedback/frmProgress.h"
#include "host/Redemption.h"
#include "platform/Ui.h"
#include "recipients/mQuillo.h"
#include "settings/COptions.h"

using mGlobals::Trace;
using mGlobals::TraceError;
using mGlobals::TraceWarning;

namespace {

// Texts traced for every item are made once: a trace line takes its texts as strings.
const std::string kSource = "GetQuilloRecipients";
const std::string kProgressStepTrace = "frmProgress.ProgressStep";
constexpr int32_t kWarningCount = 100;
constexpr int32_t kProgressCount = 20;
constexpr const char* kSearchTag = "E3F8BF04-B00C-45e9-A894-76704839B6ED";
constexpr const char* kLargeCountWarning =
    "Warning! You are attempting to add a large number of recipients to your new message. Do you want to "
    "continue?";

using CItemList = std::vector<std::shared_ptr<host::OutlookItem>>;

// The exclusion options of one call, read once at its start: one command works with one set of
// options, even when the progress window lets other handlers run (the Options dialog among
// them) in the middle of it; the next command sees a change. Only a whole folder uses them.
struct Exclusions {
  bool bPrivateContacts = false;
  bool bReplied = false;
  bool bLinkItems = false;

  static Exclusions For(ERecipientsFrom eFrom) {
    Exclusions o;
    if (eFrom == esFromSelection) return o;
    o.bPrivateContacts = g_oOptions->ExcludePrivateContacts();
    o.bReplied = g_oOptions->ExcludeReplied();
    o.bLinkItems = g_oOptions->ExcludeLinkItems();
    return o;
  }
};

// The safe objects of one call, created once the item count is known.
struct SafeObjects {
  std::shared_ptr<host::MAPIUtils> oUtils;
  std::shared_ptr<host::SafeMailItem> oMail;
  std::shared_ptr<host::SafeAppointmentItem> oAppointment;
  std::shared_ptr<host::SafeTaskItem> oTask;

  void Create() {
    oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils);
    oMail = host::CreateObject<host::SafeMailItem>(host::progid::SafeMailItem);
    oAppointment = host::CreateObject<host::SafeAppointmentItem>(host::progid::SafeAppointmentItem);
    oTask = host::CreateObject<host::SafeTaskItem>(host::progid::SafeTaskItem);
  }
};

// A folder path between single quotes, as a search scope takes it: a quote of the path itself
// ("Jane's Mail") is doubled, or the search fails and the view's filter is lost.
std::string QuotedScope(const std::string& sPath) {
  std::string sQuoted = "'";
  for (char ch : sPath) {
    sQuoted += ch;
    if (ch == '\'') sQuoted += '\'';
  }
  return sQuoted + "'";
}

void AddEveryFolderItem(const std::shared_ptr<host::MAPIFolder>& oFolder, CItemList& colItems) {
  auto oItems = host::Deref(oFolder).Items();
  for (auto oItem = host::Deref(oItems).GetFirst(); oItem; oItem = oItems->GetNext())
    colItems.push_back(oItem);
}

// Every item of the folder the explorer shows, through its view's filter on Outlook 2002 and
// later. False when the folder has no scope to search (the default store's top folder).
bool AddFolderItems(const std::shared_ptr<host::Explorer>& oExplorer, CItemList& colItems) {
  // The folder and view are read once: an explorer may switch or close while the search waits.
  auto oFolder = host::Deref(oExplorer).CurrentFolder();
  if (mGlobals::GetOutlookVersion() <= 9) {
    Trace(kSource, "OUTLOOK 2000: get all folder items", 3);
    AddEveryFolderItem(oFolder, colItems);
    return true;
  }

  Trace(kSource, "OUTLOOK XP/2K3: get Filtered/allitems from folder", 3);
  std::string sFilter;
  host::IgnoreErrors([&] { sFilter = mQuillo::GetViewFilter(oExplorer->CurrentView()); });
  std::shared_ptr<CAdvancedSearch> oAdvSearch;
  bool bFromSearch = false;
  if (!sFilter.empty()) {
    Trace(kSource, "get filtered items", 3);
    oAdvSearch = std::make_shared<CAdvancedSearch>();
    std::string sScope = oAdvSearch->CalcScope(oFolder);
    if (sScope.empty()) {
      TraceError(kSource, 0, "sScope is zero length");
      return false;
    }
    Trace(kSource, mGlobals::sprintf("oAdvSearch.SyncSearch, scope = '%s' sFilter='%s'", sScope, sFilter), 3);
    oAdvSearch->SyncSearch(g_oApp, QuotedScope(sScope), sFilter, false, kSearchTag, "", false);
    Trace(kSource, "oAdvSearch.GetResults", 3);
    auto oResults = oAdvSearch->GetResults();
    if (oResults) {
      Trace(kSource, "oResults.GetFirst", 3);
      for (auto oItem = oResults->GetFirst(); oItem; oItem = oResults->GetNext()) colItems.push_back(oItem);
      bFromSearch = true;
    } else {
      TraceError(kSource, 0,
                 mGlobals::sprintf(
                     "AdvancedSearch failed{scope = '%s' sFilter='%s'}, Restricting all folder items instead",
                     sScope, sFilter));
      oAdvSearch.reset();
    }
  }
  if (!bFromSearch) {
    // No view filter or a failed search: every item of the folder, unrestricted.
    Trace(kSource, "get all folder items", 3);
    AddEveryFolderItem(oFolder, colItems);
  }
  oAdvSearch.reset();
  Trace(kSource, "Set oAdvSearch = Nothing", 3);
  return true;
}

void AddSafeRecipients(const std::shared_ptr<host::SafeRecipients>& oSafeRecipients, CRecipients& oRecipients,
                       const std::string& sSkipName, bool bToOnly) {
  const int32_t nCount = host::Deref(oSafeRecipients).Count();
  for (int32_t j = 1; j <= nCount; ++j) {
    auto oRecipient = oSafeRecipients->Item(j);
    if (bToOnly && host::Deref(oRecipient).Type() != host::olTo) continue;
    std::string sName = host::Deref(oRecipient).Name();
    if (!sSkipName.empty() && sName == sSkipName) continue;
    oRecipients.AddRecipient(sName, mQuillo::SafeGetSmtpAddress(oRecipient->AddressEntry(), true), "");
  }
}

void ReadMail(const std::shared_ptr<host::OutlookItem>& oItem, const Exclusions& oExclude, SafeObjects& oSafe,
              CRecipients& oRecipients) {
  Trace(kSource, "MAILITEM", 3);
  auto oMail = host::As<host::MailItem>(oItem);
  if (oExclude.bReplied && mQuillo::IsMailReplied(oMail, oSafe.oUtils)) {
    Trace(kSource, "Exclude already replied e-mail", 2);
    return;
  }
  host::SafeItemAttachment oAttachment(*oSafe.oMail, oMail);
  if (mQuillo::IsMailReceived(oMail)) {
    // The entry ID lets the new mail mark this one as replied once it is sent.
    oRecipients.AddRecipient(oSafe.oMail->SenderName(), mQuillo::GetSenderEmailAddress(oMail),
                             oMail->EntryID());
  } else {
    AddSafeRecipients(oSafe.oMail->Recipients(), oRecipients, "", true);
  }
  oAttachment.Detach();
}

void ReadLinks(const std::shared_ptr<host::OutlookItem>& oItem, ERecipientsFrom eFrom,
               const Exclusions& oExclude, CRecipients& oRecipients) {
  if (oExclude.bLinkItems) {
    if (host::Deref(mQuillo::LinksOf(oItem)).Count() > 0) Trace(kSource, "Exclude links items", 2);
    return;
  }
  mQuillo::SafeGetLinks(oItem, oRecipients, eFrom, oExclude.bPrivateContacts);
}

void ReadAppointment(const std::shared_ptr<host::OutlookItem>& oItem, ERecipientsFrom eFrom,
                     const Exclusions& oExclude, SafeObjects& oSafe, CRecipients& oRecipients) {
  Trace(kSource, "APPOINTMENT", 3);
  host::SafeItemAttachment oAttachment(*oSafe.oAppointment, oItem);
  // The user's own meeting leaves its organizer (the user) out; others' meetings keep everybody.
  std::string sOrganizer;
  if (oSafe.oAppointment->ResponseStatus() == host::olResponseOrganized)
    sOrganizer = oSafe.oAppointment->Organizer();
  AddSafeRecipients(oSafe.oAppointment->Recipients(), oRecipients, sOrganizer, false);
  oAttachment.Detach();
  ReadLinks(oItem, eFrom, oExclude, oRecipients);
}

void ReadTask(const std::shared_ptr<host::OutlookItem>& oItem, ERecipientsFrom eFrom,
              const Exclusions& oExclude, SafeObjects& oSafe, CRecipients& oRecipients) {
  Trace(kSource, "TASK", 3);
  host::SafeItemAttachment oAttachment(*oSafe.oTask, oItem);
  AddSafeRecipients(oSafe.oTask->Recipients(), oRecipients, "", false);
  oAttachment.Detach();
  ReadLinks(oItem, eFrom, oExclude, oRecipients);
}

void ReadContact(const std::shared_ptr<host::OutlookItem>& oItem, const Exclusions& oExclude,
                 CRecipients& oRecipients) {
  Trace(kSource, "CONTACT", 3);
  auto oContact = host::As<host::ContactItem>(oItem);
  if (oExclude.bPrivateContacts && oContact->Sensitivity() == host::olPrivate) {
    Trace(kSource, "Exclude private contacts", 2);
    return;
  }
  // Only the first usable address; a contact without one adds nothing, not even its name.
  CStringCollection colAddresses = mQuillo::GetContactEmailAddresses(oContact);
  if (colAddresses.Count() >= 1) oRecipients.AddRecipient(oContact->FullName(), colAddresses.Item(1), "");
}

void ReadDistList(const std::shared_ptr<host::OutlookItem>& oItem, bool bAddDistLists,
                  CRecipients& oRecipients) {
  Trace(kSource, "DISTRIBUTE LIST", 3);
  if (bAddDistLists)
    oRecipients.AddRecipient(oItem->Subject(), "", "");  // resolved by its name later
  else
    Trace(kSource, "Ignoring distibutive list", 2);
}

}  // namespace

namespace mQuillo {

bool GetQuilloRecipients(ERecipientsFrom& eFrom, CRecipients& oRecipients, bool& bAddDistLists,
                         bool& bUseProgressWND) {
  bool bResult = false;
  CItemList colItems;
  SafeObjects oSafe;
  try {
    Trace(kSource, "{", 3);
    bUseProgressWND = false;
    // Every call starts without an old progress window.
    if (g_frmProgress.IsCreated()) g_frmProgress->ProgressDone();

    // Step A: the items, copied before anything is read, so that events handled while the
    // progress window or a search lets messages run change nothing of what is processed.
    auto oExplorer = host::Deref(g_oApp).ActiveExplorer();
    if (eFrom == esFromSelection) {
      Trace(kSource, "esFromSelection", 3);
      auto oSelection = host::Deref(oExplorer).Selection();
      const int32_t nSelected = host::Deref(oSelection).Count();
      for (int32_t i = 1; i <= nSelected; ++i) colItems.push_back(oSelection->Item(i));
    } else if (eFrom == esFromFolder) {
      if (!AddFolderItems(oExplorer, colItems)) return false;
    } else {
      TraceError(kSource, 0,
                 "Invalid ERecipientsFrom value = " + std::to_string(static_cast<int32_t>(eFrom)));
      return false;
    }

    // Step B: checks before reading.
    const auto nCount = static_cast<int32_t>(colItems.size());
    Trace(kSource, "before colItems.Count >= 100", 3);
    if (nCount >= kWarningCount) {
      Trace(kSource, "colItems.Count >= 100", 3);
      if (platform::MsgBox(kLargeCountWarning, platform::vbYesNo, mGlobals::kAppTitle) != platform::vbYes) {
        colItems.clear();
        return false;
      }
    }
    Trace(kSource, "process & filter(exclude options) selected items", 3);
    Trace(kSource, "CreateObject(Redemption objects)", 3);
    oSafe.Create();
    if (nCount >= kProgressCount) {
      Trace(kSource, "bUseProgressWND = True", 3);
      bUseProgressWND = true;
      g_frmProgress->Show(platform::vbModeless);
      g_frmProgress->ProgressInit(nCount, 1);
    }

    // Step C: each item by its kind.
    bool bCanceled = false;
    const Exclusions oExclude = Exclusions::For(eFrom);
    for (int32_t i = 0; i < nCount && !bCanceled; ++i) {
      // Each item is let go once read, while its object is still in the cache: a large folder
      // does not keep every object to the end of the command.
      const std::shared_ptr<host::OutlookItem> oItem = std::move(colItems[static_cast<size_t>(i)]);
      const int32_t nClass = host::Deref(oItem).Class();
      switch (nClass) {
        case host::olMail: ReadMail(oItem, oExclude, oSafe, oRecipients); break;
        case host::olAppointment: ReadAppointment(oItem, eFrom, oExclude, oSafe, oRecipients); break;
        case host::olTask: ReadTask(oItem, eFrom, oExclude, oSafe, oRecipients); break;
        case host::olContact: ReadContact(oItem, oExclude, oRecipients); break;
        case host::olDistributionList: ReadDistList(oItem, bAddDistLists, oRecipients); break;
        default: TraceWarning(kSource, "selected unsupported item type = " + std::to_string(nClass)); break;
      }
      if (bUseProgressWND) {
        Trace(kSource, kProgressStepTrace, 3);
        g_frmProgress->ProgressStep();
        bCanceled = g_frmProgress->IsCancelled();
      }
    }

    // Step D: finish. Without a cancel the window stays open for the caller's next stage.
    if (bUseProgressWND) platform::DoEvents();
    if (bCanceled) {
      if (bUseProgressWND) {
        g_frmProgress->ProgressDone();
        platform::DoEvents();
      }
    } else {
      bResult = true;
    }
    oSafe = {};
    Trace(kSource, "}", 3);
  } catch (...) {
    TraceError(kSource);
    host::IgnoreErrors([&] {
      if (bUseProgressWND) g_frmProgress->ProgressDone();
    });
    bResult = false;
  }
  return bResult;
}

}  // namespace mQuillo
