#pragma once
// The page header of each task and the command buttons it shows: btnMonitorClick as data.
// The window renders a PageView; tests drive the same function without a window.

#include <span>
#include <string>
#include <string_view>

namespace sw::app {

enum class Visibility { kShown, kHidden, kUnchanged };

// One row of the header table, found by the sender's control name.
struct MonitorRow {
  std::string_view sender;
  std::string_view title;
  std::string_view description;
  Visibility commands;  // the command panel pnlCommands
  bool refresh;
  bool find;
  std::string_view deleteCaption;  // empty: Delete hidden
  bool resultPanelToFront;
};

// What btnMonitorClick leaves on screen; the window shows exactly this.
struct PageView {
  bool optionsEnabled = true;  // chkIntCache, chkIntCookies, chkRecent, chkIntHistory
  bool backupEnabled = true;   // tbtBackup
  std::string title;
  std::string description;
  bool commandsShown = true;
  bool refreshShown = false;
  bool findShown = true;
  bool deleteShown = true;
  std::string deleteCaption;
  bool applyGlyph = false;        // Delete shows the apply glyph (the tweaks page), else the delete glyph
  bool headerShown = true;        // pnlBottom
  bool tweakHeaderShown = false;  // fpnlTweakLabel
};

inline constexpr std::string_view kDeleteCaption = "Delete         ";
inline constexpr std::string_view kUninstallCaption = "Uninstall      ";
inline constexpr std::string_view kApplyCaption = "Apply          ";

[[nodiscard]] std::span<const MonitorRow> MonitorRows();
[[nodiscard]] const MonitorRow* FindMonitorRow(std::string_view sender);

// btnMonitorClick: re-enables the option boxes and the secure button, then applies the row
// of `sender` when there is one. Returns that row (null for a sender without a row, such as
// Find and Delete themselves); the caller brings the result panel forward when it says so.
const MonitorRow* ApplyMonitorClick(PageView& view, std::string_view sender);

}  // namespace sw::app
