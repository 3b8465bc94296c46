#include "RecipientCommands.h"

#include <string>
#include <vector>

#include "common/mGlobals.h"
#include "feedback/frmProgress.h"
#include "host/Error.h"
#include "host/Redemption.h"
#include "recipients/CRecipients.h"
#include "recipients/mQuillo.h"
#include "sim/AddressBook.h"
#include "sim/Redemption.h"

namespace app {
namespace {

template <class C>
std::string Joined(const C& col) {
  std::string s;
  for (const std::string& sItem : col) s += (s.empty() ? "" : ", ") + sItem;
  return s.empty() ? "-" : s;
}

std::string YesNo(bool b) {
  return b ? "True" : "False";
}

// One word of "resolve": a name, an address, or both.
struct Word {
  std::string sName;
  std::string sEmail;
};

Word ReadWord(const std::string& sWord) {
  Word oWord;
  if (sim::SplitNameAndAddress(sWord, oWord.sName, oWord.sEmail)) return oWord;
  if (sWord.find('@') != std::string::npos)
    oWord.sEmail = sWord;
  else
    oWord.sName = sWord;
  return oWord;
}

void PrintRaw(std::ostream& out, const CRecipients& oRecipients) {
  auto colEmails = oRecipients.EmailRecipients();
  auto colNames = oRecipients.NameRecipients();
  out << "  kept: " << (colEmails ? colEmails->Count() : 0) << " address(es), "
      << (colNames ? colNames->Count() : 0) << " name(s)\n";
  if (colEmails)
    for (const auto& o : *colEmails)
      out << "    address " << o.sEmail << "  names: " << Joined(o.colNames)
          << "  ids: " << Joined(oRecipients.EntryIDs(o.oEntryIDs)) << "\n";
  if (colNames)
    for (const auto& o : *colNames)
      out << "    name " << o.sName << "  ids: " << Joined(oRecipients.EntryIDs(o.oEntryIDs)) << "\n";
}

// The helpers start from the Application the add-in keeps from its connection.
void RunResolve(SimSession& oSession, const Args& a) {
  oSession.NeedConnected();
  std::ostream& out = oSession.Out();
  CRecipients oRecipients;
  bool bUseProgressWND = false;
  std::string sEntryID;
  size_t nWords = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == "--progress") {
      bUseProgressWND = true;
    } else if (a[i] == "--id") {
      if (++i == a.size()) ThrowUsage();
      sEntryID = a[i] == "-" ? "" : a[i];
    } else {
      Word oWord = ReadWord(a[i]);
      out << "  add: name '" << oWord.sName << "', address '" << oWord.sEmail << "'"
          << (sEntryID.empty() ? "" : ", from " + sEntryID) << "\n";
      oRecipients.AddRecipient(oWord.sName, oWord.sEmail, sEntryID);
      ++nWords;
    }
  }
  if (nWords == 0) ThrowUsage();
  PrintRaw(out, oRecipients);

  bool bHasCanceled = false;
  bool bResult = oRecipients.Resolve(bUseProgressWND, bHasCanceled);
  // The command's own end: the window stays up after resolving for the stage that would follow.
  if (bUseProgressWND) g_frmProgress->ProgressDone();
  int32_t nCount = 0;  // no resolved list at all when Resolve failed early
  host::IgnoreErrors([&] { nCount = oRecipients.GetResolvedCount(); });
  out << "  Resolve: " << YesNo(bResult) << ", canceled: " << YesNo(bHasCanceled) << ", " << nCount
      << " resolved\n";
  for (int32_t i = 1; i <= nCount; ++i)
    out << "    " << i << "  " << oRecipients.GetResolvedName(i)
        << "  ids: " << Joined(*oRecipients.GetResolvedAssocItemIDs(i)) << "\n";
}

std::string ClassName(int32_t nClass) {
  switch (nClass) {
    case host::olMail: return "mail";
    case host::olAppointment: return "appointment";
    case host::olTask: return "task";
    case host::olContact: return "contact";
    case host::olDistributionList: return "distribution list";
    default: return "class " + std::to_string(nClass);
  }
}

// The recipients of a mail with the SMTP address the helpers take from each.
void PrintMailRecipients(std::ostream& out, const std::shared_ptr<host::MailItem>& oMail) {
  try {
    auto oSafeMail = host::CreateObject<host::SafeMailItem>(host::progid::SafeMailItem);
    oSafeMail->SetItem(oMail);
    auto oRecipients = oSafeMail->Recipients();
    for (int32_t j = 1; j <= oRecipients->Count(); ++j) {
      auto oRecipient = oRecipients->Item(j);
      static const char* kTypes[] = {"From", "To", "Cc", "Bcc"};
      int32_t nType = oRecipient->Type();
      const std::string sName = oRecipient->Name();
      const std::string sSmtp = mQuillo::SafeGetSmtpAddress(oRecipient->AddressEntry(), true);
      out << "    " << (nType >= 0 && nType <= 3 ? kTypes[nType] : "?") << "  " << sName << "  " << sSmtp
          << "\n";
    }
    oSafeMail->SetItem(nullptr);
  } catch (const host::Error& e) {
    out << "    (cannot read them: " << e.Description() << ")\n";
  }
}

// Each value is read before anything is printed: the helpers' diagnostic lines are echoed as
// they are written and must not split an output line.
void PrintMail(std::ostream& out, const std::shared_ptr<host::MailItem>& oMail) {
  std::shared_ptr<host::MAPIUtils> oUtils;
  host::IgnoreErrors([&] { oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils); });
  const bool bReceived = mQuillo::IsMailReceived(oMail);
  const bool bReplied = mQuillo::IsMailReplied(oMail, oUtils);
  const std::string sSender = mQuillo::GetSenderEmailAddress(oMail);
  out << "  received: " << YesNo(bReceived) << "\n  replied: " << YesNo(bReplied) << "\n  sender address: '"
      << sSender << "'\n  recipients:\n";
  PrintMailRecipients(out, oMail);
}

void PrintItem(SimSession& oSession, const std::string& sEntryID, ERecipientsFrom eFrom) {
  std::ostream& out = oSession.Out();
  std::shared_ptr<host::OutlookItem> oItem;
  try {
    oItem = oSession.Outlook().ItemByID(sEntryID);
  } catch (const host::Error& e) {
    throw UsageError{e.Description()};
  }
  try {
    const int32_t nClass = oItem->Class();
    std::string sPath = "(no folder)";
    host::IgnoreErrors(
        [&] { sPath = oSession.Outlook().PathOf(host::As<host::MAPIFolder>(oItem->Parent())); });
    out << "  " << ClassName(nClass) << " \"" << oItem->Subject() << "\" in " << sPath << "\n";
    if (auto oMail = std::dynamic_pointer_cast<host::MailItem>(oItem)) {
      PrintMail(out, oMail);
    } else if (auto oContact = std::dynamic_pointer_cast<host::ContactItem>(oItem)) {
      const bool bPrivate = oContact->Sensitivity() == host::olPrivate;
      const std::string sAddresses = Joined(mQuillo::GetContactEmailAddresses(oContact));
      out << "  private: " << YesNo(bPrivate) << "\n  addresses: " << sAddresses << "\n";
    } else if (nClass == host::olAppointment || nClass == host::olTask) {
      CRecipients oLinked;
      mQuillo::SafeGetLinks(oItem, oLinked, eFrom);
      out << "  linked contacts" << (eFrom == esFromFolder ? " (as from the folder)" : "") << ":\n";
      PrintRaw(out, oLinked);
    } else {
      out << "  the helpers read nothing from this kind of item\n";
    }
  } catch (const host::Error& e) {
    out << "  failed: " << e.Description() << "\n";
  }
}

void PrintViewFilter(SimSession& oSession, const std::string& sExplorer) {
  const int n = oSession.ExplorerNumber(sExplorer);
  std::shared_ptr<host::View> oView;
  try {
    oView = oSession.Outlook().ExplorerAt(n)->CurrentView();
  } catch (const host::Error& e) {
    oSession.Out() << "  failed: " << e.Description() << "\n";
    return;
  }
  const std::string sFilter = mQuillo::GetViewFilter(oView);
  oSession.Out() << "  view filter: '" << sFilter << "'\n";
}

void RunItem(SimSession& oSession, const Args& a) {
  oSession.NeedConnected();
  if (a.size() == 2 && a[0] == "--view")
    PrintViewFilter(oSession, a[1]);
  else if (a.size() == 1 || (a.size() == 2 && a[1] == "--folder"))
    PrintItem(oSession, a[0], a.size() == 2 ? esFromFolder : esFromSelection);
  else
    ThrowUsage();
}

void RunRedemption(SimSession& oSession, const Args& a) {
  if (a.size() != 1 || (a[0] != "on" && a[0] != "off")) ThrowUsage();
  auto pState = oSession.Outlook().SessionState();
  sim::SetRedemptionInstalled(pState, a[0] == "on");
  oSession.Out() << "  Redemption library " << (sim::RedemptionInstalled(*pState) ? "installed" : "removed")
                 << "\n";
}

}  // namespace

void RegisterRecipientCommands(CommandTable& oTable, std::shared_ptr<SimSession> pSession) {
  oTable.Add({"resolve", "[--progress] [--id ENTRYID|-] WORD...",
              "adds names and addresses to a recipient list and resolves it: \"Name <address>\", an address "
              "(has @) or a name; --id: the following words come from that item",
              On(pSession, RunResolve)});
  oTable.Add({"item", "ENTRYID [--folder] | --view N",
              "prints what the address helpers read from an item (--folder: linked contacts as the folder "
              "command takes them) or the filter of explorer N's view",
              On(pSession, RunItem)});
  oTable.Add({"redemption", "on|off",
              "installs or removes the Redemption library (creating its objects fails)",
              On(pSession, RunRedemption)});
}

}  // namespace app
