#include "undo/undo.h"

#include <algorithm>
#include <cctype>

#include "core/product.h"
#include "core/text.h"
#include "core/win_path.h"
#include "platform/error_message.h"
#include "registry/reg_import.h"
#include "tweaks/change_registry.h"
#include "tweaks/restore_file.h"
#include "undo/deleted_files.h"
#include "undo/history_rows.h"
#include "uninstall/leftover_removal.h"

namespace sw::undo {
namespace {

using history::Action;
using history::Entry;

// What an undo did, before it becomes a message.
struct Taken {
  bool failed = false;  // something stayed for a reason other than a later change
  bool keptChanges = false;
  bool needsRights = false;
  std::string summary;
  std::vector<std::string> details;
};

bool HasExtension(std::string_view path, std::string_view extension) {
  const std::string_view name = FileNameOf(path);
  return name.size() > extension.size() && EqualsNoCase(name.substr(name.size() - extension.size()), extension);
}

// Deleted files, from the archive among the backups and the entry's list of them.
void UndoFiles(platform::Platform& platform, history::HistoryLog& log, const Entry& entry, const std::string& archive,
               EngineSink& sink, Taken& taken) {
  auto items = log.ReadItems(entry.key);
  std::size_t unreadable = 0;
  const std::vector<DeletedFile> files = items ? ReadDeletedFiles(*items, unreadable) : std::vector<DeletedFile>{};
  const FilesBack back = RestoreDeletedFiles(platform, archive, files, sink);
  taken.summary = std::to_string(back.restored.size()) + " files back in their folders";
  if (!back.stillThere.empty()) {
    taken.summary += ", " + std::to_string(back.stillThere.size()) + " never deleted";
  }
  if (!back.archiveError.empty()) {
    taken.details.push_back(archive + ": " + back.archiveError);
  }
  taken.details.insert(taken.details.end(), back.beside.begin(), back.beside.end());
  for (const auto& file : back.leftInArchive) {
    taken.details.push_back(file + "; it stays in " + archive);
  }
  if (unreadable > 0) {
    taken.details.push_back(std::to_string(unreadable) + " lines of the entry's list of files are damaged");
  }
  taken.failed = taken.failed || !back.Complete() || unreadable > 0;
  taken.keptChanges = taken.keptChanges || !back.beside.empty();
}

// Registry values (or a whole uninstall entry) from a .reg file among the backups; a value
// there now with other data was set again since, and stays.
void UndoRegistryFile(platform::Platform& platform, const std::string& file, Taken& taken) {
  auto imported = reg::ImportRegFile(platform, file, reg::ImportMode::KeepLaterChanges);
  if (!imported) {
    taken.failed = true;
    taken.summary = "nothing of " + file;
    taken.details.push_back(file + " could not be read: " + platform::ErrorMessage(imported.error()));
    return;
  }
  taken.summary = std::to_string(imported->written) + " registry values and keys back";
  if (!imported->readable) {
    taken.details.push_back(file + " is no registry file");
  }
  for (const auto& note : imported->notWritten) {
    taken.details.push_back(note.target + ": " + note.reason);
  }
  for (const auto& note : imported->keptLaterChanges) {
    taken.details.push_back(note.target + ": " + note.reason);
  }
  taken.failed = taken.failed || !imported->Complete();
  taken.keptChanges = taken.keptChanges || !imported->keptLaterChanges.empty();
  taken.needsRights = taken.needsRights || imported->NeedsRights();
}

// The values an Apply or a Restore of the tweaks wrote, each back as it found it while it
// holds what it wrote. Undoing a Restore writes what the tweaks had written, so default.reg
// records those values again first; undoing an Apply leaves in default.reg nothing that came back.
void UndoTweaks(platform::Platform& platform, history::HistoryLog& log, const Entry& entry, Taken& taken) {
  auto items = log.ReadItems(entry.key);
  const tweaks::TweakRecords records =
      tweaks::RecordsOfLines(items ? *items : std::vector<std::string>{}, *platform.system);
  const std::string restoreFile = tweaks::RestoreFilePath(platform.folders);
  Status remembered;
  const tweaks::RecordsRestored restored =
      tweaks::RestoreRecords(*platform.registry, records, [&](const std::vector<tweaks::RecordedValue>& planned) {
        if (entry.action == Action::TweaksRestored && !planned.empty()) {
          remembered = tweaks::RememberValues(platform, restoreFile, planned);
        }
      });
  if (!remembered) {
    taken.details.push_back(restoreFile + " could not be written: " + platform::ErrorMessage(remembered.error()) +
                            "; a later Restore does not know these values");
  }
  if (entry.action == Action::TweaksApplied) {
    (void)tweaks::DropWhatCameBack(platform, restoreFile);
  }
  const std::size_t back =
      static_cast<std::size_t>(std::count(restored.valueBack.begin(), restored.valueBack.end(), true));
  taken.summary =
      std::to_string(back) + " of " + std::to_string(records.values.size()) + " registry values as they were before";
  const std::string verb = entry.action == Action::TweaksApplied ? "applied" : "restored";
  for (const auto& value : restored.changedSince) {
    taken.details.push_back(value + ": changed since Sweepwise " + verb + " it; left as it is");
  }
  for (const auto& note : restored.writes.notWritten) {
    taken.details.push_back(note.target + ": " + note.reason);
  }
  for (const auto& line : records.unreadable) {
    taken.details.push_back("a damaged line of the entry's record: " + line);
  }
  taken.failed = !restored.writes.notWritten.empty() || !records.unreadable.empty() || !remembered;
  taken.keptChanges = !restored.changedSince.empty();
  taken.needsRights = restored.writes.NeedsRights();
}

// A removal of leftovers keeps files, folders, keys and tasks together in a manifest of its
// own; its undo puts each back, never over something there again since.
void UndoLeftovers(platform::Platform& platform, const Entry& entry, EngineSink& sink, Taken& taken) {
  const uninstall::LeftoverUndoOutcome undone = uninstall::UndoLeftoverRemoval(platform, entry, sink);
  taken.summary = std::to_string(undone.files) + " files, " + std::to_string(undone.values) +
                  " registry values and " + std::to_string(undone.tasks) + " scheduled tasks back";
  taken.details = undone.problems;
  taken.failed = !undone.problems.empty();
}

void Dispatch(platform::Platform& platform, history::HistoryLog& log, const Entry& entry, EngineSink& sink,
              Taken& taken) {
  if (entry.action == Action::TweaksApplied || entry.action == Action::TweaksRestored) {
    UndoTweaks(platform, log, entry, taken);
    return;
  }
  if (entry.action == Action::LeftoversRemoved) {
    UndoLeftovers(platform, entry, sink, taken);
    return;
  }
  std::vector<std::string> summaries;
  for (const std::string& backup : entry.backups) {
    if (HasExtension(backup, ".reg")) {
      UndoRegistryFile(platform, backup, taken);
    } else {
      UndoFiles(platform, log, entry, backup, sink, taken);
    }
    summaries.push_back(taken.summary);
  }
  taken.summary.clear();
  for (const auto& summary : summaries) {
    taken.summary += (taken.summary.empty() ? "" : "; ") + summary;
  }
}

// A reason an entry that may be undone cannot be now: its backup or its list is gone.
std::string MissingPieces(platform::Platform& platform, history::HistoryLog& log, const Entry& entry) {
  for (const std::string& backup : entry.backups) {
    if (!platform.files->FileExists(backup)) {
      return "its backup " + backup + " is gone.";
    }
  }
  const bool needsItems = entry.action == Action::TweaksApplied || entry.action == Action::TweaksRestored ||
                          std::any_of(entry.backups.begin(), entry.backups.end(),
                                      [](const std::string& backup) { return !HasExtension(backup, ".reg"); });
  if (needsItems && !log.ReadItems(entry.key)) {
    return "its list of what it changed (" + log.ItemsPath(entry.key) + ") is gone.";
  }
  return {};
}

int IdOfKey(history::HistoryLog& log, const std::string& key) {
  auto entries = log.Read();
  if (entries) {
    for (const Entry& entry : *entries) {
      if (entry.key == key) {
        return entry.id;
      }
    }
  }
  return 0;
}

void Notify(EngineSink& sink, const std::string& text, MessageKind kind) {
  (void)sink.Ask(Message{text, std::string(kProductName), kind, MessageButtons::Ok});
}

}  // namespace

std::string WhyNotUndoable(const Entry& entry) {
  switch (entry.action) {
    case Action::Undo: return "an undo cannot itself be undone.";
    case Action::Uninstalled:
      return "what an uninstaller removed cannot be put back by Sweepwise; install the program again.";
    case Action::UpdateInstalled:
      return "an installed update cannot be taken back by Sweepwise; install the earlier release again.";
    case Action::WindowsCleanup: return "what the system's own cleanup removed cannot be put back.";
    default: break;
  }
  if (!entry.undoneBy.empty()) {
    return "it was undone already.";
  }
  if (!entry.notUndoable.empty()) {
    std::string reason = entry.notUndoable;
    if (!reason.empty()) {
      reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    }
    return reason;
  }
  const bool tweaks = entry.action == Action::TweaksApplied || entry.action == Action::TweaksRestored;
  if (!tweaks && entry.backups.empty()) {
    return "no backup was kept.";
  }
  return {};
}

UndoOutcome Undo(platform::Platform& platform, history::HistoryLog& log, int id, EngineSink& sink,
                 std::string_view elevationAdvice) {
  UndoOutcome outcome;
  const auto refuse = [&](std::string why) {
    outcome.refused = std::move(why);
    outcome.message = outcome.refused;
    Notify(sink, outcome.message, MessageKind::Error);
    return outcome;
  };
  auto found = log.Find(id);
  if (!found) {
    return refuse("The history " + log.Path() + " could not be read: " + platform::ErrorMessage(found.error()));
  }
  if (!*found) {
    return refuse("There is no entry " + std::to_string(id) + " in the history.");
  }
  const Entry& entry = **found;
  std::string why = WhyNotUndoable(entry);
  if (why.empty()) {
    why = MissingPieces(platform, log, entry);
  }
  if (!why.empty()) {
    return refuse("Entry " + std::to_string(id) + " cannot be undone: " + why);
  }
  outcome.asked = true;
  if (!Confirm(sink, "Undo entry " + std::to_string(id) + " (" + ActionText(entry.action) + ", " + entry.summary + ")?",
               "Undo")) {
    outcome.declined = true;
    return outcome;
  }

  history::Entry start;
  start.action = Action::Undo;
  start.origin = sink.Origin().empty() ? "History" : sink.Origin();
  start.undoes = entry.key;
  start.summary = "Undoing entry " + std::to_string(id) + ": " + entry.summary;
  history::Recording recording(log, start);
  Taken taken;
  Dispatch(platform, log, entry, sink, taken);

  outcome.complete = !taken.failed && !taken.keptChanges;
  outcome.summary = taken.summary;
  outcome.details = taken.details;
  history::Entry& end = recording.entry();
  end.summary = "Undid entry " + std::to_string(id) + ": " + taken.summary;
  for (const auto& detail : taken.details) {
    end.problem += (end.problem.empty() ? "" : "\n") + detail;
  }
  (void)recording.Complete(taken.failed ? history::EntryState::Failed : history::EntryState::Done);
  outcome.undoId = recording.Started() ? IdOfKey(log, recording.Key()) : 0;

  outcome.message = (taken.failed ? "Entry " + std::to_string(id) + " was undone in part: "
                                  : "Entry " + std::to_string(id) + " was undone: ") +
                    taken.summary + ".";
  if (!taken.details.empty()) {
    outcome.message += "\n";
    reg::AppendNames(outcome.message, taken.details);
  }
  const platform::SystemProfile profile = platform::Describe(platform);
  if (taken.needsRights && profile.Modern() && !profile.elevated && !elevationAdvice.empty()) {
    outcome.message += "\n\nSome of them need administrator rights. " + std::string(elevationAdvice);
  }
  if (!recording.Started()) {
    outcome.message += "\n\nThe history could not record this undo: " + platform::ErrorMessage(recording.LogError());
  }
  sink.ShowStatus(taken.failed ? "Not everything was undone." : "Undone.");
  Notify(sink, outcome.message, taken.failed || taken.keptChanges ? MessageKind::Warning : MessageKind::Information);
  return outcome;
}

}  // namespace sw::undo
