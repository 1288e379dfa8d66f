#pragma once
// For the benchmarks that start sweepwise.exe: a precise clock and the window of a resident
// instance.

#include <windows.h>

#include "app/command_ids.h"

namespace sw::bench {

// Seconds on the performance counter.
inline double Now() {
  LARGE_INTEGER counter{};
  LARGE_INTEGER frequency{};
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The main window of process `processId` once its start is over and it waits in the tray;
// null before.
inline HWND ResidentWindowOf(DWORD processId) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, app::kMainWindowClass, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && GetPropW(window, app::kResidentProperty) != nullptr) {
      return window;
    }
  }
  return nullptr;
}

}  // namespace sw::bench
