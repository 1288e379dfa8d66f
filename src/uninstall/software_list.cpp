#include "uninstall/software_list.h"

#include <algorithm>

#include "core/language.h"
#include "core/product.h"
#include "platform/error_message.h"
#include "registry/registry_paths.h"
#include "uninstall/leftover_entry.h"
#include "uninstall/uninstall_command.h"

namespace sw::uninstall {
namespace {

using platform::RegAccess;

void Notify(EngineSink& sink, std::string text, MessageKind kind) {
  sink.Ask(Message{std::move(text), std::string(kProductName), kind, MessageButtons::Ok});
}

// The subkey names of one source's uninstall key; none when it does not open.
std::vector<std::string> EntryNames(platform::Registry& registry, const SoftwareSource& source) {
  auto root = registry.OpenRootView(source.root, source.view);
  if (!root) {
    return {};
  }
  auto key = (*root)->Open(kUninstallKey, RegAccess::Read);
  return key ? reg::EnumerateNames(**key, reg::NameKind::SubKeys) : std::vector<std::string>{};
}

// The question about an entry that outlived its uninstaller. `followed` says whether every
// program the uninstaller started was waited for; where not, one may still be at work.
std::string LeftoverQuestion(const std::string& title, platform::ProgramWait followed) {
  std::string text = "The uninstaller of " + title + " has ended, but " + title +
                     " is still registered as installed: its uninstall was cancelled or did not finish.";
  if (followed != platform::ProgramWait::WholeTree) {
    text += "\rSweepwise could not follow every program that uninstaller started: if one is still at work, answer No.";
  }
  return text + "\rRemove its entry from the list of installed programs anyway? A copy of it is saved first.";
}

class Uninstaller {
 public:
  Uninstaller(platform::Platform& platform, EngineSink& sink, const UninstallOptions& options)
      : platform_(platform), sink_(sink), options_(options) {}

  UninstalledEntry Run(const ResultRow& row);

 private:
  std::optional<std::string> CommandOf(const SoftwareEntry& entry, UninstalledEntry& outcome);
  Result<platform::ProgramWait> Start(UninstalledEntry& outcome);
  void AfterUninstaller(const EntrySource& source, platform::ProgramWait followed, UninstalledEntry& outcome);
  void Refuse(UninstalledEntry& outcome, std::string problem, Error error = Error(Errc::Success));

  platform::Platform& platform_;
  EngineSink& sink_;
  const UninstallOptions& options_;
};

void Uninstaller::Refuse(UninstalledEntry& outcome, std::string problem, Error error) {
  outcome.problem = std::move(problem);
  outcome.error = error;
  Notify(sink_, outcome.problem, MessageKind::Warning);
}

UninstalledEntry Uninstaller::Run(const ResultRow& row) {
  UninstalledEntry outcome;
  outcome.title = row.columns[0];
  outcome.id = row.hidden;
  const auto source = ParseSourceId(row.hidden);
  const auto entry = source ? ReadSoftwareEntry(*platform_.registry, *source) : std::nullopt;
  if (!entry) {
    outcome.entryGone = source && !EntryExists(*platform_.registry, *source);
    Refuse(outcome, outcome.entryGone
                        ? outcome.title + " is no longer registered as installed: there is nothing to uninstall."
                        : "The entry of " + outcome.title + " can no longer be read: nothing was started.");
    return outcome;
  }
  const auto command = CommandOf(*entry, outcome);
  if (!command) {
    return outcome;
  }
  outcome.command = *command;
  Notify(sink_, UninstallNotice(outcome.title), MessageKind::Information);
  const auto followed = Start(outcome);
  if (!followed) {
    return outcome;
  }
  outcome.started = true;
  sink_.ProcessMessagesNow();
  AfterUninstaller(*source, *followed, outcome);
  return outcome;
}

std::optional<std::string> Uninstaller::CommandOf(const SoftwareEntry& entry, UninstalledEntry& outcome) {
  if (options_.quiet) {
    auto quiet = QuietCommand(entry, *platform_.system);
    if (!quiet) {
      Refuse(outcome, outcome.title +
                          " has no quiet uninstall command (QuietUninstallString) and is no Windows Installer "
                          "product: its uninstaller would ask its questions. Uninstall it without --quiet.");
    }
    return quiet;
  }
  std::string command = InteractiveCommand(entry, *platform_.system);
  if (command.empty()) {
    Refuse(outcome, "The uninstaller of " + outcome.title + " could not be started:\r\nits entry names no uninstall command");
    return std::nullopt;
  }
  return command;
}

// Started as the user would start it; a program that needs administrator rights, which ours
// lacks, again with the user's consent.
Result<platform::ProgramWait> Uninstaller::Start(UninstalledEntry& outcome) {
  const auto whileWaiting = [this] { sink_.ProcessMessagesNow(); };
  auto run = platform_.processes->RunToEnd(outcome.command, whileWaiting);
  if (!run && run.error().Is(Errc::ElevationRequired)) {
    const CommandParts parts = SplitCommandLine(
        outcome.command, [this](std::string_view path) { return platform_.files->FileExists(path); });
    outcome.elevated = true;
    run = platform_.processes->RunElevatedToEnd(parts.program, parts.parameters, whileWaiting);
  }
  if (!run) {
    if (outcome.elevated && run.error().Is(Errc::Cancelled)) {
      Refuse(outcome,
             "The uninstaller of " + outcome.title + " needs administrator rights, and they were not given.",
             run.error());
    } else {
      Refuse(outcome,
             "The uninstaller of " + outcome.title + " could not be started:\r\n" + outcome.command + "\r\n" +
                 platform::ErrorMessage(run.error()),
             run.error());
    }
  }
  return run;
}

void Uninstaller::AfterUninstaller(const EntrySource& source, platform::ProgramWait followed,
                                   UninstalledEntry& outcome) {
  if (!EntryExists(*platform_.registry, source)) {
    outcome.entryGone = true;
    sink_.ShowStatus(outcome.title + " was removed by its uninstaller.");
    return;
  }
  Message question{LeftoverQuestion(outcome.title, followed), std::string(kProductName), MessageKind::Confirmation,
                   MessageButtons::YesNo};
  question.defaultNo = true;
  if (sink_.Ask(question) != Answer::Yes) {
    sink_.ShowStatus(outcome.title + " is still installed; its entry stays.");
    return;
  }
  LeftoverRemoval removal = RemoveLeftoverEntry(platform_, source);
  outcome.backupFile = removal.backupFile;
  if (removal.removed && removal.backupFile.empty()) {
    outcome.entryGone = true;  // it went by itself after all: nothing of ours to report
    return;
  }
  if (!removal.removed) {
    outcome.problem = "The entry of " + outcome.title + " was not removed: " + removal.problem;
    outcome.error = removal.error;
    std::string text = outcome.problem;
    if (removal.error.Is(Errc::AccessDenied) && source.source.root == platform::RootKey::LocalMachine) {
      text += "\r\nThe entries of programs installed for every user can be removed with administrator rights only.";
    }
    sink_.Ask(Message{std::move(text), "Error", MessageKind::Error, MessageButtons::Ok});
    return;
  }
  outcome.leftoverRemoved = true;
  Notify(sink_, std::string(Text(88)), MessageKind::Information);
}

}  // namespace

std::string UninstallNotice(std::string_view title) {
  const std::string product(kProductName);
  return "Now, " + product + " launches uninstaller for " + std::string(title) + ".\r" +
         "In case of uninstall failure, " + product + " will then clean the system from `" + std::string(title) + "`";
}

void ListSoftware(platform::Platform& platform, EngineSink& sink, const ListOptions& options,
                  const std::function<void(const SoftwareEntry& entry, const std::string& hiddenReason)>& found) {
  // Up to XP the list shows every entry with a name, as it always has; from Vista on it
  // leaves out what the system's own list leaves out.
  const bool hideAsTheSystem = platform::Describe(platform).Modern();
  std::vector<std::pair<SoftwareSource, std::vector<std::string>>> sources;
  std::size_t total = 0;
  for (const SoftwareSource& source : SoftwareSources(platform)) {
    sources.emplace_back(source, EntryNames(*platform.registry, source));
    total += sources.back().second.size();
  }
  sink.SetProgress(0);
  sink.SetProgressMax(total);
  for (const auto& [source, names] : sources) {
    for (const auto& name : names) {
      const auto entry = ReadSoftwareEntry(*platform.registry, EntrySource{source, name});
      if (!entry || entry->displayName.empty()) {
        continue;
      }
      const std::string hidden = hideAsTheSystem ? HiddenReason(*entry) : std::string();
      if (!hidden.empty() && !options.includeHidden) {
        continue;
      }
      if (sink.ShouldStop()) {
        return;
      }
      found(*entry, hidden);
    }
  }
}

void FindSoftware(platform::Platform& platform, EngineSink& sink) {
  ListSoftware(platform, sink, ListOptions{}, [&](const SoftwareEntry& entry, const std::string&) {
    sink.AddRow(SoftwareRow(entry, *platform.system));
  });
}

bool UninstallOutcome::AllStarted() const {
  return std::all_of(entries.begin(), entries.end(), [](const UninstalledEntry& entry) { return entry.started; });
}

UninstallOutcome UninstallSoftware(std::vector<ResultRow>& list, platform::Platform& platform, EngineSink& sink,
                                   const UninstallOptions& options) {
  UninstallOutcome outcome;
  Uninstaller uninstaller(platform, sink, options);
  std::size_t i = 0;
  while (i < list.size()) {
    if (!list[i].checked) {
      ++i;
      continue;
    }
    outcome.entries.push_back(uninstaller.Run(list[i]));
    if (outcome.entries.back().Removed()) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      list[i].checked = false;  // still installed: the row stays for another try
      ++i;
    }
    sink.RowsChanged();
  }
  return outcome;
}

}  // namespace sw::uninstall
