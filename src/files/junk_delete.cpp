#include "files/junk_delete.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "backup/backup_file.h"
#include "core/language.h"
#include "core/ordered_pipeline.h"
#include "core/product.h"
#include "core/text.h"
#include "core/win_path.h"
#include "files/clean_batch.h"
#include "files/delete_record.h"
#include "files/file_row.h"
#include "files/junk_locations.h"
#include "files/listed_object.h"
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

// One file or folder a row acts on, opened and checked.
struct Target {
  std::string path;
  ObjectFacts seen;
  std::unique_ptr<platform::ListedFile> opened;  // null when gone already
  std::optional<Error> openError;                // could not be opened to be checked, and why
  bool inUse = false;                            // held by another program: not deleted now
  bool readable = false;
  bool removed = false;                          // deleted by this deletion
};

// What becomes of a checked row.
enum class Fate { Pending, Kept, Deleted, Waiting };

struct RowWork {
  std::size_t row = 0;
  FileFacts facts;
  std::vector<Target> targets;  // in the order they are deleted
  Fate fate = Fate::Pending;
};

// Deleting a file is mostly a wait for the disk (its folder written, its blocks freed), so a
// few rows are deleted at once; the processors are not what limits it.
constexpr unsigned kDeletionThreads = 4;

// Deletes a row's files in their order, through the handles that were checked, up to the
// first that stays: what is left of the row stays with it. Returns the target that stayed.
// Runs on a deletion thread, and touches nothing but the row's own targets.
std::optional<std::size_t> RemoveTargets(RowWork& work) {
  for (std::size_t i = 0; i < work.targets.size(); ++i) {
    Target& target = work.targets[i];
    if (!target.opened) {
      continue;  // gone already
    }
    const Status removed = target.inUse ? Status(Error(Errc::SharingViolation)) : target.opened->DeleteThroughHandle();
    if (!removed && !IsNotFound(removed.error())) {
      return i;
    }
    target.opened.reset();
    target.removed = true;
  }
  return std::nullopt;
}

struct TargetRemover {
  std::optional<std::size_t> operator()(RowWork*&& work) { return RemoveTargets(*work); }
};

// Whether the row must be deleted alone, after the rows before it and before those after it,
// as one row at a time would: it removes a folder (the list's other rows may be inside it),
// or names a file an earlier row of the round names too. `named` gathers the round's paths.
bool GoesAlone(const RowWork& work, std::unordered_set<std::string>& named) {
  bool alone = false;
  for (const Target& target : work.targets) {
    const bool repeated = !named.insert(ToLowerText(target.path)).second;
    alone = alone || repeated || target.seen.folder;
  }
  return alone;
}

// The browser whose program is `process`, as the location table names it.
std::string BrowserOf(const std::string& process) {
  for (const JunkLocation& location : KnownJunkLocations()) {
    if (EqualsNoCase(location.process, process)) {
      return location.browser;
    }
  }
  return process;
}

class FileDeletion {
 public:
  FileDeletion(std::vector<ResultRow>& list, bool backup, platform::Platform& platform, EngineSink& sink)
      : list_(list),
        backup_(backup),
        platform_(platform),
        sink_(sink),
        dataFolder_(platform.folders.data),
        batch_(dataFolder_, *platform.files, *platform.system),
        gone_(list.size(), false) {
    if (platform_.processes) {
      for (const std::string& name : platform_.processes->RunningProgramNames()) {
        running_.insert(ToLowerText(name));
      }
    }
  }

  // Opens and checks the files of the checked rows from `from` on, until a round's worth is
  // open; keeps what is not what the Find listed. Returns the row after the last one taken.
  std::size_t Open(std::size_t from);
  // Packs the readable files of the round; false when the backup failed.
  bool Backup(int& backupCounter);
  // Begins the round's history entry; false (and nothing to be deleted) when it cannot be written.
  bool BeginRecord();
  void Delete();
  // Completes the round's history entry and lets go of its handles.
  void EndRound();
  // Writes the batch of the files left for the next logon, once for all rounds.
  void SaveBatch();
  void Finish();

  FileDeleteOutcome outcome;

 private:
  void OpenRow(RowWork& work, const std::unordered_set<std::string>& running);
  // Opens one target with the most rights the system gives; false when it is not the object
  // the Find saw, or cannot be opened to be checked (its `openError` says why).
  bool OpenTarget(Target& target);
  // Keeps the row, counted in `counter`, and named in `names` when given.
  void Keep(RowWork& work, int& counter, std::vector<std::string>* names = nullptr);
  void KeepWhatIsNotInTheArchive(const std::vector<std::string>& stored);
  // Counts what a row's deletion did; queues or reports the file that stayed.
  void Settle(RowWork& work, std::optional<std::size_t> stayed);
  // Queues a file that could not be deleted now, where the rules let the batch take it.
  void QueueOrReport(RowWork& work, const Target& target, CleanBatch& batch);
  std::string NextArchive(int& counter);
  [[nodiscard]] bool DataFolderShared();
  void WriteRunOnce();
  void Tell();
  [[nodiscard]] std::vector<std::string> PathsOf(Fate fate) const;

  std::vector<ResultRow>& list_;
  bool backup_;
  platform::Platform& platform_;
  EngineSink& sink_;
  std::string dataFolder_;  // where the archive and the batch go
  std::vector<RowWork> work_;  // the round's rows
  std::unordered_set<std::string> running_;
  CleanBatch batch_;
  std::vector<bool> gone_;            // by row: deleted in some round
  std::vector<std::string> stayed_;
  std::vector<std::string> changed_;   // the rows kept as not the files listed
  std::vector<std::string> unopened_;  // the rows kept as not opened to be checked
  std::optional<Error> firstOpenError_;
  std::vector<std::string> notQueuedShared_;
  std::vector<std::string> notQueuedAdmin_;
  std::optional<bool> dataFolderShared_;
  std::optional<DeleteRecord> record_;  // the round's
  std::string archive_;                 // the round's backup, empty without one
  int roundQueuedBefore_ = 0;           // outcome.queued before the round
  std::uint64_t roundBytesBefore_ = 0;  // outcome.deletedBytes before the round
};

std::size_t FileDeletion::Open(std::size_t from) {
  work_.clear();
  roundQueuedBefore_ = outcome.queued;
  roundBytesBefore_ = outcome.deletedBytes;
  sink_.SetProgressMax(list_.size());
  std::size_t i = from;
  for (; i < list_.size() && work_.size() < kRowsPerDeleteRound; ++i) {
    sink_.ProcessMessages();
    if (list_[i].checked) {
      RowWork& work = work_.emplace_back();
      work.row = i;
      OpenRow(work, running_);
    }
    sink_.SetProgress(i + 1);
  }
  return i;
}

void FileDeletion::OpenRow(RowWork& work, const std::unordered_set<std::string>& running) {
  const ResultRow& row = list_[work.row];
  auto facts = FactsOfRow(row);
  if (!facts) {
    Keep(work, outcome.keptChanged, &changed_);  // not a row of a Find: nothing to check it against
    return;
  }
  work.facts = std::move(*facts);
  // A browser started since the Find writes its cache again, and holds its files.
  if (!work.facts.process.empty() && running.contains(ToLowerText(work.facts.process))) {
    const std::string browser = BrowserOf(work.facts.process);
    if (std::find(outcome.browsersStarted.begin(), outcome.browsersStarted.end(), browser) ==
        outcome.browsersStarted.end()) {
      outcome.browsersStarted.push_back(browser);
    }
    Keep(work, outcome.keptBrowser);
    return;
  }
  // What is inside the row's own folder goes before it, the rest after it.
  const auto add = [&work](std::string path, const ObjectFacts& seen) {
    Target& target = work.targets.emplace_back();
    target.path = std::move(path);
    target.seen = seen;
  };
  bool ownAdded = false;
  for (const PartnerFacts& partner : work.facts.partners) {
    if (!partner.inside && !ownAdded) {
      add(FullPathOfRow(row), work.facts.object);
      ownAdded = true;
    }
    add(row.columns[1] + partner.name, partner.object);
  }
  if (!ownAdded) {
    add(FullPathOfRow(row), work.facts.object);
  }
  for (Target& target : work.targets) {
    if (!OpenTarget(target)) {
      // A file that cannot be opened at all (too many handles, a failing disk) is not known
      // to have changed: it is told apart, with the system's reason.
      if (target.openError) {
        if (!firstOpenError_) {
          firstOpenError_ = target.openError;
        }
        Keep(work, outcome.keptUnopened, &unopened_);
      } else {
        Keep(work, outcome.keptChanged, &changed_);
      }
      work.targets.clear();  // the handles close: nothing of the row is touched
      return;
    }
  }
}

bool FileDeletion::OpenTarget(Target& target) {
  platform::FileSystem& files = *platform_.files;
  platform::ListedAccess access{backup_ && !target.seen.folder, true};
  auto opened = files.OpenListedFile(target.path, access);
  if (!opened && IsNotFound(opened.error())) {
    return true;  // gone already: as good as deleted
  }
  // Held by a program that lets nobody delete it (or even read it): opened for less and
  // checked all the same, then queued or kept.
  const auto held = [](Error error) { return error.Is(Errc::SharingViolation) || error.Is(Errc::AccessDenied); };
  while (!opened && held(opened.error()) && (access.remove || access.read)) {
    target.inUse = true;
    (access.remove ? access.remove : access.read) = false;
    opened = files.OpenListedFile(target.path, access);
  }
  if (!opened) {
    target.openError = opened.error();
    return false;
  }
  target.readable = access.read;
  target.opened = std::move(*opened);
  return IsListedObject(*target.opened, target.path, target.seen);
}

void FileDeletion::Keep(RowWork& work, int& counter, std::vector<std::string>* names) {
  work.fate = Fate::Kept;
  ++counter;
  if (names != nullptr) {
    names->push_back(FullPathOfRow(list_[work.row]));
  }
}

std::string FileDeletion::NextArchive(int& counter) {
  // An existing archive is never overwritten: its number is passed over.
  for (;; ++counter) {
    std::string archive = dataFolder_ + "\\zq" + std::to_string(counter) + ".bck";
    if (!platform_.files->Exists(archive)) {
      return archive;
    }
  }
}

bool FileDeletion::Backup(int& backupCounter) {
  archive_.clear();
  // Every file of a row goes into the archive, or the row stays whole.
  std::vector<std::string> backupList;
  std::unordered_map<std::string, Target*> byPath;  // as the archive's list spells them
  for (RowWork& work : work_) {
    if (work.fate != Fate::Pending) {
      continue;
    }
    const bool unreadable = std::any_of(work.targets.begin(), work.targets.end(), [](const Target& target) {
      return target.opened && !target.seen.folder && !target.readable;
    });
    if (unreadable) {
      Keep(work, outcome.keptUnreadable);
      continue;
    }
    for (Target& target : work.targets) {
      if (target.opened && !target.seen.folder) {
        backupList.push_back(target.path);
        byPath[ToLowerText(target.path)] = &target;
      }
    }
  }
  if (!backupList.empty()) {
    sink_.SetProgressMax(100);
    sink_.ShowStatus(Text(99));
    sink_.BeginBusy("Backing up files to be deleted\rPlease wait...");
    struct BusyNote {
      EngineSink& sink;
      ~BusyNote() { sink.EndBusy(); }
    } busy{sink_};
    backup::TBackupFile archive(*platform_.files, *platform_.system, &sink_);
    archive.CompressionLevel = backup::clFastest;
    archive.RestoreFullPath = true;
    archive.OnProgress = [&](backup::TBackupFile&, const std::string&, int percent, bool&) {
      sink_.SetProgress(static_cast<std::uint64_t>(std::clamp(percent, 0, 100)));
    };
    // The archive reads each file through the handle that was checked, never by its name.
    archive.OnOpenSource = [&byPath](const std::string& path) -> Result<backup::BackupSource> {
      const auto found = byPath.find(path);
      if (found == byPath.end()) {
        return Error(Errc::FileNotFound);
      }
      auto reader = found->second->opened->Reader();
      if (!reader) {
        return reader.error();
      }
      return backup::BackupSource{std::move(*reader), found->second->seen.lastWrite};
    };
    archive_ = NextArchive(backupCounter);
    if (!archive.Backup(backupList, archive_)) {
      outcome.error = "The backup " + archive_ + " could not be written. " +
                      (outcome.deleted > 0 ? "Nothing more was deleted." : "Nothing was deleted.");
      Notify(sink_, outcome.error, MessageKind::Error);
      return false;
    }
    ++backupCounter;
    if (outcome.archive.empty()) {
      outcome.archive = archive_;
    }
    outcome.archives.push_back(archive_);
    KeepWhatIsNotInTheArchive(archive.StoredFiles());
  }
  sink_.ShowStatus("Backup done.");
  sink_.SetProgress(0);
  return true;
}

// Only what the archive holds may go: a row with a file that is not in it (its name did not
// reach the archive's list) stays whole.
void FileDeletion::KeepWhatIsNotInTheArchive(const std::vector<std::string>& stored) {
  std::unordered_set<std::string> inArchive;
  for (const auto& path : stored) {
    inArchive.insert(ToLowerText(path));
  }
  for (RowWork& work : work_) {
    const bool missing =
        work.fate == Fate::Pending && std::any_of(work.targets.begin(), work.targets.end(), [&](const Target& target) {
          return target.opened && !target.seen.folder && !inArchive.contains(ToLowerText(target.path));
        });
    if (missing) {
      Keep(work, outcome.keptNotStored);
    }
  }
}

bool FileDeletion::BeginRecord() {
  std::uint64_t count = 0;
  std::uint64_t bytes = 0;
  std::vector<std::string> names;
  std::vector<RecordedFile> stored;
  for (const RowWork& work : work_) {
    if (work.fate != Fate::Pending) {
      continue;
    }
    ++count;
    names.push_back(FullPathOfRow(list_[work.row]));
    for (const Target& target : work.targets) {
      bytes += target.seen.size;
      if (!archive_.empty() && target.opened && !target.seen.folder) {
        stored.push_back({target.path, target.seen.lastWrite, target.seen.size});
      }
    }
  }
  if (count == 0) {
    return true;  // nothing changes, and nothing is recorded
  }
  names.resize(std::min(names.size(), history::kNamesKept));
  record_.emplace(history::HistoryLog(platform_));
  if (Status begun = record_->Begin(sink_.Origin(), count, bytes, names, archive_, stored); !begun) {
    outcome.error = "The history of changes (" + record_->Path() + ") could not be written: " +
                    platform::ErrorMessage(begun.error()) + ". Nothing was deleted.";
    Notify(sink_, outcome.error, MessageKind::Error);
    return false;
  }
  return true;
}

void FileDeletion::Delete() {
  sink_.SetProgressMax(work_.size());
  std::uint64_t progress = 0;
  const auto settled = [&] {
    sink_.ProcessMessages();
    sink_.SetProgress(++progress);
  };
  OrderedPipeline<RowWork*, std::optional<std::size_t>, TargetRemover> removals(
      kDeletionThreads, [] { return std::make_unique<TargetRemover>(); });
  std::deque<RowWork*> inFlight;  // in list order, as the results come back
  const auto settleOldest = [&] {
    Settle(*inFlight.front(), removals.Take());
    inFlight.pop_front();
    settled();
  };
  std::unordered_set<std::string> named;
  for (RowWork& work : work_) {
    if (work.fate != Fate::Pending) {
      settled();
    } else if (GoesAlone(work, named)) {
      while (!inFlight.empty()) {
        settleOldest();
      }
      Settle(work, RemoveTargets(work));
      settled();
    } else {
      if (removals.Full()) {
        settleOldest();
      }
      removals.Submit(&work);
      inFlight.push_back(&work);
    }
  }
  while (!inFlight.empty()) {
    settleOldest();
  }
}

void FileDeletion::SaveBatch() {
  // The batch is rewritten by every deletion, as the files of the last one are those to go;
  // none is written when others may write the data folder, where it would wait to be run.
  if (DataFolderShared()) {
    return;
  }
  if (const Status saved = batch_.Save(); !saved) {
    outcome.error = "The batch " + batch_.Path() + " could not be written: " + platform::ErrorMessage(saved.error());
    Notify(sink_, outcome.error, MessageKind::Error);
  }
  WriteRunOnce();
}

void FileDeletion::Settle(RowWork& work, std::optional<std::size_t> stayed) {
  for (const Target& target : work.targets) {
    if (target.removed) {
      outcome.deletedBytes += target.seen.size;
    }
  }
  if (stayed) {
    // What is left of the row stays, and the next Find lists it again.
    work.fate = Fate::Waiting;
    QueueOrReport(work, work.targets[*stayed], batch_);
    return;
  }
  work.fate = Fate::Deleted;
  ++outcome.deleted;
}

void FileDeletion::QueueOrReport(RowWork& work, const Target& target, CleanBatch& batch) {
  if (!InfoOf(work.facts.category).queueInUse) {
    ++outcome.leftInUse;  // the system's own files: it deletes them itself when done
    return;
  }
  platform::FileSystem& files = *platform_.files;
  if (target.seen.folder) {
    ++outcome.notQueued;  // del takes no folder
    return;
  }
  if (DataFolderShared() || files.OthersMayWrite(ParentPathOf(target.path)).value_or(true)) {
    // By the next logon a name there could lead to another file; and del takes no folder.
    notQueuedShared_.push_back(target.path);
    ++outcome.notQueuedShared;
    return;
  }
  if (platform_.system->IsAdmin() && files.OnlyAdministratorsMayDelete(target.path).value_or(true)) {
    notQueuedAdmin_.push_back(target.path);
    ++outcome.notQueuedAdmin;
    return;
  }
  if (batch.Queue(target.path)) {
    ++outcome.queued;
  } else {
    ++outcome.notQueued;
  }
}

// Whoever may write the data folder could change the batch before it runs at the user's
// logon, or put another in its place.
bool FileDeletion::DataFolderShared() {
  if (!dataFolderShared_) {
    dataFolderShared_ = platform_.files->OthersMayWrite(dataFolder_).value_or(true);
  }
  return *dataFolderShared_;
}

// The batch runs as the user who made it, at that user's next logon: the current user's
// RunOnce key, whatever this program's rights, and the path quoted, as it may hold blanks.
// Without the value the batch waits for a manual start: the user is told, with the reason.
void FileDeletion::WriteRunOnce() {
  reg::RegistryObject object(*platform_.registry, RootKey::CurrentUser);
  const std::string batch = dataFolder_ + "\\clean.bat";
  if (object.OpenKey(kRunOnceKey, true) && object.WriteString("Sweepwise", "\"" + batch + "\"")) {
    return;
  }
  outcome.runOnceError = "The RunOnce value that runs " + batch + " at the next logon could not be written (" +
                         std::string(reg::RootKeyName(RootKey::CurrentUser)) + std::string(kRunOnceKey) +
                         "\\Sweepwise): " + platform::ErrorMessage(object.LastError());
}

std::vector<std::string> FileDeletion::PathsOf(Fate fate) const {
  std::vector<std::string> paths;
  for (const RowWork& work : work_) {
    if (work.fate == fate) {
      paths.push_back(FullPathOfRow(list_[work.row]));
    }
  }
  return paths;
}

// The user learns of every file that stayed, and why.
void FileDeletion::Tell() {
  if (outcome.keptBrowser > 0) {
    std::string browsers;
    for (std::size_t i = 0; i < outcome.browsersStarted.size(); ++i) {
      browsers += (i == 0 ? "" : i + 1 == outcome.browsersStarted.size() ? " and " : ", ") + outcome.browsersStarted[i];
    }
    Notify(sink_,
           browsers + (outcome.browsersStarted.size() == 1 ? " was" : " were") + " started since the Find: " +
               std::to_string(outcome.keptBrowser) + " files of " +
               (outcome.browsersStarted.size() == 1 ? "its" : "their") +
               " cache were left alone and stay in the list. Close " + browsers + " and delete again.",
           MessageKind::Warning);
  }
  if (outcome.keptChanged > 0) {
    Notify(sink_,
           std::to_string(outcome.keptChanged) +
               " files changed since the Find, or are no longer the files it listed (a folder on the way may have "
               "been replaced by a link): " +
               FirstNames(changed_) + ". They were not deleted and stay in the list, checked; Find again to see them as "
               "they are now.",
           MessageKind::Warning);
  }
  if (outcome.keptUnopened > 0) {
    Notify(sink_,
           std::to_string(outcome.keptUnopened) + " files could not be opened to be checked (" +
               platform::ErrorMessage(*firstOpenError_) + "): " + FirstNames(unopened_) +
               ". They were not deleted and stay in the list, checked; delete again to retry them.",
           MessageKind::Warning);
  }
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
  if (outcome.notQueued > 0) {
    Notify(sink_,
           std::to_string(outcome.notQueued) +
               " files could not be deleted, and their names cannot be written to the batch file. They stay in "
               "the list.",
           MessageKind::Warning);
  }
  if (outcome.notQueuedShared > 0) {
    Notify(sink_,
           std::to_string(outcome.notQueuedShared) +
               " files are in use and were not queued for deletion at the next logon: other users may write " +
               (DataFolderShared() ? "the folder of the batch (" + dataFolder_ + ")" : std::string("their folders")) +
               ", and by then a name there could lead to another file. They stay in the list: " +
               FirstNames(notQueuedShared_) + ".",
           MessageKind::Warning);
  }
  if (outcome.notQueuedAdmin > 0) {
    Notify(sink_,
           std::to_string(outcome.notQueuedAdmin) +
               " files are in use and only an administrator could delete them; the batch at the next logon runs with "
               "your own rights, so they were not queued. They stay in the list: " +
               FirstNames(notQueuedAdmin_) + ".",
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
    if (!outcome.runOnceError.empty()) {
      Notify(sink_, outcome.runOnceError, MessageKind::Warning);
    }
  }
}

void FileDeletion::EndRound() {
  const auto deleted = PathsOf(Fate::Deleted);
  std::vector<std::string> stayed = PathsOf(Fate::Kept);
  const auto waiting = PathsOf(Fate::Waiting);
  stayed.insert(stayed.end(), waiting.begin(), waiting.end());
  const int queued = outcome.queued - roundQueuedBefore_;
  std::string problem;
  if (!stayed.empty()) {
    problem = std::to_string(stayed.size()) + " files kept: " + FirstNames(stayed) + ".";
    if (queued > 0) {
      problem += " " + std::to_string(queued) + " of them queued for deletion at the next logon.";
    }
  }
  if (record_) {
    record_->Complete(deleted.size(), outcome.deletedBytes - roundBytesBefore_,
                      std::vector<std::string>(deleted.begin(),
                                               deleted.begin() + static_cast<std::ptrdiff_t>(
                                                                     std::min(deleted.size(), history::kNamesKept))),
                      queued, problem);
    record_.reset();
  }
  for (const RowWork& work : work_) {
    gone_[work.row] = work.fate == Fate::Deleted;
  }
  stayed_.insert(stayed_.end(), stayed.begin(), stayed.end());
  work_.clear();  // the round's handles close
}

void FileDeletion::Finish() {
  Tell();
  // Each kept file is named in the outcome, in list order.
  outcome.kept = stayed_;
  // The rows of deleted files leave the list; the others stay as they were.
  std::size_t at = 0;
  std::erase_if(list_, [&](const ResultRow&) { return gone_[at++]; });
  sink_.SetProgress(0);
  sink_.ShowStatus(Text(89));
}

}  // namespace

std::string FirstNames(const std::vector<std::string>& paths) {
  constexpr std::size_t kShown = 5;
  std::string text;
  for (std::size_t i = 0; i < paths.size() && i < kShown; ++i) {
    text += (i == 0 ? "" : ", ") + paths[i];
  }
  if (paths.size() > kShown) {
    text += " and " + std::to_string(paths.size() - kShown) + " more";
  }
  return text;
}

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
  // The archive, the batch and the history go to the data folder: when it cannot be written,
  // nothing is deleted, since neither the backup nor the files in use could be taken care of.
  if (!platform.folders.writable) {
    outcome.error = platform.folders.problem + " Nothing was deleted.";
    Notify(sink, outcome.error, MessageKind::Error);
    return outcome;
  }
  FileDeletion deletion(list, backup, platform, sink);
  deletion.outcome = outcome;
  bool roundsDone = false;
  for (std::size_t next = 0; next < list.size();) {
    next = deletion.Open(next);
    if ((backup && !deletion.Backup(backupCounter)) || !deletion.BeginRecord()) {
      break;  // this round deletes nothing; what earlier rounds did stands
    }
    deletion.Delete();
    deletion.EndRound();
    roundsDone = true;
  }
  if (!roundsDone) {
    return deletion.outcome;  // nothing changed: the list stays as it was
  }
  deletion.SaveBatch();
  deletion.Finish();
  return deletion.outcome;
}

}  // namespace sw::files
