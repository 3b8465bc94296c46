// The search component against the simulated Outlook: the wait that only its own completion
// ends, re-entrant handlers during the wait, asynchronous searches and their end, and failures
// that come back as Nothing with one log line.
#include <gtest/gtest.h>

#include "advsearch/CAdvSearch.h"
#include "advsearch/CDebug.h"
#include "advsearch/LogFolder.h"
#include "sim/SearchObjects.h"
#include "support/SimFixture.h"

namespace {

using Texts = std::vector<std::string>;

const std::string kInbox = "'\\Mailbox - Jane Doe\\Inbox'";
const std::string kProjects = "\"urn:schemas:httpmail:subject\" LIKE '%project%'";

// Counts the notifications of an asynchronous search; may drop the component when told.
class CNotified : public host::Object, public host::ASyncSearchNotify {
 public:
  std::string TypeName() const override { return "CNotified"; }
  void ASyncSearchDone() override {
    ++nDone;
    oRelease.reset();
  }
  int nDone = 0;
  std::shared_ptr<CAdvSearch> oRelease;
};

class CPlain : public host::Object {
 public:
  std::string TypeName() const override { return "CPlain"; }
};

class CAdvSearchTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    MakeOutlook(sim::DemoProfile());
    g_debug().SetDebugTarget(3);
    m_oCompletion = App()->OnAdvancedSearchComplete.Connect(
        [this](std::shared_ptr<host::Search> oSearch) { m_vecCompleted.push_back(oSearch->Tag()); });
  }
  void TearDown() override {
    g_debug().SetDebugTarget(1);
    m_oCompletion.reset();
    EXPECT_TRUE(Outlook().EscapedErrors().empty());
    SimFixture::TearDown();
  }

  std::shared_ptr<host::Application> App() { return Outlook().Application(); }
  static std::shared_ptr<sim::SearchObj> Sim(const std::shared_ptr<host::Search>& o) {
    return std::dynamic_pointer_cast<sim::SearchObj>(o);
  }
  std::shared_ptr<host::Search> Sync(CAdvSearch& o, const std::string& sTag,
                                     const std::string& sScope = kInbox) {
    return o.SyncSearch(App(), sScope, kProjects, false, sTag);
  }

  LogFolder m_oFolder;
  std::vector<std::string> m_vecCompleted;
  host::Connection m_oCompletion;
};

TEST_F(CAdvSearchTest, OnlyItsOwnTagEndsTheWait) {
  auto oOther =
      App()->AdvancedSearch(kInbox, host::Variant(""), host::Variant(false), host::Variant("other"));
  m_pLoop->Advance(3);
  auto oComponent = std::make_shared<CAdvSearch>();
  auto oSearch = Sync(*oComponent, "mine");
  ASSERT_TRUE(oSearch);
  EXPECT_EQ(oSearch->Tag(), "mine");
  EXPECT_TRUE(Sim(oSearch)->IsComplete());
  EXPECT_EQ(oSearch->Results()->Count(), 2);
  EXPECT_EQ(m_vecCompleted, (Texts{"other", "mine"}));
  EXPECT_GE(m_pLoop->TickCount(), 3 + sim::kSearchDelayMs);
  oComponent.reset();
  EXPECT_EQ(m_oFolder.Lines(),
            (Texts{"->CAdvSearch.Class_Initialize", "->CAdvSearch.AdvancedSearchComplete other",
                   "->CAdvSearch.AdvancedSearchComplete mine", "->CAdvSearch.Class_Terminate"}));
}

TEST_F(CAdvSearchTest, ATagThatCannotBeReadDoesNotHoldTheWaitForever) {
  m_oCompletion.reset();  // it reads the tag too
  Outlook().Faults().FailAlways("Search.Tag");
  CAdvSearch oComponent;
  auto oSearch = Sync(oComponent, "mine");
  Outlook().Faults().Clear();
  ASSERT_TRUE(oSearch);
  EXPECT_TRUE(Sim(oSearch)->IsComplete());
}

TEST_F(CAdvSearchTest, HandlersRunInsideTheWaitEvenANestedSearch) {
  auto oOuter = std::make_shared<CAdvSearch>();
  std::shared_ptr<host::Search> oNested;
  uint64_t nRanAt = 0;
  // Another command's click, handled while the first search waits, runs a search of its own.
  m_pLoop->Post(
      [&] {
        nRanAt = m_pLoop->TickCount();
        auto oInner = std::make_shared<CAdvSearch>();
        oNested = Sync(*oInner, "nested", "'\\Mailbox - Jane Doe\\Projects'");
      },
      2);
  auto oSearch = Sync(*oOuter, "outer");
  EXPECT_EQ(nRanAt, 2u);
  ASSERT_TRUE(oSearch && oNested);
  EXPECT_EQ(oSearch->Tag(), "outer");
  EXPECT_EQ(oNested->Tag(), "nested");
  EXPECT_EQ(oSearch->Results()->Count(), 2);
  EXPECT_EQ(oNested->Results()->Count(), 1);
  EXPECT_EQ(m_vecCompleted, (Texts{"outer", "nested"}));
}

TEST_F(CAdvSearchTest, SuccessiveSearchesOnOneInstanceEachReturnTheirOwn) {
  CAdvSearch oComponent;
  auto oFirst = Sync(oComponent, "first");
  auto oSecond = Sync(oComponent, "second", "'\\Mailbox - Jane Doe\\Projects'");
  ASSERT_TRUE(oFirst && oSecond);
  EXPECT_NE(oFirst, oSecond);
  EXPECT_FALSE(Sim(oFirst)->IsStopped());
  EXPECT_EQ(oFirst->Results()->Count(), 2);
  EXPECT_EQ(oSecond->Results()->Count(), 1);
}

TEST_F(CAdvSearchTest, AnAsynchronousSearchNotifiesOnceThenLetsGo) {
  auto oNotified = std::make_shared<CNotified>();
  auto oComponent = std::make_shared<CAdvSearch>();
  auto oSearch = oComponent->ASyncSearch(App(), kInbox, kProjects, false, "async", oNotified);
  ASSERT_TRUE(oSearch);
  EXPECT_FALSE(Sim(oSearch)->IsComplete());
  App()->AdvancedSearch(kInbox, host::Variant(""), host::Variant(false), host::Variant("other"));
  // The notified object drops the last reference to the component from inside the notification.
  oNotified->oRelease = std::move(oComponent);
  m_pLoop->Advance(100);
  EXPECT_EQ(oNotified->nDone, 1);
  EXPECT_EQ(oSearch->Results()->Count(), 2);
  EXPECT_EQ(oNotified.use_count(), 1);
  // An object without ASyncSearchDone is simply not told.
  CAdvSearch oPlain;
  EXPECT_TRUE(oPlain.ASyncSearch(App(), kInbox, "", false, "plain", std::make_shared<CPlain>()));
  m_pLoop->Advance(100);
  EXPECT_EQ(m_vecCompleted, (Texts{"async", "other", "plain"}));
}

TEST_F(CAdvSearchTest, DestroyingAnInstanceStopsItsUnfinishedSearch) {
  auto oNotified = std::make_shared<CNotified>();
  auto oComponent = std::make_shared<CAdvSearch>();
  auto oSearch = oComponent->ASyncSearch(App(), kInbox, kProjects, false, "async", oNotified);
  oComponent.reset();
  EXPECT_TRUE(Sim(oSearch)->IsStopped());
  m_pLoop->Advance(100);
  EXPECT_TRUE(m_vecCompleted.empty());
  EXPECT_EQ(oNotified->nDone, 0);
  // A new search on an instance stops the one before it the same way.
  CAdvSearch oAgain;
  auto oFirst = oAgain.ASyncSearch(App(), kInbox, "", false, "first", nullptr);
  auto oSecond = Sync(oAgain, "second");
  EXPECT_TRUE(Sim(oFirst)->IsStopped());
  EXPECT_EQ(m_vecCompleted, (Texts{"second"}));
}

TEST_F(CAdvSearchTest, FailuresReturnNothingAfterOneLogLine) {
  CAdvSearch oComponent;
  EXPECT_EQ(oComponent.SyncSearch(App(), "'\\Nowhere'", kProjects, false, "t"), nullptr);
  EXPECT_EQ(oComponent.SyncSearch(App(), kInbox, "\"urn:schemas:httpmail:subject\" LIKE", false, "t"),
            nullptr);
  EXPECT_EQ(oComponent.SyncSearch(nullptr, kInbox, kProjects, false, "t"), nullptr);
  EXPECT_EQ(oComponent.ASyncSearch(App(), "\\Mailbox - Jane Doe\\Inbox", kProjects, false, "t", nullptr),
            nullptr);
  auto vec = m_oFolder.Lines();
  ASSERT_EQ(vec.size(), 5u);
  EXPECT_EQ(vec[0], "->CAdvSearch.Class_Initialize");
  EXPECT_EQ(vec[1].rfind("Error(" + std::to_string(sim::kErrNotFound) + ") : CAdvSearch.SyncSearch\t", 0), 0u)
      << vec[1];
  EXPECT_EQ(vec[2].rfind("Error(" + std::to_string(host::err::E_FAIL) + ") : CAdvSearch.SyncSearch\t", 0), 0u)
      << vec[2];
  EXPECT_EQ(vec[3], "Error(91) : CAdvSearch.SyncSearch\tObject variable or With block variable not set");
  EXPECT_EQ(vec[4].rfind("Error(" + std::to_string(host::err::E_FAIL) + ") : CAdvSearch.ASyncSearch\t", 0),
            0u)
      << vec[4];
  m_pLoop->Advance(100);
  EXPECT_TRUE(m_vecCompleted.empty());
}

TEST_F(CAdvSearchTest, RegistersUnderItsProgId) {
  auto& oRegistry = host::ObjectRegistry::Instance();
  RegisterCAdvSearch(oRegistry);
  auto oComponent = host::CreateObject<host::_CAdvSearch>("quilloadvsearch.cadvsearch");
  EXPECT_EQ(oComponent->TypeName(), "CAdvSearch");
  UnregisterCAdvSearch(oRegistry);
  try {
    host::CreateObject(host::kAdvSearchProgId);
    FAIL();
  } catch (const host::Error& e) {
    EXPECT_EQ(e.Number(), host::err::CantCreateObject);
  }
}

}  // namespace
