#pragma once
// The Advanced page without its window: the tweak records of the current tab, the model list
// lvAdvanced (whose check marks the passes read), its visible copy lvAdvanced1 and the
// "Applied Tasks" list, refreshed by the check pass; and the Apply command. The window shows
// these rows and forwards clicks; everything it shows comes from here.
//
// A category tab lists the tweaks of that category that are offered on this system and not
// yet in effect, green first; "Applied Tasks" lists every offered tweak in effect, but the
// one-time actions (the clean-ups of history lists of Windows 95 to XP, the idle-task run),
// which leave nothing in effect to list. Check marks live until the next fill (a tab change, Apply).

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_sink.h"
#include "core/result.h"
#include "core/result_row.h"
#include "platform/platform.h"
#include "tweaks/change_registry.h"
#include "tweaks/tweak_catalogue.h"
#include "tweaks/tweak_page_texts.h"

namespace sw::tweaks {

class TweakPass;

// The tabs of pcTweaks: the four categories, then "Applied Tasks".
inline constexpr int kTabCount = 5;
inline constexpr int kAppliedTasksTab = 4;
std::string_view TabCaption(int tab);

// One tweak of the current fill (TTweakList), addressed by its index in TweakRecords.
struct TTweakList {
  std::string Title;        // cleared once the tweak was found in effect or applied
  std::optional<int> Item;  // its row of lvAdvanced; none once the row was removed
  std::string Description;
};

// A row of lvAdvanced: the record's row identity and what lvAdvanced1 shows of it.
struct TweakRow {
  int item = 0;
  ResultRow row;  // caption (title), category name, description or title; image = risk
};

// What Apply did, for its final message and the command line.
struct ApplyOutcome {
  std::vector<std::string> applied;      // the checked tweaks carried out, in page order
  std::vector<std::string> notInEffect;  // of those, the ones the following check still offers
  std::vector<std::string> notWritten;   // "title: value: reason" for each write the registry refused
  std::vector<std::string> leftOut;      // checked, but needing administrator rights this program lacks
  std::string restoreFile;
  std::string error;  // the restore file could not be written: the pass stopped there
};

class TweakPage {
 public:
  // The page of the system `platform` runs on, as its version numbers tell it; the title
  // shows its WindowsVersionName (or `windowsVersionName`).
  explicit TweakPage(platform::Platform& platform);
  TweakPage(platform::Platform& platform, std::string windowsVersionName);

  [[nodiscard]] const std::string& WindowsVersionName() const { return windowsVersionName_; }
  // lblTweaklabel: "Advanced settings for " + WindowsVersionName.
  [[nodiscard]] std::string TitleText() const;

  // pcTweaksTabChanged: selects `tab`, fills the catalogue and runs the check pass.
  void SelectTab(int tab, EngineSink& sink);
  [[nodiscard]] int SelectedTab() const { return selectedTab_; }
  // Whether lvAppliedTasks, rather than lvAdvanced1, is the list to bring forward.
  [[nodiscard]] bool ShowsAppliedTasks() const { return selectedTab_ == kAppliedTasksTab; }
  // Find while the page is current: "Querying the system...", a fresh fill and check, "Done.".
  void Find(EngineSink& sink);

  // The Apply command: applies the checked tweaks of the current tab (recording their
  // previous state and what they write in default.reg, and in a history entry that undoes
  // exactly this apply), refills, checks, "Done."; when a tweak was checked, the
  // final message, naming what the check still finds not in effect and each write the
  // registry refused, with its reason. Without administrator rights (Vista and later) the
  // checked tweaks that need them are left out and named in the same message, with
  // `elevationAdvice`. A restore file that cannot be written stops the pass with an error
  // message; nothing more is changed.
  ApplyOutcome Apply(EngineSink& sink);

  // How to get administrator rights, for the message that names what Apply left out.
  std::string elevationAdvice{kRestartAsAdministratorAdvice};
  // Whether tweaks that need administrator rights are left out: Vista and later, not elevated.
  [[nodiscard]] bool LeavesOutMachineWide() const { return profile_.Modern() && !profile_.elevated; }
  // Whether the catalogue row `title` is offered on this system (on any tab).
  [[nodiscard]] bool Offers(std::string_view title) const;

  // The rows of lvAdvanced1 (the visible list of a category tab) and of lvAppliedTasks.
  [[nodiscard]] const std::vector<ResultRow>& VisibleRows() const { return lvAdvanced1_; }
  [[nodiscard]] const std::vector<ResultRow>& AppliedRows() const { return lvAppliedTasks_; }
  // The rows of the current tab: lvAppliedTasks on "Applied Tasks", else lvAdvanced1.
  [[nodiscard]] const std::vector<ResultRow>& TabRows() const;
  // lvAdvanced1MouseDown: a visible row's check, mirrored to the model row of the same index.
  void CheckRow(std::size_t row, bool checked);
  // Checks the visible row titled `title`; false when the tab does not list it.
  bool CheckTitle(std::string_view title);
  // The description tooltip of a visible row (its second sub-item).
  [[nodiscard]] std::string_view TooltipText(std::size_t row) const;

  // The parts of the page the passes work on.
  void FillTweakList();
  void InsertTweak(unsigned systems, std::string_view title, std::string_view description, bool checked, int risk,
                   int category, std::uint32_t minimumBuild = 0);
  void RemoveFalseEntry(std::size_t index);
  void SendToAppliedTask(std::size_t index);
  [[nodiscard]] bool ToBeApplied(std::size_t index, bool checkOnly) const;
  // One pass over TweakRecords: checks which tweaks are in effect, or applies the checked
  // ones; then refreshes the lists. The error of an apply pass is the restore file's.
  Status ProcessTweaks(bool checkOnly, EngineSink& sink);

  [[nodiscard]] const std::vector<TTweakList>& TweakRecords() const { return records_; }
  [[nodiscard]] const std::vector<TweakRow>& ModelRows() const { return lvAdvanced_; }

 private:
  TweakRow* RowOf(std::size_t index);
  [[nodiscard]] const TweakRow* RowOf(std::size_t index) const;
  void RemoveRow(std::size_t index);
  Result<bool> ProcessRecord(std::size_t index, TweakPass& pass);
  void RefreshLists(bool checkOnly, EngineSink& sink);

  void DescribeSystem();

  platform::Platform& platform_;
  std::string windowsVersionName_;
  platform::SystemProfile profile_;
  OfferedOn offeredOn_;
  int selectedTab_ = 0;
  std::vector<TTweakList> records_;
  std::vector<TweakRow> lvAdvanced_;
  std::vector<ResultRow> lvAdvanced1_;
  std::vector<ResultRow> lvAppliedTasks_;
  int nextItem_ = 0;
  std::vector<std::string> notDone_;     // of the last apply pass
  std::vector<std::string> notWritten_;  // of the last apply pass
  // Told of each change the apply pass records, before it writes it; the last pass's log.
  std::function<void(const ApplyLog&)> onRecorded_;
  ApplyLog applyLog_;
};

}  // namespace sw::tweaks
