// The system tabs in this process under Wine: the CPU, Drive and Memory pages with the
// machine's real figures, Regain over a stand-in block, the six-second timer's pass and the
// free-memory alert.

#include "app/win32/system_page.h"

#include <windows.h>

#include <commctrl.h>
#include <cpuid.h>
#include <gtest/gtest.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "app/command_ids.h"
#include "app/system_tabs.h"
#include "app/win32/dpi.h"
#include "core/language.h"
#include "gui/main_window_fixture.h"
#include "sysinfo/figure_text.h"

namespace sw::app::win32 {
namespace {

using test::ShownMessages;

class SystemPageTest : public test::MainWindowFixture {
 protected:
  [[nodiscard]] int GaugeOf(std::string_view name) const {
    return static_cast<int>(SendMessageW(window_->Control(name), PBM_GETPOS, 0, 0));
  }
  void Tick() { SendMessageW(window_->hwnd(), WM_TIMER, kTimer1, 0); }
  [[nodiscard]] int Ticks() const { return window_->systemPage().monitor().TimerTicks(); }
};

// The processor's name string, read here with the compiler's own CPUID helper.
std::string CpuBrand() {
  unsigned max = 0;
  unsigned unused = 0;
  __get_cpuid(0x80000000, &max, &unused, &unused, &unused);
  if (max < 0x80000004) {
    return "-";
  }
  unsigned r[12] = {};
  for (unsigned i = 0; i < 3; ++i) {
    __get_cpuid(0x80000002 + i, &r[4 * i], &r[4 * i + 1], &r[4 * i + 2], &r[4 * i + 3]);
  }
  char text[49] = {};
  std::memcpy(text, r, 48);
  std::string brand = text;
  brand.erase(0, brand.find_first_not_of(' '));
  brand.erase(brand.find_last_not_of(' ') + 1);
  return brand.empty() ? "-" : brand;
}

std::string CpuVendorId() {
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  __get_cpuid(0, &eax, &ebx, &ecx, &edx);
  char vendor[13] = {};
  std::memcpy(vendor, &ebx, 4);
  std::memcpy(vendor + 4, &edx, 4);
  std::memcpy(vendor + 8, &ecx, 4);
  return vendor;
}

TEST_F(SystemPageTest, TheCpuDriveAndMemoryTabsShowTheMachinesFigures) {
  MainWindow& window = Start();
  // The processor is read at start-up, before its tab is ever shown.
  EXPECT_EQ(TextOf("lblVendorID"), CpuVendorId());
  window.RunCommand(kCmdResources);
  EXPECT_TRUE(Shown("pnlCpu"));
  EXPECT_EQ(TextOf("lblFamily").rfind("Family ", 0), 0U) << TextOf("lblFamily");
  EXPECT_NE(TextOf("lblFamily").find(" Stepping "), std::string::npos);
  const std::string speed = TextOf("lblSpeed");
  EXPECT_TRUE(speed.ends_with("Mhz") && std::atoi(speed.c_str()) > 0) << speed;
  EXPECT_NE(TextOf("lblVendor"), "-");
  EXPECT_EQ(TextOf("lblCpuName"), CpuBrand());
  EXPECT_EQ(TextOf("lblCpuNameCaption"), "Name");
  EXPECT_EQ(TextOf("lblUnifiedCache2Caption"), "Level3 Uni Cache");
  // What the processor does not report reads "-", never 0 (a bus clock only leaf 0x16 gives).
  unsigned maxBasic = 0;
  unsigned unused = 0;
  __get_cpuid(0, &maxBasic, &unused, &unused, &unused);
  if (maxBasic < 0x16) {
    EXPECT_EQ(TextOf("lblBusSpeed"), "-");
  }
  for (const char* figure : {"lblSpeed", "lblBusSpeed", "lblTransistors", "lblDataCache", "lblInstCache",
                             "lblUnifiedCache0", "lblUnifiedCache1", "lblUnifiedCache2"}) {
    const std::string text = TextOf(figure);
    EXPECT_TRUE(text == "-" || std::atoi(text.c_str()) > 0) << figure << ": " << text;
  }

  window.RunCommand(kCmdDrive1);
  EXPECT_TRUE(Shown("pnlDisk") && !Shown("pnlCpu"));
  EXPECT_EQ(TextOf("cmbDrive"), "c:");
  ULARGE_INTEGER freeToCaller{};
  ULARGE_INTEGER capacity{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &freeToCaller, &capacity, nullptr));
  EXPECT_EQ(TextOf("lblTotalSize"), sysinfo::MBText(capacity.QuadPart));
  EXPECT_TRUE(TextOf("lblFreeSpace").ends_with("MB"));
  // Before any deletion the fixed drives' free space goes to the Before row.
  EXPECT_TRUE(TextOf("lblFreeSpaceBefore").ends_with("MB"));
  EXPECT_GT(GaugeOf("gauFreeSpaceBefore"), 0);
  EXPECT_EQ(TextOf("lblFreeSpaceAfter"), "-");
  EXPECT_EQ(GaugeOf("gauFreeSpaceAfter"), 0);

  window.RunCommand(kCmdMemory1);
  EXPECT_TRUE(Shown("pnlMemory") && !Shown("pnlDisk"));
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof(memory);
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  EXPECT_EQ(TextOf("lblTotalMem"), sysinfo::KBAndMBText(memory.ullTotalPhys));
  EXPECT_TRUE(TextOf("lblFreeMem").ends_with("MB)")) << TextOf("lblFreeMem");
  EXPECT_GT(GaugeOf("Gauge1"), 0);
  EXPECT_LE(GaugeOf("Gauge1"), 100);
  EXPECT_TRUE(TextOf("lblFreeMemBefore").ends_with("MB"));
  EXPECT_EQ(TextOf("lblFreeMemAfter"), "-");
  EXPECT_TRUE(Shown("btnRefresh") && !Shown("btnBul") && !Shown("btnSil"));
}

TEST_F(SystemPageTest, AfterADeletionTheDriveFiguresGoToTheAfterRow) {
  MainWindow& window = Start();
  window.RunCommand(kCmdDrive1);
  const std::string before = TextOf("lblFreeSpaceBefore");
  // A Delete of the Files page, with nothing in the list to delete.
  window.RunCommand(kCmdDosyalar);
  window.RunCommand(kCmdSil);
  ASSERT_TRUE(window.DiskAfterClean());
  window.RunCommand(kCmdDrive1);
  EXPECT_TRUE(TextOf("lblFreeSpaceAfter").ends_with("MB"));
  EXPECT_GT(GaugeOf("gauFreeSpaceAfter"), 0);
  EXPECT_EQ(TextOf("lblFreeSpaceBefore"), before) << "the Before row keeps its figure";
}

TEST_F(SystemPageTest, RegainFillsItsBlockWithProgressOnTheMemoryPage) {
  MainWindow& window = Start();
  window.RunCommand(kCmdMemory);
  const int ticks = Ticks();
  int progressWhenFreed = -1;
  regain_.whenFreed = [&] { progressWhenFreed = GaugeOf("gauMemProcess"); };
  regain_.sizesAsked.clear();  // a machine short of memory has had the timer's own reclaim
  window.RunCommand(kCmdRefresh);

  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof(memory);
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  // 60 % of physical memory, unless less than that and a tenth is still to be committed.
  const std::uint64_t block = std::min(memory.ullTotalPhys * 3 / 5, memory.ullAvailPageFile - memory.ullTotalPhys / 10);
  ASSERT_EQ(regain_.sizesAsked.size(), 1U);
  EXPECT_NEAR(static_cast<double>(regain_.sizesAsked[0]), static_cast<double>(block), 64.0 * 1'048'576);
  const std::uint64_t asked = regain_.sizesAsked[0];
  EXPECT_EQ(regain_.writes, asked / 1'048'576);
  EXPECT_FALSE(IsWindowVisible(window.Control("btnStop"))) << "Stop goes with the reclaim";
  EXPECT_EQ(progressWhenFreed, 100);
  EXPECT_EQ(GaugeOf("gauMemProcess"), 0);
  // It ends with a timer pass, whose figures go to the After row from now on.
  EXPECT_EQ(Ticks(), (ticks + 1) % 60);
  EXPECT_TRUE(window.systemPage().monitor().MemAfterRegain());
  EXPECT_TRUE(TextOf("lblFreeMemAfter").ends_with("MB"));
  EXPECT_GT(GaugeOf("gauFreeMemAfter"), 0);
  EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(SystemPageTest, ARegainThatGetsNoBlockSaysSoAndStillFinishes) {
  MainWindow& window = Start();
  window.RunCommand(kCmdMemory);
  regain_.refuseEverySize = true;
  regain_.sizesAsked.clear();
  ShownMessages().clear();
  window.RunCommand(kCmdRefresh);
  ASSERT_EQ(regain_.sizesAsked.size(), 3U);  // 60 %, 40 %, 1 %
  EXPECT_EQ(regain_.writes, 0U);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, Text(98));
  EXPECT_EQ(ShownMessages()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(GaugeOf("gauMemProcess"), 0);
  EXPECT_TRUE(TextOf("lblFreeMemAfter").ends_with("MB"));
}

TEST_F(SystemPageTest, TheTimerCountsEveryPassAndAlertsEveryTwentyWhenAsked) {
  MainWindow& window = Start();
  const SystemPage& page = window.systemPage();
  const int start = Ticks();
  Tick();
  EXPECT_EQ(Ticks(), (start + 1) % 60);
  SendMessageW(window.hwnd(), WM_TIMER, 77, 0);  // another timer's tick is not Timer1's
  EXPECT_EQ(Ticks(), (start + 1) % 60);
  EXPECT_TRUE(TextOf("lblTotalMem").ends_with("MB)")) << "the pass fills the Memory page unseen";

  for (int i = 0; i < 20; ++i) {
    Tick();
  }
  EXPECT_TRUE(page.alerts().empty()) << "alerts are off";

  Button_SetCheck(window.Control("chkAlerts"), BST_CHECKED);
  while (Ticks() % 20 != 19) {
    Tick();
  }
  EXPECT_TRUE(page.alerts().empty());
  Tick();
  ASSERT_EQ(page.alerts().size(), 1U);
  const AlertWindow& alert = *page.alerts().front();
  wchar_t className[32] = {};
  GetClassNameW(alert.hwnd(), className, 32);
  EXPECT_STREQ(className, L"TfrmAlert");
  EXPECT_TRUE(IsWindowVisible(alert.hwnd()));
  EXPECT_NE(GetWindowLongW(alert.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(Utf8(alert.text()).rfind("Free memory: ", 0), 0U);
  EXPECT_TRUE(Utf8(alert.text()).ends_with("MB"));
  // Inside the work area of the taskbar's monitor, against its bottom right corner (Wine's
  // taskbar, where there is one, is at the bottom).
  RECT placed{};
  GetWindowRect(alert.hwnd(), &placed);
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(taskbar != nullptr ? MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                                                 : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY),
                              &monitor));
  const RECT& work = monitor.rcWork;
  EXPECT_GE(placed.left, work.left);
  EXPECT_GE(placed.top, work.top);
  EXPECT_EQ(placed.right, work.right);
  EXPECT_EQ(placed.bottom, work.bottom);
  const UINT dpi = DpiOf(nullptr);
  EXPECT_EQ(placed.right - placed.left, Scale(150, dpi));
  EXPECT_EQ(placed.bottom - placed.top, Scale(30, dpi));
  Tick();
  EXPECT_EQ(page.alerts().size(), 1U) << "one alert per twenty ticks";
}

TEST_F(SystemPageTest, AnAlertGoesByItselfAndSeveralMayBeUpMeanwhile) {
  AlertWindow first;
  AlertWindow second;
  ASSERT_TRUE(first.Create("Free memory: 1MB", 300));
  ASSERT_TRUE(second.Create("Free memory: 2MB", 30000));
  EXPECT_TRUE(IsWindowVisible(first.hwnd()) && IsWindowVisible(second.hwnd()));
  const DWORD started = GetTickCount();
  while (!first.closed() && GetTickCount() - started < 10000) {
    test::DrainMessages();
    Sleep(20);
  }
  EXPECT_TRUE(first.closed());
  EXPECT_EQ(first.hwnd(), nullptr);
  EXPECT_FALSE(second.closed());
}

TEST_F(SystemPageTest, AClickOnATabRunsTheDispatcherAndTabsSetFromCodeAreClamped) {
  MainWindow& window = Start();
  window.RunCommand(kCmdResources);
  HWND tabs = window.Control("pnlSystem");
  RECT tab{};
  ASSERT_TRUE(TabCtrl_GetItemRect(tabs, kDriveTab, &tab));
  const LPARAM point = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(tabs, WM_LBUTTONUP, 0, point);
  EXPECT_EQ(window.ActiveTab("pnlSystem"), kDriveTab);
  EXPECT_TRUE(Shown("pnlDisk"));
  EXPECT_EQ(TextOf("lblCleanType"), "Disk Statistics");
  EXPECT_NE(TextOf("lblTotalSize"), "-");

  window.systemPage().SelectTab(9);
  EXPECT_EQ(window.ActiveTab("pnlSystem"), kFolderUsageTab);
  EXPECT_TRUE(Shown("pnlPie") && !Shown("pnlDisk"));
  EXPECT_EQ(TextOf("lblCleanType"), "Folders Usage");
  window.systemPage().SelectTab(-1);
  EXPECT_EQ(window.ActiveTab("pnlSystem"), kCpuTab);
  EXPECT_EQ(TextOf("lblCleanType"), "CPU Information");
}

}  // namespace
}  // namespace sw::app::win32
