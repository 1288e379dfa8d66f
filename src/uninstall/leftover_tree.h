#pragma once
// What lies in a leftover folder, found without ever passing through a link: the files and
// folders that would go with it, and the links and cloud files that never go (a link is not
// followed, and a cloud file's data is not on the disk).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "platform/file_system.h"

namespace sw::uninstall {

struct TreeItem {
  std::string path;
  platform::FolderEntry entry;
};

struct TreeContents {
  std::vector<TreeItem> files;    // in listing order, folder after folder
  std::vector<TreeItem> folders;  // below the top folder, every folder after those inside it
  std::vector<std::string> kept;  // links and cloud files: never entered, opened or removed
  std::uint64_t bytes = 0;
  bool complete = true;  // every folder could be listed, and the walk was not stopped
};

// The tree below `folder`. The walk keeps its own stack, so no depth overflows it; `sink`,
// when given, may stop it.
[[nodiscard]] TreeContents ListTree(platform::FileSystem& files, std::string_view folder, EngineSink* sink = nullptr);

// Whether `path` or a folder on the way to it is a link (or cannot be looked at), so that
// what it names may lie somewhere else than its name says.
[[nodiscard]] bool ReachedThroughLink(platform::FileSystem& files, std::string_view path);

}  // namespace sw::uninstall
