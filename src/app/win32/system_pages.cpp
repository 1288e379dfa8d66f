// The system tabs' controls: the tab control, the CPU, Drive and Memory pages with their
// label rows and gauges, the Folder Usage tab's panel, and the figures copied into them.
// Sizes are 96-dpi pixels, scaled by Scale().

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>

#include "app/command_ids.h"
#include "app/system_tabs.h"
#include "app/win32/control_place.h"
#include "app/win32/dpi.h"
#include "app/win32/gdi.h"
#include "app/win32/gradient_progress.h"
#include "app/win32/percent_gauge.h"
#include "app/win32/system_page.h"

namespace sw::app::win32 {
namespace {

// A caption label (its text comes from ApplyLanguage), the label its figure goes to, and
// the gauge beside it on the rows that have one.
struct StatRow {
  std::string_view caption;
  std::string_view value;
  std::string_view gauge;
};
constexpr std::array kCpuRows{
    StatRow{"lblCpuNameCaption", "lblCpuName", {}},
    StatRow{"StatLabel7", "lblVendor", {}},
    StatRow{"StatLabel9", "lblVendorID", {}},
    StatRow{"StatLabel17", "lblSpeed", {}},
    StatRow{"StatLabel10", "lblBusSpeed", {}},
    StatRow{{}, "lblFamily", {}},  // "Family 6 Model 8 Stepping 3" needs no caption
    StatRow{"StatLabel11", "lblCodeName", {}},
    StatRow{"StatLabel12", "lblTransistors", {}},
    StatRow{"StatLabel13", "lblDataCache", {}},
    StatRow{"StatLabel14", "lblInstCache", {}},
    StatRow{"StatLabel15", "lblUnifiedCache0", {}},
    StatRow{"StatLabel16", "lblUnifiedCache1", {}},
    StatRow{"lblUnifiedCache2Caption", "lblUnifiedCache2", {}},
};
// The captions of the rows the language tables have no text for: the processor's name and
// the third cache level, which processors of the tables' time did not report.
constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kFixedCaptions{{
    {"lblCpuNameCaption", "Name"},
    {"lblUnifiedCache2Caption", "Level3 Uni Cache"},
}};
// Below the drive selector: the selected drive, then the fixed drives together.
constexpr std::array kDiskRows{
    StatRow{"StatLabel2", "lblTotalSize", {}},
    StatRow{"StatLabel3", "lblFreeSpace", {}},
    StatRow{"StatLabel5", "lblFreeSpaceBefore", "gauFreeSpaceBefore"},
    StatRow{"StatLabel4", "lblFreeSpaceAfter", "gauFreeSpaceAfter"},
};
constexpr std::array kMemoryRows{
    StatRow{"StatLabel6", "lblTotalMem", {}},
    StatRow{"StatLabel8", "lblFreeMem", "Gauge1"},
    StatRow{"StatLabel21", "lblFreeMemBefore", "gauFreeMemBefore"},
    StatRow{"StatLabel23", "lblFreeMemAfter", "gauFreeMemAfter"},
};

constexpr std::string_view kRegainNote =
    "Please click Regain button at the action panel below to regain memory used by dead processes";

// The colour the work area paints its background in (it hands out its brush as it does to
// its labels); the tab pages take it on.
COLORREF BackgroundOf(HWND panel) {
  const WindowDc dc(panel);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(panel, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(panel)));
  LOGBRUSH fill{};
  return brush != nullptr && GetObjectW(brush, sizeof(fill), &fill) != 0 ? fill.lbColor : GetSysColor(COLOR_BTNFACE);
}

void AddRow(PageHost& host, HWND page, const StatRow& row) {
  if (!row.caption.empty()) {
    host.AddControl(row.caption, WC_STATICW, "", SS_LEFTNOWORDWRAP, page);
  }
  host.AddControl(row.value, WC_STATICW, "-", SS_LEFTNOWORDWRAP | SS_NOPREFIX, page);
  if (!row.gauge.empty()) {
    MakePercentGauge(host.AddControl(row.gauge, PROGRESS_CLASSW, "", PBS_SMOOTH, page));
  }
}

// The heading, then the rows from `firstRow` down, `step` 96-dpi pixels apart: caption,
// figure and, where there is one, the gauge to the right.
void LayoutRows(PageHost& host, std::string_view heading, std::span<const StatRow> rows, int firstRow, int width,
                int step = 24) {
  auto s = [&host](int pixels) { return Scale(pixels, host.Dpi()); };
  Place(host.Control(heading), s(16), s(12), width - s(32), s(22));
  int y = firstRow;
  for (const StatRow& row : rows) {
    if (!row.caption.empty()) {
      Place(host.Control(row.caption), s(24), y, s(230), s(20));
    }
    Place(host.Control(row.value), s(260), y, row.gauge.empty() ? width - s(280) : s(170), s(20));
    if (!row.gauge.empty()) {
      Place(host.Control(row.gauge), s(440), y, width - s(460), s(18));
    }
    y += s(row.gauge.empty() ? step : 28);
  }
}

}  // namespace

void SystemPage::Create(HWND parent) {
  const COLORREF colour = BackgroundOf(parent);
  HWND tabs = host_.AddControl("pnlSystem", WC_TABCONTROLW, "", WS_CLIPCHILDREN, parent);
  ShowWindow(tabs, SW_HIDE);
  for (int tab = 0; tab < kSystemTabCount; ++tab) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"");  // ApplyLanguage names the tabs
    TabCtrl_InsertItem(tabs, tab, &item);
  }
  for (const SystemTabPage& page : SystemTabPages()) {
    host_.AddPanel(page.panel, tabs, colour);
  }
  CreateCpuPage();
  CreateDiskPage();
  CreateMemoryPage();
  // Start-up reads the processor once; the tab shows its figures from then on.
  TabSheet1Show();
}

void SystemPage::CreateCpuPage() {
  HWND page = host_.Control("pnlCpu");
  host_.AddControl("StatLabel20", WC_STATICW, "", 0, page);
  for (const StatRow& row : kCpuRows) {
    AddRow(host_, page, row);
  }
}

void SystemPage::ApplyLanguage() {
  for (const auto& [name, caption] : kFixedCaptions) {
    SetText(host_.Control(name), caption);
  }
}

void SystemPage::CreateDiskPage() {
  HWND page = host_.Control("pnlDisk");
  host_.AddControl("StatLabel19", WC_STATICW, "", 0, page);
  HWND drives =
      host_.AddControl("cmbDrive", WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, page, kCmdCmbDrive);
  const std::vector<std::string> fixed = FixedDrives(*host_.platform().files);
  for (const std::string& drive : fixed) {
    ComboBox_AddString(drives, Wide(drive).c_str());
  }
  const auto c = std::find(fixed.begin(), fixed.end(), "c:");
  ComboBox_SetCurSel(drives, c == fixed.end() ? 0 : static_cast<int>(c - fixed.begin()));
  for (const StatRow& row : kDiskRows) {
    AddRow(host_, page, row);
  }
}

void SystemPage::CreateMemoryPage() {
  HWND page = host_.Control("pnlMemory");
  host_.AddControl("StatLabel18", WC_STATICW, "", 0, page);
  for (const StatRow& row : kMemoryRows) {
    AddRow(host_, page, row);
  }
  host_.AddControl("lblRegainMemory", WC_STATICW, kRegainNote, 0, page);
  host_.AddControl("chkAlerts", WC_BUTTONW, "", BS_AUTOCHECKBOX | WS_TABSTOP, page);
  host_.AddHint("chkAlerts");
  HWND progress = host_.AddControl("gauMemProcess", PROGRESS_CLASSW, "", PBS_SMOOTH, page);
  SendMessageW(progress, PBM_SETRANGE32, 0, 100);
  MakeGradientProgress(progress);
}

// The pages fill the tab control's display area; each lays out its label rows.
void SystemPage::Layout(const RECT&) {
  HWND tabs = host_.Control("pnlSystem");
  RECT display{};
  GetClientRect(tabs, &display);
  TabCtrl_AdjustRect(tabs, FALSE, &display);
  for (const SystemTabPage& page : SystemTabPages()) {
    Place(host_.Control(page.panel), display.left, display.top, display.right - display.left,
          display.bottom - display.top);
  }
  const int width = display.right - display.left;
  const int height = display.bottom - display.top;
  auto s = [this](int pixels) { return Scale(pixels, host_.Dpi()); };
  // Thirteen rows of the processor fit the page of the smallest window at 21 pixels each.
  LayoutRows(host_, "StatLabel20", kCpuRows, s(40), width, 21);
  Place(host_.Control("cmbDrive"), s(24), s(44), s(110), s(220));
  LayoutRows(host_, "StatLabel19", kDiskRows, s(82), width);
  LayoutMemoryPage(width, height);
}

void SystemPage::LayoutMemoryPage(int width, int height) {
  auto s = [this](int pixels) { return Scale(pixels, host_.Dpi()); };
  LayoutRows(host_, "StatLabel18", kMemoryRows, s(44), width);
  const int below = s(44) + s(24) + 3 * s(28) + s(12);
  Place(host_.Control("lblRegainMemory"), s(24), below, width - s(48), s(34));
  Place(host_.Control("chkAlerts"), s(24), below + s(40), width - s(48), s(22));
  Place(host_.Control("gauMemProcess"), s(24), height - s(30), width - s(48), s(16));
}

void SystemPage::ShowCpuPage(const sysinfo::CpuPage& page) {
  const std::array<std::pair<std::string_view, const std::string*>, 13> labels{{
      {"lblCpuName", &page.name},
      {"lblVendor", &page.vendor},
      {"lblVendorID", &page.vendorId},
      {"lblSpeed", &page.speed},
      {"lblBusSpeed", &page.busSpeed},
      {"lblFamily", &page.family},
      {"lblCodeName", &page.codeName},
      {"lblTransistors", &page.transistors},
      {"lblDataCache", &page.dataCache},
      {"lblInstCache", &page.instCache},
      {"lblUnifiedCache0", &page.unifiedCache0},
      {"lblUnifiedCache1", &page.unifiedCache1},
      {"lblUnifiedCache2", &page.unifiedCache2},
  }};
  for (const auto& [name, text] : labels) {
    SetText(host_.Control(name), *text);
  }
}

void SystemPage::ShowDiskPage(const sysinfo::DiskPage& page) {
  SetText(host_.Control("lblTotalSize"), page.totalSize);
  SetText(host_.Control("lblFreeSpace"), page.freeSpace);
  SetText(host_.Control("lblFreeSpaceBefore"), page.before.text);
  SetGauge("gauFreeSpaceBefore", page.before.gauge);
  SetText(host_.Control("lblFreeSpaceAfter"), page.after.text);
  SetGauge("gauFreeSpaceAfter", page.after.gauge);
}

void SystemPage::ShowMemoryPage(const sysinfo::MemoryPage& page) {
  SetText(host_.Control("lblTotalMem"), page.totalMem);
  SetText(host_.Control("lblFreeMem"), page.freeMem);
  SetGauge("Gauge1", page.freeGauge);
  SetText(host_.Control("lblFreeMemBefore"), page.before.text);
  SetGauge("gauFreeMemBefore", page.before.gauge);
  SetText(host_.Control("lblFreeMemAfter"), page.after.text);
  SetGauge("gauFreeMemAfter", page.after.gauge);
}

void SystemPage::SetGauge(std::string_view name, int percent) {
  SendMessageW(host_.Control(name), PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
}

}  // namespace sw::app::win32
