// quillo-sim's progress commands: the demo runs the stages as the commands will, and a scripted
// Cancel arrives at the stage and step it names, answered by the queued message-box answer.
#include <gtest/gtest.h>

#include "ProgressCommands.h"
#include "feedback/frmProgress.h"
#include "support/AppCommandsFixture.h"

namespace {

class ProgressCommandsTest : public AppCommandsFixture {
 protected:
  void SetUp() override {
    AppCommandsFixture::SetUp();
    ASSERT_TRUE(app::InstallSimForms(m_pSession, "", m_err));
    app::RegisterProgressCommands(m_oTable, m_pSession);
    m_oTable.Add({"answer", "", "", [this](app::CommandContext&, const std::vector<std::string>& a) {
                    m_pSession->Boxes().QueueAnswer(a[0] == "yes" ? platform::vbYes : platform::vbNo);
                  }});
  }
  void TearDown() override {
    g_frmProgress.Reset();
    platform::SetFormsBackend(nullptr);
  }
};

TEST_F(ProgressCommandsTest, DemoRunsTheThreeStagesAndPrintsTheWindowOnce) {
  ASSERT_EQ(Run("progress demo 2\n"), 0) << m_err.str();
  EXPECT_TRUE(Printed("form shown: form frmProgress \"Quillo Progress\""));
  EXPECT_TRUE(
      Printed("stage 1 | Please wait.Extracting recipients from selected items [2 of 2] ... | bar 2 of 2"));
  EXPECT_TRUE(Printed("stage 2 | Please wait.Resolving recipients [1 of 2] ... | bar 1 of 2"));
  EXPECT_TRUE(Printed("stage 3 | Please wait.Adding recipients [2 of 2] ... | bar 2 of 2"));
  EXPECT_TRUE(Printed("progress window closed: done"));
  EXPECT_EQ(m_out.str().find("form shown"), m_out.str().rfind("form shown"));
  EXPECT_FALSE(g_frmProgress->IsLoaded());
}

TEST_F(ProgressCommandsTest, AScriptedCancelInStageThreeIsAskedAndTakenAtItsStep) {
  ASSERT_EQ(Run("answer no\nanswer yes\n"
                "at progress stage 2 step 1 close\n"
                "at progress stage 3 step 1 click Cancel\n"
                "at progress stage 3 step 2 click btnCancel\n"
                "progress demo 4\n"),
            0)
      << m_err.str();
  EXPECT_TRUE(
      Printed("user: the close box of the progress window (stage 2, step 1)\n  progress window still shown"));
  EXPECT_TRUE(Printed("user: clicks Cancel (stage 3, step 1)"));
  EXPECT_TRUE(Printed("user: clicks btnCancel (stage 3, step 2)"));
  EXPECT_TRUE(Printed("the command sees the cancel after step 2 of stage 3"));
  EXPECT_TRUE(Printed("progress window closed: cancelled"));
  EXPECT_EQ(m_pSession->Boxes().History().size(), 2u);
}

TEST_F(ProgressCommandsTest, BadArgumentsAreUsageErrors) {
  for (const char* s :
       {"progress demo x\n", "progress demo 3 4\n", "at progress stage 4 step 1 click Cancel\n",
        "at progress stage 1 step 1 click Nothing\n", "at progress stage 1 step 1\n"}) {
    m_err.str("");
    EXPECT_NE(Run(s), 0) << s;
    EXPECT_FALSE(m_err.str().empty()) << s;
  }
}

}  // namespace
