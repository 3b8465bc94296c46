// The simulated Outlook objects above the items: Application, Explorers, Explorer, View,
// Selection, NameSpace, Folders, MAPIFolder and Items. Each member first passes the fault
// injector under its own name, then works on the model.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/Outlook.h"
#include "sim/ItemsView.h"
#include "sim/JetFilter.h"
#include "sim/Session.h"

namespace sim {

class BarsObj;

class ApplicationObj : public host::Application {
 public:
  explicit ApplicationObj(std::shared_ptr<sim::Session> pSession) : m_pSession(std::move(pSession)) {}
  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  std::shared_ptr<host::Explorers> Explorers() override;
  std::shared_ptr<host::Explorer> ActiveExplorer() override;
  std::shared_ptr<host::NameSpace> Session() override;
  std::string Version() override;
  std::shared_ptr<host::OutlookItem> CreateItem(int32_t nItemType) override;
  std::shared_ptr<host::Search> AdvancedSearch(const std::string& sScope, const host::Variant& Filter,
                                               const host::Variant& SearchSubFolders,
                                               const host::Variant& Tag) override;

 private:
  std::shared_ptr<sim::Session> m_pSession;
};

class ExplorersObj : public host::Explorers {
 public:
  explicit ExplorersObj(std::shared_ptr<Session> pSession) : m_pSession(std::move(pSession)) {}
  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  int32_t Count() override;
  std::shared_ptr<host::Explorer> Item(int32_t nIndex) override;

 private:
  std::shared_ptr<Session> m_pSession;
};

class ExplorerObj : public host::Explorer {
 public:
  ExplorerObj(std::shared_ptr<Session> pSession, FolderData* pFolder);
  // Builds the window's command bars (needs the explorer to be owned by a shared_ptr).
  void Init();

  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  std::shared_ptr<host::CommandBars> CommandBars() override;
  std::shared_ptr<host::MAPIFolder> CurrentFolder() override;
  std::shared_ptr<host::View> CurrentView() override;
  std::shared_ptr<host::Selection> Selection() override;
  std::string Caption() override;

  // For the facade.
  FolderData* Folder() const { return m_pFolder; }
  void SetFolder(FolderData* pFolder);
  void SetSelection(std::vector<ItemPtr> vecItems) { m_vecSelection = std::move(vecItems); }
  const std::shared_ptr<BarsObj>& Bars() const { return m_pBars; }
  bool IsClosed() const { return m_bClosed; }
  // False when the window is already on its way out (a Close handler closing it again).
  bool BeginClose() { return !std::exchange(m_bClosing, true); }
  // After Close has been raised: temporary controls go, the window's members fail from now on.
  void MarkClosed();

 private:
  void CheckOpen() const;

  std::shared_ptr<Session> m_pSession;
  FolderData* m_pFolder;
  std::vector<ItemPtr> m_vecSelection;
  std::shared_ptr<BarsObj> m_pBars;
  bool m_bClosed = false;
  bool m_bClosing = false;
};

class ViewObj : public host::View {
 public:
  ViewObj(std::shared_ptr<Session> pSession, ProfileView oView, std::weak_ptr<ExplorerObj> wExplorer)
      : m_pSession(std::move(pSession)), m_oView(std::move(oView)), m_wExplorer(std::move(wExplorer)) {}
  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  std::string Name() override;
  std::string XML() override;

 private:
  std::shared_ptr<Session> m_pSession;
  ProfileView m_oView;
  std::weak_ptr<ExplorerObj> m_wExplorer;
};

// A copy of the selection at the time it was asked for, as Outlook hands it out.
class SelectionObj : public host::Selection {
 public:
  SelectionObj(std::shared_ptr<Session> pSession, std::vector<ItemPtr> vecItems,
               std::weak_ptr<ExplorerObj> wExplorer)
      : m_pSession(std::move(pSession)), m_vecItems(std::move(vecItems)), m_wExplorer(std::move(wExplorer)) {}
  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  int32_t Count() override;
  std::shared_ptr<host::OutlookItem> Item(int32_t nIndex) override;

 private:
  std::shared_ptr<Session> m_pSession;
  std::vector<ItemPtr> m_vecItems;
  std::weak_ptr<ExplorerObj> m_wExplorer;
};

class NameSpaceObj : public host::NameSpace {
 public:
  explicit NameSpaceObj(std::shared_ptr<Session> pSession) : m_pSession(std::move(pSession)) {}
  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  std::shared_ptr<host::MAPIFolder> GetDefaultFolder(int32_t nFolderType) override;
  std::shared_ptr<host::MAPIFolder> GetFolderFromID(const std::string& sEntryID,
                                                    const host::Variant& StoreID) override;
  std::shared_ptr<host::OutlookItem> GetItemFromID(const std::string& sEntryID,
                                                   const host::Variant& StoreID) override;
  std::shared_ptr<host::Folders> Folders() override;
  std::shared_ptr<host::Recipient> CreateRecipient(const std::string& sRecipientName) override;

 private:
  std::shared_ptr<Session> m_pSession;
};

// The subfolders of a folder, or (pParent nullptr) the top folders of all stores.
class FoldersObj : public host::Folders {
 public:
  FoldersObj(std::shared_ptr<Session> pSession, FolderData* pParent)
      : m_pSession(std::move(pSession)), m_pParent(pParent) {}
  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  int32_t Count() override;
  std::shared_ptr<host::MAPIFolder> Item(const host::Variant& Index) override;
  std::shared_ptr<host::MAPIFolder> GetFirst() override;
  std::shared_ptr<host::MAPIFolder> GetNext() override;

 private:
  std::vector<FolderData*> List() const;

  std::shared_ptr<Session> m_pSession;
  FolderData* m_pParent;
  size_t m_nNext = 0;
};

class FolderObj : public host::MAPIFolder {
 public:
  FolderObj(std::shared_ptr<Session> pSession, FolderData* pFolder)
      : m_pSession(std::move(pSession)), m_pFolder(pFolder) {}
  FolderData* Data() const { return m_pFolder; }

  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  std::string Name() override;
  std::string EntryID() override;
  std::string StoreID() override;
  int32_t DefaultItemType() override;
  std::shared_ptr<host::Folders> Folders() override;
  std::shared_ptr<host::Items> Items() override;

 private:
  std::shared_ptr<Session> m_pSession;
  FolderData* m_pFolder;
};

// The items of a folder, live: it follows the folder as items come and go.
class ItemsObj : public host::Items {
 public:
  ItemsObj(std::shared_ptr<Session> pSession, FolderData* pFolder)
      : m_pSession(std::move(pSession)), m_pFolder(pFolder) {}

  int32_t Class() override;
  std::shared_ptr<host::OutlookObject> Parent() override;
  int32_t Count() override;
  std::shared_ptr<host::OutlookItem> Item(const host::Variant& Index) override;
  std::shared_ptr<host::OutlookItem> GetFirst() override;
  std::shared_ptr<host::OutlookItem> GetNext() override;
  std::shared_ptr<host::Items> Restrict(const std::string& sFilter) override;
  void Sort(const std::string& sProperty, const host::Variant& Descending) override;
  std::shared_ptr<host::OutlookItem> Add(const host::Variant& Type) override;

  // From the session when the model adds, changes or removes an item of the folder.
  void Notify(ItemEvent eEvent, const ItemPtr& pItem);

 private:
  // The restricted and sorted view of the folder's items, made again after every change of the
  // folder; nullptr when the collection is the folder's own list.
  ItemsView* View();
  // The items in the collection's order.
  size_t Size();
  const ItemPtr& At(size_t n);
  std::shared_ptr<host::OutlookItem> Next();

  std::shared_ptr<Session> m_pSession;
  FolderData* m_pFolder;
  size_t m_nNext = 0;
  std::shared_ptr<const JetFilter> m_pFilter;
  std::string m_sSort;
  bool m_bDescending = false;
  std::unique_ptr<ItemsView> m_pView;
};

// The model behind a simulated object; nullptr for anything else.
FolderData* FolderDataOf(const std::shared_ptr<host::Object>& oObject);

}  // namespace sim
