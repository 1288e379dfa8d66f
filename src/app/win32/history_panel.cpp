#include "app/win32/history_panel.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "app/command_ids.h"
#include "app/win32/control_place.h"
#include "app/win32/dpi.h"
#include "app/win32/window.h"
#include "undo/history_rows.h"
#include "undo/undo.h"

namespace sw::app::win32 {
namespace {

struct HistoryColumn {
  std::string_view heading;
  int width;  // pixels at 96 DPI
};
// Date, action, size and state, then what the entry says and who made it.
constexpr std::array<HistoryColumn, 6> kColumns{
    {{"Date", 130}, {"Action", 150}, {"Size", 110}, {"State", 80}, {"What", 330}, {"Made by", 180}}};
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 26;

}  // namespace

void HistoryPanel::Create(HWND parent) {
  list_ = host_.AddControl("lvHistory", WC_LISTVIEWW, "",
                           LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP, parent);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
  int index = 0;
  for (const HistoryColumn& column : kColumns) {
    std::wstring heading = Wide(column.heading);
    LVCOLUMNW item{};
    item.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    item.cx = Scale(column.width, host_.Dpi());
    item.pszText = heading.data();
    item.iSubItem = index;
    ListView_InsertColumn(list_, index++, &item);
  }
  undo_ = host_.AddControl("btnUndo", WC_BUTTONW, "Undo", BS_PUSHBUTTON | WS_TABSTOP, parent, kCmdUndo);
  host_.AddHint("btnUndo");
  host_.SetHint("btnUndo", "Take back the selected change: files to their folders, values as they were");
  Show(false);
}

void HistoryPanel::Layout(const RECT& area) {
  const int gap = Scale(6, host_.Dpi());
  const int buttonHeight = Scale(kButtonHeight, host_.Dpi());
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  Place(list_, area.left, area.top, width, height - buttonHeight - gap);
  Place(undo_, area.right - Scale(kButtonWidth, host_.Dpi()), area.bottom - buttonHeight,
        Scale(kButtonWidth, host_.Dpi()), buttonHeight);
}

void HistoryPanel::Show(bool shown) {
  shown_ = shown;
  ShowWindow(list_, shown ? SW_SHOW : SW_HIDE);
  ShowWindow(undo_, shown ? SW_SHOW : SW_HIDE);
  if (shown) {
    Refresh();
  }
}

void HistoryPanel::Refresh() {
  const int selected = SelectedRow();
  const int selectedId = selected >= 0 ? entries_[static_cast<std::size_t>(selected)].id : 0;
  history::HistoryLog log(host_.platform());
  auto entries = log.Read();
  entries_ = entries ? std::move(*entries) : std::vector<history::Entry>{};
  if (!entries) {
    host_.SetStatusText("The history could not be read.");
  }
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list_);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const ResultRow row = undo::HistoryRow(entries_[i], *host_.platform().system);
    const int at = static_cast<int>(i);
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
      std::wstring text = Wide(row.Column(column));
      if (column == 0) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = at;
        item.pszText = text.data();
        ListView_InsertItem(list_, &item);
      } else {
        ListView_SetItemText(list_, at, static_cast<int>(column), text.data());
      }
    }
    if (entries_[i].id == selectedId) {
      ListView_SetItemState(list_, at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
  }
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
  EnableUndo();
}

int HistoryPanel::SelectedRow() const {
  const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  return row >= 0 && static_cast<std::size_t>(row) < entries_.size() ? row : -1;
}

// Undo is offered for an entry that can be undone; the hint of one that cannot says why.
void HistoryPanel::EnableUndo() {
  const int row = SelectedRow();
  const std::string why = row >= 0 ? undo::WhyNotUndoable(entries_[static_cast<std::size_t>(row)]) : std::string();
  EnableWindow(undo_, row >= 0 && why.empty() ? TRUE : FALSE);
  if (row >= 0) {
    host_.SetStatusText(why.empty() ? entries_[static_cast<std::size_t>(row)].summary : "Cannot be undone: " + why);
  }
}

void HistoryPanel::btnUndoClick() {
  const int row = SelectedRow();
  if (row < 0) {
    return;
  }
  const int id = entries_[static_cast<std::size_t>(row)].id;
  whileBusy_([this, id] {
    const std::unique_ptr<EngineSink> sink = host_.MakeSink();
    sink->SetOrigin("History tab of the Advanced page");
    history::HistoryLog log(host_.platform());
    (void)undo::Undo(host_.platform(), log, id, *sink);  // its message says what came back
  });
  Refresh();
}

bool HistoryPanel::OnCommand(unsigned id) {
  if (id != kCmdUndo) {
    return false;
  }
  btnUndoClick();
  return true;
}

std::optional<LRESULT> HistoryPanel::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != list_) {
    return std::nullopt;
  }
  if (header.code == LVN_ITEMCHANGED) {
    EnableUndo();
  }
  return 0;
}

}  // namespace sw::app::win32
