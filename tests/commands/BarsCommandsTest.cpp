// quillo-sim's bars, click, update and clipboard commands: what they refuse and what they print.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "BarsCommands.h"
#include "CoreCommands.h"
#include "commands/mButtonFaces.h"
#include "support/AppCommandsFixture.h"
#include "support/ScratchRegistry.h"

namespace {

class BarsCommandsTest : public AppCommandsFixture {
 protected:
  void SetUp() override {
    AppCommandsFixture::SetUp();
    test_support::InstallScratchRegistry();
    app::RegisterCoreCommands(m_oTable, m_pSession);
    app::RegisterBarsCommands(m_oTable, m_pSession);
  }
  void TearDown() override {
    m_pSession.reset();
    test_support::RemoveScratchRegistry();
  }
};

TEST_F(BarsCommandsTest, BadArgumentsAreRefusedWithTheirReason) {
  EXPECT_NE(Run("bars 1\n"), 0);
  EXPECT_NE(m_err.str().find("has not started"), std::string::npos);
  EXPECT_EQ(Run("start\n"), 0);
  for (const char* sLine :
       {"bars 2", "bars x", "click 1 menu to", "click 1 toolbar fax", "click 1 actions to", "update",
        "clipboard", "clipboard set dib /no/such/file.bmp", "clipboard set pdf x"}) {
    m_err.str("");
    EXPECT_NE(Run(std::string(sLine) + "\n"), 0) << sLine;
    EXPECT_FALSE(m_err.str().empty()) << sLine;
  }
}

TEST_F(BarsCommandsTest, APictureFileGoesOnTheClipboardAsADeviceIndependentBitmap) {
  std::string sPath = testing::TempDir() + "quillo_face.bmp";
  {
    auto vecDib = mButtonFaces::ResourceDib(104);
    std::ofstream out(sPath, std::ios::binary);
    uint32_t nSize = static_cast<uint32_t>(14 + vecDib.size()), nOffset = 14 + 40 + 256 * 4;
    out.write("BM", 2);
    out.write(reinterpret_cast<const char*>(&nSize), 4);
    out.write("\0\0\0\0", 4);
    out.write(reinterpret_cast<const char*>(&nOffset), 4);
    out.write(reinterpret_cast<const char*>(vecDib.data()), static_cast<std::streamsize>(vecDib.size()));
  }
  EXPECT_EQ(Run("clipboard set dib " + sPath + "\nclipboard show\n"), 0) << m_err.str();
  EXPECT_TRUE(Printed("CF_DIB"));
  EXPECT_TRUE(Printed("16x16, 8 bits per pixel"));
  EXPECT_TRUE(Printed("CF_BITMAP (derived from CF_DIB)"));
  std::remove(sPath.c_str());
}

TEST_F(BarsCommandsTest, BarsShowTheMenuIdentifierAsAPlaceholder) {
  EXPECT_EQ(Run("start\nupdate 1\nbars 1\nclick 1 context cc\n"), 0) << m_err.str();
  EXPECT_TRUE(Printed("tag Actions<id>"));
  EXPECT_TRUE(Printed("tag ContextMenu<id>"));
  EXPECT_TRUE(Printed("click \"&CC\""));
}

}  // namespace
