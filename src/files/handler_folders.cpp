#include "files/handler_folders.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/text.h"
#include "core/wildcard.h"
#include "core/win_path.h"
#include "registry/registry_data.h"

namespace sw::files {
namespace {

constexpr std::string_view kUserShellFolders = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders)";
constexpr std::string_view kProfileList = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList)";

// The values of the user's shell folders that hold the user's own files.
constexpr std::array<std::string_view, 7> kShellFolderValues{
    "Personal", "Desktop", "My Pictures", "My Music", "My Video", "Favorites",
    "{374DE290-123F-4565-9164-39C4925E467B}",  // Downloads
};
// The names those folders have in every profile ("OneDrive - Company" for a work account).
constexpr std::array<std::string_view, 10> kOwnFolderNames{
    "Documents", "My Documents", "Desktop", "Pictures", "Music", "Videos", "Downloads", "Favorites", "OneDrive",
    "OneDrive - *",
};
constexpr std::array<std::string_view, 3> kOneDriveVariables{"%OneDrive%", "%OneDriveConsumer%",
                                                             "%OneDriveCommercial%"};
constexpr std::array<std::string_view, 5> kSystemFolders{"%WINDIR%", "%SystemRoot%", "%ProgramFiles%",
                                                         "%ProgramFiles(x86)%", "%ProgramW6432%"};

// The folder as an absolute drive path with a trailing backslash; nullopt for anything else.
std::optional<std::string> Absolute(std::string path) {
  if (path.find('%') != std::string::npos || !IsAbsoluteDrivePath(path)) {
    return std::nullopt;
  }
  return AddTrailingBackslash(ResolvedDrivePath(path));
}

// A text value, REG_SZ or REG_EXPAND_SZ, its variables expanded; nullopt when missing or
// when a variable is not set here.
std::optional<std::string> ReadFolder(platform::Registry& registry, platform::RootKey root, std::string_view key,
                                      std::string_view name, platform::System& system) {
  auto rootKey = registry.OpenRoot(root);
  auto opened = rootKey ? (*rootKey)->Open(key, platform::RegAccess::Read) : Result<std::unique_ptr<platform::RegKey>>(
                                                                                 Error(Errc::FileNotFound));
  auto value = opened ? (*opened)->Query(name) : Result<platform::RegValue>(Error(Errc::FileNotFound));
  if (!value || (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) {
    return std::nullopt;
  }
  return Absolute(system.ExpandEnvironment(reg::DecodeRegString(value->data)));
}

void AddUnique(std::vector<std::string>& list, std::optional<std::string> folder) {
  if (folder && std::none_of(list.begin(), list.end(), [&](const std::string& f) { return PathsEqual(f, *folder); })) {
    list.push_back(std::move(*folder));
  }
}

// Whether `folder` is `base` or lies below it (both with trailing backslashes).
bool Within(const std::string& folder, const std::string& base) {
  return folder.size() >= base.size() && PathsEqual(std::string_view(folder).substr(0, base.size()), base);
}

// "C:\Users\<profile>\<own folder>\..." in any profile.
bool InAProfilesOwnFolder(const std::string& folder, const std::string& profiles) {
  if (profiles.empty() || !Within(folder, profiles)) {
    return false;
  }
  const auto below = PathComponents(std::string_view(folder).substr(profiles.size()));
  return below.size() >= 2 && std::any_of(kOwnFolderNames.begin(), kOwnFolderNames.end(), [&](std::string_view name) {
           return MatchesWildcard(below[1], name);
         });
}

// Whether a handler row would go below its folder, or take in files by their extension
// alone: a pattern of a folder that holds the system's, the programs' or the users' files
// must name the files it means ("FILE*.CHK", "setup*.log"), not merely a kind ("*.txt").
bool TooBroad(const JunkLocation& row) {
  return row.subfolders || !row.wholeFolders.empty() ||
         std::any_of(row.names.begin(), row.names.end(),
                     [](const std::string& pattern) { return pattern.empty() || pattern[0] == '*' || pattern[0] == '?'; });
}

// A link at the folder or on its way: the folder opened by its name is not the folder it
// leads to, or is a link itself.
bool ReachedThroughLink(const std::string& folder, platform::FileSystem& files) {
  auto opened = files.OpenListedFile(folder, {});
  if (!opened) {
    return true;  // what cannot be checked is not taken
  }
  const auto entry = (*opened)->Describe();
  const auto final = (*opened)->FinalPath();
  return !entry || entry->IsLink() || !final || !PathsEqual(AddTrailingBackslash(*final), folder);
}

}  // namespace

HandlerBounds DescribeHandlerBounds(platform::FileSystem& files, platform::System& system,
                                    platform::Registry& registry) {
  HandlerBounds bounds;
  auto profiles = ReadFolder(registry, platform::RootKey::LocalMachine, kProfileList, "ProfilesDirectory", system);
  if (!profiles) {
    const auto profile = Absolute(system.ExpandEnvironment("%USERPROFILE%"));
    if (profile && PathComponents(*profile).size() > 1) {
      profiles = Absolute(std::string(ParentPathOf(std::string_view(*profile).substr(0, profile->size() - 1))));
    }
  }
  bounds.profiles = profiles.value_or("");
  for (const std::string_view value : kShellFolderValues) {
    AddUnique(bounds.ownFolders, ReadFolder(registry, platform::RootKey::CurrentUser, kUserShellFolders, value, system));
  }
  for (const std::string_view variable : kOneDriveVariables) {
    AddUnique(bounds.ownFolders, Absolute(system.ExpandEnvironment(variable)));
  }
  for (const std::string& root : platform::FixedDriveRoots(files)) {
    AddUnique(bounds.shallowFolders, Absolute(root));
  }
  for (const std::string_view variable : kSystemFolders) {
    AddUnique(bounds.shallowFolders, Absolute(system.ExpandEnvironment(variable)));
  }
  AddUnique(bounds.shallowFolders, profiles);
  // Every folder above an own folder holds it.
  for (const std::string& own : bounds.ownFolders) {
    std::string_view above = std::string_view(own).substr(0, own.size() - 1);
    while (PathComponents(above).size() > 1) {
      above = ParentPathOf(above);
      AddUnique(bounds.shallowFolders, Absolute(std::string(above)));
    }
  }
  return bounds;
}

std::string HandlerRefusal(const JunkLocation& row, const std::string& folder, const HandlerBounds& bounds,
                           platform::FileSystem& files) {
  if (ReachedThroughLink(folder, files)) {
    return "reached through a link";
  }
  const bool own = InAProfilesOwnFolder(folder, bounds.profiles) ||
                   std::any_of(bounds.ownFolders.begin(), bounds.ownFolders.end(),
                               [&](const std::string& base) { return Within(folder, base); });
  if (own) {
    return "one of your own folders";
  }
  const bool profile = !bounds.profiles.empty() && Within(folder, bounds.profiles) &&
                       PathComponents(folder).size() == PathComponents(bounds.profiles).size() + 1;
  const bool shallow = profile || std::any_of(bounds.shallowFolders.begin(), bounds.shallowFolders.end(),
                                              [&](const std::string& base) { return PathsEqual(folder, base); });
  if (shallow && TooBroad(row)) {
    return "would take in files of a folder of the system, the programs or the profiles by their kind alone";
  }
  return {};
}

}  // namespace sw::files
