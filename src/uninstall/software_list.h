#pragma once
// The Software page: the programs registered for removal in the system's uninstall key, and
// the start of their uninstallers one after the other. After an uninstaller has ended, the
// subkey in which its entry was found is deleted with everything below it, so that a program
// whose uninstaller failed or left its entry behind no longer shows as installed.
//
// The uninstall key lies below HKEY_LOCAL_MACHINE for an administrator and below
// HKEY_CURRENT_USER otherwise: the list shows what the user may remove.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "platform/platform.h"

namespace sw::uninstall {

// Without the leading and trailing backslash; subkey paths are this, a backslash and a name.
inline constexpr std::string_view kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr std::string_view kInstalledSoftware = "Installed Software";
inline constexpr int kSoftwareImage = 2;  // of the main window's image list

// The headings and widths of the result list on this page. They are fixed English, not
// language texts. The uninstall command and the empty last column stay in the rows but are
// never seen: width 0, not resized with the list.
enum class ColumnWidth { kAutomatic, kHidden };
struct ColumnLayout {
  std::string_view heading;
  ColumnWidth width;
};
inline constexpr std::array<ColumnLayout, 4> kSoftwareColumns{{{"Software Title", ColumnWidth::kAutomatic},
                                                               {"Type", ColumnWidth::kAutomatic},
                                                               {"", ColumnWidth::kHidden},
                                                               {"", ColumnWidth::kHidden}}};

// The root whose uninstall key the page lists and cleans.
[[nodiscard]] platform::RootKey UninstallRoot(platform::System& system);

// The information shown before an uninstaller starts (the carriage return breaks the line
// in a message box).
std::string UninstallNotice(std::string_view title);

// The string value `valueName` ("DisplayVersion", "Publisher") of the entry in `subkey`;
// empty when it is missing or of another type. For the console's listing, which shows more
// of an entry than the page does.
std::string EntryText(platform::Platform& platform, std::string_view subkey, std::string_view valueName);

// The Find branch. One row per subkey of the uninstall key, in enumeration order: caption
// the display name, then "Installed Software", the uninstall command and nothing; unchecked,
// image kSoftwareImage, the subkey's name in `hidden`. A subkey without a display name, one
// that does not open, and one whose "DisplayName" or "UninstallString" is not a string are
// left out; a missing "UninstallString" leaves the command empty. The progress maximum is
// the number of subkeys. Stop, asked before each row, ends the listing with the rows so far.
// The caller empties the list and sets the headings of kSoftwareColumns first.
void FindSoftware(platform::Platform& platform, EngineSink& sink);

struct UninstalledEntry {
  std::string title;
  std::string key;      // the subkey name
  std::string command;  // as it was started
  bool started = false;
  bool keyRemoved = false;  // the entry's subkey was there after the uninstaller and is gone now
};

struct UninstallOutcome {
  std::vector<UninstalledEntry> entries;  // in the order they ran
  [[nodiscard]] bool AllStarted() const;
};

// The Delete branch: each checked row of `list`, in list order, gets the notice of
// UninstallNotice, its command started with the window shown, and waited for while the
// sink's ProcessMessagesNow handles the window's messages. Whether it started or not, the
// row's subkey is then deleted with all its subkeys; when that removed it, text 88 ("... has
// repaired the system registry.") is shown. A command that cannot be started is reported
// with a warning. The row leaves the list (RowsChanged follows). Unchecked rows stay and are
// not run; with nothing checked nothing happens. Nothing is asked first: the check is the
// confirmation.
UninstallOutcome UninstallSoftware(std::vector<ResultRow>& list, platform::Platform& platform, EngineSink& sink);

}  // namespace sw::uninstall
