// CWinReg beside <windows.h>: its header may follow it, and the roots its members give are
// Windows' own handles (sign-extended as advapi32 expects them on 64-bit Windows).
#include <gtest/gtest.h>
#include <windows.h>

// After <windows.h> on purpose.
#include "settings/CWinReg.h"

namespace {

HKEY AsWindowsKey(platform::reg::HKEY hKey) {
  return reinterpret_cast<HKEY>(static_cast<intptr_t>(hKey));
}

TEST(CWinRegWin32, TheRootsAreWindowsOwnHandles) {
  EXPECT_EQ(AsWindowsKey(platform::reg::ClassesRoot), HKEY_CLASSES_ROOT);
  EXPECT_EQ(AsWindowsKey(platform::reg::CurrentUser), HKEY_CURRENT_USER);
  EXPECT_EQ(AsWindowsKey(platform::reg::LocalMachine), HKEY_LOCAL_MACHINE);
  const CWinReg oReg;
  EXPECT_EQ(oReg.Handle(), CWinReg::HKEY{});
}

}  // namespace
