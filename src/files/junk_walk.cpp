#include "files/junk_walk.h"

#include <algorithm>
#include <vector>

#include "core/text.h"
#include "core/win_path.h"
#include "files/junk_locations.h"

namespace sw::files {
namespace {

// What an upgrade needs to roll back, what only the system may clean, and the Recycle Bin,
// whose items are rows of their own.
bool IsSkipped(std::string_view name) {
  const auto named = [name](const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [name](const std::string& n) { return EqualsNoCase(n, name); });
  };
  return named(NeverEnteredFolders()) || named(DriveWalkSkippedFolders());
}

}  // namespace

bool WalkJunk(platform::FileSystem& files, std::string_view folder, std::span<const JunkPattern> patterns,
              const JunkMatchHandler& onMatch, const JunkVisitHandler& visit) {
  std::vector<std::string> pending{AddTrailingBackslash(folder)};
  std::vector<std::string> subfolders;
  platform::FolderEntry entry;
  while (!pending.empty()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    // Size and date are needed of the few matching files only.
    auto reader = files.ListFolder(current, platform::FolderDetail::Kinds);
    if (!reader) {
      continue;
    }
    subfolders.clear();
    while ((*reader)->Next(entry)) {
      if (!visit(entry)) {
        return false;
      }
      // A cloud file whose data is elsewhere is neither junk nor to be looked into: opening
      // it (a shortcut's target is read from the file) would fetch it.
      if (entry.name.starts_with('.') || entry.IsCloudPlaceholder()) {
        continue;
      }
      if (entry.IsFolder()) {
        if (!entry.IsReparsePoint() && !IsSkipped(entry.name)) {
          subfolders.push_back(current + entry.name + "\\");
        }
        continue;
      }
      for (std::size_t i = 0; i < patterns.size(); ++i) {
        if (MatchesJunkPattern(entry.name, patterns[i])) {
          (*reader)->FillDetails(entry);
          onMatch(current, entry, i);
          break;
        }
      }
    }
    // The first subfolder is walked next.
    pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                   std::make_move_iterator(subfolders.rend()));
  }
  return true;
}

}  // namespace sw::files
