#pragma once
// Undo of one entry of the history: what that change did is taken back from the backup its
// entry names, never over a later change.
//
//   files deleted      the files back in the folders they came from (deleted_files.h)
//   registry removed   the values back from the entry's regbackupNNN.reg
//   entry removed      the uninstall entry back from its saved .reg
//   tweaks applied     each value back as that apply found it, while it holds what it wrote
//   tweaks restored    each value back as that restore found it, while it holds what it wrote,
//                      and recorded in default.reg again
//
// A value or file changed since is left as it is and named. Uninstalls and updates cannot be
// undone, nor an undo, nor an entry whose backup was not asked for or is gone: the reason is
// said and nothing changes. An entry that was interrupted is undone as far as it got (its
// backup was complete before it began). The undo is an entry of the history itself.

#include <string>
#include <vector>

#include "core/engine_sink.h"
#include "history/history_log.h"
#include "platform/platform.h"
#include "tweaks/tweak_page_texts.h"

namespace sw::undo {

struct UndoOutcome {
  bool asked = false;     // the confirmation was shown
  bool declined = false;  // and answered No
  // Why the entry cannot be undone; empty when the undo was tried.
  std::string refused;
  bool complete = false;             // everything the entry changed is back, or was never gone
  std::string summary;               // one line: "12 files back in their folders"
  std::vector<std::string> details;  // what is named: files beside, values left, what failed and why
  std::string message;               // the message shown
  int undoId = 0;                    // the history entry of the undo, when one was written
};

// Why `entry` cannot be undone, in a sentence; empty when it can.
std::string WhyNotUndoable(const history::Entry& entry);

// Asks whether to undo the entry numbered `id`, and undoes it on Yes. What happened is shown
// (and returned); `elevationAdvice` follows a message that names values only an administrator
// may write, when this program runs without the rights.
UndoOutcome Undo(platform::Platform& platform, history::HistoryLog& log, int id, EngineSink& sink,
                 std::string_view elevationAdvice = tweaks::kRestartAsAdministratorAdvice);

}  // namespace sw::undo
