#pragma once
// Where programs keep what their uninstallers leave behind, and the folders that belong to
// the system or to the user and are never offered, whatever their names.
//
// The folders come from the user's and the machine's "Shell Folders" (which every Windows
// from 95 on keeps, with plain paths) and, where those are silent, from the environment
// (%ProgramData% and %LOCALAPPDATA% exist from Vista on only).

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sw::uninstall {

// A folder where programs put theirs, with the name a reason gives it ("%APPDATA%").
struct ProgramPlace {
  std::string name;
  std::string folder;
};

struct LeftoverPlaces {
  // Where programs' own folders are looked for by name, in this order: %ProgramFiles%,
  // %ProgramFiles(x86)%, %ProgramData%, %APPDATA%, %LOCALAPPDATA%, %LOCALAPPDATA%\Programs.
  std::vector<ProgramPlace> programPlaces;
  // Shortcut folders: the user's and everyone's Start menu programs, and desktops.
  std::vector<ProgramPlace> shortcutPlaces;
  // Folders whose insides are never offered: the system's (%WINDIR%, Common Files) and the
  // user's own files (Documents, pictures, music, videos, downloads, favourites, desktops).
  std::vector<std::string> closedFolders;
  // Folders that are never offered themselves, nor any folder above them: every place above,
  // the user's profile, the temporary folder, this program's own folders.
  std::vector<std::string> keptFolders;
  std::string documents;  // the user's Documents ("Personal"), for the reasons
};

// The places of the running system (and user). Folders the system does not name are left out.
[[nodiscard]] LeftoverPlaces ResolvePlaces(platform::Platform& platform);

// Names that are never a program's own folder or key, wherever they are: "Microsoft",
// "Windows", "Common Files", ...
[[nodiscard]] bool IsSharedName(std::string_view name);

// Whether `path` is `folder` itself or lies inside it (Windows rules: no case, either
// separator, a whole name at the end: "C:\App" does not hold "C:\Application").
[[nodiscard]] bool IsInside(std::string_view path, std::string_view folder);

// Why `folder` is the system's or the user's and is never offered (a sentence), or empty.
[[nodiscard]] std::string WhyClosed(const LeftoverPlaces& places, std::string_view folder);

}  // namespace sw::uninstall
