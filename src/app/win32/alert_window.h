#pragma once
// TfrmAlert: the free-memory alert, a small borderless window that stays on top beside the
// taskbar, inside the work area of the taskbar's monitor, and goes by itself after ten
// seconds.

#include <windows.h>

#include <string>

#include "app/win32/gdi.h"
#include "online/popup_placement.h"
#include "app/win32/window.h"

namespace sw::app::win32 {

inline constexpr const wchar_t* kAlertWindowClass = L"TfrmAlert";
inline constexpr UINT kAlertLifetime = 10000;

// The monitor of the taskbar and its work area, as the alert is placed on them.
struct TaskbarMonitor {
  online::ScreenRect monitor;
  online::ScreenRect workArea;
};
TaskbarMonitor TaskbarMonitorNow();

class AlertWindow : public Window {
 public:
  AlertWindow() = default;

  // Shows the alert with `text` (FlatPanel1) in front, without taking the focus from what
  // the user is doing; it releases its window `lifetime` ms later.
  bool Create(std::string_view text, UINT lifetime = kAlertLifetime);

  [[nodiscard]] const std::wstring& text() const { return text_; }
  // The window is gone: its time was up (or it was closed).
  [[nodiscard]] bool closed() const { return closed_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc) const;

  std::wstring text_;
  UniqueGdiObject font_;
  bool closed_ = false;
};

}  // namespace sw::app::win32
