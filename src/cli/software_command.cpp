// sweepwise-cli list software | uninstall TITLE...: the Software page from the console.

#include <algorithm>
#include <functional>

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "core/product.h"
#include "core/text.h"
#include "uninstall/software_list.h"

namespace sw::cli {
namespace {

nlohmann::json EntryFields(const ResultRow& row) {
  return {{"key", row.hidden}, {"command", row.columns[2]}};
}

int ListSoftware(CliContext& context, const GlobalOptions& options) {
  ConsoleSink sink(context.err, options.yes, context.console);
  uninstall::FindSoftware(context.platform, sink);
  CommandResult result;
  result.rows = sink.rows();
  result.status = "Listed " + std::to_string(result.rows.size()) + " installed programs";
  for (const auto& row : result.rows) {
    nlohmann::json fields = EntryFields(row);
    fields["version"] = uninstall::EntryText(context.platform, row.hidden, "DisplayVersion");
    fields["publisher"] = uninstall::EntryText(context.platform, row.hidden, "Publisher");
    result.rowFields.push_back(std::move(fields));
  }
  result.extra = {{"count", result.rows.size()}};
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

// The listed row a title names: its display name exactly, else ignoring case, else the
// name of its subkey, which tells apart entries that share a display name.
const ResultRow& RowNamed(const std::vector<ResultRow>& listed, const std::string& title) {
  const std::vector<std::function<bool(const ResultRow&)>> tests = {
      [&](const ResultRow& row) { return row.columns[0] == title; },
      [&](const ResultRow& row) { return EqualsNoCase(row.columns[0], title); },
      [&](const ResultRow& row) { return EqualsNoCase(row.hidden, title); }};
  for (const auto& test : tests) {
    std::vector<const ResultRow*> matches;
    for (const auto& row : listed) {
      if (test(row)) {
        matches.push_back(&row);
      }
    }
    if (matches.size() > 1) {
      throw CLI::ValidationError("'" + title + "' names " + std::to_string(matches.size()) +
                                 " entries; give the key of the one meant (see 'list software --json')");
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

CommandResult Uninstalled(const std::vector<ResultRow>& named, const uninstall::UninstallOutcome& outcome) {
  CommandResult result;
  result.rows = named;
  int keysRemoved = 0;
  for (std::size_t i = 0; i < named.size(); ++i) {
    nlohmann::json fields = EntryFields(named[i]);
    const bool ran = i < outcome.entries.size();
    fields["started"] = ran && outcome.entries[i].started;
    fields["key_removed"] = ran && outcome.entries[i].keyRemoved;
    keysRemoved += ran && outcome.entries[i].keyRemoved ? 1 : 0;
    result.rowFields.push_back(std::move(fields));
  }
  result.status = "Ran the uninstallers of " + std::to_string(outcome.entries.size()) + " programs; removed " +
                  std::to_string(keysRemoved) + " uninstall keys left behind";
  result.extra = {{"uninstalled", outcome.entries.size()}, {"keys_removed", keysRemoved}};
  return result;
}

int Uninstall(CliContext& context, const GlobalOptions& options, const std::vector<std::string>& titles) {
  ConsoleSink sink(context.err, options.yes, context.console);
  uninstall::FindSoftware(context.platform, sink);
  const std::vector<ResultRow> named = NamedRows(sink.rows(), titles);
  if (!Confirm(sink, Question(named), std::string(kProductName))) {
    return PrintFailure(context, options.json, "nothing uninstalled", Uninstalled(named, {}));
  }
  std::vector<ResultRow> list = named;
  const uninstall::UninstallOutcome outcome = uninstall::UninstallSoftware(list, context.platform, sink);
  const CommandResult result = Uninstalled(named, outcome);
  if (!outcome.AllStarted()) {
    const auto failed = std::count_if(outcome.entries.begin(), outcome.entries.end(),
                                      [](const uninstall::UninstalledEntry& entry) { return !entry.started; });
    return PrintFailure(context, options.json, std::to_string(failed) + " uninstallers could not be started", result);
  }
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

}  // namespace

void AddSoftwareCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* list = app.add_subcommand("list", "List what a page of the window shows");
  list->require_subcommand(1);
  CLI::App* software = list->add_subcommand("software", "List the installed software that can be uninstalled");
  software->callback([&context, &options, &status] { status = ListSoftware(context, options); });

  auto titles = std::make_shared<std::vector<std::string>>();
  CLI::App* uninstall = app.add_subcommand(
      "uninstall", "Run the uninstallers of the named programs one after the other, then remove their entries");
  uninstall->add_option("TITLE", *titles, "A program's title as 'list software' shows it, or its key")->required();
  uninstall->callback([&context, &options, &status, titles] { status = Uninstall(context, options, *titles); });

  for (CLI::App* command : {list, software, uninstall}) {
    command->fallthrough();
  }
}

}  // namespace sw::cli
