#include "app/win32/more_places_options.h"

#include <commctrl.h>

#include <algorithm>

#include "app/win32/control_place.h"
#include "app/win32/dpi.h"
#include "app/win32/result_list_view.h"
#include "app/win32/window.h"

namespace sw::app::win32 {
namespace {

constexpr std::string_view kHint =
    "Also search these places (Windows Vista and later). Uncheck a place to leave it out.";

}  // namespace

void MorePlacesOptions::Create(PageHost& host, HWND parent) {
  host_ = &host;
  group_ = host.AddControl("GroupBox3", WC_BUTTONW, "More places", BS_GROUPBOX, parent);
  list_ = host.AddControl("lvMorePlaces", WC_LISTVIEWW, "",
                          LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, parent);
  SetWindowLongW(list_, GWL_EXSTYLE, GetWindowLongW(list_, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  ListView_SetBkColor(list_, GetSysColor(COLOR_WINDOW));
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = Scale(150, host.Dpi());
  ListView_InsertColumn(list_, 0, &column);
  for (const files::CategoryInfo& info : files::JunkCategories()) {
    if (info.offered != files::CategoryOption::kMorePlaces) {
      continue;
    }
    std::wstring caption = Wide(info.option);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(categories_.size());
    item.pszText = caption.data();
    ListView_InsertItem(list_, &item);
    ListView_SetCheckState(list_, item.iItem, TRUE);
    categories_.push_back(info.category);
  }
  OnDpiChanged();
  host.SetHint("lvMorePlaces", kHint);
  host.AddHint("lvMorePlaces");
  // Below the list in the z-order, the group's frame cannot hide it.
  SetWindowPos(group_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MorePlacesOptions::OnDpiChanged() {
  // The check boxes as large as those of the result list at this DPI; the states are kept.
  std::vector<bool> checked;
  for (int i = 0; i < static_cast<int>(categories_.size()); ++i) {
    checked.push_back(ListView_GetCheckState(list_, i) != FALSE);
  }
  checkBoxes_ = MakeCheckBoxes(Scale(14, host_->Dpi()));
  ListView_SetImageList(list_, checkBoxes_.get(), LVSIL_STATE);
  for (int i = 0; i < static_cast<int>(checked.size()); ++i) {
    ListView_SetCheckState(list_, i, checked[static_cast<std::size_t>(i)] ? TRUE : FALSE);
  }
}

void MorePlacesOptions::Layout(int top, int width, int bottom) {
  const UINT dpi = host_->Dpi();
  const int height = bottom - top;
  Place(group_, 0, top, width, height);
  const int inner = width - Scale(20, dpi);
  Place(list_, Scale(10, dpi), top + Scale(20, dpi), inner, height - Scale(28, dpi));
  ListView_SetColumnWidth(list_, 0, std::max(0, inner - GetSystemMetrics(SM_CXVSCROLL)));
}

void MorePlacesOptions::Enable(bool enable) {
  EnableWindow(list_, enable ? TRUE : FALSE);
  // A disabled list view keeps drawing its items as before; grey text shows, as on the
  // option boxes above it, that the choice does not apply to this page.
  ListView_SetTextColor(list_, GetSysColor(enable ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  InvalidateRect(list_, nullptr, TRUE);
}

int MorePlacesOptions::IndexOf(files::JunkCategory category) const {
  const auto it = std::find(categories_.begin(), categories_.end(), category);
  return it == categories_.end() ? -1 : static_cast<int>(it - categories_.begin());
}

bool MorePlacesOptions::IsChecked(files::JunkCategory category) const {
  const int index = IndexOf(category);
  return index >= 0 && ListView_GetCheckState(list_, index) != FALSE;
}

void MorePlacesOptions::SetChecked(files::JunkCategory category, bool checked) {
  if (const int index = IndexOf(category); index >= 0) {
    ListView_SetCheckState(list_, index, checked ? TRUE : FALSE);
  }
}

void MorePlacesOptions::ApplyTo(files::CategorySet& categories) const {
  for (const files::JunkCategory category : categories_) {
    if (!IsChecked(category)) {
      categories.Set(category, false);
    }
  }
}

}  // namespace sw::app::win32
