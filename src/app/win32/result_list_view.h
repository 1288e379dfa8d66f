#pragma once
// QZListView: ListView1, the list of findings with a check box on every row. The rows live
// in `rows()`, in list order; the control is a virtual list that asks for what it shows, so
// tens of thousands of rows cost nothing to add, sort or remove, and a check the user
// changes goes straight into the row.

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/steady_vector.h"
#include "app/win32/gdi.h"
#include "core/result_row.h"

namespace sw::app::win32 {

// The column after the four that shows each row's type (the Files page's category).
inline constexpr int kTypeColumn = 4;

// Two state images, unchecked and checked, `size` pixels square, drawn as the system draws
// check boxes.
[[nodiscard]] UniqueImageList MakeCheckBoxes(int size);

class ResultListView {
 public:
  // Takes over a report-style list view made with LVS_OWNERDATA and LVS_SHAREIMAGELISTS (the
  // check boxes' pictures belong to this object): check boxes, grid lines,
  // hot tracking with the hand cursor, several rows selectable, no border, never a
  // horizontal scroll bar. (Its font, Arial 8 point, comes with the window's fonts.)
  void Attach(HWND list, int checkBoxSize);
  // The check boxes drawn anew at another size (the window moved to a screen of another DPI).
  void SetCheckBoxSize(int size);
  [[nodiscard]] HWND hwnd() const { return list_; }

  // All rows in one vector (finishing a growth the appends left under way).
  [[nodiscard]] std::vector<ResultRow>& rows() { return rows_.Settled(); }
  [[nodiscard]] const std::vector<ResultRow>& rows() const { return rows_.Settled(); }
  // Settles the rows a share of `count` at a time (see SteadyVector); true once settled. The
  // block a growth leaves behind is let go as a cleared list's rows are.
  bool SettleSome(std::size_t count);
  // Whether the list is empty, without settling the rows: asked at every row of a run.
  [[nodiscard]] bool empty() const { return rows_.empty(); }
  // How many rows of lists cleared before are still to be let go.
  [[nodiscard]] std::size_t retiredRows() const;

  // Appends a row; the control learns of it at the next ShowAdded (a run calls that between
  // its items, so that rows appear while it goes on without redrawing for each one).
  void Add(const ResultRow& row);
  void ShowAdded();
  void Clear();
  // Shows the rows again after they were changed as a whole (sorted, deleted, checked).
  void Refill();
  void CheckAll();
  // While a run acts on the rows, the user's clicks and keys do not change their checks.
  void SetLocked(bool locked) { locked_ = locked; }
  // Shows the check states of the given rows again after they were changed in `rows()`.
  void ShowChecks(const std::vector<std::size_t>& indexes);
  // The selected rows, in list order.
  [[nodiscard]] std::vector<std::size_t> SelectedRows() const;

  // The notifications of the control, passed on by the window: what to show, and clicks on
  // a check box.
  void OnGetDispInfo(NMLVDISPINFOW& info);
  void OnClick(const NMITEMACTIVATE& click);

  // OnMouseEnter and OnMouseLeave of the control.
  std::function<void()> onMouseEnter;
  std::function<void()> onMouseLeave;
  // ListView1KeyPress with Enter (the list keeps Enter from the dialog keys for it).
  std::function<void()> onEnter;

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  void Toggle(const std::vector<std::size_t>& indexes);
  void ReleaseRetiredRows();
  void Retire(std::vector<ResultRow>&& block);
  // The row selected when exactly one is, found without going through the rows; -1 otherwise.
  [[nodiscard]] int OnlySelectedRow() const;
  // Lets the control handle a key or click that puts the selection on one row, with the
  // selection emptied beforehand (see the definition for why).
  LRESULT ReplaceSelection(UINT message, WPARAM wParam, LPARAM lParam);

  HWND list_ = nullptr;
  UniqueImageList checkBoxes_;
  // Rows arrive one by one on the window's thread during a run, so their growth is spread
  // over the appends; `rows()` is const to its callers while it may finish such a growth.
  mutable SteadyVector<ResultRow> rows_;
  // Rows of a list cleared while they are let go a share at a time, on a timer of the control.
  std::vector<std::vector<ResultRow>> retired_;
  std::wstring text_;  // the text last handed to the control, alive until it asks again
  bool mouseInside_ = false;
  bool locked_ = false;
};

}  // namespace sw::app::win32
