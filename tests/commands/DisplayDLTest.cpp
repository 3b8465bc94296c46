// "New Distribution List" and "Existing Distribution List" end to end: the click, the gathering,
// the members added one by one (Outlook 2002 and later) or all at once (Outlook 2000), and the
// list opened in its inspector.
#include <gtest/gtest.h>

#include "ComposeFixture.h"
#include "commands/mComposeSteps.h"
#include "sim/Redemption.h"

namespace {

const std::string kContacts = "\\Mailbox - Jane Doe\\Contacts";

// What the choose-list dialog answers in these tests, and how often it was asked.
std::shared_ptr<host::DistListItem> g_oChoice;
int g_nAsked = 0;
std::function<void()> g_fnWhileChoosing;
std::shared_ptr<host::DistListItem> ChooseForTest() {
  ++g_nAsked;
  if (g_fnWhileChoosing) g_fnWhileChoosing();
  return g_oChoice;
}

class DisplayDLTest : public ComposeFixture {
 protected:
  void SetUp() override {
    ComposeFixture::SetUp();
    m_fnPrevChoose = std::exchange(mComposeSteps::ChooseDList(), &ChooseForTest);
    g_nAsked = 0;
  }
  void TearDown() override {
    mComposeSteps::ChooseDList() = m_fnPrevChoose;
    g_oChoice.reset();
    g_fnWhileChoosing = nullptr;
    ComposeFixture::TearDown();
  }
  // The user picks a list of the profile in the dialog.
  void Choose(const std::string& sCode) {
    g_oChoice = host::As<host::DistListItem>(Outlook().ItemByID(kId + sCode));
  }
  std::vector<std::string> MembersOf(const sim::ItemPtr& pList) {
    std::vector<std::string> vec;
    for (const auto& p : pList->vecMembers) vec.push_back(p->sName);
    return vec;
  }
  sim::ItemPtr OpenList(int n = 1) { return sim::ItemDataOf(Inspectors().ItemAt(n)); }
  int64_t Calls(const std::string& sMember) { return Outlook().Faults().Calls(sMember); }

 private:
  mComposeSteps::ChooseDListFn m_fnPrevChoose = nullptr;
};

TEST_F(DisplayDLTest, NewListTakesTheAddressesButNotTheListsAndIsSavedInContacts) {
  Start();
  Select({"1001", "1007", "1008", "0603"});
  Click(CExplorerMenu::btNewDL);
  EXPECT_EQ(Menu()->CachedAction(), 3);
  ASSERT_EQ(Inspectors().Count(), 1);
  EXPECT_EQ(MembersOf(OpenList()), (std::vector<std::string>{"Maria Garcia", "John Smith", "Jürgen Müller"}));
  EXPECT_EQ(Calls("DistListItem.AddMember"), 3);

  Inspectors().SetSubject(1, "Apollo friends");
  ASSERT_TRUE(Inspectors().Save(1));
  EXPECT_EQ(OpenList()->pFolder, Outlook().Data().FolderByPath(kContacts));
}

TEST_F(DisplayDLTest, ExistingListOnListsOnlyShowsTheBoxAndNeverOpensTheChooser) {
  Start();
  Choose("1009");
  Select({"1008", "1009"});
  Click(CExplorerMenu::btExistingDL);
  EXPECT_EQ(g_nAsked, 0);
  ASSERT_EQ(m_pBoxes->History().size(), 1u);
  EXPECT_EQ(m_pBoxes->History()[0].sPrompt, "Selected items have no email addresses.");
  EXPECT_EQ(Inspectors().Count(), 0);
  EXPECT_EQ(Menu()->CachedAction(), 4);
}

TEST_F(DisplayDLTest, ExistingListGetsTheNewMembersAndOpens) {
  Start();
  Choose("1009");
  Select({"1001", "0605"});
  Click(CExplorerMenu::btExistingDL);
  EXPECT_EQ(g_nAsked, 1);
  ASSERT_EQ(Inspectors().Count(), 1);
  EXPECT_EQ(OpenList(), Item("1009"));
  EXPECT_EQ(MembersOf(Item("1009")),
            (std::vector<std::string>{"ÄRGER Hotline", "Peter Brown", "Maria Garcia", "John Smith"}));
}

TEST_F(DisplayDLTest, AChooserClosedWithoutAChoiceEndsQuietlyWithTheWindowClosed) {
  Start(DemoWithBulk(25));
  SelectAllOf(kBulk);
  Click(CExplorerMenu::btExistingDL);
  EXPECT_EQ(g_nAsked, 1);
  EXPECT_EQ(Inspectors().Count(), 0);
  EXPECT_TRUE(m_pBoxes->History().empty());
  EXPECT_FALSE(g_frmProgress->IsLoaded());
  EXPECT_EQ(ErrorCount(), 0u);
  // The cached-action button shows the command all the same.
  EXPECT_EQ(Menu()->CachedAction(), 4);
}

TEST_F(DisplayDLTest, NewListFromTheFolderContextMenuTakesTheWholeContactsFolder) {
  Start();
  Outlook().SwitchFolder(1, kContacts);
  Click(CExplorerMenu::btNewDL, CExplorerMenu::bsFolderContext);
  ASSERT_EQ(Inspectors().Count(), 1);
  // Every contact with an address, the private one too (the option leaving it out is off).
  EXPECT_EQ(OpenList()->vecMembers.size(), 6u);
}

TEST_F(DisplayDLTest, Outlook2000AddsAllMembersInOneCallAndWritesTheSubjectBack) {
  Start(nullptr, "9.0.0.2711");
  Choose("1008");
  Select({"1004", "0603"});
  Click(CExplorerMenu::btExistingDL);
  ASSERT_EQ(Inspectors().Count(), 1);
  EXPECT_EQ(Calls("DistListItem.AddMember"), 0);
  EXPECT_EQ(Calls("DistListItem.AddMembers"), 1);
  EXPECT_EQ(Calls("DistListItem.Subject"), 2);  // read, then written back unchanged
  EXPECT_EQ(Item("1008")->oProps.Text(sim::prop::PR_SUBJECT), "Apollo Team");
  EXPECT_EQ(Item("1008")->vecMembers.size(), 6u);
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(DisplayDLTest, Outlook2000WithoutRedemptionWhenTheMembersAreMadeShowsNoList) {
  Start(nullptr, "9.0.0.2711");
  Choose("1008");
  g_fnWhileChoosing = [this] { sim::SetRedemptionInstalled(Outlook().SessionState(), false); };
  Select({"1004"});
  Click(CExplorerMenu::btExistingDL);
  EXPECT_EQ(Inspectors().Count(), 0);
  EXPECT_EQ(LinesOf("CExplorerMenu::CreateRecipients2K").size(), 1u);
  EXPECT_EQ(LinesOf("CExplorerMenu::DisplayDL(existing)").size(), 1u);
  EXPECT_EQ(Item("1008")->vecMembers.size(), 4u);
}

TEST_F(DisplayDLTest, CancelInTheThirdStageKeepsTheMembersAddedSoFar) {
  Start(DemoWithBulk(25));
  SelectAllOf(kBulk);
  m_pBoxes->QueueAnswer(platform::vbYes);
  bool bClicked = false;
  host::Connection cn = CancelInThirdStageAt(7, bClicked);
  Click(CExplorerMenu::btNewDL);
  ASSERT_TRUE(bClicked);
  ASSERT_EQ(Inspectors().Count(), 1);
  EXPECT_EQ(OpenList()->vecMembers.size(), 7u);
  EXPECT_FALSE(g_frmProgress->IsLoaded());
}

TEST_F(DisplayDLTest, AFailingMemberLeavesTheListUnshownUnderTheSourceOfTheCommand) {
  Start(DemoWithBulk(25));
  SelectAllOf(kBulk);
  Outlook().Faults().FailNth("NameSpace.CreateRecipient", 4);
  Click(CExplorerMenu::btNewDL);
  EXPECT_EQ(Inspectors().Count(), 0);
  EXPECT_FALSE(g_frmProgress->IsLoaded());
  EXPECT_EQ(LinesOf("CExplorerMenu::DisplayDL(new)").size(), 1u);
}

// Every call to Outlook and Redemption fails once, in turn, for both ways of adding members:
// nothing escapes into Outlook and the progress window is never left open.
TEST_F(DisplayDLTest, NoFaultOfAnyHostCallEscapes) {
  for (const char* sVersion : {"11.0.5608", "9.0.0.2711"}) {
    Start(DemoWithBulk(20), sVersion);
    SelectAllOf(kBulk);
    Choose("1009");
    const int64_t nBefore = Outlook().Faults().TotalCalls();
    Click(CExplorerMenu::btExistingDL);
    const int64_t nCalls = Outlook().Faults().TotalCalls() - nBefore;
    ASSERT_GT(nCalls, 100);
    for (int64_t n = 1; n <= nCalls; n += 5) {
      Outlook().Faults().FailNth("*", n);
      Click(n % 2 ? CExplorerMenu::btExistingDL : CExplorerMenu::btNewDL);
      Outlook().Faults().Clear();
      ASSERT_TRUE(Outlook().EscapedErrors().empty()) << sVersion << " call " << n;
      ASSERT_FALSE(g_frmProgress->IsLoaded()) << sVersion << " call " << n;
    }
    g_oChoice.reset();
    Outlook().Quit();
  }
}

}  // namespace
