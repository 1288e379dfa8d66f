// Page commands: which area comes forward, the page header, the command buttons, the tabs.

#include <windows.h>

#include <commctrl.h>

#include "app/command_ids.h"
#include "app/help_pages.h"
#include "app/win32/dpi.h"
#include "app/win32/main_window.h"
#include "core/language.h"
#include "core/product.h"
#include "core/win_path.h"

namespace sw::app::win32 {
void MainWindow::btnMonitorClick(std::string_view sender) {
  const MonitorRow* row = ApplyMonitorClick(view_, sender);
  RenderPageView();
  if (row != nullptr && row->resultPanelToFront) {
    BringToFront(Area::kResults);
  }
}

// Shows exactly what the page view says.
void MainWindow::RenderPageView() {
  for (const char* name : kOptionBoxes) {
    EnableWindow(Control(name), view_.optionsEnabled ? TRUE : FALSE);
  }
  morePlaces_.Enable(view_.optionsEnabled);
  SendMessageW(toolbar_, TB_ENABLEBUTTON, kCmdBackup, view_.backupEnabled ? TRUE : FALSE);
  SetText(Control("lblCleanType"), view_.title);
  SetText(Control("lblCleanTypeDesc"), view_.description);
  SetCommandVisible("pnlCommands", view_.commandsShown);
  SetCommandVisible("btnRefresh", view_.refreshShown);
  SetCommandVisible("btnBul", view_.findShown);
  SetCommandVisible("btnSil", view_.deleteShown);
  HWND remove = Control("btnSil");
  HICON glyph = view_.applyGlyph ? applyGlyph_.get() : deleteGlyph_.get();
  if (GetText(remove) != view_.deleteCaption ||
      reinterpret_cast<HICON>(SendMessageW(remove, BM_GETIMAGE, IMAGE_ICON, 0)) != glyph) {
    SetText(remove, view_.deleteCaption);
    SendMessageW(remove, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph));
    InvalidateRect(remove, nullptr, TRUE);
  }
  SetCommandVisible("pnlBottom", view_.headerShown);
  SetCommandVisible("fpnlTweakLabel", view_.tweakHeaderShown);
  LayoutCommandButtons();
}

void MainWindow::SetCommandVisible(std::string_view name, bool visible) {
  ShowWindow(Control(name), visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::BringToFront(Area area) {
  frontArea_ = area;
  const std::array<std::pair<const char*, Area>, 4> areas{{{"pnlSilinecekler", Area::kResults},
                                                           {"pnlSystem", Area::kSystem},
                                                           {"pnlAbout", Area::kInformation},
                                                           {"pcTweaks", Area::kTweaks}}};
  for (const auto& [name, which] : areas) {
    SetCommandVisible(name, which == area);
  }
}

void MainWindow::PressToolbarButton(unsigned commandId) {
  SendMessageW(toolbar_, TB_CHECKBUTTON, commandId, TRUE);
}

bool MainWindow::IsToolbarButtonPressed(unsigned commandId) const {
  return SendMessageW(toolbar_, TB_ISBUTTONCHECKED, commandId, 0) != 0;
}

// The steps the Files and Registry pages share: the list's columns, Find and Delete with
// their hints, the result panel forward, captions, an empty status and the header.
void MainWindow::ActivateListPage(std::string_view sender) {
  lastPageSender_ = sender;
  if (list_.rows().empty()) {
    SetColumns(sender == "tbtSistemKayit" ? kRegistryColumns : kFilesColumns);
  }
  HWND list = Control("ListView1");
  for (int column = 0; column < 4; ++column) {
    ListView_SetColumnWidth(list, column, Scale(133, dpi_));
  }
  if (ListView_GetColumnWidth(list, kTypeColumn) > 0) {
    FitFilesColumns();
  }
  view_.refreshShown = false;
  SetHint("btnBul", Text(107));
  SetHint("btnSil", Text(108));
  view_.findShown = true;
  view_.deleteShown = true;
  EnableWindow(Control("btnBul"), TRUE);
  BringToFront(Area::kResults);
  ApplyLanguage();
  SetStatusText("");
  btnMonitorClick(sender);
}

void MainWindow::tbtDosyalarClick(std::string_view sender) {
  if (ConfirmPageChange(sender)) {
    ActivateListPage(sender);
  }
}

void MainWindow::tbtSistemKayitClick(std::string_view sender) {
  if (!ConfirmPageChange(sender)) {
    return;
  }
  ActivateListPage(sender);
  view_.optionsEnabled = false;
  RenderPageView();
  SendMessageW(toolbar_, TB_ENABLEBUTTON, kCmdBackup, TRUE);
  SendMessageW(toolbar_, TB_CHECKBUTTON, kCmdBackup, TRUE);
}

int MainWindow::ActiveTab(std::string_view tabControl) const {
  return TabCtrl_GetCurSel(Control(tabControl));
}

// Selecting a tab by a command runs the tab-changed handler, as a click would. The system
// tabs are their page's (system_page.h).
void MainWindow::SelectTab(std::string_view tabControl, int index) {
  TabCtrl_SetCurSel(Control(tabControl), index);
  pnlAboutTabChanged();
}

void MainWindow::pnlAboutTabChanged() {
  aboutPage_.pnlAboutTabChanged();
}

void MainWindow::SetStatusText(std::string_view text) {
  SendMessageW(Control("StatusBar1"), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

std::string MainWindow::StatusText() const {
  return StatusPanelText(0);
}

std::string MainWindow::StatusPanelText(int part) const {
  HWND status = Control("StatusBar1");
  const auto length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, part, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return Utf8(text);
}

void MainWindow::RunCommand(unsigned commandId) {
  OnCommand(commandId);
}

// Toolbar buttons, menu items and buttons. A page command presses its toolbar button also
// when it comes from elsewhere than the toolbar.
void MainWindow::OnCommand(unsigned id, unsigned code, HWND control) {
  // While Find or Delete runs (its loop lets messages through), only Stop and the tray menu
  // act: anything else could change the rows under the running engine.
  if (running_ && id != kCmdStop && id != kCmdShow1 && id != kCmdHide1 && id != kCmdExit1) {
    return;
  }
  for (WindowPage* page : pages_) {
    if (page->busy() && page->OnCommand(id, code, control)) {
      return;  // it holds the command until its work has ended
    }
  }
  if (id >= kCmdDosyalar && id <= kCmdInformation) {
    PressToolbarButton(id);  // the page buttons; Help, Support and Restore leave the page as it is
  }
  for (WindowPage* page : pages_) {
    if (page->OnCommand(id, code, control)) {
      return;
    }
  }
  switch (id) {
    case kCmdDosyalar: tbtDosyalarClick("tbtDosyalar"); break;
    case kCmdSistemKayit: tbtSistemKayitClick("tbtSistemKayit"); break;
    case kCmdSoftware: rbtSoftwareClick("tbtSoftware"); break;
    case kCmdAdvanced: advancedPage_.rbtTweaksClick(); break;
    case kCmdInformation:
    case kCmdAbout1:
      BringToFront(Area::kInformation);
      SelectTab("pnlAbout", 0);
      btnMonitorClick("tbtInformation");
      break;
    case kCmdHelp:
    case kCmdHelp1:
      BringToFront(Area::kInformation);
      SelectTab("pnlAbout", 3);
      break;
    case kCmdMonitor1:
      PressToolbarButton(kCmdDosyalar);
      btnMonitorClick("tbtDosyalar");
      break;
    case kCmdShow1: Show1Click(); break;
    case kCmdHide1: HideToTray(); break;
    case kCmdExit1: Exit1Click(); break;
    case kCmdRestartElevated: RestartAsAdministrator(); break;
    case kCmdStop: btnStopClick(); break;
    case kCmdBul: btnBulClick(); break;
    case kCmdSil: btnSilClick(); break;
    default:
      if (id >= LanguageCommand(0) && id <= LanguageCommand(kLanguageCount - 1)) {
        LanguageItemClick(static_cast<int>(id - LanguageCommand(0)));
      }
      break;
  }
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
  for (WindowPage* page : pages_) {
    if (const auto handled = page->OnNotify(header)) {
      return *handled;
    }
  }
  if (header.code == TTN_GETDISPINFOW) {
    auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
    info.lpszText = const_cast<wchar_t*>(HintForTooltip(header));
    return 0;
  }
  if (header.hwndFrom == list_.hwnd()) {
    if (header.code == LVN_GETDISPINFOW) {
      list_.OnGetDispInfo(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)));
    } else if (header.code == LVN_ODFINDITEMW) {
      return -1;  // no search by typed letters in the findings
    } else if (header.code == NM_CLICK) {
      list_.OnClick(reinterpret_cast<const NMITEMACTIVATE&>(header));
    } else if (header.code == LVN_COLUMNCLICK) {
      ListView1ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
    }
    return 0;
  }
  if (header.code == TCN_SELCHANGE && header.hwndFrom == Control("pnlAbout")) {
    pnlAboutTabChanged();
  }
  return 0;
}

}  // namespace sw::app::win32
