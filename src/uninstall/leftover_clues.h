#pragma once
// What a program's uninstall entry says of where the program lives, read before its
// uninstaller starts (after it, the entry is gone), and what lay there then: the snapshot
// that the search for leftovers starts from.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_time.h"
#include "platform/platform.h"
#include "uninstall/leftover.h"
#include "uninstall/leftover_places.h"
#include "uninstall/software_sources.h"

namespace sw::uninstall {

struct LeftoverClues {
  EntrySource entry;
  std::string displayName;
  std::string version;
  std::string publisher;
  // Absolute paths, environment variables expanded; empty when the entry names none.
  std::string installLocation;  // InstallLocation
  std::string displayIcon;      // the file DisplayIcon names, without its icon's index
  std::string uninstaller;      // the program UninstallString starts

  friend bool operator==(const LeftoverClues&, const LeftoverClues&) = default;
};

// The entry's clues; nullopt when its key does not open or its name cannot be read.
[[nodiscard]] std::optional<LeftoverClues> ReadLeftoverClues(platform::Platform& platform, const EntrySource& entry);

// The program a command line starts: a quoted program up to its closing quote, else up to
// the first ".exe" (".com", ".bat", ".cmd") that ends a name, else up to the first blank;
// for rundll32 the library it loads. Environment variables expanded by `system`.
[[nodiscard]] std::string ProgramOfCommand(std::string_view command, platform::System& system);

// The folders the entry proves to be the program's, outermost only: its install location,
// the folders of its icon and of its uninstaller. Folders of the system or the user (an icon
// in %WINDIR%, an uninstaller in the temporary folder) are left out.
[[nodiscard]] std::vector<std::string> EntryFolders(const LeftoverClues& clues, const LeftoverPlaces& places);

// At most this many file names of the program's folders are kept in a snapshot.
inline constexpr std::size_t kSnapshotFiles = 2000;

struct LeftoverSnapshot {
  LeftoverClues clues;
  FileTime taken;  // zero for a search on request, with no snapshot from before
  std::vector<std::string> folders;  // EntryFolders then
  std::vector<std::string> files;    // the first kSnapshotFiles files in them then
  std::uint64_t fileCount = 0;       // all of them
  std::vector<std::string> shortcuts;  // shortcuts whose target lay in the folders then
  std::vector<RegistryPlace> keys;     // keys below Software\<publisher> that named the folders then

  friend bool operator==(const LeftoverSnapshot&, const LeftoverSnapshot&) = default;
};

// The snapshot of the entry's program as it is now; nullopt when the entry cannot be read.
// `taken` is the time it is taken (zero for a search on request).
[[nodiscard]] std::optional<LeftoverSnapshot> TakeLeftoverSnapshot(platform::Platform& platform,
                                                                   const EntrySource& entry, FileTime taken);

// Whether `text` (a value's data, a command) names a path inside `folder`.
[[nodiscard]] bool NamesPathInside(std::string_view text, std::string_view folder);

}  // namespace sw::uninstall
