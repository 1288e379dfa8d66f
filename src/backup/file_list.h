#pragma once
// The list of files a backup stores, built from file specifications: a path whose last
// component may hold the wildcards '*' and '?', optionally followed by "/s" (any case) for
// the matching files of all subfolders too. Paths are full and lower case, each listed once,
// a folder's subfolders (depth first) before its own files; the archive itself and its
// further volumes are never listed, and folders that are links (junctions, symbolic links) are never walked into.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace sw::backup {

struct FileListRequest {
  std::vector<std::string> specifications;
  std::string archiveName;       // excluded from the list
  bool onlyArchiveFlag = false;  // take only files whose archive attribute is set
};

std::vector<std::string> BuildFileList(platform::FileSystem& files, const FileListRequest& request);

}  // namespace sw::backup
