// What every simulated object of one Outlook shares: the model, the fault injector, the version,
// the one Application / NameSpace / Explorers objects, the open explorers, the host boundary
// where errors escaping add-in handlers are caught, and the identity of item objects.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/Error.h"
#include "host/Office.h"
#include "host/Outlook.h"
#include "sim/FaultInjector.h"
#include "sim/Model.h"
#include "sim/SlotPool.h"
#include "sim/SupportLibraryStandIn.h"

namespace sim {

class ApplicationObj;
class NameSpaceObj;
class ExplorersObj;
class ExplorerObj;
class ItemsObj;

// Outlook's "not found" (MAPI_E_NOT_FOUND) and an Automation index out of range (DISP_E_BADINDEX).
constexpr int32_t kErrNotFound = static_cast<int32_t>(0x8004010Fu);
constexpr int32_t kErrBadIndex = static_cast<int32_t>(0x8002000Bu);

// Member n of a collection, counted from 1 as Item counts; DISP_E_BADINDEX outside it.
template <class T>
const T& AtPosition(const std::vector<T>& vec, int32_t n) {
  if (n < 1 || static_cast<size_t>(n) > vec.size()) host::Raise(kErrBadIndex, "Array index out of bounds.");
  return vec[static_cast<size_t>(n - 1)];
}

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(std::shared_ptr<const Profile> pProfile, std::string sVersion);
  // Creates the one-per-session objects (needs the session to be owned by a shared_ptr).
  void Init();
  // Drops what the session holds of its objects, which hold the session: without it they would
  // keep each other alive.
  void Release();

  // The fault hook of a member named where it is written: Hit<"Explorer.Caption">().
  template <MemberName kName>
  void Hit() {
    oFaults.Hit(MemberIdOf<kName>());
  }
  template <MemberName kInterface, MemberName kMember>
  void Hit() {
    oFaults.Hit(MemberIdOf<kInterface, kMember>());
  }

  // Runs an add-in event handler: whatever escapes it stops here and is recorded.
  template <class F>
  void AtBoundary(const char* sPlace, F&& fnRaise) noexcept {
    try {
      fnRaise();
    } catch (...) {
      Record(sPlace);
    }
  }
  void Record(const char* sPlace) noexcept;
  // Raises a host event towards the add-in: each handler on its own, whatever escapes one of
  // them is recorded and the next still gets the event.
  template <class E, class... A>
  void RaiseAtBoundary(const char* sPlace, E& oEvent, A&&... args) noexcept {
    AtBoundary(sPlace, [&] { oEvent.RaiseEach([&] { Record(sPlace); }, args...); });
  }

  // The one object of an item while anyone holds it, so events reach the holder.
  std::shared_ptr<host::OutlookItem> ItemObject(const ItemPtr& pItem);
  // The object of a folder. Folder objects keep no state of their own, so each folder has one
  // for the session's life: walking up a mail's folders costs no allocation.
  std::shared_ptr<host::MAPIFolder> FolderObject(FolderData* pFolder);
  // A folder's parent: the parent folder, or the NameSpace for the top folder of a store.
  std::shared_ptr<host::OutlookObject> ParentOfFolder(FolderData* pFolder);

  // Items collections that want the model's item events of their folder.
  void Listen(FolderData* pFolder, const std::shared_ptr<ItemsObj>& pItems);

  std::shared_ptr<ExplorerObj> ActiveExplorer() const;

  std::shared_ptr<const Profile> pProfile;
  Model oModel;
  FaultInjector oFaults;
  std::shared_ptr<SupportLibraryStandIn> pSupport;
  // Where the session's item objects live (see SlotPool.h).
  std::shared_ptr<SlotPool> pItemObjectPool = std::make_shared<SlotPool>();
  std::string sVersion;
  int32_t nMajorVersion = 0;

  std::shared_ptr<ApplicationObj> pApp;
  std::shared_ptr<NameSpaceObj> pNameSpace;
  std::shared_ptr<ExplorersObj> pExplorers;
  std::vector<std::shared_ptr<ExplorerObj>> vecExplorers;
  std::weak_ptr<ExplorerObj> wActive;

  std::shared_ptr<host::AddIn> pAddIn;  // while connected
  bool bStarted = false;

  std::vector<host::ErrorInfo> vecEscaped;
  std::vector<std::string> vecEscapedPlaces;
  // Told of each escaped error as it is recorded (quillo-sim prints them).
  std::function<void(const std::string& sPlace, const host::ErrorInfo& oError)> fnOnEscaped;
  std::vector<std::shared_ptr<host::OutlookItem>> vecDisplayed;
  // The item of each open inspector window, in the order they opened (see Inspectors.h).
  std::vector<std::shared_ptr<host::OutlookItem>> vecInspectors;
  std::function<std::shared_ptr<host::Picture>()> fnClipboardPicture;

 private:
  void OnItemEvent(ItemEvent eEvent, FolderData& oFolder, const ItemPtr& pItem);

  std::unordered_map<const FolderData*, std::shared_ptr<host::MAPIFolder>> m_mapFolderObjects;
  struct Listeners {
    std::vector<std::weak_ptr<ItemsObj>> vec;
    size_t nPruneAt = 16;
  };
  std::unordered_map<FolderData*, Listeners> m_mapListeners;
};

// The shape of most simulated members: the fault hook under the member's name, then a value the
// model already holds (a field, a constant), so that nothing is done before the hook can fail:
//   std::string FolderObj::Name() { return Hooked<"MAPIFolder.Name">(*m_pSession, m_pFolder->sName); }
template <MemberName kName, class T>
const T& Hooked(Session& oSession, const T& value) {
  oSession.Hit<kName>();
  return value;
}

// The same for the Count of a collection over a list of the model.
template <MemberName kName, class T>
int32_t HookedCount(Session& oSession, const std::vector<T>& vec) {
  oSession.Hit<kName>();
  return static_cast<int32_t>(vec.size());
}

// The major version in a version string ("11.0.5608" -> 11); 0 when there is none.
int32_t MajorOf(const std::string& sVersion);

}  // namespace sim
