// sweepwise-cli find files | delete files: the Files Cleaning page from the console.

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "files/junk_delete.h"
#include "files/junk_search.h"

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
  // Archive numbers already taken are passed over, so the console can start at 1.
  int backupCounter = 1;
  const files::FileDeleteOutcome outcome = files::DeleteFiles(list, backup, backupCounter, context.platform, sink);
  sink.EndProgress();
  result.extra["deleted"] = outcome.deleted;
  result.extra["queued"] = outcome.queued;
  result.extra["not_queued"] = outcome.notQueued;
  result.extra["kept_unreadable"] = outcome.keptUnreadable;
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
  if (outcome.keptUnreadable + outcome.notQueued > 0) {
    result.status += "; " + std::to_string(outcome.keptUnreadable + outcome.notQueued) + " kept";
    PrintResult(context, options.json, result);
    return kExitFailure;
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
