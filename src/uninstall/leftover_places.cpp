#include "uninstall/leftover_places.h"

#include <algorithm>
#include <array>

#include "core/text.h"
#include "core/win_path.h"
#include "registry/registry_paths.h"

namespace sw::uninstall {
namespace {

using platform::RootKey;

constexpr std::string_view kShellFolders = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders\)";

class PlaceReader {
 public:
  explicit PlaceReader(platform::Platform& platform) : platform_(platform) {}

  // A "Shell Folders" value, else the environment's expansion of `variable`; empty when
  // neither names an absolute folder.
  std::string Folder(RootKey root, std::string_view shellFolder, std::string_view variable) {
    if (!shellFolder.empty()) {
      const auto named =
          reg::RegReadString(*platform_.registry, root, std::string(kShellFolders) + std::string(shellFolder));
      if (named && IsAbsoluteDrivePath(*named)) {
        return ResolvedDrivePath(*named);
      }
    }
    return Variable(variable);
  }

  std::string Variable(std::string_view variable) {
    if (variable.empty()) {
      return {};
    }
    const std::string wrapped = "%" + std::string(variable) + "%";
    const std::string expanded = platform_.system->ExpandEnvironment(wrapped);
    return expanded != wrapped && IsAbsoluteDrivePath(expanded) ? ResolvedDrivePath(expanded) : std::string();
  }

 private:
  platform::Platform& platform_;
};

void AddPlace(std::vector<ProgramPlace>& places, std::string name, const std::string& folder) {
  const bool known = std::any_of(places.begin(), places.end(),
                                 [&](const ProgramPlace& place) { return PathsEqual(place.folder, folder); });
  if (!folder.empty() && !known) {
    places.push_back(ProgramPlace{std::move(name), folder});
  }
}

void AddFolder(std::vector<std::string>& folders, const std::string& folder) {
  if (!folder.empty()) {
    folders.push_back(folder);
  }
}

}  // namespace

LeftoverPlaces ResolvePlaces(platform::Platform& platform) {
  PlaceReader read(platform);
  LeftoverPlaces places;
  const RootKey user = RootKey::CurrentUser;
  const RootKey machine = RootKey::LocalMachine;
  const std::string localAppData = read.Folder(user, "Local AppData", "LOCALAPPDATA");
  AddPlace(places.programPlaces, "%ProgramFiles%", read.Variable("ProgramFiles"));
  AddPlace(places.programPlaces, "%ProgramFiles(x86)%", read.Variable("ProgramFiles(x86)"));
  AddPlace(places.programPlaces, "%ProgramData%", read.Folder(machine, "Common AppData", "ProgramData"));
  AddPlace(places.programPlaces, "%APPDATA%", read.Folder(user, "AppData", "APPDATA"));
  AddPlace(places.programPlaces, "%LOCALAPPDATA%", localAppData);
  if (!localAppData.empty()) {
    AddPlace(places.programPlaces, "%LOCALAPPDATA%\\Programs", localAppData + "\\Programs");
  }

  AddPlace(places.shortcutPlaces, "the Start menu", read.Folder(user, "Programs", ""));
  AddPlace(places.shortcutPlaces, "everyone's Start menu", read.Folder(machine, "Common Programs", ""));
  AddPlace(places.shortcutPlaces, "the desktop", read.Folder(user, "Desktop", ""));
  AddPlace(places.shortcutPlaces, "everyone's desktop", read.Folder(machine, "Common Desktop", ""));

  places.documents = read.Folder(user, "Personal", "");
  AddFolder(places.closedFolders, read.Variable("WINDIR"));
  AddFolder(places.closedFolders, read.Variable("CommonProgramFiles"));
  AddFolder(places.closedFolders, read.Variable("CommonProgramFiles(x86)"));
  AddFolder(places.closedFolders, places.documents);
  for (const std::string_view personal : {"My Pictures", "My Music", "My Video", "Favorites",
                                          "{374DE290-123F-4565-9164-39C4925E467B}", "Desktop"}) {
    AddFolder(places.closedFolders, read.Folder(user, personal, ""));
  }
  AddFolder(places.closedFolders, read.Folder(machine, "Common Documents", ""));
  AddFolder(places.closedFolders, read.Folder(machine, "Common Desktop", ""));

  for (const auto& place : places.programPlaces) {
    AddFolder(places.keptFolders, place.folder);
  }
  for (const auto& place : places.shortcutPlaces) {
    AddFolder(places.keptFolders, place.folder);
  }
  AddFolder(places.keptFolders, read.Variable("USERPROFILE"));
  AddFolder(places.keptFolders, read.Variable("PUBLIC"));
  AddFolder(places.keptFolders, read.Variable("ALLUSERSPROFILE"));
  AddFolder(places.keptFolders, read.Variable("TEMP"));
  AddFolder(places.keptFolders, read.Folder(user, "Start Menu", ""));
  AddFolder(places.keptFolders, read.Folder(machine, "Common Start Menu", ""));
  // Sweepwise itself, and what it keeps: never a program's leftover, whatever its name.
  AddFolder(places.keptFolders, platform.folders.program);
  AddFolder(places.keptFolders, platform.folders.data);
  return places;
}

bool IsSharedName(std::string_view name) {
  static constexpr std::array<std::string_view, 16> kShared{
      "Microsoft", "Windows", "Common Files", "Programs", "Program Files", "Program Files (x86)", "Temp", "Users",
      "Public", "Default", "Packages", "Package Cache", "Installer", "Desktop", "Start Menu", "Documents"};
  return std::any_of(kShared.begin(), kShared.end(), [&](std::string_view shared) { return EqualsNoCase(name, shared); });
}

bool IsInside(std::string_view path, std::string_view folder) {
  if (path.empty() || folder.empty()) {
    return false;
  }
  const std::string whole = ResolvedDrivePath(path);
  const std::string outer = ResolvedDrivePath(folder);
  if (EqualsNoCase(whole, outer)) {
    return true;
  }
  const std::string prefix = AddTrailingBackslash(outer);
  return whole.size() > prefix.size() && EqualsNoCase(std::string_view(whole).substr(0, prefix.size()), prefix);
}

std::string WhyClosed(const LeftoverPlaces& places, std::string_view folder) {
  const std::string path = ResolvedDrivePath(folder);
  if (PathComponents(path).empty()) {
    return "it is a drive's root";
  }
  if (IsSharedName(FileNameOf(path))) {
    return "its name is one of the system's";
  }
  for (const std::string& closed : places.closedFolders) {
    if (IsInside(path, closed)) {
      return PathsEqual(path, closed) ? "it is a folder of the system or the user" : "it lies in " + closed;
    }
  }
  for (const std::string& kept : places.keptFolders) {
    if (IsInside(kept, path)) {
      return PathsEqual(path, kept) ? "it is a folder of the system or the user" : "it holds " + kept;
    }
  }
  return {};
}

}  // namespace sw::uninstall
