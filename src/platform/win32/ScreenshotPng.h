// A minimal PNG writer for window screenshots: 8-bit RGBA, no filtering, the zlib stream made
// of stored (uncompressed) deflate blocks. Plain C++, no Windows header.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Forms.h"

namespace platform::win32 {

// The bytes of a PNG file of the picture (pixels 0xAARRGGBB). Error 5 for an empty picture or
// one whose pixel count does not match its size.
std::vector<uint8_t> EncodePng(const Picture& oPicture);

}  // namespace platform::win32
