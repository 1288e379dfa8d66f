#pragma once
// PieChart1 on the screen: paints what its TPieChart model gives (off-screen first, then
// copied in one step, so that it never flickers) and passes the mouse on to the model,
// raising its events when the model says so.

#include <windows.h>

#include <functional>

#include "app/win32/gdi.h"
#include "app/win32/window.h"
#include "sysinfo/pie_chart.h"

namespace sw::app::win32 {

inline constexpr const wchar_t* kPieChartClass = L"SweepwisePieChart";

class PieChartView : public Window {
 public:
  explicit PieChartView(sysinfo::TPieChart& model) : model_(model) {}

  bool Create(HWND parent, UINT dpi);
  // The chart font, Arial at 9 pixels (at 96 dpi), made again for another DPI.
  void SetDpi(UINT dpi);
  // The model's items changed: paint again.
  void Refresh();
  // While a chart is measured the pointer over the chart is the hourglass.
  void SetBusy(bool busy) { busy_ = busy; }

  // The chart's events: a double-click or right-click on a slice, any mouse move.
  std::function<void()> OnDblClick;
  std::function<void()> OnRightClick;
  std::function<void()> OnMouseMove;

  // Draws the whole chart on `dc` at the control's size.
  void Paint(HDC dc) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void DrawChart(HDC dc, int width, int height) const;
  void Raise(const std::function<void()>& event) const;

  sysinfo::TPieChart& model_;
  UniqueGdiObject font_;
  bool busy_ = false;
};

}  // namespace sw::app::win32
