#include "tweaks/tweak_page.h"

#include <array>
#include <utility>

#include "registry/windows_version.h"
#include "tweaks/tweak_actions.h"
#include "tweaks/tweak_catalogue.h"

namespace sw::tweaks {
namespace {

constexpr std::array<std::string_view, kTabCount> kTabCaptions = {"Optimization", "Cleaning", "Internet Accelerator",
                                                                  "Miscellaneous", "Applied Tasks"};

}  // namespace

std::string_view TabCaption(int tab) {
  return tab >= 0 && tab < kTabCount ? kTabCaptions[static_cast<std::size_t>(tab)] : std::string_view();
}

TweakPage::TweakPage(platform::Platform& platform) : TweakPage(platform, reg::WindowsVersionName(platform)) {}

TweakPage::TweakPage(platform::Platform& platform, std::string windowsVersionName)
    : platform_(platform), windowsVersionName_(std::move(windowsVersionName)) {
  DescribeSystem();
}

// The rights may change between two fills (a test's, or the system's): each fill asks anew.
void TweakPage::DescribeSystem() {
  profile_ = platform::Describe(platform_);
  offeredOn_ = OfferedOnSystem(platform_.system->Version(), profile_);
}

bool TweakPage::Offers(std::string_view title) const {
  const CatalogueEntry* entry = FindCatalogueEntry(title);
  return entry != nullptr && IsOffered(entry->systems, entry->minimumBuild, offeredOn_);
}
std::string TweakPage::TitleText() const {
  return "Advanced settings for " + windowsVersionName_;
}

void TweakPage::SelectTab(int tab, EngineSink& sink) {
  selectedTab_ = tab >= 0 && tab < kTabCount ? tab : 0;
  FillTweakList();
  (void)ProcessTweaks(/*checkOnly=*/true, sink);  // a check pass records and writes nothing
}

void TweakPage::Find(EngineSink& sink) {
  sink.ShowStatus("Querying the system...");
  SelectTab(selectedTab_, sink);
  sink.ShowStatus("Done.");
}

const std::vector<ResultRow>& TweakPage::TabRows() const {
  return ShowsAppliedTasks() ? lvAppliedTasks_ : lvAdvanced1_;
}

void TweakPage::CheckRow(std::size_t row, bool checked) {
  if (row < lvAdvanced1_.size()) {
    lvAdvanced1_[row].checked = checked;
  }
  // The passes read the model list only; both lists are kept in the same order.
  if (row < lvAdvanced_.size()) {
    lvAdvanced_[row].row.checked = checked;
  }
}

bool TweakPage::CheckTitle(std::string_view title) {
  for (std::size_t row = 0; row < lvAdvanced1_.size(); ++row) {
    if (lvAdvanced1_[row].columns[0] == title) {
      CheckRow(row, true);
      return true;
    }
  }
  return false;
}

std::string_view TweakPage::TooltipText(std::size_t row) const {
  return row < lvAdvanced1_.size() ? std::string_view(lvAdvanced1_[row].columns[2]) : std::string_view();
}

void TweakPage::FillTweakList() {
  lvAdvanced_.clear();
  lvAdvanced1_.clear();
  records_.clear();
  DescribeSystem();
  for (const auto catalogue : {TweakCatalogue(), Windows10Catalogue()}) {
    for (const auto& entry : catalogue) {
      std::string description(entry.description);
      const TweakAction* action = FindTweakAction(entry.title);
      if (LeavesOutMachineWide() && action != nullptr && NeedsAdministrator(*action)) {
        description = (description.empty() ? std::string(entry.title) : description) + std::string(kNeedsRightsNote);
      }
      InsertTweak(entry.systems, entry.title, description, /*checked=*/false, entry.risk, entry.category,
                  entry.minimumBuild);
    }
  }
}

void TweakPage::InsertTweak(unsigned systems, std::string_view title, std::string_view description, bool checked,
                            int risk, int category, std::uint32_t minimumBuild) {
  const std::string_view caption = TabCaption(selectedTab_);
  const std::string_view categoryName = CategoryName(category);
  if (!IsOffered(systems, minimumBuild, offeredOn_) || (caption != categoryName && selectedTab_ != kAppliedTasksTab)) {
    return;
  }
  TweakRow row;
  row.item = nextItem_++;
  row.row.columns = {std::string(title), std::string(categoryName),
                     std::string(description.empty() ? title : description), ""};
  row.row.image = risk;
  row.row.checked = risk == kGreen && checked;  // only a safe tweak may start checked
  records_.push_back(TTweakList{std::string(title), row.item, std::string(description)});
  lvAdvanced_.push_back(std::move(row));
}

TweakRow* TweakPage::RowOf(std::size_t index) {
  return const_cast<TweakRow*>(std::as_const(*this).RowOf(index));
}

const TweakRow* TweakPage::RowOf(std::size_t index) const {
  if (index >= records_.size() || !records_[index].Item) {
    return nullptr;
  }
  for (const auto& row : lvAdvanced_) {
    if (row.item == *records_[index].Item) {
      return &row;
    }
  }
  return nullptr;
}

void TweakPage::RemoveRow(std::size_t index) {
  const TweakRow* row = RowOf(index);
  if (row != nullptr) {
    lvAdvanced_.erase(lvAdvanced_.begin() + (row - lvAdvanced_.data()));
  }
  records_[index].Item.reset();
}

void TweakPage::RemoveFalseEntry(std::size_t index) {
  const TweakRow* row = RowOf(index);
  if (row != nullptr && row->row.columns[1] != TabCaption(selectedTab_)) {
    RemoveRow(index);
  }
}

void TweakPage::SendToAppliedTask(std::size_t index) {
  const TweakRow* row = RowOf(index);
  if (row == nullptr) {
    return;
  }
  ResultRow applied;
  applied.columns = {row->row.columns[0], row->row.columns[1], "", ""};
  applied.image = 0;
  applied.checked = false;
  lvAppliedTasks_.push_back(std::move(applied));
}

bool TweakPage::ToBeApplied(std::size_t index, bool checkOnly) const {
  const TweakRow* row = RowOf(index);
  return row != nullptr && row->row.checked && !checkOnly;
}

}  // namespace sw::tweaks
