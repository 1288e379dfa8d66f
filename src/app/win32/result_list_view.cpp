#include "app/win32/result_list_view.h"

#include <commctrl.h>

#include "app/win32/window.h"

namespace sw::app::win32 {

void ResultListView::Attach(HWND list) {
  list_ = list;
  SetWindowLongW(list, GWL_STYLE, GetWindowLongW(list, GWL_STYLE) & ~WS_BORDER);
  SetWindowLongW(list, GWL_EXSTYLE, GetWindowLongW(list, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                                              LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT | LVS_EX_DOUBLEBUFFER);
  SetWindowSubclass(list, &ResultListView::Subclass, 1, reinterpret_cast<DWORD_PTR>(this));
  SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void ResultListView::Insert(std::size_t index, const ResultRow& row) {
  filling_ = true;
  std::wstring caption = Wide(row.columns[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = static_cast<int>(index);
  item.pszText = caption.data();
  item.iImage = row.image;
  const int at = ListView_InsertItem(list_, &item);
  for (int column = 1; column < 4; ++column) {
    std::wstring text = Wide(row.columns[static_cast<std::size_t>(column)]);
    ListView_SetItemText(list_, at, column, text.data());
  }
  ListView_SetCheckState(list_, at, row.checked ? TRUE : FALSE);
  filling_ = false;
}

void ResultListView::Add(const ResultRow& row) {
  rows_.push_back(row);
  Insert(rows_.size() - 1, row);
}

void ResultListView::Clear() {
  rows_.clear();
  filling_ = true;
  ListView_DeleteAllItems(list_);
  filling_ = false;
}

void ResultListView::Refill() {
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  filling_ = true;
  ListView_DeleteAllItems(list_);
  filling_ = false;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    Insert(i, rows_[i]);
  }
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void ResultListView::CheckAll() {
  for (ResultRow& row : rows_) {
    row.checked = true;
  }
  filling_ = true;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    ListView_SetCheckState(list_, static_cast<int>(i), TRUE);
  }
  filling_ = false;
}

void ResultListView::ShowChecks(const std::vector<std::size_t>& indexes) {
  filling_ = true;
  for (const std::size_t i : indexes) {
    if (i < rows_.size()) {
      ListView_SetCheckState(list_, static_cast<int>(i), rows_[i].checked ? TRUE : FALSE);
    }
  }
  filling_ = false;
}

std::vector<std::size_t> ResultListView::SelectedRows() const {
  std::vector<std::size_t> selected;
  int index = -1;
  while ((index = ListView_GetNextItem(list_, index, LVNI_SELECTED)) >= 0) {
    selected.push_back(static_cast<std::size_t>(index));
  }
  return selected;
}

void ResultListView::OnItemChanged(const NMLISTVIEW& change) {
  if (filling_ || (change.uChanged & LVIF_STATE) == 0 || change.iItem < 0 ||
      static_cast<std::size_t>(change.iItem) >= rows_.size() ||
      ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0) {
    return;
  }
  rows_[static_cast<std::size_t>(change.iItem)].checked = ListView_GetCheckState(list_, change.iItem) != FALSE;
}

// The horizontal scroll bar is taken away each time the control works out its frame, and the
// mouse entering and leaving the control is reported.
LRESULT CALLBACK ResultListView::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
  auto& view = *reinterpret_cast<ResultListView*>(self);
  switch (message) {
    case WM_NCCALCSIZE:
      SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) & ~WS_HSCROLL);
      break;
    case WM_MOUSEMOVE: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      if (!view.mouseInside_) {
        view.mouseInside_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        if (view.onMouseEnter) {
          view.onMouseEnter();
        }
      }
      return result;
    }
    case WM_MOUSELEAVE: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      view.mouseInside_ = false;
      if (view.onMouseLeave) {
        view.onMouseLeave();
      }
      return result;
    }
    case WM_GETDLGCODE:
      if (lParam != 0 && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
          reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) {
        return DLGC_WANTMESSAGE;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r') {
        if (view.onEnter) {
          view.onEnter();
        }
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, &ResultListView::Subclass, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace sw::app::win32
