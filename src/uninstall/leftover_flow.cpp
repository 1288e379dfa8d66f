#include "uninstall/leftover_flow.h"

#include <algorithm>

#include "core/file_time.h"
#include "uninstall/leftover_record.h"
#include "uninstall/leftover_scan.h"
#include "uninstall/software_sources.h"

namespace sw::uninstall {

std::vector<LeftoverSnapshot> KeepSnapshots(platform::Platform& platform, const std::vector<ResultRow>& rows) {
  std::vector<LeftoverSnapshot> snapshots;
  for (const ResultRow& row : rows) {
    if (!row.checked) {
      continue;
    }
    const auto source = ParseSourceId(row.hidden);
    auto snapshot = source ? TakeLeftoverSnapshot(platform, *source, FileTimeNow()) : std::nullopt;
    if (snapshot) {
      // A snapshot that cannot be kept still serves this run; only a later search loses it.
      (void)SaveSnapshot(platform, *snapshot);
      snapshots.push_back(std::move(*snapshot));
    }
  }
  return snapshots;
}

std::vector<Leftover> LeftoversOfUninstalled(platform::Platform& platform, const std::vector<LeftoverSnapshot>& snapshots,
                                             const UninstallOutcome& outcome, EngineSink& sink) {
  std::vector<Leftover> found;
  for (const UninstalledEntry& entry : outcome.entries) {
    const auto snapshot = std::find_if(snapshots.begin(), snapshots.end(), [&](const LeftoverSnapshot& taken) {
      return SourceId(taken.clues.entry) == entry.id;
    });
    if (!entry.Removed() || snapshot == snapshots.end()) {
      continue;
    }
    LeftoverScanOutcome scan = ScanLeftovers(platform, *snapshot, sink);
    found.insert(found.end(), scan.leftovers.begin(), scan.leftovers.end());
    if (scan.stopped) {
      break;
    }
  }
  return found;
}

std::vector<Leftover> CheckedLeftovers(const std::vector<ResultRow>& rows) {
  std::vector<Leftover> chosen;
  for (const ResultRow& row : rows) {
    if (auto leftover = row.checked ? LeftoverOfRow(row) : std::nullopt) {
      chosen.push_back(std::move(*leftover));
    }
  }
  return chosen;
}

}  // namespace sw::uninstall
