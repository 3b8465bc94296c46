// The clipboard as an in-memory model, for builds without the Win32 clipboard and for tests and
// quillo-sim: an ordered list of formats, each an opaque byte block; formats registered by name;
// the bitmap that Windows derives from a device-independent bitmap; and switches that make it
// behave as a busy or failing system clipboard does.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Clipboard.h"

namespace platform::portable {

class ClipboardModel : public Clipboard {
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
  CLIPDWORD GetLastError() override { return m_dwLastError; }
  void SetLastError(CLIPDWORD dwError) override { m_dwLastError = dwError; }

  // --- What another program or the user does, and what a driver looks at ---
  struct Entry {
    UINT uFormat = 0;
    std::vector<uint8_t> vecData;
    // False for the bitmap derived from a DIB: not a memory block, its bytes are the DIB's.
    bool bBlock = true;
  };
  // Every format in the order EnumClipboardFormats gives them, the derived bitmap last.
  std::vector<Entry> Contents() const;
  // Another program empties the clipboard and puts these formats on it.
  void Replace(const std::vector<Entry>& vecEntries);
  // Another program keeps the clipboard open: OpenClipboard fails with ERROR_ACCESS_DENIED.
  void SetHeldElsewhere(bool bHeld) { m_bHeldElsewhere = bHeld; }
  bool HeldElsewhere() const { return m_bHeldElsewhere; }
  bool IsOpen() const { return m_bOpen; }
  // The device-independent bitmap behind CF_BITMAP (placed or derived); none without one.
  std::optional<std::vector<uint8_t>> Bitmap() const;
  // "CF_TEXT", "CF_DIB", ... or the registered name; "format N" for anything else.
  std::string FormatName(UINT uFormat) const;
  // Memory blocks allocated and not freed, the clipboard's own included.
  size_t LiveBlocks() const { return m_mapBlocks.size(); }

  // Failures on request, as a system short of memory or with a broken format gives them.
  bool bFailGlobalAlloc = false;
  bool bFailGlobalLock = false;
  bool bRefuseSetData = false;
  std::set<UINT> setUnreadable;

 private:
  struct Block {
    std::vector<uint8_t> vecData;
    int32_t nLocks = 0;
    bool bOwnedByClipboard = false;
  };
  struct Slot {
    UINT uFormat;
    HGLOBAL hData;
  };
  bool NeedOpen();
  void Free(HGLOBAL h);
  bool HasFormat(UINT uFormat) const;
  bool DerivesBitmap() const;
  const Slot* SlotOf(UINT uFormat) const;

  std::vector<Slot> m_vecSlots;
  std::map<intptr_t, Block> m_mapBlocks;
  std::map<std::string, UINT> m_mapRegistered;  // upper-cased name -> format
  std::map<UINT, std::string> m_mapRegisteredNames;
  intptr_t m_nNextHandle = 0x1000;
  UINT m_uNextFormat = 0xC000;
  CLIPDWORD m_dwLastError = 0;
  bool m_bOpen = false;
  bool m_bHeldElsewhere = false;
};

// The handle GetClipboardData gives for the derived bitmap: a GDI object, not a memory block.
inline constexpr HGLOBAL kDerivedBitmapHandle = HGLOBAL(0x7FFF0000);

}  // namespace platform::portable
