#include "platform/portable/ClipboardModel.h"

#include <algorithm>
#include <cctype>

namespace platform::portable {
namespace {

std::string Upper(const char* s) {
  std::string sOut = s ? s : "";
  for (char& c : sOut) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return sOut;
}

}  // namespace

bool ClipboardModel::NeedOpen() {
  if (m_bOpen) return true;
  m_dwLastError = kErrorClipboardNotOpen;
  return false;
}

const ClipboardModel::Slot* ClipboardModel::SlotOf(UINT uFormat) const {
  for (const auto& o : m_vecSlots)
    if (o.uFormat == uFormat) return &o;
  return nullptr;
}

bool ClipboardModel::HasFormat(UINT uFormat) const {
  return SlotOf(uFormat) != nullptr;
}

// Windows renders CF_BITMAP from a CF_DIB on request; it is listed after the formats placed.
bool ClipboardModel::DerivesBitmap() const {
  return HasFormat(CF_DIB) && !HasFormat(CF_BITMAP);
}

void ClipboardModel::Free(HGLOBAL h) {
  m_mapBlocks.erase(static_cast<intptr_t>(h));
}

BOOL ClipboardModel::OpenClipboard(HWND) {
  if (m_bHeldElsewhere) {
    m_dwLastError = kErrorAccessDenied;
    return 0;
  }
  m_bOpen = true;
  return 1;
}

BOOL ClipboardModel::CloseClipboard() {
  if (!NeedOpen()) return 0;
  m_bOpen = false;
  return 1;
}

BOOL ClipboardModel::EmptyClipboard() {
  if (!NeedOpen()) return 0;
  for (const auto& o : m_vecSlots) Free(o.hData);
  m_vecSlots.clear();
  return 1;
}

UINT ClipboardModel::EnumClipboardFormats(UINT uFormat) {
  if (!NeedOpen()) return 0;
  m_dwLastError = 0;
  size_t nNext = 0;
  if (uFormat != 0) {
    if (uFormat == CF_BITMAP && DerivesBitmap()) return 0;
    auto it = std::find_if(m_vecSlots.begin(), m_vecSlots.end(),
                           [&](const Slot& o) { return o.uFormat == uFormat; });
    if (it == m_vecSlots.end()) return 0;
    nNext = static_cast<size_t>(it - m_vecSlots.begin()) + 1;
  }
  if (nNext < m_vecSlots.size()) return m_vecSlots[nNext].uFormat;
  return DerivesBitmap() ? CF_BITMAP : 0;
}

HGLOBAL ClipboardModel::GetClipboardData(UINT uFormat) {
  if (!NeedOpen()) return kNoHandle;
  if (setUnreadable.count(uFormat)) {
    m_dwLastError = kErrorNotEnoughMemory;
    return kNoHandle;
  }
  if (const Slot* p = SlotOf(uFormat)) return p->hData;
  if (uFormat == CF_BITMAP && DerivesBitmap()) return kDerivedBitmapHandle;
  m_dwLastError = kErrorInvalidParameter;
  return kNoHandle;
}

HGLOBAL ClipboardModel::SetClipboardData(UINT uFormat, HGLOBAL hMem) {
  if (!NeedOpen()) return kNoHandle;
  auto it = m_mapBlocks.find(static_cast<intptr_t>(hMem));
  if (bRefuseSetData || uFormat == 0 || it == m_mapBlocks.end()) {
    m_dwLastError = bRefuseSetData ? kErrorNotEnoughMemory : kErrorInvalidHandle;
    return kNoHandle;
  }
  it->second.bOwnedByClipboard = true;
  for (auto& o : m_vecSlots) {
    if (o.uFormat != uFormat) continue;
    if (o.hData != hMem) Free(o.hData);
    o.hData = hMem;
    return hMem;
  }
  m_vecSlots.push_back({uFormat, hMem});
  return hMem;
}

UINT ClipboardModel::RegisterClipboardFormatA(const char* lpszFormat) {
  std::string sKey = Upper(lpszFormat);
  if (sKey.empty()) {
    m_dwLastError = kErrorInvalidParameter;
    return 0;
  }
  auto it = m_mapRegistered.find(sKey);
  if (it != m_mapRegistered.end()) return it->second;
  UINT u = m_uNextFormat++;
  m_mapRegistered[sKey] = u;
  m_mapRegisteredNames[u] = lpszFormat;
  return u;
}

HGLOBAL ClipboardModel::GlobalAlloc(UINT, SIZE_T dwBytes) {
  if (bFailGlobalAlloc) {
    m_dwLastError = kErrorNotEnoughMemory;
    return kNoHandle;
  }
  intptr_t n = m_nNextHandle;
  m_nNextHandle += 8;
  m_mapBlocks[n].vecData.assign(dwBytes, 0);
  return HGLOBAL(n);
}

HGLOBAL ClipboardModel::GlobalFree(HGLOBAL hMem) {
  auto it = m_mapBlocks.find(static_cast<intptr_t>(hMem));
  if (it == m_mapBlocks.end() || it->second.bOwnedByClipboard) {
    m_dwLastError = kErrorInvalidHandle;
    return hMem;
  }
  m_mapBlocks.erase(it);
  return kNoHandle;
}

SIZE_T ClipboardModel::GlobalSize(HGLOBAL hMem) {
  auto it = m_mapBlocks.find(static_cast<intptr_t>(hMem));
  if (it == m_mapBlocks.end()) {
    m_dwLastError = kErrorInvalidHandle;
    return 0;
  }
  return it->second.vecData.size();
}

void* ClipboardModel::GlobalLock(HGLOBAL hMem) {
  auto it = m_mapBlocks.find(static_cast<intptr_t>(hMem));
  if (bFailGlobalLock || it == m_mapBlocks.end()) {
    m_dwLastError = bFailGlobalLock ? kErrorNotEnoughMemory : kErrorInvalidHandle;
    return nullptr;
  }
  ++it->second.nLocks;
  // A block of no bytes still locks to a valid address, as a fixed block does.
  static uint8_t s_byEmpty = 0;
  return it->second.vecData.empty() ? &s_byEmpty : it->second.vecData.data();
}

BOOL ClipboardModel::GlobalUnlock(HGLOBAL hMem) {
  auto it = m_mapBlocks.find(static_cast<intptr_t>(hMem));
  if (it == m_mapBlocks.end()) {
    m_dwLastError = kErrorInvalidHandle;
    return 0;
  }
  if (it->second.nLocks > 0) --it->second.nLocks;
  m_dwLastError = 0;
  return it->second.nLocks > 0;
}

std::vector<ClipboardModel::Entry> ClipboardModel::Contents() const {
  std::vector<Entry> vec;
  for (const auto& o : m_vecSlots) {
    auto it = m_mapBlocks.find(static_cast<intptr_t>(o.hData));
    vec.push_back({o.uFormat, it == m_mapBlocks.end() ? std::vector<uint8_t>() : it->second.vecData, true});
  }
  if (DerivesBitmap()) vec.push_back({CF_BITMAP, *Bitmap(), false});
  return vec;
}

void ClipboardModel::Replace(const std::vector<Entry>& vecEntries) {
  for (const auto& o : m_vecSlots) Free(o.hData);
  m_vecSlots.clear();
  for (const auto& o : vecEntries) {
    if (!o.bBlock) continue;
    intptr_t n = m_nNextHandle;
    m_nNextHandle += 8;
    Block& oBlock = m_mapBlocks[n];
    oBlock.vecData = o.vecData;
    oBlock.bOwnedByClipboard = true;
    m_vecSlots.push_back({o.uFormat, HGLOBAL(n)});
  }
}

std::optional<std::vector<uint8_t>> ClipboardModel::Bitmap() const {
  const Slot* p = SlotOf(CF_BITMAP);
  if (!p) p = SlotOf(CF_DIB);
  if (!p) return std::nullopt;
  auto it = m_mapBlocks.find(static_cast<intptr_t>(p->hData));
  if (it == m_mapBlocks.end()) return std::nullopt;
  return it->second.vecData;
}

std::string ClipboardModel::FormatName(UINT uFormat) const {
  static const std::pair<UINT, const char*> kNames[] = {{CF_TEXT, "CF_TEXT"},
                                                        {CF_BITMAP, "CF_BITMAP"},
                                                        {CF_METAFILEPICT, "CF_METAFILEPICT"},
                                                        {CF_OEMTEXT, "CF_OEMTEXT"},
                                                        {CF_DIB, "CF_DIB"},
                                                        {CF_PALETTE, "CF_PALETTE"},
                                                        {CF_LOCALE, "CF_LOCALE"},
                                                        {CF_UNICODETEXT, "CF_UNICODETEXT"},
                                                        {CF_ENHMETAFILE, "CF_ENHMETAFILE"},
                                                        {CF_DIBV5, "CF_DIBV5"}};
  for (const auto& [u, s] : kNames)
    if (u == uFormat) return s;
  auto it = m_mapRegisteredNames.find(uFormat);
  if (it != m_mapRegisteredNames.end()) return it->second;
  return "format " + std::to_string(uFormat);
}

}  // namespace platform::portable
