#include "app/system_tabs.h"

#include <algorithm>
#include <array>

#include "app/command_ids.h"

namespace sw::app {
namespace {

constexpr std::array<SystemTabPage, kSystemTabCount> kTabs{{
    {"pnlCpu", "tbtResources"},
    {"pnlDisk", "pnlDisk"},
    {"pnlMemory", "tbtMemory"},
    {"pnlPie", "tbtFolders"},
}};

// The menu items go through btnResourcesClick first, so the CPU tab shows for a moment and
// its figures are read; the Folder Usage item shows no header of its own beyond the tab's.
constexpr std::array kCommands{
    ResourcesCommand{kCmdResources, true, kCpuTab, {}},
    ResourcesCommand{kCmdCpu1, true, kCpuTab, {}},
    ResourcesCommand{kCmdDrive1, true, kDriveTab, "pnlDisk"},
    ResourcesCommand{kCmdMemory1, true, kMemoryTab, "tbtMemory"},
    ResourcesCommand{kCmdFolderUsage, true, kFolderUsageTab, {}},
    ResourcesCommand{kCmdFolders, false, kFolderUsageTab, "tbtFolders"},
};

}  // namespace

int ClampSystemTab(int index) {
  return std::clamp(index, 0, kSystemTabCount - 1);
}

const SystemTabPage& SystemTabPageOf(int tab) {
  return kTabs.at(static_cast<std::size_t>(ClampSystemTab(tab)));
}

std::span<const SystemTabPage> SystemTabPages() {
  return kTabs;
}

const ResourcesCommand* FindResourcesCommand(unsigned command) {
  const auto* found =
      std::find_if(kCommands.begin(), kCommands.end(), [command](const auto& row) { return row.command == command; });
  return found == kCommands.end() ? nullptr : found;
}

std::vector<std::string> FixedDrives(platform::FileSystem& files) {
  std::vector<std::string> drives;
  for (const std::string& root : platform::FixedDriveRoots(files)) {
    drives.push_back(std::string{static_cast<char>(root[0] | 0x20), ':'});
  }
  return drives;
}

std::string SelectorDrive(std::string_view text) {
  return std::string(text.substr(0, 2));
}

online::ScreenRect AlertPlace(const online::ScreenRect& monitor, const online::ScreenRect& workArea, int width,
                              int height) {
  const bool atTop = workArea.top > monitor.top && workArea.bottom >= monitor.bottom;
  const bool atLeft = workArea.left > monitor.left && !atTop && workArea.bottom >= monitor.bottom;
  int left = atLeft ? workArea.left : workArea.right - width;
  int top = atTop ? workArea.top : workArea.bottom - height;
  // Larger than the work area: its top left corner stays inside, where the text begins.
  left = std::max(workArea.left, std::min(left, workArea.right - width));
  top = std::max(workArea.top, std::min(top, workArea.bottom - height));
  return online::ScreenRect{left, top, left + width, top + height};
}

}  // namespace sw::app
