#pragma once
// Progressbar1: a progress bar that draws its filled part as a horizontal gradient.

#include <windows.h>

namespace sw::app::win32 {

// Makes the progress bar `bar` paint itself as a gradient from left to right.
void MakeGradientProgress(HWND bar);

}  // namespace sw::app::win32
