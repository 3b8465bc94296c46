// Button faces from the add-in's bitmap resources: the device-independent bitmap that goes on the
// clipboard for a pasted face, and the picture that a face's Picture and Mask take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/Office.h"

namespace mButtonFaces {

// The bitmap resource nId (101..106 pictures, 201..206 masks) without its file header: a
// BITMAPINFOHEADER, the colour table and the rows. Error 326 (resource not found) when missing.
std::vector<uint8_t> ResourceDib(int32_t nId);
// A device-independent bitmap as a face picture: rows top-down, without padding. Error 481
// (invalid picture) for anything that is not a well-formed DIB.
std::shared_ptr<host::Picture> PictureFromDib(const uint8_t* pDib, size_t nSize);
// Both in one.
std::shared_ptr<host::Picture> LoadFace(int32_t nId);

}  // namespace mButtonFaces
