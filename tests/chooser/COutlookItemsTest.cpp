// The folder item source over the simulated demo mailbox: both filter modes, the switches between
// them, the loaded set and the item events.
#include <gtest/gtest.h>

#include "advsearch/QuilloAdvSearch.h"
#include "chooser/COutlookItems.h"
#include "common/mGlobals.h"
#include "sim/ItemObjects.h"
#include "sim/Model.h"
#include "support/ErrorOf.h"

using testsupport::ErrorOf;
#include "support/SimFixture.h"

namespace {

using testsupport::ErrorOf;

const std::string kContacts = "\\Mailbox - Jane Doe\\Contacts";
const std::string kAllLists = "[MessageClass] = \"IPM.DistList\"";
const std::string kDaslSubject = "urn:schemas:mailheader:subject";

class COutlookItemsTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    // A contacts folder whose name needs quoting inside a search scope.
    sim::Profile oProfile = *sim::DemoProfile();
    sim::ProfileFolder oQuoted;
    oQuoted.sName = "Jane's Lists";
    oQuoted.nDefaultItemType = 2;
    for (const char* s : {"Tea club", "Board"}) {
      sim::ProfileItem oList;
      oList.nClass = 69;
      oList.sSubject = s;
      oQuoted.vecItems.push_back(oList);
    }
    for (auto& oFolder : oProfile.vecStores[0].vecFolders)
      if (oFolder.sName == "Contacts") oFolder.vecFolders.push_back(oQuoted);
    MakeOutlook(sim::CheckProfile(std::move(oProfile)));
    g_oApp = Outlook().Application();
    RegisterQuilloAdvSearch();
    m_oItems = std::make_shared<COutlookItems>();
  }
  void TearDown() override {
    m_oItems.reset();
    RegisterQuilloAdvSearch();
    g_oApp.reset();
    EXPECT_TRUE(Outlook().EscapedErrors().empty());
    SimFixture::TearDown();
  }

  std::shared_ptr<host::MAPIFolder> Folder(const std::string& sPath = kContacts) {
    return Outlook().FolderByPath(sPath);
  }

  std::vector<std::string> Subjects() {
    std::vector<std::string> vec;
    for (int32_t i = 1, n = m_oItems->Count(); i <= n; ++i) vec.push_back(m_oItems->Item(i)->Subject());
    return vec;
  }

  std::vector<std::string> MessagesOf(const std::string& sSource) {
    std::vector<std::string> vec;
    for (const auto& o : LinesOf(sSource)) vec.push_back(o.sMessage);
    return vec;
  }

  std::shared_ptr<COutlookItems> m_oItems;
};

TEST_F(COutlookItemsTest, WithoutFilterOrSortListsTheFolderInOutlooksOrder) {
  ASSERT_TRUE(m_oItems->Init(Folder()));
  EXPECT_EQ(MessagesOf("COutlookItems::Init"), std::vector<std::string>{"USE_EVENTS = 1"});
  EXPECT_FALSE(m_oItems->IsAdvancedRestrict());
  EXPECT_FALSE(m_oItems->IsLoaded());
  auto oOwn = Folder()->Items();
  ASSERT_EQ(m_oItems->Count(), oOwn->Count());
  for (int32_t i = 1; i <= oOwn->Count(); ++i)
    EXPECT_EQ(m_oItems->Item(i)->EntryID(), oOwn->Item(host::Variant(i))->EntryID());
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(COutlookItemsTest, RestrictsAndSortsAndTheDirectionSetBeforeLoadingIsUsed) {
  ASSERT_TRUE(m_oItems->Init(Folder(), kAllLists, "[Subject]"));
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"Apollo Team", "ÄRGER Verteiler"}));
  // Only stored while nothing is loaded; the next query reads it.
  m_oItems->SetSortDescending(true);
  EXPECT_FALSE(m_oItems->IsLoaded());
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"ÄRGER Verteiler", "Apollo Team"}));
  m_oItems->LoadItems();
  EXPECT_TRUE(m_oItems->IsLoaded());
  m_oItems->SetSortDescending(false);
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"Apollo Team", "ÄRGER Verteiler"}));
  m_oItems->UnLoadItems();
  EXPECT_FALSE(m_oItems->IsLoaded());
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(COutlookItemsTest, ARejectedFilterGivesNothingAndARejectedSortTheUnsortedSet) {
  ASSERT_TRUE(m_oItems->Init(Folder(), "[Nowhere] = \"x\""));
  m_oItems->LoadItems();
  EXPECT_FALSE(m_oItems->IsLoaded());
  EXPECT_EQ(LinesOf("COutlookItems::GetItems").size(), 1u);
  EXPECT_EQ(ErrorOf([&] { m_oItems->Count(); }), host::err::ObjectNotSet);
  EXPECT_EQ(LinesOf("COutlookItems::GetItems").size(), 2u);

  ASSERT_TRUE(m_oItems->Init(Folder(), kAllLists, "[Nowhere]", "", true));
  m_oItems->LoadItems();
  ASSERT_TRUE(m_oItems->IsLoaded());
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"Apollo Team", "ÄRGER Verteiler"}));
  EXPECT_EQ(LinesOf("COutlookItems::GetItems").size(), 3u);
}

TEST_F(COutlookItemsTest, AdvancedSearchOverTheFolderAndBackToRestrict) {
  ASSERT_TRUE(m_oItems->Init(Folder(), kAllLists, "[Subject]", kDaslSubject));
  m_oItems->LoadItems();
  m_oItems->SetAdvancedRestrict(kDaslSubject + " LIKE '%team%'");
  EXPECT_TRUE(m_oItems->IsAdvancedRestrict());
  EXPECT_FALSE(m_oItems->IsLoaded());
  EXPECT_EQ(Subjects(), std::vector<std::string>{"Apollo Team"});
  EXPECT_EQ(MessagesOf("COutlookItems::AdvancedRestrict"),
            (std::vector<std::string>{"Scope = '\\Mailbox - Jane Doe\\Contacts', sFilter = "
                                      "'urn:schemas:mailheader:subject LIKE '%team%'', sSort = "
                                      "'urn:schemas:mailheader:subject', bDescending = '0'",
                                      "m_oAdvSearch.GetResults.Count = '1'"}));
  // Loading means nothing here: a warning, nothing changes.
  m_oItems->LoadItems();
  m_oItems->UnLoadItems();
  EXPECT_EQ(LinesOf("COutlookItems::LoadItems").size(), 1u);
  EXPECT_EQ(LinesOf("COutlookItems::UnLoadItems").size(), 1u);
  EXPECT_EQ(LinesOf("COutlookItems::UnLoadItems")[0].nKind, 2);

  // Descending re-sorts the results; a new search in the same mode replaces them.
  m_oItems->SetAdvancedRestrict(kDaslSubject + " LIKE '%e%'");
  m_oItems->SetSortDescending(true);
  EXPECT_EQ(Subjects().front(), "ÄRGER Verteiler");
  EXPECT_EQ(m_oItems->Restrict(), kAllLists);

  m_oItems->SetRestrict(kAllLists);
  EXPECT_FALSE(m_oItems->IsAdvancedRestrict());
  EXPECT_FALSE(m_oItems->IsLoaded());
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"ÄRGER Verteiler", "Apollo Team"}));
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(COutlookItemsTest, SettingTheSameModeAgainKeepsWhatIsHeld) {
  ASSERT_TRUE(m_oItems->Init(Folder(), kAllLists));
  m_oItems->LoadItems();
  m_oItems->SetRestrict(kAllLists);
  m_oItems->SetSort("[Subject]");
  EXPECT_TRUE(m_oItems->IsLoaded());
  EXPECT_EQ(m_oItems->Count(), 2);
  EXPECT_TRUE(LinesOf("COutlookItems::LoadItems").empty());
}

TEST_F(COutlookItemsTest, TheTopFolderOfAStoreIsNotSearched) {
  ASSERT_TRUE(m_oItems->Init(Folder("\\Mailbox - Jane Doe"), "", "", kDaslSubject));
  m_oItems->SetAdvancedRestrict(kDaslSubject + " LIKE '%a%'");
  EXPECT_EQ(MessagesOf("COutlookItems::AdvancedRestrict"),
            std::vector<std::string>{"m_folder is personal folder!"});
  EXPECT_EQ(m_oItems->AdvancedRestrict(), "");
  EXPECT_TRUE(m_oItems->IsAdvancedRestrict());
  // Without a search the list cannot be read: the caller gets the error.
  EXPECT_EQ(ErrorOf([&] { m_oItems->Count(); }), host::err::ObjectNotSet);
  EXPECT_EQ(ErrorOf([&] { m_oItems->Item(1); }), host::err::ObjectNotSet);
  EXPECT_EQ(ErrorOf([&] { m_oItems->SetSortDescending(true); }), host::err::ObjectNotSet);
}

TEST_F(COutlookItemsTest, AMissingSearchComponentFailsToTheCaller) {
  UnregisterQuilloAdvSearch();
  ASSERT_TRUE(m_oItems->Init(Folder()));
  EXPECT_EQ(ErrorOf([&] { m_oItems->SetAdvancedRestrict(kDaslSubject + " LIKE '%a%'"); }),
            host::err::ObjectNotSet);
  EXPECT_EQ(LinesOf("CAdvancedSearch::SyncSearch").size(), 1u);
}

TEST_F(COutlookItemsTest, AQuoteInAFolderNameIsDoubledInTheScope) {
  ASSERT_TRUE(m_oItems->Init(Folder(kContacts + "\\Jane's Lists"), "", "", kDaslSubject));
  m_oItems->SetAdvancedRestrict(kDaslSubject + " LIKE '%b%'");
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"Board", "Tea club"}));
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(COutlookItemsTest, ItemEventsRefreshTheLoadedSetAndRaiseOnChange) {
  ASSERT_TRUE(m_oItems->Init(Folder(), kAllLists, "[Subject]"));
  m_oItems->LoadItems();
  std::vector<int32_t> vecCounts;
  auto cn = m_oItems->OnChange.Connect([&] { vecCounts.push_back(m_oItems->Count()); });

  auto oNew = m_oItems->NewItem(host::olDistributionListItem);
  oNew->SetSubject("Zulu");
  oNew->Save();
  EXPECT_EQ(vecCounts, std::vector<int32_t>{3});
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"Apollo Team", "Zulu", "ÄRGER Verteiler"}));
  EXPECT_EQ(MessagesOf("COutlookItems::NewItem"), std::vector<std::string>{"->"});

  oNew->SetSubject("Aardvark");
  oNew->Save();
  EXPECT_EQ(m_oItems->Item(1)->Subject(), "Aardvark");
  auto& oModel = Outlook().Data();
  oModel.MoveItem(sim::ItemDataOf(oNew), *oModel.FolderByPath("\\Archive\\Old Contacts"));
  Outlook().DeleteItem("0000000044454D4F1008");
  EXPECT_EQ(vecCounts, (std::vector<int32_t>{3, 3, 2, 1}));
  EXPECT_EQ(LinesOf("COutlookItems::m_events_ItemAdd").size(), 1u);
  EXPECT_EQ(LinesOf("COutlookItems::m_events_ItemChange").size(), 1u);
  EXPECT_EQ(LinesOf("COutlookItems::m_events_ItemRemove").size(), 2u);

  // After Done no event reaches the released list.
  m_oItems->Done();
  Outlook().DeleteItem("0000000044454D4F1009");
  EXPECT_EQ(vecCounts.size(), 4u);
}

TEST_F(COutlookItemsTest, AReceiverMayReleaseTheListInsideOnChange) {
  ASSERT_TRUE(m_oItems->Init(Folder(), kAllLists));
  m_oItems->LoadItems();
  auto cn = m_oItems->OnChange.Connect([&] { m_oItems.reset(); });
  Outlook().DeleteItem("0000000044454D4F1008");
  EXPECT_EQ(m_oItems, nullptr);
}

TEST_F(COutlookItemsTest, InitWithoutAFolderFailsAndReportsIt) {
  EXPECT_FALSE(m_oItems->Init(nullptr));
  ASSERT_EQ(LinesOf("COutlookItems::Init").size(), 2u);
  EXPECT_EQ(LinesOf("COutlookItems::Init")[1].nKind, 3);
}

}  // namespace
