#include "commands/mButtonFaces.h"

#include <cstring>
#include <string>

#include "host/Error.h"
#include "resources/Resources.h"

namespace mButtonFaces {
namespace {

constexpr int32_t kErrResourceNotFound = 326;
constexpr int32_t kErrInvalidPicture = 481;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

template <class T>
T Read(const uint8_t* p, size_t nOffset) {
  T v;
  std::memcpy(&v, p + nOffset, sizeof v);
  return v;
}

[[noreturn]] void BadPicture() {
  host::Raise(kErrInvalidPicture, "Invalid picture");
}

}  // namespace

std::vector<uint8_t> ResourceDib(int32_t nId) {
  auto oPicture = resources::LoadResPicture(std::to_string(nId), resources::vbResBitmap);
  if (!oPicture || oPicture->FileBytes().size() <= kFileHeaderSize)
    host::Raise(kErrResourceNotFound, "Resource with identifier '" + std::to_string(nId) + "' not found");
  const auto& vecFile = oPicture->FileBytes();
  return std::vector<uint8_t>(vecFile.begin() + kFileHeaderSize, vecFile.end());
}

std::shared_ptr<host::Picture> PictureFromDib(const uint8_t* pDib, size_t nSize) {
  if (!pDib || nSize < kInfoHeaderSize) BadPicture();
  uint32_t nHeaderSize = Read<uint32_t>(pDib, 0);
  int32_t nWidth = Read<int32_t>(pDib, 4);
  int32_t nHeight = Read<int32_t>(pDib, 8);
  uint16_t nBits = Read<uint16_t>(pDib, 14);
  uint32_t nCompression = Read<uint32_t>(pDib, 16);
  uint32_t nColours = Read<uint32_t>(pDib, 32);
  bool bTopDown = nHeight < 0;
  int64_t nRows = bTopDown ? -int64_t{nHeight} : nHeight;
  // Uncompressed bitmaps of a sane size only: a face is 16 by 16, a user's picture not much more.
  if (nHeaderSize < kInfoHeaderSize || nHeaderSize > nSize || nWidth <= 0 || nWidth > 4096 || nRows <= 0 ||
      nRows > 4096 || nCompression != 0 ||
      (nBits != 1 && nBits != 4 && nBits != 8 && nBits != 24 && nBits != 32))
    BadPicture();
  if (nBits <= 8 && nColours == 0) nColours = 1u << nBits;
  if (nBits > 8) nColours = 0;
  if (nColours > 256) BadPicture();
  size_t nOffset = nHeaderSize + size_t{nColours} * 4;
  size_t nRowBytes = (static_cast<size_t>(nWidth) * nBits + 7) / 8;
  size_t nStride = ((static_cast<size_t>(nWidth) * nBits + 31) / 32) * 4;
  if (nOffset > nSize || (nSize - nOffset) / nStride < static_cast<size_t>(nRows)) BadPicture();

  auto oPicture = std::make_shared<host::Picture>();
  oPicture->nWidth = nWidth;
  oPicture->nHeight = static_cast<int32_t>(nRows);
  oPicture->nBitsPerPixel = nBits;
  oPicture->pixels.reserve(nRowBytes * static_cast<size_t>(nRows));
  for (int64_t y = 0; y < nRows; ++y) {
    int64_t nSource = bTopDown ? y : nRows - 1 - y;
    const uint8_t* pRow = pDib + nOffset + static_cast<size_t>(nSource) * nStride;
    oPicture->pixels.insert(oPicture->pixels.end(), pRow, pRow + nRowBytes);
  }
  return oPicture;
}

std::shared_ptr<host::Picture> LoadFace(int32_t nId) {
  std::vector<uint8_t> vecDib = ResourceDib(nId);
  return PictureFromDib(vecDib.data(), vecDib.size());
}

}  // namespace mButtonFaces
