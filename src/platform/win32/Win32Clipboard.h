// The real clipboard and global memory of user32 and kernel32.
#pragma once

#include "platform/Clipboard.h"

namespace platform::win32 {

class Win32Clipboard : public Clipboard {
 public:
  BOOL OpenClipboard(HWND hWndNewOwner) override;
  BOOL CloseClipboard() override;
  BOOL EmptyClipboard() override;
  UINT EnumClipboardFormats(UINT uFormat) override;
  HGLOBAL GetClipboardData(UINT uFormat) override;
  HGLOBAL SetClipboardData(UINT uFormat, HGLOBAL hMem) override;
  UINT RegisterClipboardFormatA(const char* lpszFormat) override;
  HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) override;
  HGLOBAL GlobalFree(HGLOBAL hMem) override;
  SIZE_T GlobalSize(HGLOBAL hMem) override;
  void* GlobalLock(HGLOBAL hMem) override;
  BOOL GlobalUnlock(HGLOBAL hMem) override;
  CLIPDWORD GetLastError() override;
  void SetLastError(CLIPDWORD dwError) override;
};

}  // namespace platform::win32
