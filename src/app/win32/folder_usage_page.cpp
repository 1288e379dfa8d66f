#include "app/win32/folder_usage_page.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app/command_ids.h"
#include "app/system_tabs.h"
#include "app/win32/control_place.h"
#include "app/win32/dpi.h"
#include "app/win32/popup_note.h"
#include "core/product.h"

namespace sw::app::win32 {
namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr std::string_view kCalculatingNote = "Calculating Files and Folders";

// lblFolderMessage writes its text centred in navy on its panel's background; a plain static
// control takes its text colour from its parent, which colours every label alike.
LRESULT CALLBACK NavyLabel(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_PAINT:
      return PaintWindow(label, [label](HDC dc) {
        RECT client{};
        GetClientRect(label, &client);
        auto background = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(label), WM_CTLCOLORSTATIC,
                                                                 reinterpret_cast<WPARAM>(dc),
                                                                 reinterpret_cast<LPARAM>(label)));
        FillRect(dc, &client, background != nullptr ? background : GetSysColorBrush(COLOR_BTNFACE));
        const ScopedSelect font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kNavy);
        const std::wstring text = Wide(GetText(label));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
      });
    case WM_SETTEXT: {
      const LRESULT result = DefSubclassProc(label, message, wParam, lParam);
      InvalidateRect(label, nullptr, FALSE);
      return result;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(label, &NavyLabel, 1); break;
    default: break;
  }
  return DefSubclassProc(label, message, wParam, lParam);
}

}  // namespace

void FolderUsagePage::Create(HWND) {
  HWND pie = host_.Control("pnlPie");
  HWND drives = host_.AddControl("DriveComboBox1", WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, pie,
                                 kCmdDriveComboBox1);
  // Opening the tab measures nothing: the first chart comes with the user's choice.
  for (const std::string& drive : FixedDrives(*host_.platform().files)) {
    ComboBox_AddString(drives, Wide(drive).c_str());
  }
  ComboBox_SetCurSel(drives, 0);
  SetWindowSubclass(host_.AddControl("lblFolderMessage", WC_STATICW, usage_.Status(), SS_CENTER, pie), &NavyLabel, 1,
                    0);
  host_.AddControl("lblPieGuide1", WC_STATICW, "", 0, pie);
  host_.AddControl("lblPieGuide2", WC_STATICW, "", 0, pie);
  chart_.Create(pie, host_.Dpi());
  chart_.OnDblClick = [this] { PieChart1DblClick(); };
  chart_.OnRightClick = [this] { PieChart1RightClick(); };
  chart_.OnMouseMove = [this] { PieChart1MouseMove(); };
}

// The window gives every control its font once the pages are made; the status line's own
// font goes on after that, at the first layout, and again at every change of DPI.
void FolderUsagePage::ApplyFonts() {
  messageFont_.reset(CreateFontW(-Scale(13, host_.Dpi()), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                 0, CLEARTYPE_QUALITY, 0, L"Arial"));
  SendMessageW(host_.Control("lblFolderMessage"), WM_SETFONT, reinterpret_cast<WPARAM>(messageFont_.get()), TRUE);
  fontsApplied_ = true;
}

void FolderUsagePage::OnDpiChanged() {
  chart_.SetDpi(host_.Dpi());
  ApplyFonts();
}

void FolderUsagePage::Layout(const RECT&) {
  if (!fontsApplied_) {
    ApplyFonts();
  }
  auto s = [this](int pixels) { return Scale(pixels, host_.Dpi()); };
  RECT panel{};
  GetClientRect(host_.Control("pnlPie"), &panel);
  const int width = panel.right;
  const int height = panel.bottom;
  // The list drops down below the selector: the height given is the dropped-down one.
  Place(host_.Control("DriveComboBox1"), s(16), s(14), s(110), s(220));
  Place(host_.Control("lblFolderMessage"), s(140), s(16), width - s(156), s(22));
  Place(chart_.hwnd(), s(50), s(50), width - s(120), height - s(80));
  Place(host_.Control("lblPieGuide1"), s(16), height - s(29), width - s(32), s(14));
  Place(host_.Control("lblPieGuide2"), s(16), height - s(15), width - s(32), s(14));
}

bool FolderUsagePage::OnCommand(unsigned id, unsigned code, HWND) {
  if (id == kCmdStop && usage_.Measuring()) {
    stop_.Request();  // the chart shows what was measured so far
    return true;
  }
  if (id != kCmdDriveComboBox1) {
    return false;
  }
  if (code == CBN_SELCHANGE) {
    DriveComboBox1Change();
  }
  return true;
}

void FolderUsagePage::OnExit() {
  stop_.Request();
}

bool FolderUsagePage::ShowFolder(std::string_view folder) {
  return Measure([&](const sysinfo::MeasureOptions& options) {
    return usage_.ShowFolder(*host_.platform().files, folder, options);
  });
}

void FolderUsagePage::DriveComboBox1Change() {
  if (usage_.Measuring()) {
    return;
  }
  PopupNote& note = host_.popupNote();
  note.Title = kProductName;
  note.Text = kCalculatingNote;
  note.ShowPopUp();
  const std::string drive = GetText(host_.Control("DriveComboBox1"));
  Measure([&](const sysinfo::MeasureOptions& options) {
    return usage_.ShowDrive(*host_.platform().files, drive, options);
  });
  note.ClosePopUps();
}

void FolderUsagePage::PieChart1DblClick() {
  Measure([this](const sysinfo::MeasureOptions& options) { return usage_.Descend(*host_.platform().files, options); });
}

void FolderUsagePage::PieChart1RightClick() {
  Measure([this](const sysinfo::MeasureOptions& options) { return usage_.GoUp(*host_.platform().files, options); });
}

void FolderUsagePage::PieChart1MouseMove() {
  if (usage_.Hover() && GetText(host_.Control("lblFolderMessage")) != usage_.Status()) {
    SetText(host_.Control("lblFolderMessage"), usage_.Status());
  }
}

// The selector is disabled while a chart is measured, so a second choice cannot arrive; a
// double-click or right-click meanwhile finds FolderUsage busy and is ignored.
bool FolderUsagePage::Measure(const std::function<bool(const sysinfo::MeasureOptions&)>& step) {
  if (usage_.Measuring()) {
    return false;
  }
  HWND drives = host_.Control("DriveComboBox1");
  HWND stop = host_.Control("btnStop");
  const std::unique_ptr<EngineSink> sink = host_.MakeSink();
  EnableWindow(drives, FALSE);
  chart_.SetBusy(true);
  // The page has no command strip of its own: it shows with Stop alone while a chart is
  // measured, and goes back to the page's own view after, unless the user has moved on to
  // another page meanwhile.
  stop_.Clear();
  const PageView own = host_.view();
  PageView measuring = own;
  measuring.commandsShown = true;
  measuring.findShown = measuring.deleteShown = measuring.refreshShown = false;
  host_.view() = measuring;
  ShowWindow(stop, SW_SHOW);
  host_.RenderPageView();
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // The messages run from inside the measurement, where FolderUsage is busy already.
  sysinfo::MeasureOptions options;
  options.whileWaiting = [&sink] { sink->ProcessMessagesNow(); };
  options.stop = &stop_;
  const bool shown = step(options);
  chart_.SetBusy(false);
  ShowWindow(stop, SW_HIDE);
  if (host_.view().title == measuring.title && host_.view().commandsShown) {
    host_.view() = own;
  }
  host_.RenderPageView();
  EnableWindow(drives, TRUE);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  if (shown) {
    chart_.Refresh();
    SetText(host_.Control("lblFolderMessage"), usage_.Status());
  }
  return shown;
}

}  // namespace sw::app::win32
