#include "files/junk_delete.h"

#include <algorithm>
#include <unordered_set>

#include "backup/backup_file.h"
#include "core/language.h"
#include "core/product.h"
#include "core/text.h"
#include "files/clean_batch.h"
#include "files/file_row.h"
#include "platform/error_message.h"
#include "registry/registry_names.h"
#include "registry/registry_object.h"

namespace sw::files {
namespace {

using platform::RootKey;

constexpr std::string_view kRunOnceKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr std::string_view kRestartNotice =
    "Some files needs computer to be restarted for deletion. After deletion, they may be recreated by the system "
    "with smaller sizes.";

void Notify(EngineSink& sink, std::string text, MessageKind kind) {
  sink.Ask(Message{std::move(text), std::string(kProductName), kind, MessageButtons::Ok});
}

class FileDeletion {
 public:
  FileDeletion(std::vector<ResultRow>& list, platform::Platform& platform, EngineSink& sink)
      : list_(list), platform_(platform), sink_(sink), dataFolder_(platform.folders.data), kept_(list.size(), false) {}

  // Keeps the checked files that are not the ones the Find listed any more.
  void KeepChangedFiles();
  // Packs the readable checked files; false when the backup failed.
  bool Backup(int& backupCounter);
  void Delete();
  void WriteRunOnce();

  FileDeleteOutcome outcome;

 private:
  std::string NextArchive(int& counter);
  void KeepWhatIsNotInTheArchive(const std::vector<std::string>& stored);

  std::vector<ResultRow>& list_;
  platform::Platform& platform_;
  EngineSink& sink_;
  std::string dataFolder_;  // where the archive and the batch go
  std::vector<bool> kept_;  // by row: left out of the backup, so not to be deleted
};

std::string FileDeletion::NextArchive(int& counter) {
  // An existing archive is never overwritten: its number is passed over.
  for (;; ++counter) {
    std::string archive = dataFolder_ + "\\zq" + std::to_string(counter) + ".bck";
    if (!platform_.files->Exists(archive)) {
      return archive;
    }
  }
}

// The file a row names, as a listing shows it now, against what the Find saw: the same size
// and last-write time, still a plain file on the disk. A row without those facts (made by
// another caller) is not compared.
void FileDeletion::KeepChangedFiles() {
  for (std::size_t i = 0; i < list_.size(); ++i) {
    if (!list_[i].checked || kept_[i]) {
      continue;
    }
    const auto facts = FactsOfRow(list_[i]);
    if (!facts) {
      continue;
    }
    const auto now = platform_.files->EntryOf(FullPathOfRow(list_[i]));
    if (!now && IsNotFound(now.error())) {
      continue;  // gone already: as good as deleted
    }
    const bool same = now && !now->IsFolder() && !now->IsReparsePoint() && !now->IsCloudPlaceholder() &&
                      now->size == facts->size && now->lastWrite == facts->lastWrite;
    if (!same) {
      kept_[i] = true;
      ++outcome.keptChanged;
    }
  }
  if (outcome.keptChanged > 0) {
    Notify(sink_,
           std::to_string(outcome.keptChanged) +
               " files changed since the Find. They were not deleted and stay in the list, checked; Find again to "
               "see them as they are now.",
           MessageKind::Warning);
  }
}

bool FileDeletion::Backup(int& backupCounter) {
  platform::FileSystem& files = *platform_.files;
  sink_.SetProgressMax(list_.size());
  sink_.ShowStatus("Backing up files to be deleted");
  std::vector<std::string> backupList;
  for (std::size_t i = 0; i < list_.size(); ++i) {
    sink_.ProcessMessages();
    if (list_[i].checked && !kept_[i]) {
      const std::string path = FullPathOfRow(list_[i]);
      (void)files.SetAttributes(path, platform::kAttrArchive);
      // A file another program holds without letting us read it cannot go into the backup;
      // one that is gone already needs no backup (the deletion finds it gone).
      const auto reader = files.OpenForReading(path, platform::ReadSharing::AllowWriters);
      if (reader) {
        backupList.push_back(path);
      } else if (!IsNotFound(reader.error())) {
        kept_[i] = true;
        ++outcome.keptUnreadable;
      }
    }
    sink_.SetProgress(i + 1);
  }
  if (!backupList.empty()) {
    sink_.SetProgressMax(100);
    sink_.ShowStatus(Text(99));
    sink_.BeginBusy("Backing up files to be deleted\rPlease wait...");
    struct BusyNote {
      EngineSink& sink;
      ~BusyNote() { sink.EndBusy(); }
    } busy{sink_};
    backup::TBackupFile archive(files, *platform_.system, &sink_);
    archive.CompressionLevel = backup::clFastest;
    archive.RestoreFullPath = true;
    archive.OnProgress = [&](backup::TBackupFile&, const std::string&, int percent, bool&) {
      sink_.SetProgress(static_cast<std::uint64_t>(std::clamp(percent, 0, 100)));
    };
    outcome.archive = NextArchive(backupCounter);
    if (!archive.Backup(backupList, outcome.archive)) {
      outcome.error = "The backup " + outcome.archive + " could not be written. Nothing was deleted.";
      Notify(sink_, outcome.error, MessageKind::Error);
      return false;
    }
    ++backupCounter;
    KeepWhatIsNotInTheArchive(archive.StoredFiles());
  }
  sink_.ShowStatus("Backup done.");
  sink_.SetProgress(0);
  if (outcome.keptUnreadable > 0) {
    Notify(sink_,
           std::to_string(outcome.keptUnreadable) +
               " files are in use and could not be backed up. They were not deleted and stay in the list.",
           MessageKind::Warning);
  }
  if (outcome.keptNotStored > 0) {
    Notify(sink_,
           std::to_string(outcome.keptNotStored) +
               " files did not get into the backup. They were not deleted and stay in the list.",
           MessageKind::Warning);
  }
  return true;
}

// Only what the archive holds may go: a checked file that is not in it (its name did not
// reach the file list, it changed meanwhile) stays, unless it is gone already.
void FileDeletion::KeepWhatIsNotInTheArchive(const std::vector<std::string>& stored) {
  std::unordered_set<std::string> inArchive;
  for (const auto& path : stored) {
    inArchive.insert(ToLowerText(path));
  }
  for (std::size_t i = 0; i < list_.size(); ++i) {
    if (!list_[i].checked || kept_[i]) {
      continue;
    }
    const std::string path = FullPathOfRow(list_[i]);
    if (!inArchive.contains(ToLowerText(path)) && platform_.files->Exists(path)) {
      kept_[i] = true;
      ++outcome.keptNotStored;
    }
  }
}

void FileDeletion::Delete() {
  platform::FileSystem& files = *platform_.files;
  CleanBatch batch(dataFolder_, files, *platform_.system);
  sink_.SetProgressMax(list_.size());
  std::uint64_t progress = 0;
  std::vector<bool> deleted(list_.size(), false);
  for (std::size_t i = 0; i < list_.size(); ++i) {
    if (!list_[i].checked || kept_[i]) {
      continue;
    }
    sink_.ProcessMessages();
    sink_.SetProgress(++progress);
    const std::string path = FullPathOfRow(list_[i]);
    (void)files.SetAttributes(path, platform::kAttrArchive);  // read-only files too
    const Status removed = files.RemoveFile(path);
    // A file that is gone already is as good as deleted.
    if (removed || IsNotFound(removed.error())) {
      deleted[i] = true;
      ++outcome.deleted;
      continue;
    }
    const auto facts = FactsOfRow(list_[i]);
    if (facts && !InfoOf(facts->category).queueInUse) {
      ++outcome.leftInUse;  // the system's own files: it deletes them itself when done
    } else if (batch.Queue(path)) {
      ++outcome.queued;
    } else {
      ++outcome.notQueued;
    }
  }
  // The deleted rows leave the list in one pass: erasing each in turn would move every row
  // after it, a hundred thousand times over for a large list.
  std::size_t left = 0;
  for (std::size_t i = 0; i < list_.size(); ++i) {
    if (!deleted[i]) {
      if (left != i) {
        list_[left] = std::move(list_[i]);
        kept_[left] = kept_[i];
      }
      ++left;
    }
  }
  list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(left), list_.end());
  kept_.resize(left);
  if (const Status saved = batch.Save(); !saved) {
    outcome.error = "The batch " + batch.Path() + " could not be written: " + platform::ErrorMessage(saved.error());
    Notify(sink_, outcome.error, MessageKind::Error);
  }
  if (outcome.notQueued > 0) {
    Notify(sink_,
           std::to_string(outcome.notQueued) +
               " files could not be deleted, and their names cannot be written to the batch file. They stay in "
               "the list.",
           MessageKind::Warning);
  }
  if (outcome.leftInUse > 0) {
    Notify(sink_,
           std::to_string(outcome.leftInUse) + " files are in use by the system. They were left alone and stay in the "
                                               "list.",
           MessageKind::Information);
  }
  if (outcome.queued > 0) {
    Notify(sink_, std::string(kRestartNotice), MessageKind::Information);
    outcome.clearWithoutAsking = true;
  }
  sink_.SetProgress(0);
  sink_.ShowStatus(Text(89));
}

// Without the value the batch waits for a manual start: the user is told, with the reason.
void FileDeletion::WriteRunOnce() {
  const RootKey root = platform_.system->IsAdmin() ? RootKey::LocalMachine : RootKey::CurrentUser;
  reg::RegistryObject object(*platform_.registry, root);
  const std::string batch = dataFolder_ + "\\clean.bat";
  if (object.OpenKey(kRunOnceKey, true) && object.WriteString("Sweepwise", batch)) {
    return;
  }
  outcome.runOnceError = "The RunOnce value that runs " + batch + " at the next logon could not be written (" +
                         std::string(reg::RootKeyName(root)) + std::string(kRunOnceKey) + "\\Sweepwise): " +
                         platform::ErrorMessage(object.LastError());
  if (outcome.queued > 0) {
    Notify(sink_, outcome.runOnceError, MessageKind::Warning);
  }
}

}  // namespace

FileDeleteOutcome DeleteFiles(std::vector<ResultRow>& list, bool backup, int& backupCounter,
                              platform::Platform& platform, EngineSink& sink) {
  FileDeleteOutcome outcome;
  if (std::none_of(list.begin(), list.end(), [](const ResultRow& row) { return row.checked; })) {
    return outcome;
  }
  outcome.asked = true;
  if (!Confirm(sink, std::string(Text(73)), "Select", MessageKind::Warning)) {
    outcome.declined = true;
    return outcome;
  }
  // The archive and the batch go to the data folder: when it cannot be written, nothing is
  // deleted, since neither the backup nor the files in use could be taken care of.
  if (!platform.folders.writable) {
    outcome.error = platform.folders.problem + " Nothing was deleted.";
    Notify(sink, outcome.error, MessageKind::Error);
    return outcome;
  }
  FileDeletion deletion(list, platform, sink);
  deletion.outcome = outcome;
  deletion.KeepChangedFiles();
  if (backup && !deletion.Backup(backupCounter)) {
    return deletion.outcome;
  }
  deletion.Delete();
  deletion.WriteRunOnce();
  return deletion.outcome;
}

}  // namespace sw::files
