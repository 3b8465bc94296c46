#include "recipients/mQuillo.h"

#include <string_view>
#include <utility>
#include <vector>

#include "common/mGlobals.h"
#include "host/Text.h"
#include "settings/COptions.h"

using mGlobals::Trace;
using mGlobals::TraceError;

namespace {

// The icon index Outlook shows for a mail that was replied to.
constexpr int32_t kIconReplied = 261;
// The property set of the contact address properties, and the id of e-mail 1's original entry
// ID in it; e-mail 2 and 3 follow every 0x10.
constexpr const char* PSETID_Address = "{00062004-0000-0000-C000-000000000046}";
constexpr int32_t kEmail1OriginalEntryID = 0x8085;
constexpr int32_t kEmailStep = 0x10;

// The view XML's text as the filter reads: the five named entities and numeric character
// references decoded in one pass, so "&amp;quot;" stays the text "&quot;" and a filter on
// "A & B" or "< 5" searches for what the user typed. Anything that is not a well-formed
// reference is kept as it stands.
std::string DecodeXmlText(const std::string& s) {
  static constexpr std::pair<const char*, char> kNamed[] = {
      {"quot", '"'}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"apos", '\''}};
  std::string sResult;
  sResult.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    size_t nSemi = s[i] == '&' ? s.find(';', i + 1) : std::string::npos;
    // The longest reference is "&#x10FFFF;" behind a few leading zeros; no need to look far.
    if (nSemi == std::string::npos || nSemi - i > 12) {
      sResult += s[i++];
      continue;
    }
    const std::string_view sName(s.data() + i + 1, nSemi - i - 1);
    int32_t nCode = -1;
    for (const auto& [sEntity, ch] : kNamed)
      if (host::EqualsNoCase(sName, sEntity)) nCode = static_cast<unsigned char>(ch);
    if (nCode < 0 && sName.size() >= 2 && sName[0] == '#') {
      const bool bHex = sName[1] == 'x' || sName[1] == 'X';
      const std::string_view sDigits = sName.substr(bHex ? 2 : 1);
      int64_t nValue = sDigits.empty() ? -1 : 0;
      for (char ch : sDigits) {
        int nDigit = ch >= '0' && ch <= '9'           ? ch - '0'
                     : bHex && ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                     : bHex && ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                                      : -1;
        if (nDigit < 0 || nValue > 0x10FFFF) {
          nValue = -1;
          break;
        }
        nValue = nValue * (bHex ? 16 : 10) + nDigit;
      }
      // Characters XML allows: no NUL, no surrogate halves, nothing past Unicode's end.
      if (nValue > 0 && nValue <= 0x10FFFF && !(nValue >= 0xD800 && nValue <= 0xDFFF))
        nCode = static_cast<int32_t>(nValue);
    }
    if (nCode < 0) {
      sResult += s[i++];
      continue;
    }
    host::AppendUtf8(nCode, sResult);
    i = nSemi + 1;
  }
  return sResult;
}

}  // namespace

namespace mQuillo {

std::shared_ptr<host::Links> LinksOf(const std::shared_ptr<host::OutlookItem>& oItem) {
  host::OutlookItem& o = host::Deref(oItem);
  if (auto* pAppointment = dynamic_cast<host::AppointmentItem*>(&o)) return pAppointment->Links();
  if (auto* pTask = dynamic_cast<host::TaskItem*>(&o)) return pTask->Links();
  host::Raise(host::err::NoSuchMember);
}

bool IsMailReceived(const std::shared_ptr<host::MailItem>& oMail) {
  bool bResult = false;
  try {
    auto oSession = host::Deref(g_oApp).Session();
    std::string aComposed[3];
    int32_t aFolders[3] = {host::olFolderDrafts, host::olFolderOutbox, host::olFolderSentMail};
    for (int i = 0; i < 3; ++i)
      aComposed[i] = host::Deref(host::Deref(oSession).GetDefaultFolder(aFolders[i])).EntryID();

    std::shared_ptr<host::OutlookObject> oFolder = host::Deref(oMail).Parent();
    bResult = true;
    // Up to the namespace: a mail in a subfolder of Sent Items was written by the user too.
    while (host::Deref(oFolder).Class() == host::olFolder) {
      std::string sEntryID = host::As<host::MAPIFolder>(oFolder)->EntryID();
      if (sEntryID == aComposed[0] || sEntryID == aComposed[1] || sEntryID == aComposed[2]) {
        bResult = false;
        break;
      }
      oFolder = oFolder->Parent();
    }
  } catch (...) {
    TraceError("mQuillo::IsMailReceived");
  }
  return bResult;
}

bool IsMailReplied(const std::shared_ptr<host::MailItem>& oMail,
                   const std::shared_ptr<host::MAPIUtils>& oUtils) {
  bool bReplied = false;
  // A mail without the property was never marked.
  host::IgnoreErrors([&] {
    host::Variant vIcon;
    bReplied = host::Deref(oUtils).TryHrGetOneProp(oMail, host::tag::PR_ICON_INDEX, vIcon) &&
               vIcon.ToLong() == kIconReplied;
  });
  return bReplied;
}

bool isEmailAddress(const std::string& s) {
  try {
    size_t nAt = host::InStrNoCase(1, s, "@");
    if (nAt <= 1) return false;
    size_t nDot = host::InStrNoCase(nAt, s, ".");
    return nDot > nAt + 1 && nDot < s.size();
  } catch (...) {
    TraceError("mQuillo::isEmailAddress");
  }
  return false;
}

std::string SafeGetSmtpAddress(const std::shared_ptr<host::SafeAddressEntry>& oSafeEntry,
                               bool bReportOtherTypes) {
  // An unresolved recipient has no entry: no address and no type, without raising and ignoring
  // an error for it (the resolution meets one for every candidate that is not in the book).
  if (!oSafeEntry) return {};
  std::string sAddress;
  host::IgnoreErrors([&] { sAddress = oSafeEntry->Address(); });
  if (!isEmailAddress(sAddress)) {
    std::string sType;
    bool bTypeRead = false;
    host::IgnoreErrors([&] {
      sType = oSafeEntry->Fields(host::tag::PR_ADDRTYPE).ToString();
      bTypeRead = true;
    });
    if (sType == "SMTP") {
      // The address as read.
    } else if (sType == "EX") {
      host::IgnoreErrors([&] { sAddress = oSafeEntry->Fields(host::tag::PR_SMTP_ADDRESS).ToString(); });
    } else if (bReportOtherTypes && bTypeRead) {
      // An entry whose type cannot be read is a failing step, which stays silent.
      TraceError("mQuillo::SafeGetSmtpAddress", 0,
                 "strType = '" + sType + "'" + " oSafeEntry.Address = '" + sAddress + "'");
    }
  }
  return host::FoldCase(sAddress);
}

CStringCollection GetContactEmailAddresses(const std::shared_ptr<host::ContactItem>& oContact) {
  CStringCollection colAddresses;
  try {
    auto oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils);
    for (int32_t i = 1; i <= 3; ++i) {
      // As a 16-bit integer, the way the id reaches the library.
      auto nID = static_cast<int16_t>(kEmail1OriginalEntryID + (i - 1) * kEmailStep);
      int32_t nTag = host::Deref(oUtils).GetIDsFromNames(oContact, PSETID_Address, host::Variant(nID), false);
      if (nTag == 0) continue;
      // The name is defined once any contact of the store has that e-mail: this contact may
      // still lack it, which only means the address is not set.
      host::Variant vEntryID;
      host::IgnoreErrors([&] { oUtils->TryHrGetOneProp(oContact, nTag + host::tag::PT_BINARY, vEntryID); });
      if (!vEntryID.IsArray()) continue;
      auto oEntry = oUtils->GetAddressEntryFromID(host::HexOfBytes(vEntryID.ToBytes()));
      std::string sAddress = host::FoldCase(host::Trim(SafeGetSmtpAddress(oEntry, true)));
      if (isEmailAddress(sAddress) && !colAddresses.Find(sAddress)) colAddresses.Add(sAddress, sAddress);
    }
  } catch (...) {
    TraceError("mQuillo::GetContactEmailAddresses");
  }
  return colAddresses;
}

std::string GetSenderEmailAddress(const std::shared_ptr<host::MailItem>& oMail) {
  try {
    auto oSafeMail = host::CreateObject<host::SafeMailItem>(host::progid::SafeMailItem);
    host::SafeItemAttachment oAttachment(host::Deref(oSafeMail), oMail);
    std::string sAddress = oSafeMail->Fields(host::tag::PR_SENDER_EMAIL_ADDRESS).ToString();
    oAttachment.Detach();
    return sAddress;
  } catch (...) {
    TraceError("mQuillo::GetSenderEmailAddress");
  }
  return {};
}

void SafeGetLinks(const std::shared_ptr<host::OutlookItem>& oItem, CRecipients& oRecipients,
                  ERecipientsFrom eFrom, std::optional<bool> bExcludePrivate) {
  try {
    auto oLinks = LinksOf(oItem);
    const int32_t nCount = host::Deref(oLinks).Count();
    for (int32_t i = 1; i <= nCount; ++i) {
      auto oLink = oLinks->Item(i);
      if (host::Deref(oLink).Type() != host::olContact) continue;
      std::shared_ptr<host::ContactItem> oContact;
      host::IgnoreErrors([&] { oContact = host::As<host::ContactItem>(oLink->Item()); });
      if (!oContact) {
        // Resolved by name later.
        oRecipients.AddRecipient(oLink->Name(), "", "");
      } else if (eFrom == esFromSelection ||
                 !(bExcludePrivate ? *bExcludePrivate : g_oOptions->ExcludePrivateContacts()) ||
                 oContact->Sensitivity() != host::olPrivate) {
        std::string sName = oContact->FullName();
        CStringCollection colAddresses = GetContactEmailAddresses(oContact);
        oRecipients.AddRecipient(sName, colAddresses.Count() > 0 ? colAddresses.Item(1) : "", "");
      } else {
        Trace("mQuillo::SafeGetLinks", "Exclude private contacts", 2);
      }
    }
  } catch (...) {
    TraceError("mQuillo::SafeGetLinks");
  }
}

std::string GetViewFilter(const std::shared_ptr<host::View>& oView) {
  constexpr const char* kSource = "mQuillo::GetViewFilter";
  try {
    const std::string sXml = host::Deref(oView).XML();
    Trace(kSource, "ViewXML = " + sXml, 3);
    const std::string sOpen = "<filter>", sClose = "</filter>";
    size_t nOpen = host::InStrNoCase(1, sXml, sOpen);
    size_t nClose = host::InStrNoCase(nOpen + 1, sXml, sClose);
    std::string sFilter;
    size_t nStart = nOpen + sOpen.size();  // 1-based, behind "<filter>"
    if (nOpen != 0 && nClose != 0 && nClose >= nStart) sFilter = sXml.substr(nStart - 1, nClose - nStart);
    Trace(kSource, "sFilter = " + sFilter, 2);
    if (!sFilter.empty()) {
      // Outlook writes the filter as XML text: quotes, ampersands and angle brackets arrive as
      // entities.
      sFilter = DecodeXmlText(sFilter);
      Trace(kSource, "sFilter(html->text) = " + sFilter, 2);
    }
    return sFilter;
  } catch (...) {
    TraceError(kSource);
  }
  return {};
}

}  // namespace mQuillo
