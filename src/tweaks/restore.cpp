#include "tweaks/restore.h"

#include <optional>

#include "core/language.h"
#include "history/history_log.h"
#include "platform/error_message.h"
#include "tweaks/change_registry.h"
#include "tweaks/notice.h"
#include "tweaks/restore_file.h"

namespace sw::tweaks {
namespace {

constexpr std::string_view kChangedSince = "changed since Sweepwise applied it; left as it is";

// Language text 96 names the default folder; another target takes its place.
std::string RestoredFilesText(std::string_view target) {
  std::string text(Text(96));
  if (const auto at = text.find(kRestoredFilesFolder); at != std::string::npos) {
    text.replace(at, kRestoredFilesFolder.size(), target);
  }
  return text;
}

// What did not come back, value by value, the damaged lines, and the way to the rights.
std::string NotRestoredText(const TweakRestoreOutcome& outcome, const RecordsRestored& restored,
                            std::size_t damagedLines, std::string_view restoreFile, platform::Platform& platform,
                            std::string_view elevationAdvice) {
  std::string text;
  std::vector<std::string> names;
  for (const auto& value : outcome.changedSince) {
    names.push_back(value + ": " + std::string(kChangedSince));
  }
  names.insert(names.end(), outcome.notWritten.begin(), outcome.notWritten.end());
  if (!names.empty()) {
    text = "These values were not restored:";
    reg::AppendNames(text, names);
  }
  if (damagedLines > 0) {
    text += (text.empty() ? "" : "\n\n") + std::to_string(damagedLines) + " lines of " + std::string(restoreFile) +
            " are damaged: what they held could not be restored.";
  }
  const platform::SystemProfile profile = platform::Describe(platform);
  if (restored.writes.NeedsRights() && profile.Modern() && !profile.elevated && !elevationAdvice.empty()) {
    text += "\n\nSome of them need administrator rights. " + std::string(elevationAdvice);
  }
  return text;
}

history::Entry RestoreEntry(const EngineSink& sink, const std::vector<RecordedValue>& planned) {
  history::Entry entry;
  entry.action = history::Action::TweaksRestored;
  entry.origin = sink.Origin().empty() ? "Advanced page" : sink.Origin();
  entry.summary = "Restoring " + std::to_string(planned.size()) + " values the tweaks changed";
  entry.count = planned.size();
  for (const auto& value : planned) {
    entry.names.push_back(Described(value));
  }
  return entry;
}

}  // namespace

TweakRestoreOutcome RestoreTweaks(platform::Platform& platform, EngineSink& sink, std::string_view elevationAdvice) {
  TweakRestoreOutcome outcome;
  const auto finish = [&](TweakRestore result, std::string message, MessageKind kind) {
    outcome.result = result;
    outcome.message = std::move(message);
    Notify(sink, outcome.message, kind);
    return outcome;
  };
  const std::string restoreFile = RestoreFilePath(platform.folders);
  if (!platform.files->FileExists(restoreFile)) {
    return finish(TweakRestore::NothingToRestore, "All restorations were already done.", MessageKind::Information);
  }
  auto records = LoadTweakRecords(platform, restoreFile);
  if (!records) {
    if (records.error().Is(Errc::InvalidData)) {
      return finish(TweakRestore::Failed,
                    restoreFile +
                        " is damaged: it does not begin as a registry file does, so nothing of it can be "
                        "restored. Nothing was restored.",
                    MessageKind::Error);
    }
    return finish(
        TweakRestore::Failed,
        restoreFile + " could not be read: " + platform::ErrorMessage(records.error()) + " Nothing was restored.",
        MessageKind::Error);
  }
  const std::size_t damaged = records->unreadable.size();
  if (records->values.empty() && records->keys.empty() && damaged == 0) {
    return finish(TweakRestore::NothingToRestore, "All restorations were already done.", MessageKind::Information);
  }

  // The history entry names what is about to be written before the first write.
  history::HistoryLog log(platform);
  std::optional<history::Recording> recording;
  const RecordsRestored restored = RestoreRecords(*platform.registry, *records, [&](const auto& planned) {
    if (!planned.empty()) {
      recording.emplace(log, RestoreEntry(sink, planned));
      (void)recording->WriteItems(RecordLines(planned, {}, *platform.system));
    }
  });
  outcome.restored = restored.restored;
  outcome.changedSince = restored.changedSince;
  for (const reg::ImportNote& note : restored.writes.notWritten) {
    outcome.notWritten.push_back(note.target + ": " + note.reason);
  }
  TweakRecords remaining = std::move(*records);
  DropRestored(remaining, restored);
  const Status saved = SaveTweakRecords(platform, restoreFile, remaining);

  std::string message = NotRestoredText(outcome, restored, damaged, restoreFile, platform, elevationAdvice);
  if (!saved) {
    // Harmless: what came back is found back again next time, and dropped then.
    message += (message.empty() ? "" : "\n\n") + restoreFile +
               " could not be updated: " + platform::ErrorMessage(saved.error());
  }
  if (recording) {
    history::Entry& entry = recording->entry();
    entry.summary = "Restored " + std::to_string(restored.undoing.size()) + " values the tweaks changed";
    entry.count = restored.undoing.size();
    entry.names.clear();
    for (const auto& value : restored.undoing) {
      entry.names.push_back(Described(value));
    }
    entry.problem = outcome.notWritten.empty() ? std::string() : message;
    (void)recording->WriteItems(RecordLines(restored.undoing, {}, *platform.system));
    (void)recording->Complete(outcome.notWritten.empty() ? history::EntryState::Done : history::EntryState::Failed);
  }
  if (message.empty()) {
    sink.ShowStatus("Restored.");
    return finish(TweakRestore::Restored, "All tasks were restored to their original states.",
                  MessageKind::Information);
  }
  sink.ShowStatus("Not everything was restored.");
  return finish(TweakRestore::Incomplete, message, MessageKind::Warning);
}

Result<reg::ImportOutcome> ImportRegistryBackup(platform::Platform& platform, std::string_view regFile,
                                                EngineSink& sink, std::string_view elevationAdvice) {
  if (!platform.files->FileExists(regFile)) {
    Notify(sink, "There is no registry backup " + std::string(regFile) + ".", MessageKind::Error);
    return Error(Errc::FileNotFound);
  }
  auto imported = reg::ImportRegFile(platform, regFile, reg::ImportMode::AsTheEditor);
  if (!imported) {
    Notify(sink,
           std::string(regFile) + " could not be read: " + platform::ErrorMessage(imported.error()) +
               " Nothing was restored.",
           MessageKind::Error);
    return imported.error();
  }
  if (imported->Complete()) {
    sink.ShowStatus("Restored.");
    Notify(sink, std::string(regFile) + " was imported into the registry.", MessageKind::Information);
    return imported;
  }
  const platform::SystemProfile profile = platform::Describe(platform);
  sink.ShowStatus("Not everything was restored.");
  Notify(sink, reg::ImportProblemText(*imported, regFile, !profile.Modern() || profile.elevated, elevationAdvice),
         imported->readable ? MessageKind::Warning : MessageKind::Error);
  return imported;
}

FileRestoreOutcome RestoreFiles(platform::FileSystem& files, backup::TBackupFile& backupFile, std::string_view archive,
                                std::string_view target, EngineSink& sink) {
  FileRestoreOutcome outcome;
  if (!files.FileExists(archive)) {
    outcome.error = "There is no archive " + std::string(archive) + ".";
  } else if (auto made = files.CreateFolders(target); !made) {
    outcome.error =
        "The folder " + std::string(target) + " could not be created: " + platform::ErrorMessage(made.error());
  } else {
    sink.SetProgressMax(100);
    const backup::RestoreOutcome restored = backupFile.Restore(archive, target);
    sink.SetProgress(0);
    outcome.filesDone = backupFile.FilesDone();
    outcome.filesRefused = backupFile.FilesRefused();
    outcome.error = RestoreProblemText(backupFile, restored);
    outcome.warning = restored.warning;
    if (outcome.error.empty() && outcome.filesDone == 0) {
      outcome.error = "No file was restored from " + std::string(archive) + ".";
    }
  }
  std::string refused;
  if (outcome.filesRefused > 0) {
    refused = "\n" + std::to_string(outcome.filesRefused) +
              " files were passed over: their names lead out of the folder, or they could not be written.";
  }
  if (!outcome.error.empty()) {
    // The component counts a file when it starts writing it: the last one may be cut short.
    const std::string written = outcome.filesDone > 0
                                    ? "\n" + std::to_string(outcome.filesDone) + " files were written to " +
                                          std::string(target) + " before the error; the last may be incomplete."
                                    : std::string();
    Notify(sink, outcome.error + written + refused, MessageKind::Error);
    return outcome;
  }
  outcome.restored = true;
  const std::string amiss = outcome.warning.empty() ? std::string() : "\nBut " + outcome.warning + ".";
  Notify(sink, RestoredFilesText(target) + refused + amiss,
         outcome.filesRefused > 0 || !amiss.empty() ? MessageKind::Warning : MessageKind::Information);
  return outcome;
}

}  // namespace sw::tweaks
