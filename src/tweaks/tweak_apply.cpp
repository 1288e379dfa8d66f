// The Apply command of the Advanced page.

#include <algorithm>

#include "platform/error_message.h"
#include "tweaks/change_registry.h"
#include "tweaks/notice.h"
#include "tweaks/tweak_actions.h"
#include "tweaks/tweak_page.h"

namespace sw::tweaks {
namespace {

constexpr std::string_view kAppliedText = "Selected tasks were applied. Some of them needs rebooting to take effect.";

std::string FinalMessage(const ApplyOutcome& outcome) {
  std::string text(kAppliedText);
  if (!outcome.notInEffect.empty()) {
    text += "\n\nThese tasks are still not in effect:";
    for (const auto& title : outcome.notInEffect) {
      text += "\n" + title;
    }
  }
  return text;
}

}  // namespace

ApplyOutcome TweakPage::Apply(EngineSink& sink) {
  ApplyOutcome outcome;
  for (const auto& row : lvAdvanced_) {
    if (row.row.checked) {
      outcome.applied.push_back(row.row.columns[0]);
    }
  }
  outcome.restoreFile = RestoreFilePath(platform_.folders);
  if (Status applied = ProcessTweaks(/*checkOnly=*/false, sink); !applied) {
    outcome.error = "The previous state could not be recorded in " + outcome.restoreFile + ": " +
                    platform::ErrorMessage(applied.error()) + " Nothing more was changed.";
    Notify(sink, outcome.error, MessageKind::Error);
    return outcome;
  }
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
  outcome.notInEffect.insert(outcome.notInEffect.end(), notDone_.begin(), notDone_.end());
  if (!outcome.applied.empty()) {
    Notify(sink, FinalMessage(outcome), outcome.notInEffect.empty() ? MessageKind::Information : MessageKind::Warning);
  }
  return outcome;
}

}  // namespace sw::tweaks
