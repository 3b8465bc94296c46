#include "platform/win32/ScreenshotPng.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "host/Error.h"

namespace platform::win32 {
namespace {

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t nCrc = 0) {
  static const std::array<uint32_t, 256> kTable = [] {
    std::array<uint32_t, 256> a{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      a[i] = c;
    }
    return a;
  }();
  nCrc = ~nCrc;
  for (size_t i = 0; i < n; ++i) nCrc = kTable[(nCrc ^ p[i]) & 0xFF] ^ (nCrc >> 8);
  return ~nCrc;
}

uint32_t Adler32(const std::vector<uint8_t>& v) {
  uint32_t a = 1, b = 0;
  for (uint8_t c : v) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t n) {
  for (int nShift = 24; nShift >= 0; nShift -= 8) out.push_back(static_cast<uint8_t>(n >> nShift));
}

void PutChunk(std::vector<uint8_t>& out, const char* sType, const std::vector<uint8_t>& vecData) {
  PutBE32(out, static_cast<uint32_t>(vecData.size()));
  const size_t nStart = out.size();
  out.insert(out.end(), sType, sType + 4);
  out.insert(out.end(), vecData.begin(), vecData.end());
  PutBE32(out, Crc32(out.data() + nStart, out.size() - nStart));
}

// A zlib stream of stored blocks (at most 65535 bytes each).
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& vecRaw) {
  std::vector<uint8_t> out{0x78, 0x01};
  size_t nAt = 0;
  do {
    const size_t nLen = std::min<size_t>(65535, vecRaw.size() - nAt);
    const bool bFinal = nAt + nLen == vecRaw.size();
    out.push_back(bFinal ? 1 : 0);
    out.push_back(static_cast<uint8_t>(nLen));
    out.push_back(static_cast<uint8_t>(nLen >> 8));
    out.push_back(static_cast<uint8_t>(~nLen));
    out.push_back(static_cast<uint8_t>(~nLen >> 8));
    out.insert(out.end(), vecRaw.begin() + static_cast<std::ptrdiff_t>(nAt),
               vecRaw.begin() + static_cast<std::ptrdiff_t>(nAt + nLen));
    nAt += nLen;
  } while (nAt < vecRaw.size());
  PutBE32(out, Adler32(vecRaw));
  return out;
}

}  // namespace

std::vector<uint8_t> EncodePng(const Picture& oPicture) {
  if (oPicture.nWidth <= 0 || oPicture.nHeight <= 0 ||
      oPicture.pixels.size() != size_t(oPicture.nWidth) * size_t(oPicture.nHeight))
    host::Raise(host::err::InvalidProcedureCall, "A picture without pixels cannot be written as PNG");
  std::vector<uint8_t> vecRaw;
  vecRaw.reserve(size_t(oPicture.nHeight) * (1 + size_t(oPicture.nWidth) * 4));
  for (int32_t y = 0; y < oPicture.nHeight; ++y) {
    vecRaw.push_back(0);  // filter: none
    for (int32_t x = 0; x < oPicture.nWidth; ++x) {
      const uint32_t p = oPicture.At(x, y);
      vecRaw.insert(vecRaw.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                                   static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 24)});
    }
  }
  std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> vecHeader;
  PutBE32(vecHeader, static_cast<uint32_t>(oPicture.nWidth));
  PutBE32(vecHeader, static_cast<uint32_t>(oPicture.nHeight));
  vecHeader.insert(vecHeader.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  PutChunk(out, "IHDR", vecHeader);
  PutChunk(out, "IDAT", StoredZlib(vecRaw));
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace platform::win32
