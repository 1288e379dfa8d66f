#pragma once
// The system tab control pnlSystem as data: which panel each tab brings forward and whose
// header it shows, what the Resources commands do to it, the drives its selectors list and
// where the free-memory alert goes.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "online/popup_placement.h"
#include "platform/file_system.h"

namespace sw::app {

enum SystemTab : int { kCpuTab = 0, kDriveTab, kMemoryTab, kFolderUsageTab };
inline constexpr int kSystemTabCount = 4;

// Setting a tab from code clamps the index: beyond the last tab is the last, below 0 is 0.
[[nodiscard]] int ClampSystemTab(int index);

struct SystemTabPage {
  std::string_view panel;   // brought forward, the other three hidden
  std::string_view header;  // the btnMonitorClick sender of the tab
};
// Tab `tab` (clamped).
[[nodiscard]] const SystemTabPage& SystemTabPageOf(int tab);
[[nodiscard]] std::span<const SystemTabPage> SystemTabPages();

// A page command of the system tabs: the toolbar buttons tbtResources and tbtFolders and the
// Resources menu's items.
struct ResourcesCommand {
  unsigned command;
  bool resourcesFirst;      // btnResourcesClick before the tab (the menu items do so)
  int tab;                  // the tab set, which runs the dispatcher
  std::string_view header;  // a header shown after the tab; empty for none
};
[[nodiscard]] const ResourcesCommand* FindResourcesCommand(unsigned command);

// The fixed drives as the selectors list them ("c:", "d:"): every one from C: to Z:, the same
// drives whose space the disk totals add up.
[[nodiscard]] std::vector<std::string> FixedDrives(platform::FileSystem& files);
// The drive a selector's text names: its first two characters ("c:").
[[nodiscard]] std::string SelectorDrive(std::string_view text);

// The free-memory alert's place, `width` wide and `height` tall, on the monitor of the taskbar
// (`monitor`, with `workArea` the part the taskbar leaves free): in the work area's corner
// beside the taskbar's end where its clock is, so at the bottom right when the bar is at the
// bottom, at the top right when it is at the top, at the bottom left or right when it stands
// at a side. The taskbar's side is the one where the work area falls short of the monitor
// (the bottom when it hides itself). Never outside the work area, also when the alert is
// larger than it.
[[nodiscard]] online::ScreenRect AlertPlace(const online::ScreenRect& monitor, const online::ScreenRect& workArea,
                                            int width, int height);

}  // namespace sw::app
