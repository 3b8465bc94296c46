#include "platform/Clipboard.h"

#include <mutex>
#include <utility>

namespace platform {
namespace {

std::mutex g_mtxClipboard;
std::shared_ptr<Clipboard> g_pClipboard;

// user32 never throws into its caller, so neither do we: whatever a backend lets escape becomes
// the failure result of the call. Without a clipboard every call fails.
template <class R, class F>
R Call(R rFailed, F&& fnCall) noexcept {
  std::shared_ptr<Clipboard> pClipboard = CurrentClipboard();
  if (!pClipboard) return rFailed;
  try {
    return fnCall(*pClipboard);
  } catch (...) {
    try {
      pClipboard->SetLastError(kErrorNotEnoughMemory);
    } catch (...) {
    }
    return rFailed;
  }
}

}  // namespace

std::shared_ptr<Clipboard> SetClipboard(std::shared_ptr<Clipboard> pClipboard) {
  std::lock_guard<std::mutex> lock(g_mtxClipboard);
  return std::exchange(g_pClipboard, std::move(pClipboard));
}

std::shared_ptr<Clipboard> CurrentClipboard() {
  std::lock_guard<std::mutex> lock(g_mtxClipboard);
  return g_pClipboard;
}

BOOL OpenClipboard(HWND hWndNewOwner) noexcept {
  return Call(BOOL{0}, [&](Clipboard& c) { return c.OpenClipboard(hWndNewOwner); });
}
BOOL CloseClipboard() noexcept {
  return Call(BOOL{0}, [&](Clipboard& c) { return c.CloseClipboard(); });
}
BOOL EmptyClipboard() noexcept {
  return Call(BOOL{0}, [&](Clipboard& c) { return c.EmptyClipboard(); });
}
UINT EnumClipboardFormats(UINT uFormat) noexcept {
  return Call(UINT{0}, [&](Clipboard& c) { return c.EnumClipboardFormats(uFormat); });
}
HGLOBAL GetClipboardData(UINT uFormat) noexcept {
  return Call(kNoHandle, [&](Clipboard& c) { return c.GetClipboardData(uFormat); });
}
HGLOBAL SetClipboardData(UINT uFormat, HGLOBAL hMem) noexcept {
  return Call(kNoHandle, [&](Clipboard& c) { return c.SetClipboardData(uFormat, hMem); });
}
UINT RegisterClipboardFormatA(const char* lpszFormat) noexcept {
  return Call(UINT{0}, [&](Clipboard& c) { return c.RegisterClipboardFormatA(lpszFormat); });
}
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) noexcept {
  return Call(kNoHandle, [&](Clipboard& c) { return c.GlobalAlloc(uFlags, dwBytes); });
}
HGLOBAL GlobalFree(HGLOBAL hMem) noexcept {
  return Call(hMem, [&](Clipboard& c) { return c.GlobalFree(hMem); });
}
SIZE_T GlobalSize(HGLOBAL hMem) noexcept {
  return Call(SIZE_T{0}, [&](Clipboard& c) { return c.GlobalSize(hMem); });
}
void* GlobalLock(HGLOBAL hMem) noexcept {
  return Call(static_cast<void*>(nullptr), [&](Clipboard& c) { return c.GlobalLock(hMem); });
}
BOOL GlobalUnlock(HGLOBAL hMem) noexcept {
  return Call(BOOL{0}, [&](Clipboard& c) { return c.GlobalUnlock(hMem); });
}
CLIPDWORD GetLastError() noexcept {
  return Call(kErrorNotReady, [&](Clipboard& c) { return c.GetLastError(); });
}

}  // namespace platform
