#pragma once
// The toolbar's pictures, drawn by the program itself at the size the DPI asks for, so they
// stay sharp at any scale.

#include <windows.h>

#include "app/win32/gdi.h"

namespace sw::app::win32 {

enum class ToolbarGlyph {
  kFiles,        // a waste bin
  kRegistry,     // stacked blocks
  kMemory,       // a memory module
  kSoftware,     // a package
  kAdvanced,     // sliders
  kResources,    // a processor
  kFolders,      // a pie chart
  kInformation,  // "i" in a circle
  kHelp,         // "?" in a circle
  kSupport,      // a globe
  kRestore,      // a turning arrow
  kBackup,       // a shield
};
inline constexpr int kToolbarGlyphCount = 12;

// An image list with every glyph in the order above, each `size` pixels square.
[[nodiscard]] UniqueImageList CreateToolbarImages(int size);

}  // namespace sw::app::win32
