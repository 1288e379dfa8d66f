#include "app/win32/panel.h"

namespace sw::app::win32 {
namespace {

constexpr const wchar_t* kPanelClass = L"SweepwisePanel";

}  // namespace

bool Panel::Create(HWND parent, COLORREF color, bool clipChildren) {
  color_ = color;
  brush_.reset(CreateSolidBrush(color));
  RegisterClassOnce(kPanelClass, nullptr);
  return CreateWindowFor(kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS | (clipChildren ? WS_CLIPCHILDREN : 0U),
                         WS_EX_CONTROLPARENT, RECT{0, 0, 10, 10}, parent);
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM: return SendMessageW(GetAncestor(hwnd(), GA_ROOT), message, wParam, lParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), color_);
      return reinterpret_cast<LRESULT>(brush_.get());
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: return PaintWindow(hwnd(), [this](HDC dc) { Paint(dc); });
    default: return DefaultHandling(message, wParam, lParam);
  }
}

void Panel::SetOutline(int cornerDiameter, COLORREF color) {
  cornerDiameter_ = cornerDiameter;
  outlineColor_ = color;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void Panel::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, static_cast<HBRUSH>(brush_.get()));
  if (cornerDiameter_ > 0) {
    UniqueGdiObject pen(CreatePen(PS_SOLID, 1, outlineColor_));
    ScopedSelect selectedPen(dc, pen.get());
    ScopedSelect noFill(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, client.left, client.top, client.right, client.bottom, cornerDiameter_, cornerDiameter_);
  }
}

}  // namespace sw::app::win32
