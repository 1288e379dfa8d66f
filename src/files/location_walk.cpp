#include "files/location_walk.h"

#include <algorithm>

#include "core/text.h"
#include "core/wildcard.h"
#include "core/win_path.h"

namespace sw::files {
namespace {

constexpr std::string_view kDrive = "{drive}";
constexpr std::string_view kSid = "{sid}";
constexpr std::uint64_t kTicksPerHour = 36'000'000'000ULL;

bool MatchesAny(std::string_view name, const std::vector<std::string>& patterns) {
  return std::any_of(patterns.begin(), patterns.end(),
                     [name](const std::string& pattern) { return MatchesWildcard(name, pattern); });
}

bool IsNeverEntered(std::string_view name) {
  return MatchesAny(name, NeverEnteredFolders());
}

// A folder a walk may enter: no link, no cloud folder, nothing an upgrade needs.
bool Enterable(const platform::FolderEntry& entry) {
  return entry.IsFolder() && !entry.IsReparsePoint() && !entry.IsCloudPlaceholder() && !IsNeverEntered(entry.name);
}

std::vector<std::string> Alternatives(std::string_view part) {
  std::vector<std::string> patterns;
  std::size_t start = 0;
  for (std::size_t bar = part.find('|');; bar = part.find('|', start)) {
    patterns.emplace_back(part.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) {
      return patterns;
    }
    start = bar + 1;
  }
}

// The subfolders of each of `folders` whose names match one of the alternatives of `part`.
std::vector<std::string> MatchingSubfolders(platform::FileSystem& files, const std::vector<std::string>& folders,
                                            std::string_view part) {
  const std::vector<std::string> patterns = Alternatives(part);
  std::vector<std::string> found;
  platform::FolderEntry entry;
  for (const std::string& folder : folders) {
    auto reader = files.ListFolder(folder, platform::FolderDetail::Kinds);
    if (!reader) {
      continue;
    }
    while ((*reader)->Next(entry)) {
      if (Enterable(entry) && MatchesAny(entry.name, patterns)) {
        found.push_back(folder + entry.name + "\\");
      }
    }
  }
  return found;
}

// Whether a row that takes this folder would take a whole drive, or the whole Windows or
// profile folder: every file there, or its subfolders.
bool TooWide(const JunkLocation& row, const std::string& folder, const LocationContext& context) {
  const bool everything = row.subfolders || MatchesAny("any name.ext", row.names);
  return everything && (PathComponents(folder).empty() ||
                        std::any_of(context.guarded.begin(), context.guarded.end(), [&folder](const std::string& guarded) {
                          return PathsEqual(AddTrailingBackslash(guarded), folder);
                        }));
}

// The folders one expanded path stands for, its wildcard parts matched.
std::vector<std::string> ExpandParts(const std::string& path, platform::FileSystem& files) {
  const auto drive = DriveLetterOf(path);
  if (!drive || !IsAbsoluteDrivePath(path)) {
    return {};
  }
  std::vector<std::string> folders{std::string{*drive, ':', '\\'}};
  for (const std::string_view part : ResolvedComponents(path)) {
    if (IsNeverEntered(part)) {
      return {};
    }
    if (HasWildcards(part) || part.find('|') != std::string_view::npos) {
      folders = MatchingSubfolders(files, folders, part);
    } else {
      for (std::string& folder : folders) {
        folder += std::string(part) + "\\";
      }
    }
  }
  return folders;
}

}  // namespace

LocationContext DescribeLocations(platform::FileSystem& files, platform::System& system) {
  LocationContext context;
  context.drives = platform::FixedDriveRoots(files);
  if (auto sid = system.CurrentUserSid()) {
    context.sid = std::move(*sid);
  }
  for (const char* name : {"%WINDIR%", "%SystemRoot%", "%USERPROFILE%"}) {
    std::string folder = system.ExpandEnvironment(name);
    if (folder.find('%') == std::string::npos && IsAbsoluteDrivePath(folder)) {
      context.guarded.push_back(std::move(folder));
    }
  }
  return context;
}

std::vector<std::string> ExpandLocationFolders(const JunkLocation& row, const LocationContext& context,
                                               platform::FileSystem& files, platform::System& system) {
  std::string text = row.folder;
  if (const std::size_t at = text.find(kSid); at != std::string::npos) {
    if (!context.sid) {
      return {};
    }
    text.replace(at, kSid.size(), *context.sid);
  }
  text = system.ExpandEnvironment(text);
  // A variable the user's environment does not hold: there is no such folder here.
  if (text.find('%') != std::string::npos) {
    return {};
  }
  std::vector<std::string> paths;
  if (text.starts_with(kDrive)) {
    for (const std::string& drive : context.drives) {
      paths.push_back(drive + text.substr(kDrive.size()));
    }
  } else {
    paths.push_back(std::move(text));
  }
  std::vector<std::string> folders;
  for (const std::string& path : paths) {
    for (std::string& folder : ExpandParts(path, files)) {
      if (files.FolderExists(folder)) {
        folders.push_back(std::move(folder));
      }
    }
  }
  return folders;
}

std::vector<std::string> LocationFolders(const JunkLocation& row, const LocationContext& context,
                                         platform::FileSystem& files, platform::System& system) {
  std::vector<std::string> folders = ExpandLocationFolders(row, context, files, system);
  std::erase_if(folders, [&](const std::string& folder) { return TooWide(row, folder, context); });
  return folders;
}

bool WalkLocation(platform::FileSystem& files, const JunkLocation& row, std::string_view folder, FileTime now,
                  const LocationMatch& onMatch, const LocationVisit& visit) {
  const std::uint64_t ageTicks = static_cast<std::uint64_t>(row.minAge.count()) * kTicksPerHour;
  const std::uint64_t accessTicks = static_cast<std::uint64_t>(row.minAccessDays) * 24 * kTicksPerHour;
  struct Pending {
    std::string folder;
    bool whole;  // every file below is junk
  };
  std::vector<Pending> pending{{AddTrailingBackslash(folder), false}};
  std::vector<Pending> subfolders;
  platform::FolderEntry entry;
  while (!pending.empty()) {
    const Pending current = std::move(pending.back());
    pending.pop_back();
    auto reader = files.ListFolder(current.folder, platform::FolderDetail::Kinds);
    if (!reader) {
      continue;
    }
    subfolders.clear();
    while ((*reader)->Next(entry)) {
      if (!visit(entry)) {
        return false;
      }
      if (entry.name.starts_with('.') || MatchesAny(entry.name, row.keep)) {
        continue;
      }
      if (entry.IsFolder()) {
        if (!Enterable(entry)) {
          continue;
        }
        const bool whole = current.whole || MatchesAny(entry.name, row.wholeFolders);
        if (whole || row.subfolders) {
          subfolders.push_back({current.folder + entry.name + "\\", whole});
        }
        continue;
      }
      if (entry.IsReparsePoint() || entry.IsCloudPlaceholder() || (entry.attributes & row.keptAttributes) != 0) {
        continue;
      }
      if (!current.whole && !MatchesAny(entry.name, row.names)) {
        continue;
      }
      (*reader)->FillDetails(entry);
      const bool recent = ageTicks > 0 && entry.lastWrite.ticks + ageTicks > now.ticks;
      const bool used = accessTicks > 0 && entry.lastAccess.ticks + accessTicks > now.ticks;
      if (!recent && !used) {
        onMatch(current.folder, entry);
      }
    }
    pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                   std::make_move_iterator(subfolders.rend()));
  }
  return true;
}

}  // namespace sw::files
