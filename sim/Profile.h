// A simulated Outlook profile: stores, folders, items, address book, views, version and switches.
// Profiles are read from JSON (format in sim/profiles/README.md) and checked as a whole: after a
// successful load every entry ID is assigned and every reference points at something, so the
// simulation built from a profile never meets a dangling reference. A profile is immutable;
// each simulated Outlook builds its own mutable state from it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/Outlook.h"
#include "host/Variant.h"

namespace sim {

// A refused profile. The message names the file, the place (a JSON pointer such as
// /stores/0/folders/2/items/5) and the problem.
struct ProfileError : std::runtime_error {
  ProfileError(std::string sFile, std::string sPlace, std::string sProblem);
  std::string sFile;
  std::string sPlace;
  std::string sProblem;
};

// An entry of the address book. The address comes first: it is what a recipient's entry is read
// for most, and an entry made with its reference count keeps the two side by side.
struct AddressBookEntry {
  std::string sAddress;      // the SMTP address, or the Exchange (X.500) address
  std::string sName;         // display name
  std::string sType;         // "SMTP" or "EX"
  std::string sSmtpAddress;  // SMTP address of an EX entry; the address itself for SMTP
  std::string sEntryID;      // upper-case hexadecimal
};

// Who a sender, recipient, contact e-mail or list member is: an entry of the address book or a
// one-off address. Before the check it names an entry (sEntryID) or gives an address (with an
// optional name and type); after it every field is filled, and sEntryID is the address-book
// entry's ID or, for a one-off address, empty: its one-off ID encodes the name, type and address
// and is made from them by the model (it runs to a couple of hundred characters, and a
// generated profile may hold hundreds of thousands of addresses).
struct AddressRef {
  std::string sName;
  std::string sType;
  std::string sAddress;
  std::string sSmtpAddress;
  std::string sEntryID;
  bool bInAddressBook = false;
};

struct ProfileRecipient {
  AddressRef oWho;
  int32_t nType = 1;  // 1 To / required, 2 Cc / optional, 3 Bcc / resource
  // A list member taken from e-mail n (1 to 3) of a contact item: the check fills oWho from it.
  std::string sContactEntryID;
  int32_t nContactEmail = 0;
};

struct ProfileLink {
  std::string sEntryID;  // of the linked item
  std::string sName;     // the linked item's name when loaded
  int32_t nClass = 0;    // the linked item's class
};

// E-mail 1 to 3 of a contact, as [0] to [2]. Held only by the items that have one: most items are
// not contacts, and a generated profile may hold hundreds of thousands of items. Reading through
// a const reference never allocates; writing makes the three slots.
class ContactEmails {
 public:
  ContactEmails() = default;
  ContactEmails(const ContactEmails& o) : m_p(o.m_p ? std::make_unique<Slots>(*o.m_p) : nullptr) {}
  ContactEmails& operator=(const ContactEmails& o) {
    if (this != &o) m_p = o.m_p ? std::make_unique<Slots>(*o.m_p) : nullptr;
    return *this;
  }
  ContactEmails(ContactEmails&&) noexcept = default;
  ContactEmails& operator=(ContactEmails&&) noexcept = default;

  std::optional<AddressRef>& operator[](size_t n) {
    if (!m_p) m_p = std::make_unique<Slots>();
    return (*m_p)[n];
  }
  const std::optional<AddressRef>& operator[](size_t n) const {
    static const std::optional<AddressRef> s_oNone;
    return m_p ? (*m_p)[n] : s_oNone;
  }
  static constexpr size_t size() { return 3; }

 private:
  using Slots = std::array<std::optional<AddressRef>, 3>;
  std::unique_ptr<Slots> m_p;
};

struct ProfileItem {
  int32_t nClass = host::olMail;
  std::string sEntryID;
  std::string sMessageClass;
  std::string sSubject;
  std::string sBody;
  std::string sCategories;
  int32_t nSensitivity = 0;
  std::optional<AddressRef> oSender;
  std::vector<ProfileRecipient> vecRecipients;
  // Appointments and meeting requests.
  std::string sOrganizer;
  int32_t nResponseStatus = 0;
  // Contacts.
  std::string sFullName;
  ContactEmails arrEmails;
  // Appointments and tasks.
  std::vector<ProfileLink> vecLinks;
  // Distribution lists (the list's name is its subject).
  std::vector<ProfileRecipient> vecMembers;
  // Free MAPI properties by tag.
  std::vector<std::pair<int32_t, host::Variant>> vecProps;
};

struct ProfileView {
  std::string sName;
  std::string sXml;
};

struct ProfileFolder {
  std::string sName;
  std::string sEntryID;
  int32_t nDefaultItemType = 0;
  int32_t nDefaultFolder = 0;  // 0: not a default folder
  ProfileView oView;
  std::vector<ProfileItem> vecItems;
  std::vector<ProfileFolder> vecFolders;
};

struct ProfileStore {
  std::string sName;  // also the name of the store's top folder
  std::string sStoreID;
  std::string sTopEntryID;
  std::vector<ProfileFolder> vecFolders;
};

struct Profile {
  std::string sSource;  // file name or the name given to LoadProfileFromText
  std::string sVersion = "11.0.5608";
  bool bRedemption = true;
  std::vector<ProfileStore> vecStores;  // the first is the default store
  std::vector<AddressBookEntry> vecAddressBook;
  std::vector<std::string> vecStartupExplorers;  // folder paths
  // One of the identifiers whose presence in "Context Menu" keeps an add-in out of it; 0: none.
  int32_t nBlockingContextControl = 0;
  // "Context Menu" and "Folder Context Menu" start with Protection = no customising.
  bool bProtectContextMenus = false;
};

std::shared_ptr<const Profile> LoadProfile(const std::string& sPath);
std::shared_ptr<const Profile> LoadProfileFromText(const std::string& sJson, const std::string& sName);
// The demo profile, built into the library from sim/profiles/demo.json, and its JSON text.
std::shared_ptr<const Profile> DemoProfile();
const std::string& DemoProfileText();
// Checks a profile made in code (generators, benchmarks) the way the loader checks a file,
// assigning missing entry IDs; throws ProfileError.
std::shared_ptr<const Profile> CheckProfile(Profile oProfile);

// The identifiers that may block the item context menu.
constexpr std::array<int32_t, 7> kBlockingContextControls = {7887, 1747, 1880, 1878, 1746, 1917, 1916};

}  // namespace sim
