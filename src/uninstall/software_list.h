#pragma once
// The Software page: the programs registered for removal, and the start of their
// uninstallers one after the other.
//
// An uninstaller is waited for with everything it starts (most copy themselves to the
// temporary folder, start the copy and end at once). Then the entry decides: gone means the
// program went; still there means the uninstall was cancelled or failed, and the entry goes
// only when the user answers Yes to the question (default No), saved first as the next
// regbackupNNN.reg of the data folder. A program that stays keeps its row.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "platform/platform.h"
#include "uninstall/software_entry.h"
#include "uninstall/software_sources.h"

namespace sw::uninstall {

// The headings and widths of the result list on this page. They are fixed English, not
// language texts. The uninstall command and the empty fourth column stay in the rows but are
// never seen: width 0, not resized with the list.
enum class ColumnWidth { kAutomatic, kHidden };
struct ColumnLayout {
  std::string_view heading;
  ColumnWidth width;
};
inline constexpr std::array<ColumnLayout, 8> kSoftwareColumns{{{"Software Title", ColumnWidth::kAutomatic},
                                                               {"Type", ColumnWidth::kAutomatic},
                                                               {"", ColumnWidth::kHidden},
                                                               {"", ColumnWidth::kHidden},
                                                               {"Publisher", ColumnWidth::kAutomatic},
                                                               {"Version", ColumnWidth::kAutomatic},
                                                               {"Size", ColumnWidth::kAutomatic},
                                                               {"Installed", ColumnWidth::kAutomatic}}};

// The information shown before an uninstaller starts (the carriage return breaks the line
// in a message box).
std::string UninstallNotice(std::string_view title);

struct ListOptions {
  // Also the entries the system's own list leaves out (HiddenReason), which the page never
  // shows; from Vista on only, where the list follows the system's.
  bool includeHidden = false;
};

// The listing, source after source (SoftwareSources), each in its enumeration order: every
// entry with a display name, with why it is hidden when it is. An entry whose key does not
// open, or whose "DisplayName" or "UninstallString" is no string, is left out. The progress
// maximum is the number of subkeys. Stop, asked before each entry, ends the listing with
// what was found so far.
void ListSoftware(platform::Platform& platform, EngineSink& sink, const ListOptions& options,
                  const std::function<void(const SoftwareEntry& entry, const std::string& hiddenReason)>& found);

// The Find branch: one row per listed entry (SoftwareRow), added as it is found. The caller
// empties the list and sets the headings of kSoftwareColumns first.
void FindSoftware(platform::Platform& platform, EngineSink& sink);

struct UninstalledEntry {
  std::string title;
  std::string id;       // the row's SourceId
  std::string command;  // as started; empty when no command was found
  bool started = false;
  bool elevated = false;         // started with the user's consent, as it needs administrator rights
  bool entryGone = false;        // the entry was gone once the uninstaller had ended
  bool leftoverRemoved = false;  // the entry stayed and was removed after the user's Yes
  std::string backupFile;        // the regbackupNNN.reg of the removed entry
  // Why the uninstaller did not start, or why a leftover entry the user wanted gone stayed.
  std::string problem;
  Error error{Errc::Success};  // the system's error behind `problem`, when there is one
  [[nodiscard]] bool Removed() const { return entryGone || leftoverRemoved; }
};

struct UninstallOutcome {
  std::vector<UninstalledEntry> entries;  // in the order they ran
  [[nodiscard]] bool AllStarted() const;
};

struct UninstallOptions {
  // For scripts: the entry's quiet command (QuietCommand) instead of the interactive one; an
  // entry without one is refused.
  bool quiet = false;
};

// The Delete branch: each checked row of `list`, in list order, gets the notice of
// UninstallNotice and its uninstaller (InteractiveCommand, or QuietCommand), started with
// the window shown and waited for with everything it starts while the sink's
// ProcessMessagesNow handles the window's messages; one that needs administrator rights is
// started with the user's consent. A command that cannot be started is reported with a
// warning, and nothing else happens to its entry. Afterwards the entry is looked for: gone,
// the row leaves the list; still there, the question whether to remove it anyway (default
// No), and on Yes RemoveLeftoverEntry and text 88 ("... has repaired the system
// registry."). A row whose program stays stays, unchecked. RowsChanged follows every row.
// Unchecked rows are not run; with nothing checked nothing happens. Nothing is asked
// before an uninstaller starts: the check is the confirmation.
UninstallOutcome UninstallSoftware(std::vector<ResultRow>& list, platform::Platform& platform, EngineSink& sink,
                                   const UninstallOptions& options = {});

}  // namespace sw::uninstall
