// Restricted and sorted Items collections of a large folder: worked out only around the positions
// read, they must still give exactly the order of a full stable sort, whatever order the
// positions are read in.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "host/Text.h"
#include "sim/FilterExpression.h"
#include "sim/ItemProperties.h"
#include "sim/Outlook.h"

namespace {

using host::Variant;

constexpr int kLists = 1500;

// Names with duplicates that differ only in case, non-ASCII letters, numbers and empty ones, so
// that ties and folding decide much of the order.
std::shared_ptr<const sim::Profile> ManyListsProfile() {
  const char* aNames[] = {"alpha", "Alpha", "ALPHA",  "Ärger",  "ärger", "arger", "b", "B",     "",    "Zeta",
                          "10",    "9",     "List 7", "list 7", "Œuvre", "œuvre", "Ø", "@home", "[x]", "`y"};
  sim::Profile oProfile = *sim::DemoProfile();
  std::mt19937 oRandom(17);
  for (auto& oFolder : oProfile.vecStores[0].vecFolders) {
    if (oFolder.sName != "Contacts") continue;
    for (int i = 0; i < kLists; ++i) {
      sim::ProfileItem o;
      o.nClass = host::olDistributionList;
      o.sSubject = aNames[oRandom() % std::size(aNames)];
      o.sBody = std::to_string(oRandom() % 50);
      oFolder.vecItems.push_back(std::move(o));
    }
  }
  return sim::CheckProfile(std::move(oProfile));
}

class SimItemsView : public testing::Test {
 protected:
  sim::Outlook m_oOutlook{ManyListsProfile()};
  std::shared_ptr<host::Items> m_oItems = m_oOutlook.FolderByPath("\\Mailbox - Jane Doe\\Contacts")->Items();

  // The entry IDs of the lists in the folder's order, and their values of a property.
  std::vector<std::pair<std::string, Variant>> Lists(const std::string& sProperty) {
    auto oLists = m_oItems->Restrict("[MessageClass] = \"IPM.DistList\"");
    std::vector<std::pair<std::string, Variant>> vec;
    for (int32_t i = 1, n = oLists->Count(); i <= n; ++i) {
      auto oItem = oLists->Item(Variant(i));
      const std::string sID = oItem->EntryID();
      vec.emplace_back(sID, sim::PropertyOf(m_oOutlook.Data(), *m_oOutlook.Data().ItemByID(sID), sProperty));
    }
    return vec;
  }

  // What a full stable sort of the lists gives.
  std::vector<std::pair<std::string, Variant>> SortedLists(const std::string& sProperty, bool bDescending) {
    auto vec = Lists(sProperty);
    std::stable_sort(vec.begin(), vec.end(), [&](const auto& a, const auto& b) {
      const int n = sim::CompareValues(a.second, b.second);
      return bDescending ? n > 0 : n < 0;
    });
    return vec;
  }
};

TEST_F(SimItemsView, AnyReadingOrderGivesTheStableSortOrder) {
  for (const char* sProperty : {"Subject", "Body"})
    for (bool bDescending : {false, true}) {
      auto vecExpected = SortedLists(sProperty, bDescending);
      // Last page first, then the first, then everything at random, as a scrolling user might.
      std::vector<int32_t> vecOrder(vecExpected.size());
      std::iota(vecOrder.begin(), vecOrder.end(), 1);
      std::shuffle(vecOrder.begin(), vecOrder.end(), std::mt19937(5));
      vecOrder.insert(vecOrder.begin(), {static_cast<int32_t>(vecExpected.size()), 1, 2});

      auto oSorted = m_oItems->Restrict("[MessageClass] = \"IPM.DistList\"");
      oSorted->Sort(std::string("[") + sProperty + "]", Variant(bDescending));
      ASSERT_EQ(oSorted->Count(), static_cast<int32_t>(vecExpected.size()));
      for (int32_t n : vecOrder)
        ASSERT_EQ(oSorted->Item(Variant(n))->EntryID(), vecExpected[static_cast<size_t>(n - 1)].first)
            << sProperty << (bDescending ? " descending" : " ascending") << ", position " << n;
      // A walk sees the same order.
      auto oWalk = oSorted->GetFirst();
      for (size_t i = 0; i < vecExpected.size(); ++i, oWalk = oSorted->GetNext())
        ASSERT_EQ(oWalk->EntryID(), vecExpected[i].first);
      EXPECT_EQ(oWalk, nullptr);
    }
}

TEST_F(SimItemsView, ASavedChangeIsSeenAtTheNextRead) {
  auto oSorted = m_oItems->Restrict("[MessageClass] = \"IPM.DistList\"");
  oSorted->Sort("[Subject]", Variant(false));
  const int32_t nCount = oSorted->Count();
  // The first list renamed, and a new one.
  auto oList = std::dynamic_pointer_cast<host::DistListItem>(oSorted->Item(Variant(1)));
  ASSERT_NE(oList, nullptr);
  oList->SetDLName("zzzz");
  oList->Save();
  auto oNew =
      std::dynamic_pointer_cast<host::DistListItem>(m_oItems->Add(Variant(host::olDistributionListItem)));
  oNew->SetDLName("Alpha");
  oNew->Save();
  const auto vecExpected = SortedLists("Subject", false);
  ASSERT_EQ(oSorted->Count(), nCount + 1);
  for (int32_t n = nCount + 1; n >= 1; --n)
    ASSERT_EQ(oSorted->Item(Variant(n))->EntryID(), vecExpected[static_cast<size_t>(n - 1)].first) << n;
}

TEST(SimFilterText, FoldedComparisonAgreesWithFoldCase) {
  const char* aTexts[] = {"",
                          "a",
                          "A",
                          "IPM.DistList",
                          "ipm.distlist",
                          "IPM.DistLis",
                          "IPM.DistListX",
                          "@",
                          "[",
                          "`",
                          "{",
                          "Z",
                          "ärger",
                          "Ärger",
                          "ÄRGER",
                          "arger",
                          "Long text with UPPER case",
                          "long text with upper case",
                          "long text with upper cast",
                          "ÿ",
                          "Œ",
                          "aÄ",
                          "AÄb"};
  auto fnSign = [](int n) { return n < 0 ? -1 : n > 0 ? 1 : 0; };
  for (const char* a : aTexts)
    for (const char* b : aTexts) {
      const std::string sFolded = host::FoldCase(b);
      EXPECT_EQ(fnSign(sim::CompareFolded(a, sFolded)), fnSign(host::FoldCase(a).compare(sFolded)))
          << '"' << a << "\" against \"" << b << '"';
    }
}

TEST_F(SimItemsView, TextPropertiesReadStraightFromTheBagAreTheirReadersText) {
  auto& oModel = m_oOutlook.Data();
  const char* aNames[] = {
      "Subject",         "DLName",   "MessageClass", "Body", "SenderName", "SenderEmailAddress",
      "SenderEmailType", "FullName", "Categories",   "To"};
  int nText = 0;
  for (auto* pFolder : oModel.AllFolders())
    for (const auto& pItem : pFolder->vecItems)
      for (const char* sName : aNames)
        if (int32_t nTag = sim::TextTagOf(sName); nTag != 0) {
          ++nText;
          EXPECT_EQ(sim::PropertyOf(oModel, *pItem, sName), Variant(pItem->oProps.Text(nTag))) << sName;
        }
  EXPECT_GT(nText, 0);
  EXPECT_EQ(sim::TextTagOf("Categories"), 0);
  EXPECT_EQ(sim::TextTagOf("To"), 0);
}

}  // namespace
