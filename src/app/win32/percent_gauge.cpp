#include "app/win32/percent_gauge.h"

#include <commctrl.h>

#include <string>
#include <tuple>

#include "app/win32/gdi.h"
#include "app/win32/window.h"

namespace sw::app::win32 {
namespace {

constexpr COLORREF kFilled = RGB(46, 110, 190);
constexpr COLORREF kEmpty = RGB(255, 255, 255);
constexpr COLORREF kFrame = RGB(128, 128, 128);
// A progress bar keeps no font of its own; the gauge keeps the window's in this property.
constexpr const wchar_t* kFontProperty = L"Sweepwise.GaugeFont";

// The text is drawn twice, clipped to each part, so it reads white on the filled part and
// black on the empty one wherever the edge falls.
void Paint(HWND bar, HDC dc) {
  RECT client{};
  GetClientRect(bar, &client);
  PBRANGE range{};
  SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  const int span = range.iHigh - range.iLow;
  const int percent = span > 0 ? MulDiv(position - range.iLow, 100, span) : 0;
  RECT inner = client;
  InflateRect(&inner, -1, -1);
  RECT filled = inner;
  filled.right = inner.left + MulDiv(inner.right - inner.left, percent, 100);
  RECT empty = inner;
  empty.left = filled.right;

  const std::wstring text = std::to_wstring(percent) + L"%";
  HANDLE font = GetPropW(bar, kFontProperty);
  const ScopedSelect selectedFont(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  for (const auto& [part, fill, ink] : {std::tuple{filled, kFilled, kEmpty}, std::tuple{empty, kEmpty, RGB(0, 0, 0)}}) {
    UniqueGdiObject brush(CreateSolidBrush(fill));
    FillRect(dc, &part, static_cast<HBRUSH>(brush.get()));
    SetTextColor(dc, ink);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
    RECT textBox = inner;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RestoreDC(dc, saved);
  }
  UniqueGdiObject frame(CreateSolidBrush(kFrame));
  FrameRect(dc, &client, static_cast<HBRUSH>(frame.get()));
}

LRESULT CALLBACK Subclass(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_PAINT: return PaintWindow(bar, [bar](HDC dc) { Paint(bar, dc); });
    case WM_PRINTCLIENT: Paint(bar, reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
      SetPropW(bar, kFontProperty, reinterpret_cast<HANDLE>(wParam));
      if (LOWORD(lParam) != 0) {
        InvalidateRect(bar, nullptr, FALSE);
      }
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(GetPropW(bar, kFontProperty));
    case WM_NCDESTROY:
      RemovePropW(bar, kFontProperty);
      RemoveWindowSubclass(bar, &Subclass, 1);
      break;
    default: break;
  }
  return DefSubclassProc(bar, message, wParam, lParam);
}

}  // namespace

void MakePercentGauge(HWND bar) {
  SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  SetWindowSubclass(bar, &Subclass, 1, 0);
}

}  // namespace sw::app::win32
