// sweepwise-cli find files | delete files: the Files Cleaning page from the console.

#include <algorithm>
#include <unordered_set>

#include "app/settings_file.h"
#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/file_plan.h"
#include "cli/output.h"
#include "cli/windows_cleanup_output.h"
#include "core/text.h"
#include "files/junk_delete.h"
#include "files/junk_locations.h"
#include "files/junk_search.h"
#include "files/windows_cleanup_row.h"
#include "files/windows_cleanup_run.h"
#include "platform/error_message.h"

namespace sw::cli {
namespace {

struct FilesArguments {
  std::string only;
  std::string skip;
  bool categories = false;  // find: list the categories instead
  bool backup = false;      // delete
  std::string plan;         // delete: the rows of an earlier find
};

// A row's fields as the console prints them: a handler of the system's own cleanup has fields
// of its own.
nlohmann::json RowFieldsOf(const ResultRow& row) {
  return files::IsWindowsCleanupRow(row) ? WindowsCleanupRowFields(row) : FileRowFields(row);
}

void AddRows(CommandResult& result, std::vector<ResultRow> rows) {
  result.rows = std::move(rows);
  result.rowFields.clear();
  result.fieldsOf = RowFieldsOf;
}

// The Find's status and fields; its rows are added by the caller.
CommandResult Found(const ConsoleSink& sink, const files::JunkSearchOutcome& search) {
  CommandResult result;
  result.status = sink.status();
  result.extra = {
      {"total_kb", search.totalBytes / 1024}, {"total_bytes", search.totalBytes}, {"found_files", search.foundFiles}};
  result.extra["browsers_to_close"] = search.browsersToClose;
  nlohmann::json elevation = nlohmann::json::array();
  for (const files::JunkCategory category : search.needElevation) {
    elevation.push_back(files::InfoOf(category).name);
  }
  result.extra["need_administrator"] = std::move(elevation);
  result.extra["windows_cleanup"] = WindowsCleanupFoundFields(search.windowsCleanup);
  nlohmann::json refused = nlohmann::json::array();
  for (const files::RefusedHandler& handler : search.refusedHandlers) {
    refused.push_back({{"name", handler.name}, {"folder", handler.folder}, {"reason", handler.reason}});
  }
  result.extra["refused_handlers"] = std::move(refused);
  return result;
}

// Whether the running system has anything of `category` to search: the drive walk and the
// well-known folders (the Recycled and temporary files folders among them) on every system,
// the location table's rows where they are for this generation.
bool SearchedHere(const files::CategoryInfo& info, const platform::SystemProfile& profile) {
  using files::JunkCategory;
  if (info.offered != files::CategoryOption::kMorePlaces || info.category == JunkCategory::kRecycleBin ||
      info.category == JunkCategory::kTemporaryFolders) {
    return true;
  }
  if (info.category == JunkCategory::kCleanupHandlers || info.category == JunkCategory::kWindowsCleanup) {
    return profile.Modern();
  }
  const std::uint8_t generation = files::GenerationBit(profile.generation);
  const auto& rows = files::KnownJunkLocations();
  return std::any_of(rows.begin(), rows.end(), [&](const files::JunkLocation& row) {
    return row.category == info.category && (row.generations & generation) != 0;
  });
}

int ListCategories(CliContext& context, const GlobalOptions& options) {
  const platform::SystemProfile profile = platform::Describe(context.platform);
  CommandResult result;
  for (const files::CategoryInfo& info : files::JunkCategories()) {
    const bool here = SearchedHere(info, profile);
    ResultRow row;
    row.columns = {std::string(info.name), std::string(info.type), here ? "searched here" : "not on this system",
                   std::string(info.description)};
    row.checked = here;
    result.rows.push_back(row);
    result.rowFields.push_back({{"name", info.name}, {"type", info.type}, {"description", info.description}});
  }
  result.status = std::to_string(result.rows.size()) +
                  " categories; 'find files --only NAME,...' or '--skip NAME,...' chooses among them";
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

std::optional<files::CategorySet> ChosenCategories(CliContext& context, const GlobalOptions& options,
                                                   const FilesArguments& arguments, int& status) {
  std::string unknown;
  auto categories = files::CategorySet::Parse(arguments.only, arguments.skip, unknown);
  if (!categories) {
    status = PrintUsageError(context, options.json,
                             "unknown category '" + unknown + "' (see 'sweepwise-cli find files --categories')");
  }
  return categories;
}

int FindFiles(CliContext& context, const GlobalOptions& options, const FilesArguments& arguments) {
  if (arguments.categories) {
    return ListCategories(context, options);
  }
  int status = kExitSuccess;
  files::JunkSearchOptions search;
  const auto categories = ChosenCategories(context, options, arguments, status);
  if (!categories) {
    return status;
  }
  search.categories = *categories;
  search.windowsCleanup = files::WindowsCleanupOptions::FromEnvironment(*context.platform.system);
  ConsoleSink sink(context.err, options.yes, context.console);
  // The rows are printed as the Find makes them: a million of them need no memory here.
  RowPrinter printer(context, options.json, RowFieldsOf);
  sink.onRow = [&printer](const ResultRow& row) { printer.Print(row); };
  const auto outcome = files::FindFiles(context.platform, sink, search);
  sink.EndProgress();
  const CommandResult found = Found(sink, outcome);
  printer.Finish(found.status, found.extra);
  return kExitSuccess;
}

bool HandlersNamed(std::string_view only) {
  std::string unknown;
  const auto named = files::CategorySet::Parse(only, "", unknown);
  return !TrimBlanks(only).empty() && named && named->Has(files::JunkCategory::kWindowsCleanup);
}

// Runs the handler rows as the console may: unattended, each only with the rights it needs.
files::WindowsCleanupRun RunHandlers(CliContext& context, std::vector<ResultRow>& rows, ConsoleSink& sink) {
  files::WindowsCleanupRunOptions options;
  options.callLimit = files::WindowsCleanupOptions::FromEnvironment(*context.platform.system).callLimit;
  options.unattended = true;
  return files::RunWindowsCleanup(rows, context.platform, sink, options);
}

// The rows to delete: those a Find lists now, or, with a plan, those of them the plan's
// checked rows name exactly; `notFound` gets the plan rows that name nothing listed now.
std::optional<std::vector<ResultRow>> RowsToDelete(CliContext& context, const GlobalOptions& options,
                                                   const FilesArguments& arguments, ConsoleSink& sink,
                                                   CommandResult& result, std::vector<ResultRow>& notFound,
                                                   int& status) {
  files::JunkSearchOptions search;
  std::vector<ResultRow> plan;
  if (arguments.plan.empty()) {
    const auto categories = ChosenCategories(context, options, arguments, status);
    if (!categories) {
      return std::nullopt;
    }
    search.categories = *categories;
    // The system's own cleanup handlers run only when named: a scheduled "delete files --yes"
    // goes on deleting files alone.
    search.categories.Set(files::JunkCategory::kWindowsCleanup, HandlersNamed(arguments.only));
  } else {
    const auto text = context.platform.files->ReadWhole(arguments.plan);
    if (!text) {
      status = PrintFailure(context, options.json,
                            "the plan " + arguments.plan + " cannot be read: " + platform::ErrorMessage(text.error()));
      return std::nullopt;
    }
    std::string error;
    auto rows = ReadFilePlan(std::string(text->begin(), text->end()), error);
    if (!rows) {
      status = PrintFailure(context, options.json, "the plan " + arguments.plan + " is refused: " + error +
                                                       ". Nothing was deleted.");
      return std::nullopt;
    }
    plan = std::move(*rows);
    search.categories = PlanCategories(plan);
    search.categories.Set(files::JunkCategory::kWindowsCleanup, false);  // a plan never runs them
  }
  if (search.categories.Empty()) {
    return std::vector<ResultRow>{};  // a plan without a checked row
  }
  search.windowsCleanup = files::WindowsCleanupOptions::FromEnvironment(*context.platform.system);
  // With a plan only the rows at the paths it names can match: the others are not kept (a
  // million rows found for a tenth of them planned would hold hundreds of megabytes).
  std::vector<ResultRow> named;
  if (!arguments.plan.empty()) {
    std::unordered_set<std::string> planned;
    for (const ResultRow& row : plan) {
      planned.insert(files::FullPathOfRow(row));
    }
    sink.onRow = [&named, planned = std::move(planned)](const ResultRow& row) {
      if (planned.contains(files::FullPathOfRow(row))) {
        named.push_back(row);
      }
    };
  }
  result = Found(sink, files::FindFiles(context.platform, sink, search));
  sink.onRow = nullptr;
  if (arguments.plan.empty()) {
    return sink.TakeRows();
  }
  PlanMatch match = MatchPlan(plan, named);
  notFound = std::move(match.notFound);
  return std::move(match.toDelete);
}

// The status line and fields of a deletion.
void DescribeDeletion(const files::FileDeleteOutcome& outcome, const std::vector<ResultRow>& notFound,
                      CommandResult& result) {
  result.extra["deleted"] = outcome.deleted;
  result.extra["deleted_bytes"] = outcome.deletedBytes;
  result.extra["queued"] = outcome.queued;
  result.extra["not_queued"] = outcome.notQueued;
  result.extra["not_queued_shared_folder"] = outcome.notQueuedShared;
  result.extra["not_queued_administrator_only"] = outcome.notQueuedAdmin;
  result.extra["kept_unreadable"] = outcome.keptUnreadable;
  result.extra["kept_not_stored"] = outcome.keptNotStored;
  result.extra["kept_changed"] = outcome.keptChanged;
  result.extra["kept_unopened"] = outcome.keptUnopened;
  result.extra["kept_browser_running"] = outcome.keptBrowser;
  result.extra["browsers_started"] = outcome.browsersStarted;
  result.extra["left_in_use"] = outcome.leftInUse;
  result.extra["kept"] = outcome.kept;
  nlohmann::json unlisted = nlohmann::json::array();
  for (const ResultRow& row : notFound) {
    unlisted.push_back(files::FullPathOfRow(row));
  }
  result.extra["plan_rows_not_listed"] = std::move(unlisted);
  result.extra["archive"] = outcome.archive;
  result.extra["archives"] = outcome.archives;
  result.status = "Deleted " + std::to_string(outcome.deleted) + " files";
  if (outcome.archives.size() > 1) {
    result.status += "; backup in " + outcome.archives.front() + " to " + outcome.archives.back() + " (" +
                     std::to_string(outcome.archives.size()) + " archives, each with its entry in the history)";
  } else if (!outcome.archive.empty()) {
    result.status += "; backup in " + outcome.archive;
  }
  if (outcome.queued > 0) {
    result.status += "; " + std::to_string(outcome.queued) + " queued in clean.bat for the next logon";
  }
  if (outcome.keptChanged > 0) {
    result.status += "; " + std::to_string(outcome.keptChanged) + " changed since the Find, kept";
  }
  if (outcome.keptUnopened > 0) {
    result.status += "; " + std::to_string(outcome.keptUnopened) + " could not be opened to be checked, kept";
  }
  if (outcome.keptBrowser > 0) {
    result.status += "; " + std::to_string(outcome.keptBrowser) + " of a browser started since the Find, kept";
  }
  const int kept = outcome.keptUnreadable + outcome.keptNotStored + outcome.notQueued + outcome.leftInUse +
                   outcome.notQueuedShared + outcome.notQueuedAdmin;
  if (kept > 0) {
    result.status += "; " + std::to_string(kept) + " kept";
  }
  if (!notFound.empty()) {
    std::vector<std::string> paths;
    for (const ResultRow& row : notFound) {
      paths.push_back(files::FullPathOfRow(row));
    }
    result.status += "; " + std::to_string(notFound.size()) +
                     " rows of the plan are not what a Find lists now, kept: " + files::FirstNames(paths);
  }
}

// Whether a handler that was to run did not: it failed, was declined or needs the rights the
// program lacks.
bool HandlersFailed(const files::WindowsCleanupRun& cleanup) {
  return cleanup.declined || cleanup.AnyFailed() || !cleanup.needAdministrator.empty();
}

// The result of a Delete that had no file to delete, only handlers.
int HandlersOnly(CliContext& context, const GlobalOptions& options, const files::WindowsCleanupRun& cleanup,
                 CommandResult& result) {
  if (cleanup.declined) {
    return PrintFailure(context, options.json, "nothing run", result);
  }
  result.status = cleanup.Summary();
  if (!cleanup.needAdministrator.empty()) {
    result.status += " From a console started with Run as administrator, 'sweepwise-cli delete files --only "
                     "windows-cleanup' runs it too.";
  }
  PrintResult(context, options.json, result);
  return HandlersFailed(cleanup) ? kExitFailure : kExitSuccess;
}

int DeleteFiles(CliContext& context, const GlobalOptions& options, const FilesArguments& arguments) {
  ConsoleSink sink(context.err, options.yes, context.console);
  sink.SetOrigin("sweepwise-cli delete files");
  CommandResult result;
  std::vector<ResultRow> notFound;
  int status = kExitSuccess;
  auto list = RowsToDelete(context, options, arguments, sink, result, notFound, status);
  if (!list) {
    return status;
  }
  // The window and the console number their archives from the same counter, line 2 of
  // language.txt in the data folder; the advanced counter goes back there.
  const std::string& dataFolder = context.platform.folders.data;
  app::Settings settings = app::LoadSettings(*context.platform.files, dataFolder);
  const int firstCounter = settings.backupCounter;
  // The system's own cleanup handlers run beside the file deletion, never inside it.
  const files::FileDeleteOutcome outcome = [&] {
    const files::HandlerChecksAside aside(*list);
    return files::DeleteFiles(*list, arguments.backup, settings.backupCounter, context.platform, sink);
  }();
  const files::WindowsCleanupRun cleanup = RunHandlers(context, *list, sink);
  sink.EndProgress();
  if (settings.backupCounter != firstCounter) {
    if (const Status saved = app::SaveSettings(*context.platform.files, dataFolder, settings); !saved) {
      context.err << "sweepwise-cli: the backup counter could not be saved in language.txt: "
                  << platform::ErrorMessage(saved.error()) << "\n";
    }
  }
  DescribeDeletion(outcome, notFound, result);
  // What is left of the rows it was to delete: files waiting for the batch or kept; and the
  // plan's rows that name nothing listed now. A row the plan leaves unchecked was never one.
  std::vector<ResultRow> left = std::move(*list);
  left.insert(left.end(), notFound.begin(), notFound.end());
  AddRows(result, std::move(left));
  if (cleanup.asked || !cleanup.Summary().empty()) {
    result.extra["windows_cleanup"] = WindowsCleanupRunFields(cleanup);
    if (!outcome.asked) {
      return HandlersOnly(context, options, cleanup, result);
    }
  }
  if (outcome.declined) {
    return PrintFailure(context, options.json, "nothing deleted", result);
  }
  if (!outcome.error.empty()) {
    return PrintFailure(context, options.json, outcome.error, result);
  }
  if (!cleanup.Summary().empty()) {
    result.status += ". " + cleanup.Summary();
  }
  const int kept = outcome.keptChanged + outcome.keptUnopened + outcome.keptBrowser + outcome.keptUnreadable + outcome.keptNotStored +
                   outcome.notQueued + outcome.notQueuedShared + outcome.notQueuedAdmin + outcome.leftInUse;
  if (kept > 0 || !notFound.empty() || HandlersFailed(cleanup)) {
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

void AddCategoryOptions(CLI::App& command, FilesArguments& arguments) {
  command.add_option("--only", arguments.only, "Search only these categories (names separated by commas)");
  command.add_option("--skip", arguments.skip, "Leave these categories out (names separated by commas)");
}

}  // namespace

void AddFilesCommands(const SharedVerbs& verbs, CliContext& context, const GlobalOptions& options, int& status) {
  auto findArguments = std::make_shared<FilesArguments>();
  CLI::App* find = verbs.find->add_subcommand(
      "files", "List junk files: temporary files, broken shortcuts, the recycle bin, caches...");
  AddCategoryOptions(*find, *findArguments);
  find->add_flag("--categories", findArguments->categories, "List the categories, with what each searches");
  find->callback([&context, &options, &status, findArguments] { status = FindFiles(context, options, *findArguments); });

  auto deleteArguments = std::make_shared<FilesArguments>();
  CLI::App* remove = verbs.remove->add_subcommand("files", "Find the junk files and delete every one");
  remove->add_flag("--backup", deleteArguments->backup, "First pack them into the next free zqN.bck in the data folder");
  AddCategoryOptions(*remove, *deleteArguments);
  remove
      ->add_option("--plan", deleteArguments->plan,
                   "Delete only files that a Find of this 'find files --json' output's categories lists now and "
                   "a checked row of it names exactly (path, identity, size and time); every other row is kept")
      ->excludes(remove->get_option("--only"))
      ->excludes(remove->get_option("--skip"));
  remove->callback(
      [&context, &options, &status, deleteArguments] { status = DeleteFiles(context, options, *deleteArguments); });

  for (CLI::App* command : {find, remove}) {
    command->fallthrough();
  }
}

}  // namespace sw::cli
