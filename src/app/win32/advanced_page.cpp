#include "app/win32/advanced_page.h"

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <climits>
#include <span>

#include "app/command_ids.h"
#include "app/result_list.h"
#include "app/win32/control_place.h"
#include "app/win32/dpi.h"
#include "app/win32/gradient_progress.h"
#include "app/win32/main_window.h"
#include "app/win32/note_window.h"
#include "app/win32/panel.h"
#include "app/win32/toolbar_icons.h"
#include "tweaks/tweak_page_texts.h"

namespace sw::app::win32 {
namespace {

// The colour of the work area the page sits in.
constexpr COLORREF kSheetColor = RGB(236, 241, 248);
constexpr UINT_PTR kListSubclassId = 2;  // ResultListView has 1
constexpr UINT_PTR kLegendSubclassId = 1;

// The legend under the list: each label shows the risk's picture and its text in its colour.
struct LegendLabel {
  const char* name;
  std::string_view text;
  int risk;  // the picture of ImageList1
  COLORREF color;
};
constexpr std::array kLegend{
    LegendLabel{"lblRedBox", tweaks::kRedLegend, 2, RGB(190, 30, 30)},
    LegendLabel{"lblYellowBox", tweaks::kYellowLegend, 1, RGB(160, 110, 0)},
    LegendLabel{"lblGreenBox", tweaks::kGreenLegend, 0, RGB(30, 120, 40)},
};

void AddColumns(HWND list, std::span<const tweaks::ColumnLayout> columns, UINT dpi) {
  int index = 0;
  for (const tweaks::ColumnLayout& column : columns) {
    std::wstring heading = Wide(column.heading);
    LVCOLUMNW item{};
    item.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    item.cx = column.width > 0 ? Scale(column.width, dpi) : 0;
    item.pszText = heading.data();
    item.iSubItem = index;
    ListView_InsertColumn(list, index++, &item);
  }
}

}  // namespace

// The window's sink, with the progress of a pass on gpTweakProgress rather than on the
// result list's bar. Before a notice is shown, the lists show the rows the pass left, so
// that Apply's final message stands over the page as it now is.
class AdvancedPage::TweakBarSink final : public EngineSink {
 public:
  TweakBarSink(AdvancedPage& page, EngineSink& window) : page_(page), window_(window) {}

  void ShowStatus(std::string_view text) override { window_.ShowStatus(text); }
  void SetProgressMax(std::uint64_t maximum) override {
    SendMessageW(page_.progress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::min<std::uint64_t>(maximum, INT_MAX)));
  }
  void SetProgress(std::uint64_t position) override {
    SendMessageW(page_.progress_, PBM_SETPOS, static_cast<WPARAM>(std::min<std::uint64_t>(position, INT_MAX)), 0);
  }
  void AddRow(const ResultRow& row) override { window_.AddRow(row); }
  Answer Ask(const Message& message) override {
    page_.ShowRows();
    return window_.Ask(message);
  }
  void ProcessMessages() override { window_.ProcessMessages(); }
  void ProcessMessagesNow() override { window_.ProcessMessagesNow(); }
  void RowsChanged() override { window_.RowsChanged(); }
  void BeginBusy(std::string_view text) override { window_.BeginBusy(text); }
  void EndBusy() override { window_.EndBusy(); }
  bool ShouldStop() override { return window_.ShouldStop(); }

 private:
  AdvancedPage& page_;
  EngineSink& window_;
};

AdvancedPage::Busy::Busy(AdvancedPage& page) : page_(page), outermost_(!page.busy_) {
  if (outermost_) {
    page_.busy_ = true;
    page_.host_.noteWindow().HideNote();
    EnableWindow(page_.host_.Control("ToolBar1"), FALSE);
    page_.list_.SetLocked(true);
  }
}

AdvancedPage::Busy::~Busy() {
  if (!outermost_) {
    return;
  }
  page_.list_.SetLocked(false);
  EnableWindow(page_.host_.Control("ToolBar1"), TRUE);
  page_.busy_ = false;
  if (page_.exitAfterBusy_) {
    page_.exitAfterBusy_ = false;
    PostMessageW(page_.host_.hwnd(), WM_COMMAND, kCmdExit1, 0);
  }
}

void AdvancedPage::Create(HWND parent) {
  model_.emplace(host_.platform());
  tabs_ = host_.AddControl("pcTweaks", WC_TABCONTROLW, "", WS_CLIPCHILDREN | WS_TABSTOP, parent, kCmdTweakTabs);
  ShowWindow(tabs_, SW_HIDE);
  for (int tab = 0; tab <= kHistoryTab; ++tab) {
    std::wstring caption = Wide(tab == kHistoryTab ? std::string_view("History") : tweaks::TabCaption(tab));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    TabCtrl_InsertItem(tabs_, tab, &item);
  }
  sheet_ = host_.AddPanel("tsTweaks", tabs_, kSheetColor).hwnd();
  ShowWindow(sheet_, SW_SHOW);
  CreateLists(sheet_);
  CreateLegend(sheet_);
  progress_ = host_.AddControl("gpTweakProgress", PROGRESS_CLASSW, "", PBS_SMOOTH, sheet_);
  MakeGradientProgress(progress_);
  SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
  history_.Create(sheet_);
  MakePictures();
}

void AdvancedPage::CreateLists(HWND sheet) {
  HWND list =
      host_.AddControl("lvAdvanced1", WC_LISTVIEWW, "",
                       LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_SHAREIMAGELISTS | WS_TABSTOP, sheet);
  list_.Attach(list, Scale(14, host_.Dpi()));
  AddColumns(list, tweaks::kTweakColumns, host_.Dpi());
  list_.onEnter = [this] { lvAdvanced1KeyPress(); };
  list_.onMouseLeave = [this] { lvAdvanced1MouseLeave(); };
  SetWindowSubclass(list, &AdvancedPage::ListSubclass, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));

  applied_ = host_.AddControl("lvAppliedTasks", WC_LISTVIEWW, "",
                              LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS | WS_TABSTOP, sheet);
  ListView_SetExtendedListViewStyle(applied_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  AddColumns(applied_, tweaks::kAppliedTaskColumns, host_.Dpi());
  ShowWindow(applied_, SW_HIDE);
}

void AdvancedPage::CreateLegend(HWND sheet) {
  for (const LegendLabel& label : kLegend) {
    HWND control = host_.AddControl(label.name, WC_STATICW, label.text, SS_LEFT, sheet);
    SetWindowSubclass(control, &AdvancedPage::LegendSubclass, kLegendSubclassId + static_cast<UINT_PTR>(label.risk),
                      reinterpret_cast<DWORD_PTR>(this));
  }
}

// ImageList1 (the risks) and ImageList2 (the applied tick) at the window's DPI.
void AdvancedPage::MakePictures() {
  const int size = Scale(16, host_.Dpi());
  riskImages_ = CreateListImages(size);
  appliedImages_ = CreateGlyphImages(size, {ToolbarGlyph::kApply});
  ListView_SetImageList(list_.hwnd(), riskImages_.get(), LVSIL_SMALL);
  ListView_SetImageList(applied_, appliedImages_.get(), LVSIL_SMALL);
  for (const LegendLabel& label : kLegend) {
    InvalidateRect(host_.Control(label.name), nullptr, TRUE);
  }
}

void AdvancedPage::OnDpiChanged() {
  MakePictures();
  list_.SetCheckBoxSize(Scale(14, host_.Dpi()));
  int column = 0;
  for (const tweaks::ColumnLayout& layout : tweaks::kAppliedTaskColumns) {
    ListView_SetColumnWidth(applied_, column++, Scale(layout.width, host_.Dpi()));
  }
}

// The page every tab shows fills the tab control's display area: the list on top, the
// legend under it, the progress bar at the bottom.
void AdvancedPage::Layout(const RECT& area) {
  (void)area;  // the window has placed pcTweaks over it
  auto s = [this](int pixels) { return Scale(pixels, host_.Dpi()); };
  RECT display{};
  GetClientRect(tabs_, &display);
  TabCtrl_AdjustRect(tabs_, FALSE, &display);
  InflateRect(&display, -s(4), -s(4));
  Place(sheet_, display.left, display.top, display.right - display.left, display.bottom - display.top);
  const int width = display.right - display.left;
  const int height = display.bottom - display.top;
  const int barHeight = s(16);
  const int lineHeight = s(20);
  const int legendTop = height - barHeight - s(8) - static_cast<int>(kLegend.size()) * lineHeight;
  const int listHeight = legendTop - s(6);
  Place(list_.hwnd(), 0, 0, width, listHeight);
  Place(applied_, 0, 0, width, listHeight);
  for (std::size_t i = 0; i < kLegend.size(); ++i) {
    Place(host_.Control(kLegend[i].name), 0, legendTop + static_cast<int>(i) * lineHeight, width, lineHeight);
  }
  Place(progress_, 0, height - barHeight, width, barHeight);
  history_.Layout(RECT{0, 0, width, height});
  // The title column takes the whole width; the two data columns stay out of sight.
  ListView_SetColumnWidth(list_.hwnd(), 0, std::max(0, width - GetSystemMetrics(SM_CXVSCROLL) - s(4)));
}

void AdvancedPage::rbtTweaksClick() {
  for (const char* name : kOptionBoxes) {
    Button_SetCheck(host_.Control(name), BST_UNCHECKED);
  }
  SendMessageW(host_.Control("ToolBar1"), TB_CHECKBUTTON, kCmdBackup, TRUE);
  PageView& view = host_.view();
  view.findShown = false;
  view.refreshShown = false;
  view.commandsShown = true;
  view.deleteShown = true;
  view.deleteCaption = tweaks::kApplyCaption;
  view.applyGlyph = true;
  view.headerShown = false;
  view.tweakHeaderShown = true;
  host_.RenderPageView();
  EnableWindow(host_.Control("btnSil"), TRUE);
  host_.SetHint("btnBul", tweaks::kApplyHint);
  host_.SetHint("btnSil", tweaks::kApplyHint);
  host_.SetHint("tbtRestore", tweaks::RestoreHint());
  SetText(host_.Control("lblTweaklabel"), model_->TitleText());
  host_.BringToFront(Area::kTweaks);
  host_.SetStatusText("");
  SelectTab(0);
}

// Selecting a tab by a command runs the tab change, as a click would, also for the tab
// already selected.
void AdvancedPage::SelectTab(int tab) {
  TabCtrl_SetCurSel(tabs_, tab);
  pcTweaksTabChanged();
}

void AdvancedPage::pcTweaksTabChanged() {
  if (TabCtrl_GetCurSel(tabs_) == kHistoryTab) {
    ShowHistory(true);
    return;
  }
  ShowHistory(false);
  const Busy busy(*this);
  const std::unique_ptr<EngineSink> window = host_.MakeSink();
  TweakBarSink sink(*this, *window);
  model_->SelectTab(TabCtrl_GetCurSel(tabs_), sink);
  ShowRows();
}

void AdvancedPage::Find(EngineSink& frame) {
  const Busy busy(*this);
  TweakBarSink sink(*this, frame);
  ShowWindow(applied_, SW_HIDE);
  ShowWindow(list_.hwnd(), SW_HIDE);
  model_->Find(sink);
  ShowRows();
}

void AdvancedPage::Apply(EngineSink& frame) {
  const Busy busy(*this);
  MirrorChecks();
  TweakBarSink sink(*this, frame);
  ShowWindow(applied_, SW_HIDE);
  (void)model_->Apply(sink);  // its messages say what happened
  ShowRows();
}

void AdvancedPage::ShowHistory(bool shown) {
  if (shown == history_.shown()) {
    return;
  }
  ShowWindow(list_.hwnd(), SW_HIDE);
  ShowWindow(applied_, SW_HIDE);
  for (const LegendLabel& label : kLegend) {
    ShowWindow(host_.Control(label.name), shown ? SW_HIDE : SW_SHOW);
  }
  ShowWindow(progress_, shown ? SW_HIDE : SW_SHOW);
  history_.Show(shown);
  host_.view().deleteShown = !shown;  // nothing to apply on the history
  host_.RenderPageView();
}

// The rows of the model: the visible list of a category tab, or "Applied Tasks".
void AdvancedPage::ShowRows() {
  list_.rows() = model_->VisibleRows();
  list_.Refill();
  FillAppliedTasks();
  const bool applied = model_->ShowsAppliedTasks();
  ShowWindow(applied_, applied ? SW_SHOW : SW_HIDE);
  ShowWindow(list_.hwnd(), applied ? SW_HIDE : SW_SHOW);
}

void AdvancedPage::FillAppliedTasks() {
  SendMessageW(applied_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(applied_);
  int index = 0;
  for (const ResultRow& row : model_->AppliedRows()) {
    std::wstring caption = Wide(row.columns[0]);
    std::wstring category = Wide(row.columns[1]);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = caption.data();
    item.iImage = row.image;
    ListView_InsertItem(applied_, &item);
    ListView_SetItemText(applied_, index, 1, category.data());
    ++index;
  }
  SendMessageW(applied_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(applied_, nullptr, TRUE);
}

// The passes read the checks of the model's rows; the visible list is in the same order.
void AdvancedPage::MirrorChecks() {
  const std::vector<ResultRow>& rows = list_.rows();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    model_->CheckRow(row, rows[row].checked);
  }
}

void AdvancedPage::lvAdvanced1KeyPress() {
  if (busy_) {
    return;
  }
  const std::vector<std::size_t> selected = list_.SelectedRows();
  ApplyEnterKey(list_.rows(), selected);
  list_.ShowChecks(selected);
  MirrorChecks();
}

bool AdvancedPage::OnCommand(unsigned id, unsigned code, HWND control) {
  (void)code;
  (void)control;
  if (busy_) {
    if (id == kCmdExit1) {
      exitAfterBusy_ = true;
      return true;
    }
    return id != kCmdShow1 && id != kCmdHide1;  // the tray's Show and Hide still act
  }
  if (id == kCmdRestore) {
    btnRestoreClick();
    return true;
  }
  return history_.OnCommand(id);
}

std::optional<LRESULT> AdvancedPage::OnNotify(const NMHDR& header) {
  if (const auto handled = history_.OnNotify(header)) {
    return handled;
  }
  if (header.hwndFrom == tabs_) {
    if (header.code == TCN_SELCHANGING) {
      return busy_ ? TRUE : FALSE;  // a tab chosen during a pass would not get its rows
    }
    if (header.code == TCN_SELCHANGE) {
      pcTweaksTabChanged();
      return 0;
    }
    return std::nullopt;
  }
  if (header.hwndFrom != list_.hwnd()) {
    return std::nullopt;
  }
  switch (header.code) {
    case LVN_GETDISPINFOW:
      list_.OnGetDispInfo(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)));
      return 0;
    case LVN_ODFINDITEMW: return -1;
    case NM_CLICK:
      list_.OnClick(reinterpret_cast<const NMITEMACTIVATE&>(header));
      MirrorChecks();
      return 0;
    default: return 0;
  }
}

void AdvancedPage::OnExit() {
  host_.noteWindow().HideNote();
}

// The description of the row under the pointer, 10 pixels right of and below it.
void AdvancedPage::lvAdvanced1MouseMove(POINT client) {
  LVHITTESTINFO hit{};
  hit.pt = client;
  const int item = ListView_HitTest(list_.hwnd(), &hit);
  std::optional<std::size_t> row;
  if (item >= 0 && (hit.flags & LVHT_ONITEM) != 0) {
    row = static_cast<std::size_t>(item);
  }
  NoteWindow& note = host_.noteWindow();
  const tweaks::NoteAction action = tooltip_.MouseMove(*model_, row, note.shown());
  if (action.kind == tweaks::NoteAction::Hide) {
    note.HideNote();
    return;
  }
  POINT screen = client;
  ClientToScreen(list_.hwnd(), &screen);
  const int offset = Scale(tweaks::kTooltipOffset, host_.Dpi());
  // Placed first, so that the note appears where it belongs rather than where it was.
  SetWindowPos(note.hwnd(), nullptr, screen.x + offset, screen.y + offset, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (action.kind == tweaks::NoteAction::Show) {
    note.ShowNote(action.text);
  }
}

void AdvancedPage::lvAdvanced1MouseLeave() {
  (void)tooltip_.MouseLeave();
  host_.noteWindow().HideNote();
}

LRESULT CALLBACK AdvancedPage::ListSubclass(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self) {
  if (message == WM_MOUSEMOVE) {
    const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
    reinterpret_cast<AdvancedPage*>(self)->lvAdvanced1MouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return result;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(list, &AdvancedPage::ListSubclass, kListSubclassId);
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

LRESULT CALLBACK AdvancedPage::LegendSubclass(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                              DWORD_PTR self) {
  switch (message) {
    case WM_PAINT:
      return PaintWindow(label, [&](HDC dc) {
        reinterpret_cast<const AdvancedPage*>(self)->PaintLegend(label, static_cast<int>(id - kLegendSubclassId), dc);
      });
    case WM_ERASEBKGND: return 1;
    case WM_NCDESTROY: RemoveWindowSubclass(label, &AdvancedPage::LegendSubclass, id); break;
    default: break;
  }
  return DefSubclassProc(label, message, wParam, lParam);
}

void AdvancedPage::PaintLegend(HWND label, int risk, HDC dc) const {
  RECT client{};
  GetClientRect(label, &client);
  // The panel's own background, as it gives it to its labels.
  const auto background = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
  FillRect(dc, &client, background != nullptr ? background : GetSysColorBrush(COLOR_BTNFACE));
  const int size = Scale(16, host_.Dpi());
  ImageList_Draw(riskImages_.get(), risk, dc, 0, (client.bottom - size) / 2, ILD_TRANSPARENT);
  const auto found = std::find_if(kLegend.begin(), kLegend.end(), [&](const LegendLabel& l) { return l.risk == risk; });
  ScopedSelect font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, found != kLegend.end() ? found->color : GetSysColor(COLOR_WINDOWTEXT));
  const std::wstring text = Wide(GetText(label));
  RECT textArea = client;
  textArea.left = size + Scale(6, host_.Dpi());
  DrawTextW(dc, text.c_str(), -1, &textArea, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

}  // namespace sw::app::win32
