#pragma once
// What a Find records of each file or folder it lists, and the check at Delete that the
// object opened is still that one: the same identity on the same volume, reached by the same
// path (so a link swapped in for any folder on the way shows), no link or cloud file now,
// the same size and last-write time.

#include <optional>
#include <string_view>

#include "files/file_row.h"
#include "platform/file_system.h"

namespace sw::files {

// What the object `path` names is, seen through its own handle; nullopt when it does not
// open, is a link or a cloud file, or is reached through a link.
[[nodiscard]] std::optional<ObjectFacts> ObserveObject(platform::FileSystem& files, std::string_view path);

// Whether `opened`, opened by `path`, is the object the Find saw as `seen`.
[[nodiscard]] bool IsListedObject(platform::ListedFile& opened, std::string_view path, const ObjectFacts& seen);

}  // namespace sw::files
