// Outlook's own interface IDs and dispatch IDs, for the binding and for the simulated Outlook
// that answers like it.
#pragma once

#include <windows.h>

namespace com::outlook {

// Outlook's GUIDs all share the tail -0000-0000-C000-000000000046.
constexpr IID OutlookGuid(unsigned long nFirst) {
  return IID{nFirst, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

inline constexpr IID DIID_ApplicationEvents = OutlookGuid(0x0006304E);
inline constexpr IID DIID_ApplicationEvents_10 = OutlookGuid(0x0006300E);
inline constexpr IID DIID_ApplicationEvents_11 = OutlookGuid(0x0006302C);
inline constexpr IID DIID_ExplorersEvents = OutlookGuid(0x00063078);
inline constexpr IID DIID_ExplorerEvents = OutlookGuid(0x0006304F);
inline constexpr IID DIID_ExplorerEvents_10 = OutlookGuid(0x0006300F);
inline constexpr IID DIID_ItemsEvents = OutlookGuid(0x00063077);
inline constexpr IID DIID_ItemEvents = OutlookGuid(0x0006303A);
inline constexpr IID DIID_ItemEvents_10 = OutlookGuid(0x0006302B);
inline constexpr IID DIID_ResultsEvents = OutlookGuid(0x0006300D);

inline constexpr IID IID__Application = OutlookGuid(0x00063001);
inline constexpr IID IID__NameSpace = OutlookGuid(0x00063002);
inline constexpr IID IID_MAPIFolder = OutlookGuid(0x00063006);
inline constexpr IID IID__Items = OutlookGuid(0x00063041);
inline constexpr IID IID_Search = OutlookGuid(0x0006300B);
inline constexpr IID IID__Results = OutlookGuid(0x0006300C);
inline constexpr IID IID__MailItem = OutlookGuid(0x00063034);
inline constexpr IID IID__Explorer = OutlookGuid(0x00063003);
inline constexpr IID IID__Explorers = OutlookGuid(0x0006300A);
inline constexpr IID IID_Selection = OutlookGuid(0x00063087);
inline constexpr IID IID_Recipients = OutlookGuid(0x0006303B);
inline constexpr IID IID_Recipient = OutlookGuid(0x00063045);
inline constexpr IID IID__ContactItem = OutlookGuid(0x00063021);
inline constexpr IID IID__AppointmentItem = OutlookGuid(0x00063033);
inline constexpr IID IID__TaskItem = OutlookGuid(0x00063035);
inline constexpr IID IID__DistListItem = OutlookGuid(0x00063081);

// Events.
constexpr DISPID kAppEventAdvancedSearchComplete = 64106;
constexpr DISPID kAppEventAdvancedSearchStopped = 64107;
constexpr DISPID kItemsEventItemAdd = 61441;
constexpr DISPID kItemsEventItemChange = 61442;
constexpr DISPID kItemsEventItemRemove = 61443;
constexpr DISPID kItemEventWrite = 61442;
constexpr DISPID kItemEventClose = 61444;
constexpr DISPID kItemEventSend = 61445;
constexpr DISPID kExplorersEventNewExplorer = 61441;
constexpr DISPID kExplorerEventActivate = 61441;
constexpr DISPID kExplorerEventFolderSwitch = 61442;
constexpr DISPID kExplorerEventSelectionChange = 61447;
constexpr DISPID kExplorerEventClose = 61448;

// Members every object has.
constexpr DISPID kApplication = 61440;
constexpr DISPID kParent = 61441;
constexpr DISPID kClass = 61450;
constexpr DISPID kSession = 61451;
constexpr DISPID kEntryID = 61470;

// _Application
constexpr DISPID kCreateItem = 266;
constexpr DISPID kGetNamespace = 272;
constexpr DISPID kActiveExplorer = 273;
constexpr DISPID kVersion = 278;
constexpr DISPID kExplorers = 281;
constexpr DISPID kAdvancedSearch = 64101;
constexpr DISPID kName = 12289;

// _Explorer
constexpr DISPID kCommandBars = 8448;
constexpr DISPID kCurrentFolder = 8449;
constexpr DISPID kCaption = 8465;
constexpr DISPID kCurrentView = 8704;
constexpr DISPID kSelection = 8706;

// _NameSpace
constexpr DISPID kNsFolders = 8451;
constexpr DISPID kGetFolderFromID = 8456;
constexpr DISPID kGetItemFromID = 8457;
constexpr DISPID kCreateRecipient = 8458;
constexpr DISPID kGetDefaultFolder = 8459;

// MAPIFolder
constexpr DISPID kFolderFolders = 8451;
constexpr DISPID kFolderItems = 12544;
constexpr DISPID kDefaultItemType = 12550;
constexpr DISPID kStoreID = 12552;

// Collections
constexpr DISPID kCount = 80;
constexpr DISPID kItem = 81;
constexpr DISPID kGetFirst = 86;
constexpr DISPID kGetNext = 87;
constexpr DISPID kAdd = 95;
constexpr DISPID kSort = 97;
constexpr DISPID kRestrict = 100;

// Search
constexpr DISPID kSearchFilter = 64100;
constexpr DISPID kSearchSubFolders = 64102;
constexpr DISPID kSearchStop = 64103;
constexpr DISPID kSearchResults = 64105;
constexpr DISPID kSearchTag = 64109;
constexpr DISPID kSearchScope = 64165;

// Items
constexpr DISPID kMessageClass = 26;
constexpr DISPID kSubject = 55;
constexpr DISPID kSenderName = 3098;
constexpr DISPID kBCC = 3586;
constexpr DISPID kCC = 3587;
constexpr DISPID kTo = 3588;
constexpr DISPID kBody = 37120;
constexpr DISPID kSave = 61512;
constexpr DISPID kDisplay = 61606;
constexpr DISPID kRecipients = 63508;

}  // namespace com::outlook
