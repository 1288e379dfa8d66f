// The Software page: the installed programs in the result list, and Uninstall, which runs
// their uninstallers one after the other while the window goes on answering; then what the
// programs that went left behind, in the same list, which Delete removes after a backup.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "app/command_ids.h"
#include "app/win32/dpi.h"
#include "app/win32/main_window.h"
#include "core/language.h"
#include "core/product.h"
#include "uninstall/leftover_flow.h"
#include "uninstall/leftover_removal.h"
#include "uninstall/software_list.h"
#include "uninstall/uninstall_flow.h"

namespace sw::app::win32 {

// rbtSoftwareClick: the page-change question, then the result list with the page's own
// columns, Find and Uninstall with their hints, and the header. The Files page's option
// boxes do not apply here.
void MainWindow::rbtSoftwareClick(std::string_view sender) {
  if (!ConfirmPageChange(sender)) {
    return;
  }
  lastPageSender_ = sender;
  if (list_.rows().empty()) {
    SetColumns(SoftwareColumns());
  }
  SetHint("btnBul", Text(102));
  SetHint("btnSil", Text(103));
  EnableWindow(Control("btnBul"), TRUE);
  BringToFront(Area::kResults);
  SetStatusText("");
  btnMonitorClick(sender);
  view_.optionsEnabled = false;
  RenderPageView();
}

bool MainWindow::IsResultPage() const {
  return IsToolbarButtonPressed(kCmdDosyalar) || IsToolbarButtonPressed(kCmdSistemKayit) ||
         IsToolbarButtonPressed(kCmdSoftware);
}

// The list anew from the uninstall key: the rows come unchecked; the user checks what goes.
void MainWindow::FindSoftwareBranch(EngineSink& sink) {
  ClearResults();
  SetColumns(SoftwareColumns());
  uninstall::FindSoftware(*env_.platform, sink);
  list_.ShowAdded();
  // The shown columns as wide as their texts; the command and the empty column stay out of
  // sight.
  const ListColumns columns = SoftwareColumns();
  for (std::size_t column = 0; column < columns.size(); ++column) {
    if (!columns[column].hidden) {
      ListView_SetColumnWidth(list_.hwnd(), static_cast<int>(column), LVSCW_AUTOSIZE_USEHEADER);
    }
  }
}

// Each checked program in list order: its notice, its uninstaller with everything it starts
// (the window repaints and the tray answers meanwhile; the toolbar stays disabled), then what
// became of its entry. The rows of programs still installed stay.
//
// While an uninstall waits (for the uninstaller with what it started, then for Windows
// Installer), the status bar says for what and how long, and the Stop button, captioned
// "Stop waiting", ends the wait: nothing is removed then, and no further uninstaller starts.
// A failure, or a wait that was stopped, is told in a message box of its own.
void MainWindow::UninstallBranch(EngineSink& sink) {
  sink.SetOrigin("Software page");
  HWND stop = Control("btnStop");
  bool stopShown = false;
  const auto showStop = [&](bool show) {
    if (show == stopShown) {
      return;
    }
    SetWindowTextW(stop, show ? L"Stop waiting" : L"Stop");
    ShowWindow(stop, show ? SW_SHOW : SW_HIDE);
    LayoutCommandButtons();
    stopShown = show;
  };
  uninstall::UninstallOptions options;
  options.onWaiting = [&](const uninstall::Waiting& waiting) {
    if (!waiting.done) {
      SetStatusText("Waiting for " + waiting.what + ": " + std::to_string(waiting.elapsed.count()) +
                    " s of at most " + std::to_string(waiting.limit.count()) + " s");
    }
    showStop(!waiting.done);
  };
  // Before the uninstallers run: afterwards the entries, and with them the way to what
  // their programs left behind, are gone.
  const std::vector<uninstall::LeftoverSnapshot> snapshots = uninstall::KeepSnapshots(*env_.platform, list_.rows());
  const uninstall::UninstallOutcome outcome = uninstall::UninstallSoftware(list_.rows(), *env_.platform, sink, options);
  showStop(false);
  list_.Refill();
  ShowLeftovers(uninstall::LeftoversOfUninstalled(*env_.platform, snapshots, outcome, sink));
}

// The leftovers replace the programs still listed (a Find brings them back): the sure ones
// checked, the likely ones not, and Delete now removes the checked ones.
void MainWindow::ShowLeftovers(const std::vector<uninstall::Leftover>& found) {
  if (found.empty()) {
    return;
  }
  ClearResults();
  SetColumns(LeftoverColumns());
  for (const uninstall::Leftover& leftover : found) {
    list_.Add(uninstall::LeftoverRow(leftover));
  }
  list_.ShowAdded();
  for (const int column : {0, 1, 4, 5, 6, 7}) {
    ListView_SetColumnWidth(list_.hwnd(), column, LVSCW_AUTOSIZE_USEHEADER);
  }
  // A long path may take no more than half the list: how sure a row is, and why, stay in view.
  RECT box{};
  GetClientRect(list_.hwnd(), &box);
  const int half = (box.right - box.left) / 2;
  if (ListView_GetColumnWidth(list_.hwnd(), 0) > half) {
    ListView_SetColumnWidth(list_.hwnd(), 0, half);
  }
  leftoversShown_ = true;
  SetHint("btnSil", "Remove the checked leftovers; they are saved in the data folder first, and the history can put "
                    "them back");
  SetStatusText(std::to_string(found.size()) + " leftovers found; the sure ones are checked");
}

// Delete while leftovers are listed: the checked ones go, saved first; the rows of those
// that went leave the list, those that stayed stay with the reason in the status bar.
void MainWindow::RemoveLeftoversBranch(EngineSink& sink) {
  const std::vector<uninstall::Leftover> chosen = uninstall::CheckedLeftovers(list_.rows());
  if (chosen.empty()) {
    return;
  }
  const uninstall::LeftoverRemovalOutcome outcome =
      uninstall::RemoveLeftovers(*env_.platform, chosen, "Software page", sink);
  if (!outcome.problem.empty()) {
    ShowMessageBox(hwnd(), "Nothing was removed: " + outcome.problem, kProductName, MB_OK | MB_ICONERROR);
    return;
  }
  std::erase_if(list_.rows(), [&](const ResultRow& row) {
    const auto leftover = uninstall::LeftoverOfRow(row);
    return leftover && std::find(outcome.removed.begin(), outcome.removed.end(), *leftover) != outcome.removed.end();
  });
  list_.Refill();
  std::string status = "Removed " + std::to_string(outcome.removed.size()) + " leftovers (history entry " +
                       std::to_string(outcome.historyId) + ", which Undo puts back)";
  if (!outcome.kept.empty()) {
    status += "; " + std::to_string(outcome.kept.size()) + " stayed: " + outcome.kept.front();
  }
  SetStatusText(status);
}

}  // namespace sw::app::win32
