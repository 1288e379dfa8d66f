#include "app/win32/child_controls.h"

#include "app/win32/dpi.h"
#include "app/win32/window.h"

namespace sw::app::win32 {

void ChildControls::Create(HWND parent, std::span<const ChildControl> table) {
  table_ = table;
  for (const ChildControl& control : table) {
    controls_[std::string(control.name)] = CreateWindowExW(
        0, control.className, Wide(control.text).c_str(), WS_CHILD | WS_VISIBLE | control.style, 0, 0, 10, 10, parent,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control.id)), GetModuleHandleW(nullptr), nullptr);
  }
}

void ChildControls::Place(UINT dpi, HFONT font) const {
  for (const ChildControl& control : table_) {
    HWND window = (*this)[control.name];
    const RECT& place = control.place;
    SetWindowPos(window, nullptr, Scale(place.left, dpi), Scale(place.top, dpi), Scale(place.right - place.left, dpi),
                 Scale(place.bottom - place.top, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

HWND ChildControls::operator[](std::string_view name) const {
  const auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second;
}

RECT CentredWindowRect(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
  RECT outer{0, 0, Scale(width, dpi), Scale(height, dpi)};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int outerWidth = outer.right - outer.left;
  const int outerHeight = outer.bottom - outer.top;
  const int left = work.left + (work.right - work.left - outerWidth) / 2;
  const int top = work.top + (work.bottom - work.top - outerHeight) / 2;
  return RECT{left, top, left + outerWidth, top + outerHeight};
}

}  // namespace sw::app::win32
