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

// The fixed drives as the selectors list them ("c:", "d:"), every letter from A: to Z:.
[[nodiscard]] std::vector<std::string> FixedDrives(platform::FileSystem& files);
// The drive a selector's text names: its first two characters ("c:").
[[nodiscard]] std::string SelectorDrive(std::string_view text);

// The free-memory alert's place: at the right end of the virtual desktop (all monitors),
// `width` wide and `height` tall, one more `height` above the bottom edge, so that it sits
// above a taskbar of the usual height.
[[nodiscard]] online::ScreenRect AlertPlace(const online::ScreenRect& desktop, int width, int height);

}  // namespace sw::app
