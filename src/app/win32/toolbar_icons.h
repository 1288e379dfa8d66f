#pragma once
// The toolbar's pictures, drawn by the program itself at the size the DPI asks for, so they
// stay sharp at any scale.

#include <windows.h>

#include <initializer_list>

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
  // The command buttons' pictures.
  kDelete,  // a red cross
  kApply,   // a green tick
  // ImageList1 of the lists: the risk of a tweak (green, yellow, red), which is also the
  // mark of a file (green) and of installed software (red), and a broken shortcut.
  kGreenMark,
  kYellowMark,
  kRedMark,
  kBrokenShortcut,
};
// An image list with the toolbar's glyphs (kFiles to kBackup), each `size` pixels square.
[[nodiscard]] UniqueImageList CreateToolbarImages(int size);
// An image list of the given glyphs, in that order.
[[nodiscard]] UniqueImageList CreateGlyphImages(int size, std::initializer_list<ToolbarGlyph> glyphs);
// ImageList1: kGreenMark, kYellowMark, kRedMark, kBrokenShortcut at indexes 0 to 3.
[[nodiscard]] UniqueImageList CreateListImages(int size);
// One glyph as an icon, for a button's picture.
[[nodiscard]] UniqueIcon CreateGlyphIcon(int size, ToolbarGlyph glyph);

}  // namespace sw::app::win32
