#include "sim/Model.h"

#include <algorithm>

#include "host/Error.h"
#include "host/Outlook.h"
#include "host/Text.h"
#include "sim/EntryIds.h"

namespace sim {

bool IsKnownItemClass(int32_t nClass) {
  switch (nClass) {
    case host::olMail:
    case host::olAppointment:
    case host::olTask:
    case host::olContact:
    case host::olDistributionList:
    case host::olNote:
    case host::olPost:
    case host::olMeetingRequest: return true;
    default: return false;
  }
}

std::string DefaultMessageClass(int32_t nClass) {
  switch (nClass) {
    case host::olAppointment: return "IPM.Appointment";
    case host::olTask: return "IPM.Task";
    case host::olContact: return "IPM.Contact";
    case host::olDistributionList: return "IPM.DistList";
    case host::olNote: return "IPM.StickyNote";
    case host::olPost: return "IPM.Post";
    case host::olMeetingRequest: return "IPM.Schedule.Meeting.Request";
    default: return "IPM.Note";
  }
}

int32_t ClassOfItemType(int32_t nItemType) {
  switch (nItemType) {
    case host::olMailItem: return host::olMail;
    case host::olAppointmentItem: return host::olAppointment;
    case host::olContactItem: return host::olContact;
    case host::olTaskItem: return host::olTask;
    case host::olNoteItem: return host::olNote;
    case host::olPostItem: return host::olPost;
    case host::olDistributionListItem: return host::olDistributionList;
    default: return 0;  // journal entries are not simulated
  }
}

bool IsKnownDefaultFolder(int32_t n) {
  switch (n) {
    case 3:
    case 4:
    case 5:
    case 6:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 16:
    case 23: return true;
    default: return false;
  }
}

// --- PropertyBag ---

namespace {
auto LowerBound(const std::vector<std::pair<int32_t, host::Variant>>& v, int32_t nTag) {
  return std::lower_bound(v.begin(), v.end(), nTag, [](const auto& p, int32_t t) { return p.first < t; });
}
}  // namespace

const host::Variant* PropertyBag::Find(int32_t nTag) const {
  auto it = LowerBound(m_vecProps, nTag);
  return it != m_vecProps.end() && it->first == nTag ? &it->second : nullptr;
}

void PropertyBag::Set(int32_t nTag, host::Variant v) {
  auto it = LowerBound(m_vecProps, nTag);
  if (it != m_vecProps.end() && it->first == nTag) {
    m_vecProps[static_cast<size_t>(it - m_vecProps.begin())].second = std::move(v);
  } else {
    m_vecProps.insert(m_vecProps.begin() + (it - m_vecProps.begin()), {nTag, std::move(v)});
  }
}

bool PropertyBag::Remove(int32_t nTag) {
  auto it = LowerBound(m_vecProps, nTag);
  if (it == m_vecProps.end() || it->first != nTag) return false;
  m_vecProps.erase(m_vecProps.begin() + (it - m_vecProps.begin()));
  return true;
}

std::string PropertyBag::Text(int32_t nTag) const {
  const host::Variant* p = Find(nTag);
  return p && p->IsString() ? p->ToString() : std::string();
}

int32_t PropertyBag::Long(int32_t nTag) const {
  const host::Variant* p = Find(nTag);
  return p && p->IsNumeric() && !p->IsEmpty() ? p->ToLong() : 0;
}

const host::Variant* ItemData::Prop(int32_t nTag) const {
  if (const host::Variant* p = oProps.Find(nTag)) return p;
  if (nTag != prop::PR_ENTRYID || sEntryID.empty()) return nullptr;
  if (!m_pEntryIDBytes)
    m_pEntryIDBytes = std::make_unique<const host::Variant>(host::Variant::Bytes(BytesOfHex(sEntryID)));
  return m_pEntryIDBytes.get();
}

int32_t NamedProperties::Tag(std::string_view sGuid, int32_t nLid, bool bCreate) {
  auto key = std::make_pair(host::FoldCase(sGuid), nLid);
  auto it = m_mapIds.find(key);
  if (it != m_mapIds.end()) return it->second << 16;
  if (!bCreate || m_nNext > 0xFFFE) return 0;
  m_mapIds.emplace(std::move(key), m_nNext);
  return (m_nNext++) << 16;
}

// --- Model ---

namespace {

// Outlook's address book also lists the distribution lists of the contact folders (the Outlook
// Address Book), so a list resolves by its name.
void AddContactLists(const ProfileFolder& oFolder, std::vector<AddressBookEntry>& vecEntries) {
  if (oFolder.nDefaultItemType == host::olContactItem) {
    for (const auto& oItem : oFolder.vecItems) {
      if (oItem.nClass != host::olDistributionList) continue;
      AddressBookEntry oEntry;
      oEntry.sEntryID = oItem.sEntryID;
      oEntry.sName = oItem.sSubject;
      oEntry.sType = "MAPIPDL";
      vecEntries.push_back(std::move(oEntry));
    }
  }
  for (const auto& oChild : oFolder.vecFolders) AddContactLists(oChild, vecEntries);
}

std::vector<AddressBookEntry> AddressBookOf(const Profile& oProfile) {
  std::vector<AddressBookEntry> vecEntries = oProfile.vecAddressBook;
  for (const auto& oStore : oProfile.vecStores)
    for (const auto& oFolder : oStore.vecFolders) AddContactLists(oFolder, vecEntries);
  return vecEntries;
}

}  // namespace

Model::Model(const Profile& oProfile) : m_oBook(AddressBookOf(oProfile)) {
  for (const auto& oStoreSource : oProfile.vecStores) {
    auto pStore = std::make_unique<StoreData>();
    pStore->sName = oStoreSource.sName;
    pStore->sStoreID = oStoreSource.sStoreID;
    pStore->pTop = std::make_unique<FolderData>();
    FolderData& oTop = *pStore->pTop;
    oTop.sName = oStoreSource.sName;
    oTop.sEntryID = oStoreSource.sTopEntryID;
    oTop.sPath = "\\" + oStoreSource.sName;
    oTop.pStore = pStore.get();
    oTop.oView = {"Messages", ""};
    m_mapFoldersByPath.emplace(host::FoldCase(oTop.sPath), &oTop);
    m_mapFoldersByID.emplace(oTop.sEntryID, &oTop);
    for (const auto& oChild : oStoreSource.vecFolders) {
      auto pFolder = std::make_unique<FolderData>();
      pFolder->pParent = &oTop;
      pFolder->pStore = pStore.get();
      FolderData& oFolder = *pFolder;
      oTop.vecFolders.push_back(std::move(pFolder));
      AddFolder(oFolder, oChild);
    }
    m_vecStores.push_back(std::move(pStore));
  }
  // The first folder of each default kind, in the order a walk from the top meets them.
  if (!m_vecStores.empty()) {
    std::vector<FolderData*> vecStack{m_vecStores.front()->pTop.get()};
    while (!vecStack.empty()) {
      FolderData* p = vecStack.back();
      vecStack.pop_back();
      if (p->nDefaultFolder != 0) m_mapDefaultFolders.emplace(p->nDefaultFolder, p);
      for (auto it = p->vecFolders.rbegin(); it != p->vecFolders.rend(); ++it) vecStack.push_back(it->get());
    }
  }
}

void Model::AddFolder(FolderData& oFolder, const ProfileFolder& oSource) {
  oFolder.sName = oSource.sName;
  oFolder.sEntryID = oSource.sEntryID;
  oFolder.sPath = oFolder.pParent->sPath + "\\" + oSource.sName;
  oFolder.nDefaultItemType = oSource.nDefaultItemType;
  oFolder.nDefaultFolder = oSource.nDefaultFolder;
  oFolder.oView = oSource.oView;
  m_mapFoldersByPath.emplace(host::FoldCase(oFolder.sPath), &oFolder);
  m_mapFoldersByID.emplace(oFolder.sEntryID, &oFolder);
  oFolder.vecItems.reserve(oSource.vecItems.size());
  for (const auto& oItemSource : oSource.vecItems) {
    ItemPtr pItem = MakeItem(oItemSource, oFolder);
    m_mapItemsByID.emplace(std::string_view(pItem->sEntryID), pItem);
    oFolder.vecItems.push_back(std::move(pItem));
  }
  for (const auto& oChild : oSource.vecFolders) {
    auto pFolder = std::make_unique<FolderData>();
    pFolder->pParent = &oFolder;
    pFolder->pStore = oFolder.pStore;
    FolderData& oSub = *pFolder;
    oFolder.vecFolders.push_back(std::move(pFolder));
    AddFolder(oSub, oChild);
  }
}

RecipientPtr Model::MakeRecipient(const ProfileRecipient& oSource) {
  auto pRecipient = std::make_shared<RecipientData>();
  pRecipient->nType = oSource.nType;
  pRecipient->sName = oSource.oWho.sName;
  const AddressRef& r = oSource.oWho;
  if (r.bInAddressBook) {
    pRecipient->pEntry = m_oBook.FindByID(r.sEntryID);
  } else {
    pRecipient->pEntry = OneOffEntry(r);
  }
  return pRecipient;
}

const AddressBook::EntryPtr& Model::OneOffEntry(const AddressRef& r) {
  // A one-off address carries everything itself: no need to read it back out of its ID. The ID
  // encodes the name and the SMTP address (the type of every checked one-off), so one entry, and
  // one ID made here, serves every address with the same two.
  std::string sKey = r.sName;
  sKey += '\0';
  sKey += r.sAddress;
  auto& pEntry = m_mapOneOffs[sKey];
  if (!pEntry) pEntry = AddressBook::OneOff(r.sName, r.sAddress);
  return pEntry;
}

const host::Variant& Model::EntryIDBytes(const AddressRef& r) {
  return EntryIDBytes(r.bInAddressBook ? r.sEntryID : OneOffEntry(r)->sEntryID);
}

const host::Variant& Model::EntryIDBytes(const std::string& sEntryID) {
  auto& v = m_mapEntryIDBytes[sEntryID];
  if (v.IsEmpty()) v = host::Variant::Bytes(BytesOfHex(sEntryID));
  return v;
}

ItemPtr Model::MakeItem(const ProfileItem& oSource, FolderData& oFolder) {
  auto pItem = std::make_shared<ItemData>();
  ItemData& oItem = *pItem;
  oItem.nClass = oSource.nClass;
  oItem.sEntryID = oSource.sEntryID;
  oItem.pFolder = &oFolder;
  oItem.bSaved = true;
  oItem.oProps.Set(prop::PR_MESSAGE_CLASS, oSource.sMessageClass);
  oItem.oProps.Set(prop::PR_SUBJECT, oSource.sSubject);
  if (!oSource.sBody.empty()) oItem.oProps.Set(prop::PR_BODY, oSource.sBody);
  oItem.oProps.Set(prop::PR_SENSITIVITY, oSource.nSensitivity);
  if (!oSource.sFullName.empty()) oItem.oProps.Set(prop::PR_DISPLAY_NAME, oSource.sFullName);
  if (oSource.oSender) SetSender(oItem, *oSource.oSender);
  oItem.sCategories = oSource.sCategories;
  oItem.sOrganizer = oSource.sOrganizer;
  oItem.nResponseStatus = oSource.nResponseStatus;
  for (const auto& oRecipient : oSource.vecRecipients)
    oItem.vecRecipients.push_back(MakeRecipient(oRecipient));
  for (const auto& oMember : oSource.vecMembers) oItem.vecMembers.push_back(MakeRecipient(oMember));
  oItem.vecLinks = oSource.vecLinks;
  for (int n = 0; n < 3; ++n)
    if (oSource.arrEmails[n]) SetContactEmail(oItem, n + 1, *oSource.arrEmails[n]);
  // Free properties come last, so a profile can override what was derived above.
  for (const auto& [nTag, v] : oSource.vecProps) oItem.oProps.Set(nTag, v);
  oItem.oProps.Compact();
  return pItem;
}

void Model::SetSender(ItemData& oItem, const AddressRef& oWho) {
  oItem.oProps.Set(prop::PR_SENDER_NAME, oWho.sName);
  oItem.oProps.Set(prop::PR_SENDER_ADDRTYPE, oWho.sType);
  oItem.oProps.Set(prop::PR_SENDER_EMAIL_ADDRESS, oWho.sAddress);
  oItem.oProps.Set(prop::PR_SENDER_ENTRYID, EntryIDBytes(oWho));
}

int32_t Model::EmailTag(int nIndex, int32_t nLid, int32_t nType) {
  return m_oNamed.Tag(prop::PSETID_Address, nLid + (nIndex - 1) * prop::LID_EMAIL_STEP, true) | nType;
}

void Model::SetContactEmail(ItemData& oItem, int nIndex, const AddressRef& oWho) {
  oItem.oProps.Set(EmailTag(nIndex, prop::LID_EMAIL1_DISPLAY_NAME, prop::PT_STRING8),
                   oWho.sName + " (" + oWho.sAddress + ")");
  oItem.oProps.Set(EmailTag(nIndex, prop::LID_EMAIL1_ADDRTYPE, prop::PT_STRING8), oWho.sType);
  oItem.oProps.Set(EmailTag(nIndex, prop::LID_EMAIL1_ADDRESS, prop::PT_STRING8), oWho.sAddress);
  oItem.oProps.Set(EmailTag(nIndex, prop::LID_EMAIL1_ORIGINAL_ENTRYID, prop::PT_BINARY), EntryIDBytes(oWho));
}

std::string Model::ContactEmailAddress(const ItemData& oItem, int nIndex) {
  int32_t nId = m_oNamed.Tag(prop::PSETID_Address,
                             prop::LID_EMAIL1_ADDRESS + (nIndex - 1) * prop::LID_EMAIL_STEP, false);
  return nId == 0 ? std::string() : oItem.oProps.Text(nId | prop::PT_STRING8);
}

std::string Model::DisplayNameOf(const ItemData& oItem) {
  std::string sName =
      oItem.nClass == host::olContact ? oItem.oProps.Text(prop::PR_DISPLAY_NAME) : std::string();
  return sName.empty() ? oItem.oProps.Text(prop::PR_SUBJECT) : sName;
}

std::string Model::RecipientNames(const ItemData& oItem, int32_t nType) {
  std::string s;
  for (const auto& p : oItem.vecRecipients) {
    if (p->nType != nType) continue;
    if (!s.empty()) s += "; ";
    s += p->sName;
  }
  return s;
}

FolderData* Model::FolderByPath(std::string_view sPath) const {
  size_t nStart = sPath.find_first_not_of('\\');
  if (nStart == std::string_view::npos) return nullptr;
  std::string sKey = "\\" + host::FoldCase(sPath.substr(nStart));
  while (sKey.size() > 1 && sKey.back() == '\\') sKey.pop_back();
  auto it = m_mapFoldersByPath.find(sKey);
  return it == m_mapFoldersByPath.end() ? nullptr : it->second;
}

FolderData* Model::FolderByID(std::string_view sEntryID) const {
  auto it = m_mapFoldersByID.find(NormalEntryID(sEntryID));
  return it == m_mapFoldersByID.end() ? nullptr : it->second;
}

FolderData* Model::DefaultFolder(int32_t nDefaultFolder) const {
  if (!IsKnownDefaultFolder(nDefaultFolder)) return nullptr;
  auto it = m_mapDefaultFolders.find(nDefaultFolder);
  return it == m_mapDefaultFolders.end() ? nullptr : it->second;
}

ItemPtr Model::ItemByID(std::string_view sEntryID) const {
  auto it = m_mapItemsByID.find(NormalEntryID(sEntryID));
  return it == m_mapItemsByID.end() ? nullptr : it->second;
}

std::vector<FolderData*> Model::AllFolders() const {
  std::vector<FolderData*> vec;
  std::function<void(FolderData&)> fnVisit = [&](FolderData& oFolder) {
    vec.push_back(&oFolder);
    for (auto& pChild : oFolder.vecFolders) fnVisit(*pChild);
  };
  for (const auto& pStore : m_vecStores) fnVisit(*pStore->pTop);
  return vec;
}

ItemPtr Model::NewItem(int32_t nClass, FolderData* pFolder) {
  auto pItem = std::make_shared<ItemData>();
  pItem->nClass = nClass;
  pItem->pFolder = pFolder;
  pItem->oProps.Set(prop::PR_MESSAGE_CLASS, DefaultMessageClass(nClass));
  pItem->oProps.Set(prop::PR_SUBJECT, std::string());
  pItem->oProps.Set(prop::PR_SENSITIVITY, int32_t{0});
  return pItem;
}

void Model::SaveItem(const ItemPtr& pItem) {
  ItemData& oItem = host::Deref(pItem);
  if (oItem.bDeleted) host::Raise(host::err::E_FAIL, "The item has been moved or deleted.");
  if (!oItem.pFolder) host::Raise(host::err::E_FAIL, "There is no folder to save this item in.");
  ++oItem.nSaveCount;
  if (oItem.bSaved) {
    Notify(ItemEvent::Change, *oItem.pFolder, pItem);
    return;
  }
  std::string sSeed = oItem.pFolder->sPath + "|created|" + std::to_string(++m_nCreated);
  uint32_t nSalt = 0;
  std::string sID = MakeItemID(sSeed);
  while (m_mapItemsByID.count(sID)) sID = MakeItemID(sSeed, ++nSalt);
  oItem.sEntryID = sID;
  oItem.bSaved = true;
  m_mapItemsByID.emplace(std::string_view(oItem.sEntryID), pItem);
  oItem.pFolder->vecItems.push_back(pItem);
  Notify(ItemEvent::Add, *oItem.pFolder, pItem);
}

void Model::DeleteItem(const ItemPtr& pItem) {
  ItemData& oItem = host::Deref(pItem);
  if (oItem.bDeleted || !oItem.bSaved || !oItem.pFolder) return;
  auto& vec = oItem.pFolder->vecItems;
  vec.erase(std::remove(vec.begin(), vec.end(), pItem), vec.end());
  m_mapItemsByID.erase(oItem.sEntryID);
  oItem.bDeleted = true;
  Notify(ItemEvent::Remove, *oItem.pFolder, pItem);
}

void Model::MoveItem(const ItemPtr& pItem, FolderData& oTarget) {
  ItemData& oItem = host::Deref(pItem);
  if (oItem.bDeleted || !oItem.bSaved || !oItem.pFolder)
    host::Raise(host::err::E_FAIL, "The item has been moved or deleted.");
  FolderData& oSource = *oItem.pFolder;
  if (&oSource == &oTarget) return;
  auto& vec = oSource.vecItems;
  vec.erase(std::remove(vec.begin(), vec.end(), pItem), vec.end());
  oItem.pFolder = &oTarget;
  oTarget.vecItems.push_back(pItem);
  Notify(ItemEvent::Remove, oSource, pItem);
  Notify(ItemEvent::Add, oTarget, pItem);
}

void Model::Notify(ItemEvent eEvent, FolderData& oFolder, const ItemPtr& pItem) {
  if (auto fn = fnOnItemEvent) fn(eEvent, oFolder, pItem);
}

}  // namespace sim
