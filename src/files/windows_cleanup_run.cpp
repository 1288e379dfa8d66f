#include "files/windows_cleanup_run.h"

#include <algorithm>

#include "core/product.h"
#include "files/windows_cleanup.h"
#include "files/windows_cleanup_row.h"
#include "history/history_log.h"
#include "platform/error_message.h"

namespace sw::files {
namespace {

using platform::HandlerAnswer;
using R = platform::HandlerCallResult;

constexpr std::string_view kNotUndoable =
    "Windows' own cleanup handlers delete what they clean themselves; no backup of it can be kept.";

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += (text.empty() ? "" : ", ") + name;
  }
  return text;
}

std::string NameOf(const HandlerRowFacts& facts) {
  return facts.displayName + " on " + facts.volume;
}

struct Planned {
  std::size_t row;
  HandlerRowFacts facts;
};

class CleanupRun {
 public:
  CleanupRun(std::vector<ResultRow>& rows, platform::Platform& platform, EngineSink& sink,
             const WindowsCleanupRunOptions& options)
      : rows_(rows), platform_(platform), sink_(sink), options_(options) {}

  WindowsCleanupRun Run();

 private:
  std::vector<Planned> Plan();
  void RunOne(const Planned& planned);
  [[nodiscard]] platform::HandlerWait Wait(bool showProgress);
  [[nodiscard]] std::optional<std::uint64_t> FreeSpace(const std::string& volume);
  void Record(history::Recording& recording);

  std::vector<ResultRow>& rows_;
  platform::Platform& platform_;
  EngineSink& sink_;
  const WindowsCleanupRunOptions& options_;
  WindowsCleanupRun run_;
};

// Which rows run: the checked ones (every one, unattended), less those that may not.
std::vector<Planned> CleanupRun::Plan() {
  const bool elevated = platform::Describe(platform_).elevated;
  std::vector<Planned> planned;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const auto facts = HandlerFactsOfRow(rows_[i]);
    if (!facts || !(rows_[i].checked || options_.unattended)) {
      continue;
    }
    if (facts->needsAdministrator && !elevated) {
      run_.needAdministrator.push_back(NameOf(*facts));
    } else if (options_.unattended && !RunsUnattended(*facts)) {
      run_.leftAlone.push_back(NameOf(*facts) + ((facts->flags & platform::kHandlerHasSettings) != 0
                                                     ? " (it has settings of its own: check it in the window)"
                                                     : " (Windows does not run it unattended: check it in the window)"));
    } else {
      planned.push_back(Planned{i, *facts});
    }
  }
  return planned;
}

platform::HandlerWait CleanupRun::Wait(bool showProgress) {
  platform::HandlerWait wait;
  wait.limit = options_.callLimit;
  wait.idle = [this, showProgress](std::uint64_t bytes) {
    if (showProgress) {
      sink_.SetProgress(bytes);
    }
    return sink_.ShouldStop();
  };
  return wait;
}

std::optional<std::uint64_t> CleanupRun::FreeSpace(const std::string& volume) {
  if (!platform_.figures) {
    return std::nullopt;
  }
  const auto space = platform_.figures->VolumeSpaceOf(volume);
  return space ? std::optional<std::uint64_t>(space->totalFree) : std::nullopt;
}

void CleanupRun::RunOne(const Planned& planned) {
  HandlerRowFacts facts = planned.facts;
  HandlerRunResult result;
  result.name = NameOf(facts);
  sink_.ShowStatus("Running Windows' cleanup: " + result.name + "...");
  const auto before = FreeSpace(facts.volume);
  const platform::RegisteredHandler registered{facts.key, facts.classId, facts.displayName, facts.description};
  platform::OpenedHandler opened = platform_.cleanupHandlers->Open(registered, facts.volume, Wait(false));
  HandlerAnswer purge{R::kFailed};
  if (opened.answer.result != R::kDone) {
    result.problem = opened.answer.result == R::kNothing ? "nothing to clean any more"
                                                          : HandlerProblem(opened.answer, options_.callLimit);
  } else {
    const HandlerAnswer space = opened.handler->GetSpaceUsed(Wait(false));
    if (space.result != R::kDone) {
      result.problem = HandlerProblem(space, options_.callLimit);
    } else if (space.bytes == 0) {
      result.problem = "nothing to clean any more";
    } else {
      sink_.SetProgressMax(space.bytes);
      sink_.SetProgress(0);
      purge = opened.handler->Purge(space.bytes, Wait(true));
      result.ran = purge.result == R::kDone;
      if (!result.ran) {
        result.problem = HandlerProblem(purge, options_.callLimit);
      }
    }
    // Deactivate ends every run that the handler answered; its own answer changes nothing.
    if (space.result != R::kTimedOut && purge.result != R::kTimedOut) {
      (void)opened.handler->Deactivate(Wait(false));
    }
  }
  const auto after = FreeSpace(facts.volume);
  // What the handler says it freed; without a word from it, what the volume gained.
  if (purge.reported) {
    result.freed = purge.bytes;
  } else if (before && after && *after > *before) {
    result.freed = *after - *before;
  }
  ResultRow& row = rows_[planned.row];
  facts.freed = result.freed;
  SetHandlerFacts(row, facts);
  row.columns[2] = std::to_string(result.freed);
  row.columns[3] = result.ran ? "Freed" : "Failed: " + result.problem;
  if (before && after) {
    row.columns[3] += "; free space on " + facts.volume + " " + MegabytesText(*before) + " before, " +
                      MegabytesText(*after) + " after";
  }
  row.checked = !result.ran;  // a failed run stays checked, for another try
  run_.freed += result.freed;
  run_.handlers.push_back(std::move(result));
}

void CleanupRun::Record(history::Recording& recording) {
  history::Entry& entry = recording.entry();
  std::vector<std::string> items;
  std::vector<std::string> problems;
  std::uint64_t ran = 0;
  for (const HandlerRunResult& handler : run_.handlers) {
    items.push_back(handler.name + ": freed " + std::to_string(handler.freed) + " bytes" +
                    (handler.ran ? "" : " (" + handler.problem + ")"));
    if (handler.ran) {
      ++ran;
    } else {
      problems.push_back(handler.name + " (" + handler.problem + ")");
    }
  }
  entry.summary = "Windows' own cleanup freed " + std::to_string(run_.freed) + " bytes";
  entry.count = ran;
  entry.bytes = run_.freed;
  entry.names = items;
  entry.problem = problems.empty() ? std::string() : "Did not run to the end: " + Joined(problems);
  (void)recording.WriteItems(items);
  if (const Status completed = recording.Complete(run_.AnyFailed() ? history::EntryState::Failed
                                                                    : history::EntryState::Done);
      !completed && run_.historyError.empty()) {
    run_.historyError = platform::ErrorMessage(completed.error());
  }
}

WindowsCleanupRun CleanupRun::Run() {
  if (!platform_.cleanupHandlers) {
    return run_;
  }
  const std::vector<Planned> planned = Plan();
  if (!planned.empty()) {
    std::vector<std::string> described;
    for (const Planned& each : planned) {
      described.push_back(each.facts.displayName + " (" + MegabytesText(each.facts.bytes) + " on " +
                          each.facts.volume + ")");
    }
    run_.asked = true;
    Message question{WindowsCleanupQuestion(described), "Windows cleanup", MessageKind::Warning,
                     MessageButtons::YesNo, /*defaultNo=*/true};
    if (sink_.Ask(question) != Answer::Yes) {
      run_.declined = true;
      return run_;
    }
    history::HistoryLog log(platform_);
    history::Entry start;
    start.action = history::Action::WindowsCleanup;
    start.origin = sink_.Origin();
    start.summary = "Running Windows' own cleanup: " + Joined(described);
    start.count = planned.size();
    for (const Planned& each : planned) {
      start.names.push_back(NameOf(each.facts));
    }
    start.notUndoable = std::string(kNotUndoable);
    history::Recording recording(log, start);
    if (!recording.Started()) {
      run_.historyError = platform::ErrorMessage(recording.LogError());
    }
    for (const Planned& each : planned) {
      RunOne(each);
    }
    Record(recording);
    sink_.SetProgress(0);
  }
  if (run_.asked || !run_.needAdministrator.empty() || !run_.leftAlone.empty()) {
    const std::string summary = run_.Summary();
    sink_.ShowStatus(summary);
    sink_.Ask(Message{summary, std::string(kProductName),
                      run_.AnyFailed() || !run_.historyError.empty() ? MessageKind::Warning : MessageKind::Information,
                      MessageButtons::Ok});
  }
  return run_;
}

}  // namespace

bool WindowsCleanupRun::AnyFailed() const {
  return std::any_of(handlers.begin(), handlers.end(), [](const HandlerRunResult& h) { return !h.ran; });
}

std::string WindowsCleanupRun::Summary() const {
  std::string text;
  if (!handlers.empty()) {
    text = "Windows' own cleanup freed " + MegabytesText(freed) + " (" + std::to_string(freed) + " bytes)";
    std::vector<std::string> each;
    std::vector<std::string> failed;
    for (const HandlerRunResult& handler : handlers) {
      if (handler.ran) {
        each.push_back(handler.name + " " + std::to_string(handler.freed) + " bytes");
      } else {
        failed.push_back(handler.name + " (" + handler.problem + ")");
      }
    }
    text += each.empty() ? "" : ": " + Joined(each);
    text += failed.empty() ? "" : ". Did not run to the end: " + Joined(failed);
    text += ". It cannot be undone.";
  }
  if (!needAdministrator.empty()) {
    text += (text.empty() ? "" : " ") + std::string("Not run, it needs administrator rights: ") +
            Joined(needAdministrator) + ".";
  }
  if (!leftAlone.empty()) {
    text += (text.empty() ? "" : " ") + std::string("Left alone: ") + Joined(leftAlone) + ".";
  }
  if (!historyError.empty()) {
    text += " The history could not be written: " + historyError;
  }
  return text;
}

std::string WindowsCleanupQuestion(const std::vector<std::string>& handlers) {
  return "Windows' own cleanup is to run: " + Joined(handlers) +
         ".\r\n\r\nWhat it removes cannot be restored: no backup of it can be kept, and the run cannot be undone. "
         "Run it?";
}

WindowsCleanupRun RunWindowsCleanup(std::vector<ResultRow>& rows, platform::Platform& platform, EngineSink& sink,
                                    const WindowsCleanupRunOptions& options) {
  return CleanupRun(rows, platform, sink, options).Run();
}

}  // namespace sw::files
