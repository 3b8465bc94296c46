#include "sim/Profile.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "host/Text.h"
#include "sim/AddressBook.h"
#include "sim/EntryIds.h"
#include "sim/Model.h"

namespace sim {

ProfileError::ProfileError(std::string sFileIn, std::string sPlaceIn, std::string sProblemIn)
    : std::runtime_error(sFileIn + ": " + (sPlaceIn.empty() ? std::string() : sPlaceIn + ": ") + sProblemIn),
      sFile(std::move(sFileIn)),
      sPlace(std::move(sPlaceIn)),
      sProblem(std::move(sProblemIn)) {}

namespace {

using Json = nlohmann::json;

constexpr int kMaxFolderDepth = 64;

std::string Pointer(const std::string& sPlace, std::string_view sKey) {
  std::string s = sPlace + "/";
  for (char c : sKey) s += c == '~' ? std::string("~0") : c == '/' ? std::string("~1") : std::string(1, c);
  return s;
}

std::string Pointer(const std::string& sPlace, size_t n) {
  return sPlace + "/" + std::to_string(n);
}

std::string Hex4(int32_t n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(n) & 0xFFFFu);
  return buf;
}

int32_t ClassOfName(const std::string& s) {
  static const std::map<std::string, int32_t> kNames = {
      {"mail", host::olMail},       {"appointment", host::olAppointment},      {"task", host::olTask},
      {"contact", host::olContact}, {"distlist", host::olDistributionList},    {"note", host::olNote},
      {"post", host::olPost},       {"meetingrequest", host::olMeetingRequest}};
  auto it = kNames.find(host::FoldCase(s));
  return it == kNames.end() ? 0 : it->second;
}

bool FitsTagType(int32_t nTag, const host::Variant& v) {
  switch (nTag & 0xFFFF) {
    case prop::PT_I2: return v.Type() == host::vbInteger;
    case prop::PT_LONG: return v.Type() == host::vbLong;
    case prop::PT_DOUBLE: return v.Type() == host::vbDouble;
    case prop::PT_BOOLEAN: return v.Type() == host::vbBoolean;
    case prop::PT_STRING8:
    case prop::PT_UNICODE: return v.IsString();
    case prop::PT_BINARY: return v.Type() == (host::vbArray | host::vbByte);
    default: return false;
  }
}

// --- Reading JSON into a profile (types and shapes only; the check does the rest) ---

class Reader {
 public:
  explicit Reader(std::string sFile) : m_sFile(std::move(sFile)) {}

  Profile Read(const Json& j) {
    Profile o;
    o.sSource = m_sFile;
    Object(j, "");
    Keys(j, "",
         {"version", "redemption", "contextMenuBlocker", "protectContextMenus", "addressBook", "stores",
          "startupExplorers"});
    o.sVersion = Str(j, "", "version", o.sVersion);
    o.bRedemption = Bool(j, "", "redemption", true);
    o.nBlockingContextControl = Int(j, "", "contextMenuBlocker", 0);
    o.bProtectContextMenus = Bool(j, "", "protectContextMenus", false);
    ForEach(j, "", "addressBook",
            [&](const Json& e, const std::string& p) { o.vecAddressBook.push_back(Entry(e, p)); });
    ForEach(j, "", "stores",
            [&](const Json& e, const std::string& p) { o.vecStores.push_back(Store(e, p)); });
    ForEach(j, "", "startupExplorers", [&](const Json& e, const std::string& p) {
      if (!e.is_string()) Fail(p, "must be a string (a folder path)");
      o.vecStartupExplorers.push_back(e.get<std::string>());
    });
    return o;
  }

 private:
  [[noreturn]] void Fail(const std::string& sPlace, const std::string& sProblem) const {
    throw ProfileError(m_sFile, sPlace, sProblem);
  }

  void Object(const Json& j, const std::string& sPlace) const {
    if (!j.is_object()) Fail(sPlace.empty() ? "/" : sPlace, "must be an object");
  }

  void Keys(const Json& j, const std::string& sPlace, std::initializer_list<std::string_view> lst) const {
    for (auto it = j.begin(); it != j.end(); ++it) {
      bool bKnown = false;
      for (auto s : lst) bKnown = bKnown || s == it.key();
      if (!bKnown) Fail(Pointer(sPlace, it.key()), "unknown field");
    }
  }

  const Json* Field(const Json& j, const char* sKey) const {
    auto it = j.find(sKey);
    return it == j.end() ? nullptr : &*it;
  }

  std::string Str(const Json& j, const std::string& sPlace, const char* sKey,
                  std::string sDefault = {}) const {
    const Json* p = Field(j, sKey);
    if (!p) return sDefault;
    if (!p->is_string()) Fail(Pointer(sPlace, sKey), "must be a string");
    return p->get<std::string>();
  }

  int32_t Int(const Json& j, const std::string& sPlace, const char* sKey, int32_t nDefault) const {
    const Json* p = Field(j, sKey);
    if (!p) return nDefault;
    return IntValue(*p, Pointer(sPlace, sKey), std::numeric_limits<int32_t>::min(),
                    std::numeric_limits<int32_t>::max());
  }

  int32_t IntValue(const Json& j, const std::string& sPlace, int64_t nMin, int64_t nMax) const {
    if (!j.is_number_integer()) Fail(sPlace, "must be a whole number");
    bool bHuge = j.is_number_unsigned() && j.get<uint64_t>() > static_cast<uint64_t>(nMax);
    int64_t n = bHuge ? nMax : j.get<int64_t>();
    if (bHuge || n < nMin || n > nMax)
      Fail(sPlace, "must be a whole number from " + std::to_string(nMin) + " to " + std::to_string(nMax));
    return static_cast<int32_t>(n);
  }

  bool Bool(const Json& j, const std::string& sPlace, const char* sKey, bool bDefault) const {
    const Json* p = Field(j, sKey);
    if (!p) return bDefault;
    if (!p->is_boolean()) Fail(Pointer(sPlace, sKey), "must be true or false");
    return p->get<bool>();
  }

  template <class F>
  void ForEach(const Json& j, const std::string& sPlace, const char* sKey, F&& fn) const {
    const Json* p = Field(j, sKey);
    if (!p) return;
    std::string sArray = Pointer(sPlace, sKey);
    if (!p->is_array()) Fail(sArray, "must be an array");
    for (size_t i = 0; i < p->size(); ++i) fn((*p)[i], Pointer(sArray, i));
  }

  AddressBookEntry Entry(const Json& j, const std::string& sPlace) const {
    Object(j, sPlace);
    Keys(j, sPlace, {"name", "type", "address", "smtpAddress", "entryID"});
    AddressBookEntry o;
    o.sName = Str(j, sPlace, "name");
    o.sType = Str(j, sPlace, "type", "SMTP");
    o.sAddress = Str(j, sPlace, "address");
    o.sSmtpAddress = Str(j, sPlace, "smtpAddress");
    o.sEntryID = Str(j, sPlace, "entryID");
    return o;
  }

  // An address as a plain string, or an object; a recipient's object also carries its type.
  AddressRef Ref(const Json& j, const std::string& sPlace, bool bRecipient = false) const {
    AddressRef o;
    if (j.is_string()) {
      o.sAddress = j.get<std::string>();
      return o;
    }
    if (!j.is_object()) Fail(sPlace, "must be an address (a string) or an object with an address or entryID");
    if (bRecipient)
      Keys(j, sPlace, {"name", "address", "addressType", "entryID", "type"});
    else
      Keys(j, sPlace, {"name", "address", "addressType", "entryID"});
    o.sName = Str(j, sPlace, "name");
    o.sAddress = Str(j, sPlace, "address");
    o.sType = Str(j, sPlace, "addressType");
    o.sEntryID = Str(j, sPlace, "entryID");
    return o;
  }

  ProfileRecipient Recipient(const Json& j, const std::string& sPlace, bool bMember) const {
    ProfileRecipient o;
    if (bMember && j.is_object() && Field(j, "contact")) {
      Keys(j, sPlace, {"contact", "email"});
      o.sContactEntryID = Str(j, sPlace, "contact");
      o.nContactEmail = Field(j, "email") ? IntValue(j["email"], Pointer(sPlace, "email"), 1, 3) : 1;
      return o;
    }
    o.oWho = Ref(j, sPlace, !bMember);
    if (!bMember && j.is_object()) o.nType = Int(j, sPlace, "type", 1);
    return o;
  }

  ProfileStore Store(const Json& j, const std::string& sPlace) const {
    Object(j, sPlace);
    Keys(j, sPlace, {"name", "storeID", "entryID", "folders"});
    ProfileStore o;
    o.sName = Str(j, sPlace, "name");
    o.sStoreID = Str(j, sPlace, "storeID");
    o.sTopEntryID = Str(j, sPlace, "entryID");
    ForEach(j, sPlace, "folders",
            [&](const Json& e, const std::string& p) { o.vecFolders.push_back(Folder(e, p, 0)); });
    return o;
  }

  ProfileFolder Folder(const Json& j, const std::string& sPlace, int32_t nParentType, int nDepth = 1) const {
    // The loader, the check and the model all walk folders recursively: a bound keeps a
    // hostile file from exhausting the stack.
    if (nDepth > kMaxFolderDepth)
      Fail(sPlace, "folders nest deeper than " + std::to_string(kMaxFolderDepth) + " levels");
    Object(j, sPlace);
    Keys(j, sPlace, {"name", "entryID", "defaultItemType", "defaultFolder", "view", "items", "folders"});
    ProfileFolder o;
    o.sName = Str(j, sPlace, "name");
    o.sEntryID = Str(j, sPlace, "entryID");
    o.nDefaultFolder = Int(j, sPlace, "defaultFolder", 0);
    o.nDefaultItemType =
        Int(j, sPlace, "defaultItemType", TypeOfDefaultFolder(o.nDefaultFolder, nParentType));
    if (const Json* pView = Field(j, "view")) {
      std::string sView = Pointer(sPlace, "view");
      Object(*pView, sView);
      Keys(*pView, sView, {"name", "xml"});
      o.oView.sName = Str(*pView, sView, "name");
      o.oView.sXml = Str(*pView, sView, "xml");
    }
    ForEach(j, sPlace, "items",
            [&](const Json& e, const std::string& p) { o.vecItems.push_back(Item(e, p)); });
    ForEach(j, sPlace, "folders", [&](const Json& e, const std::string& p) {
      o.vecFolders.push_back(Folder(e, p, o.nDefaultItemType, nDepth + 1));
    });
    return o;
  }

  static int32_t TypeOfDefaultFolder(int32_t nDefaultFolder, int32_t nParentType) {
    switch (nDefaultFolder) {
      case 9: return 1;
      case 10: return 2;
      case 11: return 4;
      case 12: return 5;
      case 13: return 3;
      case 0: return nParentType;
      default: return 0;
    }
  }

  ProfileItem Item(const Json& j, const std::string& sPlace) const {
    Object(j, sPlace);
    Keys(j, sPlace,
         {"class", "entryID", "messageClass", "subject", "body", "categories", "sensitivity", "sender",
          "recipients", "organizer", "responseStatus", "fullName", "email1", "email2", "email3", "links",
          "members", "properties"});
    ProfileItem o;
    const Json* pClass = Field(j, "class");
    if (!pClass) Fail(sPlace, "an item needs a class");
    if (pClass->is_string()) {
      o.nClass = ClassOfName(pClass->get<std::string>());
      if (o.nClass == 0)
        Fail(Pointer(sPlace, "class"), "unknown item class \"" + pClass->get<std::string>() + "\"");
    } else {
      o.nClass = IntValue(*pClass, Pointer(sPlace, "class"), 0, std::numeric_limits<int32_t>::max());
    }
    o.sEntryID = Str(j, sPlace, "entryID");
    o.sMessageClass = Str(j, sPlace, "messageClass");
    o.sSubject = Str(j, sPlace, "subject");
    o.sBody = Str(j, sPlace, "body");
    o.sCategories = Str(j, sPlace, "categories");
    o.nSensitivity = Int(j, sPlace, "sensitivity", 0);
    if (const Json* p = Field(j, "sender")) o.oSender = Ref(*p, Pointer(sPlace, "sender"));
    ForEach(j, sPlace, "recipients",
            [&](const Json& e, const std::string& p) { o.vecRecipients.push_back(Recipient(e, p, false)); });
    o.sOrganizer = Str(j, sPlace, "organizer");
    o.nResponseStatus = Int(j, sPlace, "responseStatus", 0);
    o.sFullName = Str(j, sPlace, "fullName");
    for (int n = 0; n < 3; ++n) {
      std::string sKey = "email" + std::to_string(n + 1);
      if (const Json* p = Field(j, sKey.c_str())) o.arrEmails[n] = Ref(*p, Pointer(sPlace, sKey));
    }
    ForEach(j, sPlace, "links", [&](const Json& e, const std::string& p) {
      if (!e.is_string()) Fail(p, "must be the entry ID of an item (a string)");
      o.vecLinks.push_back({e.get<std::string>(), {}, 0});
    });
    ForEach(j, sPlace, "members",
            [&](const Json& e, const std::string& p) { o.vecMembers.push_back(Recipient(e, p, true)); });
    if (const Json* p = Field(j, "properties")) {
      std::string sProps = Pointer(sPlace, "properties");
      Object(*p, sProps);
      for (auto it = p->begin(); it != p->end(); ++it) o.vecProps.push_back(Property(it.key(), *it, sProps));
    }
    return o;
  }

  std::pair<int32_t, host::Variant> Property(const std::string& sKey, const Json& j,
                                             const std::string& sProps) const {
    std::string sPlace = Pointer(sProps, sKey);
    bool bHex = sKey.size() > 2 && sKey.size() <= 10 && sKey[0] == '0' &&
                (sKey[1] == 'x' || sKey[1] == 'X') &&
                IsHexEntryID(sKey.size() % 2 ? "0" + sKey.substr(2) : sKey.substr(2));
    if (!bHex) Fail(sPlace, "a property tag is written as hexadecimal, like 0x10800003");
    auto nTag = static_cast<int32_t>(std::stoul(sKey.substr(2), nullptr, 16));
    switch (nTag & 0xFFFF) {
      case prop::PT_I2: return {nTag, static_cast<int16_t>(IntValue(j, sPlace, -32768, 32767))};
      case prop::PT_LONG:
        return {nTag, IntValue(j, sPlace, std::numeric_limits<int32_t>::min(),
                               std::numeric_limits<int32_t>::max())};
      case prop::PT_DOUBLE:
        if (!j.is_number()) Fail(sPlace, "must be a number");
        return {nTag, j.get<double>()};
      case prop::PT_BOOLEAN:
        if (!j.is_boolean()) Fail(sPlace, "must be true or false");
        return {nTag, j.get<bool>()};
      case prop::PT_STRING8:
      case prop::PT_UNICODE:
        if (!j.is_string()) Fail(sPlace, "must be a string");
        return {nTag, j.get<std::string>()};
      case prop::PT_BINARY:
        if (!j.is_string() || !(j.get<std::string>().empty() || IsHexEntryID(j.get<std::string>())))
          Fail(sPlace, "must be hexadecimal text (a binary property)");
        return {nTag, host::Variant::Bytes(j.get<std::string>().empty() ? std::vector<uint8_t>{}
                                                                        : BytesOfHex(j.get<std::string>()))};
      default: Fail(sPlace, "property type " + Hex4(nTag) + " is not supported");
    }
  }

  std::string m_sFile;
};

// --- The check: IDs, references, values; shared by files and profiles made in code ---

class Checker {
 public:
  explicit Checker(Profile& o) : m_o(o) {}

  void Run() {
    CheckVersion();
    CheckSwitches();
    CheckAddressBook();
    IndexAddresses();
    // Fixed entry IDs first, so generated ones can steer clear of them.
    for (size_t s = 0; s < m_o.vecStores.size(); ++s)
      CollectFixedIDs(m_o.vecStores[s], Pointer("/stores", s));
    std::unordered_set<std::string> setStoreNames;
    for (size_t s = 0; s < m_o.vecStores.size(); ++s) {
      ProfileStore& oStore = m_o.vecStores[s];
      std::string sPlace = Pointer("/stores", s);
      if (oStore.sName.empty() || oStore.sName.find('\\') != std::string::npos)
        Fail(Pointer(sPlace, "name"), "a store needs a name without \"\\\"");
      if (!setStoreNames.insert(host::FoldCase(oStore.sName)).second)
        Fail(Pointer(sPlace, "name"), "another store has the name \"" + oStore.sName + "\"");
      if (oStore.sStoreID.empty()) oStore.sStoreID = Generate(MakeStoreID, oStore.sName);
      if (oStore.sTopEntryID.empty()) oStore.sTopEntryID = Generate(MakeFolderID, "\\" + oStore.sName);
      std::set<int32_t> setDefaults;
      CheckFolders(oStore.vecFolders, sPlace, "\\" + oStore.sName, setDefaults);
    }
    for (const auto& [pItem, sPlace] : m_vecItems) ResolveLinksAndMembers(*pItem, sPlace);
    for (size_t i = 0; i < m_o.vecStartupExplorers.size(); ++i)
      if (!m_setPaths.count(FoldedPath(m_o.vecStartupExplorers[i])))
        Fail(Pointer("/startupExplorers", i),
             "no folder has the path \"" + m_o.vecStartupExplorers[i] + "\"");
  }

 private:
  [[noreturn]] void Fail(const std::string& sPlace, const std::string& sProblem) const {
    throw ProfileError(m_o.sSource, sPlace, sProblem);
  }

  void CheckVersion() {
    const std::string& s = m_o.sVersion;
    bool bOk = !s.empty() && std::isdigit(static_cast<unsigned char>(s.front())) &&
               s.find('.') != std::string::npos && s.back() != '.' &&
               s.find_first_not_of("0123456789.") == std::string::npos && s.find("..") == std::string::npos;
    if (!bOk) Fail("/version", "a version looks like 11.0.5608, not \"" + s + "\"");
  }

  void CheckSwitches() {
    int32_t n = m_o.nBlockingContextControl;
    bool bKnown = n == 0;
    for (int32_t nId : kBlockingContextControls) bKnown = bKnown || n == nId;
    if (!bKnown)
      Fail("/contextMenuBlocker",
           "must be 0 or one of 7887, 1747, 1880, 1878, 1746, 1917, 1916, not " + std::to_string(n));
  }

  void CheckAddressBook() {
    std::unordered_set<std::string> setIDs;
    for (size_t i = 0; i < m_o.vecAddressBook.size(); ++i) {
      AddressBookEntry& e = m_o.vecAddressBook[i];
      std::string sPlace = Pointer("/addressBook", i);
      if (e.sName.empty()) Fail(Pointer(sPlace, "name"), "an address-book entry needs a name");
      if (e.sType == "SMTP") {
        if (!IsSmtpAddress(e.sAddress))
          Fail(Pointer(sPlace, "address"), "\"" + e.sAddress + "\" is not an SMTP address");
        if (!e.sSmtpAddress.empty() && !host::EqualsNoCase(e.sSmtpAddress, e.sAddress))
          Fail(Pointer(sPlace, "smtpAddress"), "an SMTP entry's SMTP address is its address");
        e.sSmtpAddress = e.sAddress;
      } else if (e.sType == "EX") {
        if (e.sAddress.empty()) Fail(Pointer(sPlace, "address"), "an EX entry needs its Exchange address");
        if (!IsSmtpAddress(e.sSmtpAddress))
          Fail(Pointer(sPlace, "smtpAddress"), "an EX entry needs a valid SMTP address");
      } else {
        Fail(Pointer(sPlace, "type"), "the address type must be \"SMTP\" or \"EX\", not \"" + e.sType + "\"");
      }
      if (!e.sEntryID.empty()) {
        if (!IsHexEntryID(e.sEntryID)) Fail(Pointer(sPlace, "entryID"), "an entry ID is hexadecimal text");
        e.sEntryID = NormalEntryID(e.sEntryID);
        if (!setIDs.insert(e.sEntryID).second)
          Fail(Pointer(sPlace, "entryID"), "repeated entry ID " + e.sEntryID);
      }
    }
    for (auto& e : m_o.vecAddressBook) {
      if (!e.sEntryID.empty()) continue;
      std::string sSeed = e.sType + ":" + host::FoldCase(e.sAddress);
      uint32_t nSalt = 0;
      do e.sEntryID = MakeAddressBookID(sSeed, nSalt++);
      while (setIDs.count(e.sEntryID));
      setIDs.insert(e.sEntryID);
    }
  }

  void IndexAddresses() {
    for (size_t n = 0; n < m_o.vecAddressBook.size(); ++n) {
      const auto& e = m_o.vecAddressBook[n];
      m_mapBookIDs.emplace(e.sEntryID, n);
      m_mapByAddress[host::FoldCase(e.sAddress)].push_back(n);
      if (!host::EqualsNoCase(e.sSmtpAddress, e.sAddress))
        m_mapByAddress[host::FoldCase(e.sSmtpAddress)].push_back(n);
    }
  }

  void TakeFixedID(std::string& sID, const std::string& sPlace) {
    if (sID.empty()) return;
    if (!IsHexEntryID(sID)) Fail(sPlace, "an entry ID is hexadecimal text with an even number of digits");
    sID = NormalEntryID(sID);
    if (!m_setIDs.insert(sID).second) Fail(sPlace, "repeated entry ID " + sID);
  }

  void CollectFixedIDs(ProfileFolder& oFolder, const std::string& sPlace) {
    TakeFixedID(oFolder.sEntryID, Pointer(sPlace, "entryID"));
    for (size_t i = 0; i < oFolder.vecItems.size(); ++i)
      TakeFixedID(oFolder.vecItems[i].sEntryID, Pointer(Pointer(Pointer(sPlace, "items"), i), "entryID"));
    for (size_t i = 0; i < oFolder.vecFolders.size(); ++i)
      CollectFixedIDs(oFolder.vecFolders[i], Pointer(Pointer(sPlace, "folders"), i));
  }

  void CollectFixedIDs(ProfileStore& oStore, const std::string& sPlace) {
    TakeFixedID(oStore.sStoreID, Pointer(sPlace, "storeID"));
    TakeFixedID(oStore.sTopEntryID, Pointer(sPlace, "entryID"));
    for (size_t i = 0; i < oStore.vecFolders.size(); ++i)
      CollectFixedIDs(oStore.vecFolders[i], Pointer(Pointer(sPlace, "folders"), i));
  }

  template <class F>
  std::string Generate(F fnMake, const std::string& sSeed) {
    uint32_t nSalt = 0;
    std::string sID = fnMake(sSeed, nSalt);
    while (m_setIDs.count(sID)) sID = fnMake(sSeed, ++nSalt);
    m_setIDs.insert(sID);
    return sID;
  }

  static std::string FoldedPath(const std::string& sPath) {
    size_t nStart = sPath.find_first_not_of('\\');
    std::string s = "\\" + host::FoldCase(nStart == std::string::npos ? std::string() : sPath.substr(nStart));
    while (s.size() > 1 && s.back() == '\\') s.pop_back();
    return s;
  }

  void CheckFolders(std::vector<ProfileFolder>& vecFolders, const std::string& sParentPlace,
                    const std::string& sParentPath, std::set<int32_t>& setDefaults) {
    m_setPaths.insert(FoldedPath(sParentPath));
    std::unordered_set<std::string> setNames;
    for (size_t f = 0; f < vecFolders.size(); ++f) {
      ProfileFolder& oFolder = vecFolders[f];
      std::string sPlace = Pointer(Pointer(sParentPlace, "folders"), f);
      if (oFolder.sName.empty() || oFolder.sName.find('\\') != std::string::npos)
        Fail(Pointer(sPlace, "name"), "a folder needs a name without \"\\\"");
      if (!setNames.insert(host::FoldCase(oFolder.sName)).second)
        Fail(Pointer(sPlace, "name"), "another folder here has the name \"" + oFolder.sName + "\"");
      if (oFolder.nDefaultItemType < 0 || oFolder.nDefaultItemType > 7)
        Fail(Pointer(sPlace, "defaultItemType"), "the item type must be 0 to 7");
      if (oFolder.nDefaultFolder != 0) {
        if (!IsKnownDefaultFolder(oFolder.nDefaultFolder))
          Fail(Pointer(sPlace, "defaultFolder"),
               "unknown default folder " + std::to_string(oFolder.nDefaultFolder));
        if (!setDefaults.insert(oFolder.nDefaultFolder).second)
          Fail(Pointer(sPlace, "defaultFolder"),
               "the store already has default folder " + std::to_string(oFolder.nDefaultFolder));
      }
      std::string sPath = sParentPath + "\\" + oFolder.sName;
      if (oFolder.sEntryID.empty()) oFolder.sEntryID = Generate(MakeFolderID, sPath);
      if (oFolder.oView.sName.empty()) oFolder.oView.sName = DefaultViewName(oFolder.nDefaultItemType);
      if (oFolder.oView.sXml.empty()) oFolder.oView.sXml = DefaultViewXml(oFolder.oView.sName);
      for (size_t i = 0; i < oFolder.vecItems.size(); ++i) {
        std::string sItemPlace = Pointer(Pointer(sPlace, "items"), i);
        ProfileItem& oItem = oFolder.vecItems[i];
        if (oItem.sEntryID.empty()) oItem.sEntryID = Generate(MakeItemID, sPath + "|" + std::to_string(i));
        CheckItem(oItem, sItemPlace);
        m_mapItems.emplace(oItem.sEntryID, &oItem);
        m_vecItems.emplace_back(&oItem, sItemPlace);
      }
      CheckFolders(oFolder.vecFolders, sPlace, sPath, setDefaults);
    }
  }

  static std::string DefaultViewName(int32_t nItemType) {
    switch (nItemType) {
      case 1: return "Day/Week/Month";
      case 2: return "Address Cards";
      case 3: return "Simple List";
      case 4: return "By Type";
      case 5: return "Icons";
      default: return "Messages";
    }
  }

  static std::string DefaultViewXml(const std::string& sName) {
    std::string sEscaped;
    for (char c : sName)
      sEscaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return "<?xml version=\"1.0\"?>\n<view type=\"table\">\n <viewname>" + sEscaped +
           "</viewname>\n <viewstyle>table-layout:fixed;width:100%</viewstyle>\n</view>\n";
  }

  void CheckItem(ProfileItem& o, const std::string& sPlace) {
    if (!IsKnownItemClass(o.nClass))
      Fail(Pointer(sPlace, "class"), "unknown item class " + std::to_string(o.nClass));
    if (o.sMessageClass.empty()) o.sMessageClass = DefaultMessageClass(o.nClass);
    if (o.nSensitivity < 0 || o.nSensitivity > 3) Fail(Pointer(sPlace, "sensitivity"), "must be 0 to 3");
    if (o.nResponseStatus < 0 || o.nResponseStatus > 5)
      Fail(Pointer(sPlace, "responseStatus"), "must be 0 to 5");
    bool bContact = o.nClass == host::olContact;
    if (!bContact && !o.sFullName.empty())
      Fail(Pointer(sPlace, "fullName"), "only contacts have a full name");
    if (bContact && o.sSubject.empty()) o.sSubject = o.sFullName;
    if (!o.vecMembers.empty() && o.nClass != host::olDistributionList)
      Fail(Pointer(sPlace, "members"), "only distribution lists have members");
    if (!o.vecLinks.empty() && o.nClass != host::olAppointment && o.nClass != host::olTask)
      Fail(Pointer(sPlace, "links"), "only appointments and tasks have links");
    if (o.oSender) ResolveRef(*o.oSender, Pointer(sPlace, "sender"));
    for (size_t i = 0; i < o.vecRecipients.size(); ++i) {
      auto& r = o.vecRecipients[i];
      std::string sRecipient = Pointer(Pointer(sPlace, "recipients"), i);
      if (r.nType < 1 || r.nType > 3) Fail(Pointer(sRecipient, "type"), "a recipient type is 1, 2 or 3");
      ResolveRef(r.oWho, sRecipient);
    }
    for (int n = 0; n < 3; ++n) {
      if (!std::as_const(o).arrEmails[n]) continue;  // looks without making the slots
      std::string sEmail = Pointer(sPlace, "email" + std::to_string(n + 1));
      if (!bContact) Fail(sEmail, "only contacts have e-mail addresses");
      if (o.arrEmails[n]->sName.empty()) o.arrEmails[n]->sName = o.sFullName;
      ResolveRef(*o.arrEmails[n], sEmail);
    }
    for (size_t i = 0; i < o.vecMembers.size(); ++i)
      if (o.vecMembers[i].sContactEntryID.empty())
        ResolveRef(o.vecMembers[i].oWho, Pointer(Pointer(sPlace, "members"), i));
    for (size_t i = 0; i < o.vecProps.size(); ++i)
      if (!FitsTagType(o.vecProps[i].first, o.vecProps[i].second))
        Fail(Pointer(Pointer(sPlace, "properties"), i),
             "the value does not fit the type of the property tag");
  }

  void ResolveRef(AddressRef& r, const std::string& sPlace) {
    if (!r.sEntryID.empty()) {
      auto itEntry = m_mapBookIDs.find(NormalEntryID(r.sEntryID));
      if (itEntry == m_mapBookIDs.end()) {
        // A one-off entry ID carries its address itself (and checking a checked profile again
        // meets the ones made here).
        std::string sName, sType;
        if (!ReadOneOffID(r.sEntryID, sName, sType, r.sAddress))
          Fail(Pointer(sPlace, "entryID"), "no address-book entry has the ID " + r.sEntryID);
        if (r.sName.empty()) r.sName = sName;
        r.sType = sType;
        r.sEntryID.clear();
        ResolveRef(r, sPlace);
        return;
      }
      const AddressBookEntry& e = m_o.vecAddressBook[itEntry->second];
      if (!r.sAddress.empty() && !host::EqualsNoCase(r.sAddress, e.sAddress) &&
          !host::EqualsNoCase(r.sAddress, e.sSmtpAddress))
        Fail(Pointer(sPlace, "address"), "the address is not that of entry " + e.sEntryID);
      Fill(r, e);
      return;
    }
    if (r.sAddress.empty()) Fail(sPlace, "needs an address or the entryID of an address-book entry");
    auto it = m_mapByAddress.find(host::FoldCase(r.sAddress));
    if (it != m_mapByAddress.end() && it->second.size() > 1)
      Fail(Pointer(sPlace, "address"),
           "\"" + r.sAddress + "\" is the address of several address-book entries");
    if (it != m_mapByAddress.end()) {
      const AddressBookEntry& e = m_o.vecAddressBook[it->second.front()];
      if (!r.sType.empty() && r.sType != e.sType)
        Fail(Pointer(sPlace, "addressType"),
             "the address-book entry of \"" + r.sAddress + "\" has the type " + e.sType);
      Fill(r, e);
      return;
    }
    if (r.sType == "EX")
      Fail(Pointer(sPlace, "address"), "an EX address must be an entry of the address book");
    if (!r.sType.empty() && r.sType != "SMTP")
      Fail(Pointer(sPlace, "addressType"),
           "the address type must be \"SMTP\" or \"EX\", not \"" + r.sType + "\"");
    if (!IsSmtpAddress(r.sAddress))
      Fail(Pointer(sPlace, "address"), "\"" + r.sAddress + "\" is not an SMTP address");
    r.sType = "SMTP";
    r.sSmtpAddress = r.sAddress;
    if (r.sName.empty()) r.sName = r.sAddress;
    r.sEntryID.clear();  // made from the fields when asked for
    r.bInAddressBook = false;
  }

  static void Fill(AddressRef& r, const AddressBookEntry& e) {
    if (r.sName.empty()) r.sName = e.sName;
    r.sType = e.sType;
    r.sAddress = e.sAddress;
    r.sSmtpAddress = e.sSmtpAddress;
    r.sEntryID = e.sEntryID;
    r.bInAddressBook = true;
  }

  const ProfileItem* Target(const std::string& sID) const {
    auto it = IsHexEntryID(sID) ? m_mapItems.find(NormalEntryID(sID)) : m_mapItems.end();
    return it == m_mapItems.end() ? nullptr : it->second;
  }

  void ResolveLinksAndMembers(ProfileItem& o, const std::string& sPlace) {
    for (size_t i = 0; i < o.vecLinks.size(); ++i) {
      ProfileLink& l = o.vecLinks[i];
      const ProfileItem* pTarget = Target(l.sEntryID);
      if (!pTarget) Fail(Pointer(Pointer(sPlace, "links"), i), "no item has the entry ID " + l.sEntryID);
      l.sEntryID = pTarget->sEntryID;
      l.sName = pTarget->nClass == host::olContact && !pTarget->sFullName.empty() ? pTarget->sFullName
                                                                                  : pTarget->sSubject;
      l.nClass = pTarget->nClass;
    }
    for (size_t i = 0; i < o.vecMembers.size(); ++i) {
      ProfileRecipient& m = o.vecMembers[i];
      if (m.sContactEntryID.empty()) continue;
      std::string sMember = Pointer(Pointer(sPlace, "members"), i);
      const ProfileItem* pContact = Target(m.sContactEntryID);
      if (!pContact || pContact->nClass != host::olContact)
        Fail(Pointer(sMember, "contact"), "no contact has the entry ID " + m.sContactEntryID);
      if (m.nContactEmail < 1 || m.nContactEmail > 3) Fail(Pointer(sMember, "email"), "must be 1, 2 or 3");
      const auto& oEmail = pContact->arrEmails[static_cast<size_t>(m.nContactEmail - 1)];
      if (!oEmail)
        Fail(Pointer(sMember, "email"), "the contact has no e-mail " + std::to_string(m.nContactEmail));
      m.oWho = *oEmail;
      if (!pContact->sFullName.empty()) m.oWho.sName = pContact->sFullName;
    }
  }

  Profile& m_o;
  std::unordered_map<std::string, size_t> m_mapBookIDs;
  std::unordered_map<std::string, std::vector<size_t>> m_mapByAddress;
  std::unordered_set<std::string> m_setIDs;
  std::unordered_set<std::string> m_setPaths;
  std::unordered_map<std::string, const ProfileItem*> m_mapItems;
  std::vector<std::pair<ProfileItem*, std::string>> m_vecItems;
};

// "line 3, column 14" of a byte offset into the text.
std::string TextPlace(const std::string& sText, size_t nByte) {
  nByte = std::min(nByte, sText.size());
  size_t nLine = 1, nLineStart = 0;
  for (size_t i = 0; i < nByte; ++i) {
    if (sText[i] == '\n') {
      ++nLine;
      nLineStart = i + 1;
    }
  }
  return "line " + std::to_string(nLine) + ", column " + std::to_string(nByte - nLineStart + 1);
}

// The library's own words for a syntax error, without its "[json.exception...] " prefix.
std::string LibraryProblem(const std::exception& e) {
  std::string s = e.what();
  size_t nEnd = s.find("] ");
  if (s.rfind("[json.exception", 0) == 0 && nEnd != std::string::npos) s = s.substr(nEnd + 2);
  return s;
}

// The parser builds the document as usual; a failure of any kind (bad syntax, a number beyond
// every range) is reported with its place in the text instead of as the library's exception.
class DocumentReader : public nlohmann::detail::json_sax_dom_parser<Json> {
 public:
  DocumentReader(Json& j, const std::string& sText, const std::string& sFile)
      : json_sax_dom_parser(j, true), m_sText(sText), m_sFile(sFile) {}
  bool parse_error(size_t nPosition, const std::string& sLastToken, const nlohmann::detail::exception& e) {
    // The position is behind the token that failed; the place is where that token starts.
    const size_t nToken = std::min({nPosition, sLastToken.size(), m_sText.size()});
    const bool bTokenHere = nToken > 0 && nPosition <= m_sText.size() &&
                            m_sText.compare(nPosition - nToken, nToken, sLastToken) == 0;
    const size_t nPlace = std::min(bTokenHere ? nPosition - nToken : nPosition, m_sText.size());
    throw ProfileError(m_sFile, TextPlace(m_sText, nPlace),
                       "invalid JSON (byte " + std::to_string(nPlace) + "): " + LibraryProblem(e));
  }

 private:
  const std::string& m_sText;
  const std::string& m_sFile;
};

}  // namespace

std::shared_ptr<const Profile> CheckProfile(Profile oProfile) {
  Checker(oProfile).Run();
  return std::make_shared<const Profile>(std::move(oProfile));
}

std::shared_ptr<const Profile> LoadProfileFromText(const std::string& sJson, const std::string& sName) {
  Json j;
  DocumentReader oReader(j, sJson, sName);
  try {
    Json::sax_parse(sJson, &oReader);
    return CheckProfile(Reader(sName).Read(j));
  } catch (const ProfileError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw ProfileError(sName, "/", "the profile is too large for the memory available");
  } catch (const std::exception& e) {
    // Every refusal of the reader names its place; this is the last line against one it missed.
    throw ProfileError(sName, "/", LibraryProblem(e));
  }
}

std::shared_ptr<const Profile> DemoProfile() {
  static const std::shared_ptr<const Profile> s_pDemo = LoadProfileFromText(DemoProfileText(), "demo.json");
  return s_pDemo;
}

std::shared_ptr<const Profile> LoadProfile(const std::string& sPath) {
  std::ifstream in(sPath, std::ios::binary);
  if (!in) throw ProfileError(sPath, "", "the file cannot be read");
  std::ostringstream ss;
  ss << in.rdbuf();
  return LoadProfileFromText(ss.str(), sPath);
}

}  // namespace sim
