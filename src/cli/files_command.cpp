// sweepwise-cli find files | delete files: the Files Cleaning page from the console.

#include "app/settings_file.h"
#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "files/junk_delete.h"
#include "files/junk_search.h"
#include "platform/error_message.h"

namespace sw::cli {
namespace {

CommandResult Found(const ConsoleSink& sink, const files::JunkSearchOutcome& search) {
  CommandResult result;
  result.rows = sink.rows();
  result.status = sink.status();
  result.extra = {
      {"total_kb", search.totalBytes / 1024}, {"total_bytes", search.totalBytes}, {"found_files", search.foundFiles}};
  return result;
}

int FindFiles(CliContext& context, const GlobalOptions& options) {
  ConsoleSink sink(context.err, options.yes, context.console);
  const auto search = files::FindFiles(context.platform, sink);
  sink.EndProgress();
  PrintResult(context, options.json, Found(sink, search));
  return kExitSuccess;
}

int DeleteFiles(CliContext& context, const GlobalOptions& options, bool backup) {
  ConsoleSink sink(context.err, options.yes, context.console);
  const auto search = files::FindFiles(context.platform, sink);
  CommandResult result = Found(sink, search);
  std::vector<ResultRow> list = sink.rows();
  // The window and the console number their archives from the same counter, line 2 of
  // language.txt in the data folder; the advanced counter goes back there.
  const std::string& dataFolder = context.platform.folders.data;
  app::Settings settings = app::LoadSettings(*context.platform.files, dataFolder);
  const int firstCounter = settings.backupCounter;
  const files::FileDeleteOutcome outcome =
      files::DeleteFiles(list, backup, settings.backupCounter, context.platform, sink);
  sink.EndProgress();
  if (settings.backupCounter != firstCounter) {
    if (const Status saved = app::SaveSettings(*context.platform.files, dataFolder, settings); !saved) {
      context.err << "sweepwise-cli: the backup counter could not be saved in language.txt: "
                  << platform::ErrorMessage(saved.error()) << "\n";
    }
  }
  result.extra["deleted"] = outcome.deleted;
  result.extra["queued"] = outcome.queued;
  result.extra["not_queued"] = outcome.notQueued;
  result.extra["kept_unreadable"] = outcome.keptUnreadable;
  result.extra["kept_not_stored"] = outcome.keptNotStored;
  result.extra["archive"] = outcome.archive;
  result.rows = list;  // what is left: files waiting for the batch or kept
  if (outcome.declined) {
    return PrintFailure(context, options.json, "nothing deleted", result);
  }
  if (!outcome.error.empty()) {
    return PrintFailure(context, options.json, outcome.error, result);
  }
  result.status = "Deleted " + std::to_string(outcome.deleted) + " files";
  if (!outcome.archive.empty()) {
    result.status += "; backup in " + outcome.archive;
  }
  if (outcome.queued > 0) {
    result.status += "; " + std::to_string(outcome.queued) + " queued in clean.bat for the next logon";
  }
  if (const int kept = outcome.keptUnreadable + outcome.keptNotStored + outcome.notQueued; kept > 0) {
    result.status += "; " + std::to_string(kept) + " kept";
    PrintResult(context, options.json, result);
    return kExitFailure;
  }
  if (!outcome.runOnceError.empty() && outcome.queued > 0) {
    result.extra["run_once_error"] = outcome.runOnceError;
    return PrintFailure(context, options.json, outcome.runOnceError, result);
  }
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

}  // namespace

void AddFilesCommands(const SharedVerbs& verbs, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* find = verbs.find->add_subcommand(
      "files", "List junk files: temporary files, broken shortcuts, the recycle bin, caches...");
  find->callback([&context, &options, &status] { status = FindFiles(context, options); });

  auto backup = std::make_shared<bool>(false);
  CLI::App* remove = verbs.remove->add_subcommand("files", "Find the junk files and delete every one");
  remove->add_flag("--backup", *backup, "First pack them into the next free zqN.bck in the program folder");
  remove->callback([&context, &options, &status, backup] { status = DeleteFiles(context, options, *backup); });

  for (CLI::App* command : {find, remove}) {
    command->fallthrough();
  }
}

}  // namespace sw::cli
