#include "resources/Resources.h"

#include <cstdlib>
#include <cstring>

#include "host/Text.h"
#include "resources/ResourceData.h"

namespace resources {
namespace {

int32_t ReadInt32(const std::vector<uint8_t>& vecFile, size_t nOffset) {
  int32_t n = 0;
  std::memcpy(&n, vecFile.data() + nOffset, sizeof n);
  return n;
}

}  // namespace

CPicture::CPicture(EPicType eType, std::vector<uint8_t> vecFile)
    : m_eType(eType), m_vecFile(std::move(vecFile)) {
  const std::vector<uint8_t>& v = m_vecFile;
  if (m_eType == vbPicTypeBitmap) {
    // BITMAPFILEHEADER, then the width and height of BITMAPINFOHEADER (negative for top-down).
    if (v.size() >= 26 && v[0] == 'B' && v[1] == 'M') {
      m_nWidth = std::abs(ReadInt32(v, 18));
      m_nHeight = std::abs(ReadInt32(v, 22));
    }
    return;
  }
  // ICONDIR, then one 16-byte entry per image whose first two bytes are its size (0 for 256).
  if (v.size() < 6) return;
  size_t nCount = v[4] | (v[5] << 8);
  for (size_t i = 0; i < nCount && 6 + 16 * (i + 1) <= v.size(); ++i) {
    int32_t nWidth = v[6 + 16 * i] ? v[6 + 16 * i] : 256;
    int32_t nHeight = v[7 + 16 * i] ? v[7 + 16 * i] : 256;
    if (nWidth * nHeight > m_nWidth * m_nHeight) {
      m_nWidth = nWidth;
      m_nHeight = nHeight;
    }
  }
}

std::string LoadResString(int32_t nId) {
  for (size_t i = 0; i < data::kStringCount; ++i)
    if (data::kStrings[i].nId == nId) return host::AnsiToUtf8(data::kStrings[i].sText);
  return {};
}

std::shared_ptr<const CPicture> LoadResPicture(const std::string& sName, EResType eType) {
  data::ResourceKind eKind = eType == vbResIcon ? data::ResourceKind::Icon : data::ResourceKind::Bitmap;
  for (size_t i = 0; i < data::kFileCount; ++i) {
    const data::FileEntry& oFile = data::kFiles[i];
    // Resource names are not case-sensitive.
    if (oFile.eKind != eKind || !host::EqualsNoCase(oFile.sName, sName)) continue;
    return std::make_shared<const CPicture>(eType == vbResIcon ? vbPicTypeIcon : vbPicTypeBitmap,
                                            std::vector<uint8_t>(oFile.pBytes, oFile.pBytes + oFile.nSize));
  }
  return nullptr;
}

}  // namespace resources
