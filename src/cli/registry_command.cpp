// sweepwise-cli find registry | delete registry: the Registry Cleaning page from the console.

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "registry/registry_clean.h"
#include "registry/registry_scan.h"

namespace sw::cli {
namespace {

CommandResult Found(const ConsoleSink& sink) {
  CommandResult result;
  result.rows = sink.rows();
  result.status = sink.status();
  result.extra = {{"count", sink.rows().size()}};
  return result;
}

int FindRegistry(CliContext& context, const GlobalOptions& options) {
  ConsoleSink sink(context.err, options.yes, context.console);
  reg::FindRegistry(context.platform, sink);
  PrintResult(context, options.json, Found(sink));
  return kExitSuccess;
}

int DeleteRegistry(CliContext& context, const GlobalOptions& options, bool backup) {
  ConsoleSink sink(context.err, options.yes, context.console);
  reg::FindRegistry(context.platform, sink);
  CommandResult result = Found(sink);
  std::vector<ResultRow> list = sink.rows();
  reg::RegistryObject object(*context.platform.registry);
  const reg::RegistryCleanOutcome outcome = reg::DeleteRegistry(list, backup, context.platform, object, sink);
  result.extra["removed"] = outcome.removed;
  result.extra["backup_file"] = outcome.backupFile;
  result.extra["keys_not_opened"] = outcome.keysNotOpened;
  result.extra["not_removed"] = outcome.notRemoved;
  if (outcome.declined) {
    return PrintFailure(context, options.json, "nothing deleted", result);
  }
  if (!outcome.backupError.empty()) {
    return PrintFailure(context, options.json,
                        "the backup could not be written (" + outcome.backupError + "); nothing deleted", result);
  }
  result.status = "Removed " + std::to_string(outcome.removed) + " of " + std::to_string(result.rows.size()) +
                  " values" + (outcome.backupFile.empty() ? std::string() : "; backup in " + outcome.backupFile);
  if (!outcome.notBackedUp.empty()) {
    return PrintFailure(context, options.json,
                        std::to_string(outcome.notBackedUp.size()) + " values could not be backed up and stay", result);
  }
  if (!outcome.notRemoved.empty()) {
    std::string message =
        std::to_string(outcome.notRemoved.size()) + " values could not be removed (" + outcome.notRemoved.front() + ")";
    return PrintFailure(context, options.json, message + "." + ElevationHint(context.platform, "delete registry"),
                        result);
  }
  if (!outcome.keysNotOpened.empty()) {
    return PrintFailure(context, options.json,
                        std::to_string(outcome.keysNotOpened.size()) + " keys could not be opened", result);
  }
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

}  // namespace

void AddRegistryCommands(const SharedVerbs& verbs, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* find =
      verbs.find->add_subcommand("registry", "List string values that name a missing file or folder on a fixed drive");
  find->callback([&context, &options, &status] { status = FindRegistry(context, options); });

  auto backup = std::make_shared<bool>(false);
  CLI::App* remove = verbs.remove->add_subcommand("registry", "Find the invalid values and delete every one");
  remove->add_flag("--backup", *backup, "First write them to regbackupNNN.reg in the program folder");
  remove->callback([&context, &options, &status, backup] { status = DeleteRegistry(context, options, *backup); });

  for (CLI::App* command : {find, remove}) {
    command->fallthrough();
  }
}

}  // namespace sw::cli
