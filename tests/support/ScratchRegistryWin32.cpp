// Apart from the rest: after windows.h the names of our registry API are macros.
#include "platform/Registry.h"
#include "platform/win32/Win32Registry.h"
#include "support/ScratchRegistry.h"

#include <gtest/gtest.h>

#include <string>

// Last, as its macros would break the headers above.
#include <windows.h>

namespace testsupport {
namespace {
// One key per test process: ctest runs several test programs at once, and they share the
// user's registry.
std::string ScratchKey() {
  return "Software\\Mardel\\QuilloTest\\" + std::to_string(::GetCurrentProcessId());
}
}  // namespace

void InstallScratchRegistry() {
  // Leftovers of a run that crashed go first.
  ::RegDeleteTreeA(HKEY_CURRENT_USER, ScratchKey().c_str());
  ::HKEY hHive = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (ScratchKey() + "\\Hive").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &hHive, nullptr),
            ERROR_SUCCESS);
  LSTATUS nStatus = ::RegOverridePredefKey(HKEY_CURRENT_USER, hHive);
  ::RegCloseKey(hHive);
  ASSERT_EQ(nStatus, ERROR_SUCCESS) << "cannot redirect HKEY_CURRENT_USER to the scratch key";
  platform::reg::SetRegistry(std::make_shared<platform::win32::Win32Registry>());
}

void RemoveScratchRegistry() {
  platform::reg::SetRegistry(nullptr);
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  ::RegDeleteTreeA(HKEY_CURRENT_USER, ScratchKey().c_str());
}

}  // namespace testsupport
