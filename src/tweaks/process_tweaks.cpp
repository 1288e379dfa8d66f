// The check and apply passes of the Advanced page and the refresh of its lists after each.

#include <algorithm>

#include "core/text.h"
#include "platform/error_message.h"
#include "tweaks/tweak_actions.h"
#include "tweaks/tweak_page.h"
#include "tweaks/tweak_pass.h"

namespace sw::tweaks {
namespace {

// The tweak's changes in order (or its special action), then, once applied, its extra writes.
Result<bool> RunAction(const TweakAction& action, TweakPass& pass) {
  Result<bool> result = false;
  if (action.special != nullptr) {
    result = action.special(pass);
  }
  for (const auto& change : action.changes) {
    result = pass.Change(change);
    if (!result || (action.stopAtFalse && !*result)) {
      break;
    }
  }
  if (!result || !pass.toBeApplied()) {
    return result;
  }
  for (const auto& extra : action.extras) {
    if (auto written = pass.Change(extra); !written) {
      return written;
    }
  }
  return result;
}

}  // namespace

Status TweakPage::ProcessTweaks(bool checkOnly, EngineSink& sink) {
  std::string restoreFile;
  if (!checkOnly) {
    restoreFile = RestoreFilePath(platform_.folders);
  }
  sink.SetProgressMax(100);
  sink.SetProgress(0);
  lvAppliedTasks_.clear();
  TweakPass pass(platform_, sink, std::move(restoreFile), checkOnly);
  if (!checkOnly) {
    pass.onRecorded = onRecorded_;
  }
  Status status;
  for (std::size_t index = 0; index < records_.size(); ++index) {
    sink.ProcessMessages();
    auto result = ProcessRecord(index, pass);
    if (!result) {
      status = result.error();
      break;  // nothing after a change that could not be recorded
    }
    sink.SetProgress((index + 1) * 100 / records_.size());
  }
  if (!checkOnly) {
    applyLog_ = pass.log();
    notDone_ = pass.notDone();
    notWritten_.clear();
    for (const auto& [title, failure] : pass.notWritten()) {
      notWritten_.push_back(title + ": " + failure.target + ": " + platform::ErrorMessage(failure.error));
    }
  }
  RefreshLists(checkOnly, sink);
  return status;
}

Result<bool> TweakPage::ProcessRecord(std::size_t index, TweakPass& pass) {
  if (!records_[index].Item) {
    return false;
  }
  const TweakAction* action = FindTweakAction(records_[index].Title);
  if (action == nullptr) {
    return false;
  }
  pass.Begin(records_[index].Title, ToBeApplied(index, pass.checkOnly()));
  const auto result = RunAction(*action, pass);
  if (!result) {
    return result;
  }
  if (action->listed && *result) {
    SendToAppliedTask(index);
  }
  RemoveFalseEntry(index);
  if (*result && records_[index].Item) {
    RemoveRow(index);
    records_[index].Title.clear();
  }
  return result;
}

void TweakPage::RefreshLists(bool checkOnly, EngineSink& sink) {
  if (checkOnly) {
    sink.SetProgress(0);
  }
  if (ShowsAppliedTasks()) {
    std::stable_sort(lvAppliedTasks_.begin(), lvAppliedTasks_.end(), [](const ResultRow& a, const ResultRow& b) {
      return CompareNoCase(a.columns[1], b.columns[1]) > 0;
    });
  } else {
    // Stable, so that the catalogue order stays within a risk.
    std::stable_sort(lvAdvanced_.begin(), lvAdvanced_.end(),
                     [](const TweakRow& a, const TweakRow& b) { return a.row.image < b.row.image; });
  }
  // Row for row the model's order: a click on a visible row is mirrored by its index.
  lvAdvanced1_.clear();
  for (const auto& row : lvAdvanced_) {
    lvAdvanced1_.push_back(row.row);
  }
}

}  // namespace sw::tweaks
