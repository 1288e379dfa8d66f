#pragma once
// The gauges of the statistics pages (Gauge1, gauFreeMemBefore, ...): a progress bar, 0 to
// 100, that writes its percentage across itself.

#include <windows.h>

namespace sw::app::win32 {

// Makes the progress bar `bar` paint itself as a gauge with its percentage.
void MakePercentGauge(HWND bar);

}  // namespace sw::app::win32
