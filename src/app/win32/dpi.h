#pragma once
// Scaling in one place. Layout is written in 96-dpi pixels and scaled by the window's DPI;
// SWEEPWISE_DPI_SCALE (a percentage such as 150) forces a scale, so that a test or a
// screenshot sees the 150 % layout on a 96-dpi display.

#include <windows.h>

namespace sw::app::win32 {

// The window's DPI (the system's before Windows 10), or the forced scale.
[[nodiscard]] UINT DpiOf(HWND window);
[[nodiscard]] int Scale(int pixels96, UINT dpi);

// The message font of the system at `dpi`; the caller owns the font.
[[nodiscard]] HFONT CreateMessageFont(UINT dpi, int weight = FW_NORMAL, int heightPercent = 100);

}  // namespace sw::app::win32
