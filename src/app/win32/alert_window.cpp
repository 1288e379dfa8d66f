#include "app/win32/alert_window.h"

#include "app/system_tabs.h"
#include "app/win32/dpi.h"

namespace sw::app::win32 {
namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr COLORREF kPanelColour = RGB(255, 255, 225);
constexpr COLORREF kFrameColour = RGB(96, 96, 96);

online::ScreenRect RectOf(const RECT& rect) {
  return online::ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

// The monitor the taskbar is on; the primary one when there is no taskbar (a session
// without a shell).
TaskbarMonitor TaskbarMonitorNow() {
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  HMONITOR monitor = taskbar != nullptr ? MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                                        : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return TaskbarMonitor{RectOf(work), RectOf(work)};
  }
  return TaskbarMonitor{RectOf(info.rcMonitor), RectOf(info.rcWork)};
}

bool AlertWindow::Create(std::string_view text, UINT lifetime) {
  text_ = Wide(text);
  RegisterClassOnce(kAlertWindowClass, nullptr);
  const UINT dpi = DpiOf(nullptr);
  const TaskbarMonitor taskbar = TaskbarMonitorNow();
  const online::ScreenRect place = AlertPlace(taskbar.monitor, taskbar.workArea, Scale(150, dpi), Scale(30, dpi));
  if (!CreateWindowFor(kAlertWindowClass, L"", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                       RECT{place.left, place.top, place.right, place.bottom}, nullptr)) {
    return false;
  }
  font_.reset(CreateFontW(-Scale(12, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                          CLEARTYPE_QUALITY, 0, L"Arial"));
  SetTimer(hwnd(), kLifetimeTimer, lifetime, nullptr);
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

LRESULT AlertWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: return PaintWindow(hwnd(), [this](HDC dc) { Paint(dc); });
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_TIMER:
      if (wParam == kLifetimeTimer) {
        // Released once the messages already queued for it are handled.
        KillTimer(hwnd(), kLifetimeTimer);
        PostMessageW(hwnd(), WM_CLOSE, 0, 0);
      }
      return 0;
    case WM_NCDESTROY: closed_ = true; break;
    default: break;
  }
  return DefaultHandling(message, wParam, lParam);
}

// FlatPanel1: the text centred in bold Arial on a flat panel with a thin frame.
void AlertWindow::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  UniqueGdiObject fill(CreateSolidBrush(kPanelColour));
  FillRect(dc, &client, static_cast<HBRUSH>(fill.get()));
  UniqueGdiObject frame(CreateSolidBrush(kFrameColour));
  FrameRect(dc, &client, static_cast<HBRUSH>(frame.get()));
  const ScopedSelect font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace sw::app::win32
