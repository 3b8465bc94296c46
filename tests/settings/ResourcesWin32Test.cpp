// The resources compiled into the module on Windows are the ones the look-up hands out.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "resources/Resources.h"

namespace {

TEST(ModuleResources, MatchTheEmbeddedTable) {
  HMODULE hModule = ::GetModuleHandleA(nullptr);
  for (int32_t nId : {601, 602, 603}) {
    char achText[256] = {};
    ASSERT_GT(::LoadStringA(hModule, static_cast<UINT>(nId), achText, sizeof achText), 0) << nId;
    EXPECT_EQ(achText, resources::LoadResString(nId)) << nId;
  }

  EXPECT_NE(::FindResourceA(hModule, "MAIN_ICON", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */), nullptr);
  HICON hIcon = static_cast<HICON>(::LoadImageA(hModule, "MAIN_ICON", IMAGE_ICON, 32, 32, 0));
  EXPECT_NE(hIcon, nullptr);
  if (hIcon) ::DestroyIcon(hIcon);

  HRSRC hLogo = ::FindResourceA(hModule, "LOGO", MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  ASSERT_NE(hLogo, nullptr);
  // A bitmap resource is the file without its 14-byte file header.
  auto pLogo = resources::LoadResPicture("LOGO", resources::vbResBitmap);
  ASSERT_NE(pLogo, nullptr);
  ASSERT_EQ(::SizeofResource(hModule, hLogo) + 14, pLogo->FileBytes().size());
  const void* pData = ::LockResource(::LoadResource(hModule, hLogo));
  EXPECT_EQ(std::memcmp(pData, pLogo->FileBytes().data() + 14, pLogo->FileBytes().size() - 14), 0);
}

}  // namespace
