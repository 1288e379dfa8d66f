#include "app/win32/gradient_progress.h"

#include <commctrl.h>

#include "app/win32/window.h"

namespace sw::app::win32 {
namespace {

constexpr COLORREF kStart = RGB(120, 180, 240);
constexpr COLORREF kEnd = RGB(20, 80, 170);

void Paint(HWND bar, HDC dc) {
  RECT client{};
  GetClientRect(bar, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PBRANGE range{};
  SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  const int span = range.iHigh - range.iLow;
  if (span > 0 && position > range.iLow) {
    const int filled = MulDiv(client.right - 2, position - range.iLow, span);
    TRIVERTEX corners[2] = {
        {1, 1, static_cast<COLOR16>(GetRValue(kStart) << 8), static_cast<COLOR16>(GetGValue(kStart) << 8),
         static_cast<COLOR16>(GetBValue(kStart) << 8), 0},
        {1 + filled, client.bottom - 1, static_cast<COLOR16>(GetRValue(kEnd) << 8),
         static_cast<COLOR16>(GetGValue(kEnd) << 8), static_cast<COLOR16>(GetBValue(kEnd) << 8), 0}};
    GRADIENT_RECT whole{0, 1};
    GradientFill(dc, corners, 2, &whole, 1, GRADIENT_FILL_RECT_H);
  }
  FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

LRESULT CALLBACK Subclass(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_PAINT: return PaintWindow(bar, [bar](HDC dc) { Paint(bar, dc); });
    case WM_ERASEBKGND: return 1;
    case WM_NCDESTROY: RemoveWindowSubclass(bar, &Subclass, 1); break;
    default: break;
  }
  return DefSubclassProc(bar, message, wParam, lParam);
}

}  // namespace

void MakeGradientProgress(HWND bar) {
  SetWindowSubclass(bar, &Subclass, 1, 0);
}

}  // namespace sw::app::win32
