// The recipient list in the simulated Outlook: duplicates merged without regard to case, the
// resolution through the Redemption safe mail item with its one-off fallback, progress and
// cancel, the readers' errors, and a missing or failing Redemption library.
#include <gtest/gtest.h>

#include "RecipientsFixture.h"
#include "host/Redemption.h"
#include "recipients/CRecipients.h"
#include "sim/Redemption.h"
#include "support/ErrorOf.h"

namespace {

using testsupport::ErrorOf;

constexpr int32_t kWarning = 2, kError = 3;

class CRecipientsTest : public RecipientsFixture {
 protected:
  // The resolved list as "text {id, id}".
  std::vector<std::string> Resolved() {
    std::vector<std::string> vec;
    for (int32_t i = 1; i <= m_oRecipients.GetResolvedCount(); ++i) {
      std::string s = m_oRecipients.GetResolvedName(i) + " {";
      for (const auto& sID : *m_oRecipients.GetResolvedAssocItemIDs(i))
        s += (s.back() == '{' ? "" : ", ") + sID;
      vec.push_back(s + "}");
    }
    return vec;
  }
  // A raw recipient's entry IDs, as the list hands them out.
  std::vector<std::string> IDsOf(const CEntryIDList& oList) { return Strings(m_oRecipients.EntryIDs(oList)); }
  bool Resolve(bool bUseProgressWND = false) { return m_oRecipients.Resolve(bUseProgressWND, m_bCanceled); }
  void Add(const std::string& sName, const std::string& sEmail, const std::string& sID = {}) {
    m_oRecipients.AddRecipient(sName, sEmail, sID);
  }

  CRecipients m_oRecipients;
  bool m_bCanceled = true;
};

TEST_F(CRecipientsTest, AddressesAndNamesAreKeptOnceWithoutRegardToCaseInTheirFirstSpelling) {
  Add("Jane", "Jane.Doe@Contoso.com", "ID1");
  Add("J. Doe", "jane.doe@contoso.com", "ID1");
  Add("JANE", "JANE.DOE@CONTOSO.COM");
  Add("Jürgen", "JÜRGEN@Example.de", "ID2");
  Add("jürgen", "jürgen@example.de", "id3");
  Add("ÄRGER Verteiler", "", "ID4");
  Add("ärger verteiler", "", "id4");

  auto colEmails = m_oRecipients.EmailRecipients();
  ASSERT_EQ(colEmails->Count(), 2);
  EXPECT_EQ(colEmails->Item(1).sEmail, "Jane.Doe@Contoso.com");
  EXPECT_EQ(Strings(colEmails->Item(1).colNames), (std::vector<std::string>{"Jane", "J. Doe"}));
  EXPECT_EQ(IDsOf(colEmails->Item(1).oEntryIDs), (std::vector<std::string>{"ID1"}));
  EXPECT_EQ(colEmails->Item(2).sEmail, "JÜRGEN@Example.de");
  EXPECT_EQ(Strings(colEmails->Item(2).colNames), (std::vector<std::string>{"Jürgen"}));
  EXPECT_EQ(IDsOf(colEmails->Item(2).oEntryIDs), (std::vector<std::string>{"ID2", "id3"}));
  ASSERT_EQ(m_oRecipients.NameRecipients()->Count(), 1);
  EXPECT_EQ(m_oRecipients.NameRecipients()->Item(1).sName, "ÄRGER Verteiler");
  EXPECT_EQ(IDsOf(m_oRecipients.NameRecipients()->Item(1).oEntryIDs), (std::vector<std::string>{"ID4"}));
}

// The first name is kept apart from the others: each look-up must still find every name, in
// any case, and a copy must not share the later names with its original.
TEST_F(CRecipientsTest, NameListKeepsEveryNameOnceInOrderAndCopiesThemAll) {
  CNameList colNames;
  EXPECT_EQ(colNames.Count(), 0);
  for (const char* s : {"Jane", "", "J. Doe", "JANE", "j. doe", "Doe, Jane", "J. DOE"})
    colNames.AddIfAbsent(s);
  EXPECT_EQ(Strings(colNames), (std::vector<std::string>{"Jane", "J. Doe", "Doe, Jane"}));

  CNameList colCopy = colNames;
  colCopy.AddIfAbsent("Janie");
  EXPECT_EQ(colCopy.Count(), 4);
  EXPECT_EQ(colNames.Count(), 3);
  EXPECT_EQ(ErrorOf([&] { colNames.Item(0); }), host::err::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { colNames.Item(4); }), host::err::SubscriptOutOfRange);
}

TEST_F(CRecipientsTest, ResolvedEntryIDsHeldByACallerStayAsTheyWereWhenMoreRecipientsCome) {
  Add("Jane Doe", "jane.doe@contoso.com", "A");
  ASSERT_TRUE(Resolve());
  std::shared_ptr<const CStringCollection> colHeld = m_oRecipients.GetResolvedAssocItemIDs(1);
  Add("Jane", "JANE.DOE@contoso.com", "B");
  Add("Jane Doe", "jane.doe@contoso.com", "a");  // the same ID in another case: kept once
  ASSERT_TRUE(Resolve());
  EXPECT_EQ(Resolved(), (std::vector<std::string>{"Jane Doe {A, B}"}));
  ASSERT_EQ(colHeld->Count(), 1);
  EXPECT_EQ(colHeld->Item(1), "A");
  // Nor does the recipient list change under the resolved list it gave.
  EXPECT_EQ(IDsOf(m_oRecipients.EmailRecipients()->Item(1).oEntryIDs).size(), 2u);
}

TEST_F(CRecipientsTest, AnItemNamedAgainAfterOthersIsListedOnceInTheOrderItFirstCame) {
  // An item that names the address twice, and items met again after others (a selection may
  // hold one twice), under a name that merges with the address when resolved.
  Add("Jane Doe", "jane.doe@contoso.com", "A");
  Add("Jane", "jane.doe@contoso.com", "A");
  Add("Bob", "bob@example.com", "B");
  Add("Jane Doe", "jane.doe@contoso.com", "B");
  Add("Jane Doe", "jane.doe@contoso.com", "a");
  Add("Jane Doe", "", "C");
  Add("Jane Doe", "", "A");
  Add("Jane Doe", "", "b");

  EXPECT_EQ(IDsOf(m_oRecipients.EmailRecipients()->Item(1).oEntryIDs), (std::vector<std::string>{"A", "B"}));
  ASSERT_TRUE(Resolve());
  EXPECT_EQ(Resolved(), (std::vector<std::string>{"Jane Doe {A, B, C}", "Bob <bob@example.com> {B}"}));
}

TEST_F(CRecipientsTest, AnAddressWithoutAtFallsBackToTheNameAndNothingAtAllIsDropped) {
  Add("Sales", "");
  Add("Bob", "bob-at-example.com", "ID1");
  Add("", "", "ID2");

  EXPECT_EQ(Messages("CRecipients::AddRecipient", kWarning),
            (std::vector<std::string>{"Using Name='Sales', ignoring invalid email=''",
                                      "Using Name='Bob', ignoring invalid email='bob-at-example.com'",
                                      "Using Name='', ignoring invalid email=''",
                                      "Ignoring empty recipient (no email, no name)"}));
  EXPECT_EQ(m_oRecipients.EmailRecipients(), nullptr);
  ASSERT_EQ(m_oRecipients.NameRecipients()->Count(), 2);
  EXPECT_EQ(IDsOf(m_oRecipients.NameRecipients()->Item(2).oEntryIDs), (std::vector<std::string>{"ID1"}));
}

TEST_F(CRecipientsTest, ResolveGivesAddressBookNamesMergesEqualTextsAndLeavesOutUnknownNames) {
  Add("Jane Doe", "Jane.Doe@Contoso.com", "A");
  Add("Sales", "", "S");
  Add("Maria Garcia", "maria.garcia@example.com", "B");
  Add("maria garcia", "", "C");
  Add("JÜRGEN MÜLLER", "juergen.mueller@contoso.com", "D");

  EXPECT_TRUE(Resolve());
  EXPECT_FALSE(m_bCanceled);
  // Addresses first, then names; the name that resolves to Maria Garcia joins her entry.
  EXPECT_EQ(Resolved(),
            (std::vector<std::string>{"Jane Doe {A}", "Maria Garcia {B, C}", "JÜRGEN MÜLLER {D}"}));
  auto vecLines = LinesOf("CRecipients::Resolve");
  ASSERT_EQ(vecLines.size(), 1u);
  EXPECT_EQ(vecLines[0].sMessage, "Recipient(Email=\") 'Sales' not resolved");
  EXPECT_EQ(vecLines[0].nLevel, 2);
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(CRecipientsTest, AnAddressNoCandidateResolvesToBecomesAOneOffThatOutlookResolves) {
  Add("Peter Brown", "john.smith@fabrikam.com", "A");  // another address
  Add("John Smith", "JOHN.SMITH@fabrikam.com", "B");   // ambiguous
  Add("maria.garcia@example.com", "Someone@Example.org");
  Add("", "j.doe@example.com");
  Add("  ", "k.doe@example.com");

  EXPECT_TRUE(Resolve());
  EXPECT_EQ(Resolved(),
            (std::vector<std::string>{"John Smith <john.smith@fabrikam.com> {A, B}", "Someone@Example.org {}",
                                      "j.doe@example.com {}", "k.doe@example.com {}"}));
  EXPECT_EQ(ErrorCount(), 0u);
  auto oRecipient = Outlook().Application()->Session()->CreateRecipient(m_oRecipients.GetResolvedName(1));
  ASSERT_TRUE(oRecipient->Resolve());
  EXPECT_EQ(oRecipient->Address(), "john.smith@fabrikam.com");
}

TEST_F(CRecipientsTest, ACandidateTheMailRefusesIsSkippedWithoutLosingTheAddress) {
  Add("Jane", "jane.doe@contoso.com", "A");
  Add("Jane Doe", "jane.doe@contoso.com");
  Outlook().Faults().FailNth("SafeRecipients.Add", 1);

  EXPECT_TRUE(Resolve());
  EXPECT_EQ(Resolved(), (std::vector<std::string>{"Jane Doe {A}"}));
  EXPECT_EQ(Messages("CRecipients::ResolveEmailRecipient", kError).size(), 1u);
}

TEST_F(CRecipientsTest, CancelDuringTheAddressesKeepsWhatResolvedSkipsTheNamesAndClosesTheWindow) {
  Add("Jane Doe", "jane.doe@contoso.com", "A");
  Add("Anna Lee", "anna.lee@example.net", "B");
  Add("Project Team", "");
  frmProgress& f = *g_frmProgress;
  // The user clicks Cancel once the first address is done.
  host::Connection conn =
      platform::Forms().OnControlChanged.Connect([&](platform::Control& c, platform::Prop) {
        if (&c == &f.barProgress && f.barProgress.Value() == 1)
          platform::Forms().Driver().PostClick(f.btnCancel);
      });

  EXPECT_FALSE(Resolve(true));
  EXPECT_TRUE(m_bCanceled);
  EXPECT_EQ(Resolved(), (std::vector<std::string>{"Jane Doe {A}"}));
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(Outlook().Faults().Calls(host::progid::SafeMailItem), 1);
}

TEST_F(CRecipientsTest, WithoutACancelStageTwoLeavesTheWindowOpenEvenForNothing) {
  EXPECT_FALSE(Resolve(true));
  frmProgress& f = *g_frmProgress;
  ASSERT_TRUE(f.IsLoaded());
  EXPECT_EQ(f.lblProgress2.Caption(), "Please wait.Resolving recipients [0 of 0] ...");
  EXPECT_TRUE(Lines().empty());

  Add("Anna Lee", "anna.lee@example.net");
  EXPECT_TRUE(Resolve(true));
  EXPECT_TRUE(f.Visible());
  EXPECT_EQ(f.lblProgress2.Caption(), "Please wait.Resolving recipients [1 of 1] ...");
  f.ProgressDone();
}

TEST_F(CRecipientsTest, TheReadersPassTheCollectionsErrorsOn) {
  Add("Jane Doe", "jane.doe@contoso.com");
  EXPECT_EQ(ErrorOf([&] { m_oRecipients.GetResolvedCount(); }), host::err::ObjectNotSet);
  ASSERT_TRUE(Resolve());
  EXPECT_EQ(ErrorOf([&] { m_oRecipients.GetResolvedName(0); }), host::err::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { m_oRecipients.GetResolvedAssocItemIDs(2); }), host::err::SubscriptOutOfRange);
  // A later addition drops the resolved list until the next Resolve.
  Add("Anna Lee", "anna.lee@example.net");
  EXPECT_EQ(ErrorOf([&] { m_oRecipients.GetResolvedName(1); }), host::err::ObjectNotSet);
}

TEST_F(CRecipientsTest, WithoutTheRedemptionLibraryEveryRecipientFailsWithItsLineAndResolveIsFalse) {
  sim::SetRedemptionInstalled(Outlook().SessionState(), false);
  Add("Jane Doe", "jane.doe@contoso.com");
  Add("Anna Lee", "anna.lee@example.net");
  Add("Project Team", "");

  EXPECT_FALSE(Resolve());
  EXPECT_EQ(m_oRecipients.GetResolvedCount(), 0);
  auto vecErrors = LinesOf("CRecipients::ResolveEmailRecipient");
  ASSERT_EQ(vecErrors.size(), 2u);
  EXPECT_EQ(vecErrors[1].nError, host::err::CantCreateObject);
  EXPECT_EQ(Messages("CRecipients::CanResolveName", kError).size(), 1u);
  EXPECT_EQ(Messages("CRecipients::Resolve", kWarning).size(), 2u);
}

TEST_F(CRecipientsTest, NoHostFailureEscapesResolve) {
  for (int64_t nEvery = 1; nEvery <= 25; ++nEvery) {
    CRecipients oRecipients;
    oRecipients.AddRecipient("Jane", "jane.doe@contoso.com", "A");
    oRecipients.AddRecipient("Jane Doe", "jane.doe@contoso.com", "A");
    oRecipients.AddRecipient("Project Team", "", "B");
    Outlook().Faults().FailEvery("*", nEvery);
    bool bCanceled = false;
    EXPECT_NO_THROW(oRecipients.Resolve(nEvery % 2 == 0, bCanceled)) << nEvery;
    Outlook().Faults().Clear();
    g_frmProgress->ProgressDone();
  }
}

}  // namespace
