// The recipient collection from the selection or a whole folder, end to end in the simulation.
#include <gtest/gtest.h>

#include "RecipientsFixture.h"
#include "recipients/mQuillo.h"
#include "settings/COptions.h"
#include "sim/Model.h"

namespace {

using testsupport::DemoWithBulk;
using testsupport::kBulk;
using testsupport::kInbox;
const std::string kContacts = "\\Mailbox - Jane Doe\\Contacts";
const std::string kCalendar = "\\Mailbox - Jane Doe\\Calendar";
const std::string kPrefix = "0000000044454D4F";
constexpr const char* kSource = "GetQuilloRecipients";

class GetQuilloRecipientsTest : public RecipientsFixture {
 protected:
  void SetUp() override {
    RecipientsFixture::SetUp();
    UseProfile(DemoWithBulk(0));
  }

  void UseProfile(std::shared_ptr<const sim::Profile> pProfile, const std::string& sVersion = {}) {
    MakeOutlook(std::move(pProfile), sVersion);
    Outlook().Start(std::make_shared<NoAddIn>());
    g_oApp = Outlook().Application();
  }

  void Show(const std::string& sPath) { Outlook().SwitchFolder(1, sPath); }
  void SelectCodes(const std::vector<std::string>& vecCodes) {
    std::vector<std::string> vecIDs;
    for (const auto& s : vecCodes) vecIDs.push_back(kPrefix + s);
    Outlook().Select(1, vecIDs);
  }

  bool Gather(ERecipientsFrom eFrom, bool bAddDistLists = true) {
    m_oRecipients = CRecipients();
    m_bUseProgressWND = false;
    return mQuillo::GetQuilloRecipients(eFrom, m_oRecipients, bAddDistLists, m_bUseProgressWND);
  }

  // The gathered raw recipients: "name <address>" for addresses, the name alone for names.
  std::vector<std::string> Raw() {
    std::vector<std::string> vec;
    if (auto col = m_oRecipients.EmailRecipients())
      for (const auto& o : *col) vec.push_back(o.colNames.Item(1) + " <" + o.sEmail + ">");
    if (auto col = m_oRecipients.NameRecipients())
      for (const auto& o : *col) vec.push_back(o.sName);
    return vec;
  }
  std::vector<std::string> RawIDs(const std::string& sEmail) {
    std::vector<std::string> vec;
    for (const auto& o : *m_oRecipients.EmailRecipients())
      if (host::EqualsNoCase(o.sEmail, sEmail)) vec = Strings(m_oRecipients.EntryIDs(o.oEntryIDs));
    return vec;
  }
  bool HasLine(const std::string& sMessage, int32_t nLevel) {
    for (const auto& o : Lines())
      if (o.sSource == kSource && o.sMessage == sMessage && o.nLevel == nLevel) return true;
    return false;
  }

  // Outlook loads an add-in that does nothing: these tests call the routine directly.
  struct NoAddIn : host::AddIn {
    std::string TypeName() const override { return "NoAddIn"; }
    void OnConnection(const std::shared_ptr<host::Object>&, int32_t, const std::shared_ptr<host::Object>&,
                      host::Variant&) override {}
    void OnStartupComplete(host::Variant&) override {}
    void OnBeginShutdown(host::Variant&) override {}
    void OnDisconnection(int32_t, host::Variant&) override {}
  };

  CRecipients m_oRecipients;
  bool m_bUseProgressWND = false;
};

TEST_F(GetQuilloRecipientsTest, ReceivedMailGivesItsSenderWithItsEntryIDSentMailOnlyItsToRecipients) {
  SelectCodes({"0602"});
  ASSERT_TRUE(Gather(esFromSelection));
  ASSERT_EQ(Raw().size(), 1u);
  auto vecNames = m_oRecipients.NameRecipients();  // an Exchange sender has no SMTP sender address
  ASSERT_TRUE(vecNames);
  EXPECT_EQ(Strings(m_oRecipients.EntryIDs(vecNames->Item(1).oEntryIDs)),
            std::vector<std::string>{kPrefix + "0602"});

  SelectCodes({"0511"});  // in a subfolder of Sent Items
  ASSERT_TRUE(Gather(esFromSelection));
  for (const auto& o : *m_oRecipients.EmailRecipients()) EXPECT_TRUE(o.oEntryIDs.Empty());
  EXPECT_FALSE(Raw().empty());
}

TEST_F(GetQuilloRecipientsTest, MeetingsLeaveOutTheUserAsOrganizerButKeepOtherOrganizers) {
  auto oCount = [&](const std::string& sCode) {
    SelectCodes({sCode});
    EXPECT_TRUE(Gather(esFromSelection));
    return Raw();
  };
  auto vecOwn = oCount("0901");
  auto vecOther = oCount("0902");
  for (const auto& s : vecOwn) EXPECT_EQ(s.find("Jane Doe"), std::string::npos) << s;
  bool bOrganizerKept = false;
  for (const auto& s : vecOther) bOrganizerKept |= s.find("Peter Brown") != std::string::npos;
  EXPECT_TRUE(bOrganizerKept);
}

TEST_F(GetQuilloRecipientsTest, ContactsGiveTheirFirstUsableAddressAndListsDependOnTheCommand) {
  Show(kContacts);
  SelectCodes({"1003", "1005"});  // e-mail 2 only; no address at all
  ASSERT_TRUE(Gather(esFromSelection));
  ASSERT_EQ(Raw().size(), 1u);
  EXPECT_NE(Raw()[0].find("Carla Jones"), std::string::npos);

  SelectCodes({"1008"});
  ASSERT_TRUE(Gather(esFromSelection, true));
  EXPECT_EQ(Raw().size(), 1u);
  ASSERT_TRUE(Gather(esFromSelection, false));
  EXPECT_TRUE(Raw().empty());
  EXPECT_TRUE(HasLine("Ignoring distibutive list", 2));
}

TEST_F(GetQuilloRecipientsTest, ExclusionOptionsApplyOnlyToTheWholeFolder) {
  g_oOptions->ExcludePrivateContacts(true);
  g_oOptions->ExcludeReplied(true);
  UseProfile(DemoWithBulk(0, kInbox, "9.0.0.2711"));  // Outlook 2000: the folder command takes every item

  Show(kContacts);
  SelectCodes({"1002"});  // the private contact, selected by hand
  ASSERT_TRUE(Gather(esFromSelection));
  EXPECT_EQ(Raw().size(), 1u);
  ASSERT_TRUE(Gather(esFromFolder));
  EXPECT_TRUE(HasLine("Exclude private contacts", 2));
  for (const auto& s : Raw()) EXPECT_EQ(s.find("Bob Wilson"), std::string::npos) << s;

  Show(kInbox);
  SelectCodes({"0601"});  // already replied
  ASSERT_TRUE(Gather(esFromSelection));
  EXPECT_EQ(Raw().size(), 1u);
  ASSERT_TRUE(Gather(esFromFolder));
  EXPECT_TRUE(HasLine("Exclude already replied e-mail", 2));
  EXPECT_TRUE(HasLine("OUTLOOK 2000: get all folder items", 3));
}

TEST_F(GetQuilloRecipientsTest, FolderSourceFollowsTheViewFilterOnLaterOutlooksAndFallsBack) {
  // Outlook 2003 with the Inbox's filtered view: only what the search finds.
  ASSERT_TRUE(Gather(esFromFolder));
  EXPECT_TRUE(HasLine("get filtered items", 3));
  EXPECT_TRUE(HasLine("oResults.GetFirst", 3));

  // A failed search takes every item of the folder, with an error line.
  Outlook().Faults().FailAlways("Application.AdvancedSearch");
  ASSERT_TRUE(Gather(esFromFolder));
  Outlook().Faults().Clear();
  bool bFailedLine = false;
  for (const auto& o : Lines())
    bFailedLine |=
        o.sSource == kSource && o.nKind == 3 && o.sMessage.rfind("AdvancedSearch failed{scope = '", 0) == 0;
  EXPECT_TRUE(bFailedLine);
  EXPECT_TRUE(HasLine("get all folder items", 3));

  // A view without a filter takes every item without searching.
  Show(kContacts);
  Outlook().Support().ClearLines();
  ASSERT_TRUE(Gather(esFromFolder));
  EXPECT_FALSE(HasLine("get filtered items", 3));
  EXPECT_TRUE(HasLine("get all folder items", 3));
}

TEST_F(GetQuilloRecipientsTest, FilteredTopFolderOfTheDefaultStoreGathersNothing) {
  const std::string kTop = "\\Mailbox - Jane Doe";
  Outlook().Data().FolderByPath(kTop)->oView = {
      "Filtered", "<view><filter>&quot;urn:schemas:httpmail:subject&quot; LIKE '%a%'</filter></view>"};
  Show(kTop);
  EXPECT_FALSE(Gather(esFromFolder));
  EXPECT_TRUE(Raw().empty());
  auto vec = Messages(kSource, 3);
  ASSERT_EQ(vec.size(), 1u);
  EXPECT_EQ(vec[0], "sScope is zero length");
  EXPECT_EQ(Outlook().Faults().Calls("Application.AdvancedSearch"), 0);
}

// Quotes in a folder's name, even two in a row, reach the search doubled: the view's filter
// holds and the people it hides are not addressed.
TEST_F(GetQuilloRecipientsTest, QuotesInTheFolderNameKeepTheViewFilter) {
  const std::string sName = "Jane's ''Mail";
  UseProfile(DemoWithBulk(3, kInbox, "11.0.5608", sName));
  const std::string sPath = "\\Mailbox - Jane Doe\\" + sName;
  Outlook().Data().FolderByPath(sPath)->oView = {
      "Filtered", "<view><filter>&quot;urn:schemas:httpmail:subject&quot; LIKE '%Bulk 2%'</filter></view>"};
  Show(sPath);
  ASSERT_TRUE(Gather(esFromFolder));
  EXPECT_EQ(Raw(), std::vector<std::string>{"Sender 2 <sender2@bulk.example.com>"});
  EXPECT_TRUE(HasLine("oResults.GetFirst", 3));
  EXPECT_FALSE(HasLine("get all folder items", 3));
}

TEST_F(GetQuilloRecipientsTest, OutlookTwoThousandTwoSearchesLikeTwoThousandThree) {
  UseProfile(DemoWithBulk(0), "10.0.2627");
  ASSERT_TRUE(Gather(esFromFolder));
  EXPECT_TRUE(HasLine("OUTLOOK XP/2K3: get Filtered/allitems from folder", 3));
  EXPECT_TRUE(HasLine("oResults.GetFirst", 3));
}

TEST_F(GetQuilloRecipientsTest, InvalidSourceIsRefusedWithAnErrorLine) {
  EXPECT_FALSE(Gather(static_cast<ERecipientsFrom>(2)));
  auto vec = Messages(kSource, 3);
  ASSERT_EQ(vec.size(), 1u);
  EXPECT_EQ(vec[0], "Invalid ERecipientsFrom value = 2");
}

TEST_F(GetQuilloRecipientsTest, WarningAtOneHundredItemsAndProgressFromTwenty) {
  for (int n : {19, 20, 99, 100}) {
    UseProfile(DemoWithBulk(n));
    Show(kBulk);
    SelectAllOf(kBulk);
    m_pBoxes->ClearHistory();
    ASSERT_TRUE(Gather(esFromSelection)) << n;
    EXPECT_EQ(m_pBoxes->History().size(), n >= 100 ? 1u : 0u) << n;
    EXPECT_EQ(m_bUseProgressWND, n >= 20) << n;
    EXPECT_EQ(static_cast<int>(Raw().size()), n);
    if (m_bUseProgressWND) {
      EXPECT_TRUE(g_frmProgress->IsLoaded());
      EXPECT_EQ(g_frmProgress->barProgress.Value(), n);
      g_frmProgress->ProgressDone();
    }
  }
  const auto& oBox = m_pBoxes->History().back();
  EXPECT_EQ(
      oBox.sPrompt,
      "Warning! You are attempting to add a large number of recipients to your new message. Do you want to "
      "continue?");
  EXPECT_EQ(oBox.nButtons, platform::vbYesNo);
  EXPECT_EQ(oBox.sTitle, "Quillo");
}

TEST_F(GetQuilloRecipientsTest, DecliningTheWarningCreatesNoSafeObjectAndAddsNothing) {
  UseProfile(DemoWithBulk(100));
  Show(kBulk);
  SelectAllOf(kBulk);
  m_pBoxes->QueueAnswer(platform::vbNo);
  EXPECT_FALSE(Gather(esFromSelection));
  EXPECT_TRUE(Raw().empty());
  EXPECT_EQ(Outlook().Faults().Calls("Redemption.MAPIUtils"), 0);
  EXPECT_EQ(Outlook().Faults().Calls("Redemption.SafeMailItem"), 0);
}

TEST_F(GetQuilloRecipientsTest, CancelInStageOneReturnsFalseAndClosesTheWindow) {
  UseProfile(DemoWithBulk(30));
  Show(kBulk);
  SelectAllOf(kBulk);
  // The user presses Cancel while the window lets messages run.
  m_pLoop->Post([] { platform::Forms().Driver().Click(g_frmProgress->btnCancel); });
  EXPECT_FALSE(Gather(esFromSelection));
  EXPECT_FALSE(g_frmProgress->IsLoaded());
  EXPECT_LT(Raw().size(), 30u);
}

TEST_F(GetQuilloRecipientsTest, EventsDuringTheGatheringDoNotChangeWhatIsGathered) {
  UseProfile(DemoWithBulk(40));
  Show(kBulk);
  SelectAllOf(kBulk);
  ASSERT_TRUE(Gather(esFromSelection));
  auto vecQuiet = Raw();
  g_frmProgress->ProgressDone();

  // The selection changes and a second explorer closes while the progress window pumps.
  int n = Outlook().OpenExplorer(kContacts);
  Outlook().ActivateExplorer(1);
  m_pLoop->Post([&] { Outlook().Select(1, {kPrefix + "1001"}); });
  m_pLoop->Post([&, n] { Outlook().CloseExplorer(n); });
  ASSERT_TRUE(Gather(esFromSelection));
  EXPECT_EQ(Raw(), vecQuiet);
  EXPECT_EQ(Outlook().ExplorerCount(), 1);
}

// Whatever host call fails, the result is False or a partial list with an error line; nothing
// escapes to the caller.
TEST_F(GetQuilloRecipientsTest, NoFaultEscapesFromAWholeGathering) {
  auto pProfile = DemoWithBulk(0);
  const std::vector<std::string> vecCodes = {"0601", "0602", "0603", "0511", "0901", "0902", "0903",
                                             "1001", "1003", "1008", "1301", "1302", "0606"};
  for (int64_t nCall = 1; nCall <= 400; nCall += 3) {
    UseProfile(pProfile);
    SelectCodes(vecCodes);
    Outlook().Support().ClearLines();
    Outlook().Faults().FailNth(sim::FaultInjector::kAnyMember, nCall);
    bool bResult = false;
    EXPECT_NO_THROW(bResult = Gather(esFromSelection)) << nCall;
    if (!bResult) {
      // A failure that ended the gathering was reported.
      EXPECT_GT(Outlook().Faults().InjectedCount(), 0) << nCall;
      EXPECT_FALSE(Messages(kSource, 3).empty()) << nCall;
    }
  }
}

}  // namespace
