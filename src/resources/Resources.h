// The add-in library's own resources: the string table and its pictures, looked up like Visual
// Basic's LoadResString and LoadResPicture. The same entries are compiled into the module by
// the resource compiler on Windows (Quillo.rc).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace resources {

enum EResType : int32_t { vbResBitmap = 0, vbResIcon = 1 };
enum EPicType : int32_t { vbPicTypeBitmap = 1, vbPicTypeIcon = 3 };

// A picture as the resources hold it: the bytes of its .bmp or .ico file, which the windowing
// layer turns into a bitmap or an icon. Width and Height are in pixels (the largest image of an
// icon); 0 when the file does not say.
class CPicture {
 public:
  CPicture(EPicType eType, std::vector<uint8_t> vecFile);
  EPicType Type() const { return m_eType; }
  int32_t Width() const { return m_nWidth; }
  int32_t Height() const { return m_nHeight; }
  const std::vector<uint8_t>& FileBytes() const { return m_vecFile; }

 private:
  EPicType m_eType;
  std::vector<uint8_t> m_vecFile;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
};

// The text of a string table entry, UTF-8; empty when there is none.
std::string LoadResString(int32_t nId);
// The named icon or bitmap; Nothing when there is none.
std::shared_ptr<const CPicture> LoadResPicture(const std::string& sName, EResType eType);

}  // namespace resources
