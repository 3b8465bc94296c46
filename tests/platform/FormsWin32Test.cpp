// Real windows only: twips become pixels, and a shown form can be saved as a PNG file whose
// structure a PNG reader accepts.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/portable/ScriptedBoxes.h"
#include "platform/win32/FormsWin32.h"
#include "platform/win32/Screenshot.h"
#include "platform/win32/ScreenshotPng.h"
#include "platform/win32/Win32Loop.h"

using namespace platform;

namespace {

uint32_t BE32(const std::vector<uint8_t>& v, size_t n) {
  return uint32_t(v[n]) << 24 | uint32_t(v[n + 1]) << 16 | uint32_t(v[n + 2]) << 8 | v[n + 3];
}

uint32_t Crc(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// The pixel rows of a PNG written by EncodePng, read back as a PNG reader would: chunk by chunk
// with their checksums, the zlib stream's stored blocks and its Adler-32.
std::vector<uint8_t> ReadBack(const std::vector<uint8_t>& vecPng, uint32_t& nWidth, uint32_t& nHeight) {
  const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(std::equal(kSignature, kSignature + 8, vecPng.begin()));
  std::vector<uint8_t> vecZ;
  size_t n = 8;
  std::vector<std::string> vecTypes;
  while (n + 12 <= vecPng.size()) {
    const uint32_t nLen = BE32(vecPng, n);
    const std::string sType(vecPng.begin() + long(n + 4), vecPng.begin() + long(n + 8));
    EXPECT_EQ(Crc(vecPng.data() + n + 4, nLen + 4), BE32(vecPng, n + 8 + nLen)) << sType;
    if (sType == "IHDR") {
      nWidth = BE32(vecPng, n + 8);
      nHeight = BE32(vecPng, n + 12);
      EXPECT_EQ(vecPng[n + 16], 8);  // bits
      EXPECT_EQ(vecPng[n + 17], 6);  // RGBA
    }
    if (sType == "IDAT")
      vecZ.insert(vecZ.end(), vecPng.begin() + long(n + 8), vecPng.begin() + long(n + 8 + nLen));
    vecTypes.push_back(sType);
    n += 12 + nLen;
  }
  EXPECT_EQ(n, vecPng.size());
  EXPECT_EQ(vecTypes, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  std::vector<uint8_t> vecRaw;
  size_t z = 2;
  for (bool bFinal = false; !bFinal && z + 5 <= vecZ.size();) {
    bFinal = vecZ[z] & 1;
    const size_t nLen = vecZ[z + 1] | vecZ[z + 2] << 8;
    EXPECT_EQ(nLen ^ 0xFFFF, size_t(vecZ[z + 3] | vecZ[z + 4] << 8));
    vecRaw.insert(vecRaw.end(), vecZ.begin() + long(z + 5), vecZ.begin() + long(z + 5 + nLen));
    z += 5 + nLen;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t c : vecRaw) a = (a + c) % 65521, b = (b + a) % 65521;
  EXPECT_EQ(BE32(vecZ, z), b << 16 | a);
  return vecRaw;
}

TEST(ScreenshotPng, RowsComeBackAsWrittenAcrossSeveralStoredBlocks) {
  Picture oPicture(200, 120);  // more than one 64 KiB block of rows
  for (int y = 0; y < oPicture.nHeight; ++y)
    for (int x = 0; x < oPicture.nWidth; ++x)
      oPicture.At(x, y) = 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 7;
  uint32_t nWidth = 0, nHeight = 0;
  std::vector<uint8_t> vecRaw = ReadBack(win32::EncodePng(oPicture), nWidth, nHeight);
  EXPECT_EQ(nWidth, 200u);
  EXPECT_EQ(nHeight, 120u);
  ASSERT_EQ(vecRaw.size(), size_t(120) * (1 + 200 * 4));
  const size_t nRow = 1 + 200 * 4;
  EXPECT_EQ(vecRaw[5 * nRow], 0);                  // filter byte
  EXPECT_EQ(vecRaw[5 * nRow + 1 + 9 * 4], 9);      // red = x
  EXPECT_EQ(vecRaw[5 * nRow + 1 + 9 * 4 + 1], 5);  // green = y
  EXPECT_EQ(vecRaw[5 * nRow + 1 + 9 * 4 + 3], 0xFF);
  EXPECT_THROW(win32::EncodePng(Picture()), host::Error);
}

class frmShot : public Form {
 public:
  frmShot()
      : Form("frmShot", "Shot", 4500, 1500),
        lblText(*this, "lblText", {150, 150, 3000, 255}, "Screenshot"),
        barProgress(*this, "barProgress", {150, 600, 3000, 255}),
        btnCancel(*this, "btnCancel", {3300, 900, 1050, 375}, "Cancel") {}
  Label lblText;
  ProgressBar barProgress;
  Button btnCancel;
};

class FormsWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "real windows need a display: run under xvfb-run";
    m_pPrevLoop = SetLoop(std::make_shared<win32::Win32Loop>());
    m_pForms = std::make_shared<win32::Win32Forms>();
    m_pPrevForms = SetFormsBackend(m_pForms);
  }
  void TearDown() override {
    if (IsSkipped()) return;
    SetFormsBackend(m_pPrevForms);
    SetLoop(m_pPrevLoop);
  }
  std::shared_ptr<win32::Win32Forms> m_pForms;

 private:
  std::shared_ptr<MessageLoop> m_pPrevLoop;
  std::shared_ptr<FormsBackend> m_pPrevForms;
};

TEST_F(FormsWin32, TwipsBecomePixelsOfTheScreen) {
  frmShot f;
  f.Show();
  RECT rcClient{}, rcButton{};
  GetClientRect(reinterpret_cast<HWND>(f.hWnd()), &rcClient);
  EXPECT_EQ(rcClient.right, m_pForms->PixelsX(4500));
  EXPECT_EQ(rcClient.bottom, m_pForms->PixelsY(1500));
  GetWindowRect(reinterpret_cast<HWND>(f.btnCancel.hWnd()), &rcButton);
  EXPECT_EQ(rcButton.right - rcButton.left, m_pForms->PixelsX(1050));
  // At 96 dots per inch a pixel is 15 twips.
  HDC hdcScreen = GetDC(nullptr);
  const int nDpi = GetDeviceCaps(hdcScreen, LOGPIXELSX);
  ReleaseDC(nullptr, hdcScreen);
  if (nDpi == 96) {
    EXPECT_EQ(m_pForms->PixelsX(4500), 300);
  }
  f.Unload();
}

TEST_F(FormsWin32, AShownFormIsSavedAsAPngOfTheWholeWindow) {
  frmShot f;
  f.barProgress.SetValue(60);
  f.Show();
  Picture oPicture = win32::CaptureWindow(f.hWnd());
  RECT rcWindow{};
  GetWindowRect(reinterpret_cast<HWND>(f.hWnd()), &rcWindow);
  EXPECT_EQ(oPicture.nWidth, rcWindow.right - rcWindow.left);
  EXPECT_EQ(oPicture.nHeight, rcWindow.bottom - rcWindow.top);
  // Controls drawn: the window is not one flat colour.
  std::set<uint32_t> setColours(oPicture.pixels.begin(), oPicture.pixels.end());
  EXPECT_GT(setColours.size(), 3u);

  char sTemp[MAX_PATH];
  GetTempPathA(MAX_PATH, sTemp);
  const std::string sPath = std::string(sTemp) + "quillo-forms-test.png";
  win32::SaveWindowPng(f.hWnd(), sPath);
  std::ifstream file(sPath, std::ios::binary);
  std::vector<uint8_t> vecFile((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  file.close();
  std::remove(sPath.c_str());
  uint32_t nWidth = 0, nHeight = 0;
  ReadBack(vecFile, nWidth, nHeight);
  EXPECT_EQ(int(nWidth), oPicture.nWidth);
  EXPECT_EQ(int(nHeight), oPicture.nHeight);

  f.Hide();
  EXPECT_THROW(win32::CaptureWindow(f.hWnd()), host::Error);
  f.Unload();
}

}  // namespace
