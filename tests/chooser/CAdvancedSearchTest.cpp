// The add-in's search client, running real searches through the component it finds by ProgID
// inside the simulated Outlook.
#include <gtest/gtest.h>

#include "advsearch/QuilloAdvSearch.h"
#include "chooser/CAdvancedSearch.h"
#include "common/mGlobals.h"
#include "support/SimFixture.h"

namespace {

const std::string kTag = "B1F98F0A-956A-4455-B5B9-CE579537EB70";
const std::string kInboxScope = "'\\Mailbox - Jane Doe\\Inbox'";
// The filter of the demo Inbox view, as the add-in reads it out of the view.
const std::string kViewFilter = "\"urn:schemas:httpmail:subject\" LIKE '%project%'";
const std::string kSortSubject = "urn:schemas:mailheader:subject";

class CAdvancedSearchTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    MakeOutlook(sim::DemoProfile());
    g_oApp = Outlook().Application();
    RegisterQuilloAdvSearch();
  }
  void TearDown() override {
    RegisterQuilloAdvSearch();
    g_oApp.reset();
    EXPECT_TRUE(Outlook().EscapedErrors().empty());
    SimFixture::TearDown();
  }

  void Search(CAdvancedSearch& o, const std::string& sScope = kInboxScope, const std::string& sSort = "",
              bool bDescending = false) {
    o.SyncSearch(g_oApp, sScope, kViewFilter, false, kTag, sSort, bDescending);
  }

  static std::vector<std::string> Subjects(CAdvancedSearch& o) {
    std::vector<std::string> vec;
    auto oResults = o.GetResults();
    for (auto oItem = oResults->GetFirst(); oItem; oItem = oResults->GetNext())
      vec.push_back(oItem->Subject());
    return vec;
  }

  std::vector<sim::LogLine> Errors() {
    std::vector<sim::LogLine> vec;
    for (const auto& o : Lines())
      if (o.nKind == 3) vec.push_back(o);
    return vec;
  }
};

TEST_F(CAdvancedSearchTest, RunsTheViewFilterThroughTheComponentInOutlooksOrder) {
  CAdvancedSearch oSearch;
  EXPECT_FALSE(oSearch.HasObject());
  EXPECT_EQ(oSearch.GetResults(), nullptr);
  Search(oSearch);
  ASSERT_TRUE(oSearch.HasObject());
  EXPECT_EQ(oSearch.GetObject()->Tag(), kTag);
  EXPECT_EQ(Subjects(oSearch),
            (std::vector<std::string>{"Project Apollo status", "Your weekly project digest"}));
  EXPECT_TRUE(Errors().empty());
  oSearch.Done();
  EXPECT_FALSE(oSearch.HasObject());
}

TEST_F(CAdvancedSearchTest, SortsAndResortsTheResults) {
  CAdvancedSearch oSearch;
  Search(oSearch, kInboxScope, kSortSubject, true);
  EXPECT_EQ(Subjects(oSearch),
            (std::vector<std::string>{"Your weekly project digest", "Project Apollo status"}));
  oSearch.Resort(kSortSubject, false);
  EXPECT_EQ(Subjects(oSearch),
            (std::vector<std::string>{"Project Apollo status", "Your weekly project digest"}));
  EXPECT_TRUE(Errors().empty());
  // A sort Outlook refuses is reported; the results stay.
  oSearch.Resort("urn:nothing", true);
  Search(oSearch, kInboxScope, "urn:nothing", true);
  auto vecErrors = Errors();
  ASSERT_EQ(vecErrors.size(), 2u);
  EXPECT_EQ(vecErrors[0].sSource, "CAdvancedSearch::Resort");
  EXPECT_EQ(vecErrors[1].sSource, "CAdvancedSearch::SyncSearch");
  EXPECT_EQ(Subjects(oSearch).size(), 2u);
}

TEST_F(CAdvancedSearchTest, ResortBeforeAnySearchReportsAndChangesNothing) {
  CAdvancedSearch oSearch;
  oSearch.Resort(kSortSubject, false);
  auto vecErrors = Errors();
  ASSERT_EQ(vecErrors.size(), 2u);
  EXPECT_EQ(vecErrors[0].sSource, "CAdvancedSearch::Resort");
  EXPECT_EQ(vecErrors[0].sMessage, "ASSERT FAILED - HasObject");
  EXPECT_EQ(vecErrors[1].sSource, "CAdvancedSearch::Resort");
  EXPECT_EQ(vecErrors[1].nError, host::err::ObjectNotSet);
  EXPECT_FALSE(oSearch.HasObject());
}

TEST_F(CAdvancedSearchTest, WithoutTheComponentNothingIsFoundAndTheLastSearchStays) {
  UnregisterQuilloAdvSearch();
  CAdvancedSearch oFresh;
  Search(oFresh);
  EXPECT_FALSE(oFresh.HasObject());
  EXPECT_EQ(oFresh.GetResults(), nullptr);
  auto vecErrors = Errors();
  ASSERT_EQ(vecErrors.size(), 1u);
  EXPECT_EQ(vecErrors[0].sSource, "CAdvancedSearch::SyncSearch");
  EXPECT_EQ(vecErrors[0].nError, host::err::CantCreateObject);

  RegisterQuilloAdvSearch();
  CAdvancedSearch oSearch;
  Search(oSearch);
  UnregisterQuilloAdvSearch();
  Search(oSearch, "'\\Mailbox - Jane Doe\\Projects'");
  ASSERT_TRUE(oSearch.HasObject());
  EXPECT_EQ(Subjects(oSearch).size(), 2u);
}

TEST_F(CAdvancedSearchTest, AScopeOutlookRejectsLeavesNoSearch) {
  CAdvancedSearch oSearch;
  Search(oSearch);
  ASSERT_TRUE(oSearch.HasObject());
  // The component reports the failure in its own log and answers Nothing, which replaces the
  // search held so far.
  Search(oSearch, "'\\Mailbox - Jane Doe\\Nowhere'");
  EXPECT_FALSE(oSearch.HasObject());
  EXPECT_TRUE(Errors().empty());
  Search(oSearch, "\\Mailbox - Jane Doe\\Inbox", kSortSubject);
  auto vecErrors = Errors();
  ASSERT_EQ(vecErrors.size(), 1u);
  EXPECT_EQ(vecErrors[0].nError, host::err::ObjectNotSet);
  m_pLoop->Advance(100);
}

TEST_F(CAdvancedSearchTest, CalcScopeNamesTheFolderPath) {
  CAdvancedSearch oSearch;
  EXPECT_EQ(oSearch.CalcScope(Outlook().FolderByPath("\\Mailbox - Jane Doe\\Inbox")),
            "\\Mailbox - Jane Doe\\Inbox");
  EXPECT_EQ(CountOf("CAdvancedSearch::CalcScope", "Scope = '\\Mailbox - Jane Doe\\Inbox'"), 1u);
  EXPECT_EQ(oSearch.CalcScope(Outlook().FolderByPath("\\Mailbox - Jane Doe\\Sent Items\\Sent 2003")),
            "\\Mailbox - Jane Doe\\Sent Items\\Sent 2003");
  // Only the default store's top folder is refused.
  EXPECT_EQ(oSearch.CalcScope(Outlook().FolderByPath("\\Archive")), "\\Archive");
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(oSearch.CalcScope(Outlook().FolderByPath("\\Mailbox - Jane Doe")), "");
  EXPECT_EQ(CountOf("CAdvancedSearch::CalcScope", "oFolder is personal folder!"), 1u);
  EXPECT_EQ(oSearch.CalcScope(nullptr), "");
  g_oApp.reset();
  EXPECT_EQ(oSearch.CalcScope(Outlook().FolderByPath("\\Mailbox - Jane Doe\\Inbox")), "");
  auto vecErrors = Errors();
  ASSERT_EQ(vecErrors.size(), 3u);
  EXPECT_EQ(vecErrors[1].nError, host::err::ObjectNotSet);
  EXPECT_EQ(vecErrors[2].nError, host::err::ObjectNotSet);
}

TEST_F(CAdvancedSearchTest, SurvivesItsOwnerLettingGoDuringTheWait) {
  // An allocation of its own, freed with the last owner even while weak references remain.
  std::shared_ptr<CAdvancedSearch> oOwned(new CAdvancedSearch());
  std::weak_ptr<CAdvancedSearch> wSearch = oOwned;
  CAdvancedSearch* pSearch = oOwned.get();
  bool bItemGone = false;
  // Handlers of other commands run inside the wait: here an item is deleted and the dialog that
  // owned the search closes.
  m_pLoop->Post(
      [&] {
        Outlook().DeleteItem("0000000044454D4F0601");
        bItemGone = true;
        oOwned.reset();
      },
      1);
  pSearch->SyncSearch(g_oApp, kInboxScope, "", false, kTag, kSortSubject, false);
  EXPECT_TRUE(bItemGone);
  EXPECT_TRUE(wSearch.expired());
  EXPECT_TRUE(Errors().empty());
}

}  // namespace
