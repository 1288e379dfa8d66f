#pragma once
// Puts a page's child control at its place in the parent's client pixels. A window made
// smaller than the layout wants gives negative sizes, which become zero.

#include <windows.h>

#include <algorithm>

namespace sw::app::win32 {

inline void Place(HWND control, int left, int top, int width, int height) {
  SetWindowPos(control, nullptr, left, top, std::max(0, width), std::max(0, height), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace sw::app::win32
