#include "sysinfo/folder_chart.h"

#include <charconv>

#include "core/language.h"
#include "core/text.h"
#include "sysinfo/folder_size.h"

namespace sw::sysinfo {
namespace {

// The text before the last backslash; empty when there is none ("C:" has no parent).
std::string_view ParentOf(std::string_view path) {
  const auto slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

}  // namespace

FolderChart folderpiechart(platform::FileSystem& files, std::string_view folder, const MeasureOptions& options) {
  FolderChart chart;
  chart.folder = std::string(folder);
  // Measured as spelt on the disk, labelled in upper case.
  const std::vector<std::string> paths = SubfolderPaths(files, folder);
  const ChartBytes bytes = MeasureChartBytes(files, folder, paths, options);
  std::uint64_t totalBytes = bytes.files;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    totalBytes += bytes.subfolders[i];
    chart.lines.push_back(ChartLine{std::to_string(bytes.subfolders[i] / 1024) + " " + ToUpperText(paths[i]),
                                    static_cast<std::int64_t>(i)});
  }
  chart.lines.push_back(ChartLine{std::to_string(bytes.files / 1024) + " " + std::string(kFilesLabel),
                                  static_cast<std::int64_t>(paths.size())});
  chart.totalKB = totalBytes / 1024;
  chart.complete = bytes.complete;
  chart.status = TotalSizeText(folder, std::to_string(chart.totalKB / 1024));
  if (!chart.complete) {
    chart.status += kPartialMark;
  }
  return chart;
}

std::string TotalSizeText(std::string_view label, std::string_view megabytes) {
  return std::string(Text(129)) + " " + std::string(label) + " " + std::string(Text(130)) + " " +
         std::string(megabytes) + "MB";
}

std::string HoverText(std::string_view hitText) {
  const auto space = hitText.find(' ');
  const std::string_view number = hitText.substr(0, space);
  const std::string_view label = space == std::string_view::npos ? std::string_view() : hitText.substr(space + 1);
  std::int64_t kb = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), kb);
  const bool whole = !number.empty() && error == std::errc() && end == number.data() + number.size();
  return TotalSizeText(label, whole ? std::to_string(kb / 1024) : std::string(number));
}

std::optional<std::string> DescendTarget(std::string_view hitLabel) {
  if (hitLabel.empty() || hitLabel == kFilesLabel) {
    return std::nullopt;
  }
  return std::string(hitLabel);
}

std::optional<std::string> UpTarget(std::string_view hitLabel, std::string_view pieFolder) {
  const std::string_view grandparent = ParentOf(ParentOf(hitLabel));
  const std::string_view target = grandparent.empty() ? ParentOf(pieFolder) : grandparent;
  if (target.empty()) {
    return std::nullopt;
  }
  return std::string(target);
}

}  // namespace sw::sysinfo
