// Find and Delete: the frames every list page shares, the engines they run, and the result
// list's column clicks, Enter key and page-change question.

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "app/command_ids.h"
#include "app/result_list.h"
#include "app/win32/dpi.h"
#include "app/win32/main_window.h"
#include "app/win32/message_box_sink.h"
#include "core/engine_sink.h"
#include "core/language.h"
#include "core/product.h"
#include "files/junk_delete.h"
#include "files/junk_search.h"
#include "files/windows_cleanup_row.h"
#include "files/windows_cleanup_run.h"
#include "registry/registry_clean.h"
#include "registry/registry_scan.h"

namespace sw::app::win32 {
namespace {

// Rows moved into the list's next block between two passes of the messages at the end of a
// Find, a few milliseconds' work.
constexpr std::size_t kRowsSettledPerStep = 65'536;

constexpr std::array kPageButtons{kCmdDosyalar, kCmdSistemKayit, kCmdMemory, kCmdSoftware, kCmdAdvanced, kCmdResources,
                                  kCmdFolders,  kCmdInformation, kCmdHelp,   kCmdSupport,  kCmdRestore};

}  // namespace

// The engines' view of the window: status bar panel 0, Progressbar1, the result list,
// message boxes, the busy note, and Stop. Pending messages run at most every 30 ms, so the
// window repaints and Stop answers while the engine works.
class MainWindow::RunSink final : public EngineSink {
 public:
  explicit RunSink(MainWindow& window) : window_(window) {}

  void ShowStatus(std::string_view text) override { window_.SetStatusText(text); }
  void SetProgressMax(std::uint64_t maximum) override { window_.SetProgressMax(maximum); }
  void SetProgress(std::uint64_t position) override { window_.SetProgress(position); }
  // The first row of a run shows at once; later ones with the next pass of the messages.
  void AddRow(const ResultRow& row) override {
    const bool first = window_.list_.empty();
    window_.list_.Add(row);
    if (first) {
      window_.list_.ShowAdded();
      window_.PumpMessages();
    } else {
      ProcessMessages();
    }
  }
  Answer Ask(const Message& message) override { return AskWithMessageBox(window_.hwnd(), message); }
  void ProcessMessages() override {
    if (pacer_.Due()) {
      window_.list_.ShowAdded();
      window_.PumpMessages();
    }
  }
  void ProcessMessagesNow() override {
    window_.list_.ShowAdded();
    window_.PumpMessages();
  }
  void RowsChanged() override { window_.list_.Refill(); }
  bool ShouldStop() override {
    ProcessMessages();
    return window_.stopRequested_;
  }
  void BeginBusy(std::string_view text) override {
    window_.popupNote1_.Title = kProductName;
    window_.popupNote1_.Text = text;
    window_.popupNote1_.ShowPopUp();
    window_.PumpMessages();
  }
  void EndBusy() override { window_.popupNote1_.ClosePopUps(); }

 private:
  MainWindow& window_;
  Pacer pacer_;
};

// What both frames do around their branch, and undo on every way out (a failing engine
// included): controls disabled, the hourglass, Find and Delete hidden. The toolbar, the whole
// menu bar and the list's checks are locked for Delete as for Find: the engines act on the
// rows by their place in the list while they let messages through.
class MainWindow::CommandFrame {
 public:
  CommandFrame(MainWindow& window, bool find, bool listPage) : window_(window), find_(find), page_(window.view_) {
    window_.running_ = true;
    window_.EnableRunControls(false);
    if (listPage) {
      // The header again, with the command itself as the sender: no row, only the option
      // boxes and the secure button enabled.
      window_.btnMonitorClick(find ? "btnBul" : "btnSil");
    }
    // The rows come into the result list, which comes forward (Help may have put the
    // information tabs in front of it).
    if (window_.IsResultPage()) {
      window_.BringToFront(Area::kResults);
    }
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ShowWindow(window_.Control("btnBul"), SW_HIDE);
    ShowWindow(window_.Control("btnSil"), SW_HIDE);
    if (find) {
      ShowWindow(window_.Control("btnStop"), SW_SHOW);
    }
    window_.LayoutCommandButtons();
  }
  CommandFrame(const CommandFrame&) = delete;
  // The Software page's Uninstall leaves Find hidden until the page is opened again: the
  // list it would fill anew is the one just worked through.
  void KeepFindHidden() { page_.findShown = false; }
  CommandFrame& operator=(const CommandFrame&) = delete;
  ~CommandFrame() {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    // Back to the page's own state, not to "all on": the Registry page keeps the Files page's
    // option boxes disabled after its Find.
    window_.view_ = page_;
    window_.RenderPageView();
    EnableWindow(window_.Control("btnBul"), TRUE);
    EnableWindow(window_.Control("btnSil"), TRUE);
    ShowWindow(window_.Control("btnStop"), SW_HIDE);
    window_.LayoutCommandButtons();
    if (!find_) {
      window_.diskAfterClean_ = true;
    }
    window_.EnableRunControls(true);
    window_.EndRun();
  }

 private:
  MainWindow& window_;
  bool find_;
  PageView page_;  // what the page showed before the frame changed it
};

// Around a sort of the result list: commands wait, the checks are locked, the hourglass
// shows, and a close asked for meanwhile comes after it.
class MainWindow::SortFrame {
 public:
  explicit SortFrame(MainWindow& window) : window_(window) {
    window_.running_ = true;
    window_.list_.SetLocked(true);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  }
  SortFrame(const SortFrame&) = delete;
  SortFrame& operator=(const SortFrame&) = delete;
  ~SortFrame() {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    window_.list_.SetLocked(false);
    window_.EndRun();
  }

 private:
  MainWindow& window_;
};

// What every frame that set `running_` does last: commands act again, a Stop asked for is
// forgotten, and an Exit that came meanwhile closes the window now.
void MainWindow::EndRun() {
  stopRequested_ = false;
  running_ = false;
  if (closeAfterRun_) {
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
}

std::unique_ptr<EngineSink> MainWindow::MakeSink() {
  return std::make_unique<RunSink>(*this);
}

void MainWindow::EnableRunControls(bool enable) {
  for (const unsigned button : kPageButtons) {
    SendMessageW(toolbar_, TB_ENABLEBUTTON, button, enable ? TRUE : FALSE);
  }
  HMENU menu = GetMenu(hwnd());
  for (int item = 0; item < GetMenuItemCount(menu); ++item) {
    EnableMenuItem(menu, static_cast<UINT>(item), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
  }
  DrawMenuBar(hwnd());
  list_.SetLocked(!enable);
}

bool MainWindow::PumpMessages() {
  if (!ProcessPendingMessages(hwnd())) {
    stopRequested_ = true;
    return false;
  }
  return true;
}

void MainWindow::SetProgressMax(std::uint64_t maximum) {
  progressMax_ = std::max<std::uint64_t>(1, maximum);
  SendMessageW(Control("Progressbar1"), PBM_SETRANGE32, 0, 1000);
}

// The bar works in thousandths, so that a 64-bit count of any size fits its range.
void MainWindow::SetProgress(std::uint64_t position) {
  const std::uint64_t thousandths = std::min<std::uint64_t>(position, progressMax_) * 1000 / progressMax_;
  SendMessageW(Control("Progressbar1"), PBM_SETPOS, static_cast<WPARAM>(thousandths), 0);
}

int MainWindow::ProgressPosition() const {
  return static_cast<int>(SendMessageW(Control("Progressbar1"), PBM_GETPOS, 0, 0));
}

void MainWindow::SetColumns(const ListColumns& columns) {
  columns_ = columns;
  const bool typeWasHidden = ListView_GetColumnWidth(list_.hwnd(), kTypeColumn) == 0;
  // The columns a page does not name are out of sight on it.
  for (int index = 0; index < kResultListColumns; ++index) {
    const auto at = static_cast<std::size_t>(index);
    const ListColumn column = at < columns.size() ? columns[at] : ListColumn{-1, {}, true};
    std::wstring heading = Wide(HeadingText(column));
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT;
    item.pszText = heading.data();
    ListView_SetColumn(list_.hwnd(), index, &item);
    if (column.hidden) {
      ListView_SetColumnWidth(list_.hwnd(), index, 0);
    } else if (ListView_GetColumnWidth(list_.hwnd(), index) == 0) {
      ListView_SetColumnWidth(list_.hwnd(), index, Scale(133, dpi_));  // shown again after a page that hid it
    }
  }
  // The Files page's Type column shares the list's width with the four when it comes into
  // sight; after that the user's widths stay.
  if (typeWasHidden && columns.size() > kTypeColumn && columns[0].text == kFilesColumns[0].text) {
    FitFilesColumns();
  }
}

void MainWindow::FitFilesColumns() {
  RECT client{};
  GetClientRect(list_.hwnd(), &client);
  const int type = Scale(120, dpi_);
  const int free = client.right - type - GetSystemMetrics(SM_CXVSCROLL);
  const int each = std::clamp(free / 4, Scale(60, dpi_), Scale(133, dpi_));
  for (int index = 0; index < 4; ++index) {
    ListView_SetColumnWidth(list_.hwnd(), index, each);
  }
  ListView_SetColumnWidth(list_.hwnd(), kTypeColumn, type);
}

void MainWindow::ClearResults() {
  list_.Clear();
  leftoversShown_ = false;
  SetProgress(0);
}

// btnBulClick: Find of the current page.
void MainWindow::btnBulClick() {
  if (running_) {
    return;
  }
  RunSink sink(*this);
  const bool listPage = IsToolbarButtonPressed(kCmdDosyalar) || IsToolbarButtonPressed(kCmdSistemKayit);
  CommandFrame frame(*this, true, listPage);
  if (listPage) {
    ClearResults();
  }
  if (IsToolbarButtonPressed(kCmdAdvanced)) {
    advancedPage_.Find(sink);
    return;
  }
  if (IsToolbarButtonPressed(kCmdSoftware)) {
    FindSoftwareBranch(sink);
    return;
  }
  // Only the list pages have a search here; the Registry branch runs for the Registry page
  // alone, not for every page that is not the Files page.
  if (IsToolbarButtonPressed(kCmdDosyalar)) {
    FindFilesBranch(sink);
  } else if (IsToolbarButtonPressed(kCmdSistemKayit)) {
    FindRegistryBranch(sink);
  }
  list_.ShowAdded();
  if (listPage) {
    // At a million rows each step goes through all of them, in tens of milliseconds: the
    // window's messages run between the steps.
    while (!list_.SettleSome(kRowsSettledPerStep)) {
      sink.ProcessMessagesNow();
    }
    list_.CheckAll();
    sink.ProcessMessagesNow();
    // Except the system's own cleanup handlers: what they remove cannot be restored.
    files::UncheckWindowsCleanupRows(list_.rows());
    sink.ProcessMessagesNow();
    list_.Refill();
  }
}

void MainWindow::FindFilesBranch(RunSink& sink) {
  SetColumns(kFilesColumns);
  files::JunkSearchOptions options;
  options.internetCache = Button_GetCheck(Control("chkIntCache")) == BST_CHECKED;
  options.internetCookies = Button_GetCheck(Control("chkIntCookies")) == BST_CHECKED;
  options.internetHistory = Button_GetCheck(Control("chkIntHistory")) == BST_CHECKED;
  options.recentDocuments = Button_GetCheck(Control("chkRecent")) == BST_CHECKED;
  morePlaces_.ApplyTo(options.categories);
  options.windowsCleanup = files::WindowsCleanupOptions::FromEnvironment(*env_.platform->system);
  (void)files::FindFiles(*env_.platform, sink, options);
}

void MainWindow::FindRegistryBranch(RunSink& sink) {
  SetColumns(kRegistryColumns);
  reg::FindRegistry(*env_.platform, sink);
}

// btnSilClick: Delete of the current page.
void MainWindow::btnSilClick() {
  if (running_) {
    return;
  }
  RunSink sink(*this);
  const bool listPage = IsToolbarButtonPressed(kCmdDosyalar) || IsToolbarButtonPressed(kCmdSistemKayit);
  CommandFrame frame(*this, false, listPage);
  if (IsToolbarButtonPressed(kCmdAdvanced)) {
    advancedPage_.Apply(sink);
    return;
  }
  // A page without a button pressed (the tweaks page after its button was released for a
  // user without administrator rights) removes nothing.
  if (IsToolbarButtonPressed(kCmdSoftware) && leftoversShown_) {
    RemoveLeftoversBranch(sink);
  } else if (IsToolbarButtonPressed(kCmdSoftware)) {
    UninstallBranch(sink);
    frame.KeepFindHidden();
  } else if (IsToolbarButtonPressed(kCmdDosyalar)) {
    DeleteFilesBranch(sink);
  } else if (IsToolbarButtonPressed(kCmdSistemKayit)) {
    DeleteRegistryBranch(sink);
  }
  list_.Refill();
  if (!leftoversShown_) {
    SetStatusText("Done");
  }
}

void MainWindow::DeleteFilesBranch(RunSink& sink) {
  sink.SetOrigin("Files Cleaning page");  // the maker the history names
  const bool backup = IsToolbarButtonPressed(kCmdBackup);
  {
    const files::HandlerChecksAside aside(list_.rows());
    const files::FileDeleteOutcome outcome =
        files::DeleteFiles(list_.rows(), backup, settings_.backupCounter, *env_.platform, sink);
    clearWithoutAsking_ = clearWithoutAsking_ || outcome.clearWithoutAsking;
  }
  // Beside the file deletion: the checked rows of the system's own cleanup handlers.
  files::WindowsCleanupRunOptions options;
  options.callLimit = files::WindowsCleanupOptions::FromEnvironment(*env_.platform->system).callLimit;
  (void)files::RunWindowsCleanup(list_.rows(), *env_.platform, sink, options);
}

void MainWindow::DeleteRegistryBranch(RunSink& sink) {
  (void)reg::DeleteRegistry(list_.rows(), IsToolbarButtonPressed(kCmdBackup), *env_.platform, *scanRegistryObject_,
                            sink);
}

// Before a list page takes over: rows of another page are kept unless the user agrees to
// drop them; after a deletion that left files for the next start they go without a word.
// False when the user kept them (the previous page is back).
bool MainWindow::ConfirmPageChange(std::string_view sender) {
  switch (DecidePageChange(clearWithoutAsking_, !list_.rows().empty(), sender == lastPageSender_)) {
    case PageChange::kClearAndSwitch:
      ClearResults();
      clearWithoutAsking_ = false;
      return true;
    case PageChange::kAsk:
      if (ShowMessageBox(hwnd(),
                         "There exists entries from previous query. Do you want to clear the panel without deleting "
                         "them ?",
                         kProductName, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        ReturnControl();
        return false;
      }
      ClearResults();
      return true;
    case PageChange::kSwitch: return true;
  }
  return true;
}

// Gives the page of LastPageSender back, with its rows untouched.
void MainWindow::ReturnControl() {
  for (const auto& [command, name] : toolbarButtonNames_) {
    if (name == lastPageSender_) {
      PressToolbarButton(command);
      OnCommand(command);
      return;
    }
  }
}

// A sort of a million rows takes a second or two, so it runs beside the window's messages, as
// a Find does: commands wait (the hourglass shows) and the checks are locked meanwhile.
// First the order is worked out while the list goes on showing the rows, which both threads
// only read; then the rows are taken from the list, which does not redraw, and moved into
// that order on the other thread, and come back.
void MainWindow::ListView1ColumnClick(int column) {
  if (running_) {
    return;
  }
  SortFrame frame(*this);
  RememberSortColumn(column);
  const bool filesPage = IsToolbarButtonPressed(kCmdDosyalar);
  const std::vector<ResultRow>& shown = list_.rows();
  std::vector<std::uint32_t> order;
  RunBesideMessages([&] { order = SortedOrder(shown, column, filesPage); });
  SendMessageW(list_.hwnd(), WM_SETREDRAW, FALSE, 0);
  std::vector<ResultRow> rows = std::move(list_.rows());
  try {
    RunBesideMessages([&] { rows = InOrder(std::move(rows), order); });
  } catch (...) {
    list_.rows() = std::move(rows);  // no room for the sorted rows: none was moved yet
    SendMessageW(list_.hwnd(), WM_SETREDRAW, TRUE, 0);
    list_.Refill();
    throw;
  }
  list_.rows() = std::move(rows);
  SendMessageW(list_.hwnd(), WM_SETREDRAW, TRUE, 0);
  list_.Refill();
}

void MainWindow::ListView1KeyPress() {
  if (running_) {
    return;
  }
  const std::vector<std::size_t> selected = list_.SelectedRows();
  ApplyEnterKey(list_.rows(), selected);
  list_.ShowChecks(selected);
}

}  // namespace sw::app::win32
