// Making and placing the main window's controls. Sizes are 96-dpi pixels, scaled by Scale().

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <array>

#include "app/command_ids.h"
#include "app/win32/control_place.h"
#include "app/win32/dpi.h"
#include "app/win32/gradient_progress.h"
#include "app/win32/main_window.h"
#include "app/win32/toolbar_icons.h"

namespace sw::app::win32 {
namespace {

constexpr COLORREF kPanelColor = RGB(236, 241, 248);
constexpr COLORREF kHeaderColor = RGB(255, 255, 255);
constexpr COLORREF kOutlineColor = RGB(120, 150, 190);

struct ToolbarButton {
  std::string_view name;
  unsigned command;
  ToolbarGlyph glyph;
};

// Eight grouped check buttons (exactly one pressed: the page on screen), three buttons that
// act without changing the page (Help, Support, Restore), then the secure button on its own.
// Were those three in the group, a click on them would release the page button, and Find
// and Delete would no longer know their page.
constexpr std::array kPageToolbarButtons{
    ToolbarButton{"tbtDosyalar", kCmdDosyalar, ToolbarGlyph::kFiles},
    ToolbarButton{"tbtSistemKayit", kCmdSistemKayit, ToolbarGlyph::kRegistry},
    ToolbarButton{"tbtMemory", kCmdMemory, ToolbarGlyph::kMemory},
    ToolbarButton{"tbtSoftware", kCmdSoftware, ToolbarGlyph::kSoftware},
    ToolbarButton{"tbtAdvanced", kCmdAdvanced, ToolbarGlyph::kAdvanced},
    ToolbarButton{"tbtResources", kCmdResources, ToolbarGlyph::kResources},
    ToolbarButton{"tbtFolders", kCmdFolders, ToolbarGlyph::kFolders},
    ToolbarButton{"tbtInformation", kCmdInformation, ToolbarGlyph::kInformation},
};
constexpr std::array kActionButtons{
    ToolbarButton{"tbtHelp", kCmdHelp, ToolbarGlyph::kHelp},
    ToolbarButton{"tbtSupport", kCmdSupport, ToolbarGlyph::kSupport},
    ToolbarButton{"tbtRestore", kCmdRestore, ToolbarGlyph::kRestore},
};
constexpr ToolbarButton kBackupButton{"tbtBackup", kCmdBackup, ToolbarGlyph::kBackup};

}  // namespace

HWND MainWindow::AddControl(std::string_view name, const wchar_t* className, std::string_view text, DWORD style,
                            HWND parent, unsigned id) {
  HWND control =
      CreateWindowExW(0, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 10, 10,
                      parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  controls_[std::string(name)] = control;
  return control;
}

Panel& MainWindow::AddPanel(std::string_view name, HWND parent, COLORREF color, bool clipChildren) {
  auto panel = std::make_unique<Panel>();
  panel->Create(parent, color, clipChildren);
  controls_[std::string(name)] = panel->hwnd();
  Panel& made = *panel;
  panels_[std::string(name)] = std::move(panel);
  return made;
}

// A control's tooltip asks the window for its text, so a language change needs no update.
void MainWindow::AddHint(std::string_view name) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(Control(name));
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::CreateControls() {
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                     ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                              0, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  // Hints appear at once.
  SendMessageW(tooltips_, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
  SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, Scale(400, dpi_));

  CreateMenus();
  CreateToolbar();

  Panel& header = AddPanel("pnlBottom", hwnd(), kHeaderColor);
  AddControl("lblCleanType", WC_STATICW, "", SS_LEFTNOWORDWRAP, header.hwnd());
  AddControl("lblCleanTypeDesc", WC_STATICW, "", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS, header.hwnd());
  Panel& tweakHeader = AddPanel("fpnlTweakLabel", hwnd(), kHeaderColor);
  AddControl("lblTweaklabel", WC_STATICW, "", SS_LEFTNOWORDWRAP, tweakHeader.hwnd());

  Panel& work = AddPanel("Panel5", hwnd(), kPanelColor);
  CreateResultPanel(work.hwnd());
  CreateInformationTabs(work.hwnd());

  for (WindowPage* page : pages_) {
    page->Create(work.hwnd());
  }

  Panel& commandStrip = AddPanel("Panel8", hwnd(), kPanelColor);
  CreateCommandPanel(commandStrip.hwnd());

  HWND status = AddControl("StatusBar1", STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, hwnd());
  SendMessageW(status, SB_SIMPLE, FALSE, 0);

  for (const auto& name : {"pnlBottom", "Panel5", "Panel8"}) {
    ShowWindow(Control(name), SW_SHOW);
  }
  ApplyFonts();
  MakePictures();
  Layout();
}

// ImageList1 of the result list and the pictures of the Delete button, at the DPI's size.
void MainWindow::MakePictures() {
  const int size = Scale(16, dpi_);
  listImages_ = CreateListImages(size);
  ListView_SetImageList(list_.hwnd(), listImages_.get(), LVSIL_SMALL);
  deleteGlyph_ = CreateGlyphIcon(size, ToolbarGlyph::kDelete);
  applyGlyph_ = CreateGlyphIcon(size, ToolbarGlyph::kApply);
}

void MainWindow::CreateMenus() {
  HMENU bar = CreateMenu();
  auto item = [this](HMENU menu, std::string_view name, unsigned id, std::string_view caption) {
    AppendMenuW(menu, MF_STRING, id, Wide(caption).c_str());
    menuItems_[std::string(name)] = MenuSlot{menu, static_cast<UINT>(GetMenuItemCount(menu) - 1)};
  };
  auto popup = [this, bar](std::string_view name, HMENU menu, std::string_view caption) {
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), Wide(caption).c_str());
    menuItems_[std::string(name)] = MenuSlot{bar, static_cast<UINT>(GetMenuItemCount(bar) - 1)};
  };
  item(bar, "Monitor1", kCmdMonitor1, "Monitor");

  HMENU resources = CreatePopupMenu();
  item(resources, "CPU1", kCmdCpu1, "CPU");
  item(resources, "Drive1", kCmdDrive1, "Drive");
  item(resources, "Memory1", kCmdMemory1, "Memory");
  item(resources, "FolderUsage", kCmdFolderUsage, "Folder Usage");
  popup("SystemResources1", resources, "Resources");

  HMENU information = CreatePopupMenu();
  item(information, "About1", kCmdAbout1, "About");
  item(information, "Help1", kCmdHelp1, "Help");
  item(information, "Support1", kCmdSupport1, "Support");
  if (OffersRestartAsAdministrator()) {
    AppendMenuW(information, MF_SEPARATOR, 0, nullptr);
    item(information, "RestartAsAdministrator1", kCmdRestartElevated, Utf8(kRestartAsAdministrator));
  }
  popup("Information1", information, "Information");

  languageMenu_ = CreatePopupMenu();
  for (const LanguageMenuItem& language : LanguageMenuItems()) {
    item(languageMenu_, language.name, LanguageCommand(language.language), language.caption);
    EnableMenuItem(languageMenu_, LanguageCommand(language.language),
                   MF_BYCOMMAND | (language.enabled ? MF_ENABLED : MF_GRAYED));
  }
  popup("Language1", languageMenu_, "Language");
  SetMenu(hwnd(), bar);
}

void MainWindow::CreateToolbar() {
  toolbar_ =
      AddControl("ToolBar1", TOOLBARCLASSNAMEW, "", TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_TOP, hwnd());
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  const int size = Scale(32, dpi_);
  toolbarImages_ = CreateToolbarImages(size);
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_.get()));
  SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
  std::vector<TBBUTTON> buttons;
  for (const ToolbarButton& button : kPageToolbarButtons) {
    toolbarButtonNames_[button.command] = button.name;
    buttons.push_back(TBBUTTON{
        static_cast<int>(button.glyph), static_cast<int>(button.command), TBSTATE_ENABLED, BTNS_CHECKGROUP, {}, 0, 0});
  }
  for (const ToolbarButton& button : kActionButtons) {
    toolbarButtonNames_[button.command] = button.name;
    buttons.push_back(TBBUTTON{
        static_cast<int>(button.glyph), static_cast<int>(button.command), TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0});
  }
  buttons.push_back(TBBUTTON{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0});
  toolbarButtonNames_[kBackupButton.command] = kBackupButton.name;
  buttons.push_back(TBBUTTON{static_cast<int>(kBackupButton.glyph),
                             static_cast<int>(kBackupButton.command),
                             TBSTATE_ENABLED,
                             BTNS_CHECK,
                             {},
                             0,
                             0});
  SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  HWND toolbarTips = reinterpret_cast<HWND>(SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0));
  SendMessageW(toolbarTips, TTM_SETMAXTIPWIDTH, 0, Scale(400, dpi_));
  SendMessageW(toolbarTips, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void MainWindow::CreateResultPanel(HWND parent) {
  Panel& results = AddPanel("pnlSilinecekler", parent, kPanelColor, false);
  HWND panel = results.hwnd();
  AddControl("GroupBox2", WC_BUTTONW, "", BS_GROUPBOX, panel);
  AddControl("Label3", WC_STATICW, "", 0, panel);
  AddControl("lblAllDrives", WC_STATICW, "", 0, panel);
  AddControl("GroupBox1", WC_BUTTONW, "", BS_GROUPBOX, panel);
  // The option boxes start checked: every category is searched unless the user says not.
  for (const char* name : kOptionBoxes) {
    Button_SetCheck(AddControl(name, WC_BUTTONW, "", BS_AUTOCHECKBOX | WS_TABSTOP, panel), BST_CHECKED);
    AddHint(name);
  }
  morePlaces_.Create(*this, panel);
  HWND list = AddControl("ListView1", WC_LISTVIEWW, "",
                         LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_SHAREIMAGELISTS | WS_TABSTOP, panel);
  list_.Attach(list, Scale(14, dpi_));
  list_.onEnter = [this] { ListView1KeyPress(); };
  // Four columns for every page, and further ones out of sight until a page names them.
  for (int column = 0; column < kResultListColumns; ++column) {
    LVCOLUMNW heading{};
    heading.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    heading.cx = column < 4 ? Scale(133, dpi_) : 0;
    heading.pszText = const_cast<wchar_t*>(L"");
    heading.iSubItem = column;
    ListView_InsertColumn(list, column, &heading);
  }
  MakeGradientProgress(AddControl("Progressbar1", PROGRESS_CLASSW, "", PBS_SMOOTH, panel));
  // A group box paints only its frame; below its contents in the z-order, it cannot hide them.
  for (const auto& name : {"GroupBox1", "GroupBox2"}) {
    SetWindowPos(Control(name), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

// A hidden tab control with tabs of the given captions (ApplyLanguage fills the empty ones).
HWND MainWindow::AddTabControl(std::string_view name, HWND parent, std::initializer_list<const wchar_t*> captions) {
  HWND tabs = AddControl(name, WC_TABCONTROLW, "", WS_CLIPCHILDREN, parent);
  ShowWindow(tabs, SW_HIDE);
  int index = 0;
  for (const wchar_t* caption : captions) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption);
    TabCtrl_InsertItem(tabs, index++, &item);
  }
  return tabs;
}

void MainWindow::CreateInformationTabs(HWND parent) {
  // The thanks tab is not translated.
  // Its pages are the About page's (about_page.cpp).
  AddTabControl("pnlAbout", parent, {L"", L"", L"", L"", L"Thanks"});
}

void MainWindow::CreateCommandPanel(HWND parent) {
  HWND commands = AddPanel("pnlCommands", parent, kPanelColor).hwnd();
  ShowWindow(commands, SW_SHOW);
  AddControl("btnBul", WC_BUTTONW, "Find", BS_PUSHBUTTON | WS_TABSTOP, commands, kCmdBul);
  AddControl("btnSil", WC_BUTTONW, "Delete         ", BS_PUSHBUTTON | WS_TABSTOP, commands, kCmdSil);
  AddControl("btnRefresh", WC_BUTTONW, "Regain", BS_PUSHBUTTON | WS_TABSTOP, commands, kCmdRefresh);
  AddControl("btnStop", WC_BUTTONW, "Stop", BS_PUSHBUTTON | WS_TABSTOP, commands, kCmdStop);
  ShowWindow(Control("btnStop"), SW_HIDE);
  for (const auto& name : {"btnBul", "btnSil", "btnRefresh"}) {
    AddHint(name);
  }
}

void MainWindow::ApplyFonts() {
  font_.reset(CreateMessageFont(dpi_));
  titleFont_.reset(CreateMessageFont(dpi_, FW_BOLD, 140));
  boldFont_.reset(CreateMessageFont(dpi_, FW_BOLD));
  for (const auto& [name, control] : controls_) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  for (const auto& name : {"lblCleanType", "lblTweaklabel", "lblProductName"}) {
    SendMessageW(Control(name), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
  }
  for (const auto& name : {"StatLabel20", "StatLabel19", "StatLabel18"}) {
    SendMessageW(Control(name), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
  }
  listFont_.reset(CreateFontW(-MulDiv(8, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Arial"));
  SendMessageW(Control("ListView1"), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
}

void MainWindow::Layout() {
  if (Control("StatusBar1") == nullptr) {
    return;  // WM_SIZE of the window's creation, before its controls exist
  }
  RECT client{};
  GetClientRect(hwnd(), &client);
  auto s = [this](int pixels) { return Scale(pixels, dpi_); };

  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  RECT bar{};
  GetWindowRect(toolbar_, &bar);
  const int top = bar.bottom - bar.top;
  HWND status = Control("StatusBar1");
  SendMessageW(status, WM_SIZE, 0, 0);
  RECT statusRect{};
  GetWindowRect(status, &statusRect);
  const int bottom = client.bottom - (statusRect.bottom - statusRect.top);
  const std::array<int, 2> parts{client.right - s(220), -1};
  SendMessageW(status, SB_SETPARTS, parts.size(), reinterpret_cast<LPARAM>(parts.data()));

  const int headerHeight = s(54);
  for (const auto& name : {"pnlBottom", "fpnlTweakLabel"}) {
    Place(Control(name), 0, top, client.right, headerHeight);
  }
  Place(Control("lblCleanType"), s(16), s(6), client.right - s(32), s(24));
  Place(Control("lblCleanTypeDesc"), s(16), s(31), client.right - s(32), s(18));
  Place(Control("lblTweaklabel"), s(16), s(14), client.right - s(32), s(26));

  const int commandHeight = s(44);
  const int workTop = top + headerHeight + s(6);
  const int workBottom = bottom - commandHeight - s(6);
  Place(Control("Panel5"), s(8), workTop, client.right - s(16), workBottom - workTop);
  Place(Control("Panel8"), s(8), bottom - commandHeight - s(2), client.right - s(16), commandHeight);

  RECT work{};
  GetClientRect(Control("Panel5"), &work);
  InflateRect(&work, -s(10), -s(10));
  for (const auto& name : {"pnlSilinecekler", "pnlSystem", "pnlAbout", "pcTweaks"}) {
    Place(Control(name), work.left, work.top, work.right - work.left, work.bottom - work.top);
  }
  LayoutResultPanel(work);
  for (WindowPage* page : pages_) {
    page->Layout(work);
  }

  RECT strip{};
  GetClientRect(Control("Panel8"), &strip);
  const int buttonHeight = s(28);
  const int commandsWidth = 4 * (s(110) + s(8));
  Place(Control("pnlCommands"), strip.right - commandsWidth - s(8), (strip.bottom - buttonHeight) / 2, commandsWidth,
        buttonHeight);
  LayoutCommandButtons();
}

// The visible command buttons stand side by side at the right end of the strip.
void MainWindow::LayoutCommandButtons() {
  const int buttonWidth = Scale(110, dpi_);
  const int gap = Scale(8, dpi_);
  RECT commands{};
  GetClientRect(Control("pnlCommands"), &commands);
  int right = commands.right;
  for (const auto& name : {"btnStop", "btnRefresh", "btnSil", "btnBul"}) {
    if ((GetWindowLongW(Control(name), GWL_STYLE) & WS_VISIBLE) != 0) {
      right -= buttonWidth;
      Place(Control(name), right, 0, buttonWidth, commands.bottom);
      right -= gap;
    }
  }
}

void MainWindow::LayoutResultPanel(const RECT& area) {
  auto s = [this](int pixels) { return Scale(pixels, dpi_); };
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const int side = s(196);
  Place(Control("GroupBox2"), 0, 0, side, s(74));
  Place(Control("Label3"), s(12), s(24), side - s(24), s(18));
  Place(Control("lblAllDrives"), s(12), s(46), side - s(24), s(18));
  Place(Control("GroupBox1"), 0, s(84), side, s(24) + static_cast<int>(kOptionBoxes.size()) * s(26));
  int y = s(106);
  for (const char* name : kOptionBoxes) {
    Place(Control(name), s(12), y, side - s(20), s(22));
    y += s(26);
  }
  morePlaces_.Layout(s(84) + s(34) + static_cast<int>(kOptionBoxes.size()) * s(26), side, height);
  const int listLeft = side + s(10);
  const int barHeight = s(16);
  Place(Control("ListView1"), listLeft, 0, width - listLeft, height - barHeight - s(4));
  Place(Control("Progressbar1"), listLeft, height - barHeight, width - listLeft, barHeight);
}

// The rounded frame of the work area and of the command strip.
void MainWindow::FormResize() {
  if (panels_.count("Panel8") == 0) {
    return;  // WM_SIZE of the window's creation, before its controls exist
  }
  RoundedBorders("Panel5", 20);
  RoundedBorders("Panel8", 10);
}

// Gives the panel a rounded-rectangle window region from its client rectangle, which the
// window owns from then on, and an outline along it that the panel paints itself.
void MainWindow::RoundedBorders(std::string_view control, int radius) {
  HWND window = Control(control);
  RECT client{};
  GetClientRect(window, &client);
  const int corner = Scale(radius, dpi_);
  SetWindowRgn(window, CreateRoundRectRgn(client.left, client.top, client.right + 1, client.bottom + 1, corner, corner),
               TRUE);
  panels_.at(std::string(control))->SetOutline(corner, kOutlineColor);
}

void MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  const int size = Scale(32, dpi_);
  toolbarImages_ = CreateToolbarImages(size);
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_.get()));
  SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
  ApplyFonts();
  MakePictures();
  for (WindowPage* page : pages_) {
    page->OnDpiChanged();
  }
  morePlaces_.OnDpiChanged();
  RenderPageView();
  list_.SetCheckBoxSize(Scale(14, dpi_));
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

}  // namespace sw::app::win32
