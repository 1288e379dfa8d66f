#pragma once
// The leftovers step around an uninstall, shared by the Software page and "sweepwise-cli
// uninstall --leftovers": the snapshots taken before the uninstallers run (afterwards the
// entries are gone, and with them the way to what their programs left behind), and the
// search once they have run, for the programs that went only: what a program still
// installed keeps is its own.

#include <vector>

#include "core/engine_sink.h"
#include "core/result_row.h"
#include "platform/platform.h"
#include "uninstall/leftover.h"
#include "uninstall/leftover_clues.h"
#include "uninstall/uninstall_flow.h"

namespace sw::uninstall {

// The snapshot of each checked row's program, each also kept in the data folder for a later
// "leftovers TITLE"; rows whose entry cannot be read have none.
std::vector<LeftoverSnapshot> KeepSnapshots(platform::Platform& platform, const std::vector<ResultRow>& rows);

// What the programs of `outcome` that went (their entry removed, or orphaned) left behind,
// in the order they ran.
std::vector<Leftover> LeftoversOfUninstalled(platform::Platform& platform, const std::vector<LeftoverSnapshot>& snapshots,
                                             const UninstallOutcome& outcome, EngineSink& sink);

// The chosen rows of a leftovers list: the checked ones that carry a leftover.
std::vector<Leftover> CheckedLeftovers(const std::vector<ResultRow>& rows);

}  // namespace sw::uninstall
