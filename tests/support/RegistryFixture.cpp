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

void PutRaw(const std::string& sKey, const std::string& sName, platform::reg::DWORD nType,
            const std::string& sBytes) {
  platform::reg::HKEY hKey{};
  ASSERT_EQ(platform::reg::RegCreateKeyExA(platform::reg::CurrentUser, sKey.c_str(), 0, nullptr, 0,
                                           platform::reg::KeyAllAccess, nullptr, &hKey, nullptr),
            platform::reg::Success);
  EXPECT_EQ(platform::reg::RegSetValueExA(hKey, sName.c_str(), 0, nType,
                                          reinterpret_cast<const platform::reg::BYTE*>(sBytes.data()),
                                          static_cast<platform::reg::DWORD>(sBytes.size())),
            platform::reg::Success);
  platform::reg::RegCloseKey(hKey);
}

bool KeyExists(const std::string& sKey) {
  platform::reg::HKEY hKey{};
  if (platform::reg::RegOpenKeyExA(platform::reg::CurrentUser, sKey.c_str(), 0, platform::reg::KeyRead,
                                   &hKey) != platform::reg::Success)
    return false;
  platform::reg::RegCloseKey(hKey);
  return true;
}

}  // namespace testsupport
