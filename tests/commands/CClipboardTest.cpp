// The clipboard keeper on the in-memory clipboard: what comes back after Restore, nesting, and
// every failure the system clipboard can give.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommandSetFixture.h"
#include "commands/CClipboard.h"

namespace {

using platform::portable::ClipboardModel;
using Entries = std::vector<ClipboardModel::Entry>;

const std::vector<uint8_t> kText = {'f', 'i', 'r', 's', 't', 0};
const std::vector<uint8_t> kOther = {'o', 't', 'h', 'e', 'r', 0};

class CClipboardTest : public CommandSetFixture {
 protected:
  void SetUp() override {
    CommandSetFixture::SetUp();
    MakeOutlook(DemoWithExplorers({}));  // the support library records the lines
  }
  // Formats placed on the clipboard (the derived bitmap left out) with their bytes.
  Entries Placed() {
    Entries vec;
    for (auto& o : m_pClipboard->Contents())
      if (o.bBlock) vec.push_back(o);
    return vec;
  }
  std::vector<std::string> Warnings(const std::string& sSource) {
    std::vector<std::string> vec;
    for (const auto& o : LinesOf(sSource))
      if (o.nKind == mGlobals::tkWarning) vec.push_back(o.sMessage);
    return vec;
  }
  void PutOther() { m_pClipboard->Replace({{platform::CF_TEXT, kOther, true}}); }

  CClipboard m_oKeeper;
};

MATCHER_P2(IsEntry, nFormat, vecData, "") {
  return arg.uFormat == static_cast<platform::UINT>(nFormat) && arg.vecData == vecData;
}

TEST_F(CClipboardTest, TextAndPictureComeBackAndWhatWasPutBetweenIsGone) {
  auto vecDib = mButtonFaces::ResourceDib(103);
  platform::UINT nPrivate = m_pClipboard->RegisterClipboardFormatA("Private Thing");
  m_pClipboard->Replace(
      {{platform::CF_TEXT, kText, true}, {platform::CF_DIB, vecDib, true}, {nPrivate, {}, true}});
  m_oKeeper.Save();
  EXPECT_EQ(m_oKeeper.SavedCount(), 3u);  // the bitmap derived from the DIB is no memory block
  PutOther();
  m_oKeeper.Restore();
  EXPECT_THAT(Placed(),
              testing::ElementsAre(IsEntry(platform::CF_TEXT, kText), IsEntry(platform::CF_DIB, vecDib),
                                   IsEntry(nPrivate, std::vector<uint8_t>())));
  // ...and Windows derives the bitmap from the DIB again.
  EXPECT_EQ(m_pClipboard->Contents().back().uFormat, platform::CF_BITMAP);
  EXPECT_EQ(Warnings("CClipboard::Save"),
            std::vector<std::string>{"GlobalLock(2147418112), Err.LastDllError = 6"});
  EXPECT_EQ(m_oKeeper.UseCount(), 0);
  EXPECT_EQ(m_oKeeper.SavedCount(), 0u);
  EXPECT_FALSE(m_pClipboard->IsOpen());
  EXPECT_EQ(m_pClipboard->LiveBlocks(), 3u);
  EXPECT_EQ(CountOf("CClipboard::Restore", "{"), 1u);
  EXPECT_EQ(CountOf("CClipboard::Restore", "}"), 1u);
}

TEST_F(CClipboardTest, OnlyTheOutermostPairTouchesTheClipboard) {
  m_pClipboard->Replace({{platform::CF_TEXT, kText, true}});
  m_oKeeper.Save();
  m_oKeeper.Save();
  PutOther();
  m_oKeeper.Restore();
  EXPECT_THAT(Placed(), testing::ElementsAre(IsEntry(platform::CF_TEXT, kOther)));
  m_oKeeper.Restore();
  EXPECT_THAT(Placed(), testing::ElementsAre(IsEntry(platform::CF_TEXT, kText)));
  EXPECT_EQ(CountOf("CClipboard::Save", "{"), 1u);
  EXPECT_EQ(CountOf("CClipboard::Restore", "{"), 1u);
}

TEST_F(CClipboardTest, AnEmptyClipboardStaysEmptyAndUnbalancedCallsOnlyCount) {
  m_oKeeper.Save();
  EXPECT_EQ(m_oKeeper.SavedCount(), 0u);
  PutOther();
  m_oKeeper.Restore();
  EXPECT_TRUE(Placed().empty());

  m_pClipboard->Replace({{platform::CF_TEXT, kText, true}});
  m_oKeeper.Restore();
  EXPECT_EQ(m_oKeeper.UseCount(), -1);
  m_oKeeper.Save();
  EXPECT_EQ(m_oKeeper.UseCount(), 0);
  EXPECT_EQ(m_oKeeper.SavedCount(), 0u);
  EXPECT_THAT(Placed(), testing::ElementsAre(IsEntry(platform::CF_TEXT, kText)));
  EXPECT_EQ(CountOf("CClipboard::Save", "{"), 1u);
}

TEST_F(CClipboardTest, DestroyingBetweenSaveAndRestoreWarnsWithTheCounter) {
  {
    CClipboard oKeeper;
    oKeeper.Save();
  }
  EXPECT_EQ(Warnings("CClipboard::Class_Terminate"), std::vector<std::string>{"m_UseCount(1) <> 0"});
}

TEST_F(CClipboardTest, AClipboardHeldByAnotherProgramSavesNothingAndRestoreEmptiesIt) {
  m_pClipboard->Replace({{platform::CF_TEXT, kText, true}});
  m_pClipboard->SetHeldElsewhere(true);
  m_oKeeper.Save();
  m_pClipboard->SetHeldElsewhere(false);
  EXPECT_EQ(Warnings("CClipboard::Save"), std::vector<std::string>{"OpenClipboard, Err.LastDllError = 5"});
  m_oKeeper.Restore();
  EXPECT_TRUE(Placed().empty());

  // Held at Restore time: the clipboard keeps what it has, the copies are dropped.
  m_pClipboard->Replace({{platform::CF_TEXT, kText, true}});
  m_oKeeper.Save();
  PutOther();
  m_pClipboard->SetHeldElsewhere(true);
  m_oKeeper.Restore();
  m_pClipboard->SetHeldElsewhere(false);
  EXPECT_EQ(Warnings("CClipboard::Restore"), std::vector<std::string>{"OpenClipboard, Err.LastDllError = 5"});
  EXPECT_THAT(Placed(), testing::ElementsAre(IsEntry(platform::CF_TEXT, kOther)));
  EXPECT_EQ(m_oKeeper.SavedCount(), 0u);
}

TEST_F(CClipboardTest, AFormatThatCannotBeReadIsLeftOutAndTheRestKept) {
  m_pClipboard->Replace({{platform::CF_TEXT, kText, true}, {platform::CF_LOCALE, {9, 4, 0, 0}, true}});
  m_pClipboard->setUnreadable = {platform::CF_TEXT};
  m_oKeeper.Save();
  m_pClipboard->setUnreadable.clear();
  m_oKeeper.Restore();
  EXPECT_EQ(Warnings("CClipboard::Save"),
            std::vector<std::string>{"GetClipboardData(1), Err.LastDllError = 8"});
  EXPECT_THAT(Placed(), testing::ElementsAre(IsEntry(platform::CF_LOCALE, std::vector<uint8_t>{9, 4, 0, 0})));
}

TEST_F(CClipboardTest, BlocksThatCannotBeMadeOrHandedOverAreWarnedAboutAndFreed) {
  m_pClipboard->Replace({{platform::CF_TEXT, kText, true}});
  size_t nBlocks = m_pClipboard->LiveBlocks();

  m_oKeeper.Save();
  m_pClipboard->bFailGlobalAlloc = true;
  m_oKeeper.Restore();
  m_pClipboard->bFailGlobalAlloc = false;
  EXPECT_EQ(Warnings("CClipboard::Restore").back(), "GlobalAlloc(0,6), Err.LastDllError = 8");

  m_pClipboard->Replace({{platform::CF_TEXT, kText, true}});
  m_oKeeper.Save();
  m_pClipboard->bFailGlobalLock = true;
  m_oKeeper.Restore();
  m_pClipboard->bFailGlobalLock = false;
  EXPECT_EQ(Warnings("CClipboard::Restore").back().rfind("GlobalLock(", 0), 0u);
  EXPECT_EQ(m_pClipboard->LiveBlocks(), 0u);

  m_pClipboard->Replace({{platform::CF_TEXT, kText, true}});
  m_oKeeper.Save();
  m_pClipboard->bRefuseSetData = true;
  m_oKeeper.Restore();
  m_pClipboard->bRefuseSetData = false;
  EXPECT_TRUE(Placed().empty());
  EXPECT_EQ(m_pClipboard->LiveBlocks(), 0u);
  EXPECT_EQ(nBlocks, 1u);
  EXPECT_FALSE(m_pClipboard->IsOpen());
}

}  // namespace
