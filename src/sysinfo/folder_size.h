#pragma once
// The folder measuring routines of the Folder Usage chart. Sizes are summed in bytes (64-bit)
// and turned into KB once per folder: truncating each file would make a folder of many small
// files weigh nothing. Every entry counts but "." and "..": a folder such as ".cache" holds
// real data. Links are never entered.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "sysinfo/folder_walk.h"

namespace sw::sysinfo {

// The subfolders of `folder` as the chart labels them: folder, backslash and name, upper
// case ("C:\WINDOWS"), in the listing's order. Links to folders are left out: their target
// is measured where it lies; other reparse points (a cloud client's folders) are in. Empty
// for an empty folder name or a folder that cannot be listed.
std::vector<std::string> ListSubfolders(platform::FileSystem& files, std::string_view folder);

// The same subfolders spelt as on the disk, for measuring them.
std::vector<std::string> SubfolderPaths(platform::FileSystem& files, std::string_view folder);

// The KB of every file below `path`, recursively.
std::uint64_t FolderSizeKB(platform::FileSystem& files, std::string_view path, const MeasureOptions& options = {});

// The bytes of the files directly in `path`; FilesSizeKB is the same in KB.
std::uint64_t FilesSizeBytes(platform::FileSystem& files, std::string_view path);
std::uint64_t FilesSizeKB(platform::FileSystem& files, std::string_view path);

}  // namespace sw::sysinfo
