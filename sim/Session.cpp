#include "sim/Session.h"

#include <algorithm>

#include "sim/CommandBarObjects.h"
#include "sim/ItemObjects.h"
#include "sim/OutlookObjects.h"

namespace sim {

int32_t MajorOf(const std::string& sVersion) {
  int32_t n = 0;
  for (char c : sVersion) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
    if (n > 1000) break;
  }
  return n;
}

Session::Session(std::shared_ptr<const Profile> pProfileIn, std::string sVersionIn)
    : pProfile(std::move(pProfileIn)),
      oModel(*pProfile),
      pSupport(std::make_shared<SupportLibraryStandIn>()),
      sVersion(std::move(sVersionIn)),
      nMajorVersion(MajorOf(sVersion)) {}

void Session::Init() {
  auto pSelf = shared_from_this();
  pApp = std::make_shared<ApplicationObj>(pSelf);
  pNameSpace = std::make_shared<NameSpaceObj>(pSelf);
  pExplorers = std::make_shared<ExplorersObj>(pSelf);
  std::weak_ptr<Session> wSelf = pSelf;
  oModel.fnOnItemEvent = [wSelf](ItemEvent eEvent, FolderData& oFolder, const ItemPtr& pItem) {
    if (auto p = wSelf.lock()) p->OnItemEvent(eEvent, oFolder, pItem);
  };
}

void Session::Release() {
  oModel.fnOnItemEvent = nullptr;
  pAddIn.reset();
  vecExplorers.clear();
  wActive.reset();
  vecDisplayed.clear();
  vecInspectors.clear();
  pExplorers.reset();
  pNameSpace.reset();
  pApp.reset();
  fnClipboardPicture = nullptr;
  m_mapFolderObjects.clear();
}

void Session::Record(const char* sPlace) noexcept {
  try {
    vecEscaped.push_back(host::CurrentError());
    vecEscapedPlaces.emplace_back(sPlace);
    if (auto fn = fnOnEscaped) fn(vecEscapedPlaces.back(), vecEscaped.back());
  } catch (...) {
    // Out of memory while recording: the error is lost, the host goes on.
  }
}

std::shared_ptr<host::OutlookItem> Session::ItemObject(const ItemPtr& pItem) {
  if (!pItem) return nullptr;
  // The item keeps a weak reference to its object: no table to look up or to clean.
  if (auto p = pItem->oObject.w.lock()) return p;
  auto p = MakeItemObject(shared_from_this(), pItem);
  pItem->oObject.w = p;
  return p;
}

std::shared_ptr<host::MAPIFolder> Session::FolderObject(FolderData* pFolder) {
  if (!pFolder) return nullptr;
  auto& pObject = m_mapFolderObjects[pFolder];
  if (!pObject) pObject = std::make_shared<FolderObj>(shared_from_this(), pFolder);
  return pObject;
}

std::shared_ptr<host::OutlookObject> Session::ParentOfFolder(FolderData* pFolder) {
  if (pFolder->pParent) return FolderObject(pFolder->pParent);
  return pNameSpace;
}

void Session::Listen(FolderData* pFolder, const std::shared_ptr<ItemsObj>& pItems) {
  Listeners& o = m_mapListeners[pFolder];
  o.vec.push_back(pItems);
  if (o.vec.size() >= o.nPruneAt) {
    o.vec.erase(std::remove_if(o.vec.begin(), o.vec.end(), [](const auto& w) { return w.expired(); }),
                o.vec.end());
    o.nPruneAt = std::max<size_t>(16, o.vec.size() * 2);
  }
}

void Session::OnItemEvent(ItemEvent eEvent, FolderData& oFolder, const ItemPtr& pItem) {
  auto it = m_mapListeners.find(&oFolder);
  if (it == m_mapListeners.end()) return;
  // A copy: handlers may create or drop Items collections of this folder.
  std::vector<std::shared_ptr<ItemsObj>> vecLive;
  for (const auto& w : it->second.vec)
    if (auto p = w.lock()) vecLive.push_back(std::move(p));
  for (const auto& p : vecLive) p->Notify(eEvent, pItem);
}

std::shared_ptr<ExplorerObj> Session::ActiveExplorer() const {
  auto p = wActive.lock();
  return p && !p->IsClosed() ? p : nullptr;
}

}  // namespace sim
