#pragma once
// QZListView: ListView1, the list of findings with a check box on every row. The rows
// themselves live in `rows()`, in list order; the control shows them, and a check the user
// changes goes straight back into them.

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <vector>

#include "core/result_row.h"

namespace sw::app::win32 {

class ResultListView {
 public:
  // Takes over a report-style list view: check boxes, grid lines, hot tracking with the hand
  // cursor, several rows selectable, no border, never a horizontal scroll bar. (Its font,
  // Arial 8 point, comes with the window's fonts.)
  void Attach(HWND list);
  [[nodiscard]] HWND hwnd() const { return list_; }

  [[nodiscard]] std::vector<ResultRow>& rows() { return rows_; }
  [[nodiscard]] const std::vector<ResultRow>& rows() const { return rows_; }

  void Add(const ResultRow& row);
  void Clear();
  // Shows the rows again after they were changed as a whole (sorted, deleted, checked).
  void Refill();
  void CheckAll();
  // Shows the check states of the given rows again after they were changed in `rows()`.
  void ShowChecks(const std::vector<std::size_t>& indexes);
  // The selected rows, in list order.
  [[nodiscard]] std::vector<std::size_t> SelectedRows() const;

  // Keeps the rows' check states in step with the control; the window passes on the list
  // view's LVN_ITEMCHANGED.
  void OnItemChanged(const NMLISTVIEW& change);

  // OnMouseEnter and OnMouseLeave of the control.
  std::function<void()> onMouseEnter;
  std::function<void()> onMouseLeave;
  // ListView1KeyPress with Enter (the list keeps Enter from the dialog keys for it).
  std::function<void()> onEnter;

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  void Insert(std::size_t index, const ResultRow& row);

  HWND list_ = nullptr;
  std::vector<ResultRow> rows_;
  bool filling_ = false;  // the control's own check changes while rows are put in
  bool mouseInside_ = false;
};

}  // namespace sw::app::win32
