#pragma once
// The places junk collects on current systems, as data: each row names a folder, which of
// its files are junk, how old they must be, and what is never touched there. One engine
// (location_walk.h) reads every row the same way, the system's own cleanup handlers
// (cleanup_handlers.h) included.
//
// A folder is a template: %NAME% is the user's environment variable, {drive} each fixed
// drive's root ("C:\"), {sid} the user's security identifier; a part of the path may be a
// wildcard pattern, or several separated by "|" ("Default|Profile *"), which every existing
// subfolder of that name stands for.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "files/junk_categories.h"
#include "platform/system_profile.h"

namespace sw::files {

// The generations of Windows a row is for.
inline constexpr std::uint8_t kOnWindows9x = 1;
inline constexpr std::uint8_t kOnWindowsNt = 2;
inline constexpr std::uint8_t kOnModern = 4;

[[nodiscard]] constexpr std::uint8_t GenerationBit(platform::WindowsGeneration generation) {
  switch (generation) {
    case platform::WindowsGeneration::Windows9x: return kOnWindows9x;
    case platform::WindowsGeneration::WindowsNt: return kOnWindowsNt;
    case platform::WindowsGeneration::Modern: return kOnModern;
  }
  return 0;
}

struct JunkLocation {
  JunkCategory category = JunkCategory::kTemporaryFolders;
  std::uint8_t generations = kOnModern;
  std::string folder{};
  // File names that are junk there ("*" every file).
  std::vector<std::string> names{"*"};
  // Subfolders whose names match are junk as a whole: every file below them.
  std::vector<std::string> wholeFolders{};
  // Whether `names` are looked for in every subfolder too.
  bool subfolders = true;
  // Names (patterns) never listed and never entered.
  std::vector<std::string> keep{};
  // Only files not written for this long.
  std::chrono::hours minAge{0};
  // Only files not accessed for this many days.
  int minAccessDays = 0;
  // Only with administrator rights.
  bool elevatedOnly = false;
  // The browser whose cache this is, and its program's file name: while it runs, its
  // cache is left alone.
  std::string browser{};
  std::string process{};
  // Files with any of these attributes (read-only, hidden, system) are kept.
  std::uint32_t keptAttributes = 0;
  // A Recycle Bin of Vista and later: each deleted item, its "$I" file with its "$R" file or
  // folder and all that folder holds, is one row (recycle_bin_items.h).
  bool items = false;
  // The cleanup handler that registered the row (its key's name), to name it when refused.
  std::string source{};
};

// The rows this program knows, for every generation.
[[nodiscard]] const std::vector<JunkLocation>& KnownJunkLocations();

// Folder names no walk ever enters, whatever it names: what an upgrade needs to roll back,
// and what only the system's own tools may clean.
[[nodiscard]] const std::vector<std::string>& NeverEnteredFolders();

// Folder names the walk of a whole drive passes over besides those: the Recycle Bin of Vista
// and later, whose items are rows of the Recycle Bin category, one per item.
[[nodiscard]] const std::vector<std::string>& DriveWalkSkippedFolders();

}  // namespace sw::files
