// The registry API's own rules (status codes, buffer sizes, handles), run on every backend: on
// Windows they check the real registry, so the portable store is held to the same answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "support/RegistryFixture.h"

namespace {

using namespace platform;
using namespace platform::reg;

constexpr const char* kKey = "Software\\Mardel\\QuilloTest";

class RegistryApiTest : public testsupport::RegistryTest {
 protected:
  void SetUp() override {
    testsupport::RegistryTest::SetUp();
    ASSERT_EQ(
        RegCreateKeyExA(reg::CurrentUser, kKey, 0, nullptr, 0, reg::KeyAllAccess, nullptr, &m_hKey, nullptr),
        reg::Success);
  }
  void TearDown() override {
    RegCloseKey(m_hKey);
    testsupport::RegistryTest::TearDown();
  }
  LSTATUS SetDword(HKEY hKey, const char* sName, uint32_t n) {
    return RegSetValueExA(hKey, sName, 0, reg::TypeDword, reinterpret_cast<const BYTE*>(&n), 4);
  }
  LSTATUS SetText(HKEY hKey, const char* sName, const std::string& s) {
    return RegSetValueExA(hKey, sName, 0, reg::TypeSz, reinterpret_cast<const BYTE*>(s.c_str()),
                          static_cast<DWORD>(s.size() + 1));
  }
  HKEY m_hKey{};
};

TEST_P(RegistryApiTest, QueryFollowsTheBufferRules) {
  ASSERT_EQ(SetText(m_hKey, "Text", "hello"), reg::Success);

  DWORD nType = 0, cbData = 0;
  EXPECT_EQ(RegQueryValueExA(m_hKey, "Text", nullptr, &nType, nullptr, &cbData), reg::Success);
  EXPECT_EQ(nType, reg::TypeSz);
  EXPECT_EQ(cbData, 6u);

  char achSmall[3] = {};
  cbData = sizeof achSmall;
  EXPECT_EQ(RegQueryValueExA(m_hKey, "Text", nullptr, &nType, reinterpret_cast<BYTE*>(achSmall), &cbData),
            reg::ErrorMoreData);
  EXPECT_EQ(cbData, 6u);

  char achData[16] = {};
  cbData = sizeof achData;
  EXPECT_EQ(RegQueryValueExA(m_hKey, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(achData), &cbData),
            reg::Success);
  EXPECT_EQ(cbData, 6u);
  EXPECT_STREQ(achData, "hello");

  EXPECT_EQ(RegQueryValueExA(m_hKey, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(achData), nullptr),
            reg::ErrorInvalidParameter);
  EXPECT_EQ(RegQueryValueExA(m_hKey, "Missing", nullptr, nullptr, nullptr, nullptr), reg::ErrorFileNotFound);
}

// Windows promises no order of values, so they are looked at by name.
TEST_P(RegistryApiTest, EnumeratedValuesKeepTheirTypeAndBytes) {
  const BYTE abRaw[] = {0, 1, 2, 0xFF};
  ASSERT_EQ(RegSetValueExA(m_hKey, "Raw", 0, reg::TypeBinary, abRaw, sizeof abRaw), reg::Success);
  ASSERT_EQ(SetDword(m_hKey, "Number", 7), reg::Success);
  ASSERT_EQ(SetText(m_hKey, "", "default"), reg::Success);
  ASSERT_EQ(RegSetValueExA(m_hKey, "Nothing", 0, reg::TypeBinary, nullptr, 0), reg::Success);

  std::map<std::string, std::pair<DWORD, std::string>> mapValues;
  DWORD nNumberIndex = 0;
  for (DWORD nIndex = 0;; ++nIndex) {
    char achName[32];
    DWORD cchName = sizeof achName, nType = 0;
    BYTE abData[16];
    DWORD cbData = sizeof abData;
    LSTATUS nStatus = RegEnumValueA(m_hKey, nIndex, achName, &cchName, nullptr, &nType, abData, &cbData);
    if (nStatus == reg::ErrorNoMoreItems) break;
    ASSERT_EQ(nStatus, reg::Success);
    ASSERT_EQ(cchName, std::strlen(achName));
    mapValues[achName] = {nType, std::string(reinterpret_cast<char*>(abData), cbData)};
    if (std::string(achName) == "Number") nNumberIndex = nIndex;
  }
  using Entry = std::pair<DWORD, std::string>;
  EXPECT_EQ(mapValues.size(), 4u);
  EXPECT_EQ(mapValues["Raw"], Entry(reg::TypeBinary, std::string("\0\1\2\xFF", 4)));
  EXPECT_EQ(mapValues["Number"], Entry(reg::TypeDword, std::string("\7\0\0\0", 4)));
  EXPECT_EQ(mapValues[""], Entry(reg::TypeSz, std::string("default\0", 8)));
  EXPECT_EQ(mapValues["Nothing"], Entry(reg::TypeBinary, ""));

  // A name buffer one character short, then a data buffer too small.
  char achName[32];
  DWORD cchName = 6;
  EXPECT_EQ(RegEnumValueA(m_hKey, nNumberIndex, achName, &cchName, nullptr, nullptr, nullptr, nullptr),
            reg::ErrorMoreData);
  cchName = sizeof achName;
  BYTE bOne = 0;
  DWORD cbOne = 1;
  EXPECT_EQ(RegEnumValueA(m_hKey, nNumberIndex, achName, &cchName, nullptr, nullptr, &bOne, &cbOne),
            reg::ErrorMoreData);
  EXPECT_EQ(cbOne, 4u);
}

TEST_P(RegistryApiTest, CreatingReportsWhetherTheKeyIsNew) {
  HKEY hKey{};
  DWORD nDisposition = 0;
  ASSERT_EQ(RegCreateKeyExA(m_hKey, "A\\B", 0, nullptr, 0, reg::KeyRead, nullptr, &hKey, &nDisposition),
            reg::Success);
  EXPECT_EQ(nDisposition, reg::CreatedNewKey);
  RegCloseKey(hKey);
  ASSERT_EQ(RegCreateKeyExA(m_hKey, "a\\b", 0, nullptr, 0, reg::KeyRead, nullptr, &hKey, &nDisposition),
            reg::Success);
  EXPECT_EQ(nDisposition, reg::OpenedExistingKey);
  RegCloseKey(hKey);

  char achName[8];
  DWORD cchName = sizeof achName;
  ASSERT_EQ(RegEnumKeyExA(m_hKey, 0, achName, &cchName, nullptr, nullptr, nullptr, nullptr), reg::Success);
  EXPECT_STREQ(achName, "A");
  cchName = sizeof achName;
  EXPECT_EQ(RegEnumKeyExA(m_hKey, 1, achName, &cchName, nullptr, nullptr, nullptr, nullptr),
            reg::ErrorNoMoreItems);
}

TEST_P(RegistryApiTest, HandlesAnswerForWhatTheyMayDo) {
  HKEY hReader{};
  ASSERT_EQ(RegOpenKeyExA(reg::CurrentUser, kKey, 0, reg::KeyRead, &hReader), reg::Success);
  EXPECT_EQ(SetDword(hReader, "x", 1), reg::ErrorAccessDenied);
  EXPECT_EQ(RegCloseKey(hReader), reg::Success);

  HKEY hWriter{};
  ASSERT_EQ(RegOpenKeyExA(reg::CurrentUser, kKey, 0, reg::KeySetValue, &hWriter), reg::Success);
  EXPECT_EQ(SetDword(hWriter, "x", 1), reg::Success);
  DWORD cbData = 0;
  EXPECT_EQ(RegQueryValueExA(hWriter, "x", nullptr, nullptr, nullptr, &cbData), reg::ErrorAccessDenied);
  RegCloseKey(hWriter);

  HKEY hMissing{};
  EXPECT_EQ(RegOpenKeyExA(reg::CurrentUser, "Software\\Mardel\\QuilloTest\\None", 0, reg::KeyRead, &hMissing),
            reg::ErrorFileNotFound);
}

TEST_P(RegistryApiTest, AHandleOfADeletedKeyStopsWorking) {
  HKEY hChild{}, hDoomed{};
  ASSERT_EQ(
      RegCreateKeyExA(m_hKey, "Doomed\\Child", 0, nullptr, 0, reg::KeyAllAccess, nullptr, &hChild, nullptr),
      reg::Success);
  RegCloseKey(hChild);
  ASSERT_EQ(RegOpenKeyExA(m_hKey, "Doomed", 0, reg::KeyAllAccess, &hDoomed), reg::Success);

  EXPECT_EQ(RegDeleteKeyA(m_hKey, "Doomed"), reg::ErrorAccessDenied);
  EXPECT_EQ(RegDeleteKeyA(m_hKey, "Doomed\\Child"), reg::Success);
  EXPECT_EQ(RegDeleteKeyA(m_hKey, "Doomed"), reg::Success);
  EXPECT_EQ(RegDeleteKeyA(m_hKey, "Doomed"), reg::ErrorFileNotFound);

  EXPECT_EQ(SetDword(hDoomed, "x", 1), reg::ErrorKeyDeleted);
  EXPECT_EQ(RegCloseKey(hDoomed), reg::Success);
  EXPECT_EQ(RegCloseKey(hDoomed), reg::ErrorInvalidHandle);
}

TEST_P(RegistryApiTest, PathsAreSeparatedBySingleBackslashes) {
  HKEY hKey{};
  EXPECT_EQ(RegCreateKeyExA(m_hKey, "Trailing\\", 0, nullptr, 0, reg::KeyRead, nullptr, &hKey, nullptr),
            reg::Success);
  RegCloseKey(hKey);
  EXPECT_EQ(RegOpenKeyExA(m_hKey, "Trailing", 0, reg::KeyRead, &hKey), reg::Success);
  RegCloseKey(hKey);
  // An empty path opens the key itself.
  EXPECT_EQ(RegOpenKeyExA(m_hKey, "", 0, reg::KeyRead, &hKey), reg::Success);
  RegCloseKey(hKey);
  // Doubled backslashes are passed over; a leading one is refused.
  EXPECT_EQ(RegCreateKeyExA(m_hKey, "Double\\\\Slash", 0, nullptr, 0, reg::KeyRead, nullptr, &hKey, nullptr),
            reg::Success);
  RegCloseKey(hKey);
  EXPECT_EQ(RegOpenKeyExA(m_hKey, "Double\\Slash", 0, reg::KeyRead, &hKey), reg::Success);
  RegCloseKey(hKey);
  EXPECT_EQ(RegCreateKeyExA(m_hKey, "\\Leading", 0, nullptr, 0, reg::KeyRead, nullptr, &hKey, nullptr),
            reg::ErrorBadPathname);
}

// The five bytes without a character in code page 1252 make names of their own: none of them
// meets '?' or another of them, and each comes back as it was written, whatever its case.
TEST_P(RegistryApiTest, NamesWithBytesOutsideTheCodePageStayApart) {
  const std::string sUndefined = "\x81\x8D\x8F\x90\x9D?";
  for (size_t i = 0; i < sUndefined.size(); ++i) {
    std::string sName = std::string("a") + sUndefined[i];
    ASSERT_EQ(SetDword(m_hKey, sName.c_str(), static_cast<uint32_t>(i)), reg::Success) << i;
    HKEY hSub{};
    ASSERT_EQ(RegCreateKeyExA(m_hKey, ("K" + sName).c_str(), 0, nullptr, 0, reg::KeyAllAccess, nullptr, &hSub,
                              nullptr),
              reg::Success);
    ASSERT_EQ(SetDword(hSub, "n", static_cast<uint32_t>(i)), reg::Success);
    RegCloseKey(hSub);
  }
  for (size_t i = 0; i < sUndefined.size(); ++i) {
    std::string sUpper = std::string("A") + sUndefined[i];
    uint32_t n = 99;
    DWORD cbData = 4;
    EXPECT_EQ(
        RegQueryValueExA(m_hKey, sUpper.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&n), &cbData),
        reg::Success);
    EXPECT_EQ(n, i);
    HKEY hSub{};
    ASSERT_EQ(RegOpenKeyExA(m_hKey, ("k" + sUpper).c_str(), 0, reg::KeyRead, &hSub), reg::Success);
    n = 99;
    cbData = 4;
    EXPECT_EQ(RegQueryValueExA(hSub, "n", nullptr, nullptr, reinterpret_cast<BYTE*>(&n), &cbData),
              reg::Success);
    EXPECT_EQ(n, i);
    RegCloseKey(hSub);
  }
  std::string sEnumerated;
  for (DWORD nIndex = 0;; ++nIndex) {
    char achName[8];
    DWORD cchName = sizeof achName;
    if (RegEnumValueA(m_hKey, nIndex, achName, &cchName, nullptr, nullptr, nullptr, nullptr) != reg::Success)
      break;
    ASSERT_EQ(cchName, 2u);
    EXPECT_EQ(achName[0], 'a');
    sEnumerated += achName[1];
  }
  std::sort(sEnumerated.begin(), sEnumerated.end());
  std::string sExpected = sUndefined;
  std::sort(sExpected.begin(), sExpected.end());
  EXPECT_EQ(sEnumerated, sExpected);
}

INSTANTIATE_FOR_BACKENDS(RegistryApiTest);

}  // namespace
