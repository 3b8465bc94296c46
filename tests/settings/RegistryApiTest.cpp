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

constexpr const char* kKey = "Software\\Mardel\\QuilloTest";

class RegistryApiTest : public testsupport::RegistryTest {
 protected:
  void SetUp() override {
    testsupport::RegistryTest::SetUp();
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hKey, nullptr),
        ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(m_hKey);
    testsupport::RegistryTest::TearDown();
  }
  LSTATUS SetDword(HKEY hKey, const char* sName, uint32_t n) {
    return RegSetValueExA(hKey, sName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4);
  }
  LSTATUS SetText(HKEY hKey, const char* sName, const std::string& s) {
    return RegSetValueExA(hKey, sName, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                          static_cast<DWORD>(s.size() + 1));
  }
  HKEY m_hKey{};
};

TEST_P(RegistryApiTest, QueryFollowsTheBufferRules) {
  ASSERT_EQ(SetText(m_hKey, "Text", "hello"), ERROR_SUCCESS);

  DWORD nType = 0, cbData = 0;
  EXPECT_EQ(RegQueryValueExA(m_hKey, "Text", nullptr, &nType, nullptr, &cbData), ERROR_SUCCESS);
  EXPECT_EQ(nType, REG_SZ);
  EXPECT_EQ(cbData, 6u);

  char achSmall[3] = {};
  cbData = sizeof achSmall;
  EXPECT_EQ(RegQueryValueExA(m_hKey, "Text", nullptr, &nType, reinterpret_cast<BYTE*>(achSmall), &cbData),
            ERROR_MORE_DATA);
  EXPECT_EQ(cbData, 6u);

  char achData[16] = {};
  cbData = sizeof achData;
  EXPECT_EQ(RegQueryValueExA(m_hKey, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(achData), &cbData),
            ERROR_SUCCESS);
  EXPECT_EQ(cbData, 6u);
  EXPECT_STREQ(achData, "hello");

  EXPECT_EQ(RegQueryValueExA(m_hKey, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(achData), nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(m_hKey, "Missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

// Windows promises no order of values, so they are looked at by name.
TEST_P(RegistryApiTest, EnumeratedValuesKeepTheirTypeAndBytes) {
  const BYTE abRaw[] = {0, 1, 2, 0xFF};
  ASSERT_EQ(RegSetValueExA(m_hKey, "Raw", 0, REG_BINARY, abRaw, sizeof abRaw), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(m_hKey, "Number", 7), ERROR_SUCCESS);
  ASSERT_EQ(SetText(m_hKey, "", "default"), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(m_hKey, "Nothing", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);

  std::map<std::string, std::pair<DWORD, std::string>> mapValues;
  DWORD nNumberIndex = 0;
  for (DWORD nIndex = 0;; ++nIndex) {
    char achName[32];
    DWORD cchName = sizeof achName, nType = 0;
    BYTE abData[16];
    DWORD cbData = sizeof abData;
    LSTATUS nStatus = RegEnumValueA(m_hKey, nIndex, achName, &cchName, nullptr, &nType, abData, &cbData);
    if (nStatus == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(nStatus, ERROR_SUCCESS);
    ASSERT_EQ(cchName, std::strlen(achName));
    mapValues[achName] = {nType, std::string(reinterpret_cast<char*>(abData), cbData)};
    if (std::string(achName) == "Number") nNumberIndex = nIndex;
  }
  using Entry = std::pair<DWORD, std::string>;
  EXPECT_EQ(mapValues.size(), 4u);
  EXPECT_EQ(mapValues["Raw"], Entry(REG_BINARY, std::string("\0\1\2\xFF", 4)));
  EXPECT_EQ(mapValues["Number"], Entry(REG_DWORD, std::string("\7\0\0\0", 4)));
  EXPECT_EQ(mapValues[""], Entry(REG_SZ, std::string("default\0", 8)));
  EXPECT_EQ(mapValues["Nothing"], Entry(REG_BINARY, ""));

  // A name buffer one character short, then a data buffer too small.
  char achName[32];
  DWORD cchName = 6;
  EXPECT_EQ(RegEnumValueA(m_hKey, nNumberIndex, achName, &cchName, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  cchName = sizeof achName;
  BYTE bOne = 0;
  DWORD cbOne = 1;
  EXPECT_EQ(RegEnumValueA(m_hKey, nNumberIndex, achName, &cchName, nullptr, nullptr, &bOne, &cbOne),
            ERROR_MORE_DATA);
  EXPECT_EQ(cbOne, 4u);
}

TEST_P(RegistryApiTest, CreatingReportsWhetherTheKeyIsNew) {
  HKEY hKey{};
  DWORD nDisposition = 0;
  ASSERT_EQ(RegCreateKeyExA(m_hKey, "A\\B", 0, nullptr, 0, KEY_READ, nullptr, &hKey, &nDisposition),
            ERROR_SUCCESS);
  EXPECT_EQ(nDisposition, REG_CREATED_NEW_KEY);
  RegCloseKey(hKey);
  ASSERT_EQ(RegCreateKeyExA(m_hKey, "a\\b", 0, nullptr, 0, KEY_READ, nullptr, &hKey, &nDisposition),
            ERROR_SUCCESS);
  EXPECT_EQ(nDisposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(hKey);

  char achName[8];
  DWORD cchName = sizeof achName;
  ASSERT_EQ(RegEnumKeyExA(m_hKey, 0, achName, &cchName, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(achName, "A");
  cchName = sizeof achName;
  EXPECT_EQ(RegEnumKeyExA(m_hKey, 1, achName, &cchName, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_P(RegistryApiTest, HandlesAnswerForWhatTheyMayDo) {
  HKEY hReader{};
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &hReader), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(hReader, "x", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(hReader), ERROR_SUCCESS);

  HKEY hWriter{};
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &hWriter), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(hWriter, "x", 1), ERROR_SUCCESS);
  DWORD cbData = 0;
  EXPECT_EQ(RegQueryValueExA(hWriter, "x", nullptr, nullptr, nullptr, &cbData), ERROR_ACCESS_DENIED);
  RegCloseKey(hWriter);

  HKEY hMissing{};
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Mardel\\QuilloTest\\None", 0, KEY_READ, &hMissing),
            ERROR_FILE_NOT_FOUND);
}

TEST_P(RegistryApiTest, AHandleOfADeletedKeyStopsWorking) {
  HKEY hChild{}, hDoomed{};
  ASSERT_EQ(
      RegCreateKeyExA(m_hKey, "Doomed\\Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hChild, nullptr),
      ERROR_SUCCESS);
  RegCloseKey(hChild);
  ASSERT_EQ(RegOpenKeyExA(m_hKey, "Doomed", 0, KEY_ALL_ACCESS, &hDoomed), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKeyA(m_hKey, "Doomed"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(m_hKey, "Doomed\\Child"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(m_hKey, "Doomed"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(m_hKey, "Doomed"), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(SetDword(hDoomed, "x", 1), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(hDoomed), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(hDoomed), ERROR_INVALID_HANDLE);
}

TEST_P(RegistryApiTest, PathsAreSeparatedBySingleBackslashes) {
  HKEY hKey{};
  EXPECT_EQ(RegCreateKeyExA(m_hKey, "Trailing\\", 0, nullptr, 0, KEY_READ, nullptr, &hKey, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(hKey);
  EXPECT_EQ(RegOpenKeyExA(m_hKey, "Trailing", 0, KEY_READ, &hKey), ERROR_SUCCESS);
  RegCloseKey(hKey);
  // An empty path opens the key itself.
  EXPECT_EQ(RegOpenKeyExA(m_hKey, "", 0, KEY_READ, &hKey), ERROR_SUCCESS);
  RegCloseKey(hKey);
  // Doubled backslashes are passed over; a leading one is refused.
  EXPECT_EQ(RegCreateKeyExA(m_hKey, "Double\\\\Slash", 0, nullptr, 0, KEY_READ, nullptr, &hKey, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(hKey);
  EXPECT_EQ(RegOpenKeyExA(m_hKey, "Double\\Slash", 0, KEY_READ, &hKey), ERROR_SUCCESS);
  RegCloseKey(hKey);
  EXPECT_EQ(RegCreateKeyExA(m_hKey, "\\Leading", 0, nullptr, 0, KEY_READ, nullptr, &hKey, nullptr),
            ERROR_BAD_PATHNAME);
}

// The five bytes without a character in code page 1252 make names of their own: none of them
// meets '?' or another of them, and each comes back as it was written, whatever its case.
TEST_P(RegistryApiTest, NamesWithBytesOutsideTheCodePageStayApart) {
  const std::string sUndefined = "\x81\x8D\x8F\x90\x9D?";
  for (size_t i = 0; i < sUndefined.size(); ++i) {
    std::string sName = std::string("a") + sUndefined[i];
    ASSERT_EQ(SetDword(m_hKey, sName.c_str(), static_cast<uint32_t>(i)), ERROR_SUCCESS) << i;
    HKEY hSub{};
    ASSERT_EQ(RegCreateKeyExA(m_hKey, ("K" + sName).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hSub,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetDword(hSub, "n", static_cast<uint32_t>(i)), ERROR_SUCCESS);
    RegCloseKey(hSub);
  }
  for (size_t i = 0; i < sUndefined.size(); ++i) {
    std::string sUpper = std::string("A") + sUndefined[i];
    uint32_t n = 99;
    DWORD cbData = 4;
    EXPECT_EQ(
        RegQueryValueExA(m_hKey, sUpper.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&n), &cbData),
        ERROR_SUCCESS);
    EXPECT_EQ(n, i);
    HKEY hSub{};
    ASSERT_EQ(RegOpenKeyExA(m_hKey, ("k" + sUpper).c_str(), 0, KEY_READ, &hSub), ERROR_SUCCESS);
    n = 99;
    cbData = 4;
    EXPECT_EQ(RegQueryValueExA(hSub, "n", nullptr, nullptr, reinterpret_cast<BYTE*>(&n), &cbData),
              ERROR_SUCCESS);
    EXPECT_EQ(n, i);
    RegCloseKey(hSub);
  }
  std::string sEnumerated;
  for (DWORD nIndex = 0;; ++nIndex) {
    char achName[8];
    DWORD cchName = sizeof achName;
    if (RegEnumValueA(m_hKey, nIndex, achName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
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
