// The progress window on every forms backend: what the window shows, the Cancel button through
// the button itself, and the window refusing every close but ProgressDone.
#include <gtest/gtest.h>

#include "feedback/frmProgress.h"
#include "platform/FormsTestBackends.h"

using platform::vbNo;
using platform::vbYes;

namespace {

constexpr const char* kQuestion = "Not all recipients will be added. Do you want to continue?";

std::string Stage(int nStage, int nDone, int nCount) {
  const char* s[3] = {"Please wait.Extracting recipients from selected items [",
                      "Please wait.Resolving recipients [", "Please wait.Adding recipients ["};
  return s[nStage - 1] + std::to_string(nDone) + " of " + std::to_string(nCount) + "] ...";
}

class frmProgressTest : public FormsBackendTest {
 protected:
  // The labels the user sees: which one is shown (0: none) and its text.
  int ShownStage(frmProgress& f) {
    int nShown = 0, nCount = 0;
    platform::Label* a[3] = {&f.lblProgress1, &f.lblProgress2, &f.lblProgress3};
    for (int i = 0; i < 3; ++i)
      if (Driver().IsShown(*a[i])) {
        nShown = i + 1;
        ++nCount;
      }
    return nCount > 1 ? -1 : nShown;
  }
  std::string ShownText(frmProgress& f) {
    platform::Label* a[3] = {&f.lblProgress1, &f.lblProgress2, &f.lblProgress3};
    int n = ShownStage(f);
    return n > 0 ? Driver().TextOf(*a[n - 1]) : "";
  }
  // The command's loop: one step, then the cancel check.
  bool StepAndCheck(frmProgress& f) {
    f.ProgressStep();
    return f.IsCancelled();
  }
};

TEST_P(frmProgressTest, ShowsTheStageTextWithStepsDoneAndCount) {
  frmProgress f;
  f.ProgressInit(10, 2);
  f.Show();
  EXPECT_EQ(Driver().CaptionOf(f), "Quillo Progress");
  EXPECT_EQ(Driver().ClientOf(f), (platform::TwipsRect{0, 0, 6300, 1590}));
  EXPECT_EQ(ShownText(f), Stage(2, 0, 10));
  for (int i = 0; i < 3; ++i) f.ProgressStep();
  EXPECT_EQ(ShownStage(f), 2);
  EXPECT_EQ(ShownText(f), "Please wait.Resolving recipients [3 of 10] ...");
  EXPECT_EQ(Driver().ValueOf(f.barProgress), 3);
  // The hidden labels carry their own stage's text with the same numbers.
  EXPECT_EQ(f.lblProgress1.Caption(), Stage(1, 3, 10));
  EXPECT_EQ(f.lblProgress3.Caption(), Stage(3, 3, 10));
  EXPECT_TRUE(Driver().IsShown(f.btnCancel));
  EXPECT_EQ(Driver().TextOf(f.btnCancel), "Cancel");
  EXPECT_TRUE(log->lines.empty());
  f.ProgressDone();
}

TEST_P(frmProgressTest, StagesFollowInOneWindowAndEachRestartsTheBar) {
  frmProgress f;
  f.Show();
  f.ProgressInit(5, 1);
  const platform::WindowHandle hWnd = f.hWnd();
  for (int i = 0; i < 5; ++i) f.ProgressStep();
  EXPECT_EQ(ShownText(f), Stage(1, 5, 5));
  f.ProgressInit(3, 2);
  EXPECT_EQ(f.hWnd(), hWnd);
  EXPECT_EQ(Driver().ValueOf(f.barProgress), 0);
  EXPECT_EQ(ShownText(f), Stage(2, 0, 3));
  f.ProgressStep();
  f.ProgressInit(7, 3);
  EXPECT_EQ(ShownStage(f), 3);
  EXPECT_EQ(ShownText(f), Stage(3, 0, 7));
  // More steps than the stage has leave the bar full.
  for (int i = 0; i < 9; ++i) f.ProgressStep();
  EXPECT_EQ(ShownText(f), Stage(3, 7, 7));
  EXPECT_EQ(Driver().ValueOf(f.barProgress), 7);
  f.ProgressDone();
}

TEST_P(frmProgressTest, CancelInStagesOneAndTwoIsTakenAtTheNextCheckWithoutAQuestion) {
  for (int nStage : {1, 2}) {
    frmProgress f;
    f.Show();
    f.ProgressInit(10, nStage);
    EXPECT_FALSE(StepAndCheck(f));
    // The click arrives through the pump, as the user's does while the command works.
    Driver().PostClick(f.btnCancel);
    EXPECT_FALSE(f.IsCancelled());
    EXPECT_TRUE(StepAndCheck(f)) << "stage " << nStage;
    f.ProgressDone();
  }
  EXPECT_TRUE(m_pBoxes->History().empty());
}

TEST_P(frmProgressTest, CancelInStageThreeAsksAndNoLetsTheWorkGoOn) {
  frmProgress f;
  f.Show();
  f.ProgressInit(10, 3);
  m_pBoxes->QueueAnswer(vbNo);
  Driver().PostClick(f.btnCancel);
  EXPECT_FALSE(StepAndCheck(f));
  ASSERT_EQ(m_pBoxes->History().size(), 1u);
  EXPECT_EQ(m_pBoxes->History()[0].sPrompt, kQuestion);
  EXPECT_EQ(m_pBoxes->History()[0].nButtons, platform::vbYesNo);
  EXPECT_EQ(m_pBoxes->History()[0].sTitle, "Quillo");

  m_pBoxes->QueueAnswer(vbYes);
  Driver().Click(f.btnCancel);
  EXPECT_TRUE(f.IsCancelled());
  EXPECT_EQ(m_pBoxes->History().size(), 2u);
  f.ProgressDone();
}

TEST_P(frmProgressTest, EveryCloseButProgressDoneIsRefused) {
  frmProgress f;
  f.ProgressInit(30, 1);
  f.Show();
  Driver().CloseBox(f);
  EXPECT_TRUE(Driver().IsShown(f));
  // The add-in's disconnection asks with a plain unload, refused while a command holds it.
  EXPECT_FALSE(f.Unload());
  EXPECT_TRUE(Driver().IsShown(f));
  f.ProgressStep();
  EXPECT_EQ(ShownText(f), Stage(1, 1, 30));

  f.ProgressDone();
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_FALSE(Driver().IsShown(f));
}

TEST_P(frmProgressTest, ANewUseAfterProgressDoneStartsWithoutTheOldCancel) {
  frmProgress f;
  f.Show();
  f.ProgressInit(10, 1);
  Driver().Click(f.btnCancel);
  ASSERT_TRUE(f.IsCancelled());
  f.ProgressDone();
  EXPECT_FALSE(f.IsCancelled());
  f.ProgressInit(10, 1);
  f.Show();
  EXPECT_FALSE(f.IsCancelled());
  EXPECT_EQ(ShownText(f), Stage(1, 0, 10));
  // Closing is refused again: the new load starts with its fields False.
  Driver().CloseBox(f);
  EXPECT_TRUE(Driver().IsShown(f));
  f.ProgressDone();
}

TEST_P(frmProgressTest, AnInvalidStageIsReportedAndShowsNoLabel) {
  for (int nStage : {4, 0, -1}) {
    log->lines.clear();
    frmProgress f;
    f.ProgressInit(5, 1);
    f.Show();
    f.ProgressInit(5, nStage);
    EXPECT_EQ(ShownStage(f), 0) << nStage;
    ASSERT_EQ(log->lines.size(), 1u);
    EXPECT_EQ(log->lines[0].sSource, "frmProgress::ProgressInit");
    EXPECT_EQ(log->lines[0].sMessage, "Invalid Stage = " + std::to_string(nStage));
    EXPECT_EQ(log->lines[0].nError, 0);
    EXPECT_EQ(log->lines[0].nKind, 3);
    // The window still works: the bar and the texts keep counting.
    f.ProgressStep();
    EXPECT_EQ(Driver().ValueOf(f.barProgress), 1);
    EXPECT_EQ(f.lblProgress2.Caption(), Stage(2, 1, 5));
    f.ProgressDone();
  }
}

TEST_P(frmProgressTest, AnEmptyOrNegativeCountIsAnEmptyStage) {
  for (int nCount : {0, -3}) {
    frmProgress f;
    f.ProgressInit(12, 1);  // a previous stage's maximum must not stay
    f.ProgressInit(nCount, 1);
    f.Show();
    EXPECT_EQ(ShownText(f), Stage(1, 0, 0));
    f.ProgressStep();
    EXPECT_EQ(ShownText(f), Stage(1, 0, 0));
    EXPECT_EQ(Driver().ValueOf(f.barProgress), 0);
    f.ProgressDone();
  }
  EXPECT_TRUE(log->lines.empty());
}

TEST_P(frmProgressTest, IsOwnedByTheForegroundWindowAndCarriesTheProductIcon) {
  const platform::WindowHandle hForeground = MakeForegroundWindow();
  frmProgress f;
  f.ProgressInit(3, 1);
  f.Show();
  if (hForeground != 0) {
    EXPECT_EQ(Driver().OwnerOf(f), hForeground);
  }
  ASSERT_TRUE(f.Icon());
  EXPECT_EQ(f.Icon()->nWidth, 32);
  f.ProgressDone();
}

TEST_P(frmProgressTest, OperationsOnAnUnloadedWindowRaiseNothing) {
  frmProgress f;
  EXPECT_FALSE(f.IsCancelled());
  f.ProgressDone();
  EXPECT_FALSE(f.IsLoaded());
  f.ProgressStep();  // loads it, hidden, as any first use does
  EXPECT_TRUE(f.IsLoaded());
  EXPECT_FALSE(Driver().IsShown(f));
  f.ProgressDone();
  EXPECT_TRUE(log->lines.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, frmProgressTest, ::testing::ValuesIn(FormsBackendNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
