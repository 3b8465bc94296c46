// "TO", "CC" and "BCC" end to end: the click, the gathering, the new message in its inspector,
// and the replied mark when the user sends or saves it.
#include <gtest/gtest.h>

#include "ComposeFixture.h"
#include "platform/Registry.h"
#include "recipients/mQuillo.h"
#include "settings/CWinReg.h"
#include "sim/ItemObjects.h"
#include "sim/Redemption.h"

namespace {

const std::string kPrefs = "Software\\Microsoft\\Office\\11.0\\Outlook\\Preferences";

class DisplayNewMailTest : public ComposeFixture {
 protected:
  int32_t ShowBcc() {
    CWinReg oReg;
    return oReg.InitForRead(CWinReg::HKEY_CURRENT_USER(), kPrefs) ? oReg.GetDWORD("ShowBcc", -1) : -2;
  }
  int64_t Markings() { return Outlook().Faults().Calls("MAPIUtils.HrSetOneProp"); }
};

TEST_F(DisplayNewMailTest, MessageToTheSendersIsMarkedWhenSentAndTheFolderGatheringSkipsThem) {
  Start();
  Select({"0602", "0605"});
  Click(CExplorerMenu::btTO);

  ASSERT_EQ(Inspectors().Count(), 1);
  EXPECT_EQ(RecipientsOf(1), (std::vector<std::string>{"1:John Smith", "1:Peter Brown"}));
  EXPECT_EQ(Menu()->CachedAction(), 0);
  EXPECT_FALSE(Replied("0602"));

  EXPECT_TRUE(Inspectors().Send(1));
  EXPECT_TRUE(Replied("0602"));
  EXPECT_TRUE(Replied("0605"));
  EXPECT_EQ(Inspectors().Count(), 0);
  EXPECT_EQ(Outlook().Data().DefaultFolder(host::olFolderSentMail)->vecItems.back()->vecRecipients.size(),
            2u);

  // The Inbox view shows the project mails: the replied one is left out, the digest stays.
  g_oOptions->ExcludeReplied(true);
  CRecipients oRecipients;
  ERecipientsFrom eFrom = esFromFolder;
  bool bAddDistLists = true, bUseProgressWND = false, bHasCanceled = false;
  ASSERT_TRUE(mQuillo::GetQuilloRecipients(eFrom, oRecipients, bAddDistLists, bUseProgressWND));
  ASSERT_TRUE(oRecipients.Resolve(bUseProgressWND, bHasCanceled));
  ASSERT_EQ(oRecipients.GetResolvedCount(), 1);
  EXPECT_EQ(oRecipients.GetResolvedName(1), "Project Digest <digest@news.example.org>");
}

TEST_F(DisplayNewMailTest, BccSwitchesTheLineOnBeforeGatheringAndLeavesASetValueAlone) {
  Start();
  ASSERT_EQ(ShowBcc(), -2);
  Select({"1201"});  // a note: nothing to address
  m_pBoxes->QueueAnswer(platform::vbOK);
  Click(CExplorerMenu::btBCC);
  EXPECT_EQ(ShowBcc(), 1);
  EXPECT_EQ(Menu()->CachedAction(), 2);

  Select({"0603"});
  Click(CExplorerMenu::btBCC);
  ASSERT_EQ(Inspectors().Count(), 1);
  EXPECT_EQ(RecipientsOf(1), (std::vector<std::string>{"3:Jürgen Müller"}));
  EXPECT_EQ(Inspectors().Describe(1).back(), "  Bcc: Jürgen Müller <juergen.mueller@contoso.com>");

  // A value other than 0 is the user's: it is read, never written over.
  CWinReg oReg;
  ASSERT_TRUE(oReg.InitForWrite(CWinReg::HKEY_CURRENT_USER(), kPrefs));
  oReg.SetDWORD("ShowBcc", 2);
  oReg.Close();
  Click(CExplorerMenu::btBCC);
  EXPECT_EQ(ShowBcc(), 2);
  EXPECT_FALSE(Inspectors().BccShown());
}

TEST_F(DisplayNewMailTest, ItemsWithoutAddressesShowOneBoxAndNoMessage) {
  Start();
  Select({"1201", "1202"});
  Click(CExplorerMenu::btCC);
  ASSERT_EQ(m_pBoxes->History().size(), 1u);
  EXPECT_EQ(m_pBoxes->History()[0].sPrompt, "Selected items have no email addresses.");
  EXPECT_EQ(m_pBoxes->History()[0].sTitle, "Quillo");
  EXPECT_EQ(m_pBoxes->History()[0].nButtons, platform::vbOKOnly);
  EXPECT_EQ(Inspectors().Count(), 0);
  EXPECT_EQ(Menu()->CachedAction(), 1);
}

TEST_F(DisplayNewMailTest, ManyItemsGoThroughThreeStagesAndTheWindowClosesBeforeTheMessageOpens) {
  Start(DemoWithBulk(25));
  Outlook().SwitchFolder(1, kBulk);
  SelectAllOf(kBulk);
  std::vector<std::string> vecSeen;
  host::Connection cnChanged =
      platform::Forms().OnControlChanged.Connect([&](platform::Control& o, platform::Prop) {
        if (&o.Parent() != &g_frmProgress.Get() || !g_frmProgress->IsLoaded()) return;
        frmProgress& f = *g_frmProgress;
        std::string s = f.lblProgress3.Visible()   ? "stage 3"
                        : f.lblProgress2.Visible() ? "stage 2"
                        : f.lblProgress1.Visible() ? "stage 1"
                                                   : "";
        if (!s.empty() && (vecSeen.empty() || vecSeen.back() != s)) vecSeen.push_back(s);
      });
  host::Connection cnUnloaded = platform::Forms().OnFormUnloaded.Connect([&](platform::Form&) {
    if (!vecSeen.empty()) vecSeen.push_back("closed with " + std::to_string(Inspectors().Count()) + " open");
  });
  Click(CExplorerMenu::btTO);
  EXPECT_EQ(vecSeen, (std::vector<std::string>{"stage 1", "stage 2", "stage 3", "closed with 0 open"}));
  ASSERT_EQ(Inspectors().Count(), 1);
  EXPECT_EQ(RecipientsOf(1).size(), 25u);
}

TEST_F(DisplayNewMailTest, CancelInTheThirdStageKeepsTheRecipientsAddedSoFar) {
  Start(DemoWithBulk(25));
  SelectAllOf(kBulk);
  m_pBoxes->QueueAnswer(platform::vbYes);  // "Not all recipients will be added. Do you want to continue?"
  bool bClicked = false;
  host::Connection cn = CancelInThirdStageAt(5, bClicked);
  Click(CExplorerMenu::btTO);
  ASSERT_TRUE(bClicked);
  ASSERT_EQ(Inspectors().Count(), 1);
  EXPECT_EQ(RecipientsOf(1).size(), 5u);
  EXPECT_FALSE(g_frmProgress->IsLoaded());
}

TEST_F(DisplayNewMailTest, EachRecipientFromReceivedMailsRegistersTheMessageWithItsOwnMails) {
  Start();
  Select({"0605", "7001", "0603"});  // John Smith wrote two of them
  Click(CExplorerMenu::btTO);
  ASSERT_EQ(g_colMailWrappers->Count(), 2);
  EXPECT_EQ(g_colMailWrappers->Item(1).EntryIDs(), (std::vector<std::string>{kId + "0605", kId + "7001"}));
  EXPECT_EQ(g_colMailWrappers->Item(2).EntryIDs(), (std::vector<std::string>{kId + "0603"}));
  EXPECT_EQ(g_colMailWrappers->Item(1).Item(), Inspectors().ItemAt(1));
  EXPECT_EQ(g_colMailWrappers->Item(2).Item(), Inspectors().ItemAt(1));
  ASSERT_TRUE(Inspectors().Send(1));
  EXPECT_TRUE(Replied("0605") && Replied("7001") && Replied("0603"));

  // A list taken by its name, or a mail the user wrote, carries no received mail: no tracker.
  Select({"1008", "0501"});
  Click(CExplorerMenu::btTO);
  EXPECT_EQ(RecipientsOf(1), (std::vector<std::string>{"1:John Smith", "1:Maria", "1:Apollo Team"}));
  EXPECT_EQ(g_colMailWrappers->Count(), 2);
}

TEST_F(DisplayNewMailTest, SavingMarksOnceAndClosingWithoutSavingMarksNothing) {
  Start();
  Select({"0602", "0603"});
  Click(CExplorerMenu::btTO);
  ASSERT_TRUE(Inspectors().Save(1));
  EXPECT_TRUE(Replied("0602") && Replied("0603"));
  EXPECT_EQ(Markings(), 2);
  ASSERT_TRUE(Inspectors().Send(1));  // from Drafts to Sent Items, nothing marked again
  EXPECT_EQ(Markings(), 2);

  Select({"0605"});
  Click(CExplorerMenu::btTO);
  ASSERT_TRUE(Inspectors().Close(1));
  EXPECT_FALSE(Replied("0605"));
  ASSERT_EQ(g_colMailWrappers->Count(), 3);
  EXPECT_TRUE(g_colMailWrappers->Item(3).Closed());
  EXPECT_TRUE(g_colMailWrappers->Item(3).Item() != nullptr);  // kept until the collection ends

  // A message still open when Outlook quits: the warning, then every tracker is let go.
  Select({"0607"});
  Click(CExplorerMenu::btTO);
  Outlook().Quit();
  EXPECT_EQ(CountOf("CMailItemWrapperColl::Done", "collection is not empty"), 1u);
  EXPECT_FALSE(g_colMailWrappers.IsCreated());
  EXPECT_FALSE(Replied("0607"));
}

TEST_F(DisplayNewMailTest, ADeletedSourceMailIsReportedAndTheOthersAreStillMarked) {
  Start();
  Select({"0602", "0603"});
  Click(CExplorerMenu::btTO);
  Outlook().DeleteItem(kId + "0602");
  ASSERT_TRUE(Inspectors().Send(1));
  EXPECT_TRUE(Replied("0603"));
  auto vecLines = LinesOf("CMailItemWrapper::Reply");
  ASSERT_EQ(vecLines.size(), 1u);
  EXPECT_EQ(vecLines[0].nLevel, 2);
  EXPECT_EQ(vecLines[0].sMessage,
            "cant get mailitem from entryID = '" + kId +
                "0602', ErrNum=-2147221233, ErrDesc=The operation failed. An object could "
                "not be found.");
}

TEST_F(DisplayNewMailTest, WithoutRedemptionAtSendTimeTheMessageGoesAndNothingIsMarked) {
  Start();
  Select({"0603"});
  Click(CExplorerMenu::btTO);
  sim::SetRedemptionInstalled(Outlook().SessionState(), false);
  EXPECT_TRUE(Inspectors().Send(1));
  EXPECT_FALSE(Replied("0603"));
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(DisplayNewMailTest, AFailureAfterTheMessageWasMadeLeavesItUnshownAndClosesTheWindow) {
  Start(DemoWithBulk(25));
  SelectAllOf(kBulk);
  Outlook().Faults().FailNth("SafeRecipient.Type", 3);
  Click(CExplorerMenu::btTO);
  EXPECT_EQ(Inspectors().Count(), 0);
  EXPECT_FALSE(g_frmProgress->IsLoaded());
  auto vecLines = LinesOf("CExplorerMenu::DisplayNewMail");
  ASSERT_EQ(vecLines.size(), 1u);
  EXPECT_EQ(vecLines[0].nKind, 3);
}

// Every call the command makes to Outlook and Redemption fails once, in turn: nothing escapes
// into Outlook and the progress window is never left open.
TEST_F(DisplayNewMailTest, NoFaultOfAnyHostCallEscapes) {
  Start(DemoWithBulk(20));
  SelectAllOf(kBulk);
  const int64_t nBefore = Outlook().Faults().TotalCalls();
  Click(CExplorerMenu::btTO);
  const int64_t nCalls = Outlook().Faults().TotalCalls() - nBefore;
  ASSERT_GT(nCalls, 100);
  for (int64_t n = 1; n <= nCalls; n += 7) {
    Outlook().Faults().FailNth("*", n);
    Click(CExplorerMenu::btTO);
    Outlook().Faults().Clear();
    ASSERT_TRUE(Outlook().EscapedErrors().empty()) << "call " << n;
    ASSERT_FALSE(g_frmProgress->IsLoaded()) << "call " << n;
  }
}

}  // namespace
