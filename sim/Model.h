// The state of a simulated Outlook: stores, folders, items with their MAPI properties, and the
// address book. It knows nothing of the host interfaces; the simulated objects (and later the
// Redemption objects and searches) all read and change this one model.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/Outlook.h"
#include "host/Variant.h"
#include "sim/AddressBook.h"
#include "sim/Profile.h"

namespace sim {

// MAPI property tags the simulation keeps for every item.
namespace prop {
constexpr int32_t PR_MESSAGE_CLASS = 0x001A001E;
constexpr int32_t PR_SUBJECT = 0x0037001E;
constexpr int32_t PR_SENSITIVITY = 0x00360003;
constexpr int32_t PR_SENDER_ENTRYID = 0x0C190102;
constexpr int32_t PR_SENDER_NAME = 0x0C1A001E;
constexpr int32_t PR_SENDER_ADDRTYPE = 0x0C1E001E;
constexpr int32_t PR_SENDER_EMAIL_ADDRESS = 0x0C1F001E;
constexpr int32_t PR_BODY = 0x1000001E;
constexpr int32_t PR_ICON_INDEX = 0x10800003;
constexpr int32_t PR_ENTRYID = 0x0FFF0102;
constexpr int32_t PR_DISPLAY_NAME = 0x3001001E;

constexpr int32_t PT_I2 = 0x0002;
constexpr int32_t PT_LONG = 0x0003;
constexpr int32_t PT_DOUBLE = 0x0005;
constexpr int32_t PT_BOOLEAN = 0x000B;
constexpr int32_t PT_STRING8 = 0x001E;
constexpr int32_t PT_UNICODE = 0x001F;
constexpr int32_t PT_BINARY = 0x0102;

// The property set of the contact address properties, and the ids of e-mail 1 in it; e-mail 2
// and 3 follow at +0x10 and +0x20.
constexpr const char* PSETID_Address = "{00062004-0000-0000-C000-000000000046}";
constexpr int32_t LID_EMAIL1_DISPLAY_NAME = 0x8080;
constexpr int32_t LID_EMAIL1_ADDRTYPE = 0x8082;
constexpr int32_t LID_EMAIL1_ADDRESS = 0x8083;
constexpr int32_t LID_EMAIL1_ORIGINAL_ENTRYID = 0x8085;
constexpr int32_t LID_EMAIL_STEP = 0x10;
}  // namespace prop

// Item classes and item types (Outlook's numbers), and what goes with them.
bool IsKnownItemClass(int32_t nClass);
std::string DefaultMessageClass(int32_t nClass);
// The class an item type creates (CreateItem, Items.Add); 0 for a type the simulation lacks.
int32_t ClassOfItemType(int32_t nItemType);
bool IsKnownDefaultFolder(int32_t nDefaultFolder);

// A MAPI property bag: few properties per item, so a sorted vector (compact for 100 000 items).
class PropertyBag {
 public:
  const host::Variant* Find(int32_t nTag) const;
  void Set(int32_t nTag, host::Variant v);
  bool Remove(int32_t nTag);
  std::string Text(int32_t nTag) const;  // "" when absent
  int32_t Long(int32_t nTag) const;      // 0 when absent
  const std::vector<std::pair<int32_t, host::Variant>>& All() const { return m_vecProps; }
  // Gives back the room kept for more properties (an item read from a profile rarely gets any).
  void Compact() { m_vecProps.shrink_to_fit(); }

 private:
  std::vector<std::pair<int32_t, host::Variant>> m_vecProps;
};

// Named properties (a property set GUID and a numeric id) mapped to property ids from 0x8000.
class NamedProperties {
 public:
  // The property id (high 16 bits of the tag, type bits zero); 0 when the name is not mapped and
  // bCreate is false.
  int32_t Tag(std::string_view sGuid, int32_t nLid, bool bCreate);

 private:
  std::map<std::pair<std::string, int32_t>, int32_t> m_mapIds;
  int32_t m_nNext = 0x8000;
};

// A recipient of an item, a member of a list, or a recipient made with CreateRecipient.
struct RecipientData {
  std::string sName;
  int32_t nType = 1;
  AddressBook::EntryPtr pEntry;  // set once resolved
};
using RecipientPtr = std::shared_ptr<RecipientData>;

struct FolderData;
struct StoreData;

// The simulated object of an item while anyone holds it (see Session::ItemObject). A copy of an
// item's data starts without one.
struct ItemObjectRef {
  ItemObjectRef() = default;
  ItemObjectRef(const ItemObjectRef&) {}
  ItemObjectRef& operator=(const ItemObjectRef&) { return *this; }
  std::weak_ptr<host::OutlookItem> w;
};

// The fields are ordered so that no padding falls between them: a folder may hold 100 000.
// The object link lies beside the class and the properties: copying a folder's items makes an
// object for each, and reading them comes back to the same first bytes, so a large folder
// brings one line of each item back from memory for the copy, not two.
struct ItemData {
  int32_t nClass = host::olMail;
  bool bSaved = false;
  bool bDeleted = false;
  ItemObjectRef oObject;
  PropertyBag oProps;
  std::string sEntryID;           // empty until saved
  FolderData* pFolder = nullptr;  // where it lies, or where Save puts a new item
  std::string sCategories;
  std::vector<RecipientPtr> vecRecipients;
  std::vector<RecipientPtr> vecMembers;  // distribution lists
  std::vector<ProfileLink> vecLinks;
  std::string sOrganizer;
  int32_t nResponseStatus = 0;
  int32_t nDisplayCount = 0;
  int32_t nSaveCount = 0;

  // A MAPI property of the item: the bag's, else PR_ENTRYID of a saved item, made from sEntryID
  // when first read (a folder of 100 000 items need not hold each ID twice).
  const host::Variant* Prop(int32_t nTag) const;

 private:
  mutable std::unique_ptr<const host::Variant> m_pEntryIDBytes;
};
using ItemPtr = std::shared_ptr<ItemData>;

struct FolderData {
  std::string sName;
  std::string sEntryID;
  std::string sPath;  // "\Store\Folder\Subfolder"
  int32_t nDefaultItemType = 0;
  int32_t nDefaultFolder = 0;
  ProfileView oView;
  StoreData* pStore = nullptr;
  FolderData* pParent = nullptr;  // nullptr for the top folder of a store
  std::vector<std::unique_ptr<FolderData>> vecFolders;
  std::vector<ItemPtr> vecItems;
};

struct StoreData {
  std::string sName;
  std::string sStoreID;
  std::unique_ptr<FolderData> pTop;
};

enum class ItemEvent { Add, Change, Remove };

class Model {
 public:
  explicit Model(const Profile& oProfile);
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  const std::vector<std::unique_ptr<StoreData>>& Stores() const { return m_vecStores; }
  const AddressBook& Book() const { return m_oBook; }
  NamedProperties& Named() { return m_oNamed; }

  // Lookups return nullptr when there is nothing (deleted items included).
  FolderData* FolderByPath(std::string_view sPath) const;
  FolderData* FolderByID(std::string_view sEntryID) const;
  FolderData* DefaultFolder(int32_t nDefaultFolder) const;  // in the default (first) store
  ItemPtr ItemByID(std::string_view sEntryID) const;
  std::vector<FolderData*> AllFolders() const;

  // A new unsaved item of a class, to be saved into pFolder (may be nullptr: Save then fails).
  ItemPtr NewItem(int32_t nClass, FolderData* pFolder);
  // Saves: a new item gets its entry ID and joins its folder (Add), a saved one reports Change.
  // Throws host::Error when the item has no folder or was deleted.
  void SaveItem(const ItemPtr& pItem);
  void DeleteItem(const ItemPtr& pItem);
  // Moves a saved item to another folder under the same entry ID: the old folder reports Remove,
  // the new one Add. Throws host::Error for an unsaved or deleted item.
  void MoveItem(const ItemPtr& pItem, FolderData& oTarget);

  // The name a link shows for an item (a contact's full name, else the subject).
  static std::string DisplayNameOf(const ItemData& oItem);
  // The names of the recipients of one type, as Outlook's To, CC and BCC show them.
  static std::string RecipientNames(const ItemData& oItem, int32_t nType);
  // E-mail n (1 to 3) of a contact: address, type and display name properties, and the
  // original entry ID (binary) that names its address-book or one-off entry.
  void SetContactEmail(ItemData& oItem, int nIndex, const AddressRef& oWho);
  std::string ContactEmailAddress(const ItemData& oItem, int nIndex);
  void SetSender(ItemData& oItem, const AddressRef& oWho);

  // Told of every added, changed or removed item (the simulated Items collections listen).
  std::function<void(ItemEvent, FolderData&, const ItemPtr&)> fnOnItemEvent;

 private:
  void AddFolder(FolderData& oFolder, const ProfileFolder& oSource);
  ItemPtr MakeItem(const ProfileItem& oSource, FolderData& oFolder);
  RecipientPtr MakeRecipient(const ProfileRecipient& oSource);
  const host::Variant& EntryIDBytes(const std::string& sEntryID);
  const host::Variant& EntryIDBytes(const AddressRef& r);
  const AddressBook::EntryPtr& OneOffEntry(const AddressRef& r);
  int32_t EmailTag(int nIndex, int32_t nLid, int32_t nType);
  void Notify(ItemEvent eEvent, FolderData& oFolder, const ItemPtr& pItem);

  std::vector<std::unique_ptr<StoreData>> m_vecStores;
  AddressBook m_oBook;
  NamedProperties m_oNamed;
  std::unordered_map<std::string, FolderData*> m_mapFoldersByPath;  // folded path
  std::unordered_map<std::string, FolderData*> m_mapFoldersByID;
  // Keyed by a view of the item's own entry ID, which never changes once the item is saved.
  std::unordered_map<std::string_view, ItemPtr> m_mapItemsByID;
  // The default folders of the default store, found once: folders neither come nor go.
  std::unordered_map<int32_t, FolderData*> m_mapDefaultFolders;
  // One entry per one-off address and one byte array per entry ID of a sender, shared by every
  // item that names them (a mailbox meets the same people again and again).
  std::unordered_map<std::string, AddressBook::EntryPtr> m_mapOneOffs;  // by name and address
  std::unordered_map<std::string, host::Variant> m_mapEntryIDBytes;
  uint64_t m_nCreated = 0;
};

}  // namespace sim
