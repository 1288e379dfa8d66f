#pragma once
// The History tab of the Advanced page, the page of the Restore button: every change the
// programs made, newest first (date, action, size, state, what, made by), and Undo for the
// selected one. The rows and the undo are the undo library's; this class shows the rows,
// keeps Undo enabled only for an entry that can be undone, and hands the click on.

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "app/win32/page_host.h"
#include "history/history_log.h"

namespace sw::app::win32 {

class HistoryPanel {
 public:
  // `whileBusy` runs a long step with the page shut, as its own passes run (the undo of a
  // deletion unpacks an archive while the window goes on answering).
  using BusyRunner = std::function<void(const std::function<void()>& work)>;
  HistoryPanel(PageHost& host, BusyRunner whileBusy) : host_(host), whileBusy_(std::move(whileBusy)) {}

  // Makes the list lvHistory and the button btnUndo in `parent`, hidden.
  void Create(HWND parent);
  // The list fills `area` but a line at the bottom, where the button goes.
  void Layout(const RECT& area);
  void Show(bool shown);
  [[nodiscard]] bool shown() const { return shown_; }

  // Reads the history again and shows it; the selection stays on the entry it was on.
  void Refresh();
  // btnUndoClick: undoes the selected entry (asking first), then shows the history anew.
  void btnUndoClick();

  bool OnCommand(unsigned id);
  std::optional<LRESULT> OnNotify(const NMHDR& header);

  // What the tab shows, for the window tests.
  [[nodiscard]] const std::vector<history::Entry>& entries() const { return entries_; }
  [[nodiscard]] HWND list() const { return list_; }

 private:
  [[nodiscard]] int SelectedRow() const;
  void EnableUndo();

  PageHost& host_;
  BusyRunner whileBusy_;
  HWND list_ = nullptr;  // lvHistory
  HWND undo_ = nullptr;  // btnUndo
  bool shown_ = false;
  std::vector<history::Entry> entries_;
};

}  // namespace sw::app::win32
