#include "uninstall/leftover_tree.h"

#include "core/win_path.h"

namespace sw::uninstall {

TreeContents ListTree(platform::FileSystem& files, std::string_view folder, EngineSink* sink) {
  TreeContents contents;
  // Folders are numbered as they are found; listed in reverse, every folder comes after the
  // folders inside it.
  std::vector<TreeItem> found;
  std::vector<std::string> pending{std::string(folder)};
  while (!pending.empty()) {
    if (sink != nullptr && sink->ShouldStop()) {
      contents.complete = false;
      break;
    }
    const std::string current = std::move(pending.back());
    pending.pop_back();
    auto reader = files.ListFolder(current, platform::FolderDetail::Full);
    if (!reader) {
      contents.complete = false;
      continue;
    }
    platform::FolderEntry entry;
    while ((*reader)->Next(entry)) {
      std::string path = JoinPath(current, entry.name);
      if (entry.IsReparsePoint() || entry.IsCloudPlaceholder()) {
        contents.kept.push_back(std::move(path));
      } else if (entry.IsFolder()) {
        pending.push_back(path);
        found.push_back(TreeItem{std::move(path), entry});
      } else {
        contents.bytes += entry.size;
        contents.files.push_back(TreeItem{std::move(path), entry});
      }
    }
  }
  contents.folders.assign(found.rbegin(), found.rend());
  return contents;
}

bool ReachedThroughLink(platform::FileSystem& files, std::string_view path) {
  const std::string resolved = ResolvedDrivePath(path);
  std::string partial = resolved.substr(0, 2);  // "C:"
  for (const std::string_view name : PathComponents(resolved)) {
    partial = JoinPath(partial, name);
    const auto entry = files.EntryOf(partial);
    if (!entry) {
      return !IsNotFound(entry.error());  // what is not there leads nowhere
    }
    if (entry->IsReparsePoint()) {
      return true;
    }
  }
  return false;
}

}  // namespace sw::uninstall
