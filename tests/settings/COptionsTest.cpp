#include <gtest/gtest.h>

#include "settings/COptions.h"
#include "settings/CWinReg.h"
#include "support/RegistryFixture.h"

namespace {

using testsupport::PutRaw;

constexpr const char* kKey = "Software\\Mardel\\Quillo";

// What is stored under the add-in's key, read past COptions.
int32_t Stored(const std::string& sName, int32_t nMissing = -999) {
  CWinReg oReg;
  if (!oReg.InitForRead(CWinReg::HKEY_CURRENT_USER(), kKey)) return nMissing;
  return oReg.GetDWORD(sName, nMissing);
}

class COptionsTest : public testsupport::RegistryTest {
 protected:
  COptions m_oOptions;
};

TEST_P(COptionsTest, AFreshProfileReadsTheDefaultsWithoutWritingAnything) {
  EXPECT_FALSE(m_oOptions.ExcludePrivateContacts());
  EXPECT_FALSE(m_oOptions.ExcludeReplied());
  EXPECT_FALSE(m_oOptions.ExcludeLinkItems());
  int32_t nPosition = 9, nRow = 9, nLeft = 9, nTop = 9;
  m_oOptions.ReadToolbarPos(nPosition, nRow, nLeft, nTop);
  EXPECT_EQ(nPosition, 1);
  EXPECT_EQ(nRow, -1);
  EXPECT_EQ(nLeft, 0);
  EXPECT_EQ(nTop, 0);
  for (int32_t nType : {0, 1, 2, 3, 4, 5, 6, 7, 42, -1})
    EXPECT_EQ(m_oOptions.GetCachedAction(nType), 0) << nType;
  EXPECT_FALSE(testsupport::KeyExists(kKey));
}

TEST_P(COptionsTest, SettingsAreSeenAtOnceAndStoredAsNumbers) {
  m_oOptions.ExcludeReplied(true);
  EXPECT_TRUE(m_oOptions.ExcludeReplied());
  EXPECT_EQ(Stored("ExcludeReplied"), 1);
  // Another instance sees it too: nothing is cached.
  EXPECT_TRUE(COptions().ExcludeReplied());
  m_oOptions.ExcludeReplied(false);
  EXPECT_FALSE(m_oOptions.ExcludeReplied());
  EXPECT_EQ(Stored("ExcludeReplied"), 0);

  m_oOptions.ExcludePrivateContacts(true);
  m_oOptions.ExcludeLinkItems(true);
  EXPECT_TRUE(m_oOptions.ExcludePrivateContacts());
  EXPECT_TRUE(m_oOptions.ExcludeLinkItems());
  EXPECT_FALSE(m_oOptions.ExcludeReplied());
}

TEST_P(COptionsTest, AnyNonZeroNumberIsTrueButATextIsNot) {
  PutRaw(kKey, "ExcludeLinkItems", platform::REG_DWORD, std::string("\x05\0\0\0", 4));
  EXPECT_TRUE(m_oOptions.ExcludeLinkItems());
  PutRaw(kKey, "ExcludeReplied", platform::REG_SZ, std::string("1\0", 2));
  EXPECT_FALSE(m_oOptions.ExcludeReplied());
}

TEST_P(COptionsTest, ToolbarPositionRoundTrips) {
  m_oOptions.WriteToolbarPos(4, 2, -120, 35);
  int32_t nPosition = 0, nRow = 0, nLeft = 0, nTop = 0;
  m_oOptions.ReadToolbarPos(nPosition, nRow, nLeft, nTop);
  EXPECT_EQ(nPosition, 4);
  EXPECT_EQ(nRow, 2);
  EXPECT_EQ(nLeft, -120);
  EXPECT_EQ(nTop, 35);
  EXPECT_EQ(Stored("Toolbar.Position"), 4);
  EXPECT_EQ(Stored("Toolbar.RowIndex"), 2);
  EXPECT_EQ(Stored("Toolbar.Left"), -120);
  EXPECT_EQ(Stored("Toolbar.Top"), 35);
}

TEST_P(COptionsTest, CachedActionsAreNamedAfterTheItemType) {
  m_oOptions.SetCachedAction(2, 0);
  m_oOptions.SetCachedAction(4, 7);
  m_oOptions.SetCachedAction(1, 42);
  EXPECT_EQ(Stored("CachedAction_Mail"), 2);
  EXPECT_EQ(Stored("CachedAction_DistributionList"), 4);
  EXPECT_EQ(Stored("CachedAction_"), 1);
  EXPECT_EQ(m_oOptions.GetCachedAction(7), 4);
  // Every type without a name shares the one value.
  EXPECT_EQ(m_oOptions.GetCachedAction(-3), 1);
  EXPECT_EQ(m_oOptions.GetCachedAction(3), 0);
}

TEST_P(COptionsTest, TestToolbarStoresZeroAtItsFirstRead) {
  EXPECT_EQ(m_oOptions.TestToolbar(), 1);
  EXPECT_EQ(Stored("TestToolbar"), 0);
  EXPECT_EQ(m_oOptions.TestToolbar(), 1);

  PutRaw(kKey, "TestToolbar", platform::REG_DWORD, std::string("\x05\0\0\0", 4));
  EXPECT_EQ(m_oOptions.TestToolbar(), 0);
  EXPECT_EQ(Stored("TestToolbar"), 5);
}

TEST_P(COptionsTest, UseDebugButtonsKeepsOnlyZeroOrOne) {
  EXPECT_FALSE(m_oOptions.UseDebugButtons());
  EXPECT_EQ(Stored("UseDebugButtons"), 0);

  PutRaw(kKey, "UseDebugButtons", platform::REG_DWORD, std::string("\x01\0\0\0", 4));
  EXPECT_TRUE(m_oOptions.UseDebugButtons());
  EXPECT_EQ(Stored("UseDebugButtons"), 1);

  PutRaw(kKey, "UseDebugButtons", platform::REG_DWORD, std::string("\x02\0\0\0", 4));
  EXPECT_FALSE(m_oOptions.UseDebugButtons());
  EXPECT_EQ(Stored("UseDebugButtons"), 0);
}

TEST_P(COptionsTest, WithoutARegistryEverySettingIsItsDefault) {
  auto pRegistry = platform::SetRegistry(nullptr);
  m_oOptions.ExcludeReplied(true);
  EXPECT_FALSE(m_oOptions.ExcludeReplied());
  EXPECT_EQ(m_oOptions.TestToolbar(), 1);
  EXPECT_FALSE(m_oOptions.UseDebugButtons());
  platform::SetRegistry(pRegistry);
  EXPECT_FALSE(testsupport::KeyExists(kKey));
}

INSTANTIATE_FOR_BACKENDS(COptionsTest);

TEST(COptionsResources, TextsAndPicturesComeFromTheResources) {
  COptions oOptions;
  EXPECT_EQ(oOptions.CompanyShortName(), "Mardel");
  EXPECT_EQ(oOptions.ProductShortName(), "Quillo");
  EXPECT_EQ(oOptions.RootKeyPath(), "Software\\Mardel\\Quillo");
  EXPECT_EQ(oOptions.ProductHomePage().rfind("https://", 0), 0u);

  auto pIcon = oOptions.MAIN_ICON();
  ASSERT_NE(pIcon, nullptr);
  EXPECT_EQ(pIcon->Type(), resources::vbPicTypeIcon);
  EXPECT_EQ(pIcon->Width(), 32);
  EXPECT_EQ(pIcon->Height(), 32);
  auto pLogo = oOptions.LOGO();
  ASSERT_NE(pLogo, nullptr);
  EXPECT_EQ(pLogo->Type(), resources::vbPicTypeBitmap);
  EXPECT_GT(pLogo->Width(), 0);
  EXPECT_GT(pLogo->Height(), 0);

  EXPECT_EQ(resources::LoadResString(604), "");
  EXPECT_EQ(resources::LoadResPicture("LOGO", resources::vbResIcon), nullptr);
}

TEST(COptionsGlobal, IsCreatedByItsFirstUse) {
  g_oOptions.Reset();
  EXPECT_FALSE(g_oOptions.IsCreated());
  EXPECT_EQ(g_oOptions->ProductShortName(), "Quillo");
  EXPECT_TRUE(g_oOptions.IsCreated());
  COptions* pFirst = &*g_oOptions;
  EXPECT_EQ(&*g_oOptions, pFirst);
  g_oOptions.Reset();
}

}  // namespace
