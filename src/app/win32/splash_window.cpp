#include "app/win32/splash_window.h"

#include "app/win32/dpi.h"
#include "app/win32/gdi.h"
#include "app/win32/resource_ids.h"
#include "core/product.h"

namespace sw::app::win32 {
namespace {

constexpr const wchar_t* kSplashClass = L"TfrmSplash";
constexpr int kSplashSize = 256;

}  // namespace

bool SplashWindow::Create() {
  RegisterClassOnce(kSplashClass, nullptr);
  const int size = Scale(kSplashSize, DpiOf(nullptr));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - size) / 2;
  const int top = work.top + (work.bottom - work.top - size) / 2;
  return CreateWindowFor(kSplashClass, L"", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                         RECT{left, top, left + size, top + size}, nullptr);
}

void SplashWindow::Show() {
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd());
}

LRESULT SplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    return PaintWindow(hwnd(), [this](HDC dc) { Paint(dc); });
  }
  if (message == WM_ERASEBKGND) {
    return 1;
  }
  return DefaultHandling(message, wParam, lParam);
}

// The picture: a vertical blue gradient, the program's icon large, and the product's name.
void SplashWindow::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  TRIVERTEX corners[2] = {{0, 0, 0x1800, 0x4800, 0x9000, 0}, {client.right, client.bottom, 0x6000, 0xB000, 0xF000, 0}};
  GRADIENT_RECT span{0, 1};
  GradientFill(dc, corners, 2, &span, 1, GRADIENT_FILL_RECT_V);

  const UINT dpi = DpiOf(hwnd());
  const int iconSize = Scale(96, dpi);
  UniqueIcon icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconApplication), IMAGE_ICON, iconSize, iconSize, 0)));
  if (icon) {
    DrawIconEx(dc, (client.right - iconSize) / 2, Scale(48, dpi), icon.get(), iconSize, iconSize, 0, nullptr,
               DI_NORMAL);
  }
  UniqueGdiObject font(CreateMessageFont(dpi, FW_BOLD, 160));
  ScopedSelect selected(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT text{0, Scale(170, dpi), client.right, client.bottom};
  const std::wstring name = Wide(kProductName);
  DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text, DT_CENTER | DT_TOP | DT_SINGLELINE);
  FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

}  // namespace sw::app::win32
