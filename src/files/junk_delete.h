#pragma once
// The Delete of the Files Cleaning page: deletes the files of the checked rows, after
// packing them into the next free zqN.bck in the data folder when a backup is asked for.
// Files that cannot be deleted now are queued in clean.bat, which the system runs once at
// the user's next logon (the user's own RunOnce key); their rows stay.
//
// Only the file that was listed is acted on. Each file (and each file or folder that goes
// with it, as the two halves of a Recycle Bin item do) is opened by its exact name without
// following a link at the name, and compared through that handle with what the Find saw: its
// identity on its volume, the path it is reached by (a folder on the way swapped for a link
// shows there), its size and last-write time. A file that differs, or a row the Find did not
// make, is kept: not backed up, not deleted, not queued, its row stays checked, and it is
// counted and named. The backup reads the file through that same handle, and the deletion
// goes through it too. A browser's cache is kept when the browser was started since the Find.
//
// With a backup, a file is deleted (now or by the batch) only once it is safely in the
// archive: files that cannot be read are left out of it, kept and not queued, and their rows
// stay checked; when the backup fails, nothing is deleted at all.
//
// The batch deletes by name, later, with the user's own rights: a file in use is queued only
// when no other user may write its folder (who could by then make the name lead elsewhere),
// and, for a program run as administrator, only when the user could delete it; the rest is
// reported. Nothing is queued, and the batch is not registered, when others may write the
// data folder the batch is in.
//
// Each deletion that changes anything is one entry of the history (history/history_log.h):
// begun once the backup is complete and before the first file goes, naming the archive and
// listing every file in it; a history that cannot be written stops the deletion before it
// starts.

#include <cstdint>
#include <string>
#include <vector>

#include "core/engine_sink.h"
#include "core/result_row.h"
#include "platform/platform.h"

namespace sw::files {

struct FileDeleteOutcome {
  bool asked = false;
  bool declined = false;
  int deleted = 0;
  std::uint64_t deletedBytes = 0;
  int queued = 0;           // in clean.bat, for the next logon
  int notQueued = 0;        // could not be deleted, and no exact batch line exists for them
  int notQueuedShared = 0;  // could not be deleted, and others may write their folder
  int notQueuedAdmin = 0;   // could not be deleted, and only an administrator could
  int keptUnreadable = 0;   // could not be read, so left out of the backup and not deleted
  int keptNotStored = 0;    // read, yet not in the archive written (gone from the list), so kept
  int keptChanged = 0;      // not the file the Find listed any more, or not listed by a Find
  int keptUnopened = 0;     // could not be opened to be checked (too many handles, a failing disk)
  int keptBrowser = 0;      // of a browser started since the Find
  int leftInUse = 0;        // in use, of a category whose files are left alone then (not queued)
  std::vector<std::string> kept;             // the full path of every checked file that stays
  std::vector<std::string> browsersStarted;  // "Chrome"
  std::string archive;                       // the backup written (the first, when there are several)
  std::vector<std::string> archives;         // every backup written, one per round (see below)
  std::string error;                         // the backup, the history or the batch could not be written
  // The RunOnce value for clean.bat could not be written (why, in the system's words): the
  // queued files wait for the batch to be started by hand.
  std::string runOnceError;
  // Files wait for a restart: the next page change empties the list without asking.
  bool clearWithoutAsking = false;
};

// Each file is checked, backed up and deleted through one handle held from its check to its
// deletion. The handles of a round of at most this many rows are held at once: a million
// rows do not hold a million handles (Linux and Wine give a process some thousands of
// descriptors). Each round is a deletion of its own, with its own archive and history entry.
inline constexpr std::size_t kRowsPerDeleteRound = 8192;

// `backupCounter` names the first archive tried (zq<counter>.bck); it ends one past the
// last archive written. The history names the sink's origin as the maker of the change.
FileDeleteOutcome DeleteFiles(std::vector<ResultRow>& list, bool backup, int& backupCounter,
                              platform::Platform& platform, EngineSink& sink);

// "a, b, c and 2 more": the first few of `paths`, for a message.
[[nodiscard]] std::string FirstNames(const std::vector<std::string>& paths);

}  // namespace sw::files
