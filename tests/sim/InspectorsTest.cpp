// The simulated inspector windows: what Display opens and what the user's send, save and close
// do to the item, its events and its folders; and the simulated distribution list's members.
#include <gtest/gtest.h>

#include "sim/Inspectors.h"
#include "sim/ItemObjects.h"
#include "sim/Outlook.h"
#include "support/ErrorOf.h"

namespace {

using testsupport::ErrorOf;

class InspectorsTest : public ::testing::Test {
 protected:
  void Make(const std::string& sVersion = {}) {
    m_pOutlook = std::make_unique<sim::Outlook>(sim::DemoProfile(), sVersion);
  }
  std::shared_ptr<host::MailItem> NewMail(const std::vector<std::string>& vecNames) {
    auto oMail = host::As<host::MailItem>(m_pOutlook->Application()->CreateItem(host::olMailItem));
    for (const auto& s : vecNames) oMail->Recipients()->Add(s);
    return oMail;
  }
  sim::FolderData& Folder(int32_t n) { return *m_pOutlook->Data().DefaultFolder(n); }

  std::unique_ptr<sim::Outlook> m_pOutlook;
};

TEST_F(InspectorsTest, SendRaisesSendOnEveryListenerThenMovesTheMessageToSentItems) {
  Make();
  auto oMail = NewMail({"maria.garcia@example.com", "Peter Brown"});
  oMail->Display();
  oMail->Display();  // the same window comes to the front
  sim::Inspectors oInspectors(*m_pOutlook);
  ASSERT_EQ(oInspectors.Count(), 1);

  std::vector<std::string> vecHeard;
  auto c1 = oMail->OnSend.Connect([&](bool&) {
    vecHeard.push_back("first");
    host::Raise(host::err::E_FAIL, "a broken add-in");
  });
  auto c2 = oMail->OnSend.Connect([&](bool&) { vecHeard.push_back("second"); });
  const size_t nSent = Folder(host::olFolderSentMail).vecItems.size();
  EXPECT_TRUE(oInspectors.Send(1));
  EXPECT_EQ(vecHeard, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(m_pOutlook->EscapedErrorPlaces(), (std::vector<std::string>{"MailItem.Send"}));
  EXPECT_EQ(oInspectors.Count(), 0);
  ASSERT_EQ(Folder(host::olFolderSentMail).vecItems.size(), nSent + 1);
  EXPECT_EQ(Folder(host::olFolderSentMail).vecItems.back()->vecRecipients.size(), 2u);
}

TEST_F(InspectorsTest, RefusalsAndCancelsLeaveTheWindowOpen) {
  Make();
  auto oMail = NewMail({});
  oMail->Display();
  sim::Inspectors oInspectors(*m_pOutlook);
  EXPECT_EQ(ErrorOf([&] { oInspectors.Send(1); }), host::err::E_FAIL);  // nobody to send to
  oMail->Recipients()->Add("Nobody Known");
  EXPECT_EQ(ErrorOf([&] { oInspectors.Send(1); }), host::err::E_FAIL);  // a name that does not resolve

  auto oOther = NewMail({"anna.lee@example.net"});
  oOther->Display();
  auto c = oOther->OnSend.Connect([](bool& Cancel) { Cancel = true; });
  EXPECT_FALSE(oInspectors.Send(2));
  EXPECT_EQ(oInspectors.Count(), 2);
}

TEST_F(InspectorsTest, SaveKeepsADraftAndCloseDiscardsWhatWasNeverSaved) {
  Make();
  auto oDraft = NewMail({"anna.lee@example.net"});
  auto oScrap = NewMail({"anna.lee@example.net"});
  int nWrites = 0, nCloses = 0;
  auto c1 = oDraft->OnWrite.Connect([&](bool&) { ++nWrites; });
  auto c2 = oScrap->OnClose.Connect([&](bool&) { ++nCloses; });
  oDraft->Display();
  oScrap->Display();
  sim::Inspectors oInspectors(*m_pOutlook);
  const size_t nDrafts = Folder(host::olFolderDrafts).vecItems.size();
  EXPECT_TRUE(oInspectors.Save(1));
  EXPECT_TRUE(oInspectors.Close(2));
  EXPECT_EQ(nWrites, 1);
  EXPECT_EQ(nCloses, 1);
  EXPECT_EQ(Folder(host::olFolderDrafts).vecItems.size(), nDrafts + 1);
  EXPECT_TRUE(sim::ItemDataOf(oDraft)->bSaved);
  EXPECT_FALSE(sim::ItemDataOf(oScrap)->bSaved);
  EXPECT_EQ(oInspectors.Count(), 1);
}

TEST_F(InspectorsTest, ListMembersMustResolveAndAddMemberIsMissingBeforeOutlook2002) {
  Make("9.0.0.2711");
  auto oList =
      host::As<host::DistListItem>(m_pOutlook->Application()->CreateItem(host::olDistributionListItem));
  auto oSession = m_pOutlook->Application()->Session();
  EXPECT_EQ(ErrorOf([&] { oList->AddMember(oSession->CreateRecipient("Anna Lee")); }),
            host::err::NoSuchMember);

  auto oCarrier = NewMail({"Anna Lee", "Nobody Known"});
  EXPECT_EQ(ErrorOf([&] { oList->AddMembers(oCarrier->Recipients()); }), host::err::E_FAIL);
  EXPECT_EQ(oList->MemberCount(), 0);  // a refused call adds nobody

  oList->Display();
  sim::Inspectors oInspectors(*m_pOutlook);
  EXPECT_EQ(ErrorOf([&] { oInspectors.Save(1); }), host::err::E_FAIL);  // a list needs a name
  oInspectors.SetSubject(1, "Friends");
  const size_t nContacts = Folder(host::olFolderContacts).vecItems.size();
  EXPECT_TRUE(oInspectors.Save(1));
  EXPECT_EQ(Folder(host::olFolderContacts).vecItems.size(), nContacts + 1);
}

}  // namespace
