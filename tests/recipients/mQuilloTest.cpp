// The item address helpers on the demo profile's items: where a mail lies, the replied mark,
// SMTP addresses behind address entries, a contact's e-mails, the sender, linked contacts and
// the filter of a view.
#include <gtest/gtest.h>

#include "RecipientsFixture.h"
#include "recipients/mQuillo.h"
#include "sim/Redemption.h"
#include "support/XmlView.h"

namespace {

constexpr int32_t kError = 3;

// An address entry of any type, counting the fields read from it.
class FakeEntry : public host::SafeAddressEntry {
 public:
  FakeEntry(std::string sAddress, std::string sType)
      : m_sAddress(std::move(sAddress)), m_sType(std::move(sType)) {}
  std::string Name() override { return {}; }
  std::string Address() override { return m_sAddress; }
  host::Variant Fields(int32_t) override {
    ++nFieldReads;
    return m_sType;
  }
  int nFieldReads = 0;

 private:
  std::string m_sAddress, m_sType;
};

using testsupport::XmlView;

class mQuilloTest : public RecipientsFixture {
 protected:
  std::vector<std::string> Addresses(const std::string& sCode) {
    return Strings(mQuillo::GetContactEmailAddresses(ItemOf<host::ContactItem>(sCode)));
  }
  bool Received(const std::string& sCode) { return mQuillo::IsMailReceived(ItemOf<host::MailItem>(sCode)); }
};

TEST(isEmailAddressTest, NeedsTextAroundTheAtAndAfterTheFollowingPoint) {
  EXPECT_TRUE(mQuillo::isEmailAddress("a@b.c"));
  EXPECT_TRUE(mQuillo::isEmailAddress("a@b.c.d"));
  for (const char* s : {"@b.c", "a@.c", "a@b.", "a.b@c", ""}) EXPECT_FALSE(mQuillo::isEmailAddress(s)) << s;
}

TEST_F(mQuilloTest, AMailBelowDraftsOutboxOrSentItemsIsNotReceived) {
  // Sent Items, its subfolder Sent 2003, Outbox, Drafts; then Inbox, Projects, another store.
  for (const char* s : {"0501", "0511", "0401", "1601"}) EXPECT_FALSE(Received(s)) << s;
  for (const char* s : {"0601", "5002", "7001"}) EXPECT_TRUE(Received(s)) << s;
  EXPECT_EQ(ErrorCount(), 0u);

  Outlook().Faults().FailNth("MAPIFolder.Parent", 1);
  EXPECT_TRUE(Received("0511"));
  EXPECT_EQ(Messages("mQuillo::IsMailReceived", kError).size(), 1u);
}

TEST_F(mQuilloTest, TheRepliedMarkIsIconIndex261AndItsAbsenceIsNoError) {
  auto oUtils = host::CreateObject<host::MAPIUtils>(host::progid::MAPIUtils);
  EXPECT_TRUE(mQuillo::IsMailReplied(ItemOf<host::MailItem>("0601"), oUtils));
  auto oMail = ItemOf<host::MailItem>("0602");
  EXPECT_FALSE(mQuillo::IsMailReplied(oMail, oUtils));
  oUtils->HrSetOneProp(oMail, host::tag::PR_ICON_INDEX, host::Variant(int16_t{261}), true);
  EXPECT_TRUE(mQuillo::IsMailReplied(oMail, oUtils));
  EXPECT_FALSE(mQuillo::IsMailReplied(oMail, nullptr));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(mQuilloTest, SafeGetSmtpAddressLowerCasesAndReportsOnlyReadableOtherTypes) {
  auto oSmtp = std::make_shared<FakeEntry>("Jane.Doe@Contoso.COM", "SMTP");
  EXPECT_EQ(mQuillo::SafeGetSmtpAddress(oSmtp, true), "jane.doe@contoso.com");
  EXPECT_EQ(oSmtp->nFieldReads, 0);
  EXPECT_EQ(mQuillo::SafeGetSmtpAddress(std::make_shared<FakeEntry>("FAX:123", "FAX"), false), "fax:123");
  EXPECT_EQ(mQuillo::SafeGetSmtpAddress(nullptr, true), "");
  EXPECT_TRUE(Lines().empty());

  mQuillo::SafeGetSmtpAddress(std::make_shared<FakeEntry>("FAX:123", "FAX"), true);
  ASSERT_EQ(Lines().size(), 1u);
  EXPECT_EQ(Lines()[0].sSource, "mQuillo::SafeGetSmtpAddress");
  EXPECT_EQ(Lines()[0].sMessage, "strType = 'FAX' oSafeEntry.Address = 'FAX:123'");
}

TEST_F(mQuilloTest, ContactAddressesAreTheSmtpAddressesOfEmailsOneToThreeEachOnce) {
  EXPECT_EQ(Addresses("1004"), (std::vector<std::string>{"dan.miller@example.com"}));   // e-mail 2 repeats 1
  EXPECT_EQ(Addresses("1003"), (std::vector<std::string>{"carla.jones@example.org"}));  // e-mail 2 only
  EXPECT_EQ(Addresses("1006"), (std::vector<std::string>{"juergen.mueller@contoso.com"}));  // Exchange
  EXPECT_EQ(Addresses("1007"),
            (std::vector<std::string>{"john.smith@example.com", "john.smith@fabrikam.com"}));
  EXPECT_TRUE(Addresses("1005").empty());
  EXPECT_TRUE(Lines().empty());

  sim::SetRedemptionInstalled(Outlook().SessionState(), false);
  EXPECT_TRUE(Addresses("1001").empty());
  EXPECT_EQ(Messages("mQuillo::GetContactEmailAddresses", kError).size(), 1u);
}

TEST_F(mQuilloTest, TheSenderAddressIsReadAsStored) {
  EXPECT_EQ(mQuillo::GetSenderEmailAddress(ItemOf<host::MailItem>("0601")), "maria.garcia@example.com");
  EXPECT_EQ(mQuillo::GetSenderEmailAddress(ItemOf<host::MailItem>("0602")),
            "/o=Contoso/ou=First Administrative Group/cn=Recipients/cn=pbrown");
  EXPECT_EQ(mQuillo::GetSenderEmailAddress(ItemOf<host::MailItem>("0501")), "");
  EXPECT_TRUE(Lines().empty());
}

TEST_F(mQuilloTest, LinkedContactsComeByAddressOrByNameAndOtherLinksAddNothing) {
  CRecipients oRecipients;
  // Eve Adams (no address) and Bob Wilson (private, which a selection ignores).
  mQuillo::SafeGetLinks(ItemOf("0903"), oRecipients, esFromSelection);
  // Maria Garcia, Eve Adams again, and a distribution list.
  Outlook().DeleteItem("0000000044454D4F1005");
  mQuillo::SafeGetLinks(ItemOf("1301"), oRecipients, esFromSelection);

  auto colEmails = oRecipients.EmailRecipients();
  ASSERT_EQ(colEmails->Count(), 2);
  EXPECT_EQ(colEmails->Item(1).sEmail, "bob.wilson@example.com");
  EXPECT_EQ(Strings(colEmails->Item(1).colNames), (std::vector<std::string>{"Bob Wilson"}));
  EXPECT_EQ(colEmails->Item(2).sEmail, "maria.garcia@example.com");
  // Eve by her full name, then by the name of the link to her deleted item: one name.
  ASSERT_EQ(oRecipients.NameRecipients()->Count(), 1);
  EXPECT_EQ(oRecipients.NameRecipients()->Item(1).sName, "Eve Adams");
  EXPECT_EQ(ErrorCount(), 0u);

  mQuillo::SafeGetLinks(ItemOf("0601"), oRecipients, esFromSelection);  // a mail has no links
  EXPECT_EQ(Messages("mQuillo::SafeGetLinks", kError).size(), 1u);
}

TEST_F(mQuilloTest, TheViewFilterIsTheFilterElementWithItsEntitiesDecoded) {
  Outlook().Start(nullptr);  // opens the profile's explorer on the Inbox
  EXPECT_EQ(mQuillo::GetViewFilter(Outlook().ExplorerAt(1)->CurrentView()),
            "\"urn:schemas:httpmail:subject\" LIKE '%project%'");
  EXPECT_EQ(Messages("mQuillo::GetViewFilter", 1).size(), 3u);

  auto fnFilter = [](const char* sXml) { return mQuillo::GetViewFilter(std::make_shared<XmlView>(sXml)); };
  EXPECT_EQ(fnFilter("<v><FILTER>&QUOT;x&quot; = 'A &amp; B'</Filter><filter>2</filter></v>"),
            "\"x\" = 'A & B'");
  // Each entity once: "&amp;quot;" is the text "&quot;", not a quote.
  EXPECT_EQ(fnFilter("<filter>&quot;s&quot; = '&amp;quot;&amp;&quot;&lt;1&gt;&apos;'</filter>"),
            "\"s\" = '&quot;&\"<1>''");
  EXPECT_EQ(fnFilter("<filter>&#65;&#x42;&#X43;&#xe9;&#8364;&#x1F600;</filter>"),
            "ABC\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  // What is no reference stays as it is.
  EXPECT_EQ(fnFilter("<filter>a & b &; &#; &#0; &#xD800; &#x110000; &#12a; &nbsp; &amp</filter>"),
            "a & b &; &#; &#0; &#xD800; &#x110000; &#12a; &nbsp; &amp");
  EXPECT_EQ(fnFilter("<v><viewname>All</viewname></v>"), "");
  EXPECT_EQ(fnFilter("<v></filter><filter>"), "");
  EXPECT_EQ(mQuillo::GetViewFilter(nullptr), "");
  EXPECT_EQ(Messages("mQuillo::GetViewFilter", kError).size(), 1u);
}

}  // namespace
