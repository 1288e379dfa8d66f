#pragma once
// The Software page's Delete: the checked programs' uninstallers, one after the other, and
// what becomes of each program's entry.
//
// An uninstaller is waited for with everything it starts (most copy themselves to the
// temporary folder, start the copy and end at once), and then while Windows Installer is at
// work: an entry looked at sooner may still be about to go. The wait is bounded, shown
// (UninstallOptions::onWaiting) and can be stopped (the sink's ShouldStop); a stopped or
// timed-out wait removes nothing, and no further uninstaller starts.
//
// Then the exit code decides. 0, 3010 and 1641 are success (the last two ask for a restart):
// an entry that is gone means the program went; one still there means the uninstall was
// cancelled or did not finish, and it goes only when the user answers Yes to the question
// (default No), saved first as the next regbackupNNN.reg of the data folder. Any other code
// is a failure: the entry stays, whatever the answer would have been, and the message names
// the code. An entry whose uninstaller program no longer exists (the program was deleted by
// hand) is orphaned: nothing is started, and the same question decides its entry.
//
// Nothing unprivileged decides what runs elevated: the program is started by its full path
// (ResolveProgram), and while Sweepwise runs with administrator rights the command of a
// current user's entry, which any of that user's programs may rewrite, is started as the
// desktop starts programs, without them, or not at all.
//
// Each uninstaller run and each removed entry is written to the history (history_log.h),
// begun before and completed after, with the sink's Origin as its maker.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "platform/platform.h"

namespace sw::uninstall {

// The information shown before an uninstaller starts (the carriage return breaks the line
// in a message box).
std::string UninstallNotice(std::string_view title);

// What became of one checked program: the value the front ends show and a later step (a
// search for what the program left behind) reads.
enum class UninstallResult {
  NotStarted,   // nothing ran: no command, a command refused, a start that failed or was declined
  ProgramGone,  // the uninstaller succeeded and the entry is gone (by itself, or removed on Yes)
  EntryKept,    // the uninstaller succeeded, but the entry stays (No, or its removal failed)
  Failed,       // the uninstaller's exit code says it failed: the entry stays whatever --yes says
  Orphaned,     // the uninstaller's program was gone already: nothing ran; see leftoverRemoved
  Stopped,      // the user stopped waiting: nothing was removed, something may still run
  TimedOut,     // the wait reached its limit: nothing was removed, something may still run
};

// "not started", "program gone", "entry kept", "failed", "orphaned", "stopped", "timed out".
[[nodiscard]] std::string_view UninstallResultName(UninstallResult result);

struct UninstalledEntry {
  std::string title;
  std::string id;       // the row's SourceId
  std::string command;  // as started (the program quoted); empty when none was found
  UninstallResult result = UninstallResult::NotStarted;
  bool started = false;
  bool elevated = false;       // started with the user's consent, as it needs administrator rights
  bool asDesktopUser = false;  // started without administrator rights, as the desktop starts programs
  std::optional<std::uint32_t> exitCode;  // once the uninstaller ended
  bool restartNeeded = false;             // exit code 3010 or 1641
  bool entryGone = false;                 // the entry was gone once the uninstaller had ended
  bool leftoverRemoved = false;           // the entry stayed (or was orphaned) and was removed on Yes
  std::string backupFile;                 // the regbackupNNN.reg of the removed entry
  // Why nothing was started, why the uninstall failed or was not waited for to its end, or
  // why an entry the user wanted gone stayed.
  std::string problem;
  Error error{Errc::Success};  // the system's error behind `problem`, when there is one

  [[nodiscard]] bool Removed() const { return entryGone || leftoverRemoved; }
  // The program's files are gone: its uninstaller succeeded, or it was gone before.
  [[nodiscard]] bool ProgramWent() const {
    return result == UninstallResult::ProgramGone || result == UninstallResult::Orphaned;
  }
};

struct UninstallOutcome {
  std::vector<UninstalledEntry> entries;  // in the order they ran
  // A wait was stopped or timed out: the checked rows after it were not run.
  bool interrupted = false;
  [[nodiscard]] bool AllStarted() const;
};

// What an uninstall waits for, reported when a wait begins, about once a second while it
// goes on, and once more with `done` when it is over.
struct Waiting {
  std::string what;  // "the uninstaller of X and the programs it started", ...
  std::chrono::seconds elapsed{0};
  std::chrono::seconds limit{0};
  bool done = false;
};

// How long one program's uninstall may be waited for, unless told otherwise.
inline constexpr std::chrono::seconds kDefaultUninstallTimeout{1800};

struct UninstallOptions {
  // For scripts: the entry's quiet command (QuietCommand) instead of the interactive one; an
  // entry without one is refused.
  bool quiet = false;
  // The longest wait for one program: its uninstaller with everything it starts, then Windows
  // Installer.
  std::chrono::milliseconds timeout = kDefaultUninstallTimeout;
  std::function<void(const Waiting&)> onWaiting{};
};

// The Delete branch: each checked row of `list`, in list order, gets the notice of
// UninstallNotice and its uninstaller (InteractiveCommand, or QuietCommand), started with
// the window shown and waited for as told above while the sink's ProcessMessagesNow handles
// the window's messages; one that needs administrator rights is started with the user's
// consent (not a current user's entry while elevated: refused). A row whose program went
// leaves the list; one whose program stays stays, unchecked. RowsChanged follows every row.
// Unchecked rows are not run; with nothing checked nothing happens. Nothing is asked before
// an uninstaller starts: the check is the confirmation.
UninstallOutcome UninstallSoftware(std::vector<ResultRow>& list, platform::Platform& platform, EngineSink& sink,
                                   const UninstallOptions& options = {});

}  // namespace sw::uninstall
