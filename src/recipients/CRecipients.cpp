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

// Adds s keyed by itself unless it is empty or already there (in any letter case).
void AddOnce(CStringCollection& col, const std::string& s) {
  if (!s.empty()) col.AddIfAbsent(s, s);
}

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
    std::shared_ptr<CEmailRecipient>* ppRecipient = m_colEmailRecipients->Find(sEmail);
    if (!ppRecipient) {
      auto pRecipient = std::make_shared<CEmailRecipient>();
      pRecipient->sEmail = sEmail;
      ppRecipient = &m_colEmailRecipients->Add(std::move(pRecipient), sEmail);
    }
    CEmailRecipient& oRecipient = **ppRecipient;
    // A blank name can never be added to a mail: it would only cost a failed try.
    if (sName.find_first_not_of(' ') != std::string::npos) AddOnce(oRecipient.colNames, sName);
    AddEntryID(oRecipient.oEntryIDs, sItemEntryID);
  });
}

void CRecipients::AddNameRecipient(const std::string& sName, const std::string& sItemEntryID) {
  host::IgnoreErrors([&] {
    if (!m_colNameRecipients) m_colNameRecipients = std::make_shared<CNameRecipients>();
    std::shared_ptr<CNameRecipient>* ppRecipient = m_colNameRecipients->Find(sName);
    if (!ppRecipient) {
      auto pRecipient = std::make_shared<CNameRecipient>();
      pRecipient->sName = sName;
      ppRecipient = &m_colNameRecipients->Add(std::move(pRecipient), sName);
    }
    AddEntryID((*ppRecipient)->oEntryIDs, sItemEntryID);
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

    for (int32_t i = 1; i <= CountOf(colEmails) && !bHasCanceled; ++i) {
      std::shared_ptr<CEmailRecipient> pRecipient = colEmails->Item(i);
      std::string sText = ResolveEmailRecipient(*pRecipient);
      if (!sText.empty())
        AddResolved(sText, pRecipient->oEntryIDs);
      else
        TraceWarning("CRecipients::Resolve", "Recipient '" + pRecipient->sEmail + "' not resolved");
      bHasCanceled = StepProgress(bUseProgressWND);
    }

    for (int32_t i = 1; i <= CountOf(colNames) && !bHasCanceled; ++i) {
      std::shared_ptr<CNameRecipient> pRecipient = colNames->Item(i);
      if (CanResolveName(*pRecipient))
        AddResolved(pRecipient->sName, pRecipient->oEntryIDs);
      else
        Trace("CRecipients::Resolve", "Recipient(Email=\") '" + pRecipient->sName + "' not resolved", 2);
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
    const CStringCollection& colCandidates = oRecipient.colNames;
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
