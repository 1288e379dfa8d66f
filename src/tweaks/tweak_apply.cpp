// The Apply command of the Advanced page.

#include <algorithm>
#include <optional>

#include "history/history_log.h"
#include "platform/error_message.h"
#include "tweaks/change_registry.h"
#include "tweaks/notice.h"
#include "tweaks/tweak_actions.h"
#include "tweaks/tweak_page.h"

namespace sw::tweaks {
namespace {

constexpr std::string_view kAppliedText = "Selected tasks were applied. Some of them needs rebooting to take effect.";

void AddList(std::string& text, std::string_view heading, const std::vector<std::string>& items) {
  if (items.empty()) {
    return;
  }
  text += text.empty() ? "" : "\n\n";
  text += heading;
  for (const auto& item : items) {
    text += "\n" + item;
  }
}

// One message for the whole Apply: what was applied, what did not take and why, and what
// was left out for lack of rights with the way to get them.
std::string FinalMessage(const ApplyOutcome& outcome, std::string_view elevationAdvice) {
  std::string text(outcome.applied.empty() ? "" : kAppliedText);
  AddList(text, "These tasks are still not in effect:", outcome.notInEffect);
  AddList(text, "These values could not be written:", outcome.notWritten);
  AddList(text, "These settings need administrator rights, so they were left out:", outcome.leftOut);
  if (!outcome.leftOut.empty() && !elevationAdvice.empty()) {
    text += "\n" + std::string(elevationAdvice);
  }
  return text;
}

bool Contains(const std::vector<std::string>& list, std::string_view item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

history::Entry ApplyEntry(const EngineSink& sink, const std::vector<std::string>& titles) {
  history::Entry entry;
  entry.action = history::Action::TweaksApplied;
  entry.origin = sink.Origin().empty() ? "Advanced page" : sink.Origin();
  entry.summary = "Applying " + std::to_string(titles.size()) + " tweaks";
  entry.count = titles.size();
  entry.names = titles;
  return entry;
}

// The end of the Apply's history entry: what it changed, and whether it did all it set out to.
void CompleteEntry(history::Recording& recording, const ApplyOutcome& outcome, const ApplyLog& log,
                   platform::System& system) {
  history::Entry& entry = recording.entry();
  entry.summary = "Applied " + std::to_string(outcome.applied.size()) + " tweaks, changing " +
                  std::to_string(log.values.size() + log.deletedKeys.size()) + " registry values and keys";
  if (log.values.empty() && log.deletedKeys.empty()) {
    entry.notUndoable = "It changed no registry value, so there is nothing to put back.";
  }
  std::vector<std::string> problems = outcome.notWritten;
  if (!outcome.error.empty()) {
    problems.insert(problems.begin(), outcome.error);
  }
  for (const auto& title : outcome.notInEffect) {
    problems.push_back(title + ": still not in effect");
  }
  for (const auto& problem : problems) {
    entry.problem += (entry.problem.empty() ? "" : "\n") + problem;
  }
  (void)recording.WriteItems(RecordLines(log.values, log.deletedKeys, system));
  (void)recording.Complete(outcome.error.empty() && outcome.notWritten.empty() ? history::EntryState::Done
                                                                               : history::EntryState::Failed);
}

}  // namespace

ApplyOutcome TweakPage::Apply(EngineSink& sink) {
  ApplyOutcome outcome;
  DescribeSystem();  // the rights as they are now
  for (std::size_t row = 0; row < lvAdvanced_.size(); ++row) {
    if (!lvAdvanced_[row].row.checked) {
      continue;
    }
    const std::string& title = lvAdvanced_[row].row.columns[0];
    const TweakAction* action = FindTweakAction(title);
    if (LeavesOutMachineWide() && action != nullptr && NeedsAdministrator(*action)) {
      outcome.leftOut.push_back(title);
      CheckRow(row, false);  // a write that cannot succeed is not tried
    } else {
      outcome.applied.push_back(title);
    }
  }
  outcome.restoreFile = RestoreFilePath(platform_.folders);
  // The history entry begins before the first change; each change is in its items before it
  // is written, so an Apply cut short still says what it changed.
  history::HistoryLog log(platform_);
  std::optional<history::Recording> recording;
  if (!outcome.applied.empty()) {
    recording.emplace(log, ApplyEntry(sink, outcome.applied));
    onRecorded_ = [&recording, this](const ApplyLog& changes) {
      (void)recording->WriteItems(RecordLines(changes.values, changes.deletedKeys, *platform_.system));
    };
  }
  const Status applied = ProcessTweaks(/*checkOnly=*/false, sink);
  onRecorded_ = nullptr;
  if (!applied) {
    outcome.error = "The previous state could not be recorded in " + outcome.restoreFile + ": " +
                    platform::ErrorMessage(applied.error()) + " Nothing more was changed.";
    if (recording) {
      CompleteEntry(*recording, outcome, applyLog_, *platform_.system);
    }
    Notify(sink, outcome.error, MessageKind::Error);
    return outcome;
  }
  outcome.notWritten = notWritten_;
  FillTweakList();
  (void)ProcessTweaks(/*checkOnly=*/true, sink);
  sink.ShowStatus("Done.");

  // A tweak the check still offers did not take; one that leaves no trace says so itself.
  for (const auto& title : outcome.applied) {
    const TweakAction* action = FindTweakAction(title);
    const bool offered = std::any_of(lvAdvanced_.begin(), lvAdvanced_.end(),
                                     [&](const TweakRow& row) { return row.row.columns[0] == title; });
    if (action != nullptr && action->checkable && offered) {
      outcome.notInEffect.push_back(title);
    }
  }
  for (const auto& title : notDone_) {
    if (!Contains(outcome.notInEffect, title)) {
      outcome.notInEffect.push_back(title);
    }
  }
  if (recording) {
    CompleteEntry(*recording, outcome, applyLog_, *platform_.system);
  }
  if (!outcome.applied.empty() || !outcome.leftOut.empty()) {
    const bool clean = outcome.notInEffect.empty() && outcome.notWritten.empty() && outcome.leftOut.empty();
    Notify(sink, FinalMessage(outcome, elevationAdvice), clean ? MessageKind::Information : MessageKind::Warning);
  }
  return outcome;
}

}  // namespace sw::tweaks
