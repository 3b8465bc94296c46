#include "support/RegistryFixture.h"

#include "support/ScratchRegistry.h"

namespace testsupport {

std::vector<Backend> AvailableBackends() {
#ifdef _WIN32
  return {Backend::Win32};
#else
  return {Backend::Sqlite};
#endif
}

std::string BackendName(const testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Win32 ? "Win32" : "Sqlite";
}

void RegistryTest::SetUp() {
  testsupport::InstallScratchRegistry();
}
void RegistryTest::TearDown() {
  testsupport::RemoveScratchRegistry();
}

void PutRaw(const std::string& sKey, const std::string& sName, platform::DWORD nType,
            const std::string& sBytes) {
  platform::HKEY hKey{};
  ASSERT_EQ(platform::RegCreateKeyExA(platform::HKEY_CURRENT_USER, sKey.c_str(), 0, nullptr, 0,
                                      platform::KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
            platform::ERROR_SUCCESS);
  EXPECT_EQ(platform::RegSetValueExA(hKey, sName.c_str(), 0, nType,
                                     reinterpret_cast<const platform::BYTE*>(sBytes.data()),
                                     static_cast<platform::DWORD>(sBytes.size())),
            platform::ERROR_SUCCESS);
  platform::RegCloseKey(hKey);
}

bool KeyExists(const std::string& sKey) {
  platform::HKEY hKey{};
  if (platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, sKey.c_str(), 0, platform::KEY_READ, &hKey) !=
      platform::ERROR_SUCCESS)
    return false;
  platform::RegCloseKey(hKey);
  return true;
}

}  // namespace testsupport
