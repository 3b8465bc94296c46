// Application.AdvancedSearch of the simulation: scopes, the DASL subset with Outlook's LIKE, the
// completion raised later through the pump for every search, Stop, and the results.
#include <gtest/gtest.h>

#include "sim/DaslFilter.h"
#include "sim/FilterExpression.h"
#include "sim/SearchObjects.h"
#include "support/SimFixture.h"

namespace {

const std::string kInbox = "'\\Mailbox - Jane Doe\\Inbox'";
const std::string kSubject = "\"urn:schemas:httpmail:subject\"";

class SearchObjectsTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    MakeOutlook(sim::DemoProfile());
    m_oCompletion = App()->OnAdvancedSearchComplete.Connect(
        [this](std::shared_ptr<host::Search> oSearch) { m_vecCompleted.push_back(oSearch->Tag()); });
  }
  void TearDown() override {
    m_oCompletion.reset();
    SimFixture::TearDown();
  }

  std::shared_ptr<host::Application> App() { return Outlook().Application(); }

  std::shared_ptr<host::Search> Start(const std::string& sScope, const std::string& sFilter,
                                      bool bSub = false, const std::string& sTag = "t") {
    return App()->AdvancedSearch(sScope, host::Variant(sFilter), host::Variant(bSub), host::Variant(sTag));
  }

  // Entry IDs of a finished search's results, in order.
  std::vector<std::string> Found(const std::string& sScope, const std::string& sFilter, bool bSub = false) {
    auto oSearch = Start(sScope, sFilter, bSub);
    m_pLoop->Advance(sim::kSearchDelayMs);
    std::vector<std::string> vec;
    auto oResults = oSearch->Results();
    for (auto oItem = oResults->GetFirst(); oItem; oItem = oResults->GetNext())
      vec.push_back(oItem->EntryID());
    return vec;
  }

  static std::string Id(const char* sSuffix) { return std::string("0000000044454D4F") + sSuffix; }

  std::vector<std::string> m_vecCompleted;
  host::Connection m_oCompletion;
};

TEST(DaslLikeTest, FollowsMapiContentMatching) {
  EXPECT_TRUE(sim::DaslLike("Project Apollo status", "project%"));
  EXPECT_FALSE(sim::DaslLike("Your weekly project digest", "project%"));
  EXPECT_TRUE(sim::DaslLike("Your weekly project digest", "%PROJECT%"));
  // A leading % alone is a substring match too, not a suffix match.
  EXPECT_TRUE(sim::DaslLike("Your weekly project digest", "%project"));
  EXPECT_TRUE(sim::DaslLike("Quarterly report", "quarterly REPORT"));
  EXPECT_FALSE(sim::DaslLike("Quarterly report", "Quarterly"));
  EXPECT_TRUE(sim::DaslLike("ÄRGER Hotline", "%ärger%"));
  EXPECT_TRUE(sim::DaslLike("", "%"));
}

TEST_F(SearchObjectsTest, CompletesLaterThroughThePumpWithItsTag) {
  auto oSearch = Start(kInbox, kSubject + " LIKE '%project%'", false, "mine");
  auto oOther = Start(kInbox, "", false, "other");
  EXPECT_TRUE(m_vecCompleted.empty());
  EXPECT_EQ(oSearch->Results()->Count(), 0);
  m_pLoop->Advance(sim::kSearchDelayMs - 1);
  EXPECT_TRUE(m_vecCompleted.empty());
  m_pLoop->Advance(1);
  EXPECT_EQ(m_vecCompleted, (std::vector<std::string>{"mine", "other"}));
  EXPECT_EQ(oSearch->Results()->Count(), 2);
  EXPECT_EQ(oOther->Results()->Count(), 7);
  EXPECT_EQ(oSearch->Scope(), kInbox);
  EXPECT_FALSE(oSearch->SearchSubFolders());
}

TEST_F(SearchObjectsTest, AStoppedSearchNeverCompletes) {
  auto oSearch = Start(kInbox, "", false, "stopped");
  oSearch->Stop();
  m_pLoop->Advance(1000);
  EXPECT_TRUE(m_vecCompleted.empty());
  EXPECT_EQ(oSearch->Results()->Count(), 0);
  // Stopping a finished search changes nothing.
  auto oDone = Start(kInbox, "", false, "done");
  m_pLoop->Advance(sim::kSearchDelayMs);
  oDone->Stop();
  EXPECT_EQ(oDone->Results()->Count(), 7);
}

TEST_F(SearchObjectsTest, ScopesNameOneOrMoreFoldersAndSubfolders) {
  EXPECT_EQ(Found("'\\Mailbox - Jane Doe\\Sent Items'", ""),
            (std::vector<std::string>{Id("0501"), Id("0502")}));
  EXPECT_EQ(Found("'\\Mailbox - Jane Doe\\Sent Items'", "", true),
            (std::vector<std::string>{Id("0501"), Id("0502"), Id("0511")}));
  EXPECT_EQ(Found(" '\\mailbox - jane doe\\outbox' , '\\Mailbox - Jane Doe\\Drafts'", ""),
            (std::vector<std::string>{Id("0401"), Id("1601")}));
  // A folder named twice, or again below another, is searched once.
  EXPECT_EQ(
      Found("'\\Mailbox - Jane Doe\\Sent Items','\\Mailbox - Jane Doe\\Sent Items\\Sent 2003'", "", true)
          .size(),
      3u);
}

TEST_F(SearchObjectsTest, BadScopesAndFiltersFailAtOnce) {
  for (const char* sScope :
       {"", "\\Mailbox - Jane Doe\\Inbox", "'\\Mailbox - Jane Doe\\Inbox", "'\\Mailbox - Jane Doe\\Inbox',",
        "'\\Mailbox - Jane Doe\\Inbox' x", "'\\Nowhere'", "''"}) {
    EXPECT_THROW(Start(sScope, ""), host::Error) << sScope;
  }
  for (const char* sFilter :
       {"\"urn:schemas:httpmail:subject\" LIKE", "\"urn:schemas:httpmail:subject\" LIKE 'x",
        "\"urn:schemas:httpmail:subject\" LIKE 5", "\"urn:schemas:httpmail:subject\" ~ 'x'",
        "(\"urn:schemas:httpmail:subject\" = 'x'", "\"urn:schemas:httpmail:subject\" = 'x' And",
        "\"urn:nothing\" = 'x'", "\"\" = 'x'"}) {
    EXPECT_THROW(Start(kInbox, sFilter), host::Error) << sFilter;
  }
  m_pLoop->Advance(100);
  EXPECT_TRUE(m_vecCompleted.empty());
}

TEST_F(SearchObjectsTest, FiltersNestedTooDeepAreRefused) {
  const int nDeepest = sim::FilterParser::kMaxDepth - 1;
  std::string sDeepest =
      std::string(nDeepest, '(') + kSubject + " LIKE '%project%'" + std::string(nDeepest, ')');
  EXPECT_EQ(Found(kInbox, sDeepest).size(), 2u);
  std::string sNots;
  for (int i = 0; i < 150000; ++i) sNots += "not ";
  for (const std::string& sTooDeep : {"(" + sDeepest + ")", sNots + kSubject + " = 'x'"}) {
    try {
      Start(kInbox, sTooDeep);
      FAIL();
    } catch (const host::Error& e) {
      EXPECT_EQ(e.Description().rfind("The search filter is not valid. Error at \"", 0), 0u);
    }
  }
}

TEST_F(SearchObjectsTest, FiltersCombineComparisonsOnSchemaProperties) {
  // The demo Inbox view's own filter.
  EXPECT_EQ(Found(kInbox, kSubject + " LIKE '%project%'"),
            (std::vector<std::string>{Id("0602"), Id("0604")}));
  // Bare names, the other subject name, Not and parentheses.
  EXPECT_EQ(Found(kInbox, "urn:schemas:mailheader:subject LIKE 'project%' Or (Not " + kSubject +
                              " LIKE '%e%' AND urn:schemas:httpmail:fromname = 'JOHN SMITH')"),
            (std::vector<std::string>{Id("0602"), Id("0605")}));
  EXPECT_EQ(Found(kInbox, "\"http://schemas.microsoft.com/mapi/proptag/0x001a001e\" <> 'IPM.Note'"),
            (std::vector<std::string>{Id("0606")}));
  EXPECT_EQ(Found(kInbox, "\"urn:schemas-microsoft-com:office:office#Keywords\" LIKE '%finance%'"),
            (std::vector<std::string>{Id("0601")}));
  EXPECT_EQ(Found(kInbox, "\"urn:schemas:httpmail:displaycc\" LIKE '%anna%'"),
            (std::vector<std::string>{Id("0605")}));
  EXPECT_EQ(Found(kInbox, "\"http://schemas.microsoft.com/mapi/proptag/0x0E04001F\" LIKE '%bob%'"),
            (std::vector<std::string>{Id("0606")}));
  EXPECT_EQ(Found(kInbox, "\"urn:schemas:httpmail:textdescription\" LIKE 'servus%'"),
            (std::vector<std::string>{Id("0603")}));
  // A quote in a literal is doubled.
  EXPECT_EQ(Found("'\\Mailbox - Jane Doe\\Sent Items'", kSubject + " = 'Season''s greetings'", true),
            (std::vector<std::string>{Id("0511")}));
}

TEST_F(SearchObjectsTest, ResultsSortByASchemaOrOutlookName) {
  auto oSearch = Start(kInbox, kSubject + " LIKE '%o%'");
  // A sort asked for before the end applies to the results when they come.
  oSearch->Results()->Sort("urn:schemas:mailheader:subject", host::Variant(true));
  m_pLoop->Advance(sim::kSearchDelayMs);
  auto oResults = oSearch->Results();
  ASSERT_EQ(oResults->Count(), 4);
  EXPECT_EQ(oResults->Item(1)->Subject(), "Your weekly project digest");
  EXPECT_EQ(oResults->Item(4)->Subject(), "Lunch on Friday?");
  oResults->Sort("[Subject]", host::Variant(false));
  EXPECT_EQ(oResults->GetFirst()->Subject(), "Lunch on Friday?");
  EXPECT_EQ(oResults->GetNext()->Subject(), "Project Apollo status");
  EXPECT_THROW(oResults->Sort("urn:nothing", host::Variant(false)), host::Error);
  EXPECT_THROW(oResults->Item(5), host::Error);
}

TEST_F(SearchObjectsTest, Outlook2000HasNoAdvancedSearch) {
  MakeOutlook(sim::DemoProfile(), "9.0.0.2711");
  try {
    Start(kInbox, "");
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::NoSuchMember);
  }
}

}  // namespace
