#include "tweaks/restore.h"

#include "core/language.h"
#include "platform/error_message.h"
#include "tweaks/change_registry.h"
#include "tweaks/notice.h"
#include "tweaks/restore_file.h"

namespace sw::tweaks {
namespace {

// Language text 96 names the default folder; another target takes its place.
std::string RestoredFilesText(std::string_view target) {
  std::string text(Text(96));
  if (const auto at = text.find(kRestoredFilesFolder); at != std::string::npos) {
    text.replace(at, kRestoredFilesFolder.size(), target);
  }
  return text;
}

// The values that did not come back, at most a screenful of them, and the lines of the file
// that no registry editor reads.
std::string NotRestoredText(const RestoreExpectation& check, std::string_view restoreFile, platform::Platform& platform,
                            std::string_view elevationAdvice) {
  constexpr std::size_t kNamed = 20;
  std::string text;
  if (!check.notBack.empty()) {
    text = "These values did not come back from " + std::string(restoreFile) + ":";
    for (std::size_t i = 0; i < check.notBack.size() && i < kNamed; ++i) {
      text += "\n" + check.notBack[i];
    }
    if (check.notBack.size() > kNamed) {
      text += "\n... and " + std::to_string(check.notBack.size() - kNamed) + " more.";
    }
  }
  if (check.unreadableLines > 0) {
    text += (text.empty() ? "" : "\n\n") + std::to_string(check.unreadableLines) + " lines of " +
            std::string(restoreFile) + " are damaged: what they held could not be restored.";
  }
  const platform::SystemProfile profile = platform::Describe(platform);
  if (check.notBackNeedsRights && profile.Modern() && !profile.elevated && !elevationAdvice.empty()) {
    text += "\n\nSome of them need administrator rights. " + std::string(elevationAdvice);
  }
  return text;
}

}  // namespace

std::string RegistryImportCommand(std::string_view regFile) {
  return "REGEDIT.EXE /s \"" + std::string(regFile) + "\"";
}

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
  const auto before = ReadRestoreFile(platform, restoreFile);
  if (!before) {
    return finish(
        TweakRestore::Failed,
        restoreFile + " could not be read: " + platform::ErrorMessage(before.error()) + " Nothing was restored.",
        MessageKind::Error);
  }
  if (!before->readable) {
    return finish(TweakRestore::Failed,
                  restoreFile +
                      " is damaged: it does not begin as a registry file does, so the registry editor "
                      "cannot import it. Nothing was restored.",
                  MessageKind::Error);
  }
  if (!platform.processes->ExecuteProgram(RegistryImportCommand(restoreFile), /*hidden=*/true, /*wait=*/true)) {
    return finish(TweakRestore::Failed, "The registry editor could not be started, so nothing was restored.",
                  MessageKind::Error);
  }
  const auto after = CheckRestored(platform, restoreFile);
  if (!after) {
    return finish(TweakRestore::Failed,
                  restoreFile + " could not be read back: " + platform::ErrorMessage(after.error()),
                  MessageKind::Error);
  }
  outcome.notBack = after->notBack;
  if (after->notBack.empty() && after->unreadableLines == 0) {
    sink.ShowStatus("Restored.");
    return finish(TweakRestore::Restored, "All tasks were restored to their original states.",
                  MessageKind::Information);
  }
  sink.ShowStatus("Not everything was restored.");
  return finish(TweakRestore::Incomplete, NotRestoredText(*after, restoreFile, platform, elevationAdvice),
                MessageKind::Warning);
}

Status OpenRegistryBackup(platform::Platform& platform, std::string_view regFile, EngineSink& sink) {
  if (!platform.shell->OpenDocument(regFile)) {
    Notify(sink, "No program could open " + std::string(regFile) + ".", MessageKind::Error);
    return Error(Errc::FileNotFound);
  }
  return {};
}

Status ImportRegistryBackup(platform::Platform& platform, std::string_view regFile, EngineSink& sink) {
  if (!platform.files->FileExists(regFile)) {
    Notify(sink, "There is no registry backup " + std::string(regFile) + ".", MessageKind::Error);
    return Error(Errc::FileNotFound);
  }
  if (!platform.processes->ExecuteProgram(RegistryImportCommand(regFile), /*hidden=*/true, /*wait=*/true)) {
    Notify(sink, "The registry editor could not be started, so nothing was restored.", MessageKind::Error);
    return Error(Errc::FileNotFound);
  }
  sink.ShowStatus("Restored.");
  return {};
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
