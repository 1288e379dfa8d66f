#pragma once
// The one engine that reads every row of the junk location table: which folders a row's
// template stands for, and which of their files are junk.
//
// A walk never enters a link (junction, symbolic link, mount point: a folder link that
// someone put in the Recycle Bin leads to their documents), never lists, opens or enters a
// cloud file that is not on the disk, and never lists a link. It never walks a whole drive,
// nor the whole Windows or profile folder, whatever a row (or a program's cleanup handler)
// names, and never enters the folders an upgrade or the system needs.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_time.h"
#include "files/junk_locations.h"
#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::files {

// What the templates' placeholders stand for on this system.
struct LocationContext {
  std::vector<std::string> drives;  // every fixed drive's root, "C:\"
  std::optional<std::string> sid;   // the user's security identifier
  // Folders a row may name but never walk whole: the Windows and the profile folders.
  std::vector<std::string> guarded;
};

// The context of the running system.
[[nodiscard]] LocationContext DescribeLocations(platform::FileSystem& files, platform::System& system);

// The existing folders a row names, each with a trailing backslash, in the order of the
// template's expansion (drives in letter order, matching subfolders in listing order),
// without those that would take a whole drive, or the whole Windows or profile folder.
[[nodiscard]] std::vector<std::string> LocationFolders(const JunkLocation& row, const LocationContext& context,
                                                       platform::FileSystem& files, platform::System& system);
// The same, every folder the template stands for: for rows judged by rules of their own (a
// program's cleanup handler, handler_folders.h), which name what they refuse.
[[nodiscard]] std::vector<std::string> ExpandLocationFolders(const JunkLocation& row, const LocationContext& context,
                                                             platform::FileSystem& files, platform::System& system);

// A junk file that a walk found; `folder` ends with a backslash.
using LocationMatch = std::function<void(const std::string& folder, const platform::FolderEntry& entry)>;
// Called for every entry the walk sees; false ends the walk.
using LocationVisit = std::function<bool(const platform::FolderEntry& entry)>;

// Walks one folder of a row; false when `visit` ended it.
bool WalkLocation(platform::FileSystem& files, const JunkLocation& row, std::string_view folder, FileTime now,
                  const LocationMatch& onMatch, const LocationVisit& visit);

}  // namespace sw::files
