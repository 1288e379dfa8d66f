#pragma once
// One thing an uninstalled program left behind, as a row of the Software page: what it is,
// where, how sure the finding is and why.
//
// "Sure" finds are proven by the program's own entry (its install folder, a shortcut into
// it, a task whose program was in it) and come checked; "likely" ones were found by their
// names alone and come unchecked, for the user to judge.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/result_row.h"
#include "platform/registry.h"

namespace sw::uninstall {

enum class LeftoverKind {
  Folder,
  Shortcut,
  RegistryKey,
  RunValue,        // a value of a Run or RunOnce key, which starts a program at logon
  ScheduledTask,
  FileType,        // a file type (or an extension of one) below HKEY_CURRENT_USER\Software\Classes
  UninstallEntry,  // the program's own entry, when its uninstaller is gone too
};

enum class Certainty { Sure, Likely };

// A registry key as a leftover names it: a root, the view it was found through, and the
// key's path below the root as that view shows it.
struct RegistryPlace {
  platform::RootKey root = platform::RootKey::CurrentUser;
  platform::RegView view = platform::RegView::Own;
  std::string path;
  friend bool operator==(const RegistryPlace&, const RegistryPlace&) = default;
};

struct Leftover {
  LeftoverKind kind = LeftoverKind::Folder;
  Certainty certainty = Certainty::Likely;
  std::string reason;  // "the install folder named by the entry"
  // A folder or file; a task's path ("\Vendor\Updater"); unused for registry rows.
  std::string path;
  RegistryPlace key;      // registry rows: the key (a Run value's key)
  std::string valueName;  // a Run value's name
  // A folder or key that goes only when nothing else is left in it once the rest has gone:
  // the publisher's folder that held the program's folder and nothing else.
  bool onlyWhenEmpty = false;
  std::uint64_t bytes = 0;  // of its files
  std::uint64_t files = 0;
  // Links inside a folder (junctions, symbolic links): never followed, never counted, and
  // left where they are, so the folder stays with them.
  std::uint64_t links = 0;
  std::string program;  // the display name of the program it belonged to

  friend bool operator==(const Leftover&, const Leftover&) = default;
};

// "Folder", "Shortcut", "Registry key", "Run value", "Scheduled task", "File type",
// "Uninstall entry": the Type column.
[[nodiscard]] std::string_view KindName(LeftoverKind kind);
// "sure", "likely".
[[nodiscard]] std::string_view CertaintyName(Certainty certainty);

// What a person reads as its place: the path; "HKEY_CURRENT_USER\Software\Vendor\Product"
// (with " (32-bit)" for the separate 32-bit view); a Run value's key, a backslash and its
// name; a task's path.
[[nodiscard]] std::string LeftoverLocation(const Leftover& leftover);
// A key's full name, as LeftoverLocation shows it.
[[nodiscard]] std::string RegistryPlaceName(const RegistryPlace& place);

// The Software page's columns while it lists leftovers; fixed English, as the page's others.
inline constexpr std::array<std::string_view, 8> kLeftoverHeadings{"Leftover", "Type",   "",     "",
                                                                  "Certainty", "Reason", "Size", "Program"};
inline constexpr int kLeftoverImage = 2;  // of the main window's image list, as the programs'

// The row: caption LeftoverLocation, Type KindName, then the certainty, the reason, the size
// (files and folders only) and the program; checked when sure; the leftover itself in
// `hidden`, which LeftoverOfRow reads back.
[[nodiscard]] ResultRow LeftoverRow(const Leftover& leftover);
[[nodiscard]] std::optional<Leftover> LeftoverOfRow(const ResultRow& row);

}  // namespace sw::uninstall
