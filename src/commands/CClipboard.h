// Keeps the user's clipboard safe while button faces are pasted through it: Save copies every
// format whose data is a memory block, Restore empties the clipboard and puts the copies back.
// Pairs nest; only the outermost pair touches the clipboard. Neither call raises or shows
// anything: problems become warning lines.
#pragma once

#include <cstdint>
#include <vector>

#include "settings/COptions.h"

class CClipboard {
 public:
  CClipboard() = default;
  CClipboard(const CClipboard&) = delete;
  CClipboard& operator=(const CClipboard&) = delete;
  // An unbalanced Save is reported, never restored.
  ~CClipboard();

  void Save() noexcept;
  void Restore() noexcept;

  // The nesting counter (0 when idle) and the number of formats held.
  int32_t UseCount() const { return m_UseCount; }
  size_t SavedCount() const { return m_colFormats.size(); }

 private:
  struct CSavedFormat {
    uint32_t nFormat = 0;
    uint32_t nSize = 0;
    std::vector<uint8_t> abData;
  };

  int32_t m_UseCount = 0;
  std::vector<CSavedFormat> m_colFormats;
};

// The one keeper of the add-in, created on first use.
extern constinit CAutoNew<CClipboard> g_oClipboard;
