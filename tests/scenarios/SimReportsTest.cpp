// What quillo-sim tells its user: every error that escaped into Outlook or a form, the progress
// window as it really opens and closes during a gathering, and the fault rules it refuses.
#include <gtest/gtest.h>

#include "AllCommands.h"
#include "GatherCommands.h"
#include "ProgressCommands.h"
#include "addin/Connect.h"
#include "feedback/frmProgress.h"
#include "platform/Forms.h"
#include "sim/Session.h"
#include "support/AppCommandsFixture.h"
#include "support/BulkProfile.h"
#include "support/ScratchRegistry.h"

namespace {

using testsupport::kBulk;

class SimReportsTest : public AppCommandsFixture {
 protected:
  void SetUp() override {
    testsupport::InstallScratchRegistry();
    m_pSession = std::make_shared<app::SimSession>(testsupport::DemoWithBulk(25, kBulk), "", m_out);
    ASSERT_TRUE(app::InstallSimForms(m_pSession, "", m_err));
    m_pSession->WatchFormsBackend();
    app::RegisterAllCommands(m_oTable, m_pSession);
  }
  void TearDown() override {
    if (m_pSession->Outlook().AddInConnected()) m_pSession->Outlook().Quit();
    m_pSession.reset();
    g_frmProgress.Reset();
    platform::SetFormsBackend(nullptr);
    testsupport::RemoveScratchRegistry();
  }
  void SelectAll() { m_pSession->Outlook().Select(1, testsupport::EntryIDsOf(m_pSession->Outlook(), kBulk)); }
  size_t Count(const std::string& sPart) const {
    const std::string s = m_out.str();
    size_t n = 0;
    for (size_t p = s.find(sPart); p != std::string::npos; p = s.find(sPart, p + 1)) ++n;
    return n;
  }
};

TEST_F(SimReportsTest, EveryEscapedErrorIsPrintedWhenItHappensAndListedAgain) {
  m_pSession->Outlook().SessionState()->AtBoundary("Explorer.Activate", [] {
    throw host::Error(host::err::ObjectNotSet, "Object variable not set\nsecond line");
  });
  platform::Forms().Dispatch([] { throw host::Error(host::err::TypeMismatch, "Type mismatch"); });
  EXPECT_TRUE(Printed("  escaped: Explorer.Activate 91 Object variable not set\\nsecond line\n"));
  EXPECT_TRUE(Printed("  escaped: forms 13 Type mismatch\n"));
  EXPECT_EQ(m_pSession->EscapedCount(), 2);

  m_out.str("");
  ASSERT_EQ(Run("show escapes\n"), 0);
  EXPECT_EQ(m_out.str(),
            "Escaped errors: 2\n"
            "  escaped: Explorer.Activate 91 Object variable not set\\nsecond line\n"
            "  escaped: forms 13 Type mismatch\n");
  platform::Forms().ClearEscapedErrors();
}

TEST_F(SimReportsTest, TheProgressWindowStaysOpenBetweenStagesAndItsCloseIsShown) {
  ASSERT_EQ(Run("log off\nstart\n"), 0) << m_err.str();
  SelectAll();
  ASSERT_EQ(Run("gather\n"), 0) << m_err.str();
  const std::string sOut = m_out.str();
  const size_t nStage2 = sOut.find("| stage 2 |");
  ASSERT_NE(nStage2, std::string::npos) << sOut;
  EXPECT_EQ(sOut.find("progress window closed"), sOut.rfind("progress window closed")) << sOut;
  EXPECT_GT(sOut.find("progress window closed"), nStage2) << sOut;
  EXPECT_EQ(Count("GetQuilloRecipients: True (progress window open)"), 1u) << sOut;
  EXPECT_FALSE(g_frmProgress->IsLoaded());

  // A cancel in stage 1 closes the window at once; nothing says it is open.
  m_out.str("");
  ASSERT_EQ(Run("answer yes\nat progress stage 1 step 3 click Cancel\ngather\n"), 0) << m_err.str();
  EXPECT_EQ(Count("progress window closed"), 1u) << m_out.str();
  EXPECT_EQ(Count("GetQuilloRecipients: False\n"), 1u) << m_out.str();
  EXPECT_EQ(m_pSession->EscapedCount(), 0);
}

TEST_F(SimReportsTest, ScriptLinesFailWithTheirNumberAndCommentsAreOnlyComments) {
  EXPECT_EQ(Run("# Jane's \"unfinished comment\n  # another 'one\n"), 0) << m_err.str();
  EXPECT_EQ(Run("# fine\nreg query HKCU\\Software\\Nowhere\nstart\n"), 2);
  EXPECT_NE(m_err.str().find("test:2: reg query"), std::string::npos) << m_err.str();
  EXPECT_NE(m_err.str().find("ERROR: The system was unable to find"), std::string::npos);
  EXPECT_FALSE(m_pSession->Started());

  m_err.str("");
  EXPECT_EQ(Run("fault Explorer.CurrentFoldr --always\n"), 2);
  EXPECT_NE(m_err.str().find("no member 'Explorer.CurrentFoldr' (closest: Explorer.CurrentFolder"),
            std::string::npos)
      << m_err.str();
  EXPECT_FALSE(m_pSession->Outlook().Faults().HasRules());
  EXPECT_EQ(
      Run("fault MailItem.Subject --call 2\nfault Redemption.SafeMailItem --always\nfault * --every 5\n"), 0)
      << m_err.str();
}

}  // namespace
