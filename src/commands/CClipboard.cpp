#include "commands/CClipboard.h"

#include <cstring>

#include "common/mGlobals.h"
#include "platform/Clipboard.h"

using mGlobals::sprintf;
using mGlobals::Trace;
using mGlobals::TraceError;
using mGlobals::TraceWarning;

constinit CAutoNew<CClipboard> g_oClipboard;

namespace {

// Closes the clipboard on every way out of a routine that opened it, so an unexpected error
// never leaves it locked against every other program.
class CClipboardOpen {
 public:
  CClipboardOpen() : m_bOpen(platform::OpenClipboard(platform::HWND(0)) != 0) {}
  ~CClipboardOpen() {
    if (m_bOpen) platform::CloseClipboard();
  }
  CClipboardOpen(const CClipboardOpen&) = delete;
  CClipboardOpen& operator=(const CClipboardOpen&) = delete;
  bool IsOpen() const { return m_bOpen; }

 private:
  bool m_bOpen;
};

// Handles, formats, sizes and error codes are written as the 32-bit Longs of the add-in's own
// (32-bit) process.
int32_t HandleValue(platform::HGLOBAL h) {
  return static_cast<int32_t>(static_cast<intptr_t>(h));
}
int32_t LastError() {
  return static_cast<int32_t>(platform::GetLastError());
}

}  // namespace

CClipboard::~CClipboard() {
  if (m_UseCount != 0)
    mGlobals::TraceWarning("CClipboard::Class_Terminate", sprintf("m_UseCount(%d) <> 0", m_UseCount));
}

void CClipboard::Save() noexcept {
  ++m_UseCount;
  if (m_UseCount != 1) return;
  const char* kSource = "CClipboard::Save";
  try {
    Trace(kSource, "{", 3);
    m_colFormats.clear();
    {
      CClipboardOpen oOpen;
      if (!oOpen.IsOpen()) {
        TraceWarning(kSource, sprintf("OpenClipboard, Err.LastDllError = %d", LastError()));
        Trace(kSource, "}", 3);
        return;
      }
      for (platform::UINT nFormat = platform::EnumClipboardFormats(0); nFormat != 0;
           nFormat = platform::EnumClipboardFormats(nFormat)) {
        platform::HGLOBAL hData = platform::GetClipboardData(nFormat);
        if (hData == platform::kNoHandle) {
          TraceWarning(kSource, sprintf("GetClipboardData(%d), Err.LastDllError = %d",
                                        static_cast<int32_t>(nFormat), LastError()));
          continue;
        }
        platform::SIZE_T nSize = platform::GlobalSize(hData);
        const void* pData = platform::GlobalLock(hData);
        if (!pData) {
          TraceWarning(kSource,
                       sprintf("GlobalLock(%d), Err.LastDllError = %d", HandleValue(hData), LastError()));
          continue;
        }
        CSavedFormat oFormat;
        oFormat.nFormat = nFormat;
        oFormat.nSize = static_cast<uint32_t>(nSize);
        try {
          oFormat.abData.assign(static_cast<const uint8_t*>(pData),
                                static_cast<const uint8_t*>(pData) + nSize);
          m_colFormats.push_back(std::move(oFormat));
        } catch (...) {
          platform::GlobalUnlock(hData);
          throw;
        }
        platform::GlobalUnlock(hData);
      }
    }
    Trace(kSource, "}", 3);
  } catch (...) {
    TraceError(kSource);
  }
}

void CClipboard::Restore() noexcept {
  int32_t nBefore = m_UseCount--;
  if (nBefore != 1) return;
  const char* kSource = "CClipboard::Restore";
  try {
    Trace(kSource, "{", 3);
    {
      CClipboardOpen oOpen;
      if (!oOpen.IsOpen()) {
        TraceWarning(kSource, sprintf("OpenClipboard, Err.LastDllError = %d", LastError()));
        m_colFormats.clear();
        Trace(kSource, "}", 3);
        return;
      }
      platform::EmptyClipboard();
      for (const CSavedFormat& oFormat : m_colFormats) {
        platform::HGLOBAL hMem = platform::GlobalAlloc(platform::GMEM_FIXED, oFormat.nSize);
        if (hMem == platform::kNoHandle) {
          TraceWarning(kSource, sprintf("GlobalAlloc(0,%d), Err.LastDllError = %d",
                                        static_cast<int32_t>(oFormat.nSize), LastError()));
          continue;
        }
        void* pData = platform::GlobalLock(hMem);
        if (!pData) {
          TraceWarning(kSource,
                       sprintf("GlobalLock(%d), Err.LastDllError = %d", HandleValue(hMem), LastError()));
          // Nobody else will ever own it.
          platform::GlobalFree(hMem);
          continue;
        }
        if (oFormat.nSize != 0) std::memcpy(pData, oFormat.abData.data(), oFormat.nSize);
        platform::GlobalUnlock(hMem);
        // The clipboard owns the block only once it has taken it.
        if (platform::SetClipboardData(oFormat.nFormat, hMem) == platform::kNoHandle)
          platform::GlobalFree(hMem);
      }
    }
    m_colFormats.clear();
    Trace(kSource, "}", 3);
  } catch (...) {
    m_colFormats.clear();
    TraceError(kSource);
  }
}
