#pragma once
// One walk of a folder tree for several name patterns at once. The order is that of the
// search it replaces, one recursive search per pattern: a folder's own files first, in the
// platform's listing order, then each subfolder in turn, depth first. The walk keeps its own
// stack, so no depth overflows it; it never enters a link (junction, symbolic link, mount
// point), nor a file or folder whose name begins with a dot, nor the folders an upgrade or
// the system needs or the Recycle Bin of Vista and later (junk_locations.h), and never
// reports or enters a cloud file or folder whose data is not on the disk.

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "files/junk_pattern.h"
#include "platform/file_system.h"

namespace sw::files {

// A file that matched pattern `pattern` of the list; `folder` ends with a backslash.
using JunkMatchHandler =
    std::function<void(const std::string& folder, const platform::FolderEntry& entry, std::size_t pattern)>;
// Called for every entry the walk sees; false ends the walk.
using JunkVisitHandler = std::function<bool(const platform::FolderEntry& entry)>;

// Walks the tree below `folder`; false when `visit` ended it early. A folder that cannot be
// listed contributes nothing. A file that matches several patterns is reported for the first.
bool WalkJunk(platform::FileSystem& files, std::string_view folder, std::span<const JunkPattern> patterns,
              const JunkMatchHandler& onMatch, const JunkVisitHandler& visit);

}  // namespace sw::files
