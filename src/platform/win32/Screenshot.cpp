#include "platform/win32/Screenshot.h"

#include <windows.h>

#include <cstring>
#include <fstream>

#include "host/Error.h"
#include "platform/win32/Bitmaps.h"
#include "platform/win32/Handles.h"
#include "platform/win32/ScreenshotPng.h"

namespace platform::win32 {

Picture CaptureWindow(WindowHandle hWindow) {
  HWND hWnd = reinterpret_cast<HWND>(hWindow);
  if (!hWnd || !IsWindow(hWnd) || !IsWindowVisible(hWnd))
    host::Raise(host::err::InvalidProcedureCall, "Only a window that is shown can be captured");
  // The pump may not have run since the last change (a virtual loop drives quillo-sim): paint
  // the window and every control now.
  RedrawWindow(hWnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rc{};
  GetWindowRect(hWnd, &rc);
  const int nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
  if (nWidth <= 0 || nHeight <= 0) host::Raise(host::err::InvalidProcedureCall, "The window has no size");

  BITMAPINFO oInfo = TopDownInfo(nWidth, nHeight);
  void* pBits = nullptr;
  WindowDc oWindowDc(hWnd, true);
  unique_memory_dc hdcMemory(CreateCompatibleDC(oWindowDc.get()));
  unique_hbitmap hBitmap(CreateDIBSection(oWindowDc.get(), &oInfo, DIB_RGB_COLORS, &pBits, nullptr, 0));
  bool bCopied = false;
  if (oWindowDc.get() && hdcMemory && hBitmap) {
    SelectedObject oSelected(hdcMemory.get(), hBitmap.get());
    bCopied =
        BitBlt(hdcMemory.get(), 0, 0, nWidth, nHeight, oWindowDc.get(), 0, 0, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
  }
  if (!bCopied) host::Raise(static_cast<int32_t>(E_FAIL), "The pixels of the window could not be read");
  Picture oPicture(nWidth, nHeight);
  std::memcpy(oPicture.pixels.data(), pBits, oPicture.pixels.size() * 4);
  for (auto& n : oPicture.pixels) n |= 0xFF000000u;  // a screen has no transparency
  return oPicture;
}

void SaveWindowPng(WindowHandle hWnd, const std::string& sPath) {
  const std::vector<uint8_t> vecPng = EncodePng(CaptureWindow(hWnd));
  std::ofstream file(sPath, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(vecPng.data()), static_cast<std::streamsize>(vecPng.size()));
  file.close();
  if (!file) host::Raise(static_cast<int32_t>(E_FAIL), "The screenshot could not be written to " + sPath);
}

}  // namespace platform::win32
