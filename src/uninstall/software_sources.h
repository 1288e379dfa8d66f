#pragma once
// Where the installed programs are registered. Up to Windows XP every user was an
// administrator and the list came from one uninstall key: HKEY_LOCAL_MACHINE's for an
// administrator, else HKEY_CURRENT_USER's. From Vista on a program may be installed for
// everyone as a 64-bit or a 32-bit program, or for the current user alone: the list reads all
// three keys, whatever the user's rights (reading needs none).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sw::uninstall {

// Without the leading and trailing backslash; subkey paths are this, a backslash and a name.
inline constexpr std::string_view kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// One uninstall key: a root seen through a view.
struct SoftwareSource {
  platform::RootKey root = platform::RootKey::LocalMachine;
  platform::RegView view = platform::RegView::Own;
  friend bool operator==(const SoftwareSource&, const SoftwareSource&) = default;
};

// Vista and later: the machine's 64-bit programs, its 32-bit programs, the user's own.
inline constexpr std::array<SoftwareSource, 3> kModernSources{{
    {platform::RootKey::LocalMachine, platform::RegView::Bits64},
    {platform::RootKey::LocalMachine, platform::RegView::Bits32},
    {platform::RootKey::CurrentUser, platform::RegView::Own},
}};

// The root of the one uninstall key of Windows up to XP: the one the user may clean.
[[nodiscard]] platform::RootKey UninstallRoot(platform::System& system);

// The uninstall keys the Software page lists, in order. Two views that show one key (32-bit
// Windows, or a key both views share) count once: see DistinctSources.
[[nodiscard]] std::vector<SoftwareSource> SoftwareSources(platform::Platform& platform);

// `sources` without those whose uninstall key another one before them reaches too, which
// the registry tells by the key's own path in this program's view.
[[nodiscard]] std::vector<SoftwareSource> DistinctSources(platform::Registry& registry,
                                                          const std::vector<SoftwareSource>& sources);

// Where one entry is registered.
struct EntrySource {
  SoftwareSource source;
  std::string subkey;  // the entry's key name below the uninstall key
  friend bool operator==(const EntrySource&, const EntrySource&) = default;
};

// The entry's key path below its root, as seen through its view.
[[nodiscard]] std::string EntryKeyPath(const EntrySource& entry);

// A row's hidden data and the console's name of an entry: a short name of its key
// ("HKLM64", "HKLM32", "HKCU"; "HKLM" or "HKCU" where the program's own view is meant), a
// backslash and the subkey name ("HKLM32\{6F2C...}"). nullopt for text of another form.
[[nodiscard]] std::string SourceId(const EntrySource& entry);
[[nodiscard]] std::optional<EntrySource> ParseSourceId(std::string_view id);

// "64-bit", "32-bit", or "" for the program's own view, for the console's listing.
[[nodiscard]] std::string_view ViewName(platform::RegView view);

}  // namespace sw::uninstall
