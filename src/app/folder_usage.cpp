#include "app/folder_usage.h"

#include "app/system_tabs.h"
#include "sysinfo/folder_chart.h"

namespace sw::app {

FolderUsage::FolderUsage() {
  chart_.SetColours(sysinfo::kFolderChartColours);
  chart_.SetNumColours(sysinfo::kFolderChartNumColours);
}

bool FolderUsage::ShowFolder(platform::FileSystem& files, std::string_view folder,
                             const sysinfo::MeasureOptions& options) {
  if (measuring_) {
    return false;
  }
  measuring_ = true;
  // The flag goes down however the measurement ends: a failing one must not lock the page.
  struct Lowered {
    bool& flag;
    ~Lowered() { flag = false; }
  } lowered{measuring_};
  const std::string target(folder);  // `folder` may point into the chart it replaces
  sysinfo::FolderChart measured = sysinfo::folderpiechart(files, target, options);
  pieFolder_ = measured.folder;
  chart_.SetItems(measured.lines);
  status_ = std::move(measured.status);
  complete_ = measured.complete;
  return true;
}

bool FolderUsage::ShowDrive(platform::FileSystem& files, std::string_view selectorText,
                            const sysinfo::MeasureOptions& options) {
  return ShowFolder(files, SelectorDrive(selectorText), options);
}

bool FolderUsage::Descend(platform::FileSystem& files, const sysinfo::MeasureOptions& options) {
  const auto target = sysinfo::DescendTarget(chart_.HitLabel());
  return target && ShowFolder(files, *target, options);
}

bool FolderUsage::GoUp(platform::FileSystem& files, const sysinfo::MeasureOptions& options) {
  const auto target = sysinfo::UpTarget(chart_.HitLabel(), pieFolder_);
  return target && ShowFolder(files, *target, options);
}

bool FolderUsage::Hover() {
  if (chart_.HitText().empty()) {
    return false;
  }
  status_ = sysinfo::HoverText(chart_.HitText());
  return true;
}

}  // namespace sw::app
