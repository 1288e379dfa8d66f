// The system tabs' handlers: the Resources commands and the tab dispatcher, the CPU and
// Drive refreshes, the Memory page's timer pass and Regain, and the free-memory alerts.

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>

#include "app/command_ids.h"
#include "app/system_tabs.h"
#include "app/win32/system_page.h"
#include "online/connection.h"

namespace sw::app::win32 {

// The window's sink for the monitor's passes and the reclaim, but with the reclaim's
// progress on the Memory page's own bar, gauMemProcess.
class SystemPage::GaugeSink final : public EngineSink {
 public:
  GaugeSink(std::unique_ptr<EngineSink> window, HWND gauge, const StopFlag& stop)
      : window_(std::move(window)), gauge_(gauge), stop_(stop) {}

  void ShowStatus(std::string_view text) override { window_->ShowStatus(text); }
  // A reclaim begins by setting its bar's range.
  void SetProgressMax(std::uint64_t maximum) override {
    if (reclaimStarts) {
      reclaimStarts();
    }
    SendMessageW(gauge_, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::clamp<std::uint64_t>(maximum, 1, 1000000)));
  }
  // The reclaim reports after every megabyte but moves the bar a hundred times: only those
  // moves are drawn, at once, whenever the messages run.
  void SetProgress(std::uint64_t position) override {
    const auto shown = static_cast<WPARAM>(std::min<std::uint64_t>(position, 1000000));
    if (SendMessageW(gauge_, PBM_GETPOS, 0, 0) != static_cast<LRESULT>(shown)) {
      SendMessageW(gauge_, PBM_SETPOS, shown, 0);
      ::UpdateWindow(gauge_);
    }
  }
  void AddRow(const ResultRow& row) override { window_->AddRow(row); }
  Answer Ask(const Message& message) override { return window_->Ask(message); }
  void ProcessMessages() override { window_->ProcessMessages(); }
  void ProcessMessagesNow() override { window_->ProcessMessagesNow(); }
  // The window's messages run here (paced); the reclaim's own Stop or the window's ends it.
  bool ShouldStop() override { return window_->ShouldStop() || stop_.IsRequested(); }

  std::function<void()> reclaimStarts;

 private:
  std::unique_ptr<EngineSink> window_;
  HWND gauge_;
  const StopFlag& stop_;
};

SystemPage::SystemPage(PageHost& host, sysinfo::RegainStreamFactory regainStreams)
    : host_(host),
      sysinfo_(probe_, *host.platform().figures),
      monitor_(sysinfo_.Memory,
               regainStreams ? std::move(regainStreams) : sysinfo::RegainStreamFactory(sysinfo::MakeHeapRegainStream)) {
  FillHooks();
}

void SystemPage::FillHooks() {
  sysinfo::TimerHooks& hooks = monitor_.hooks;
  hooks.exitRequested = [this] { return host_.ExitRequested(); };
  hooks.disableTimer = [this] { KillTimer(host_.hwnd(), kTimer1); };
  hooks.alertsEnabled = [this] { return Button_GetCheck(host_.Control("chkAlerts")) == BST_CHECKED; };
  hooks.showAlert = [this](const std::string& text) { ShowAlert(text); };
  hooks.internetConnected = [this] { return online::HasInternetConnection(*host_.platform().http); };
  hooks.startUpdateCheck = [this] { host_.StartUpdateCheck(); };
}

bool SystemPage::OnCommand(unsigned id, unsigned code, HWND) {
  if (monitor_.Reclaiming()) {
    if (id == kCmdStop) {
      stop_.Request();
      return true;
    }
    if (id == kCmdRefresh) {
      return true;  // one reclaim at a time
    }
  }
  switch (id) {
    case kCmdMemory: rbtHafizaClick("tbtMemory"); return true;
    case kCmdRefresh: btnRefreshClick(); return true;
    case kCmdCmbDrive:
      if (code == CBN_SELCHANGE) {
        cmbDriveChange();
      }
      return true;
    default: break;
  }
  if (FindResourcesCommand(id) == nullptr) {
    return false;
  }
  RunResourcesCommand(id);
  return true;
}

// btnResourcesClick, Drive1Click, Memory1Click, FolderUsageClick and btnFolderClick.
void SystemPage::RunResourcesCommand(unsigned id) {
  const ResourcesCommand& command = *FindResourcesCommand(id);
  if (command.resourcesFirst) {
    btnResourcesClick();
  } else {
    host_.BringToFront(Area::kSystem);
  }
  // btnResourcesClick has shown the CPU tab already.
  if (!command.resourcesFirst || command.tab != kCpuTab) {
    SelectTab(command.tab);
  }
  if (!command.header.empty()) {
    host_.btnMonitorClick(command.header);
  }
}

void SystemPage::btnResourcesClick() {
  host_.BringToFront(Area::kSystem);
  SelectTab(kCpuTab);
}

// The Memory page: Regain instead of Find and Delete. Its tab is set only when another one
// shows, so that the dispatcher, which calls back here, does not set it again.
void SystemPage::rbtHafizaClick(std::string_view sender) {
  host_.BringToFront(Area::kSystem);
  if (TabCtrl_GetCurSel(host_.Control("pnlSystem")) != kMemoryTab) {
    SelectTab(kMemoryTab);
  }
  host_.SetStatusText("");
  host_.btnMonitorClick(sender);
  // The header enables the Files page's option boxes; they mean nothing to the memory.
  host_.view().optionsEnabled = false;
  host_.RenderPageView();
}

void SystemPage::SelectTab(int index) {
  TabCtrl_SetCurSel(host_.Control("pnlSystem"), ClampSystemTab(index));
  pnlSystemTabChanged();
}

std::optional<LRESULT> SystemPage::OnNotify(const NMHDR& header) {
  if (header.code != TCN_SELCHANGE || header.hwndFrom != host_.Control("pnlSystem")) {
    return std::nullopt;
  }
  pnlSystemTabChanged();
  return 0;
}

void SystemPage::pnlSystemTabChanged() {
  const int tab = ClampSystemTab(TabCtrl_GetCurSel(host_.Control("pnlSystem")));
  const std::span<const SystemTabPage> pages = SystemTabPages();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    ShowWindow(host_.Control(pages[i].panel), static_cast<int>(i) == tab ? SW_SHOW : SW_HIDE);
  }
  switch (tab) {
    case kCpuTab: TabSheet1Show(); break;
    case kDriveTab: cmbDriveChange(); break;
    case kMemoryTab:
      TabSheet3Show();
      rbtHafizaClick(SystemTabPageOf(tab).header);
      return;
    default: break;  // the Folder Usage tab measures nothing until a drive is chosen
  }
  host_.btnMonitorClick(SystemTabPageOf(tab).header);
}

void SystemPage::TabSheet1Show() {
  sysinfo_.CPU.Refresh();
  ShowCpuPage(sysinfo::CpuPageOf(sysinfo_.CPU));
}

// The disk rows change only here: when the Drive tab shows or its selector changes.
void SystemPage::cmbDriveChange() {
  sysinfo::LabelDiskInfo(sysinfo_.Disk, *host_.platform().files, SelectorDrive(GetText(host_.Control("cmbDrive"))),
                         host_.DiskAfterClean(), diskPage_);
  ShowDiskPage(diskPage_);
}

void SystemPage::OnTimer(UINT_PTR id) {
  if (id == kTimer1) {
    Timer1Timer();
  }
}

void SystemPage::Timer1Timer() {
  RunMonitor(&sysinfo::MemoryMonitor::Timer1Timer);
}

void SystemPage::btnRefreshClick() {
  RunMonitor(&sysinfo::MemoryMonitor::btnRefreshClick);
}

// A pass may start the automatic reclaim. Stop shows while a reclaim fills its block, unless
// it was on show already for a Find the timer's pass interrupted.
void SystemPage::RunMonitor(void (sysinfo::MemoryMonitor::*step)(EngineSink&)) {
  HWND gauge = host_.Control("gauMemProcess");
  if (monitor_.Reclaiming()) {  // a tick or a click while the reclaim lets messages run
    GaugeSink nested(host_.MakeSink(), gauge, stop_);
    (monitor_.*step)(nested);
    ShowMemoryPage(monitor_.page());
    return;
  }
  stop_.Clear();
  HWND stop = host_.Control("btnStop");
  const bool shownBefore = IsWindowVisible(stop) != FALSE;
  bool shown = false;
  GaugeSink sink(host_.MakeSink(), gauge, stop_);
  sink.reclaimStarts = [&] {
    if (!shownBefore && !shown) {
      ShowWindow(stop, SW_SHOW);
      host_.RenderPageView();
      shown = true;
    }
  };
  (monitor_.*step)(sink);
  if (shown) {
    ShowWindow(stop, SW_HIDE);
    host_.RenderPageView();
  }
  ShowMemoryPage(monitor_.page());
}

// Every alert is a window of its own; those whose time is up are let go here.
void SystemPage::ShowAlert(const std::string& text) {
  std::erase_if(alerts_, [](const auto& alert) { return alert->closed(); });
  auto alert = std::make_unique<AlertWindow>();
  if (alert->Create(text)) {
    alerts_.push_back(std::move(alert));
  }
}

std::vector<const AlertWindow*> SystemPage::alerts() const {
  std::vector<const AlertWindow*> open;
  for (const auto& alert : alerts_) {
    if (!alert->closed()) {
      open.push_back(alert.get());
    }
  }
  return open;
}

void SystemPage::OnExit() {
  stop_.Request();
  alerts_.clear();
}

}  // namespace sw::app::win32
