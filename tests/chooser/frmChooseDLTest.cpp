// The choose-list dialog's queries, flag index, folder paths and icon keys, run against the
// simulated mailbox (Outlook 2000 for the range restriction, 2003 for the advanced search).
#include <gtest/gtest.h>

#include "advsearch/QuilloAdvSearch.h"
#include "chooser/COutlookItems.h"
#include "chooser/frmChooseDL.h"
#include "common/mGlobals.h"
#include "common/mWinAPI.h"
#include "host/Redemption.h"
#include "sim/Redemption.h"
#include "support/SimFixture.h"

namespace {

const std::string kLists = "\\Mailbox - Jane Doe\\Contacts\\Test Lists";

class frmChooseDLTest : public SimFixture {
 protected:
  void Open(const std::string& sVersion) {
    sim::Profile oProfile = *sim::DemoProfile();
    sim::ProfileFolder oFolder;
    oFolder.sName = "Test Lists";
    oFolder.nDefaultItemType = 2;
    auto Add = [&](const std::string& sSubject,
                   std::vector<std::pair<int32_t, host::Variant>> vecProps = {}) {
      sim::ProfileItem o;
      o.nClass = 69;
      o.sSubject = sSubject;
      o.vecProps = std::move(vecProps);
      oFolder.vecItems.push_back(o);
    };
    Add("O'Brien family", {{0x10900003, int32_t{2}}, {0x10950003, int32_t{3}}});
    Add("OBrien", {{0x10900003, int32_t{2}}});
    Add("Say \"hi\" team", {{0x10900003, int32_t{1}}});
    Add("Aa");
    Add("ab", {{0x10900003, int32_t{2}}, {0x10950003, int32_t{6}}});
    Add("abz");
    Add("ac");
    Add("caf\xC3\xA9");  // café
    Add("caf\xC3\xA9 society");
    Add("caf\xC3\xAA");         // cafê: above café
    Add("zo\xC3\xBF");          // zoÿ
    Add("zo\xC3\xBF\xC3\xBF");  // zoÿÿ
    for (auto& o : oProfile.vecStores[0].vecFolders)
      if (o.sName == "Contacts") o.vecFolders.push_back(oFolder);
    MakeOutlook(sim::CheckProfile(std::move(oProfile)), sVersion);
    g_oApp = Outlook().Application();
    RegisterQuilloAdvSearch();
  }
  void TearDown() override {
    g_oApp.reset();
    if (m_pOutlook) {
      EXPECT_TRUE(Outlook().EscapedErrors().empty());
    }
    SimFixture::TearDown();
  }

  // The subjects a Find text lists in the test folder, as the dialog's item source gets them.
  std::vector<std::string> Found(const std::string& sText) {
    auto o = std::make_shared<COutlookItems>();
    EXPECT_TRUE(o->Init(Outlook().FolderByPath(kLists), frmChooseDL::FILTER_ALL_DL, frmChooseDL::SORT_SUBJECT,
                        frmChooseDL::SORT_SUBJECT_DASL));
    if (frmChooseDL::UseDaslSearch())
      o->SetAdvancedRestrict(frmChooseDL::FindDaslQuery(sText));
    else
      o->SetRestrict(frmChooseDL::FindRestriction(sText));
    std::vector<std::string> vec;
    for (int32_t i = 1, n = o->Count(); i <= n; ++i) vec.push_back(o->Item(i)->Subject());
    return vec;
  }

  std::shared_ptr<host::OutlookItem> BySubject(const std::string& sSubject) {
    return Outlook().FolderByPath(kLists)->Items()->Item(host::Variant(sSubject));
  }
};

TEST_F(frmChooseDLTest, TheQueriesHaveTheirFixedShape) {
  EXPECT_EQ(frmChooseDL::FindRestriction("Tea"),
            "[MessageClass] = \"IPM.DistList\" And [Subject] >= \"Tea\" And [Subject] < \"Teb\"");
  EXPECT_EQ(frmChooseDL::FindDaslQuery("Tea"),
            "\"http://schemas.microsoft.com/mapi/proptag/0x001a001e\" LIKE '%IPM.DistList%' And "
            "urn:schemas:mailheader:subject LIKE '%Tea'");
  // Quotes of the query's own kind are doubled, so no text changes its shape.
  EXPECT_EQ(frmChooseDL::FindDaslQuery("O'Brien' Or '1"),
            "\"http://schemas.microsoft.com/mapi/proptag/0x001a001e\" LIKE '%IPM.DistList%' And "
            "urn:schemas:mailheader:subject LIKE '%O''Brien'' Or ''1'");
  EXPECT_EQ(frmChooseDL::FindRestriction("Say \"h"),
            "[MessageClass] = \"IPM.DistList\" And [Subject] >= \"Say \"\"h\" And [Subject] < \"Say \"\"i\"");
}

TEST_F(frmChooseDLTest, Outlook2000FindsTheNamesThatStartWithTheText) {
  Open("9.0.0.2711");
  EXPECT_FALSE(frmChooseDL::UseDaslSearch());
  EXPECT_EQ(Found("ab"), (std::vector<std::string>{"ab", "abz"}));
  EXPECT_EQ(Found("O'B"), std::vector<std::string>{"O'Brien family"});
  EXPECT_EQ(Found("Say \"hi"), std::vector<std::string>{"Say \"hi\" team"});
  // The successor of the last character, never of its last byte.
  EXPECT_EQ(Found("caf\xC3\xA9"), (std::vector<std::string>{"caf\xC3\xA9", "caf\xC3\xA9 society"}));
  // ÿ has no successor in the code page: the range stays open above.
  EXPECT_EQ(frmChooseDL::FindRestriction("zo\xC3\xBF"),
            "[MessageClass] = \"IPM.DistList\" And [Subject] >= \"zo\xC3\xBF\"");
  EXPECT_EQ(Found("zo\xC3\xBF"), (std::vector<std::string>{"zo\xC3\xBF", "zo\xC3\xBF\xC3\xBF"}));
  EXPECT_EQ(frmChooseDL::FindRestriction("\xCE\xA9"),
            "[MessageClass] = \"IPM.DistList\" And [Subject] >= \"\xCE\xA9\"");
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(frmChooseDLTest, LaterVersionsSearchTheNameWithQuotesIntact) {
  Open("11.0.5608");
  EXPECT_TRUE(frmChooseDL::UseDaslSearch());
  EXPECT_EQ(Found("O'Brien"), std::vector<std::string>{"O'Brien family"});
  EXPECT_EQ(Found("\"hi\""), std::vector<std::string>{"Say \"hi\" team"});
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(frmChooseDLTest, TheFlagIndexFromStatusAndFollowUpIcon) {
  Open("11.0.5608");
  EXPECT_EQ(frmChooseDL::GetFlagIndex(BySubject("O'Brien family")), 5);
  EXPECT_EQ(frmChooseDL::GetFlagIndex(BySubject("OBrien")), 2);
  EXPECT_EQ(frmChooseDL::GetFlagIndex(BySubject("ab")), 2);
  EXPECT_EQ(frmChooseDL::GetFlagIndex(BySubject("Say \"hi\" team")), 1);
  EXPECT_EQ(frmChooseDL::GetFlagIndex(BySubject("Aa")), 0);
  sim::SetRedemptionInstalled(Outlook().SessionState(), false);
  EXPECT_EQ(frmChooseDL::GetFlagIndex(BySubject("O'Brien family")), 0);
  EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(frmChooseDLTest, FolderPathsAndIconKeys) {
  Open("11.0.5608");
  EXPECT_EQ(GetFolderPath(Outlook().FolderByPath(kLists)), "\\\\Mailbox - Jane Doe\\Contacts\\Test Lists");
  EXPECT_EQ(GetFolderPath(Outlook().FolderByPath("\\Archive")), "\\\\Archive");
  frmChooseDL f;
  auto Key = [&](const std::string& sPath) { return f.GetFolderIconKey(Outlook().FolderByPath(sPath)); };
  EXPECT_EQ(Key("\\Mailbox - Jane Doe"), "Personal");
  EXPECT_EQ(Key("\\Archive"), "PersonalOther");
  EXPECT_EQ(Key("\\Mailbox - Jane Doe\\Inbox"), "Inbox");
  EXPECT_EQ(Key("\\Mailbox - Jane Doe\\Junk E-mail"), "Junk");
  EXPECT_EQ(Key("\\Mailbox - Jane Doe\\Sent Items"), "SentMail");
  EXPECT_EQ(Key("\\Mailbox - Jane Doe\\Sent Items\\Sent 2003"), "Folder");
  EXPECT_EQ(Key("\\Mailbox - Jane Doe\\Calendar"), "Calendar");
  EXPECT_EQ(Key(kLists), "Contacts");
  EXPECT_EQ(Key("\\Mailbox - Jane Doe\\Notes"), "Notes");
  EXPECT_EQ(ErrorCount(), 0u);
  EXPECT_EQ(frmChooseDL::GetSortingString(4, false), "");
  EXPECT_EQ(LinesOf("frmChooseDL::GetSortingString").at(0).sMessage, "Invalid column - 4");
}

#if !defined(_WIN32)
// Without windows the routine works on the in-memory stand-in; the Windows build tests a real window.
TEST(mWinAPI, ChangesAStyleOnlyWhenItDiffers) {
  constexpr platform::WindowHandle hTree = 0x77;
  EXPECT_TRUE(mWinAPI::ChangeWindowStyle(hTree, 4, 0));
  EXPECT_FALSE(mWinAPI::ChangeWindowStyle(hTree, 4, 0));
  EXPECT_EQ(mWinAPI::Api().GetWindowLongA(hTree, mWinAPI::kGwlStyle), 4);
  EXPECT_TRUE(mWinAPI::ChangeWindowStyle(hTree, 0x10, 4, true));
  EXPECT_EQ(mWinAPI::Api().GetWindowLongA(hTree, mWinAPI::kGwlExStyle), 0x10);
  EXPECT_TRUE(mWinAPI::ChangeWindowStyle(hTree, 1, 4));
  EXPECT_EQ(mWinAPI::Api().GetWindowLongA(hTree, mWinAPI::kGwlStyle), 1);
}

#endif

}  // namespace
