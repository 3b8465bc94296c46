#include "sim/OutlookObjects.h"

#include <algorithm>
#include <functional>

#include "host/Text.h"
#include "sim/CommandBarObjects.h"
#include "sim/ItemObjects.h"
#include "sim/ItemProperties.h"
#include "sim/SearchObjects.h"

namespace sim {
namespace {

// The default folder a new item of a class is saved into.
int32_t DefaultFolderOfClass(int32_t nClass) {
  switch (nClass) {
    case host::olAppointment: return host::olFolderCalendar;
    case host::olContact:
    case host::olDistributionList: return host::olFolderContacts;
    case host::olTask: return host::olFolderTasks;
    case host::olNote: return host::olFolderNotes;
    case host::olPost: return host::olFolderInbox;
    default: return host::olFolderDrafts;
  }
}

// Items.Add takes an item type or a message class.
int32_t ClassForAdd(const host::Variant& Type, int32_t nFolderType) {
  if (Type.IsString()) {
    std::string s = host::FoldCase(Type.ToString());
    for (int32_t nClass : {host::olMail, host::olAppointment, host::olTask, host::olContact,
                           host::olDistributionList, host::olNote, host::olPost, host::olMeetingRequest})
      if (s == host::FoldCase(DefaultMessageClass(nClass)) ||
          s.rfind(host::FoldCase(DefaultMessageClass(nClass)) + ".", 0) == 0)
        return nClass;
    host::Raise(host::err::InvalidProcedureCall, "Unknown message class \"" + Type.ToString() + "\".");
  }
  int32_t nClass = ClassOfItemType(Type.IsEmpty() ? nFolderType : Type.ToLong());
  if (nClass == 0)
    host::Raise(host::err::InvalidProcedureCall, "The simulation cannot create items of this type.");
  return nClass;
}

}  // namespace

FolderData* FolderDataOf(const std::shared_ptr<host::Object>& oObject) {
  auto* pFolder = dynamic_cast<const FolderObj*>(oObject.get());
  return pFolder ? pFolder->Data() : nullptr;
}

// --- Application ---

int32_t ApplicationObj::Class() {
  return Hooked<"Application.Class">(*m_pSession, host::olApplication);
}

std::shared_ptr<host::OutlookObject> ApplicationObj::Parent() {
  return Hooked<"Application.Parent">(*m_pSession, nullptr);
}

std::shared_ptr<host::Explorers> ApplicationObj::Explorers() {
  return Hooked<"Application.Explorers">(*m_pSession, m_pSession->pExplorers);
}

std::shared_ptr<host::Explorer> ApplicationObj::ActiveExplorer() {
  m_pSession->Hit<"Application.ActiveExplorer">();
  return m_pSession->ActiveExplorer();
}

std::shared_ptr<host::NameSpace> ApplicationObj::Session() {
  return Hooked<"Application.Session">(*m_pSession, m_pSession->pNameSpace);
}

std::string ApplicationObj::Version() {
  return Hooked<"Application.Version">(*m_pSession, m_pSession->sVersion);
}

std::shared_ptr<host::OutlookItem> ApplicationObj::CreateItem(int32_t nItemType) {
  m_pSession->Hit<"Application.CreateItem">();
  int32_t nClass = ClassOfItemType(nItemType);
  if (nClass == 0)
    host::Raise(host::err::InvalidProcedureCall, "The simulation cannot create items of this type.");
  FolderData* pFolder = m_pSession->oModel.DefaultFolder(DefaultFolderOfClass(nClass));
  return m_pSession->ItemObject(m_pSession->oModel.NewItem(nClass, pFolder));
}

std::shared_ptr<host::Search> ApplicationObj::AdvancedSearch(const std::string& sScope,
                                                             const host::Variant& Filter,
                                                             const host::Variant& SearchSubFolders,
                                                             const host::Variant& Tag) {
  m_pSession->Hit<"Application.AdvancedSearch">();
  return StartAdvancedSearch(m_pSession, sScope, Filter, SearchSubFolders, Tag);
}

// --- Explorers ---

int32_t ExplorersObj::Class() {
  return Hooked<"Explorers.Class">(*m_pSession, host::olExplorers);
}

std::shared_ptr<host::OutlookObject> ExplorersObj::Parent() {
  return Hooked<"Explorers.Parent">(*m_pSession, m_pSession->pApp);
}

int32_t ExplorersObj::Count() {
  return HookedCount<"Explorers.Count">(*m_pSession, m_pSession->vecExplorers);
}

std::shared_ptr<host::Explorer> ExplorersObj::Item(int32_t nIndex) {
  m_pSession->Hit<"Explorers.Item">();
  return AtPosition(m_pSession->vecExplorers, nIndex);
}

// --- Explorer ---

ExplorerObj::ExplorerObj(std::shared_ptr<Session> pSession, FolderData* pFolder)
    : m_pSession(std::move(pSession)), m_pFolder(pFolder) {}

void ExplorerObj::Init() {
  m_pBars = std::make_shared<BarsObj>(m_pSession, std::static_pointer_cast<ExplorerObj>(shared_from_this()));
  m_pBars->BuildBuiltIns();
}

void ExplorerObj::CheckOpen() const {
  if (m_bClosed) host::Raise(host::err::E_FAIL, "The explorer has been closed.");
}

int32_t ExplorerObj::Class() {
  return Hooked<"Explorer.Class">(*m_pSession, host::olExplorer);
}

std::shared_ptr<host::OutlookObject> ExplorerObj::Parent() {
  return Hooked<"Explorer.Parent">(*m_pSession, m_pSession->pApp);
}

std::shared_ptr<host::CommandBars> ExplorerObj::CommandBars() {
  m_pSession->Hit<"Explorer.CommandBars">();
  CheckOpen();
  return m_pBars;
}

std::shared_ptr<host::MAPIFolder> ExplorerObj::CurrentFolder() {
  m_pSession->Hit<"Explorer.CurrentFolder">();
  CheckOpen();
  return m_pSession->FolderObject(m_pFolder);
}

std::shared_ptr<host::View> ExplorerObj::CurrentView() {
  m_pSession->Hit<"Explorer.CurrentView">();
  CheckOpen();
  return std::make_shared<ViewObj>(m_pSession, m_pFolder->oView,
                                   std::static_pointer_cast<ExplorerObj>(shared_from_this()));
}

std::shared_ptr<host::Selection> ExplorerObj::Selection() {
  m_pSession->Hit<"Explorer.Selection">();
  CheckOpen();
  std::vector<ItemPtr> vecLive;
  for (const auto& p : m_vecSelection)
    if (!p->bDeleted) vecLive.push_back(p);
  return std::make_shared<SelectionObj>(m_pSession, std::move(vecLive),
                                        std::static_pointer_cast<ExplorerObj>(shared_from_this()));
}

std::string ExplorerObj::Caption() {
  m_pSession->Hit<"Explorer.Caption">();
  CheckOpen();
  return m_pFolder->sName + " - Microsoft Outlook";
}

void ExplorerObj::SetFolder(FolderData* pFolder) {
  m_pFolder = pFolder;
  m_vecSelection.clear();
}

void ExplorerObj::MarkClosed() {
  m_bClosed = true;
  m_vecSelection.clear();
  if (m_pBars) m_pBars->RemoveTemporary();
}

// --- View ---

int32_t ViewObj::Class() {
  return Hooked<"View.Class">(*m_pSession, host::olView);
}

std::shared_ptr<host::OutlookObject> ViewObj::Parent() {
  m_pSession->Hit<"View.Parent">();
  return m_wExplorer.lock();
}

std::string ViewObj::Name() {
  return Hooked<"View.Name">(*m_pSession, m_oView.sName);
}

std::string ViewObj::XML() {
  return Hooked<"View.XML">(*m_pSession, m_oView.sXml);
}

// --- Selection ---

int32_t SelectionObj::Class() {
  return Hooked<"Selection.Class">(*m_pSession, host::olSelection);
}

std::shared_ptr<host::OutlookObject> SelectionObj::Parent() {
  m_pSession->Hit<"Selection.Parent">();
  return m_wExplorer.lock();
}

int32_t SelectionObj::Count() {
  return HookedCount<"Selection.Count">(*m_pSession, m_vecItems);
}

std::shared_ptr<host::OutlookItem> SelectionObj::Item(int32_t nIndex) {
  m_pSession->Hit<"Selection.Item">();
  return m_pSession->ItemObject(AtPosition(m_vecItems, nIndex));
}

// --- NameSpace ---

int32_t NameSpaceObj::Class() {
  return Hooked<"NameSpace.Class">(*m_pSession, host::olNamespace);
}

std::shared_ptr<host::OutlookObject> NameSpaceObj::Parent() {
  return Hooked<"NameSpace.Parent">(*m_pSession, m_pSession->pApp);
}

std::shared_ptr<host::MAPIFolder> NameSpaceObj::GetDefaultFolder(int32_t nFolderType) {
  m_pSession->Hit<"NameSpace.GetDefaultFolder">();
  if (!IsKnownDefaultFolder(nFolderType)) host::Raise(host::err::InvalidProcedureCall);
  FolderData* pFolder = m_pSession->oModel.DefaultFolder(nFolderType);
  if (!pFolder)
    host::Raise(kErrNotFound,
                "The default folder " + std::to_string(nFolderType) + " does not exist in this profile.");
  return m_pSession->FolderObject(pFolder);
}

std::shared_ptr<host::MAPIFolder> NameSpaceObj::GetFolderFromID(const std::string& sEntryID,
                                                                const host::Variant&) {
  m_pSession->Hit<"NameSpace.GetFolderFromID">();
  FolderData* pFolder = m_pSession->oModel.FolderByID(sEntryID);
  if (!pFolder) host::Raise(kErrNotFound, "The operation failed. An object could not be found.");
  return m_pSession->FolderObject(pFolder);
}

std::shared_ptr<host::OutlookItem> NameSpaceObj::GetItemFromID(const std::string& sEntryID,
                                                               const host::Variant&) {
  m_pSession->Hit<"NameSpace.GetItemFromID">();
  ItemPtr pItem = m_pSession->oModel.ItemByID(sEntryID);
  if (!pItem) host::Raise(kErrNotFound, "The operation failed. An object could not be found.");
  return m_pSession->ItemObject(pItem);
}

std::shared_ptr<host::Folders> NameSpaceObj::Folders() {
  m_pSession->Hit<"NameSpace.Folders">();
  return std::make_shared<FoldersObj>(m_pSession, nullptr);
}

std::shared_ptr<host::Recipient> NameSpaceObj::CreateRecipient(const std::string& sRecipientName) {
  m_pSession->Hit<"NameSpace.CreateRecipient">();
  if (host::Trim(sRecipientName).empty())
    host::Raise(host::err::InvalidProcedureCall, "A recipient needs a name.");
  auto p = std::make_shared<RecipientData>();
  p->sName = sRecipientName;
  return std::make_shared<RecipientObj>(m_pSession, p, nullptr);
}

// --- Folders ---

std::vector<FolderData*> FoldersObj::List() const {
  std::vector<FolderData*> vec;
  if (m_pParent) {
    for (const auto& p : m_pParent->vecFolders) vec.push_back(p.get());
  } else {
    for (const auto& p : m_pSession->oModel.Stores()) vec.push_back(p->pTop.get());
  }
  return vec;
}

int32_t FoldersObj::Class() {
  return Hooked<"Folders.Class">(*m_pSession, host::olFolders);
}

std::shared_ptr<host::OutlookObject> FoldersObj::Parent() {
  m_pSession->Hit<"Folders.Parent">();
  if (m_pParent) return m_pSession->FolderObject(m_pParent);
  return m_pSession->pNameSpace;
}

int32_t FoldersObj::Count() {
  m_pSession->Hit<"Folders.Count">();
  return static_cast<int32_t>(List().size());
}

std::shared_ptr<host::MAPIFolder> FoldersObj::Item(const host::Variant& Index) {
  m_pSession->Hit<"Folders.Item">();
  auto vec = List();
  if (Index.IsString()) {
    std::string sName = Index.ToString();
    for (FolderData* p : vec)
      if (host::EqualsNoCase(p->sName, sName)) return m_pSession->FolderObject(p);
    host::Raise(kErrNotFound, "The folder \"" + sName + "\" does not exist.");
  }
  return m_pSession->FolderObject(AtPosition(vec, Index.ToLong()));
}

std::shared_ptr<host::MAPIFolder> FoldersObj::GetFirst() {
  m_pSession->Hit<"Folders.GetFirst">();
  m_nNext = 0;
  auto vec = List();
  return m_nNext < vec.size() ? m_pSession->FolderObject(vec[m_nNext++]) : nullptr;
}

std::shared_ptr<host::MAPIFolder> FoldersObj::GetNext() {
  m_pSession->Hit<"Folders.GetNext">();
  auto vec = List();
  return m_nNext < vec.size() ? m_pSession->FolderObject(vec[m_nNext++]) : nullptr;
}

// --- MAPIFolder ---

int32_t FolderObj::Class() {
  return Hooked<"MAPIFolder.Class">(*m_pSession, host::olFolder);
}

std::shared_ptr<host::OutlookObject> FolderObj::Parent() {
  m_pSession->Hit<"MAPIFolder.Parent">();
  return m_pSession->ParentOfFolder(m_pFolder);
}

std::string FolderObj::Name() {
  return Hooked<"MAPIFolder.Name">(*m_pSession, m_pFolder->sName);
}

std::string FolderObj::EntryID() {
  return Hooked<"MAPIFolder.EntryID">(*m_pSession, m_pFolder->sEntryID);
}

std::string FolderObj::StoreID() {
  return Hooked<"MAPIFolder.StoreID">(*m_pSession, m_pFolder->pStore->sStoreID);
}

int32_t FolderObj::DefaultItemType() {
  return Hooked<"MAPIFolder.DefaultItemType">(*m_pSession, m_pFolder->nDefaultItemType);
}

std::shared_ptr<host::Folders> FolderObj::Folders() {
  m_pSession->Hit<"MAPIFolder.Folders">();
  return std::make_shared<FoldersObj>(m_pSession, m_pFolder);
}

std::shared_ptr<host::Items> FolderObj::Items() {
  m_pSession->Hit<"MAPIFolder.Items">();
  auto p = std::make_shared<ItemsObj>(m_pSession, m_pFolder);
  m_pSession->Listen(m_pFolder, p);
  return p;
}

// --- Items ---

int32_t ItemsObj::Class() {
  return Hooked<"Items.Class">(*m_pSession, host::olItems);
}

std::shared_ptr<host::OutlookObject> ItemsObj::Parent() {
  m_pSession->Hit<"Items.Parent">();
  return m_pSession->FolderObject(m_pFolder);
}

ItemsView* ItemsObj::View() {
  if (!m_pFilter && m_sSort.empty()) return nullptr;
  if (!m_pView || !m_pView->Fits())
    m_pView = std::make_unique<ItemsView>(m_pSession->oModel, m_pFolder->vecItems, m_pFilter, m_sSort,
                                          m_bDescending);
  return m_pView.get();
}

size_t ItemsObj::Size() {
  ItemsView* pView = View();
  return pView ? pView->Size() : m_pFolder->vecItems.size();
}

const ItemPtr& ItemsObj::At(size_t n) {
  ItemsView* pView = View();
  return pView ? pView->At(n) : m_pFolder->vecItems[n];
}

std::shared_ptr<host::OutlookItem> ItemsObj::Next() {
  return m_nNext < Size() ? m_pSession->ItemObject(At(m_nNext++)) : nullptr;
}

int32_t ItemsObj::Count() {
  m_pSession->Hit<"Items.Count">();
  return static_cast<int32_t>(Size());
}

std::shared_ptr<host::OutlookItem> ItemsObj::Item(const host::Variant& Index) {
  m_pSession->Hit<"Items.Item">();
  const size_t nSize = Size();
  if (Index.IsString()) {
    std::string sSubject = Index.ToString();
    for (size_t i = 0; i < nSize; ++i)
      if (host::EqualsNoCase(At(i)->oProps.Text(prop::PR_SUBJECT), sSubject))
        return m_pSession->ItemObject(At(i));
    host::Raise(kErrNotFound, "No item has the subject \"" + sSubject + "\".");
  }
  const int32_t n = Index.ToLong();
  if (n < 1 || static_cast<size_t>(n) > nSize) host::Raise(kErrBadIndex, "Array index out of bounds.");
  return m_pSession->ItemObject(At(static_cast<size_t>(n - 1)));
}

std::shared_ptr<host::OutlookItem> ItemsObj::GetFirst() {
  m_pSession->Hit<"Items.GetFirst">();
  m_nNext = 0;
  return Next();
}

std::shared_ptr<host::OutlookItem> ItemsObj::GetNext() {
  m_pSession->Hit<"Items.GetNext">();
  return Next();
}

std::shared_ptr<host::Items> ItemsObj::Restrict(const std::string& sFilter) {
  m_pSession->Hit<"Items.Restrict">();
  auto pFilter = std::make_shared<const JetFilter>(sFilter);
  auto p = std::make_shared<ItemsObj>(m_pSession, m_pFolder);
  // Restricting a restricted collection narrows it further.
  p->m_pFilter = m_pFilter ? std::make_shared<const JetFilter>(*m_pFilter, *pFilter) : pFilter;
  p->m_sSort = m_sSort;
  p->m_bDescending = m_bDescending;
  m_pSession->Listen(m_pFolder, p);
  return p;
}

void ItemsObj::Sort(const std::string& sProperty, const host::Variant& Descending) {
  m_pSession->Hit<"Items.Sort">();
  std::string sName = host::Trim(sProperty);
  if (sName.size() >= 2 && sName.front() == '[' && sName.back() == ']')
    sName = sName.substr(1, sName.size() - 2);
  if (!IsKnownProperty(sName))
    host::Raise(host::err::E_FAIL,
                "The property \"" + sProperty + "\" cannot be used to sort in this simulation.");
  m_sSort = sName;
  m_bDescending = !Descending.IsEmpty() && Descending.ToBool();
  m_pView.reset();
}

std::shared_ptr<host::OutlookItem> ItemsObj::Add(const host::Variant& Type) {
  m_pSession->Hit<"Items.Add">();
  int32_t nClass = ClassForAdd(Type, m_pFolder->nDefaultItemType);
  ItemPtr pItem = m_pSession->oModel.NewItem(nClass, m_pFolder);
  if (Type.IsString()) pItem->oProps.Set(prop::PR_MESSAGE_CLASS, Type.ToString());
  return m_pSession->ItemObject(pItem);
}

void ItemsObj::Notify(ItemEvent eEvent, const ItemPtr& pItem) {
  m_pView.reset();
  auto pSelf = std::static_pointer_cast<ItemsObj>(shared_from_this());
  switch (eEvent) {
    case ItemEvent::Add:
      if (OnItemAdd.HandlerCount() == 0) return;
      m_pSession->RaiseAtBoundary("Items.ItemAdd", pSelf->OnItemAdd, m_pSession->ItemObject(pItem));
      break;
    case ItemEvent::Change:
      if (OnItemChange.HandlerCount() == 0) return;
      m_pSession->RaiseAtBoundary("Items.ItemChange", pSelf->OnItemChange, m_pSession->ItemObject(pItem));
      break;
    case ItemEvent::Remove:
      if (OnItemRemove.HandlerCount() == 0) return;
      m_pSession->RaiseAtBoundary("Items.ItemRemove", pSelf->OnItemRemove);
      break;
  }
}

}  // namespace sim
