// sweepwise-cli restore tweaks | restore registry | restore files: the Restore button of the
// Advanced, Registry Cleaning and Files Cleaning pages from the console.

#include "backup/backup_file.h"
#include "cli/archive_volumes.h"
#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "tweaks/change_registry.h"
#include "tweaks/restore.h"

namespace sw::cli {
namespace {

// The absolute form of a path given on the command line.
std::string FullPathOf(platform::FileSystem& files, const std::string& path) {
  const auto full = files.FullPath(path);
  return full ? *full : path;
}

int RestoreTweaks(CliContext& context, const GlobalOptions& options) {
  ConsoleSink sink(context.err, options.yes, context.console);
  platform::Platform& p = context.platform;
  const std::string restoreFile = tweaks::RestoreFilePath(p.folders);
  CommandResult result;
  result.extra = {{"restore_file", restoreFile}};
  // Before any tweak was applied there is nothing to ask about.
  if (p.files->FileExists(restoreFile) &&
      !Confirm(sink, "Put every applied tweak back to the state recorded in " + restoreFile + "?", "Restore")) {
    return PrintFailure(context, options.json, "nothing restored", result);
  }
  const tweaks::TweakRestoreOutcome restored =
      tweaks::RestoreTweaks(p, sink, ElevationAdvice(p, "restore tweaks"));
  switch (restored.result) {
    case tweaks::TweakRestore::Restored: result.status = "All tasks were restored to their original states."; break;
    case tweaks::TweakRestore::NothingToRestore: result.status = "All restorations were already done."; break;
    case tweaks::TweakRestore::Incomplete:
      result.extra["restored"] = restored.restored;
      result.extra["not_written"] = restored.notWritten;
      result.extra["changed_since"] = restored.changedSince;
      return PrintFailure(context, options.json,
                          std::to_string(restored.notWritten.size() + restored.changedSince.size()) +
                              " recorded values were not restored",
                          result);
    case tweaks::TweakRestore::Failed: return PrintFailure(context, options.json, "nothing restored", result);
  }
  result.extra["restored"] = restored.restored;
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

int RestoreRegistry(CliContext& context, const GlobalOptions& options, const std::string& fileArgument) {
  ConsoleSink sink(context.err, options.yes, context.console);
  const std::string file = FullPathOf(*context.platform.files, fileArgument);
  CommandResult result;
  result.extra = {{"file", file}};
  if (!Confirm(sink, "Import " + file + " into the registry?", "Restore")) {
    return PrintFailure(context, options.json, "nothing restored", result);
  }
  const auto imported = tweaks::ImportRegistryBackup(context.platform, file, sink,
                                                     ElevationAdvice(context.platform, "restore registry"));
  if (!imported) {
    return PrintFailure(context, options.json, "nothing restored from " + file, result);
  }
  result.extra["written"] = imported->written;
  result.extra["unchanged"] = imported->unchanged;
  nlohmann::json notWritten = nlohmann::json::array();
  for (const auto& note : imported->notWritten) {
    notWritten.push_back({{"target", note.target}, {"reason", note.reason}, {"needs_administrator", note.needsRights}});
  }
  result.extra["not_written"] = std::move(notWritten);
  if (!imported->Complete()) {
    return PrintFailure(context, options.json,
                        imported->readable ? std::to_string(imported->notWritten.size()) + " values or lines of " +
                                                 file + " could not be written"
                                           : file + " is no registry file",
                        result);
  }
  result.status = file + " was imported into the registry.";  // as the engine says it, so said once
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

struct FilesRequest {
  std::string archive;
  std::string target = std::string(tweaks::kRestoredFilesFolder);
};

int RestoreFiles(CliContext& context, const GlobalOptions& options, const FilesRequest& request) {
  platform::Platform& p = context.platform;
  ConsoleSink sink(context.err, options.yes, context.console);
  const std::string archive = FullPathOf(*p.files, request.archive);
  const std::string target = FullPathOf(*p.files, request.target);
  CommandResult result;
  result.extra = {{"archive", archive}, {"target", target}};
  if (!Confirm(sink, "Restore the files of " + archive + " below " + target + ", replacing files of the same names?",
               "Restore")) {
    return PrintFailure(context, options.json, "nothing restored", result);
  }
  // As the main window configures its archive component.
  backup::TBackupFile backup(*p.files, *p.system, &sink);
  backup.RestoreFullPath = true;
  backup.RestoreMode = backup::rmAll;
  FindVolumesBesideArchive(backup, *p.files, archive);
  backup.OnProgress = [&](backup::TBackupFile&, const std::string&, int percent, bool&) {
    sink.SetProgress(static_cast<std::uint64_t>(percent));
  };
  const tweaks::FileRestoreOutcome outcome = tweaks::RestoreFiles(*p.files, backup, archive, target, sink);
  sink.EndProgress();
  result.extra["files_done"] = outcome.filesDone;
  result.extra["files_refused"] = outcome.filesRefused;
  if (!outcome.restored) {
    return PrintFailure(context, options.json, outcome.error, result);
  }
  result.status = "Restored " + std::to_string(outcome.filesDone) + " files to " + target;
  if (outcome.filesRefused > 0) {
    result.status += "; " + std::to_string(outcome.filesRefused) + " passed over (unsafe name or not writable)";
  }
  if (!outcome.warning.empty()) {
    result.status += "; " + outcome.warning;
    result.extra["warning"] = outcome.warning;
  }
  PrintResult(context, options.json, result);
  return outcome.filesRefused > 0 || !outcome.warning.empty() ? kExitFailure : kExitSuccess;
}

}  // namespace

void AddRestoreCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* group = app.add_subcommand("restore",
                                       "The Restore button: undo tweaks, import a registry backup, "
                                       "unpack a backup archive");
  group->require_subcommand(1);

  CLI::App* tweaksCommand = group->add_subcommand(
      "tweaks", "Every value default.reg records back as it was, unless it was changed since it was applied");
  tweaksCommand->callback([&context, &options, &status] { status = RestoreTweaks(context, options); });

  auto file = std::make_shared<std::string>();
  CLI::App* registry =
      group->add_subcommand("registry", "Import a registry backup file, as the registry editor would, value by value");
  registry->add_option("FILE", *file, "A .reg file, such as regbackupNNN.reg of the program folder")->required();
  registry->callback([&context, &options, &status, file] { status = RestoreRegistry(context, options, *file); });

  auto request = std::make_shared<FilesRequest>();
  CLI::App* filesCommand =
      group->add_subcommand("files", "Unpack a backup archive below TARGET under its stored paths");
  filesCommand->add_option("ARCHIVE", request->archive, "The archive (its first volume), such as zqN.bck")->required();
  filesCommand->add_option("TARGET", request->target, "The folder to restore below (default C:\\restored_files)");
  filesCommand->callback([&context, &options, &status, request] { status = RestoreFiles(context, options, *request); });

  for (CLI::App* command : {group, tweaksCommand, registry, filesCommand}) {
    command->fallthrough();
  }
}

}  // namespace sw::cli
