#pragma once
// A plain container window. Controls inside a panel send their notifications to it; the
// panel hands them on to the top-level window, where the handlers live.

#include "app/win32/gdi.h"
#include "app/win32/window.h"

namespace sw::app::win32 {

class Panel : public Window {
 public:
  // A child of `parent`, hidden until shown; `color` fills its background and that of the
  // labels and check boxes on it.
  // A panel that holds group boxes does not clip its children: its background must show
  // through them, as they paint only their frame.
  bool Create(HWND parent, COLORREF color, bool clipChildren = true);

  // A rounded outline along the panel's edge (its window region is rounded to match).
  void SetOutline(int cornerDiameter, COLORREF color);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc) const;

  COLORREF color_ = 0;
  UniqueGdiObject brush_;
  int cornerDiameter_ = 0;
  COLORREF outlineColor_ = 0;
};

}  // namespace sw::app::win32
