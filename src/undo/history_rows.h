#pragma once
// The history as a person reads it, in the window's list and on the console: when, what,
// how much, and what became of each entry.

#include <string>

#include "core/result_row.h"
#include "history/history_log.h"
#include "platform/system.h"

namespace sw::undo {

// "Files deleted", "Registry values removed", ... "Undo".
std::string ActionText(history::Action action);

// "done", "failed", "interrupted", and "undone" once an undo succeeded.
std::string StateText(const history::Entry& entry);

// "12 files, 340 KB" for files, "3 values" for registry values; empty when there is no count.
std::string SizeText(const history::Entry& entry);

// The start in local time: "2026-12-09 21:40:03".
std::string DateText(const history::Entry& entry, platform::System& system);

// One row of the window's list: date, action, size and state, then the summary and where the
// change was made; checked when it can be undone.
ResultRow HistoryRow(const history::Entry& entry, platform::System& system);

}  // namespace sw::undo
