// The list chooser's pictures of our own, from the resources, as the forms toolkit draws them:
// the folder icons of its tree (one per key), the list icon, the two header pictures, the two
// sort markers (20 x 16) and the seven follow-up flag pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Controls.h"

namespace resources {

// Resource names of the single pictures.
constexpr const char* kListIcon = "DL_ICON";
constexpr const char* kHeaderListPicture = "HEADER_LIST";
constexpr const char* kHeaderFlagPicture = "HEADER_FLAG";
constexpr const char* kSortDownPicture = "SORT_DOWN";  // a triangle pointing down
constexpr const char* kSortUpPicture = "SORT_UP";      // a triangle pointing up

// The keys of the folder icons: "Calendar", "Contacts", ..., "PersonalOther".
const std::vector<std::string>& FolderIconKeys();
// An icon of the resources as a toolkit picture. Error 326 when there is no such resource.
platform::PicturePtr LoadResImage(const std::string& sName);
// The folder icon of a key (error 326 for an unknown key).
platform::PicturePtr FolderIcon(const std::string& sKey);
// The flag picture of a flag index 1 to 7 (error 326 for any other index: index 0 has none).
platform::PicturePtr FlagPicture(int32_t nIndex);
// Adds every folder icon to an image list under its key.
void LoadFolderIcons(platform::ImageList& oImages);

}  // namespace resources
