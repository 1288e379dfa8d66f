#pragma once
// ApplyLanguage as data: which language text (or fixed English text) goes to which caption,
// hint, column heading or tab of the main window.

#include <span>
#include <string_view>

namespace sw::app {

enum class Slot {
  kCaption,  // the window text of a control, or a menu item's caption
  kHint,     // the tooltip of a control or toolbar button
  kColumn,   // heading `index` of a list view's column
  kTab,      // caption of tab `index` of a tab control
};

struct CaptionAssignment {
  std::string_view control;
  Slot slot;
  int index;               // column or tab number; 0 for the other slots
  int text;                // language text number, or -1 for `fixedText`
  std::string_view fixedText;
};

[[nodiscard]] std::span<const CaptionAssignment> CaptionAssignments();

// The text an assignment puts in place in `language` (empty where that table lacks it).
[[nodiscard]] std::string_view CaptionText(const CaptionAssignment& assignment, int language);

// The hint of tbtFolders, set once at start-up and never translated.
inline constexpr std::string_view kFoldersHint = "Folder statistics on your drives, usage reports shown as pie chart.";

}  // namespace sw::app
