#include "sim/Inspectors.h"

#include <algorithm>

#include "host/Error.h"
#include "platform/Registry.h"
#include "sim/ItemObjects.h"
#include "sim/Outlook.h"
#include "sim/Session.h"

namespace sim {
namespace {

// Outlook's own refusals when a message cannot go out.
constexpr const char* kNoRecipients =
    "There must be at least one name or distribution list in the To, Cc, or Bcc box.";
constexpr const char* kUnknownNames = "Outlook does not recognize one or more names.";
constexpr const char* kListNeedsName = "You must enter a name for this distribution list.";

std::string AddressText(const RecipientData& oRecipient) {
  if (!oRecipient.pEntry) return "\"" + oRecipient.sName + "\" (unresolved)";
  const AddressBookEntry& o = *oRecipient.pEntry;
  const std::string& sAddress = o.sSmtpAddress.empty() ? o.sAddress : o.sSmtpAddress;
  return sAddress.empty() ? o.sName : o.sName + " <" + sAddress + ">";  // a list has no address
}

// "To: A <a>; B <b>", "-" for none.
std::string AddressLine(const std::string& sLabel, const std::vector<RecipientPtr>& vecRecipients,
                        int32_t nType) {
  std::string s;
  for (const auto& p : vecRecipients) {
    if (nType != 0 && p->nType != nType) continue;
    s += (s.empty() ? "" : "; ") + AddressText(*p);
  }
  return "  " + sLabel + ": " + (s.empty() ? "-" : s);
}

std::string StateOf(const ItemData& oItem) {
  if (oItem.bSaved && oItem.pFolder) return "saved in " + oItem.pFolder->sPath;
  return "not saved";
}

std::string KindOf(const ItemData& oItem) {
  switch (oItem.nClass) {
    case host::olMail: return "message";
    case host::olDistributionList: return "distribution list";
    default: return "item of class " + std::to_string(oItem.nClass);
  }
}

// Raises an event of a message on every listener, each on its own; true unless one cancelled.
bool RaiseMailEvent(Session& oSession, const char* sPlace, host::Event<bool&>& oEvent) {
  bool bCancel = false;
  oSession.RaiseAtBoundary(sPlace, oEvent, bCancel);
  return !bCancel;
}

}  // namespace

void OpenInspector(Session& oSession, const std::shared_ptr<host::OutlookItem>& oItem) {
  auto& vec = oSession.vecInspectors;
  if (std::find(vec.begin(), vec.end(), oItem) == vec.end()) vec.push_back(oItem);
}

Inspectors::Inspectors(const Outlook& oOutlook) : m_pSession(oOutlook.SessionState()) {}

int Inspectors::Count() const {
  return static_cast<int>(m_pSession->vecInspectors.size());
}

std::shared_ptr<host::OutlookItem> Inspectors::ItemAt(int n) const {
  const auto& vec = m_pSession->vecInspectors;
  if (n < 1 || static_cast<size_t>(n) > vec.size())
    host::Raise(host::err::SubscriptOutOfRange, "There is no inspector " + std::to_string(n) + ".");
  return vec[static_cast<size_t>(n - 1)];
}

bool Inspectors::Send(int n) {
  auto oItem = ItemAt(n);
  auto oMail = std::dynamic_pointer_cast<host::MailItem>(oItem);
  if (!oMail) host::Raise(host::err::InvalidProcedureCall, "Only a message can be sent.");
  ItemPtr pItem = ItemDataOf(oItem);
  if (pItem->vecRecipients.empty()) host::Raise(host::err::E_FAIL, kNoRecipients);
  // Outlook checks the names before it lets the message go.
  bool bAllResolved = true;
  for (const auto& p : pItem->vecRecipients)
    bAllResolved = ResolveRecipient(m_pSession->oModel, *p) && bAllResolved;
  if (!bAllResolved) host::Raise(host::err::E_FAIL, kUnknownNames);
  if (!RaiseMailEvent(*m_pSession, "MailItem.Send", oMail->OnSend)) return false;
  FolderData* pSent = m_pSession->oModel.DefaultFolder(host::olFolderSentMail);
  if (!pSent) host::Raise(host::err::E_FAIL, "There is no Sent Items folder.");
  if (pItem->bSaved) {
    m_pSession->oModel.MoveItem(pItem, *pSent);
  } else {
    pItem->pFolder = pSent;
    m_pSession->oModel.SaveItem(pItem);
  }
  auto& vec = m_pSession->vecInspectors;
  vec.erase(std::remove(vec.begin(), vec.end(), oItem), vec.end());
  return true;
}

bool Inspectors::Save(int n) {
  auto oItem = ItemAt(n);
  ItemPtr pItem = ItemDataOf(oItem);
  if (pItem->nClass == host::olDistributionList && pItem->oProps.Text(prop::PR_SUBJECT).empty())
    host::Raise(host::err::E_FAIL, kListNeedsName);
  if (auto oMail = std::dynamic_pointer_cast<host::MailItem>(oItem))
    if (!RaiseMailEvent(*m_pSession, "MailItem.Write", oMail->OnWrite)) return false;
  m_pSession->oModel.SaveItem(pItem);
  return true;
}

bool Inspectors::Close(int n) {
  auto oItem = ItemAt(n);
  if (auto oMail = std::dynamic_pointer_cast<host::MailItem>(oItem))
    if (!RaiseMailEvent(*m_pSession, "MailItem.Close", oMail->OnClose)) return false;
  // What was never saved goes with the window: nothing of it is left in any folder.
  auto& vec = m_pSession->vecInspectors;
  vec.erase(std::remove(vec.begin(), vec.end(), oItem), vec.end());
  return true;
}

void Inspectors::SetSubject(int n, const std::string& sSubject) {
  ItemDataOf(ItemAt(n))->oProps.Set(prop::PR_SUBJECT, sSubject);
}

bool Inspectors::BccShown() const {
  using namespace platform::reg;
  const std::string sKey = "Software\\Microsoft\\Office\\" + std::to_string(m_pSession->nMajorVersion) +
                           ".0\\Outlook\\Preferences";
  HKEY hKey{};
  if (RegOpenKeyExA(CurrentUser, sKey.c_str(), 0, KeyRead, &hKey) != Success) return false;
  DWORD nType = 0, nValue = 0, cbData = sizeof(nValue);
  LSTATUS nStatus =
      RegQueryValueExA(hKey, "ShowBcc", nullptr, &nType, reinterpret_cast<BYTE*>(&nValue), &cbData);
  RegCloseKey(hKey);
  return nStatus == Success && nType == TypeDword && nValue == 1;
}

std::vector<std::string> Inspectors::Describe(int n) const {
  const ItemData& oItem = *ItemDataOf(ItemAt(n));
  std::vector<std::string> vec;
  vec.push_back(KindOf(oItem) + " \"" + oItem.oProps.Text(prop::PR_SUBJECT) + "\"  (" + StateOf(oItem) + ")");
  if (oItem.nClass == host::olMail) {
    vec.push_back(AddressLine("To", oItem.vecRecipients, host::olTo));
    vec.push_back(AddressLine("Cc", oItem.vecRecipients, host::olCC));
    if (BccShown()) vec.push_back(AddressLine("Bcc", oItem.vecRecipients, host::olBCC));
  } else if (oItem.nClass == host::olDistributionList) {
    vec.push_back(
        AddressLine("Members (" + std::to_string(oItem.vecMembers.size()) + ")", oItem.vecMembers, 0));
  }
  return vec;
}

std::string Inspectors::Summary(int n) const {
  const ItemData& oItem = *ItemDataOf(ItemAt(n));
  std::string s = KindOf(oItem) + " \"" + oItem.oProps.Text(prop::PR_SUBJECT) + "\"  ";
  if (oItem.nClass == host::olDistributionList)
    return s + std::to_string(oItem.vecMembers.size()) + " member(s)";
  int nCount[4] = {0, 0, 0, 0};
  for (const auto& p : oItem.vecRecipients)
    if (p->nType >= 0 && p->nType <= 3) ++nCount[p->nType];
  return s + "To " + std::to_string(nCount[1]) + ", Cc " + std::to_string(nCount[2]) + ", Bcc " +
         std::to_string(nCount[3]);
}

}  // namespace sim
