#pragma once
// The history of every change the programs make: history.log in the data folder, one JSON
// object a line, only ever appended to, so that the window and the console program can both
// write it and no later write loses an earlier one.
//
// A change is written twice: before it starts (what it is about to do and where the backup
// that undoes it is), and once it has ended (what it did). A start without its end is a
// change that was interrupted (the program was ended or crashed meanwhile); since its backup
// was named before the first item changed, it can still be undone.
//
// Entries are numbered by the order of their starts in the file (1 for the first), so a
// number stays the same whoever appends later; each start also carries a key of its own,
// which links its end and its undo to it without any number being handed out in advance.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_time.h"
#include "core/result.h"
#include "platform/file_system.h"
#include "platform/platform.h"

namespace sw::history {

// What a change did. The names are what the file stores; never rename one.
enum class Action {
  FilesDeleted,      // junk files deleted, and those in use queued for the logon batch
  RegistryRemoved,   // registry values removed by the Registry Cleaning page
  TweaksApplied,     // settings changed by Apply
  TweaksRestored,    // settings put back by Restore
  Uninstalled,       // a program's uninstaller ran
  EntryRemoved,      // an uninstall entry removed after its uninstaller left it (saved first)
  LeftoversRemoved,  // what an uninstalled program left behind
  UpdateInstalled,   // a new release of this program was put in place
  WindowsCleanup,    // the system's own cleanup handlers ran
  Undo,              // an earlier entry was undone
};

[[nodiscard]] std::string_view ActionName(Action action);  // "files-deleted"
[[nodiscard]] std::optional<Action> ActionFromName(std::string_view name);

enum class EntryState {
  Done,         // ended as intended
  Failed,       // ended, but did not do (all of) what it set out to do
  Interrupted,  // began and never ended
};

[[nodiscard]] std::string_view StateName(EntryState state);  // "done", "failed", "interrupted"

// One change. Begin writes every field but those of its end; Complete writes the outcome.
struct Entry {
  int id = 0;       // the order of its start in the log, from 1; set when read
  std::string key;  // unique in the log; set by Begin
  Action action = Action::FilesDeleted;
  FileTime started;
  FileTime ended;  // zero while it has not ended
  // Which page or command made it: "Files Cleaning page", "sweepwise-cli delete files".
  std::string origin;
  // What it did, in a sentence a person reads: "Deleted 12 files".
  std::string summary;
  std::uint64_t count = 0;          // how many things it changed (files, values, tweaks)
  std::uint64_t bytes = 0;          // how many bytes they held, where that means anything
  std::vector<std::string> names;   // the first few things it changed, as a person knows them
  std::vector<std::string> backups; // the files that hold what undoes it (an archive, a .reg)
  // Why it cannot be undone ("no backup was asked for"); empty when it can.
  std::string notUndoable;
  EntryState state = EntryState::Interrupted;
  // A failure or a partial result, in words; empty when it did all it set out to do.
  std::string problem;
  // For an Undo entry: the key of the entry it undid. For any entry: the key of the Undo
  // entry that undid it (set when read), empty when none did.
  std::string undoes;
  std::string undoneBy;

  [[nodiscard]] bool Undoable() const { return notUndoable.empty() && undoneBy.empty() && action != Action::Undo; }
};

// At most this many names are kept in an entry; its full list goes to its items file.
inline constexpr std::size_t kNamesKept = 5;

class HistoryLog {
 public:
  // The history of the data folder `dataFolder` (no trailing backslash).
  HistoryLog(platform::FileSystem& files, std::string dataFolder);
  // The history of the program's data folder.
  explicit HistoryLog(platform::Platform& platform);

  // Writes the start of `start` (its key and start time are filled in here, its state is
  // ignored) and returns its key. Only the first kNamesKept names are written. An error when
  // the log cannot be written; the caller decides whether the change may go on without it.
  Result<std::string> Begin(Entry start);

  // Writes the end of the entry `key`: its state (Done or Failed), the counts, names,
  // backups, problem and reason it cannot be undone as they are now. Fields left empty or
  // zero keep what the start said.
  Status Complete(std::string_view key, const Entry& end);

  // Every entry, newest first, with the end and the undo of each folded in. A line that does
  // not read (cut short by a power failure) is passed over.
  Result<std::vector<Entry>> Read();
  // The entry numbered `id`; nullopt when there is none.
  Result<std::optional<Entry>> Find(int id);

  // The full list of what an entry changed, one item a line, in a file of its own beside the
  // log (the entry itself keeps only the first few names): written before the change starts,
  // so an interrupted change still knows what it may have touched.
  Status WriteItems(std::string_view key, const std::vector<std::string>& items);
  Result<std::vector<std::string>> ReadItems(std::string_view key);

  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] std::string ItemsPath(std::string_view key) const;

 private:
  Status AppendLine(const std::string& line);

  platform::FileSystem& files_;
  std::string folder_;
  std::string path_;
};

// Begins an entry on construction and completes it when told to; an entry that is never
// completed stays "interrupted" in the log, as the crash it stands for would leave it. A
// log that cannot be written is noted in `error` and otherwise ignored: what to do then is
// the caller's.
class Recording {
 public:
  Recording(HistoryLog& log, Entry start);
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  [[nodiscard]] bool Started() const { return !key_.empty(); }
  [[nodiscard]] const std::string& Key() const { return key_; }
  [[nodiscard]] const Error& LogError() const { return error_; }
  // The entry as begun; change its fields and pass it to Complete.
  Entry& entry() { return entry_; }

  Status WriteItems(const std::vector<std::string>& items);
  // Completes the entry with the fields of entry(), in `state`.
  Status Complete(EntryState state);

 private:
  HistoryLog& log_;
  Entry entry_;
  std::string key_;
  Error error_{Errc::Success};
};

}  // namespace sw::history
