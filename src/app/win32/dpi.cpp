#include "app/win32/dpi.h"

#include <cstdlib>

namespace sw::app::win32 {
namespace {

UINT ForcedDpi() {
  static const UINT forced = [] {
    const char* scale = std::getenv("SWEEPWISE_DPI_SCALE");
    const int percent = scale != nullptr ? std::atoi(scale) : 0;
    return percent >= 50 && percent <= 500 ? static_cast<UINT>(percent * USER_DEFAULT_SCREEN_DPI / 100) : 0U;
  }();
  return forced;
}

// GetDpiForWindow exists from Windows 10 on; it is looked up so that the program still
// starts on Windows 7.
UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow != nullptr && window != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi != 0) {
      return dpi;
    }
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

UINT DpiOf(HWND window) {
  const UINT forced = ForcedDpi();
  return forced != 0 ? forced : WindowDpi(window);
}

int Scale(int pixels96, UINT dpi) {
  return MulDiv(pixels96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

HFONT CreateMessageFont(UINT dpi, int weight, int heightPercent) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  // The system metrics are in the system's DPI; the window may sit on a monitor with another.
  const int systemDpi = static_cast<int>(WindowDpi(nullptr));
  font.lfHeight = MulDiv(MulDiv(font.lfHeight, static_cast<int>(dpi), systemDpi), heightPercent, 100);
  font.lfWeight = weight;
  return CreateFontIndirectW(&font);
}

}  // namespace sw::app::win32
