// Reading addresses and facts out of single Outlook items for the recipient gathering: received
// or composed, replied or not, the SMTP address behind an address entry, a contact's addresses,
// a mail's sender, the contacts linked to an item and the filter of a folder view. Each routine
// keeps its errors to itself: it writes a line and returns what it has.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/Outlook.h"
#include "host/Redemption.h"
#include "recipients/CRecipients.h"

// Where the items of a command come from.
enum ERecipientsFrom : int32_t {
  esFromSelection = 0,  // the explorer's selection: every item is taken
  esFromFolder = 1,     // the whole folder: the exclusion options apply
};

namespace mQuillo {

// False for a mail anywhere below Drafts, Outbox or Sent Items.
bool IsMailReceived(const std::shared_ptr<host::MailItem>& oMail);
// True when the mail carries the replied mark (icon index 261).
bool IsMailReplied(const std::shared_ptr<host::MailItem>& oMail,
                   const std::shared_ptr<host::MAPIUtils>& oUtils);
// The entry's address in lower case; for an Exchange entry its SMTP address. With
// bReportOtherTypes an entry of another address type writes an error line.
std::string SafeGetSmtpAddress(const std::shared_ptr<host::SafeAddressEntry>& oSafeEntry,
                               bool bReportOtherTypes);
// Text, "@", text, ".", text: the shape of an address, not a full check.
bool isEmailAddress(const std::string& s);
// E-mail 1 to 3 of the contact as SMTP addresses, each once, in that order.
CStringCollection GetContactEmailAddresses(const std::shared_ptr<host::ContactItem>& oContact);
// The sender's address as the mail stores it (for an Exchange sender not an SMTP address).
std::string GetSenderEmailAddress(const std::shared_ptr<host::MailItem>& oMail);
// The links of an appointment or a task, the only items that have them: 91 for Nothing, 438
// for an item of another kind.
std::shared_ptr<host::Links> LinksOf(const std::shared_ptr<host::OutlookItem>& oItem);
// Adds the contacts linked to an appointment or task to the list. bExcludePrivate: the
// command's own reading of the option; without it, the option is read here.
void SafeGetLinks(const std::shared_ptr<host::OutlookItem>& oItem, CRecipients& oRecipients,
                  ERecipientsFrom eFrom, std::optional<bool> bExcludePrivate = std::nullopt);
// The view's filter as advanced search takes it; empty without one.
std::string GetViewFilter(const std::shared_ptr<host::View>& oView);

// Fills oRecipients from the active explorer's selection or its whole folder (as its view
// filters it). True when every item was processed; False when the user declined the warning or
// cancelled, eFrom is invalid, the folder has no scope, or anything failed. bUseProgressWND
// tells whether the progress window is open (from 20 items) for the caller's later stages.
bool GetQuilloRecipients(ERecipientsFrom& eFrom, CRecipients& oRecipients, bool& bAddDistLists,
                         bool& bUseProgressWND);

}  // namespace mQuillo
