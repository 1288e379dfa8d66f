// sweepwise-cli list software | uninstall TITLE...: the Software page from the console.

#include <algorithm>
#include <chrono>
#include <functional>
#include <ostream>

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/interrupt.h"
#include "cli/leftovers_cli.h"
#include "cli/output.h"
#include "core/product.h"
#include "core/text.h"
#include "registry/registry_names.h"
#include "uninstall/leftover_flow.h"
#include "uninstall/software_list.h"
#include "uninstall/uninstall_flow.h"

namespace sw::cli {
namespace {

// Every field of an entry, for the JSON rows.
nlohmann::json EntryFields(const uninstall::SoftwareEntry& entry) {
  return {{"key", entry.source.subkey},
          {"source", uninstall::SourceId(entry.source)},
          {"root", reg::RootKeyName(entry.source.source.root)},
          {"view", uninstall::ViewName(entry.source.source.view)},
          {"command", entry.uninstallString.text},
          {"quiet_command", entry.quietUninstallString.text},
          {"publisher", entry.publisher},
          {"version", entry.version},
          {"size_kb", entry.sizeKB ? nlohmann::json(*entry.sizeKB) : nlohmann::json()},
          {"install_date", entry.installDate},
          {"windows_installer", entry.windowsInstaller}};
}

struct Listed {
  std::vector<ResultRow> rows;
  std::vector<nlohmann::json> fields;
};

Listed ListEntries(CliContext& context, ConsoleSink& sink, bool all) {
  Listed listed;
  uninstall::ListSoftware(context.platform, sink, uninstall::ListOptions{all},
                          [&](const uninstall::SoftwareEntry& entry, const std::string& hiddenReason) {
                            listed.rows.push_back(uninstall::SoftwareRow(entry, *context.platform.system));
                            listed.fields.push_back(EntryFields(entry));
                            listed.fields.back()["installed"] = listed.rows.back().Column(7);
                            if (all) {
                              listed.fields.back()["hidden"] = hiddenReason;
                              if (!hiddenReason.empty()) {
                                // The text listing says it in a column of its own.
                                listed.rows.back().moreColumns.push_back("hidden: " + hiddenReason);
                              }
                            }
                          });
  return listed;
}

int ListSoftware(CliContext& context, const GlobalOptions& options, bool all) {
  ConsoleSink sink(context.err, options.yes, context.console);
  Listed listed = ListEntries(context, sink, all);
  CommandResult result;
  result.rows = std::move(listed.rows);
  result.rowFields = std::move(listed.fields);
  const auto hidden = std::count_if(result.rowFields.begin(), result.rowFields.end(), [](const nlohmann::json& row) {
    return row.contains("hidden") && !row["hidden"].get<std::string>().empty();
  });
  result.status = "Listed " + std::to_string(result.rows.size()) + " installed programs";
  if (all) {
    result.status += ", " + std::to_string(hidden) + " of them hidden from the system's list";
  }
  result.extra = {{"count", result.rows.size()}};
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

// The listed row a title names: its display name exactly, else ignoring case, else the
// name of its subkey, else its source ("HKLM32\{...}"), which tells apart entries that share
// a display name or a subkey name.
const ResultRow& RowNamed(const std::vector<ResultRow>& listed, const std::string& title) {
  const std::vector<std::function<bool(const ResultRow&)>> tests = {
      [&](const ResultRow& row) { return row.columns[0] == title; },
      [&](const ResultRow& row) { return EqualsNoCase(row.columns[0], title); },
      [&](const ResultRow& row) {
        const auto source = uninstall::ParseSourceId(row.hidden);
        return source && EqualsNoCase(source->subkey, title);
      },
      [&](const ResultRow& row) { return EqualsNoCase(row.hidden, title); }};
  for (const auto& test : tests) {
    std::vector<const ResultRow*> matches;
    for (const auto& row : listed) {
      if (test(row)) {
        matches.push_back(&row);
      }
    }
    if (matches.size() > 1) {
      std::string sources;
      for (const ResultRow* row : matches) {
        sources += (sources.empty() ? "" : ", ") + row->hidden;
      }
      throw CLI::ValidationError("'" + title + "' names " + std::to_string(matches.size()) +
                                 " entries; give the source of the one meant (" + sources + ")");
    }
    if (matches.size() == 1) {
      return *matches.front();
    }
  }
  throw CLI::ValidationError("no installed software is titled '" + title + "'");
}

// The rows of the titles in the order given, each entry once, checked. A title that names
// nothing is a usage error, raised before anything runs.
std::vector<ResultRow> NamedRows(const std::vector<ResultRow>& listed, const std::vector<std::string>& titles) {
  std::vector<ResultRow> named;
  for (const auto& title : titles) {
    const ResultRow& row = RowNamed(listed, title);
    if (std::none_of(named.begin(), named.end(), [&](const ResultRow& taken) { return taken.hidden == row.hidden; })) {
      named.push_back(row);
      named.back().checked = true;
    }
  }
  return named;
}

std::string Question(const std::vector<ResultRow>& named) {
  std::string titles;
  for (const auto& row : named) {
    titles += (titles.empty() ? "" : "; ") + row.columns[0];
  }
  return "The uninstallers of these programs will run one after the other: " + titles + ". Go on ?";
}

nlohmann::json OutcomeFields(const uninstall::UninstalledEntry& entry) {
  const auto source = uninstall::ParseSourceId(entry.id);
  return {{"key", source ? source->subkey : entry.id},
          {"source", entry.id},
          {"command", entry.command},
          {"result", uninstall::UninstallResultName(entry.result)},
          {"started", entry.started},
          {"elevated", entry.elevated},
          {"as_desktop_user", entry.asDesktopUser},
          {"exit_code", entry.exitCode ? nlohmann::json(*entry.exitCode) : nlohmann::json()},
          {"restart_needed", entry.restartNeeded},
          {"entry_gone", entry.entryGone},
          {"leftover_removed", entry.leftoverRemoved},
          {"backup_file", entry.backupFile},
          {"problem", entry.problem}};
}

// Counts that say what became of each program: an uninstaller that did not start uninstalled
// nothing, and one that failed or was not waited for to its end removed nothing.
CommandResult Uninstalled(const std::vector<ResultRow>& named, const uninstall::UninstallOutcome& outcome) {
  using uninstall::UninstallResult;
  CommandResult result;
  result.rows = named;
  int started = 0;
  int byUninstaller = 0;
  int leftovers = 0;
  int failed = 0;
  int notWaited = 0;
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (i >= outcome.entries.size()) {
      result.rowFields.push_back({{"source", named[i].hidden}, {"result", "not started"}, {"started", false}});
      continue;
    }
    const uninstall::UninstalledEntry& entry = outcome.entries[i];
    started += entry.started ? 1 : 0;
    byUninstaller += entry.started && entry.entryGone ? 1 : 0;
    leftovers += entry.leftoverRemoved ? 1 : 0;
    failed += entry.result == UninstallResult::Failed ? 1 : 0;
    notWaited += entry.result == UninstallResult::Stopped || entry.result == UninstallResult::TimedOut ? 1 : 0;
    result.rowFields.push_back(OutcomeFields(entry));
  }
  const int stillInstalled = static_cast<int>(named.size()) - byUninstaller - leftovers;
  result.status = "Ran the uninstallers of " + std::to_string(started) + " of " + std::to_string(named.size()) +
                  " programs: " + std::to_string(byUninstaller) + " removed by their uninstallers, " +
                  std::to_string(leftovers) + " leftover entries removed, " + std::to_string(failed) + " failed, " +
                  std::to_string(stillInstalled) + " still registered";
  result.extra = {{"started", started},
                  {"uninstalled", byUninstaller + leftovers},
                  {"removed_by_uninstaller", byUninstaller},
                  {"leftovers_removed", leftovers},
                  {"failed", failed},
                  {"not_waited_for", notWaited},
                  {"still_installed", stillInstalled},
                  {"not_started", static_cast<int>(named.size()) - started}};
  return result;
}

// Why the command failed, when it did: uninstallers that did not start or failed, waits that
// were stopped, leftover entries the user wanted gone that stayed. An entry kept on the
// user's No, or an orphaned entry kept, is no failure.
std::string Failure(CliContext& context, const std::vector<ResultRow>& named,
                    const uninstall::UninstallOutcome& outcome) {
  std::vector<const uninstall::UninstalledEntry*> failed;
  for (const auto& entry : outcome.entries) {
    if (!entry.problem.empty()) {
      failed.push_back(&entry);
    }
  }
  std::string message;
  if (!failed.empty()) {
    message = failed.front()->problem;
    if (failed.size() > 1) {
      message += " (and " + std::to_string(failed.size() - 1) + " more)";
    }
    const bool denied = std::any_of(failed.begin(), failed.end(), [](const uninstall::UninstalledEntry* entry) {
      return entry->error.Is(Errc::AccessDenied) && entry->started;
    });
    if (denied) {
      message += ElevationHint(context.platform, "uninstall");
    }
  }
  if (outcome.interrupted && outcome.entries.size() < named.size()) {
    message += (message.empty() ? "" : " ") + std::to_string(named.size() - outcome.entries.size()) +
               " further uninstallers were not started.";
  }
  // ConsoleLines of a message box text: no line breaks in the one-line failure.
  std::replace(message.begin(), message.end(), '\r', ' ');
  std::replace(message.begin(), message.end(), '\n', ' ');
  return message;
}

// The console during an uninstall: the console's own sink, with the history's name of the
// command, Ctrl+C as Stop, and what the uninstall waits for printed when a wait begins and
// every 30 seconds while it goes on.
class UninstallConsole final : public EngineSink {
 public:
  UninstallConsole(ConsoleSink& console, std::ostream& err) : console_(console), err_(err) {
    SetOrigin("sweepwise-cli uninstall");
  }

  void ShowStatus(std::string_view text) override { console_.ShowStatus(text); }
  void SetProgressMax(std::uint64_t maximum) override { console_.SetProgressMax(maximum); }
  void SetProgress(std::uint64_t position) override { console_.SetProgress(position); }
  void AddRow(const ResultRow& row) override { console_.AddRow(row); }
  Answer Ask(const Message& message) override { return console_.Ask(message); }
  bool ShouldStop() override { return interrupt_.Requested(); }

  void OnWaiting(const uninstall::Waiting& waiting) {
    if (waiting.done) {
      shownWhat_.clear();
      return;
    }
    constexpr auto kEvery = std::chrono::seconds(30);
    if (waiting.what == shownWhat_ && waiting.elapsed < shownAt_ + kEvery) {
      return;
    }
    shownWhat_ = waiting.what;
    shownAt_ = waiting.elapsed;
    console_.EndProgress();
    err_ << "Waiting for " << waiting.what << " (" << waiting.elapsed.count() << " s of at most "
         << waiting.limit.count() << " s; Ctrl+C stops waiting)\n"
         << std::flush;
  }

 private:
  ConsoleSink& console_;
  std::ostream& err_;
  Interruptible interrupt_;
  std::string shownWhat_;
  std::chrono::seconds shownAt_{0};
};

int Uninstall(CliContext& context, const GlobalOptions& options, const std::vector<std::string>& titles, bool quiet,
              int timeoutSeconds, int leftovers) {
  ConsoleSink console(context.err, options.yes, context.console);
  const Listed listed = ListEntries(context, console, /*all=*/false);
  const std::vector<ResultRow> named = NamedRows(listed.rows, titles);
  if (!Confirm(console, Question(named), std::string(kProductName))) {
    return PrintFailure(context, options.json, "nothing uninstalled", Uninstalled(named, {}));
  }
  const std::vector<uninstall::LeftoverSnapshot> snapshots = uninstall::KeepSnapshots(context.platform, named);
  UninstallConsole sink(console, context.err);
  uninstall::UninstallOptions uninstallOptions;
  uninstallOptions.quiet = quiet;
  uninstallOptions.timeout = std::chrono::seconds(timeoutSeconds);
  uninstallOptions.onWaiting = [&sink](const uninstall::Waiting& waiting) { sink.OnWaiting(waiting); };
  std::vector<ResultRow> list = named;
  const uninstall::UninstallOutcome outcome = uninstall::UninstallSoftware(list, context.platform, sink, uninstallOptions);
  CommandResult result = Uninstalled(named, outcome);
  if (const std::string failure = Failure(context, named, outcome); !failure.empty()) {
    return PrintFailure(context, options.json, failure, result);
  }
  if (leftovers == 0) {
    PrintResult(context, options.json, result);
    return kExitSuccess;
  }
  const std::vector<uninstall::Leftover> found =
      uninstall::LeftoversOfUninstalled(context.platform, snapshots, outcome, sink);
  for (const uninstall::Leftover& leftover : found) {
    result.rows.push_back(uninstall::LeftoverRow(leftover));
  }
  return RemoveFound(context, options, console, found, leftovers > 1, std::move(result));
}

}  // namespace

void AddSoftwareCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* list = app.add_subcommand("list", "List what a page of the window shows");
  list->require_subcommand(1);
  auto all = std::make_shared<bool>(false);
  CLI::App* software = list->add_subcommand("software", "List the installed software that can be uninstalled");
  software->add_flag("--all", *all, "Also the entries the system's own list hides, each with the reason");
  software->callback([&context, &options, &status, all] { status = ListSoftware(context, options, *all); });

  auto titles = std::make_shared<std::vector<std::string>>();
  auto quiet = std::make_shared<bool>(false);
  auto timeout = std::make_shared<int>(static_cast<int>(uninstall::kDefaultUninstallTimeout.count()));
  CLI::App* uninstall = app.add_subcommand(
      "uninstall",
      "Run the uninstallers of the named programs one after the other; an entry left behind by an uninstaller "
      "that succeeded, or whose uninstaller is gone, goes only when confirmed (or with --yes), saved first as "
      "regbackupNNN.reg in the data folder; an uninstaller that fails keeps its entry");
  uninstall->add_option("TITLE", *titles, "A program's title as 'list software' shows it, its key or its source")
      ->required();
  uninstall->add_flag("--quiet", *quiet,
                      "Uninstall without the uninstallers' questions: the entry's quiet command, or Windows "
                      "Installer's; a program without one is refused");
  uninstall
      ->add_option("--timeout", *timeout,
                   "The longest wait for one program's uninstall, in seconds (default 1800); Ctrl+C stops waiting "
                   "sooner. A wait that ends so removes nothing.")
      ->check(CLI::Range(1, 7 * 24 * 3600));
  auto leftovers = std::make_shared<bool>(false);
  auto allLeftovers = std::make_shared<bool>(false);
  uninstall->add_flag("--leftovers", *leftovers,
                      "Then remove what the programs that went left behind and the search is sure of, saved first");
  uninstall->add_flag("--all-leftovers", *allLeftovers, "Then remove the likely leftovers too");
  uninstall->callback([&context, &options, &status, titles, quiet, timeout, leftovers, allLeftovers] {
    status = Uninstall(context, options, *titles, *quiet, *timeout, *allLeftovers ? 2 : (*leftovers ? 1 : 0));
  });

  for (CLI::App* command : {list, software, uninstall}) {
    command->fallthrough();
  }
}

}  // namespace sw::cli
