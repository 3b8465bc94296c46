// One registry per test, on every backend of the build: an in-memory SQLite store natively, the
// Windows registry under Wine. There HKEY_CURRENT_USER is redirected to a scratch key
// (HKCU\Software\Mardel\QuilloTest), created and deleted around each test, so tests may write
// the add-in's own key without touching a real setting.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace testsupport {

enum class Backend { Sqlite, Win32 };

std::vector<Backend> AvailableBackends();
std::string BackendName(const testing::TestParamInfo<Backend>& info);

class RegistryTest : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// Writes a value through the raw API, for data CWinReg would not write itself.
void PutRaw(const std::string& sKey, const std::string& sName, platform::DWORD nType,
            const std::string& sBytes);
// True when the key exists under HKEY_CURRENT_USER.
bool KeyExists(const std::string& sKey);

}  // namespace testsupport

#define INSTANTIATE_FOR_BACKENDS(Suite)                                                          \
  INSTANTIATE_TEST_SUITE_P(Registry, Suite, testing::ValuesIn(testsupport::AvailableBackends()), \
                           testsupport::BackendName)
