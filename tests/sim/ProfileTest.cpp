#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "host/Text.h"
#include "sim/AddressBook.h"
#include "sim/EntryIds.h"
#include "sim/Model.h"
#include "sim/Profile.h"

namespace {

// A small valid profile; each refusal case changes one thing in it.
std::string Profile(const std::string& sItems, const std::string& sMore = "") {
  return R"({"addressBook": [{"name": "Ann", "address": "ann@example.com"},
                             {"name": "Max", "type": "EX", "address": "/o=Org/cn=max", "smtpAddress": "max@org.example"}],
            "stores": [{"name": "Box", "folders": [{"name": "Inbox", "defaultFolder": 6, "items": [)" +
         sItems + "]}]}]" + sMore + "}";
}

struct Refusal {
  const char* sName;
  std::string sJson;
  std::string sPlace;
  std::string sProblem;  // a part of the problem text
};

class ProfileRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(ProfileRefusal, NamesFilePlaceAndProblem) {
  const Refusal& r = GetParam();
  try {
    sim::LoadProfileFromText(r.sJson, "test.json");
    FAIL() << "loaded";
  } catch (const sim::ProfileError& e) {
    EXPECT_EQ(e.sFile, "test.json");
    EXPECT_EQ(e.sPlace, r.sPlace);
    EXPECT_NE(e.sProblem.find(r.sProblem), std::string::npos) << e.sProblem;
    EXPECT_EQ(std::string(e.what()).rfind("test.json: ", 0), 0u) << e.what();
  }
}

const std::string kItems = "/stores/0/folders/0/items";

INSTANTIATE_TEST_SUITE_P(
    Loader, ProfileRefusal,
    testing::Values(
        Refusal{"InvalidJson", R"({"stores": [)", "line 1, column 13", "invalid JSON (byte 12)"},
        Refusal{"NumberTooLarge", "{\n  \"stores\": [],\n  \"version\": 6e407}", "line 3, column 14",
                "number overflow parsing '6e407'"},
        Refusal{"NumberTooLargeAlone", "6e407", "line 1, column 1", "number overflow"},
        Refusal{"NotAnObject", "[1, 2]", "/", "must be an object"},
        Refusal{"UnknownClassName", Profile(R"({"class": "memo"})"), kItems + "/0/class",
                "unknown item class"},
        Refusal{"UnknownClassNumber", Profile(R"({"class": 42})"), kItems + "/0/class",
                "unknown item class 42"},
        Refusal{"RepeatedEntryID",
                Profile(R"({"class": "note", "entryID": "0A0B"}, {"class": "note", "entryID": "0a0b"})"),
                kItems + "/1/entryID", "repeated entry ID 0A0B"},
        Refusal{"EntryIDNotHex", Profile(R"({"class": "note", "entryID": "XYZ1"})"), kItems + "/0/entryID",
                "hexadecimal"},
        Refusal{"LinkToNothing", Profile(R"({"class": "task", "links": ["0BAD"]})"), kItems + "/0/links/0",
                "no item has the entry ID 0BAD"},
        Refusal{"MemberContactMissing", Profile(R"({"class": "distList", "members": [{"contact": "0BAD"}]})"),
                kItems + "/0/members/0/contact", "no contact"},
        Refusal{"MemberEntryMissing", Profile(R"({"class": "distList", "members": [{"entryID": "0BAD"}]})"),
                kItems + "/0/members/0/entryID", "no address-book entry"},
        Refusal{"MemberContactWithoutThatEmail",
                Profile(R"({"class": "contact", "entryID": "0C01", "email1": "ann@example.com"},
                           {"class": "distList", "members": [{"contact": "0C01", "email": 2}]})"),
                kItems + "/1/members/0/email", "no e-mail 2"},
        Refusal{"WrongFieldType", Profile(R"({"class": "mail", "subject": 5})"), kItems + "/0/subject",
                "must be a string"},
        Refusal{"WrongRecipientType",
                Profile(R"({"class": "mail", "recipients": [{"type": 4, "address": "a@b.cd"}]})"),
                kItems + "/0/recipients/0/type", "1, 2 or 3"},
        Refusal{"UnknownField", Profile(R"({"class": "mail", "subjekt": "x"})"), kItems + "/0/subjekt",
                "unknown field"},
        Refusal{
            "ExAddressOutsideBook",
            Profile(R"({"class": "mail", "sender": {"address": "/o=Org/cn=nobody", "addressType": "EX"}})"),
            kItems + "/0/sender/address", "EX address must be an entry"},
        Refusal{"NotAnSmtpAddress", Profile(R"({"class": "mail", "sender": "not an address"})"),
                kItems + "/0/sender/address", "not an SMTP address"},
        Refusal{"PropertyOfWrongType", Profile(R"({"class": "mail", "properties": {"0x10800003": "x"}})"),
                kItems + "/0/properties/0x10800003", "whole number"},
        Refusal{"UnsupportedPropertyType", Profile(R"({"class": "mail", "properties": {"0x00390040": 1}})"),
                kItems + "/0/properties/0x00390040", "not supported"},
        Refusal{"UnknownDefaultFolder",
                R"({"stores": [{"name": "Box", "folders": [{"name": "Odd", "defaultFolder": 7}]}]})",
                "/stores/0/folders/0/defaultFolder", "unknown default folder 7"},
        Refusal{
            "DefaultFolderTwice",
            R"({"stores": [{"name": "Box", "folders": [{"name": "A", "defaultFolder": 6}, {"name": "B", "defaultFolder": 6}]}]})",
            "/stores/0/folders/1/defaultFolder", "already has default folder 6"},
        Refusal{"SiblingNamesClash",
                R"({"stores": [{"name": "Box", "folders": [{"name": "Inbox"}, {"name": "INBOX"}]}]})",
                "/stores/0/folders/1/name", "another folder"},
        Refusal{"StartupPathMissing", Profile("", R"(, "startupExplorers": ["\\Box\\Outbox"])"),
                "/startupExplorers/0", "no folder has the path"},
        Refusal{"BadBlocker", Profile("", R"(, "contextMenuBlocker": 356)"), "/contextMenuBlocker",
                "must be 0 or one of"},
        Refusal{"BadVersion", Profile("", R"(, "version": "eleven")"), "/version", "a version looks like"},
        Refusal{"AddressBookType", R"({"addressBook": [{"name": "X", "type": "X400", "address": "c=de"}]})",
                "/addressBook/0/type", "\"SMTP\" or \"EX\""}),
    [](const testing::TestParamInfo<Refusal>& i) { return std::string(i.param.sName); });

TEST(ProfileLoader, RefusesFoldersNestedBeyondReason) {
  std::string sOpen, sClose;
  for (int i = 0; i < 100000; ++i) {
    sOpen += R"({"name": "F", "folders": [)";
    sClose += "]}";
  }
  std::string sJson = R"({"stores": [{"name": "Box", "folders": [)" + sOpen + sClose + "]}]}";
  try {
    sim::LoadProfileFromText(sJson, "deep.json");
    FAIL();
  } catch (const sim::ProfileError& e) {
    EXPECT_NE(e.sProblem.find("nest deeper than"), std::string::npos);
  }
}

TEST(ProfileLoader, MissingFileIsNamed) {
  try {
    sim::LoadProfile("/no/such/profile.json");
    FAIL();
  } catch (const sim::ProfileError& e) {
    EXPECT_EQ(e.sFile, "/no/such/profile.json");
  }
}

TEST(ProfileLoader, ReadsAFileAndResolvesReferences) {
  auto sPath = (std::filesystem::temp_directory_path() / "quillo_profile_test.json").string();
  {
    std::ofstream(sPath) << Profile(
        R"({"class": "contact", "entryID": "0C01", "fullName": "Ann A", "email1": "ANN@example.com"},
           {"class": "distList", "subject": "L", "members": [{"contact": "0C01"}, "guest@else.example"]},
           {"class": "mail", "sender": {"address": "max@org.example"}, "properties": {"0x10800003": 261, "0x0E1B000B": true}})",
        R"(, "startupExplorers": ["\\box\\inbox"])");
  }
  auto p = sim::LoadProfile(sPath);
  std::filesystem::remove(sPath);
  const auto& vecItems = p->vecStores[0].vecFolders[0].vecItems;
  ASSERT_EQ(vecItems.size(), 3u);
  // The contact's address found its address-book entry despite the case.
  ASSERT_TRUE(vecItems[0].arrEmails[0]);
  EXPECT_TRUE(vecItems[0].arrEmails[0]->bInAddressBook);
  EXPECT_EQ(vecItems[0].arrEmails[0]->sName, "Ann A");
  // A member from a contact carries the contact's name and entry; an unknown address is a one-off.
  EXPECT_EQ(vecItems[1].vecMembers[0].oWho.sName, "Ann A");
  EXPECT_EQ(vecItems[1].vecMembers[0].oWho.sEntryID, p->vecAddressBook[0].sEntryID);
  EXPECT_FALSE(vecItems[1].vecMembers[1].oWho.bInAddressBook);
  // The EX sender matched by its SMTP address keeps the Exchange address.
  EXPECT_EQ(vecItems[2].oSender->sType, "EX");
  EXPECT_EQ(vecItems[2].oSender->sAddress, "/o=Org/cn=max");
  EXPECT_EQ(vecItems[2].vecProps.size(), 2u);
}

TEST(ProfileLoader, GeneratedIDsAreStableAndDistinct) {
  std::string sJson =
      Profile(R"({"class": "mail"}, {"class": "mail"}, {"class": "note", "entryID": "ABCD"})");
  auto p1 = sim::LoadProfileFromText(sJson, "a");
  auto p2 = sim::LoadProfileFromText(sJson, "b");
  const auto& v1 = p1->vecStores[0].vecFolders[0].vecItems;
  const auto& v2 = p2->vecStores[0].vecFolders[0].vecItems;
  EXPECT_EQ(v1[0].sEntryID, v2[0].sEntryID);
  EXPECT_NE(v1[0].sEntryID, v1[1].sEntryID);
  EXPECT_EQ(v1[2].sEntryID, "ABCD");
  EXPECT_EQ(p1->vecAddressBook[0].sEntryID, p2->vecAddressBook[0].sEntryID);
  EXPECT_EQ(p1->vecStores[0].sStoreID, p2->vecStores[0].sStoreID);
  for (char c : v1[0].sEntryID) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
}

TEST(ProfileLoader, ProfilesMadeInCodeAreCheckedToo) {
  sim::Profile o;
  o.vecStores.push_back({"Box", {}, {}, {{"Tasks", {}, 3, 13, {}, {}, {}}}});
  sim::ProfileItem oTask;
  oTask.nClass = 48;
  oTask.vecLinks.push_back({"0BAD", {}, 0});
  o.vecStores[0].vecFolders[0].vecItems.push_back(oTask);
  EXPECT_THROW(sim::CheckProfile(o), sim::ProfileError);
  o.vecStores[0].vecFolders[0].vecItems[0].vecLinks.clear();
  auto p = sim::CheckProfile(o);
  EXPECT_FALSE(p->vecStores[0].vecFolders[0].vecItems[0].sEntryID.empty());
  EXPECT_EQ(p->vecStores[0].vecFolders[0].oView.sName, "Simple List");
}

TEST(OneOffEntryIDs, CarryNameTypeAndAddress) {
  std::string sID = sim::MakeOneOffID("Jürgen Müller", "SMTP", "jm@example.de");
  std::string sName, sType, sAddress;
  ASSERT_TRUE(sim::ReadOneOffID(sID, sName, sType, sAddress));
  EXPECT_EQ(sName, "Jürgen Müller");
  EXPECT_EQ(sType, "SMTP");
  EXPECT_EQ(sAddress, "jm@example.de");
  EXPECT_FALSE(sim::ReadOneOffID("00000000DCA740C8C042101AB4B908002B2FE182", sName, sType, sAddress));
  EXPECT_FALSE(sim::ReadOneOffID(sID.substr(0, sID.size() - 4), sName, sType, sAddress));
}

TEST(DemoProfile, LoadsWithWhatLaterCommandsNeed) {
  auto p = sim::DemoProfile();
  ASSERT_EQ(p->vecStores.size(), 2u);
  EXPECT_EQ(p->vecStores[0].sName, "Mailbox - Jane Doe");
  EXPECT_EQ(p->vecStores[1].sName, "Archive");
  ASSERT_EQ(p->vecStartupExplorers.size(), 1u);
  sim::AddressBook oBook(p->vecAddressBook);
  EXPECT_EQ(oBook.Matches("john smith").size(), 2u);  // the ambiguous name
  EXPECT_EQ(oBook.Resolve("ärger hotline")->sName, "ÄRGER Hotline");
  std::set<int32_t> setDefaults;
  std::set<int32_t> setClasses;
  size_t nFilters = 0;
  std::function<void(const sim::ProfileFolder&)> fnVisit = [&](const sim::ProfileFolder& f) {
    if (f.nDefaultFolder) setDefaults.insert(f.nDefaultFolder);
    if (f.oView.sXml.find("<filter>&quot;") != std::string::npos) ++nFilters;
    for (const auto& i : f.vecItems) setClasses.insert(i.nClass);
    for (const auto& c : f.vecFolders) fnVisit(c);
  };
  for (const auto& f : p->vecStores[0].vecFolders) fnVisit(f);
  for (int32_t n : {3, 4, 5, 6, 9, 10, 16, 23}) EXPECT_TRUE(setDefaults.count(n)) << n;
  EXPECT_EQ(setClasses, (std::set<int32_t>{26, 40, 43, 44, 45, 48, 53, 69}));
  EXPECT_EQ(nFilters, 1u);
}

// A one-off address keeps no entry ID in the checked profile: the ID is made from its name, type
// and address when the model needs it, so equal addresses share it and different ones do not.
TEST(ProfileLoader, OneOffAddressesGetTheirIDsFromTheirFields) {
  const std::string sGivenID = sim::MakeOneOffID("Bea", "SMTP", "bea@x.example");
  auto p = sim::LoadProfileFromText(
      Profile(R"({"class": "mail", "entryID": "0A01", "sender": {"name": "Al", "address": "al@x.example"}},
                 {"class": "mail", "entryID": "0A02", "sender": {"entryID": ")" +
              sGivenID + R"("}},
                 {"class": "mail", "entryID": "0A03", "sender": {"name": "Al", "address": "al@x.example"}},
                 {"class": "task", "entryID": "0A04", "recipients": [{"name": "Al", "address": "al@x.example"},
                                                                    "bea@x.example"]})"),
      "oneoff.json");
  const auto& vecItems = p->vecStores[0].vecFolders[0].vecItems;
  const sim::AddressRef& oAl = *vecItems[0].oSender;
  const std::string sAlID = sim::MakeOneOffID("Al", "SMTP", "al@x.example");
  EXPECT_TRUE(oAl.sEntryID.empty());
  EXPECT_EQ(vecItems[1].oSender->sName, "Bea");
  EXPECT_TRUE(vecItems[1].oSender->sEntryID.empty());

  sim::Model oModel(*p);
  auto SenderID = [&](const char* sItem) {
    const host::Variant* pID = oModel.ItemByID(sItem)->Prop(sim::prop::PR_SENDER_ENTRYID);
    return pID ? host::HexOfBytes(pID->ToBytes()) : std::string();
  };
  EXPECT_EQ(SenderID("0A01"), sAlID);
  EXPECT_EQ(SenderID("0A02"), sGivenID);
  EXPECT_EQ(SenderID("0A03"), sAlID);
  const auto& vecTo = oModel.ItemByID("0A04")->vecRecipients;
  ASSERT_EQ(vecTo.size(), 2u);
  EXPECT_EQ(vecTo[0]->pEntry->sEntryID, sAlID);
  EXPECT_EQ(vecTo[0]->pEntry->sAddress, "al@x.example");
  EXPECT_EQ(vecTo[1]->pEntry->sEntryID, sim::MakeOneOffID("bea@x.example", "SMTP", "bea@x.example"));
}

}  // namespace
