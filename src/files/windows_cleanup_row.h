#pragma once
// A row of the Files page for one of the system's own Disk Cleanup handlers on one volume:
//   caption: the handler's display name, as the handler gives it (its own language);
//   folder:  the volume, then the handler's description ("C:\ - Removes ...");
//   length:  the bytes it says it can free, "-" while unknown (it needs administrator rights);
//            after a run, the bytes it freed;
//   date:    what stands in its way ("Needs administrator rights"), else "-"; after a run,
//            what the run did, with the volume's free space before and after;
//   type:    "Windows cleanup (cannot be undone)".
// Such rows start unchecked: nothing they remove can be restored. The row keeps what Delete
// needs to run the handler again (its key, class and volume) in its hidden text, in a form
// no file row has, so the file deletion never mistakes it for a file.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/result_row.h"

namespace sw::files {

struct HandlerRowFacts {
  std::string key;      // its subkey below VolumeCaches
  std::string classId;
  std::string volume;   // "C:\"
  std::string displayName;
  std::string description;
  std::uint32_t flags = 0;  // what Initialize answered (EVCF_*)
  bool needsAdministrator = false;
  std::uint64_t bytes = 0;  // what it can free, as GetSpaceUsed said
  std::optional<std::uint64_t> freed;  // what a run freed
};

[[nodiscard]] ResultRow MakeHandlerRow(const HandlerRowFacts& facts);
[[nodiscard]] std::optional<HandlerRowFacts> HandlerFactsOfRow(const ResultRow& row);
[[nodiscard]] bool IsWindowsCleanupRow(const ResultRow& row);
// Keeps a row's facts up to date after a run (its columns are the caller's).
void SetHandlerFacts(ResultRow& row, const HandlerRowFacts& facts);

// Whether the console, which runs without anyone to watch, may run the handler: Windows runs
// it in its own unattended cleanup, and it has no settings dialog of its own.
[[nodiscard]] bool RunsUnattended(const HandlerRowFacts& facts);

// While the file deletion runs over a list, the list's checked handler rows are set aside
// unchecked (it passes over unchecked rows) and checked again afterwards: a handler row names
// no file and must never be taken for one, and the rows stay where the user sees them.
class HandlerChecksAside {
 public:
  explicit HandlerChecksAside(std::vector<ResultRow>& rows);
  HandlerChecksAside(const HandlerChecksAside&) = delete;
  HandlerChecksAside& operator=(const HandlerChecksAside&) = delete;
  ~HandlerChecksAside();

 private:
  std::vector<ResultRow>& rows_;
  std::set<std::string> checked_;  // the hidden texts of the rows set aside
};
// Leaves every handler row of `rows` unchecked (a Find checks the rows it lists).
void UncheckWindowsCleanupRows(std::vector<ResultRow>& rows);

// "3072MB", sizes as the page writes them: megabytes by truncating division.
[[nodiscard]] std::string MegabytesText(std::uint64_t bytes);

}  // namespace sw::files
