// sweepwise-cli history | undo ID: the history of every change, newest first, and the undo of
// one of them.

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "history/history_log.h"
#include "platform/error_message.h"
#include "undo/history_rows.h"
#include "undo/undo.h"

namespace sw::cli {
namespace {

std::string TimeText(FileTime time, platform::System& system) {
  if (time.ticks == 0) {
    return {};
  }
  history::Entry moment;
  moment.started = time;
  return undo::DateText(moment, system);
}

nlohmann::json EntryJson(const history::Entry& entry, platform::System& system) {
  return {{"id", entry.id},
          {"key", entry.key},
          {"action", std::string(history::ActionName(entry.action))},
          {"action_text", undo::ActionText(entry.action)},
          {"state", undo::StateText(entry)},
          {"started", TimeText(entry.started, system)},
          {"ended", TimeText(entry.ended, system)},
          {"origin", entry.origin},
          {"summary", entry.summary},
          {"count", entry.count},
          {"bytes", entry.bytes},
          {"names", entry.names},
          {"backups", entry.backups},
          {"problem", entry.problem},
          {"undoable", undo::WhyNotUndoable(entry).empty()},
          {"not_undoable", undo::WhyNotUndoable(entry)},
          {"undoes", entry.undoes},
          {"undone_by", entry.undoneBy}};
}

// On the console: number, date, action, size, state, summary, origin; one entry a line.
ResultRow ConsoleRow(const history::Entry& entry, platform::System& system) {
  ResultRow row = undo::HistoryRow(entry, system);
  ResultRow shown;
  shown.columns = {"#" + std::to_string(entry.id), row.columns[0], row.columns[1], row.columns[2]};
  shown.moreColumns = {row.columns[3], entry.summary, entry.origin};
  shown.checked = row.checked;
  return shown;
}

int ListHistory(CliContext& context, const GlobalOptions& options) {
  history::HistoryLog log(context.platform);
  CommandResult result;
  result.extra = {{"log", log.Path()}};
  auto entries = log.Read();
  if (!entries) {
    return PrintFailure(context, options.json,
                        log.Path() + " could not be read: " + platform::ErrorMessage(entries.error()), result);
  }
  nlohmann::json listed = nlohmann::json::array();
  for (const history::Entry& entry : *entries) {
    result.rows.push_back(ConsoleRow(entry, *context.platform.system));
    listed.push_back(EntryJson(entry, *context.platform.system));
  }
  result.extra["entries"] = std::move(listed);
  result.status = std::to_string(entries->size()) + " entries in the history";
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

}  // namespace

int UndoHistoryEntry(CliContext& context, const GlobalOptions& options, int id) {
  ConsoleSink sink(context.err, options.yes, context.console);
  history::HistoryLog log(context.platform);
  const undo::UndoOutcome outcome =
      undo::Undo(context.platform, log, id, sink, ElevationAdvice(context.platform, "undo"));
  CommandResult result;
  result.extra = {{"id", id},
                  {"undo_id", outcome.undoId},
                  {"complete", outcome.complete},
                  {"summary", outcome.summary},
                  {"details", outcome.details}};
  if (!outcome.refused.empty()) {
    result.extra["refused"] = outcome.refused;
    return PrintFailure(context, options.json, "nothing undone", result);
  }
  if (outcome.declined) {
    return PrintFailure(context, options.json, "nothing undone", result);
  }
  // The first line of the engine's message, which is then said once.
  result.status = outcome.message.substr(0, outcome.message.find('\n'));
  if (!outcome.complete) {
    return PrintFailure(context, options.json, result.status + "; not everything came back", result);
  }
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

void AddHistoryCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* history =
      app.add_subcommand("history", "Every change Sweepwise made, newest first, and whether it can be undone");
  history->callback([&context, &options, &status] { status = ListHistory(context, options); });

  auto id = std::make_shared<int>(0);
  CLI::App* undo = app.add_subcommand("undo", "Undo the history entry ID, never over a later change");
  undo->add_option("ID", *id, "The number 'history' shows for the entry")->required()->check(CLI::PositiveNumber);
  undo->callback([&context, &options, &status, id] { status = UndoHistoryEntry(context, options, *id); });
}

}  // namespace sw::cli
