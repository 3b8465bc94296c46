// The clipboard and the global memory blocks it trades in, as the add-in calls them: the user32
// and kernel32 functions with their own arguments, results and last-error codes. The clipboard
// behind them is chosen once by the program: the real one on Windows, an in-memory model with
// the same rules elsewhere (and in quillo-sim and tests).
//
// Include this before <windows.h> in any file that needs both: the names below are macros there.
#pragma once

#if defined(CF_TEXT) || defined(GMEM_FIXED)
#error "include platform/Clipboard.h before <windows.h>"
#endif

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

using UINT = uint32_t;
using BOOL = int32_t;
using SIZE_T = size_t;
using CLIPDWORD = uint32_t;

// A memory block or clipboard data handle: opaque, 0 when none.
enum class HGLOBAL : intptr_t {};
inline constexpr HGLOBAL kNoHandle = HGLOBAL(0);
// A window handle; the add-in opens the clipboard with none.
enum class HWND : intptr_t {};

// Standard clipboard formats.
inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_BITMAP = 2;
inline constexpr UINT CF_METAFILEPICT = 3;
inline constexpr UINT CF_OEMTEXT = 7;
inline constexpr UINT CF_DIB = 8;
inline constexpr UINT CF_PALETTE = 9;
inline constexpr UINT CF_UNICODETEXT = 13;
inline constexpr UINT CF_ENHMETAFILE = 14;
inline constexpr UINT CF_LOCALE = 16;
inline constexpr UINT CF_DIBV5 = 17;

// GlobalAlloc flags.
inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;

// Last-error codes the clipboard model gives.
inline constexpr CLIPDWORD kErrorAccessDenied = 5;       // ERROR_ACCESS_DENIED: held by another window
inline constexpr CLIPDWORD kErrorInvalidHandle = 6;      // ERROR_INVALID_HANDLE
inline constexpr CLIPDWORD kErrorNotEnoughMemory = 8;    // ERROR_NOT_ENOUGH_MEMORY
inline constexpr CLIPDWORD kErrorNotReady = 21;          // ERROR_NOT_READY: no clipboard installed
inline constexpr CLIPDWORD kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
inline constexpr CLIPDWORD kErrorClipboardNotOpen = 1418;

// A clipboard behind the functions below. Members take the arguments of the Win32 function of
// the same name and answer as it does, setting the last error on failure; they may throw, the
// free functions turn that into a failure.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual BOOL OpenClipboard(HWND hWndNewOwner) = 0;
  virtual BOOL CloseClipboard() = 0;
  virtual BOOL EmptyClipboard() = 0;
  virtual UINT EnumClipboardFormats(UINT uFormat) = 0;
  virtual HGLOBAL GetClipboardData(UINT uFormat) = 0;
  virtual HGLOBAL SetClipboardData(UINT uFormat, HGLOBAL hMem) = 0;
  virtual UINT RegisterClipboardFormatA(const char* lpszFormat) = 0;
  virtual HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) = 0;
  virtual HGLOBAL GlobalFree(HGLOBAL hMem) = 0;
  virtual SIZE_T GlobalSize(HGLOBAL hMem) = 0;
  virtual void* GlobalLock(HGLOBAL hMem) = 0;
  virtual BOOL GlobalUnlock(HGLOBAL hMem) = 0;
  virtual CLIPDWORD GetLastError() = 0;
  virtual void SetLastError(CLIPDWORD dwError) = 0;
};

// Installs the clipboard of the process (the program chooses the backend); returns the previous
// one. Until one is installed every function fails, GetLastError giving ERROR_NOT_READY.
std::shared_ptr<Clipboard> SetClipboard(std::shared_ptr<Clipboard> pClipboard);
// The clipboard installed; Nothing when there is none.
std::shared_ptr<Clipboard> CurrentClipboard();

// The user32 and kernel32 functions. None of them throws.
BOOL OpenClipboard(HWND hWndNewOwner) noexcept;
BOOL CloseClipboard() noexcept;
BOOL EmptyClipboard() noexcept;
UINT EnumClipboardFormats(UINT uFormat) noexcept;
HGLOBAL GetClipboardData(UINT uFormat) noexcept;
HGLOBAL SetClipboardData(UINT uFormat, HGLOBAL hMem) noexcept;
UINT RegisterClipboardFormatA(const char* lpszFormat) noexcept;
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) noexcept;
HGLOBAL GlobalFree(HGLOBAL hMem) noexcept;
SIZE_T GlobalSize(HGLOBAL hMem) noexcept;
void* GlobalLock(HGLOBAL hMem) noexcept;
BOOL GlobalUnlock(HGLOBAL hMem) noexcept;
// The last error of the clipboard in use (Err.LastDllError after one of the calls above).
CLIPDWORD GetLastError() noexcept;

}  // namespace platform
