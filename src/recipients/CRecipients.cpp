#include "recipients/CRecipients.h"

#include "common/mGlobals.h"
#include "feedback/frmProgress.h"
#include "host/Error.h"
#include "host/Redemption.h"
#include "host/Text.h"
#include "platform/Ui.h"
#include "recipients/mQuillo.h"

using mGlobals::Trace;
using mGlobals::TraceError;
using mGlobals::TraceWarning;

namespace {

// A collection not created yet counts as empty.
template <class T>
int32_t CountOf(const std::shared_ptr<CKeyedCollection<T>>& col) {
  return col ? col->Count() : 0;
}

// One step of stage 2; True when the user has cancelled.
bool StepProgress(bool bUseProgressWND) {
  if (!bUseProgressWND) return false;
  g_frmProgress->ProgressStep();
  return g_frmProgress->IsCancelled();
}

// A new mail, never saved nor shown, attached to the safe mail item for one resolution. It is
// detached and released however the resolution ends.
class CScratchMail {
 public:
  explicit CScratchMail(host::SafeMailItem& oSafeMail)
      : m_oMail(host::Deref(g_oApp).CreateItem(host::olMailItem)), m_oAttachment(oSafeMail, m_oMail) {}

 private:
  std::shared_ptr<host::OutlookItem> m_oMail;
  host::SafeItemAttachment m_oAttachment;
};

std::shared_ptr<host::SafeMailItem> NewSafeMailItem() {
  return host::CreateObject<host::SafeMailItem>(host::progid::SafeMailItem);
}

}  // namespace

uint32_t CEntryIDStore::Add(std::string_view sEntryID) {
  if (m_dqIDs.empty() || m_dqIDs.back() != sEntryID) {
    if (m_dqIDs.size() >= UINT32_MAX - 1) host::Raise(host::err::OutOfMemory);
    m_dqIDs.emplace_back(sEntryID);
  }
  return static_cast<uint32_t>(m_dqIDs.size());
}

std::string_view CEntryIDStore::Text(uint32_t nPos) const {
  return m_dqIDs.at(nPos - 1);
}

void CEntryIDStore::Clear() {
  m_dqIDs.clear();
}

CNameList::CNameList(const CNameList& o)
    : m_sFirst(o.m_sFirst), m_pMore(o.m_pMore ? std::make_unique<CStringCollection>(*o.m_pMore) : nullptr) {}

CNameList& CNameList::operator=(const CNameList& o) {
  if (this != &o) *this = CNameList(o);
  return *this;
}

void CNameList::AddIfAbsent(const std::string& sName) {
  if (sName.empty()) return;
  if (m_sFirst.empty()) {
    m_sFirst = sName;
    return;
  }
  if (host::EqualsNoCase(m_sFirst, sName)) return;
  if (!m_pMore) m_pMore = std::make_unique<CStringCollection>();
  m_pMore->AddIfAbsent(sName, sName);
}

int32_t CNameList::Count() const {
  if (m_sFirst.empty()) return 0;
  return 1 + (m_pMore ? m_pMore->Count() : 0);
}

const std::string& CNameList::Item(int32_t nIndex) const {
  if (nIndex < 1 || nIndex > Count()) host::Raise(host::err::SubscriptOutOfRange);
  return nIndex == 1 ? m_sFirst : m_pMore->Item(nIndex - 1);
}

void CRecipients::AddRecipient(const std::string& sName, const std::string& sEmail,
                               const std::string& sItemEntryID) {
  // A new Resolve is needed before the results can be read again.
  m_colResolved.reset();
  const bool bAddress = sEmail.find('@') != std::string::npos;
  if (!bAddress)
    TraceWarning("CRecipients::AddRecipient",
                 mGlobals::sprintf("Using Name='%s', ignoring invalid email='%s'", sName, sEmail));
  if (bAddress)
    AddEmailRecipient(sName, sEmail, sItemEntryID);
  else if (!sName.empty())
    AddNameRecipient(sName, sItemEntryID);
  else
    TraceWarning("CRecipients::AddRecipient", "Ignoring empty recipient (no email, no name)");
}

void CRecipients::AddEmailRecipient(const std::string& sName, const std::string& sEmail,
                                    const std::string& sItemEntryID) {
  host::IgnoreErrors([&] {
    if (!m_colEmailRecipients) m_colEmailRecipients = std::make_shared<CEmailRecipients>();
    // One look-up, and one more only for a new address.
    CEmailRecipient* pRecipient = m_colEmailRecipients->Find(sEmail);
    if (!pRecipient) {
      CEmailRecipient oNew;
      oNew.sEmail = sEmail;
      pRecipient = &m_colEmailRecipients->Add(std::move(oNew), sEmail);
    }
    // A blank name can never be added to a mail: it would only cost a failed try.
    if (sName.find_first_not_of(' ') != std::string::npos) pRecipient->colNames.AddIfAbsent(sName);
    AddEntryID(pRecipient->oEntryIDs, sItemEntryID);
  });
}

void CRecipients::AddNameRecipient(const std::string& sName, const std::string& sItemEntryID) {
  host::IgnoreErrors([&] {
    if (!m_colNameRecipients) m_colNameRecipients = std::make_shared<CNameRecipients>();
    CNameRecipient* pRecipient = m_colNameRecipients->Find(sName);
    if (!pRecipient) {
      CNameRecipient oNew;
      oNew.sName = sName;
      pRecipient = &m_colNameRecipients->Add(std::move(oNew), sName);
    }
    AddEntryID(pRecipient->oEntryIDs, sItemEntryID);
  });
}

void CRecipients::AddEntryID(CEntryIDList& oList, const std::string& sItemEntryID) {
  if (!sItemEntryID.empty()) oList.Add(m_oEntryIDs.Add(sItemEntryID));
}

bool CRecipients::Resolve(bool bUseProgressWND, bool& bHasCanceled) {
  bool bResult = false;
  try {
    bHasCanceled = false;
    // Our own references: the pump runs between the steps.
    auto colEmails = m_colEmailRecipients;
    auto colNames = m_colNameRecipients;
    if (bUseProgressWND) {
      g_frmProgress->ProgressInit(CountOf(colEmails) + CountOf(colNames), 2);
      g_frmProgress->Show(platform::vbModeless);
      platform::DoEvents();
    }
    m_colResolved = std::make_shared<CResolvedRecipients>();

    // Each recipient is copied before its host calls: whatever runs meanwhile, it stays as read.
    for (int32_t i = 1; i <= CountOf(colEmails) && !bHasCanceled; ++i) {
      const CEmailRecipient oRecipient = colEmails->Item(i);
      std::string sText = ResolveEmailRecipient(oRecipient);
      if (!sText.empty())
        AddResolved(sText, oRecipient.oEntryIDs);
      else
        TraceWarning("CRecipients::Resolve", "Recipient '" + oRecipient.sEmail + "' not resolved");
      bHasCanceled = StepProgress(bUseProgressWND);
    }

    for (int32_t i = 1; i <= CountOf(colNames) && !bHasCanceled; ++i) {
      const CNameRecipient oRecipient = colNames->Item(i);
      if (CanResolveName(oRecipient))
        AddResolved(oRecipient.sName, oRecipient.oEntryIDs);
      else
        Trace("CRecipients::Resolve", "Recipient(Email=\") '" + oRecipient.sName + "' not resolved", 2);
      bHasCanceled = StepProgress(bUseProgressWND);
    }

    if (bUseProgressWND) {
      // Without a cancel the window stays up for the caller's next stage.
      if (bHasCanceled) g_frmProgress->ProgressDone();
      platform::DoEvents();
    }
    bResult = host::Deref(m_colResolved).Count() > 0 && !bHasCanceled;
  } catch (...) {
    TraceError("CRecipients::Resolve");
  }
  return bResult;
}

std::string CRecipients::ResolveEmailRecipient(const CEmailRecipient& oRecipient) {
  try {
    auto oSafeMail = NewSafeMailItem();
    std::string sPlainName;
    const CNameList& colCandidates = oRecipient.colNames;
    for (int32_t i = 1; i <= colCandidates.Count(); ++i) {
      const std::string sCandidate = colCandidates.Item(i);
      if (sCandidate.find('@') == std::string::npos) sPlainName = sCandidate;
      CScratchMail oMail(host::Deref(oSafeMail));
      std::string sSmtp;
      try {
        auto oSafeRecipient = host::Deref(oSafeMail->Recipients()).Add(sCandidate);
        host::Deref(oSafeRecipient).Resolve();
        sSmtp = mQuillo::SafeGetSmtpAddress(oSafeRecipient->AddressEntry(), false);
      } catch (...) {
        // A candidate the mail refuses must not lose the address: it counts as not matching.
        TraceError("CRecipients::ResolveEmailRecipient");
      }
      if (host::EqualsNoCase(oRecipient.sEmail, sSmtp)) return sCandidate;
    }
    // A one-off address, under the last name that was not itself an address.
    return sPlainName.empty() ? oRecipient.sEmail : sPlainName + " <" + oRecipient.sEmail + ">";
  } catch (...) {
    TraceError("CRecipients::ResolveEmailRecipient");
  }
  return {};
}

bool CRecipients::CanResolveName(const CNameRecipient& oRecipient) {
  try {
    auto oSafeMail = NewSafeMailItem();
    CScratchMail oMail(host::Deref(oSafeMail));
    auto oSafeRecipient = host::Deref(oSafeMail->Recipients()).Add(oRecipient.sName);
    return host::Deref(oSafeRecipient).Resolve();
  } catch (...) {
    TraceError("CRecipients::CanResolveName");
  }
  return false;
}

void CRecipients::AddResolved(const std::string& sText, const CEntryIDList& oEntryIDs) {
  host::IgnoreErrors([&] {
    CResolvedRecipients& colResolved = host::Deref(m_colResolved);
    std::shared_ptr<CResolvedRecipient>* ppEntry = colResolved.Find(sText);
    if (ppEntry) {
      (*ppEntry)->oEntryIDs.Merge(oEntryIDs);
      return;
    }
    auto pEntry = std::make_shared<CResolvedRecipient>();
    pEntry->sText = sText;
    pEntry->oEntryIDs = oEntryIDs;
    colResolved.Add(std::move(pEntry), sText);
  });
}

int32_t CRecipients::GetResolvedCount() {
  return host::Deref(m_colResolved).Count();
}

std::string CRecipients::GetResolvedName(int32_t nIndex) {
  return host::Deref(m_colResolved).Item(nIndex)->sText;
}

std::shared_ptr<const CStringCollection> CRecipients::GetResolvedAssocItemIDs(int32_t nIndex) {
  CResolvedRecipient& oEntry = *host::Deref(m_colResolved).Item(nIndex);
  if (!oEntry.colEntryIDs)
    oEntry.colEntryIDs = std::make_shared<const CStringCollection>(EntryIDs(oEntry.oEntryIDs));
  return oEntry.colEntryIDs;
}

CStringCollection CRecipients::EntryIDs(const CEntryIDList& oList) const {
  CStringCollection col;
  oList.ForEach([&](uint32_t nPos) {
    const std::string_view sEntryID = m_oEntryIDs.Text(nPos);
    col.AddIfAbsent(sEntryID, sEntryID);
  });
  return col;
}

void CRecipients::Reset() {
  m_colEmailRecipients.reset();
  m_colNameRecipients.reset();
  m_colResolved.reset();
  m_oEntryIDs.Clear();
}
