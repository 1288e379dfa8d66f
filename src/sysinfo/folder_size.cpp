#include "sysinfo/folder_size.h"

#include "core/text.h"
#include "core/win_path.h"

namespace sw::sysinfo {

std::vector<std::string> SubfolderPaths(platform::FileSystem& files, std::string_view folder) {
  std::vector<std::string> paths;
  if (folder.empty()) {
    return paths;
  }
  const std::string parent = AddTrailingBackslash(folder);
  // With each entry's reparse tag: a cloud client's folder is a reparse point that holds its
  // own data and gets its slice; only links are left out.
  auto reader = files.ListFolder(parent, platform::FolderDetail::Identity);
  if (!reader) {
    return paths;
  }
  platform::FolderEntry entry;
  while ((*reader)->Next(entry)) {
    if (entry.IsFolder() && !entry.IsLink()) {
      paths.push_back(parent + entry.name);
    }
  }
  return paths;
}

std::vector<std::string> ListSubfolders(platform::FileSystem& files, std::string_view folder) {
  std::vector<std::string> labels = SubfolderPaths(files, folder);
  for (auto& label : labels) {
    label = ToUpperText(label);
  }
  return labels;
}

std::uint64_t FolderSizeKB(platform::FileSystem& files, std::string_view path, const MeasureOptions& options) {
  const std::string folder(path);
  return MeasureFolderBytes(files, std::span(&folder, 1), options)[0] / 1024;
}

std::uint64_t FilesSizeBytes(platform::FileSystem& files, std::string_view path) {
  auto reader = files.ListFolder(AddTrailingBackslash(path), platform::FolderDetail::Full);
  if (!reader) {
    return 0;
  }
  std::uint64_t bytes = 0;
  platform::FolderEntry entry;
  while ((*reader)->Next(entry)) {
    if (!entry.IsFolder()) {
      bytes += entry.size;
    }
  }
  return bytes;
}

std::uint64_t FilesSizeKB(platform::FileSystem& files, std::string_view path) {
  return FilesSizeBytes(files, path) / 1024;
}

}  // namespace sw::sysinfo
