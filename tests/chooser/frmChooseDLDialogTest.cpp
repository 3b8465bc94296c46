// The choose-list dialog as the user drives it, on every forms backend of the build, over the
// simulated mailbox: the lazy grid, the name sort, Find in both modes, type-ahead, what OK,
// a double click, Cancel, Esc and the close box return, and host failures that leave the
// dialog open and usable.
// The simulation's headers use names that <windows.h> (brought by the Win32 forms backend)
// defines as macros: they come first.
#include "sim/FaultInjector.h"
#include "sim/Outlook.h"
#include "sim/Profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "advsearch/QuilloAdvSearch.h"
#include "chooser/frmChooseDL.h"
#include "common/mGlobals.h"
#include "platform/Controls.h"
#include "platform/FormsTestBackends.h"
#include "platform/WindowProc.h"

namespace {

const std::string kContacts = "\\Mailbox - Jane Doe\\Contacts";
const std::string kTestLists = kContacts + "\\Test Lists";
const std::string kFewLists = kContacts + "\\Few Lists";
const std::string kNoLists = kContacts + "\\No Lists";
const std::string kInbox = "\\Mailbox - Jane Doe\\Inbox";

// The names of Test Lists in the order the dialog sorts them (folded, by code point: Ä after z).
const std::vector<std::string> kSorted = {"Aa",
                                          "ab",
                                          "abz",
                                          "ac",
                                          "Book club",
                                          "caf\xC3\xA9",
                                          "caf\xC3\xA9 society",
                                          "Chess",
                                          "Darts",
                                          "Hiking",
                                          "O'Brien family",
                                          "OBrien",
                                          "Running",
                                          "Say \"hi\" team",
                                          "Tea Club",
                                          "Team Leads",
                                          "Yoga",
                                          "zo\xC3\xBF",
                                          "zo\xC3\xBF\xC3\xBF",
                                          "\xC3\x84rger-Liste"};

constexpr uint32_t kWmLButtonDown = 0x0201, kWmLButtonUp = 0x0202, kWmLButtonDblClk = 0x0203;
constexpr int16_t kKeyEnd = 35;

class frmChooseDLDialogTest : public FormsBackendTest {
 protected:
  void SetUp() override {
    FormsBackendTest::SetUp();
    if (IsSkipped()) return;
    Open("11.0.5608");
  }
  void TearDown() override {
    if (IsSkipped()) return;
    if (HasFailure())
      for (const auto& o : log->OfKind(3))
        std::cerr << "  error line: " << o.sSource << ": " << o.sMessage << "\n";
    Close();
    FormsBackendTest::TearDown();
  }

  // A mailbox whose Contacts folder holds three folders of its own: twenty lists in no order,
  // three lists, and one contact without any list.
  void Open(const std::string& sVersion) {
    Close();
    sim::Profile oProfile = *sim::DemoProfile();
    auto Folder = [](const std::string& sName, const std::vector<std::string>& vecLists) {
      sim::ProfileFolder oFolder;
      oFolder.sName = sName;
      oFolder.nDefaultItemType = host::olContactItem;
      for (const auto& s : vecLists) {
        sim::ProfileItem o;
        o.nClass = host::olDistributionList;
        o.sSubject = s;
        o.sCategories = "Cat " + s;
        o.sBody = "Notes of " + s;
        oFolder.vecItems.push_back(o);
      }
      return oFolder;
    };
    std::vector<std::string> vecScrambled = kSorted;
    std::rotate(vecScrambled.begin(), vecScrambled.begin() + 7, vecScrambled.end());
    std::reverse(vecScrambled.begin(), vecScrambled.begin() + 9);
    sim::ProfileFolder oNoLists = Folder("No Lists", {});
    sim::ProfileItem oContact;
    oContact.nClass = host::olContact;
    oContact.sFullName = "Lone Contact";
    oNoLists.vecItems.push_back(oContact);
    for (auto& o : oProfile.vecStores[0].vecFolders)
      if (o.sName == "Contacts")
        o.vecFolders.insert(o.vecFolders.end(), {Folder("Test Lists", vecScrambled),
                                                 Folder("Few Lists", {"One", "Two", "Three"}), oNoLists});
    m_pOutlook = std::make_unique<sim::Outlook>(sim::CheckProfile(std::move(oProfile)), sVersion);
    g_oApp = m_pOutlook->Application();
    RegisterQuilloAdvSearch();
  }

  void Close() {
    if (g_frmChooseDL.IsCreated() && g_frmChooseDL->IsLoaded()) g_frmChooseDL->Unload();
    g_frmChooseDL.Reset();
    g_oChosenDL.reset();
    g_oApp.reset();
    m_pOutlook.reset();
  }

  sim::Outlook& Outlook() { return *m_pOutlook; }
  frmChooseDL& Dialog() { return *g_frmChooseDL; }
  std::string IdOf(const std::string& sPath) { return Outlook().FolderByPath(sPath)->EntryID(); }
  void Select(const std::string& sPath) { Driver().ClickNode(Dialog().treFolders, IdOf(sPath)); }
  // What happens once a burst of scrolling has paused: the scroll timer's interval runs out.
  void Pause() {
    platform::Sleep(20);
    platform::DoEvents();
  }
  void Search(const std::string& sText) {
    frmChooseDL& f = Dialog();
    f.txtFind.SetFocus();
    f.txtFind.SetText("");
    Driver().Type(f.txtFind, sText);
    Driver().PressKey(f.txtFind, platform::vbKeyReturn);
  }
  int64_t Calls(const char* sMember) { return Outlook().Faults().Calls(sMember); }

  // The names in the grid, "" for rows not drawn yet.
  std::vector<std::string> Names() {
    platform::Grid& g = Dialog().ctlGrid;
    std::vector<std::string> vec;
    for (int32_t r = 1; r < g.Rows() - 1; ++r) vec.push_back(g.TextMatrix(r, frmChooseDL::colSubject));
    return vec;
  }
  // The first n sorted names, then "" up to the count.
  static std::vector<std::string> Drawn(const std::vector<std::string>& vecNames, size_t nFirst,
                                        size_t nEnd) {
    std::vector<std::string> vec(vecNames.size());
    for (size_t i = nFirst; i < nEnd && i < vecNames.size(); ++i) vec[i] = vecNames[i];
    return vec;
  }
  std::vector<std::string> ErrorSources() {
    std::vector<std::string> vec;
    for (const auto& o : log->OfKind(3)) vec.push_back(o.sSource);
    return vec;
  }
  // ShowChooseDList with the user's actions posted before it: they run once the dialog waits.
  std::string Choose() {
    auto oList = ShowChooseDList();
    return oList ? oList->Subject() : "(nothing)";
  }
  // The user's actions once the modal dialog waits, one after the other: each is posted when the
  // one before has ended. An action that lets the pump run (a tree view following the mouse, a
  // search) would otherwise play the ones behind it in the middle of itself.
  void PostSteps(std::vector<std::function<void()>> vecSteps) {
    if (vecSteps.empty()) return;
    platform::Loop().Post([this, vecSteps]() mutable {
      auto fnStep = vecSteps.front();
      vecSteps.erase(vecSteps.begin());
      fnStep();
      PostSteps(std::move(vecSteps));
    });
  }

  std::unique_ptr<sim::Outlook> m_pOutlook;
};

TEST_P(frmChooseDLDialogTest, OpensOnTheDefaultContactsFolderAndFillsOnlyTheRowsInView) {
  frmChooseDL& f = Dialog();
  f.Show();
  EXPECT_EQ(Driver().CaptionOf(f), "Select distribution list");
  EXPECT_EQ(Driver().ClientOf(f), (platform::TwipsRect{0, 0, 9360, 6840}));
  EXPECT_EQ(f.ctlGrid.Bounds(), (platform::TwipsRect{240, 3720, 8895, 2415}));
  EXPECT_EQ(
      Driver().TextOf(f.lblHint),
      "Choose contacts folder and select distribution list. You can filter items by clicking \"Find\" and "
      "reset filter by clicking \"Clear\".");
  EXPECT_EQ(Driver().SelectedNodeOf(f.treFolders), IdOf(kContacts));
  EXPECT_EQ(f.treFolders.Node(IdOf("\\Mailbox - Jane Doe"))->sImage, "Personal");
  EXPECT_EQ(f.treFolders.Node(IdOf(kTestLists))->sImage, "Contacts");
  EXPECT_TRUE(Driver().IsEnabled(f.btnNext));

  // Twenty lists: the grid has a row for each and the hidden last row, but only seven are read.
  const int64_t nReads = Calls("Items.Item");
  Select(kTestLists);
  EXPECT_EQ(f.ctlGrid.Rows(), 22);
  EXPECT_EQ(f.ctlGrid.RowHeight(21), 0);
  EXPECT_EQ(Names(), Drawn(kSorted, 0, 7));
  EXPECT_EQ(Calls("Items.Item") - nReads, 7);
  EXPECT_EQ(f.ctlGrid.TextMatrix(1, frmChooseDL::colCategories), "Cat Aa");
  EXPECT_EQ(f.ctlGrid.TextMatrix(1, frmChooseDL::colBody), "Notes of Aa");
  EXPECT_EQ(f.ctlGrid.TextMatrix(1, frmChooseDL::colEntryID),
            Outlook().FolderByPath(kTestLists)->Items()->Item(host::Variant("Aa"))->EntryID());
  f.ctlGrid.SetRow(0);
  f.ctlGrid.SetCol(frmChooseDL::colSubject);
  EXPECT_EQ(f.ctlGrid.CellPicture(), f.imgSort2.Picture());  // ascending: the upward marker
  EXPECT_TRUE(Driver().IsEnabled(f.btnNext));
  EXPECT_TRUE(log->OfKind(3).empty());
  f.Unload();
}

TEST_P(frmChooseDLDialogTest, ScrollingFillsThePageInViewOnceTheScrollingPauses) {
  frmChooseDL& f = Dialog();
  f.Show();
  Select(kTestLists);
  const int64_t nReads = Calls("Items.Item"), nQueries = Calls("Items.Restrict");
  // A burst of scrolling: nothing is read until it pauses, then one pass over the rows in view.
  Driver().ScrollGrid(f.ctlGrid, platform::sb::ThumbPosition, 8);
  Driver().ScrollGrid(f.ctlGrid, platform::sb::LineDown);
  Driver().ScrollGrid(f.ctlGrid, platform::sb::LineDown);
  Driver().ScrollGrid(f.ctlGrid, platform::sb::EndScroll);
  const int32_t nTop = Driver().TopRowOf(f.ctlGrid);
  EXPECT_EQ(nTop, 10);
  EXPECT_EQ(Calls("Items.Item"), nReads);
  Pause();
  std::vector<std::string> vecExpected = Drawn(kSorted, 0, 7);
  for (size_t i = 9; i < 16; ++i) vecExpected[i] = kSorted[i];
  EXPECT_EQ(Names(), vecExpected);
  EXPECT_EQ(Calls("Items.Item") - nReads, 7);
  EXPECT_EQ(Calls("Items.Restrict") - nQueries, 1);

  // The wheel scrolls by lines as the scroll bar does, and the pause draws what came into view.
  Driver().Wheel(f.ctlGrid, -120);
  const int32_t nAfterWheel = Driver().TopRowOf(f.ctlGrid);
  EXPECT_GT(nAfterWheel, nTop);
  Pause();
  for (int32_t r = nAfterWheel; r < nAfterWheel + 7 && r <= 20; ++r)
    EXPECT_EQ(f.ctlGrid.TextMatrix(r, frmChooseDL::colSubject), kSorted[static_cast<size_t>(r - 1)]) << r;
  EXPECT_TRUE(log->OfKind(3).empty());
  f.Unload();
}

TEST_P(frmChooseDLDialogTest, TheNameHeaderTurnsTheSortRoundAndOtherHeadersDoNothing) {
  frmChooseDL& f = Dialog();
  f.Show();
  Select(kTestLists);
  std::vector<std::string> vecDescending(kSorted.rbegin(), kSorted.rend());
  auto SortMarker = [&] {
    f.ctlGrid.SetRow(0);
    f.ctlGrid.SetCol(frmChooseDL::colSubject);
    return f.ctlGrid.CellPicture();
  };

  Driver().ClickCell(f.ctlGrid, 0, frmChooseDL::colSubject);
  EXPECT_TRUE(f.ViewItems()->SortDescending());
  EXPECT_EQ(Names(), Drawn(vecDescending, 0, 7));
  EXPECT_EQ(SortMarker(), f.imgSort1.Picture());

  const int64_t nQueries = Calls("Items.Restrict");
  for (int32_t nCol :
       {frmChooseDL::colIcon, frmChooseDL::colFlag, frmChooseDL::colCategories, frmChooseDL::colBody})
    Driver().ClickCell(f.ctlGrid, 0, nCol);
  EXPECT_EQ(Calls("Items.Restrict"), nQueries);
  EXPECT_TRUE(f.ViewItems()->SortDescending());

  Driver().ClickCell(f.ctlGrid, 0, frmChooseDL::colSubject);
  EXPECT_FALSE(f.ViewItems()->SortDescending());
  EXPECT_EQ(Names(), Drawn(kSorted, 0, 7));
  EXPECT_EQ(SortMarker(), f.imgSort2.Picture());
  EXPECT_TRUE(log->OfKind(3).empty());
  f.Unload();
}

TEST_P(frmChooseDLDialogTest, FindNarrowsByNameInBothModesWithQuotesIntact) {
  for (const char* sVersion : {"9.0.0.2711", "11.0.5608"}) {
    SCOPED_TRACE(sVersion);
    const bool b2000 = sVersion[0] == '9';
    Open(sVersion);
    frmChooseDL& f = Dialog();
    f.Show();
    Select(kTestLists);

    Search("O'Brien");
    EXPECT_EQ(Names(), std::vector<std::string>{"O'Brien family"});
    EXPECT_EQ(f.ctlGrid.RowHeight(2), 0);
    Search(b2000 ? "Say \"hi" : "\"hi\"");
    EXPECT_EQ(Names(), std::vector<std::string>{"Say \"hi\" team"});
    // The same text again queries nothing.
    const int64_t nQueries = Calls("Items.Restrict") + Calls("Application.AdvancedSearch");
    Driver().Click(f.btnFind);
    EXPECT_EQ(Calls("Items.Restrict") + Calls("Application.AdvancedSearch"), nQueries);

    // From the start of the name on Outlook 2000, anywhere in it later.
    Search("ab");
    EXPECT_EQ(Names(), (std::vector<std::string>{"ab", "abz"}));
    Search("club");
    EXPECT_EQ(Names(),
              (b2000 ? std::vector<std::string>{} : std::vector<std::string>{"Book club", "Tea Club"}));
    if (b2000) {
      // ÿ is the last character of the code page: everything from the text on.
      Search("zo\xC3\xBF");
      EXPECT_EQ(Names(),
                (std::vector<std::string>{"zo\xC3\xBF", "zo\xC3\xBF\xC3\xBF", "\xC3\x84rger-Liste"}));
    }

    Driver().Click(f.btnClear);
    EXPECT_EQ(Driver().TextOf(f.txtFind), "");
    EXPECT_EQ(Names(), Drawn(kSorted, 0, 7));
    EXPECT_FALSE(f.ViewItems()->IsAdvancedRestrict());
    EXPECT_TRUE(log->OfKind(3).empty());
    f.Unload();
  }
}

TEST_P(frmChooseDLDialogTest, TypingOnTheTreeOrTheGridStartsTheSearchText) {
  frmChooseDL& f = Dialog();
  f.Show();
  Select(kTestLists);
  f.treFolders.SetFocus();
  Driver().Type(f.treFolders, "\xC3\x84");  // Ä
  EXPECT_EQ(Driver().TextOf(f.txtFind), "\xC3\x84");
  EXPECT_EQ(f.ActiveControl(), &f.txtFind);
  f.ctlGrid.SetFocus();
  Driver().Type(f.ctlGrid, "r");
  EXPECT_EQ(Driver().TextOf(f.txtFind), "\xC3\x84r");
  EXPECT_EQ(f.ActiveControl(), &f.txtFind);
  Driver().PressKey(f.txtFind, platform::vbKeyReturn);
  EXPECT_EQ(Names(), std::vector<std::string>{"\xC3\x84rger-Liste"});
  EXPECT_TRUE(log->OfKind(3).empty());
  f.Unload();
}

TEST_P(frmChooseDLDialogTest, OkAndADoubleClickReturnTheListAndNothingChosenAsksForOne) {
  frmChooseDL& f = Dialog();
  PostSteps({[&] { Select(kTestLists); },
             [&] { Driver().ClickCell(f.ctlGrid, 3, frmChooseDL::colCategories); },
             [&] { Driver().Click(f.btnNext); }});
  EXPECT_EQ(Choose(), kSorted[2]);
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(g_oChosenDL, nullptr);

  PostSteps(
      {[&] { Select(kTestLists); }, [&] { Driver().DblClickCell(f.ctlGrid, 5, frmChooseDL::colSubject); }});
  EXPECT_EQ(Choose(), kSorted[4]);

  // A search that leaves nothing keeps OK enabled; OK then asks for a list and stays.
  bool bShownAfterOk = false;
  PostSteps({[&] { Select(kTestLists); }, [&] { Search("no such list"); },
             [&] {
               EXPECT_EQ(f.ctlGrid.Rows(), 2);
               EXPECT_TRUE(Driver().IsEnabled(f.btnNext));
               Driver().Click(f.btnNext);
               bShownAfterOk = Driver().IsShown(f);
             },
             [&] { Driver().Click(f.btnCancel); }});
  EXPECT_EQ(Choose(), "(nothing)");
  EXPECT_TRUE(bShownAfterOk);
  ASSERT_EQ(m_pBoxes->History().size(), 1u);
  EXPECT_EQ(m_pBoxes->History()[0].sPrompt, "Please choose at least one distibution list.");
  EXPECT_EQ(m_pBoxes->History()[0].sTitle, "Choose At Least One Name");
  EXPECT_EQ(m_pBoxes->History()[0].nButtons, platform::vbOKOnly);
  EXPECT_TRUE(log->OfKind(3).empty());
}

TEST_P(frmChooseDLDialogTest, FoldersWithoutListsOrContacts) {
  frmChooseDL& f = Dialog();
  f.Show();
  // A contacts folder without lists: the header row and the hidden row, OK disabled.
  Select(kNoLists);
  EXPECT_TRUE(Driver().IsShown(f.ctlGrid));
  EXPECT_EQ(f.ctlGrid.Rows(), 2);
  EXPECT_EQ(f.ctlGrid.RowHeight(1), 0);
  EXPECT_FALSE(Driver().IsEnabled(f.btnNext));
  EXPECT_TRUE(Driver().IsEnabled(f.btnFind));

  // Any other folder: no grid, nothing to find or confirm; the search text stays.
  Driver().Type(f.txtFind, "Tea");
  Select(kInbox);
  EXPECT_FALSE(Driver().IsShown(f.ctlGrid));
  EXPECT_FALSE(Driver().IsEnabled(f.btnNext));
  EXPECT_FALSE(Driver().IsEnabled(f.btnFind));
  EXPECT_FALSE(Driver().IsEnabled(f.txtFind));
  EXPECT_EQ(f.ViewItems()->GetFolder(), nullptr);

  // Back in a contacts folder the list starts unfiltered whatever the search box says.
  Select(kFewLists);
  EXPECT_TRUE(Driver().IsShown(f.ctlGrid));
  EXPECT_EQ(Names(), (std::vector<std::string>{"One", "Three", "Two"}));
  EXPECT_EQ(Driver().TextOf(f.txtFind), "Tea");
  EXPECT_TRUE(Driver().IsEnabled(f.btnNext));
  EXPECT_TRUE(log->OfKind(3).empty());
  f.Unload();
}

TEST_P(frmChooseDLDialogTest, CancelEscTheCloseBoxAndADoubleClickOnTheHiddenRowChooseNothing) {
  frmChooseDL& f = Dialog();
  Driver().PostClick(f.btnCancel);
  EXPECT_EQ(Choose(), "(nothing)");

  PostSteps({[&] { Driver().PressKey(f.treFolders, platform::vbKeyEscape); }});
  EXPECT_EQ(Choose(), "(nothing)");

  PostSteps({[&] { Driver().CloseBox(f); }});
  EXPECT_EQ(Choose(), "(nothing)");

  // End makes the hidden last row current; a double click below the rows then chooses nothing.
  bool bStillShown = false;
  PostSteps({[&] { Select(kFewLists); },
             [&] {
               Driver().PressKey(f.ctlGrid, kKeyEnd);
               EXPECT_EQ(f.ctlGrid.Row(), 4);
               const intptr_t nBelowRows = intptr_t(20) | (intptr_t(140) << 16);  // pixels, well below row 4
               platform::SendWindowMessage(f.ctlGrid.hWnd(), kWmLButtonDown, 1, nBelowRows);
               platform::SendWindowMessage(f.ctlGrid.hWnd(), kWmLButtonUp, 0, nBelowRows);
               platform::SendWindowMessage(f.ctlGrid.hWnd(), kWmLButtonDblClk, 1, nBelowRows);
               platform::SendWindowMessage(f.ctlGrid.hWnd(), kWmLButtonUp, 0, nBelowRows);
               bStillShown = Driver().IsShown(f);
             },
             [&] { Driver().Click(f.btnCancel); }});
  EXPECT_EQ(Choose(), "(nothing)");
  EXPECT_TRUE(bStillShown);
  EXPECT_TRUE(m_pBoxes->History().empty());
  EXPECT_TRUE(log->OfKind(3).empty());
}

TEST_P(frmChooseDLDialogTest, HostFailuresLeaveTheDialogOpenAndUsable) {
  frmChooseDL& f = Dialog();
  sim::FaultInjector& oFaults = Outlook().Faults();
  f.Show();

  // The folder cannot be opened: the grid stays as it was.
  oFaults.FailNth("NameSpace.GetFolderFromID", 1);
  Select(kFewLists);
  EXPECT_EQ(ErrorSources(), std::vector<std::string>{"frmChooseDL::treFolders_NodeClick"});
  Select(kTestLists);
  EXPECT_EQ(Names(), Drawn(kSorted, 0, 7));

  // A list that cannot be read stops the pass; the rows drawn before it stay.
  log->lines.clear();
  oFaults.FailNth("DistListItem.Subject", 3);
  Driver().ClickCell(f.ctlGrid, 0, frmChooseDL::colSubject);
  EXPECT_EQ(ErrorSources(), std::vector<std::string>{"frmChooseDL::DrawItems"});
  std::vector<std::string> vecDescending(kSorted.rbegin(), kSorted.rend());
  EXPECT_EQ(Names(), Drawn(vecDescending, 0, 2));
  Driver().ClickCell(f.ctlGrid, 0, frmChooseDL::colSubject);
  EXPECT_EQ(Names(), Drawn(kSorted, 0, 7));

  // The query is refused: the item source's and the grid's error lines. The item source already
  // holds the new filter, so the grid shows no rows rather than the old filter's, and OK has
  // nothing to return; Clear again tries the query anew.
  Search("Lead");
  EXPECT_EQ(Names(), std::vector<std::string>{"Team Leads"});
  log->lines.clear();
  oFaults.FailNth("Items.Restrict", 1);
  Driver().Click(f.btnClear);
  EXPECT_EQ(ErrorSources(),
            (std::vector<std::string>{"COutlookItems::GetItems", "frmChooseDL::RefreshGrid"}));
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(f.ctlGrid.Rows(), 2);
  Driver().Click(f.btnClear);
  EXPECT_EQ(Names(), Drawn(kSorted, 0, 7));

  // The search component is missing: Find fails and the grid keeps its previous content.
  log->lines.clear();
  UnregisterQuilloAdvSearch();
  Search("Lead");
  EXPECT_EQ(ErrorSources(), (std::vector<std::string>{"CAdvancedSearch::SyncSearch", "frmChooseDL::Find"}));
  EXPECT_EQ(Names(), Drawn(kSorted, 0, 7));
  RegisterQuilloAdvSearch();
  Driver().Click(f.btnClear);

  // Unreadable flags only leave the flag cells empty; a failing help changes nothing.
  log->lines.clear();
  oFaults.FailAlways("MAPIUtils.HrGetOneProp");
  Search("Lead");
  EXPECT_EQ(Names(), std::vector<std::string>{"Team Leads"});
  EXPECT_TRUE(log->OfKind(3).empty());
  oFaults.Clear();

  // Still usable to the end: OK returns the list in the selected row.
  Driver().ClickCell(f.ctlGrid, 1, frmChooseDL::colSubject);
  Driver().Click(f.btnNext);
  EXPECT_FALSE(f.IsLoaded());
  ASSERT_NE(g_oChosenDL, nullptr);
  EXPECT_EQ(g_oChosenDL->Subject(), "Team Leads");
  EXPECT_TRUE(Outlook().EscapedErrors().empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, frmChooseDLDialogTest, ::testing::ValuesIn(FormsBackendNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
