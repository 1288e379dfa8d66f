#pragma once
// The items of a user's part of the Recycle Bin of Vista and later. Each deleted file or
// folder is kept there as two names with the same ending: "$I<id><ext>", which says where it
// came from, and "$R<id><ext>", the file itself or the whole folder. One goes only with the
// other, so an item is one row: the "$R" entry (the "$I" one when its "$R" is gone), with its
// partners, the "$I" file and everything a "$R" folder holds.
//
// Nothing else there is an item (desktop.ini). Like every walk it never enters a link nor
// lists one, and never lists or enters a cloud file; a link inside a "$R" folder stays, and
// with it the folder.

#include <string>
#include <string_view>
#include <vector>

#include "files/location_walk.h"
#include "platform/file_system.h"

namespace sw::files {

struct BinItem {
  platform::FolderEntry entry;  // the row's own: the "$R" entry, else the "$I" one
  struct Partner {
    std::string name;  // below the Recycle Bin folder: "$I2K7Q1P.jpg", "$R2K7Q1P\photos\a.jpg"
    bool folder = false;
    bool inside = false;  // inside the "$R" folder: deleted before it
  };
  // In the order they are deleted: the folder's files, its folders (deepest first), then
  // the "$I" file.
  std::vector<Partner> partners;
};

// The items of the folder `folder` (with its trailing backslash), in listing order; false in
// `completed` when `visit` ended the walk.
[[nodiscard]] std::vector<BinItem> ListBinItems(platform::FileSystem& files, std::string_view folder,
                                                const LocationVisit& visit, bool& completed);

}  // namespace sw::files
