#pragma once
// The history entry of one Files Delete (history/history_log.h): begun once the backup is
// complete and before the first file goes, with the archive that holds the files (or why
// the deletion cannot be undone) and the list of every file in the archive, in the form the
// Undo reads; completed with what was deleted, queued and kept.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/file_time.h"
#include "history/history_log.h"

namespace sw::files {

// A file as the Find listed it: what the Undo needs to put it back exactly.
struct RecordedFile {
  std::string path;  // exactly as listed, letter case included
  FileTime lastWrite;
  std::uint64_t size = 0;
};

// The line of one file in the items list: "<path>\t<last-write FILETIME ticks>\t<size>".
[[nodiscard]] std::string ItemLine(const RecordedFile& file);

class DeleteRecord {
 public:
  explicit DeleteRecord(history::HistoryLog log) : log_(std::move(log)) {}

  // Begins the entry for `count` files of `bytes` bytes, the first of them `names`; with the
  // archive `archive` holding `stored`, or without a backup. An error when the history or the
  // list cannot be written: then nothing may be deleted.
  Status Begin(const std::string& origin, std::uint64_t count, std::uint64_t bytes,
               const std::vector<std::string>& names, const std::string& archive,
               const std::vector<RecordedFile>& stored);

  // Completes it. `problem` says what was kept, empty when nothing was.
  void Complete(std::uint64_t deleted, std::uint64_t bytes, const std::vector<std::string>& names, int queued,
                const std::string& problem);

  [[nodiscard]] const std::string& Path() const { return log_.Path(); }

 private:
  history::HistoryLog log_;
  std::optional<history::Recording> recording_;
};

}  // namespace sw::files
