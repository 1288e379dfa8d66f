#pragma once
// The Folder Usage page without its window: the chart of one folder (a slice per subfolder
// and one for the files directly in it), the status line, and where a double-click or a
// right-click on a slice leads.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "sysinfo/folder_walk.h"
#include "sysinfo/pie_chart.h"

namespace sw::sysinfo {

// The label of the slice of the files directly in the charted folder.
inline constexpr std::string_view kFilesLabel = "Files";

// What the status line adds when Stop ended a measuring.
inline constexpr std::string_view kPartialMark = " (stopped: partial)";

struct FolderChart {
  std::string folder;            // PieFolder: the folder charted, as given
  std::vector<ChartLine> lines;  // for TPieChart::SetItems: "52311 C:\WINDOWS" per subfolder, then "12 Files"
  // The sum of all slices' bytes, the files' slice included, turned into KB once: a slice's
  // KB are truncated, so adding them up would lose up to a KB per slice.
  std::uint64_t totalKB = 0;
  std::string status;            // lblFolderMessage: "Total size in c: is 4321MB"
  bool complete = true;          // false when Stop ended the measuring: the slices are partial
};

// Measures every subfolder of `folder` and the files directly in it in one pass (see
// MeasureChartBytes; give options.whileWaiting to keep a window's messages flowing, and
// options.stop to let Stop end it) and builds its chart.
FolderChart folderpiechart(platform::FileSystem& files, std::string_view folder, const MeasureOptions& options = {});

// "Total size in " + label + " is " + MB + "MB", in the current language.
std::string TotalSizeText(std::string_view label, std::string_view megabytes);

// The status line for the hovered slice, from its HitText: its number of KB in MB ("Total
// size in C:\WINDOWS is 51MB"); a number that is not a whole number is shown as it stands.
std::string HoverText(std::string_view hitText);

// Where a double-click on the slice labelled `hitLabel` leads: its folder; nothing for the
// files' slice or when no slice was hit.
std::optional<std::string> DescendTarget(std::string_view hitLabel);

// Where a right-click leads: two levels above the hit slice's folder (the chart's parent),
// else the parent of the charted folder; nothing at the drive level.
std::optional<std::string> UpTarget(std::string_view hitLabel, std::string_view pieFolder);

}  // namespace sw::sysinfo
