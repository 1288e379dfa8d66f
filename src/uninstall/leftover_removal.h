#pragma once
// Removing the leftovers the user chose, and putting them back.
//
// Everything is saved before anything goes: the files into the next free zqN.bck of the data
// folder (the archive the Files Cleaning page writes too), the keys and Run values into the
// next leftoversNNN.reg, and the scheduled tasks' definitions with the list of folders (which
// an archive of files cannot hold when they are empty) into a leftoversNNN.json beside it.
// When any of these cannot be written nothing is removed. One history entry names the three
// files; UndoLeftoverRemoval reads them back.
//
// Folders are emptied file by file, never through a link: a link inside a folder stays, and
// so does the folder holding it; a folder or file that has become a link since the search (or
// lies behind one now) is not touched at all.

#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "history/history_log.h"
#include "platform/platform.h"
#include "uninstall/leftover.h"

namespace sw::uninstall {

struct LeftoverRemovalOutcome {
  std::vector<Leftover> removed;
  // "<location>: why it stays", for each chosen leftover that was not removed (whole).
  std::vector<std::string> kept;
  std::uint64_t files = 0;  // files deleted
  std::uint64_t bytes = 0;
  std::string archive;   // the backups written; empty when there was nothing of the kind
  std::string regFile;
  std::string manifest;
  int historyId = 0;      // the history entry, 0 when the log could not be written
  std::string historyKey;
  // Why nothing at all was removed (a backup could not be written); empty otherwise.
  std::string problem;
};

// Removes `chosen` (as the search found them), origin naming the page or command for the
// history ("Software page", "sweepwise-cli leftovers").
LeftoverRemovalOutcome RemoveLeftovers(platform::Platform& platform, const std::vector<Leftover>& chosen,
                                       std::string_view origin, EngineSink& sink);

struct LeftoverUndoOutcome {
  std::uint64_t files = 0;    // restored from the archive
  std::uint64_t folders = 0;  // made again
  std::uint64_t values = 0;   // registry values written back
  std::uint64_t tasks = 0;    // registered again
  // What did not come back, in sentences; empty when everything did.
  std::vector<std::string> problems;
};

// Puts back what the history entry `entry` (a LeftoversRemoved one) removed: files that are
// there again meanwhile are not overwritten, and a task whose path is taken again stays as
// it is (both named in `problems`).
LeftoverUndoOutcome UndoLeftoverRemoval(platform::Platform& platform, const history::Entry& entry, EngineSink& sink);

}  // namespace sw::uninstall
