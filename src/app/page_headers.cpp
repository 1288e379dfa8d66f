#include "app/page_headers.h"

#include <algorithm>
#include <array>

namespace sw::app {
namespace {

// The titles and descriptions are fixed English in every language ("aftwerwards" included:
// it is the text users and their screenshots know).
constexpr std::array kRows{
    MonitorRow{"tbtDosyalar", "Files Cleaning",
               "To list garbage files on your disks click Find button; To delete selected files, click Delete "
               "button aftwerwards",
               Visibility::kShown, false, true, kDeleteCaption, true},
    MonitorRow{"tbtSistemKayit", "Registry Cleaning",
               "To list unused registry entries click Find button; To delete selected entries, click Delete "
               "button aftwerwards",
               Visibility::kShown, false, true, kDeleteCaption, true},
    MonitorRow{"tbtSoftware", "Software Uninstaller", "To uninstall selected software click Delete.",
               Visibility::kShown, false, true, kUninstallCaption, false},
    MonitorRow{"tbtMemory",
               "Memory Cleaning",
               "To reclaim unused memory left from dead processes, click Regain",
               Visibility::kShown,
               true,
               false,
               {},
               false},
    MonitorRow{"pnlDisk",
               "Disk Statistics",
               "Information about total and free disk spaces",
               Visibility::kUnchanged,
               false,
               false,
               {},
               false},
    MonitorRow{"tbtResources",
               "CPU Information",
               "Information about central processing unit",
               Visibility::kHidden,
               false,
               false,
               {},
               false},
    MonitorRow{"tbtFolders",
               "Folders Usage",
               "Pie chart representation of all directories located in fixed drives",
               Visibility::kHidden,
               false,
               false,
               {},
               false},
    MonitorRow{
        "tbtInformation", "Information about QZ Sweepwise Pro", "", Visibility::kHidden, false, false, {}, false},
};
static_assert(kDeleteCaption.size() == 15 && kUninstallCaption.size() == 15);

}  // namespace

std::span<const MonitorRow> MonitorRows() {
  return kRows;
}

const MonitorRow* FindMonitorRow(std::string_view sender) {
  const auto* row = std::find_if(kRows.begin(), kRows.end(), [&](const MonitorRow& r) { return r.sender == sender; });
  return row == kRows.end() ? nullptr : &*row;
}

const MonitorRow* ApplyMonitorClick(PageView& view, std::string_view sender) {
  view.optionsEnabled = true;
  view.backupEnabled = true;
  const MonitorRow* row = FindMonitorRow(sender);
  if (row == nullptr) {
    return nullptr;
  }
  view.title = row->title;
  view.description = row->description;
  if (row->commands != Visibility::kUnchanged) {
    view.commandsShown = row->commands == Visibility::kShown;
  }
  view.refreshShown = row->refresh;
  view.findShown = row->find;
  view.deleteShown = !row->deleteCaption.empty();
  if (view.deleteShown) {
    view.deleteCaption = row->deleteCaption;
    view.applyGlyph = false;  // the delete glyph
  }
  view.headerShown = true;
  view.tweakHeaderShown = false;
  return row;
}

}  // namespace sw::app
