#pragma once
// The snapshots of the programs Sweepwise uninstalled, kept in uninstalled.json in the data
// folder, so that what a program left behind can still be looked for once its entry has
// gone: by the window after its Uninstall, and by "sweepwise-cli leftovers TITLE" later.
//
// The newest snapshot of an entry replaces an older one; at most kSnapshotsKept are kept.
// The file is rewritten whole (a temporary file renamed over it).

#include <optional>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/platform.h"
#include "uninstall/leftover_clues.h"

namespace sw::uninstall {

inline constexpr std::string_view kSnapshotFile = "uninstalled.json";
inline constexpr std::size_t kSnapshotsKept = 32;

// Every kept snapshot, newest first; none when the file is missing. A file that does not
// read as a list of snapshots is an error (InvalidData), and single snapshots that do not
// read are passed over.
Result<std::vector<LeftoverSnapshot>> LoadSnapshots(platform::Platform& platform);

// Keeps `snapshot` first in the file.
Status SaveSnapshot(platform::Platform& platform, const LeftoverSnapshot& snapshot);

// The newest kept snapshot of a program titled `title`: its display name exactly, else
// without regard to case; nullopt when there is none (or the file does not read).
std::optional<LeftoverSnapshot> FindSnapshot(platform::Platform& platform, std::string_view title);

}  // namespace sw::uninstall
