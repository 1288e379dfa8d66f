#pragma once
// The Delete of the Files Cleaning page: deletes the files of the checked rows, after
// packing them into the next free zqN.bck in the data folder when a backup is asked for.
// Files that cannot be deleted now are queued in clean.bat, which the system runs once at
// the next logon (the RunOnce key); their rows stay.
//
// With a backup, a file is deleted (now or by the batch) only once it is safely in the
// archive: files that cannot be read are left out of it, kept and not queued, and their rows
// stay checked; when the backup fails, nothing is deleted at all.
//
// Only the file that was listed is deleted: each checked row that carries what the Find saw
// (file_row.h) is compared first, by its exact name, with the file there now. A file whose
// size or last-write time changed, that was replaced by a folder or a link, or that became a
// cloud file, is kept (not backed up, not deleted, not queued), its row stays checked, and
// the user is told how many.

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
  int queued = 0;          // in clean.bat, for the next logon
  int notQueued = 0;       // could not be deleted, and no exact batch line exists for them
  int keptUnreadable = 0;  // could not be read, so left out of the backup and not deleted
  int keptNotStored = 0;   // read, yet not in the archive written (gone from the list), so kept
  int keptChanged = 0;     // not the file the Find listed any more
  int leftInUse = 0;       // in use, of a category whose files are left alone then (not queued)
  std::string archive;     // the backup written
  std::string error;       // the backup or the batch could not be written
  // The RunOnce value for clean.bat could not be written (why, in the system's words): the
  // queued files wait for the batch to be started by hand.
  std::string runOnceError;
  // Files wait for a restart: the next page change empties the list without asking.
  bool clearWithoutAsking = false;
};

// `backupCounter` names the first archive tried (zq<counter>.bck); it ends one past the
// archive written.
FileDeleteOutcome DeleteFiles(std::vector<ResultRow>& list, bool backup, int& backupCounter,
                              platform::Platform& platform, EngineSink& sink);

}  // namespace sw::files
