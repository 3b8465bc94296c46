// Bitmap headers shared by the Win32 forms and screenshots.
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform::win32 {

// 32 bits per pixel, rows top-down: the layout of our pictures and of the PNG rows we write.
inline BITMAPINFO TopDownInfo(int32_t nWidth, int32_t nHeight) {
  BITMAPINFO oInfo{};
  oInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  oInfo.bmiHeader.biWidth = nWidth;
  oInfo.bmiHeader.biHeight = -nHeight;
  oInfo.bmiHeader.biPlanes = 1;
  oInfo.bmiHeader.biBitCount = 32;
  oInfo.bmiHeader.biCompression = BI_RGB;
  return oInfo;
}

}  // namespace platform::win32
