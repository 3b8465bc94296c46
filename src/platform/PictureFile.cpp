// Decoding of .bmp and .ico files into pictures. Every offset and size read from the file is
// checked against the bytes there are: a damaged file is error 481, never a read out of bounds.
#include <cstring>
#include <limits>

#include "platform/Forms.h"

namespace platform {
namespace {

constexpr int32_t kInvalidPicture = 481;
constexpr int64_t kMaxSide = 4096;  // larger is no icon or logo of ours, and would be a huge allocation

[[noreturn]] void Invalid() {
  host::Raise(kInvalidPicture, "Invalid picture");
}

class Reader {
 public:
  Reader(const uint8_t* p, size_t n) : m_p(p), m_n(n) {}
  uint32_t U32(size_t nAt) const { return uint32_t(U16(nAt)) | uint32_t(U16(nAt + 2)) << 16; }
  uint16_t U16(size_t nAt) const {
    Need(nAt, 2);
    return uint16_t(m_p[nAt] | m_p[nAt + 1] << 8);
  }
  uint8_t U8(size_t nAt) const {
    Need(nAt, 1);
    return m_p[nAt];
  }
  void Need(size_t nAt, size_t nCount) const {
    if (nAt > m_n || nCount > m_n - nAt) Invalid();
  }
  Reader Sub(size_t nAt, size_t nCount) const {
    Need(nAt, nCount);
    return Reader(m_p + nAt, nCount);
  }
  size_t Size() const { return m_n; }

 private:
  const uint8_t* m_p;
  size_t m_n;
};

// A device-independent bitmap: BITMAPINFOHEADER, palette, pixels; for an icon the height counts
// the colour image and the AND mask that follows it.
PicturePtr DecodeDib(const Reader& r, bool bIcon, size_t nPixelsAt = 0) {
  const uint32_t nHeaderSize = r.U32(0);
  if (nHeaderSize < 40) Invalid();
  const int64_t nWidth = static_cast<int32_t>(r.U32(4));
  int64_t nHeight = static_cast<int32_t>(r.U32(8));
  const uint16_t nBits = r.U16(14);
  const uint32_t nCompression = r.U32(16);
  uint32_t nColours = r.U32(32);
  const bool bTopDown = nHeight < 0;
  if (bTopDown) nHeight = -nHeight;
  if (bIcon) nHeight /= 2;
  if (nWidth <= 0 || nHeight <= 0 || nWidth > kMaxSide || nHeight > kMaxSide) Invalid();
  if (nBits != 1 && nBits != 4 && nBits != 8 && nBits != 24 && nBits != 32) Invalid();
  // BI_RGB, or BI_BITFIELDS with the usual masks of a 32-bit image.
  if (nCompression != 0 && !(nCompression == 3 && nBits == 32)) Invalid();
  if (nBits <= 8 && (nColours == 0 || nColours > (1u << nBits))) nColours = 1u << nBits;
  if (nBits > 8) nColours = 0;

  size_t nAt = nHeaderSize + (nCompression == 3 && nHeaderSize == 40 ? 12 : 0);
  const size_t nPalette = nAt;
  nAt += size_t(nColours) * 4;
  const size_t nStride = ((size_t(nWidth) * nBits + 31) / 32) * 4;
  // A .bmp file says where its pixels are; they may not follow the palette at once.
  if (nPixelsAt != 0) {
    if (nPixelsAt < nAt) Invalid();
    nAt = nPixelsAt;
  }
  const size_t nPixels = nAt;
  r.Need(nPixels, nStride * size_t(nHeight));
  const size_t nMaskStride = ((size_t(nWidth) + 31) / 32) * 4;
  const size_t nMask = nPixels + nStride * size_t(nHeight);
  const bool bHasMask = bIcon && nMask + nMaskStride * size_t(nHeight) <= r.Size();

  auto pPicture = std::make_shared<Picture>(int32_t(nWidth), int32_t(nHeight));
  bool bAnyAlpha = false;
  for (int64_t y = 0; y < nHeight; ++y) {
    const size_t nRow = size_t(bTopDown ? y : nHeight - 1 - y);
    const size_t nLine = nPixels + nRow * nStride;
    for (int64_t x = 0; x < nWidth; ++x) {
      uint32_t nArgb = 0;
      if (nBits == 32) {
        const size_t n = nLine + size_t(x) * 4;
        nArgb =
            uint32_t(r.U8(n + 3)) << 24 | uint32_t(r.U8(n + 2)) << 16 | uint32_t(r.U8(n + 1)) << 8 | r.U8(n);
        bAnyAlpha |= (nArgb >> 24) != 0;
      } else if (nBits == 24) {
        const size_t n = nLine + size_t(x) * 3;
        nArgb = 0xFF000000u | uint32_t(r.U8(n + 2)) << 16 | uint32_t(r.U8(n + 1)) << 8 | r.U8(n);
      } else {
        const size_t nBit = size_t(x) * nBits;
        const uint8_t nByte = r.U8(nLine + nBit / 8);
        const uint32_t nIndex = (nByte >> (8 - nBits - nBit % 8)) & ((1u << nBits) - 1);
        if (nIndex >= nColours) Invalid();
        const size_t n = nPalette + size_t(nIndex) * 4;
        nArgb = 0xFF000000u | uint32_t(r.U8(n + 2)) << 16 | uint32_t(r.U8(n + 1)) << 8 | r.U8(n);
      }
      pPicture->At(int32_t(x), int32_t(y)) = nArgb;
    }
  }
  // A 32-bit image whose alpha is all 0 carries none: it is opaque, or shaped by the mask.
  for (auto& nArgb : pPicture->pixels)
    if (nBits == 32 && !bAnyAlpha) nArgb |= 0xFF000000u;
  if (bHasMask && !(nBits == 32 && bAnyAlpha)) {
    for (int64_t y = 0; y < nHeight; ++y) {
      const size_t nLine = nMask + size_t(nHeight - 1 - y) * nMaskStride;
      for (int64_t x = 0; x < nWidth; ++x)
        if ((r.U8(nLine + size_t(x) / 8) >> (7 - x % 8)) & 1) pPicture->At(int32_t(x), int32_t(y)) = 0;
    }
  }
  return pPicture;
}

PicturePtr DecodeIcon(const Reader& r, int32_t nSize) {
  if (r.U16(0) != 0 || (r.U16(2) != 1 && r.U16(2) != 2)) Invalid();
  const uint16_t nCount = r.U16(4);
  if (nCount == 0) Invalid();
  // The image closest to the size asked for; of two as close, the one with more colours.
  int nBest = -1;
  int64_t nBestDistance = std::numeric_limits<int64_t>::max();
  uint16_t nBestBits = 0;
  for (int i = 0; i < nCount; ++i) {
    const size_t nEntry = 6 + size_t(i) * 16;
    const int64_t nSide = r.U8(nEntry) == 0 ? 256 : r.U8(nEntry);
    const uint16_t nBits = r.U16(nEntry + 6);
    const int64_t nDistance = nSide > nSize ? nSide - nSize : nSize - nSide;
    if (nDistance < nBestDistance || (nDistance == nBestDistance && nBits > nBestBits)) {
      nBest = i;
      nBestDistance = nDistance;
      nBestBits = nBits;
    }
  }
  const size_t nEntry = 6 + size_t(nBest) * 16;
  return DecodeDib(r.Sub(r.U32(nEntry + 12), r.U32(nEntry + 8)), true);
}

}  // namespace

PicturePtr LoadPictureFile(const std::vector<uint8_t>& vecFile, int32_t nSize) {
  Reader r(vecFile.data(), vecFile.size());
  if (r.Size() >= 2 && vecFile[0] == 'B' && vecFile[1] == 'M') {
    const uint32_t nOffset = r.U32(10);
    if (nOffset < 14) Invalid();
    return DecodeDib(r.Sub(14, r.Size() - 14), false, nOffset - 14);
  }
  if (r.Size() >= 4 && r.U16(0) == 0 && r.U16(2) == 1) return DecodeIcon(r, nSize);
  Invalid();
}

}  // namespace platform
