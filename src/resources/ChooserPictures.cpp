#include "resources/ChooserPictures.h"

#include "host/Error.h"
#include "host/Text.h"
#include "resources/Resources.h"

namespace resources {
namespace {

// Visual Basic's "Resource with identifier not found".
constexpr int32_t kResourceNotFound = 326;

}  // namespace

const std::vector<std::string>& FolderIconKeys() {
  static const std::vector<std::string> vecKeys = {
      "Calendar", "Contacts", "DeletedItems", "Drafts",   "Folder",   "Inbox", "Journal",
      "Junk",     "Notes",    "Outbox",       "Personal", "SentMail", "Tasks", "PersonalOther"};
  return vecKeys;
}

platform::PicturePtr LoadResImage(const std::string& sName) {
  auto pResource = LoadResPicture(sName, vbResIcon);
  if (!pResource) host::Raise(kResourceNotFound, "Resource with identifier '" + sName + "' not found");
  // Our icons hold one image each, at its own size.
  return platform::LoadPictureFile(pResource->FileBytes(), pResource->Width());
}

platform::PicturePtr FolderIcon(const std::string& sKey) {
  for (const std::string& s : FolderIconKeys())
    if (host::EqualsNoCase(s, sKey)) return LoadResImage("FOLDER_" + host::ToUpper(s));
  host::Raise(kResourceNotFound, "Resource with identifier 'FOLDER_" + host::ToUpper(sKey) + "' not found");
}

platform::PicturePtr FlagPicture(int32_t nIndex) {
  if (nIndex < 1 || nIndex > 7)
    host::Raise(kResourceNotFound,
                "Resource with identifier 'FLAG_" + std::to_string(nIndex) + "' not found");
  return LoadResImage("FLAG_" + std::to_string(nIndex));
}

void LoadFolderIcons(platform::ImageList& oImages) {
  for (const std::string& sKey : FolderIconKeys()) oImages.Add(sKey, FolderIcon(sKey));
}

}  // namespace resources
