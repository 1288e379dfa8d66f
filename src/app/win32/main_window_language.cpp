// ApplyLanguage: every caption and hint of the assignment table from the current language.

#include <windows.h>

#include <commctrl.h>

#include <array>

#include "app/command_ids.h"
#include "app/win32/main_window.h"
#include "core/language.h"
#include "core/product.h"

namespace sw::app::win32 {

void MainWindow::ApplyLanguage() {
  if (ResolveLanguage(language_)) {
    ShowMessageBox(hwnd(), UntranslatedLanguageNote(), kProductName, MB_OK);
  }
  SetCurrentLanguage(language_.index);
  for (const CaptionAssignment& assignment : CaptionAssignments()) {
    WriteSlot(assignment, CaptionText(assignment, language_.index));
  }
  // The registry's headings stay over registry rows.
  SetColumns(columns_);
  for (WindowPage* page : pages_) {
    page->ApplyLanguage();
  }
  DrawMenuBar(hwnd());
}

void MainWindow::LanguageItemClick(int language) {
  language_.index = language;
  CheckMenuRadioItem(languageMenu_, LanguageCommand(0), LanguageCommand(kLanguageCount - 1), LanguageCommand(language),
                     MF_BYCOMMAND);
  ApplyLanguage();
}

void MainWindow::WriteSlot(const CaptionAssignment& assignment, std::string_view text) {
  std::wstring wide = Wide(text);
  switch (assignment.slot) {
    case Slot::kHint: SetHint(assignment.control, text); return;
    case Slot::kColumn: {
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT;
      column.pszText = wide.data();
      ListView_SetColumn(Control(assignment.control), assignment.index, &column);
      return;
    }
    case Slot::kTab: {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = wide.data();
      TabCtrl_SetItem(Control(assignment.control), assignment.index, &item);
      return;
    }
    case Slot::kCaption:
      if (const auto menu = menuItems_.find(assignment.control); menu != menuItems_.end()) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STRING;
        item.dwTypeData = wide.data();
        SetMenuItemInfoW(menu->second.menu, menu->second.position, TRUE, &item);
      } else {
        SetWindowTextW(Control(assignment.control), wide.c_str());
      }
      return;
  }
}

std::string MainWindow::ReadSlot(const CaptionAssignment& assignment) const {
  std::array<wchar_t, 512> buffer{};
  switch (assignment.slot) {
    case Slot::kHint: return HintOf(assignment.control);
    case Slot::kColumn: {
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT;
      column.pszText = buffer.data();
      column.cchTextMax = static_cast<int>(buffer.size());
      ListView_GetColumn(Control(assignment.control), assignment.index, &column);
      return Utf8(buffer.data());
    }
    case Slot::kTab: {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = buffer.data();
      item.cchTextMax = static_cast<int>(buffer.size());
      TabCtrl_GetItem(Control(assignment.control), assignment.index, &item);
      return Utf8(buffer.data());
    }
    case Slot::kCaption:
      if (const auto menu = menuItems_.find(assignment.control); menu != menuItems_.end()) {
        GetMenuStringW(menu->second.menu, menu->second.position, buffer.data(), static_cast<int>(buffer.size()),
                       MF_BYPOSITION);
        return Utf8(buffer.data());
      }
      return GetText(Control(assignment.control));
  }
  return {};
}

void MainWindow::SetHint(std::string_view name, std::string_view text) {
  hints_[std::string(name)] = text;
}

std::string MainWindow::HintOf(std::string_view name) const {
  const auto it = hints_.find(name);
  return it == hints_.end() ? std::string() : it->second;
}

// The tooltip's text: a toolbar button is known by its command, any other control by its
// window. The text stays valid until the next request.
const wchar_t* MainWindow::HintForTooltip(const NMHDR& header) {
  std::string name;
  for (const auto& [controlName, control] : controls_) {
    if (reinterpret_cast<UINT_PTR>(control) == header.idFrom) {
      name = controlName;
    }
  }
  if (const auto button = toolbarButtonNames_.find(static_cast<unsigned>(header.idFrom));
      name.empty() && button != toolbarButtonNames_.end()) {
    name = button->second;
  }
  tooltipText_ = Wide(HintOf(name));
  return tooltipText_.c_str();
}

}  // namespace sw::app::win32
