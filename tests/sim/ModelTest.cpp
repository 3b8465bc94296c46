// The Outlook object model of the simulation over the demo profile: resolution, folders, items,
// their properties and events.
#include <gtest/gtest.h>

#include "host/Text.h"
#include "sim/EntryIds.h"
#include "sim/FilterExpression.h"
#include "sim/ItemObjects.h"
#include "sim/Model.h"
#include "sim/Outlook.h"

namespace {

using host::Variant;

constexpr const char* kRepliedMail = "0000000044454D4F0601";
constexpr const char* kExSenderMail = "0000000044454D4F0602";
constexpr const char* kMaria = "0000000044454D4F1001";
constexpr const char* kCarla = "0000000044454D4F1003";
constexpr const char* kJuergen = "0000000044454D4F1006";
constexpr const char* kApolloTeam = "0000000044454D4F1008";
constexpr const char* kDentist = "0000000044454D4F0903";

class SimModel : public testing::Test {
 protected:
  sim::Outlook m_oOutlook{sim::DemoProfile()};
  std::shared_ptr<host::NameSpace> m_oSession = m_oOutlook.Application()->Session();

  template <class T>
  std::shared_ptr<T> Item(const std::string& sID) {
    return std::dynamic_pointer_cast<T>(m_oSession->GetItemFromID(sID));
  }
};

TEST_F(SimModel, ResolveTakesOneMatchOrAnSmtpAddress) {
  struct Case {
    const char* sTyped;
    bool bResolves;
    const char* sName;
    const char* sType;
    const char* sAddress;
  };
  const Case vecCases[] = {
      {"Maria Garcia", true, "Maria Garcia", "SMTP", "maria.garcia@example.com"},
      {"MARIA.GARCIA@EXAMPLE.COM", true, "Maria Garcia", "SMTP", "maria.garcia@example.com"},
      {"ärger hotline", true, "ÄRGER Hotline", "SMTP", "aerger@example.de"},
      {"juergen.mueller@contoso.com", true, "Jürgen Müller", "EX",
       "/o=Contoso/ou=First Administrative Group/cn=Recipients/cn=jmueller"},
      {"new.person@elsewhere.example", true, "new.person@elsewhere.example", "SMTP",
       "new.person@elsewhere.example"},
      {"John Smith", false, "John Smith", "", ""},  // two entries have this name
      {"Nobody Known", false, "Nobody Known", "", ""},
      {"half@address", false, "half@address", "", ""},
  };
  for (const auto& c : vecCases) {
    auto oRecipient = m_oSession->CreateRecipient(c.sTyped);
    EXPECT_EQ(oRecipient->Resolve(), c.bResolves) << c.sTyped;
    EXPECT_EQ(oRecipient->Resolved(), c.bResolves) << c.sTyped;
    EXPECT_EQ(oRecipient->Name(), c.sName) << c.sTyped;
    auto oEntry = oRecipient->AddressEntry();
    ASSERT_EQ(oEntry != nullptr, c.bResolves) << c.sTyped;
    if (!oEntry) continue;
    EXPECT_EQ(oEntry->Type(), c.sType) << c.sTyped;
    EXPECT_EQ(oEntry->Address(), c.sAddress) << c.sTyped;
  }
  EXPECT_THROW(m_oSession->CreateRecipient("  "), host::Error);
}

TEST_F(SimModel, DefaultFoldersAndMissingOnes) {
  for (int32_t n : {3, 4, 5, 6, 9, 10, 16, 23}) EXPECT_NO_THROW(m_oSession->GetDefaultFolder(n)) << n;
  EXPECT_EQ(m_oSession->GetDefaultFolder(6)->Name(), "Inbox");
  EXPECT_THROW(m_oSession->GetDefaultFolder(7), host::Error);

  auto pBare = sim::LoadProfileFromText(
      R"({"stores": [{"name": "Box", "folders": [{"name": "Inbox", "defaultFolder": 6}]}]})", "bare");
  sim::Outlook oBare(pBare);
  try {
    oBare.Application()->Session()->GetDefaultFolder(23);
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), static_cast<int32_t>(0x8004010F));
  }
}

TEST_F(SimModel, FoldersNestAndEndAtTheNameSpace) {
  auto oFolders = m_oSession->Folders();
  ASSERT_EQ(oFolders->Count(), 2);
  EXPECT_EQ(oFolders->Item(Variant(int32_t{2}))->Name(), "Archive");
  auto oTop = oFolders->Item(Variant("mailbox - jane doe"));
  EXPECT_EQ(oTop->Parent()->Class(), host::olNamespace);
  auto oSent = oTop->Folders()->Item(Variant("Sent Items"));
  auto oSubFolders = oSent->Folders();
  auto oSub = oSubFolders->GetFirst();
  EXPECT_EQ(oSub->Name(), "Sent 2003");
  EXPECT_EQ(std::dynamic_pointer_cast<host::MAPIFolder>(oSub->Parent())->EntryID(), oSent->EntryID());
  EXPECT_EQ(oSubFolders->GetNext(), nullptr);
  EXPECT_EQ(m_oSession->GetFolderFromID(oSent->EntryID())->Name(), "Sent Items");
  EXPECT_EQ(m_oOutlook.PathOf(oSub), "\\Mailbox - Jane Doe\\Sent Items\\Sent 2003");
  EXPECT_EQ(m_oOutlook.FolderByPath("\\\\MAILBOX - jane doe\\sent items\\")->EntryID(), oSent->EntryID());
  EXPECT_THROW(m_oOutlook.FolderByPath("\\Mailbox - Jane Doe\\Nowhere"), host::Error);
  EXPECT_THROW(oTop->Folders()->Item(Variant("Nowhere")), host::Error);
  EXPECT_EQ(m_oOutlook.AllFolders().size(), 18u);
}

TEST_F(SimModel, ItemsWalkAndIdentity) {
  auto oItems = m_oSession->GetDefaultFolder(6)->Items();
  int32_t nCount = oItems->Count();
  int32_t nWalked = 0;
  for (auto o = oItems->GetFirst(); o; o = oItems->GetNext()) ++nWalked;
  EXPECT_EQ(nWalked, nCount);
  EXPECT_EQ(oItems->GetNext(), nullptr);
  EXPECT_THROW(oItems->Item(Variant(nCount + 1)), host::Error);
  // While held, an item is one object: events connected to it reach its holder.
  auto oFirst = oItems->Item(Variant(int32_t{1}));
  EXPECT_EQ(oFirst, m_oSession->GetItemFromID(oFirst->EntryID()));
  EXPECT_EQ(oItems->Item(Variant("quarterly REPORT")), oFirst);
}

std::vector<std::string> Subjects(const std::shared_ptr<host::Items>& oItems) {
  std::vector<std::string> vec;
  for (auto o = oItems->GetFirst(); o; o = oItems->GetNext()) vec.push_back(o->Subject());
  return vec;
}

TEST_F(SimModel, RestrictAndSortFollowTheFolder) {
  auto oContacts = m_oSession->GetDefaultFolder(10)->Items();
  auto oLists = oContacts->Restrict("[MessageClass] = 'ipm.distlist'");
  EXPECT_EQ(Subjects(oLists), (std::vector<std::string>{"Apollo Team", "ÄRGER Verteiler"}));
  oLists->Sort("[DLName]", Variant(true));
  EXPECT_EQ(Subjects(oLists), (std::vector<std::string>{"ÄRGER Verteiler", "Apollo Team"}));
  // And binds tighter than Or; doubled quotes stand for themselves; Not and parentheses.
  auto oSome = oContacts->Restrict(
      "[Subject] = \"Eve Adams\" Or [Sensitivity] = 2 And [FullName] <> 'Nobody''s' Or Not ([Class] <> 69)");
  EXPECT_EQ(Subjects(oSome),
            (std::vector<std::string>{"Bob Wilson", "Eve Adams", "Apollo Team", "ÄRGER Verteiler"}));
  EXPECT_EQ(oSome->Restrict("[Subject] >= 'B' And [Subject] < 'F'")->Count(), 2);
  // A restricted set follows the folder's later changes.
  auto oNew =
      std::dynamic_pointer_cast<host::DistListItem>(oContacts->Add(Variant(host::olDistributionListItem)));
  oNew->SetDLName("Zeta");
  oNew->Save();
  // Text orders by folded code points, so "Ä" comes after "Z".
  EXPECT_EQ(Subjects(oLists), (std::vector<std::string>{"ÄRGER Verteiler", "Zeta", "Apollo Team"}));
  for (const char* sBad : {"", "[Subject] = ", "[Subject] ~ 'x'", "[Nonsense] = 'x'", "[Subject] = 'x' And",
                           "([Subject] = 'x'", "[Subject] = 'unterminated"})
    EXPECT_THROW(oContacts->Restrict(sBad), host::Error) << sBad;
  EXPECT_THROW(oContacts->Sort("[Nonsense]"), host::Error);
  // The messages say where the condition broke.
  try {
    oContacts->Restrict("[Subject] = 'x' And");
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Description(), "Cannot parse condition. Error at \"\".");
  }
  try {
    oContacts->Restrict("[Nonsense] = 'x'");
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Description(), "The property \"Nonsense\" in the condition is not valid.");
  }
}

// Nesting is limited before it could exhaust the stack; a long chain of Or is not nesting.
TEST_F(SimModel, RestrictRefusesFiltersNestedTooDeep) {
  auto oContacts = m_oSession->GetDefaultFolder(10)->Items();
  const std::string sTest = "[Subject] = 'Eve Adams'";
  auto fnNested = [&](const std::string& sOpen, const std::string& sClose, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += sOpen;
    s += sTest;
    for (int i = 0; i < n; ++i) s += sClose;
    return s;
  };
  const int nDeepest = sim::FilterParser::kMaxDepth - 1;
  EXPECT_EQ(oContacts->Restrict(fnNested("(", ")", nDeepest))->Count(), 1);
  EXPECT_EQ(oContacts->Restrict(fnNested("Not ", "", nDeepest - 1))->Count(), 1);
  for (const std::string& sTooDeep :
       {fnNested("(", ")", nDeepest + 1), fnNested("not ", "", 150000), fnNested("(", "", 40000)}) {
    try {
      oContacts->Restrict(sTooDeep);
      FAIL();
    } catch (const host::Error& e) {
      EXPECT_EQ(e.Description().rfind("Cannot parse condition. Error at \"", 0), 0u);
    }
  }
  std::string sChain = sTest;
  for (int i = 0; i < 100000; ++i) sChain += " Or [Subject] = 'x'";
  EXPECT_EQ(oContacts->Restrict(sChain)->Count(), 1);
}

TEST_F(SimModel, MapiPropertiesBehindTheItems) {
  auto pReplied = sim::ItemDataOf(Item<host::MailItem>(kRepliedMail));
  ASSERT_TRUE(pReplied);
  EXPECT_EQ(pReplied->oProps.Long(sim::prop::PR_ICON_INDEX), 261);
  auto oEx = Item<host::MailItem>(kExSenderMail);
  EXPECT_EQ(oEx->SenderName(), "Peter Brown");
  auto pEx = sim::ItemDataOf(oEx);
  EXPECT_EQ(pEx->oProps.Text(sim::prop::PR_SENDER_ADDRTYPE), "EX");
  EXPECT_EQ(pEx->oProps.Text(sim::prop::PR_SENDER_EMAIL_ADDRESS),
            "/o=Contoso/ou=First Administrative Group/cn=Recipients/cn=pbrown");
  EXPECT_EQ(oEx->CC(), "Jürgen Müller");

  // Contact e-mails are named properties; their original entry IDs lead back to the entries.
  auto& oModel = m_oOutlook.Data();
  auto pJuergen = sim::ItemDataOf(Item<host::ContactItem>(kJuergen));
  int32_t nId = oModel.Named().Tag(sim::prop::PSETID_Address, 0x8085, false);
  ASSERT_NE(nId, 0);
  const Variant* pOriginal = pJuergen->oProps.Find(nId | sim::prop::PT_BINARY);
  ASSERT_TRUE(pOriginal);
  auto pEntry = oModel.Book().FindByID(host::HexOfBytes(pOriginal->ToBytes()));
  ASSERT_TRUE(pEntry);
  EXPECT_EQ(pEntry->sSmtpAddress, "juergen.mueller@contoso.com");
  auto oCarla = Item<host::ContactItem>(kCarla);
  EXPECT_EQ(oCarla->Email1Address(), "");
  EXPECT_EQ(oCarla->Email2Address(), "carla.jones@example.org");
  const Variant* pCarla2 = sim::ItemDataOf(oCarla)->oProps.Find(
      oModel.Named().Tag(sim::prop::PSETID_Address, 0x8095, false) | sim::prop::PT_BINARY);
  ASSERT_TRUE(pCarla2);
  EXPECT_EQ(oModel.Book().FindByID(host::HexOfBytes(pCarla2->ToBytes()))->sAddress,
            "carla.jones@example.org");
  EXPECT_EQ(Item<host::ContactItem>("0000000044454D4F1002")->Sensitivity(), host::olPrivate);
}

TEST_F(SimModel, LinksAndGoneItems) {
  auto oLinks = Item<host::AppointmentItem>(kDentist)->Links();
  ASSERT_EQ(oLinks->Count(), 2);
  auto oEve = oLinks->Item(Variant(int32_t{1}));
  EXPECT_EQ(oEve->Type(), host::olContact);
  EXPECT_EQ(oEve->Name(), "Eve Adams");
  EXPECT_EQ(std::dynamic_pointer_cast<host::ContactItem>(oEve->Item())->FullName(), "Eve Adams");

  auto oHeld = Item<host::ContactItem>(kMaria);
  m_oOutlook.DeleteItem(kMaria);
  EXPECT_THROW(m_oSession->GetItemFromID(kMaria), host::Error);
  EXPECT_THROW(oHeld->FullName(), host::Error);
  auto oTaskLinks = Item<host::TaskItem>("0000000044454D4F1301")->Links();
  EXPECT_EQ(oTaskLinks->Item(Variant(int32_t{1}))->Name(), "Maria Garcia");  // the name stays with the link
  EXPECT_THROW(oTaskLinks->Item(Variant(int32_t{1}))->Item(), host::Error);
  EXPECT_EQ(oTaskLinks->Item(Variant(int32_t{3}))->Type(), host::olDistributionList);
}

TEST_F(SimModel, SavingAndDeletingRaiseItemEvents) {
  auto oFolder = m_oSession->GetDefaultFolder(10);
  auto oItems = oFolder->Items();
  std::vector<std::string> vecEvents;
  auto c1 = oItems->OnItemAdd.Connect([&](auto o) { vecEvents.push_back("add " + o->Subject()); });
  auto c2 = oItems->OnItemChange.Connect([&](auto o) { vecEvents.push_back("change " + o->Subject()); });
  auto c3 = oItems->OnItemRemove.Connect([&] { vecEvents.push_back("remove"); });
  int32_t nBefore = oItems->Count();

  auto oList = std::dynamic_pointer_cast<host::DistListItem>(
      m_oOutlook.Application()->CreateItem(host::olDistributionListItem));
  ASSERT_TRUE(oList);
  EXPECT_EQ(oList->EntryID(), "");
  oList->SetDLName("New list");
  oList->Save();
  std::string sID = oList->EntryID();
  EXPECT_FALSE(sID.empty());
  EXPECT_EQ(oItems->Count(), nBefore + 1);
  oList->SetBody("changed");
  oList->Save();
  m_oOutlook.DeleteItem(sID);
  EXPECT_EQ(vecEvents, (std::vector<std::string>{"add New list", "change New list", "remove"}));
  EXPECT_EQ(oItems->Count(), nBefore);
}

TEST_F(SimModel, MailWriteCanCancelTheSave) {
  auto oMail =
      std::dynamic_pointer_cast<host::MailItem>(m_oOutlook.Application()->CreateItem(host::olMailItem));
  ASSERT_TRUE(oMail);
  EXPECT_EQ(std::dynamic_pointer_cast<host::MAPIFolder>(oMail->Parent())->Name(), "Drafts");
  bool bCancel = true;
  auto c = oMail->OnWrite.Connect([&](bool& b) { b = bCancel; });
  oMail->Save();
  EXPECT_EQ(oMail->EntryID(), "");
  bCancel = false;
  oMail->Save();
  EXPECT_NE(oMail->EntryID(), "");
  // A handler that throws does not stop the host; the error is recorded at the boundary.
  auto c2 = oMail->OnWrite.Connect([](bool&) { throw host::Error(5, "handler failed"); });
  oMail->Save();
  ASSERT_EQ(m_oOutlook.EscapedErrors().size(), 1u);
  EXPECT_EQ(m_oOutlook.EscapedErrorPlaces()[0], "MailItem.Write");
}

TEST_F(SimModel, ListMembersMustResolveAndNothingHalfAdds) {
  auto oList = Item<host::DistListItem>(kApolloTeam);
  ASSERT_EQ(oList->MemberCount(), 4);
  EXPECT_EQ(oList->GetMember(2)->Name(), "Maria Garcia");
  auto oMail =
      std::dynamic_pointer_cast<host::MailItem>(m_oOutlook.Application()->CreateItem(host::olMailItem));
  oMail->Recipients()->Add("anna.lee@example.net");
  oMail->Recipients()->Add("John Smith");  // ambiguous
  EXPECT_THROW(oList->AddMembers(oMail->Recipients()), host::Error);
  EXPECT_EQ(oList->MemberCount(), 4);
  oList->AddMember(m_oSession->CreateRecipient("Bob Wilson"));
  EXPECT_EQ(oList->MemberCount(), 5);
  EXPECT_EQ(oList->GetMember(5)->AddressEntry()->Address(), "bob.wilson@example.com");
  EXPECT_THROW(oList->AddMember(nullptr), host::Error);
}

TEST_F(SimModel, CreateItemKindsAndRecipientLines) {
  EXPECT_THROW(m_oOutlook.Application()->CreateItem(4), host::Error);  // journal
  auto oMail =
      std::dynamic_pointer_cast<host::MailItem>(m_oOutlook.Application()->CreateItem(host::olMailItem));
  auto oRecipients = oMail->Recipients();
  oRecipients->Add("Maria Garcia");
  oRecipients->Add("Anna Lee")->SetType(host::olCC);
  oRecipients->Add("Bob Wilson")->SetType(host::olCC);
  EXPECT_TRUE(oRecipients->ResolveAll());
  EXPECT_EQ(oMail->To(), "Maria Garcia");
  EXPECT_EQ(oMail->CC(), "Anna Lee; Bob Wilson");
  oMail->Display();
  ASSERT_EQ(m_oOutlook.DisplayedItems().size(), 1u);
  EXPECT_EQ(m_oOutlook.DisplayedItems()[0], oMail);
}

}  // namespace
