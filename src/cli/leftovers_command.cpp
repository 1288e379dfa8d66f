// sweepwise-cli leftovers TITLE [--remove] [--all-leftovers] | leftovers --undo ID: what an
// uninstalled program left behind, from the console.

#include <algorithm>

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/leftovers_cli.h"
#include "cli/output.h"
#include "core/product.h"
#include "core/text.h"
#include "uninstall/leftover_record.h"
#include "uninstall/leftover_removal.h"
#include "uninstall/leftover_scan.h"
#include "uninstall/software_list.h"

namespace sw::cli {
namespace {

// The snapshot the search starts from: the one kept when Sweepwise ran the program's
// uninstaller, else (an entry whose uninstaller is gone, or one uninstalled by other means
// while its entry stayed) the entry as it is now.
std::optional<uninstall::LeftoverSnapshot> SnapshotOf(CliContext& context, ConsoleSink& sink,
                                                      const std::string& title) {
  if (auto kept = uninstall::FindSnapshot(context.platform, title)) {
    return kept;
  }
  std::vector<uninstall::EntrySource> exact;
  std::vector<uninstall::EntrySource> noCase;
  uninstall::ListSoftware(context.platform, sink, uninstall::ListOptions{true},
                          [&](const uninstall::SoftwareEntry& entry, const std::string&) {
                            if (entry.displayName == title) {
                              exact.push_back(entry.source);
                            } else if (EqualsNoCase(entry.displayName, title)) {
                              noCase.push_back(entry.source);
                            }
                          });
  const auto& found = exact.empty() ? noCase : exact;
  if (found.size() > 1) {
    throw CLI::ValidationError("'" + title + "' names " + std::to_string(found.size()) + " entries");
  }
  if (found.empty()) {
    return std::nullopt;
  }
  return uninstall::TakeLeftoverSnapshot(context.platform, found.front(), FileTime{});
}

nlohmann::json LeftoverFields(const uninstall::Leftover& leftover) {
  return {{"kind", uninstall::KindName(leftover.kind)},
          {"certainty", uninstall::CertaintyName(leftover.certainty)},
          {"reason", leftover.reason},
          {"location", uninstall::LeftoverLocation(leftover)},
          {"bytes", leftover.bytes},
          {"files", leftover.files},
          {"links_kept", leftover.links}};
}

CommandResult Listing(const uninstall::LeftoverScanOutcome& scan) {
  CommandResult result;
  for (const uninstall::Leftover& leftover : scan.leftovers) {
    result.rows.push_back(uninstall::LeftoverRow(leftover));
    result.rowFields.push_back(LeftoverFields(leftover));
  }
  const auto sure = std::count_if(scan.leftovers.begin(), scan.leftovers.end(), [](const uninstall::Leftover& l) {
    return l.certainty == uninstall::Certainty::Sure;
  });
  result.status = "Found " + std::to_string(scan.leftovers.size()) + " leftovers, " + std::to_string(sure) +
                  " of them sure";
  result.extra = {{"count", scan.leftovers.size()}, {"sure", sure}, {"passed_over", scan.passedOver}};
  if (!scan.tasksProblem.empty()) {
    result.extra["tasks_problem"] = scan.tasksProblem;
  }
  return result;
}

int Leftovers(CliContext& context, const GlobalOptions& options, const std::string& title, bool remove,
              bool likelyToo) {
  ConsoleSink sink(context.err, options.yes, context.console);
  const auto snapshot = SnapshotOf(context, sink, title);
  if (!snapshot) {
    return PrintFailure(context, options.json,
                        "no installed or uninstalled program is titled '" + title + "'");
  }
  const uninstall::LeftoverScanOutcome scan = uninstall::ScanLeftovers(context.platform, *snapshot, sink);
  CommandResult result = Listing(scan);
  if (!remove) {
    PrintResult(context, options.json, result);
    return kExitSuccess;
  }
  return RemoveFound(context, options, sink, scan.leftovers, likelyToo, std::move(result));
}

// The undo of the history, for an entry that removed leftovers.
int UndoRemoval(CliContext& context, const GlobalOptions& options, int id) {
  history::HistoryLog log(context.platform);
  auto found = log.Find(id);
  if (!found || !*found || (*found)->action != history::Action::LeftoversRemoved) {
    return PrintFailure(context, options.json, "history entry " + std::to_string(id) + " is no removal of leftovers");
  }
  return UndoHistoryEntry(context, options, id);
}

}  // namespace

int RemoveFound(CliContext& context, const GlobalOptions& options, ConsoleSink& sink,
                const std::vector<uninstall::Leftover>& found, bool likelyToo, CommandResult result) {
  std::vector<uninstall::Leftover> chosen;
  std::copy_if(found.begin(), found.end(), std::back_inserter(chosen), [&](const uninstall::Leftover& leftover) {
    return likelyToo || leftover.certainty == uninstall::Certainty::Sure;
  });
  if (chosen.empty()) {
    result.status += "; nothing to remove";
    PrintResult(context, options.json, result);
    return kExitSuccess;
  }
  if (!Confirm(sink,
               "Remove " + std::to_string(chosen.size()) + " leftovers of " + chosen.front().program +
                   "? They are saved in the data folder first, and the history can put them back.",
               std::string(kProductName))) {
    return PrintFailure(context, options.json, "nothing removed", std::move(result));
  }
  const uninstall::LeftoverRemovalOutcome removal =
      uninstall::RemoveLeftovers(context.platform, chosen, "sweepwise-cli leftovers", sink);
  result.extra["removed"] = removal.removed.size();
  result.extra["kept"] = removal.kept;
  result.extra["backups"] = {removal.archive, removal.regFile, removal.manifest};
  result.extra["history_id"] = removal.historyId;
  if (!removal.problem.empty()) {
    return PrintFailure(context, options.json, removal.problem, std::move(result));
  }
  result.status += "; removed " + std::to_string(removal.removed.size()) + " of " + std::to_string(chosen.size()) +
                   " (history entry " + std::to_string(removal.historyId) + ", undo with 'sweepwise-cli leftovers --undo " +
                   std::to_string(removal.historyId) + "')";
  if (!removal.kept.empty()) {
    return PrintFailure(context, options.json,
                        std::to_string(removal.kept.size()) + " leftovers stayed: " + removal.kept.front(),
                        std::move(result));
  }
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

void AddLeftoversCommand(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  auto title = std::make_shared<std::string>();
  auto remove = std::make_shared<bool>(false);
  auto likelyToo = std::make_shared<bool>(false);
  auto undo = std::make_shared<int>(0);
  CLI::App* leftovers = app.add_subcommand(
      "leftovers",
      "List what an uninstalled program left behind, each with how sure and why; --remove removes the sure "
      "ones (saved in the data folder first, recorded in the history)");
  CLI::Option* titleOption =
      leftovers->add_option("TITLE", *title, "The program's title as 'list software' showed it");
  leftovers->add_flag("--remove", *remove, "Remove the sure leftovers, after a backup");
  leftovers->add_flag("--all-leftovers", *likelyToo, "With --remove: the likely ones too");
  CLI::Option* undoOption =
      leftovers->add_option("--undo", *undo, "Put back what the history entry ID (a removal of leftovers) removed");
  undoOption->excludes(titleOption);
  leftovers->callback([&context, &options, &status, title, remove, likelyToo, undo, titleOption, undoOption] {
    if (undoOption->count() > 0) {
      status = UndoRemoval(context, options, *undo);
    } else if (titleOption->count() == 0) {
      throw CLI::ValidationError("give the program's TITLE (or --undo ID)");
    } else {
      status = Leftovers(context, options, *title, *remove, *likelyToo);
    }
  });
  leftovers->fallthrough();
}

}  // namespace sw::cli
