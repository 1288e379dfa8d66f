#pragma once
// The fixed English texts and list layout of the Advanced page.

#include <string>
#include <string_view>

#include "core/product.h"

namespace sw::tweaks {

// The Delete button on this page: its caption (the word and ten blanks, room for the glyph)
// and the hint it shares with Find.
inline constexpr std::string_view kApplyCaption = "Apply          ";
inline constexpr std::string_view kApplyHint = "Apply advanced tasks selected above";
inline std::string RestoreHint() {
  return "Restore all tasks performed to previous states before installing " + std::string(kProductName);
}

// Without administrator rights from Vista on, a tweak that needs them is listed with this note
// after its description, and Apply leaves it out with one message that ends with the way to
// get the rights: the window's advice, or the command line's.
inline constexpr std::string_view kNeedsRightsNote =
    " (Needs administrator rights, which Sweepwise does not have now: Apply leaves it out.)";
inline constexpr std::string_view kRestartAsAdministratorAdvice =
    "Choose \"Restart as administrator\" in the menu of the tray icon or in the Information menu, then try again.";

// The legend under the title: lblRedBox, lblYellowBox, lblGreenBox.
inline constexpr std::string_view kRedLegend = "Applying red colored entries may give unwanted results.";
inline constexpr std::string_view kYellowLegend = "Applying yellow colored entries needs caution";
inline constexpr std::string_view kGreenLegend = "Applying green colored entries is almost safe";

struct ColumnLayout {
  std::string_view heading;
  int width = 0;  // pixels at 96 DPI; -1: as wide as the list allows
};

// lvAdvanced1: the title, and two hidden columns the rows carry.
inline constexpr ColumnLayout kTweakColumns[] = {{"Description", -1}, {"Category", 0}, {"Category", 0}};
inline constexpr ColumnLayout kAppliedTaskColumns[] = {{"Description  (Regular Tasks are not listed)", 350},
                                                       {"Category", 140}};

// The description note appears this far right of and below the mouse pointer.
inline constexpr int kTooltipOffset = 10;

}  // namespace sw::tweaks
