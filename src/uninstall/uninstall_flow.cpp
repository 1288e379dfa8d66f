#include "uninstall/uninstall_flow.h"

#include <algorithm>
#include <array>

#include "core/language.h"
#include "core/product.h"
#include "core/text.h"
#include "core/win_path.h"
#include "history/history_log.h"
#include "platform/error_message.h"
#include "uninstall/leftover_entry.h"
#include "uninstall/software_entry.h"
#include "uninstall/software_sources.h"
#include "uninstall/uninstall_command.h"
#include "uninstall/uninstall_wait.h"
#include "uninstall/uninstaller_exit.h"

namespace sw::uninstall {
namespace {

using platform::ProgramWait;

void Notify(EngineSink& sink, std::string text, MessageKind kind) {
  sink.Ask(Message{std::move(text), std::string(kProductName), kind, MessageButtons::Ok});
}

std::string Seconds(std::chrono::seconds seconds) {
  return std::to_string(seconds.count()) + " s";
}

// The question about an entry that outlived an uninstaller that reported success. `followed`
// says whether every program the uninstaller started was waited for; where not, one may
// still be at work.
std::string LeftoverQuestion(const std::string& title, ProgramWait followed) {
  std::string text = "The uninstaller of " + title + " has ended, but " + title +
                     " is still registered as installed: its uninstall was cancelled or did not finish.";
  if (followed != ProgramWait::WholeTree) {
    text += "\rSweepwise could not follow every program that uninstaller started: if one is still at work, answer No.";
  }
  return text + "\rRemove its entry from the list of installed programs anyway? A copy of it is saved first.";
}

// The question about an entry whose uninstaller is gone.
std::string OrphanQuestion(const std::string& title, const std::string& why) {
  return why + "\r" + title +
         " was removed without it (by hand, say), and only its entry is left.\rRemove its entry from the list of "
         "installed programs? A copy of it is saved first.";
}

// Why a start as the desktop's user did not happen, in words.
std::string DesktopStartReason(Error error) {
  if (error.Is(Errc::InvalidWindowHandle)) {
    return "no desktop shell is running to start it as";
  }
  if (error.Is(Errc::AccessDenied)) {
    return "the desktop's shell runs with administrator rights itself";
  }
  if (error.Is(Errc::ElevationRequired)) {
    return "the uninstaller asks for administrator rights itself";
  }
  return platform::ErrorMessage(error);
}

// One row's uninstall, from its entry to the outcome.
class Uninstaller {
 public:
  Uninstaller(platform::Platform& platform, EngineSink& sink, const UninstallOptions& options)
      : platform_(platform), sink_(sink), options_(options), history_(platform) {}

  UninstalledEntry Run(const ResultRow& row);

 private:
  std::optional<std::string> CommandOf(const SoftwareEntry& entry, UninstalledEntry& outcome);
  void Refuse(UninstalledEntry& outcome, std::string problem, Error error = Error(Errc::Success));
  void RunUninstaller(const EntrySource& source, const ProgramToStart& program, UninstalledEntry& outcome);
  std::optional<platform::ProgramEnd> Start(const EntrySource& source, const CommandParts& parts,
                                            UninstallWait& wait, UninstalledEntry& outcome);
  void AfterWait(const EntrySource& source, const platform::ProgramEnd& end, bool windowsInstaller,
                 UninstallWait& wait, UninstalledEntry& outcome);
  void NotWaitedFor(UninstallWait& wait, UninstalledEntry& outcome);
  void AskToRemove(const EntrySource& source, const Message& question, UninstalledEntry& outcome);
  void RemoveEntry(const EntrySource& source, UninstalledEntry& outcome);

  platform::Platform& platform_;
  EngineSink& sink_;
  const UninstallOptions& options_;
  history::HistoryLog history_;
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
  const ProgramToStart program = ResolveProgram(*command, *platform_.files, *platform_.system);
  switch (program.kind) {
    case ProgramToStart::Kind::Refused:
      Refuse(outcome, "The uninstaller of " + outcome.title + " was not started: " + program.problem);
      return outcome;
    case ProgramToStart::Kind::Missing:
      outcome.result = UninstallResult::Orphaned;
      AskToRemove(*source,
                  Message{OrphanQuestion(outcome.title, "The uninstaller of " + outcome.title + ", " +
                                                            program.parts.program + ", no longer exists."),
                          std::string(kProductName), MessageKind::Confirmation, MessageButtons::YesNo},
                  outcome);
      return outcome;
    case ProgramToStart::Kind::Found:
      break;
  }
  outcome.command = "\"" + program.parts.program + "\"" +
                    (program.parts.parameters.empty() ? "" : " " + program.parts.parameters);
  RunUninstaller(*source, program, outcome);
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

// The uninstaller's run, written to the history before it starts and once it has ended.
void Uninstaller::RunUninstaller(const EntrySource& source, const ProgramToStart& program,
                                 UninstalledEntry& outcome) {
  Notify(sink_, UninstallNotice(outcome.title), MessageKind::Information);
  history::Entry start;
  start.action = history::Action::Uninstalled;
  start.origin = sink_.Origin();
  start.summary = "Running the uninstaller of " + outcome.title + ": " + outcome.command;
  start.count = 1;
  start.names = {outcome.title};
  start.notUndoable = "An uninstaller cannot be undone.";
  history::Recording recording(history_, start);

  UninstallWait wait(sink_, options_);
  if (const auto end = Start(source, program.parts, wait, outcome)) {
    outcome.started = true;
    sink_.ProcessMessagesNow();
    AfterWait(source, *end, EqualsNoCase(FileNameOf(program.parts.program), "MsiExec.exe"), wait, outcome);
  }
  history::Entry& done = recording.entry();
  const std::string exit = outcome.exitCode ? ExitCodeText(*outcome.exitCode) : std::string("no exit code");
  done.summary = "The uninstaller of " + outcome.title + " (" + outcome.command + ") " +
                 (outcome.started ? "ended with " + exit : std::string("did not run")) + "; its entry " +
                 (outcome.Removed() ? "went." : "stays.");
  done.problem = outcome.problem;
  const bool succeeded = outcome.result == UninstallResult::ProgramGone || outcome.result == UninstallResult::EntryKept;
  (void)recording.Complete(succeeded ? history::EntryState::Done : history::EntryState::Failed);
}

// Started as the user would start it: with the user's consent when it needs administrator
// rights this program lacks; a current user's command, while this program runs elevated, as
// the desktop starts programs. Nothing when it did not start (the user has been told).
std::optional<platform::ProgramEnd> Uninstaller::Start(const EntrySource& source, const CommandParts& parts,
                                                       UninstallWait& wait, UninstalledEntry& outcome) {
  const bool usersOwn = source.source.root == platform::RootKey::CurrentUser;
  outcome.asDesktopUser = usersOwn && platform::Describe(platform_).Modern() && platform_.system->IsAdmin();
  const auto as = outcome.asDesktopUser ? platform::StartAs::DesktopUser : platform::StartAs::Self;
  auto run = platform_.processes->RunToEnd(parts.program, parts.parameters, as,
                                           wait.For("the uninstaller of " + outcome.title + " and the programs it started"));
  if (!run && outcome.asDesktopUser) {
    Refuse(outcome,
           "Sweepwise runs with administrator rights, and the uninstall command of " + outcome.title +
               " is in the current user's own entry, which any program of that user can change: it is started only "
               "without administrator rights, as the desktop starts programs, and that cannot be done here (" +
               DesktopStartReason(run.error()) + ").\r\nUninstall " + outcome.title +
               " from Sweepwise started without administrator rights, or from Windows' Settings, Apps.",
           run.error());
    return std::nullopt;
  }
  if (!run && run.error().Is(Errc::ElevationRequired)) {
    outcome.elevated = true;
    run = platform_.processes->RunElevatedToEnd(parts.program, parts.parameters, wait.For("the uninstaller of " +
                                                                                          outcome.title));
  }
  if (!run) {
    if (outcome.elevated && run.error().Is(Errc::Cancelled)) {
      Refuse(outcome, "The uninstaller of " + outcome.title + " needs administrator rights, and they were not given.",
             run.error());
    } else {
      Refuse(outcome,
             "The uninstaller of " + outcome.title + " could not be started:\r\n" + outcome.command + "\r\n" +
                 platform::ErrorMessage(run.error()),
             run.error());
    }
    return std::nullopt;
  }
  return *run;
}

void Uninstaller::NotWaitedFor(UninstallWait& wait, UninstalledEntry& outcome) {
  outcome.result = wait.Stopped() ? UninstallResult::Stopped : UninstallResult::TimedOut;
  outcome.problem = (wait.Stopped() ? "Sweepwise stopped waiting for " + wait.What() + " after " +
                                          Seconds(wait.Elapsed()) + "."
                                    : "Sweepwise waited " + Seconds(wait.Elapsed()) + " for " + wait.What() +
                                          ", as long as it waits.") +
                    " Nothing was removed: the entry of " + outcome.title + " stays, and what runs may still be at work.";
  Notify(sink_, outcome.problem, MessageKind::Warning);
}

void Uninstaller::AfterWait(const EntrySource& source, const platform::ProgramEnd& end, bool windowsInstaller,
                            UninstallWait& wait, UninstalledEntry& outcome) {
  outcome.exitCode = end.exitCode;
  // An entry looked at while Windows Installer still works may be about to go.
  if (end.abandoned ||
      !wait.While("Windows Installer, which is busy with an installation",
                  [this] { return platform_.processes->InstallerBusy(); })) {
    NotWaitedFor(wait, outcome);
    return;
  }
  const UninstallerExit exit = end.exitCode ? ClassifyExitCode(*end.exitCode) : UninstallerExit{true, false, {}};
  if (windowsInstaller && end.exitCode == kUnknownProduct && EntryExists(*platform_.registry, source)) {
    // Windows Installer knows no such product: only its entry is left.
    outcome.result = UninstallResult::Orphaned;
    AskToRemove(source,
                Message{OrphanQuestion(outcome.title, "Windows Installer reports that " + outcome.title +
                                                          " is not installed (" + ExitCodeText(*end.exitCode) + ")."),
                        std::string(kProductName), MessageKind::Confirmation, MessageButtons::YesNo},
                outcome);
    return;
  }
  if (!exit.succeeded) {
    outcome.result = UninstallResult::Failed;
    outcome.problem = "The uninstaller of " + outcome.title + " ended with " + ExitCodeText(*end.exitCode) + ": " +
                      outcome.title + " was not removed, and its entry stays.";
    sink_.Ask(Message{outcome.problem, "Error", MessageKind::Error, MessageButtons::Ok});
    return;
  }
  outcome.restartNeeded = exit.restartNeeded;
  const std::string restart = exit.restartNeeded ? " A restart of the computer is needed to finish." : "";
  if (!EntryExists(*platform_.registry, source)) {
    outcome.entryGone = true;
    outcome.result = UninstallResult::ProgramGone;
    sink_.ShowStatus(outcome.title + " was removed by its uninstaller." + restart);
    return;
  }
  outcome.result = UninstallResult::EntryKept;
  AskToRemove(source,
              Message{LeftoverQuestion(outcome.title, end.followed), std::string(kProductName),
                      MessageKind::Confirmation, MessageButtons::YesNo},
              outcome);
  if (outcome.leftoverRemoved) {
    outcome.result = UninstallResult::ProgramGone;
  }
}

// The question (default No); on Yes the entry is saved and removed.
void Uninstaller::AskToRemove(const EntrySource& source, const Message& question, UninstalledEntry& outcome) {
  Message asked = question;
  asked.defaultNo = true;
  if (sink_.Ask(asked) != Answer::Yes) {
    sink_.ShowStatus(outcome.title + " is still registered as installed; its entry stays.");
    return;
  }
  RemoveEntry(source, outcome);
}

void Uninstaller::RemoveEntry(const EntrySource& source, UninstalledEntry& outcome) {
  std::optional<history::Recording> recording;
  LeftoverRemoval removal = RemoveLeftoverEntry(platform_, source, [&](const std::string& backupFile) {
    history::Entry start;
    start.action = history::Action::EntryRemoved;
    start.origin = sink_.Origin();
    start.summary = "Removing the entry of " + outcome.title + " from the list of installed programs";
    start.count = 1;
    start.names = {outcome.title, SourceId(source)};
    start.backups = {backupFile};
    recording.emplace(history_, start);
  });
  outcome.backupFile = removal.backupFile;
  if (recording) {
    recording->entry().summary = removal.removed ? "Removed the entry of " + outcome.title : recording->entry().summary;
    recording->entry().problem = removal.problem;
    (void)recording->Complete(removal.removed ? history::EntryState::Done : history::EntryState::Failed);
  }
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

std::string_view UninstallResultName(UninstallResult result) {
  constexpr std::array<std::string_view, 7> kNames{"not started", "program gone", "entry kept", "failed",
                                                   "orphaned",    "stopped",      "timed out"};
  return kNames[static_cast<std::size_t>(result)];
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
    const UninstalledEntry& done = outcome.entries.back();
    if (done.Removed()) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      list[i].checked = false;  // still installed: the row stays for another try
      ++i;
    }
    sink.RowsChanged();
    // Something may still be at work: no other uninstaller starts beside it.
    if (done.result == UninstallResult::Stopped || done.result == UninstallResult::TimedOut) {
      outcome.interrupted = true;
      break;
    }
  }
  return outcome;
}

}  // namespace sw::uninstall
