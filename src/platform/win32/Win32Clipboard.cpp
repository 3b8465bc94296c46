#include "platform/win32/Win32Clipboard.h"

#include <windows.h>

namespace platform::win32 {
namespace {

::HANDLE ToNative(platform::HGLOBAL h) {
  return reinterpret_cast<::HANDLE>(static_cast<intptr_t>(h));
}
platform::HGLOBAL FromNative(::HANDLE h) {
  return static_cast<platform::HGLOBAL>(reinterpret_cast<intptr_t>(h));
}

}  // namespace

BOOL Win32Clipboard::OpenClipboard(platform::HWND hWndNewOwner) {
  return ::OpenClipboard(reinterpret_cast<::HWND>(static_cast<intptr_t>(hWndNewOwner)));
}
BOOL Win32Clipboard::CloseClipboard() {
  return ::CloseClipboard();
}
BOOL Win32Clipboard::EmptyClipboard() {
  return ::EmptyClipboard();
}
UINT Win32Clipboard::EnumClipboardFormats(UINT uFormat) {
  return ::EnumClipboardFormats(uFormat);
}
platform::HGLOBAL Win32Clipboard::GetClipboardData(UINT uFormat) {
  return FromNative(::GetClipboardData(uFormat));
}
platform::HGLOBAL Win32Clipboard::SetClipboardData(UINT uFormat, platform::HGLOBAL hMem) {
  return FromNative(::SetClipboardData(uFormat, ToNative(hMem)));
}
UINT Win32Clipboard::RegisterClipboardFormatA(const char* lpszFormat) {
  return ::RegisterClipboardFormatA(lpszFormat);
}
platform::HGLOBAL Win32Clipboard::GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  return FromNative(::GlobalAlloc(uFlags, dwBytes));
}
platform::HGLOBAL Win32Clipboard::GlobalFree(platform::HGLOBAL hMem) {
  return FromNative(::GlobalFree(ToNative(hMem)));
}
SIZE_T Win32Clipboard::GlobalSize(platform::HGLOBAL hMem) {
  return ::GlobalSize(ToNative(hMem));
}
void* Win32Clipboard::GlobalLock(platform::HGLOBAL hMem) {
  return ::GlobalLock(ToNative(hMem));
}
BOOL Win32Clipboard::GlobalUnlock(platform::HGLOBAL hMem) {
  return ::GlobalUnlock(ToNative(hMem));
}
CLIPDWORD Win32Clipboard::GetLastError() {
  return ::GetLastError();
}
void Win32Clipboard::SetLastError(CLIPDWORD dwError) {
  ::SetLastError(dwError);
}

}  // namespace platform::win32
