#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/CWinReg.h"
#include "support/RegistryFixture.h"

namespace {

using testsupport::PutRaw;

constexpr const char* kKey = "Software\\Mardel\\QuilloTest";

class CWinRegTest : public testsupport::RegistryTest {
 protected:
  void SetUp() override {
    testsupport::RegistryTest::SetUp();
    ASSERT_TRUE(m_oReg.InitForAllAccess(CWinReg::HKEY_CURRENT_USER(), kKey, true));
  }
  void TearDown() override {
    m_oReg.Close();
    testsupport::RegistryTest::TearDown();
  }
  CWinReg m_oReg;
};

TEST_P(CWinRegTest, DwordReadsTakeTheDefaultUnlessTheValueIsADword) {
  EXPECT_TRUE(m_oReg.SetDWORD("Number", -7));
  EXPECT_EQ(m_oReg.GetDWORD("Number", 3), -7);
  EXPECT_EQ(m_oReg.GetDWORD("Missing", 3), 3);
  EXPECT_TRUE(m_oReg.SetString("Text", "1"));
  EXPECT_EQ(m_oReg.GetDWORD("Text", 3), 3);
  // A REG_DWORD too long for its 4-byte buffer is unusable too.
  PutRaw(kKey, "Long", platform::REG_DWORD, std::string(8, '\1'));
  EXPECT_EQ(m_oReg.GetDWORD("Long", 3), 3);
}

TEST_P(CWinRegTest, StringReadsGiveTextOnlyForStringsThatFit) {
  EXPECT_TRUE(m_oReg.SetString("Name", "Jane Doe"));
  EXPECT_EQ(m_oReg.GetString("Name"), "Jane Doe");
  EXPECT_TRUE(m_oReg.SetString("Empty", ""));
  EXPECT_EQ(m_oReg.GetString("Empty"), "");
  EXPECT_TRUE(m_oReg.SetDWORD("Number", 1));
  EXPECT_EQ(m_oReg.GetString("Number"), "");

  std::string s255(255, 'x'), s300(300, 'x');
  EXPECT_TRUE(m_oReg.SetString("Fits", s255));
  EXPECT_EQ(m_oReg.GetString("Fits"), s255);
  EXPECT_TRUE(m_oReg.SetString("TooLong", s300));
  EXPECT_EQ(m_oReg.GetString("TooLong"), "");

  PutRaw(kKey, "Expand", platform::REG_EXPAND_SZ, std::string("%TEMP%\\x", 9));
  EXPECT_EQ(m_oReg.GetString("Expand"), "%TEMP%\\x");
  PutRaw(kKey, "NoZero", platform::REG_SZ, "abc");
  EXPECT_EQ(m_oReg.GetString("NoZero"), "abc");
}

TEST_P(CWinRegTest, TextAndNamesPassThroughTheAnsiCodePage) {
  EXPECT_TRUE(m_oReg.SetString("Ärger", "Grüße €5"));
  EXPECT_EQ(m_oReg.GetString("ärger"), "Grüße €5");
  EXPECT_EQ(m_oReg.Values(0), "Ärger");
}

TEST_P(CWinRegTest, BooleansAreYesAndNo) {
  EXPECT_TRUE(m_oReg.SetBool("On", true));
  EXPECT_TRUE(m_oReg.SetBool("Off", false));
  EXPECT_EQ(m_oReg.GetString("On"), "yes");
  EXPECT_EQ(m_oReg.GetString("Off"), "no");
  EXPECT_TRUE(m_oReg.GetBool("On"));
  EXPECT_FALSE(m_oReg.GetBool("Off"));

  m_oReg.SetString("Capitals", "YES");
  m_oReg.SetString("Blank", "yes ");
  EXPECT_TRUE(m_oReg.GetBool("Capitals"));
  EXPECT_FALSE(m_oReg.GetBool("Blank"));
  EXPECT_FALSE(m_oReg.GetBool("Missing"));
}

TEST_P(CWinRegTest, NamesIgnoreCase) {
  m_oReg.SetDWORD("ExcludeReplied", 1);
  EXPECT_EQ(m_oReg.GetDWORD("EXCLUDEREPLIED", 0), 1);
  m_oReg.SetDWORD("excludereplied", 2);
  EXPECT_EQ(m_oReg.Values(0), "ExcludeReplied");
  EXPECT_EQ(m_oReg.Values(1), "");

  CWinReg oOther;
  EXPECT_TRUE(oOther.InitForRead(CWinReg::HKEY_CURRENT_USER(), "SOFTWARE\\mardel\\QUILLOTEST"));
  EXPECT_EQ(oOther.GetDWORD("ExcludeReplied", 0), 2);
}

TEST_P(CWinRegTest, EnumerationEndsWithAnEmptyName) {
  EXPECT_EQ(m_oReg.Keys(0), "");
  EXPECT_EQ(m_oReg.Values(0), "");

  CWinReg oChild;
  for (const char* sName : {"Beta", "Alpha"}) ASSERT_TRUE(oChild.InitForWrite(m_oReg.Handle(), sName, true));
  m_oReg.SetDWORD("First", 1);
  m_oReg.SetDWORD("Second", 2);
  // A value name longer than the first guess of the buffer is still found, and the
  // enumeration does not stop short at it.
  std::string sLong(300, 'v');
  m_oReg.SetDWORD(sLong, 3);
  m_oReg.SetDWORD("Fourth", 4);

  EXPECT_EQ(m_oReg.Keys(0), "Alpha");
  EXPECT_EQ(m_oReg.Keys(1), "Beta");
  EXPECT_EQ(m_oReg.Keys(2), "");
  EXPECT_EQ(m_oReg.Keys(-1), "");
  // Windows promises no order of values.
  std::set<std::string> setValues;
  for (int32_t nIndex = 0; nIndex < 4; ++nIndex) setValues.insert(m_oReg.Values(nIndex));
  EXPECT_EQ(setValues, (std::set<std::string>{"First", "Second", sLong, "Fourth"}));
  EXPECT_EQ(m_oReg.Values(4), "");
}

TEST_P(CWinRegTest, DeleteKeyRecRemovesAWholeSubtree) {
  CWinReg oChild;
  ASSERT_TRUE(oChild.InitForWrite(m_oReg.Handle(), "Tree\\A\\B\\C", true));
  oChild.SetDWORD("Leaf", 1);
  ASSERT_TRUE(oChild.InitForWrite(m_oReg.Handle(), "Tree\\A\\Sibling", true));
  ASSERT_TRUE(oChild.InitForWrite(m_oReg.Handle(), "Tree\\Other", true));
  oChild.Close();
  ASSERT_TRUE(oChild.InitForWrite(m_oReg.Handle(), "Keep", true));
  oChild.Close();

  // A key with sub-keys is not deleted on its own.
  EXPECT_FALSE(m_oReg.DeleteKey("Tree"));
  EXPECT_TRUE(m_oReg.DeleteKeyRec("Tree"));
  EXPECT_FALSE(testsupport::KeyExists(std::string(kKey) + "\\Tree"));
  EXPECT_TRUE(testsupport::KeyExists(std::string(kKey) + "\\Keep"));
  EXPECT_FALSE(m_oReg.DeleteKeyRec("Tree"));
  EXPECT_FALSE(m_oReg.DeleteKeyRec("Missing"));
}

TEST_P(CWinRegTest, DeleteAllKeysEmptiesTheKeyButKeepsItsValues) {
  CWinReg oChild;
  for (const char* sPath : {"One\\Deep\\Deeper", "Two", "Three\\X"})
    ASSERT_TRUE(oChild.InitForWrite(m_oReg.Handle(), sPath, true));
  oChild.Close();
  m_oReg.SetDWORD("Stays", 1);

  EXPECT_TRUE(m_oReg.DeleteAllKeys());
  EXPECT_EQ(m_oReg.Keys(0), "");
  EXPECT_EQ(m_oReg.GetDWORD("Stays", 0), 1);
}

TEST_P(CWinRegTest, ValuesAreDeletedByName) {
  m_oReg.SetDWORD("Gone", 1);
  EXPECT_TRUE(m_oReg.DeleteValue("GONE"));
  EXPECT_EQ(m_oReg.GetDWORD("Gone", 9), 9);
  EXPECT_FALSE(m_oReg.DeleteValue("Gone"));
  EXPECT_TRUE(m_oReg.Flush());
}

TEST_P(CWinRegTest, NothingWorksWithoutAnOpenKey) {
  CWinReg oReg;
  EXPECT_TRUE(oReg.Close());
  EXPECT_FALSE(oReg.InitForRead(CWinReg::HKEY_CURRENT_USER(), "Software\\Mardel\\NoSuchKey"));
  EXPECT_EQ(oReg.Handle(), CWinReg::HKEY{});
  EXPECT_FALSE(oReg.SetString("a", "b"));
  EXPECT_FALSE(oReg.SetDWORD("a", 1));
  EXPECT_EQ(oReg.GetString("a"), "");
  EXPECT_EQ(oReg.GetDWORD("a", 5), 0);
  EXPECT_FALSE(oReg.GetBool("a"));
  EXPECT_FALSE(oReg.DeleteValue("a"));
  EXPECT_FALSE(oReg.DeleteKey("a"));
  EXPECT_FALSE(oReg.DeleteKeyRec("a"));
  EXPECT_FALSE(oReg.DeleteAllKeys());
  EXPECT_FALSE(oReg.Flush());
  EXPECT_EQ(oReg.Keys(0), "");
  EXPECT_EQ(oReg.Values(0), "");
  EXPECT_TRUE(oReg.Close());
}

TEST_P(CWinRegTest, AKeyOpenedForReadRefusesWrites) {
  m_oReg.SetDWORD("Value", 1);
  CWinReg oReader;
  ASSERT_TRUE(oReader.InitForRead(CWinReg::HKEY_CURRENT_USER(), kKey));
  EXPECT_FALSE(oReader.SetDWORD("Value", 2));
  EXPECT_FALSE(oReader.DeleteValue("Value"));
  EXPECT_EQ(oReader.GetDWORD("Value", 0), 1);
}

TEST_P(CWinRegTest, ReopeningMovesToTheNewKey) {
  CWinReg oReg;
  ASSERT_TRUE(oReg.InitForWrite(CWinReg::HKEY_CURRENT_USER(), std::string(kKey) + "\\First", true));
  oReg.SetDWORD("Where", 1);
  // Relative to the key it holds: the old key is released only after the new one is open.
  ASSERT_TRUE(oReg.InitForWrite(oReg.Handle(), "Second", true));
  oReg.SetDWORD("Where", 2);
  EXPECT_TRUE(testsupport::KeyExists(std::string(kKey) + "\\First\\Second"));
  EXPECT_FALSE(oReg.InitForRead(CWinReg::HKEY_CURRENT_USER(), "Software\\Mardel\\NoSuchKey"));
  EXPECT_FALSE(oReg.SetDWORD("Where", 3));
  EXPECT_TRUE(oReg.Close());
}

INSTANTIATE_FOR_BACKENDS(CWinRegTest);

}  // namespace
