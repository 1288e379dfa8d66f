#pragma once
// One installed program as its uninstall entry describes it, and how it shows in the list.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_time.h"
#include "core/result_row.h"
#include "platform/platform.h"
#include "uninstall/software_sources.h"

namespace sw::uninstall {

inline constexpr std::string_view kInstalledSoftware = "Installed Software";
inline constexpr int kSoftwareImage = 2;  // of the main window's image list

// A string value of the entry, and whether it was stored as REG_EXPAND_SZ (holding
// environment variables that only the reader expands).
struct EntryText {
  std::string text;
  bool expands = false;
};

struct SoftwareEntry {
  EntrySource source;
  std::string displayName;
  EntryText uninstallString;
  EntryText quietUninstallString;
  std::string publisher;
  std::string version;  // DisplayVersion
  // EstimatedSize: kilobytes, as the installer estimated them.
  std::optional<std::uint32_t> sizeKB;
  std::string installDate;  // InstallDate as stored: "YYYYMMDD" as a rule
  bool windowsInstaller = false;  // WindowsInstaller = 1: a Windows Installer product
  bool systemComponent = false;   // SystemComponent = 1
  std::string parentKeyName;      // ParentKeyName: an update of another entry
  std::string releaseType;        // ReleaseType: "Update", "Hotfix", "Security Update", ...
};

// Reads the entry's values. nullopt when its key does not open, or when its "DisplayName"
// or "UninstallString" is there but no string (an entry this program cannot read right).
// Other values of an unexpected type read as missing.
[[nodiscard]] std::optional<SoftwareEntry> ReadSoftwareEntry(platform::Registry& registry, const EntrySource& source);

// Whether the entry's key is still there.
[[nodiscard]] bool EntryExists(platform::Registry& registry, const EntrySource& source);

// Why the system's own list of programs leaves the entry out, for the console's --all; empty
// when it shows it: a system component, an update of another entry (a parent key, or a
// release type of "Update", "Hotfix" or "Security Update"), or an entry without an uninstall
// command.
[[nodiscard]] std::string HiddenReason(const SoftwareEntry& entry);

// InstallDate as a calendar date: eight digits "YYYYMMDD" of a real date; nullopt otherwise.
[[nodiscard]] std::optional<CalendarTime> InstallDateOf(std::string_view text);

// EstimatedSize as the information pages show sizes: "12345KB (12MB)".
[[nodiscard]] std::string SizeText(std::uint32_t kilobytes);

// The entry's row: caption the display name, then "Installed Software", the uninstall
// command, an empty column, the publisher, the version, the size and the date in the user's
// short format; unchecked, image kSoftwareImage, the entry's SourceId in `hidden`. The size
// and the date sort by value.
[[nodiscard]] ResultRow SoftwareRow(const SoftwareEntry& entry, platform::System& system);

}  // namespace sw::uninstall
