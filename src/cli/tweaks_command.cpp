// sweepwise-cli tweaks list | tweaks apply: the Advanced page from the console.

#include <algorithm>
#include <map>

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/output.h"
#include "tweaks/change_registry.h"
#include "tweaks/tweak_actions.h"
#include "tweaks/tweak_catalogue.h"
#include "tweaks/tweak_page.h"

namespace sw::cli {
namespace {

using tweaks::TweakPage;

int ListTweaks(CliContext& context, const GlobalOptions& options, int tab) {
  ConsoleSink sink(context.err, options.yes, context.console);
  TweakPage page(context.platform);
  page.SelectTab(tab, sink);
  sink.EndProgress();
  CommandResult result;
  result.rows = page.TabRows();
  for (const auto& row : result.rows) {
    const tweaks::TweakAction* action = tweaks::FindTweakAction(row.columns[0]);
    result.rowFields.push_back({{"needs_administrator", action != nullptr && tweaks::NeedsAdministrator(*action)}});
  }
  const std::string caption(tweaks::TabCaption(tab));
  result.status = std::to_string(result.rows.size()) + " tweaks on the tab " + caption + " for " +
                  (page.WindowsVersionName().empty() ? std::string("this system") : page.WindowsVersionName());
  result.extra = {{"tab", tab},
                  {"caption", caption},
                  {"windows", page.WindowsVersionName()},
                  {"elevated", platform::Describe(context.platform).elevated}};
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

// The tab each named tweak is listed on; a title that is no tweak of this system is a usage
// error, before anything is changed.
std::map<int, std::vector<std::string>> TabsOf(const std::vector<std::string>& titles, const TweakPage& page) {
  std::map<int, std::vector<std::string>> tabs;
  for (const auto& title : titles) {
    const tweaks::CatalogueEntry* entry = tweaks::FindCatalogueEntry(title);
    if (entry == nullptr) {
      throw CLI::ValidationError("no tweak is titled '" + title + "'");
    }
    if (!page.Offers(title)) {
      throw CLI::ValidationError("'" + title + "' is not offered on " +
                                 (page.WindowsVersionName().empty() ? "this system" : page.WindowsVersionName()));
    }
    for (int tab = 0; tab < tweaks::kAppliedTasksTab; ++tab) {
      if (tweaks::TabCaption(tab) == tweaks::CategoryName(entry->category)) {
        tabs[tab].push_back(title);
      }
    }
  }
  return tabs;
}

ResultRow StateRow(const std::string& title, std::string_view state) {
  ResultRow row;
  const tweaks::CatalogueEntry* entry = tweaks::FindCatalogueEntry(title);
  row.columns = {title, std::string(tweaks::CategoryName(entry->category)), std::string(state), ""};
  row.image = entry->risk;
  row.checked = true;
  return row;
}

struct ApplyTally {
  std::vector<std::string> applied;
  std::vector<std::string> notInEffect;
  std::vector<std::string> alreadyInEffect;
  std::vector<std::string> leftOut;     // they need administrator rights this console lacks
  std::vector<std::string> notWritten;  // "title: value: reason"
  std::string restoreFile;
};

bool Holds(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

CommandResult ResultOf(const ApplyTally& tally) {
  CommandResult result;
  for (const auto& title : tally.applied) {
    result.rows.push_back(StateRow(title, Holds(tally.notInEffect, title) ? "not in effect" : "applied"));
  }
  for (const auto& title : tally.alreadyInEffect) {
    result.rows.push_back(StateRow(title, "already in effect"));
  }
  for (const auto& title : tally.leftOut) {
    result.rows.push_back(StateRow(title, "needs administrator rights"));
  }
  result.extra = {{"applied", tally.applied},
                  {"not_in_effect", tally.notInEffect},
                  {"already_in_effect", tally.alreadyInEffect},
                  {"needs_administrator", tally.leftOut},
                  {"not_written", tally.notWritten},
                  {"restore_file", tally.restoreFile}};
  return result;
}

int ApplyTweaks(CliContext& context, const GlobalOptions& options, const std::vector<std::string>& titles) {
  ConsoleSink sink(context.err, options.yes, context.console);
  TweakPage page(context.platform);
  page.elevationAdvice = ElevationAdvice(context.platform, "tweaks apply");
  const auto tabs = TabsOf(titles, page);
  ApplyTally tally;
  tally.restoreFile = tweaks::RestoreFilePath(context.platform.folders);
  if (!Confirm(sink,
               "Apply " + std::to_string(titles.size()) + " tweaks, their previous state recorded in " +
                   tally.restoreFile + "?",
               "Apply")) {
    return PrintFailure(context, options.json, "nothing applied");
  }
  for (const auto& [tab, names] : tabs) {
    page.SelectTab(tab, sink);
    bool anyChecked = false;
    for (const auto& title : names) {
      const bool offered = page.CheckTitle(title);  // not offered: the check finds it in effect
      anyChecked = anyChecked || offered;
      (offered ? tally.applied : tally.alreadyInEffect).push_back(title);
    }
    if (!anyChecked) {
      continue;
    }
    const tweaks::ApplyOutcome outcome = page.Apply(sink);
    // Offered and checked, but left out: not applied after all.
    for (const auto& title : outcome.leftOut) {
      tally.applied.erase(std::find(tally.applied.begin(), tally.applied.end(), title));
      tally.leftOut.push_back(title);
    }
    if (!outcome.error.empty()) {
      sink.EndProgress();
      return PrintFailure(context, options.json, outcome.error, ResultOf(tally));
    }
    tally.notInEffect.insert(tally.notInEffect.end(), outcome.notInEffect.begin(), outcome.notInEffect.end());
    tally.notWritten.insert(tally.notWritten.end(), outcome.notWritten.begin(), outcome.notWritten.end());
  }
  sink.EndProgress();
  CommandResult result = ResultOf(tally);
  result.status = "Applied " + std::to_string(tally.applied.size() - tally.notInEffect.size()) + " of " +
                  std::to_string(titles.size()) + " tweaks; their previous state is in " + tally.restoreFile;
  if (!tally.notInEffect.empty() || !tally.leftOut.empty()) {
    std::string problem;
    if (!tally.notInEffect.empty()) {
      problem = std::to_string(tally.notInEffect.size()) + " tweaks are still not in effect";
    }
    if (!tally.leftOut.empty()) {
      problem += (problem.empty() ? "" : "; ") + std::to_string(tally.leftOut.size()) +
                 " need administrator rights and were left out";
    }
    return PrintFailure(context, options.json, problem, result);
  }
  PrintResult(context, options.json, result);
  return kExitSuccess;
}

}  // namespace

void AddTweaksCommands(CLI::App& app, CliContext& context, const GlobalOptions& options, int& status) {
  CLI::App* group = app.add_subcommand("tweaks", "The Advanced page: list the tweaks of a tab, apply tweaks");
  group->require_subcommand(1);

  auto tab = std::make_shared<int>(0);
  auto applied = std::make_shared<bool>(false);
  CLI::App* list = group->add_subcommand("list", "The rows of a tab after its check: title, category, description");
  auto* tabOption = list->add_option("--tab", *tab,
                                     "0 Optimization (default), 1 Cleaning, 2 Internet Accelerator, "
                                     "3 Miscellaneous, 4 Applied Tasks")
                        ->check(CLI::Range(0, tweaks::kTabCount - 1));
  list->add_flag("--applied", *applied, "The Applied Tasks tab: the tweaks already in effect")->excludes(tabOption);
  list->callback([&context, &options, &status, tab, applied] {
    status = ListTweaks(context, options, *applied ? tweaks::kAppliedTasksTab : *tab);
  });

  auto titles = std::make_shared<std::vector<std::string>>();
  CLI::App* apply = group->add_subcommand("apply", "Apply the tweaks of these titles, recording their previous state");
  apply->add_option("TITLE", *titles, "The title of a tweak, as 'tweaks list' shows it")->required();
  apply->callback([&context, &options, &status, titles] { status = ApplyTweaks(context, options, *titles); });

  for (CLI::App* command : {group, list, apply}) {
    command->fallthrough();  // --json and --yes may follow the command's own arguments
  }
}

}  // namespace sw::cli
