#include "app/win32/result_list_view.h"

#include <algorithm>

#include "app/result_list.h"
#include "app/win32/window.h"

namespace sw::app::win32 {

UniqueImageList MakeCheckBoxes(int size) {
  UniqueImageList images(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 2, 0));
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  for (const UINT state : {0U, static_cast<UINT>(DFCS_CHECKED)}) {
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, size, size));
    {
      ScopedSelect selected(dc, bitmap.get());
      RECT box{0, 0, size, size};
      SetBkColor(dc, RGB(255, 0, 255));
      ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
      InflateRect(&box, -1, -1);
      DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | state);
    }
    ImageList_AddMasked(images.get(), static_cast<HBITMAP>(bitmap.get()), RGB(255, 0, 255));
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return images;
}

void ResultListView::Attach(HWND list, int checkBoxSize) {
  list_ = list;
  SetWindowLongW(list, GWL_STYLE, GetWindowLongW(list, GWL_STYLE) & ~WS_BORDER);
  SetWindowLongW(list, GWL_EXSTYLE, GetWindowLongW(list, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE |
                                              LVS_EX_UNDERLINEHOT | LVS_EX_DOUBLEBUFFER);
  SetCheckBoxSize(checkBoxSize);
  ListView_SetCallbackMask(list, LVIS_STATEIMAGEMASK);
  SetWindowSubclass(list, &ResultListView::Subclass, 1, reinterpret_cast<DWORD_PTR>(this));
  SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void ResultListView::SetCheckBoxSize(int size) {
  checkBoxes_ = MakeCheckBoxes(size);
  ListView_SetImageList(list_, checkBoxes_.get(), LVSIL_STATE);
}

void ResultListView::Add(const ResultRow& row) {
  rows_.push_back(row);
}

void ResultListView::ShowAdded() {
  if (static_cast<std::size_t>(ListView_GetItemCount(list_)) != rows_.size()) {
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  }
}

namespace {

// The control's timer that lets go of the rows of a cleared list, a share at each tick.
constexpr UINT_PTR kReleaseTimer = 1;
constexpr UINT kReleaseTickMs = 10;
constexpr std::size_t kRowsReleasedPerTick = 4096;

}  // namespace

// A million rows hold several million strings, and freeing them at once held the window's
// thread for about a second under the Windows heap, at the start of the next Find: the rows
// are set aside and let go a few thousand at a time while the window goes on.
void ResultListView::Clear() {
  for (std::vector<ResultRow>& block : rows_.TakeBlocks()) {
    Retire(std::move(block));
  }
  Refill();
}

bool ResultListView::SettleSome(std::size_t count) {
  std::vector<ResultRow> spent;
  const bool settled = rows_.SettleSome(count, spent);
  Retire(std::move(spent));
  return settled;
}

void ResultListView::Retire(std::vector<ResultRow>&& block) {
  if (!block.empty()) {
    retired_.push_back(std::move(block));
    SetTimer(list_, kReleaseTimer, kReleaseTickMs, nullptr);
  }
}

std::size_t ResultListView::retiredRows() const {
  std::size_t count = 0;
  for (const std::vector<ResultRow>& block : retired_) {
    count += block.size();
  }
  return count;
}

void ResultListView::ReleaseRetiredRows() {
  if (!retired_.empty()) {
    std::vector<ResultRow>& block = retired_.back();
    block.erase(block.end() - static_cast<std::ptrdiff_t>(std::min(block.size(), kRowsReleasedPerTick)), block.end());
    if (block.empty()) {
      retired_.pop_back();
    }
  }
  if (retired_.empty()) {
    KillTimer(list_, kReleaseTimer);
  }
}

void ResultListView::Refill() {
  ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void ResultListView::CheckAll() {
  for (ResultRow& row : rows()) {
    row.checked = true;
  }
  InvalidateRect(list_, nullptr, FALSE);
}

void ResultListView::ShowChecks(const std::vector<std::size_t>& indexes) {
  for (const std::size_t i : indexes) {
    ListView_RedrawItems(list_, static_cast<int>(i), static_cast<int>(i));
  }
}

// Asking the control for the next selected row looks at every row up to it, so the search
// ends as soon as it has found as many as the control counts, and one selected row (the
// usual case) is found where the focus or the selection mark is.
std::vector<std::size_t> ResultListView::SelectedRows() const {
  if (const int only = OnlySelectedRow(); only >= 0) {
    return {static_cast<std::size_t>(only)};
  }
  const int count = ListView_GetSelectedCount(list_);
  std::vector<std::size_t> selected;
  int index = -1;
  while (static_cast<int>(selected.size()) < count &&
         (index = ListView_GetNextItem(list_, index, LVNI_SELECTED)) >= 0) {
    selected.push_back(static_cast<std::size_t>(index));
  }
  return selected;
}

int ResultListView::OnlySelectedRow() const {
  if (ListView_GetSelectedCount(list_) != 1) {
    return -1;
  }
  for (const int row : {ListView_GetNextItem(list_, -1, LVNI_FOCUSED), ListView_GetSelectionMark(list_)}) {
    if (row >= 0 && ListView_GetItemState(list_, row, LVIS_SELECTED) != 0) {
      return row;
    }
  }
  return -1;
}

namespace {

// The keys with which the control moves the selection to one row (the space bar selects the
// focused row), when neither Shift nor Ctrl widens or keeps the selection.
bool ReplacesSelection(WPARAM key) {
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_SPACE: return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0;
    default: return false;
  }
}

}  // namespace

// Wine's control, to put the selection on one row of a virtual list, first deselects every
// row, one call per row whether selected or not: at a million rows each key and click held
// the window for almost half a second. With no row selected it skips that. So the one
// selected row is deselected here first; a key that moves nowhere (Page Down on the last
// row) selects nothing, and then that row is selected again. Windows' control ends with the
// same selection either way.
LRESULT ResultListView::ReplaceSelection(UINT message, WPARAM wParam, LPARAM lParam) {
  const int only = OnlySelectedRow();
  if (only >= 0) {
    ListView_SetItemState(list_, only, 0, LVIS_SELECTED);
  }
  const LRESULT result = DefSubclassProc(list_, message, wParam, lParam);
  if (only >= 0 && message == WM_KEYDOWN && ListView_GetSelectedCount(list_) == 0) {
    ListView_SetItemState(list_, only, LVIS_SELECTED, LVIS_SELECTED);
  }
  return result;
}

void ResultListView::OnGetDispInfo(NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows_.size()) {
    return;
  }
  const ResultRow& row = rows_[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_TEXT) != 0 && item.iSubItem >= 0 && item.iSubItem < kResultListColumns && item.cchTextMax > 0) {
    text_ = Wide(row.Column(static_cast<std::size_t>(item.iSubItem)));
    const std::size_t length = std::min(text_.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::copy_n(text_.c_str(), length, item.pszText);
    item.pszText[length] = L'\0';
  }
  if ((item.mask & LVIF_IMAGE) != 0) {
    item.iImage = row.image;
  }
  if ((item.mask & LVIF_STATE) != 0) {
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(row.checked ? 2U : 1U);
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
}

// A click on a row's check box turns it over.
void ResultListView::OnClick(const NMITEMACTIVATE& click) {
  LVHITTESTINFO hit{};
  hit.pt = click.ptAction;
  if (ListView_SubItemHitTest(list_, &hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0 && hit.iSubItem == 0) {
    Toggle({static_cast<std::size_t>(hit.iItem)});
  }
}

// Flips the first row and gives the others its new state, as Enter does.
void ResultListView::Toggle(const std::vector<std::size_t>& indexes) {
  if (locked_) {
    return;
  }
  ApplyEnterKey(rows(), indexes);
  ShowChecks(indexes);
}

// The horizontal scroll bar is taken away each time the control works out its frame; the
// mouse entering and leaving the control is reported; Enter and the space bar turn the
// checks of the selected rows over; keys and clicks that select one row empty the selection
// first.
LRESULT CALLBACK ResultListView::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
  auto& view = *reinterpret_cast<ResultListView*>(self);
  switch (message) {
    case WM_NCCALCSIZE: SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) & ~WS_HSCROLL); break;
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
    case WM_KEYDOWN:
      if (ReplacesSelection(wParam)) {
        return view.ReplaceSelection(message, wParam, lParam);
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if ((wParam & (MK_SHIFT | MK_CONTROL)) == 0) {
        return view.ReplaceSelection(message, wParam, lParam);
      }
      break;
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
      if (wParam == L' ') {
        view.Toggle(view.SelectedRows());
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kReleaseTimer) {
        view.ReleaseRetiredRows();
        return 0;
      }
      break;
    case WM_NCDESTROY: RemoveWindowSubclass(window, &ResultListView::Subclass, 1); break;
    default: break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace sw::app::win32
