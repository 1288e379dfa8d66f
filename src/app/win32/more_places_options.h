#pragma once
// The Files page's further options, below its four check boxes: one checked line per place
// the Find also searches on current systems (the temporary folders, browser caches, crash
// dumps, error reports, thumbnails, the Recycle Bin, update downloads and programs' cleanup
// lists). A checkable list, so that eight lines fit the panel at any scale and scroll when
// the window is small.

#include <windows.h>

#include <vector>

#include "app/win32/gdi.h"
#include "app/win32/page_host.h"
#include "files/junk_categories.h"

namespace sw::app::win32 {

class MorePlacesOptions {
 public:
  // Makes the group box "GroupBox3" and the list "lvMorePlaces" on `parent`, every line
  // checked.
  void Create(PageHost& host, HWND parent);
  // Places the group at `top` of a column `width` wide, down to `bottom`.
  void Layout(int top, int width, int bottom);
  void Enable(bool enable);
  // The check boxes drawn anew at the window's DPI.
  void OnDpiChanged();

  // The categories of the checked lines taken into `categories`, the others left out of it.
  void ApplyTo(files::CategorySet& categories) const;
  [[nodiscard]] bool IsChecked(files::JunkCategory category) const;
  void SetChecked(files::JunkCategory category, bool checked);
  [[nodiscard]] const std::vector<files::JunkCategory>& categories() const { return categories_; }

 private:
  [[nodiscard]] int IndexOf(files::JunkCategory category) const;

  PageHost* host_ = nullptr;
  HWND group_ = nullptr;
  HWND list_ = nullptr;
  UniqueImageList checkBoxes_;
  std::vector<files::JunkCategory> categories_;  // the lines, in order
};

}  // namespace sw::app::win32
