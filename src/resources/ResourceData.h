// The add-in's resources as compiled-in data (generated from Quillo.rc); read through
// Resources.h only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace resources::data {

enum class ResourceKind { Icon, Bitmap };

struct StringEntry {
  int32_t nId;
  const char* sText;
};

// The bytes of the .ico or .bmp file named in the script.
struct FileEntry {
  const char* sName;
  ResourceKind eKind;
  const unsigned char* pBytes;
  size_t nSize;
};

extern const StringEntry kStrings[];
extern const size_t kStringCount;
extern const FileEntry kFiles[];
extern const size_t kFileCount;

}  // namespace resources::data
