#pragma once
// The named child controls of a small fixed-size window (the update window, the sign-up
// dialog): made from a table of names, classes and places in 96-dpi pixels, and placed
// again at another DPI.

#include <windows.h>

#include <map>
#include <span>
#include <string>
#include <string_view>

namespace sw::app::win32 {

struct ChildControl {
  std::string_view name;
  const wchar_t* className;
  std::string_view text;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
  unsigned id;
  RECT place;  // left, top, right, bottom at 96 dpi
};

class ChildControls {
 public:
  // Makes every control of `table` in `parent`, in table order (which is the tab order).
  void Create(HWND parent, std::span<const ChildControl> table);
  // Places them at `dpi` and gives them `font`.
  void Place(UINT dpi, HFONT font) const;

  [[nodiscard]] HWND operator[](std::string_view name) const;

 private:
  std::span<const ChildControl> table_;
  std::map<std::string, HWND, std::less<>> controls_;
};

// The outer size of a window with `style` whose client area is `width` x `height` 96-dpi
// pixels at `dpi`, placed in the middle of the primary monitor's work area.
RECT CentredWindowRect(int width, int height, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace sw::app::win32
