#include "feedback/CMailItemWrapper.h"

#include "common/mGlobals.h"
#include "host/Redemption.h"

using mGlobals::Trace;

namespace {

// The icon index Outlook shows for a replied mail.
constexpr int16_t kIconReplied = 261;

}  // namespace

CMailItemWrapper::~CMailItemWrapper() {
  Done();
}

void CMailItemWrapper::Init(const std::shared_ptr<host::OutlookItem>& oItem,
                            const CStringCollection& colEntryIDsMakeRepliedOnSend) {
  host::IgnoreErrors([&] {
    m_vecItemEvents.clear();
    m_oItem = host::As<host::MailItem>(oItem);
    if (!m_oItem) return;
    m_vecItemEvents.push_back(m_oItem->OnClose.Connect([this](bool& Cancel) { m_oItem_Close(Cancel); }));
    m_vecItemEvents.push_back(m_oItem->OnSend.Connect([this](bool& Cancel) { m_oItem_Send(Cancel); }));
    m_vecItemEvents.push_back(m_oItem->OnWrite.Connect([this](bool& Cancel) { m_oItem_Write(Cancel); }));
  });
  host::IgnoreErrors([&] {
    for (const std::string& sEntryID : colEntryIDsMakeRepliedOnSend) m_colEntryIDs.push_back(sEntryID);
  });
}

bool CMailItemWrapper::IsEmpty() {
  if (!m_oItem) return true;
  if (!m_bClosed) return false;
  Done();
  return true;
}

void CMailItemWrapper::Done() {
  // The connections go first: no event can arrive at a tracker that holds nothing.
  m_vecItemEvents.clear();
  m_oItem.reset();
  m_colEntryIDs.clear();
}

void CMailItemWrapper::m_oItem_Close(bool&) {
  // The mail stays held: a purge releases it later.
  m_bClosed = true;
}

void CMailItemWrapper::m_oItem_Send(bool&) {
  host::IgnoreErrors([] { Trace("CMailItemWrapper::m_oItem_Send", "->", 3); });
  host::IgnoreErrors([&] { Reply(); });
  Done();
}

void CMailItemWrapper::m_oItem_Write(bool&) {
  host::IgnoreErrors([] { Trace("CMailItemWrapper::m_oItem_Write", "->", 3); });
  host::IgnoreErrors([&] { Reply(); });
  Done();
}

void CMailItemWrapper::Reply() {
  // Without Redemption every marking below fails on its own and nothing is marked.
  std::shared_ptr<host::MAPIUtils> oUtils;
  host::IgnoreErrors([&] { oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils); });
  // A copy: saving a marked mail raises Outlook events, and their handlers may end this tracker.
  const std::vector<std::string> colEntryIDs = m_colEntryIDs;
  for (const std::string& sEntryID : colEntryIDs) {
    std::shared_ptr<host::MailItem> oMail;
    host::ErrorInfo oError;
    try {
      oMail = host::As<host::MailItem>(host::Deref(host::Deref(g_oApp).Session()).GetItemFromID(sEntryID));
    } catch (...) {
      oError = host::CurrentError();
      oMail.reset();
    }
    if (!oMail) {
      host::IgnoreErrors([&] {
        Trace("CMailItemWrapper::Reply",
              mGlobals::sprintf("cant get mailitem from entryID = '%s', ErrNum=%d, ErrDesc=%s", sEntryID,
                                oError.nNumber, oError.sDescription),
              2);
      });
      continue;
    }
    host::IgnoreErrors([&] {
      host::Deref(oUtils).HrSetOneProp(oMail, host::tag::PR_ICON_INDEX, host::Variant(kIconReplied), true);
    });
  }
}
