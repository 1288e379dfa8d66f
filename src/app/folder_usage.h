#pragma once
// The Folder Usage tab without its window: the chart on show and the folder it charts, the
// status line, and what a drive selection, a double-click, a right-click and a mouse move do
// to them. A measurement lets window messages run; anything that would start a second one
// meanwhile is ignored, so the chart and its folder always belong together.

#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "sysinfo/folder_walk.h"
#include "sysinfo/pie_chart.h"

namespace sw::app {

class FolderUsage {
 public:
  FolderUsage();

  // folderpiechart: measures `folder` and puts its chart on show, with the total in the
  // status line. False, and nothing changes, while another measurement runs. A measuring
  // that Stop ended (options.stop) still shows what it measured, marked as partial.
  bool ShowFolder(platform::FileSystem& files, std::string_view folder, const sysinfo::MeasureOptions& options);
  // DriveComboBox1Change: the chart of the drive the selector's text names.
  bool ShowDrive(platform::FileSystem& files, std::string_view selectorText, const sysinfo::MeasureOptions& options);
  // PieChart1DblClick, after the chart hit a slice: the chart of that slice's folder; the
  // files' slice leads nowhere (false).
  bool Descend(platform::FileSystem& files, const sysinfo::MeasureOptions& options);
  // PieChart1RightClick, after the chart hit a slice: the chart one level up; nothing at
  // the drive level (false).
  bool GoUp(platform::FileSystem& files, const sysinfo::MeasureOptions& options);
  // PieChart1MouseMove: the hovered slice's size in the status line. Before the mouse has
  // found any slice there is nothing to show, and the status stays (false).
  bool Hover();

  [[nodiscard]] sysinfo::TPieChart& chart() { return chart_; }
  [[nodiscard]] const sysinfo::TPieChart& chart() const { return chart_; }
  // PieFolder: empty until the first chart.
  [[nodiscard]] const std::string& PieFolder() const { return pieFolder_; }
  // lblFolderMessage.
  [[nodiscard]] const std::string& Status() const { return status_; }
  [[nodiscard]] bool Measuring() const { return measuring_; }
  // False when Stop ended the measuring of the chart on show: its slices are partial.
  [[nodiscard]] bool Complete() const { return complete_; }

 private:
  sysinfo::TPieChart chart_;
  std::string pieFolder_;
  std::string status_ = "Status";
  bool measuring_ = false;
  bool complete_ = true;
};

}  // namespace sw::app
