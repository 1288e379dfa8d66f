#include "files/delete_record.h"

namespace sw::files {

std::string ItemLine(const RecordedFile& file) {
  return file.path + "\t" + std::to_string(file.lastWrite.ticks) + "\t" + std::to_string(file.size);
}

Status DeleteRecord::Begin(const std::string& origin, std::uint64_t count, std::uint64_t bytes,
                           const std::vector<std::string>& names, const std::string& archive,
                           const std::vector<RecordedFile>& stored) {
  history::Entry start;
  start.action = history::Action::FilesDeleted;
  start.origin = origin;
  start.summary = "Deleting " + std::to_string(count) + " files";
  start.count = count;
  start.bytes = bytes;
  start.names = names;
  if (archive.empty()) {
    start.notUndoable = "No backup was asked for.";
  } else {
    start.backups = {archive};
  }
  recording_.emplace(log_, std::move(start));
  if (!recording_->Started()) {
    return recording_->LogError();
  }
  if (archive.empty()) {
    return {};
  }
  std::vector<std::string> lines;
  lines.reserve(stored.size());
  for (const RecordedFile& file : stored) {
    lines.push_back(ItemLine(file));
  }
  if (Status written = recording_->WriteItems(lines); !written) {
    // The entry says why nothing happened; the deletion does not start.
    recording_->entry().problem = "The list of the files in the backup could not be written; nothing was deleted.";
    recording_->entry().count = 0;
    recording_->entry().bytes = 0;
    (void)recording_->Complete(history::EntryState::Failed);
    return written;
  }
  return {};
}

void DeleteRecord::Complete(std::uint64_t deleted, std::uint64_t bytes, const std::vector<std::string>& names,
                            int queued, const std::string& problem) {
  if (!recording_ || !recording_->Started()) {
    return;
  }
  history::Entry& entry = recording_->entry();
  entry.summary = "Deleted " + std::to_string(deleted) + " files";
  if (queued > 0) {
    entry.summary += "; " + std::to_string(queued) + " queued for deletion at the next logon";
  }
  entry.count = deleted;
  entry.bytes = bytes;
  entry.names = names;
  entry.problem = problem;
  // The end is written as well as it can be: the files are gone whatever the log says, and
  // an entry without its end reads as interrupted, which still names the archive.
  (void)recording_->Complete(problem.empty() ? history::EntryState::Done : history::EntryState::Failed);
}

}  // namespace sw::files
