#pragma once
// The system tab control pnlSystem with its CPU, Drive and Memory pages (the Folder Usage
// page is FolderUsagePage, on the fourth tab's panel made here): the tab dispatcher, the
// Resources commands, the Memory page's Regain, the six-second memory timer and its alerts.
//
// system_pages.cpp makes, places and fills the controls; system_page_commands.cpp holds the
// handlers.

#include <windows.h>

#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "app/win32/alert_window.h"
#include "app/win32/page_host.h"
#include "sysinfo/memory_monitor.h"
#include "sysinfo/regain_stream.h"
#include "sysinfo/sys_info.h"
#include "sysinfo/system_pages.h"

namespace sw::app::win32 {

class SystemPage final : public WindowPage {
 public:
  // `regainStreams` gives the reclaim its block (the heap when empty).
  SystemPage(PageHost& host, sysinfo::RegainStreamFactory regainStreams);

  void Create(HWND parent) override;
  void Layout(const RECT& area) override;
  bool OnCommand(unsigned id, unsigned code, HWND control) override;
  std::optional<LRESULT> OnNotify(const NMHDR& header) override;
  void OnTimer(UINT_PTR id) override;
  void ApplyLanguage() override;
  // While a reclaim fills its block, Stop is the reclaim's.
  [[nodiscard]] bool busy() const override { return monitor_.Reclaiming(); }
  void OnExit() override;

  // Sets the active tab (clamped to the tabs there are) and runs the dispatcher, as a click
  // on the tab would.
  void SelectTab(int index);

  [[nodiscard]] const sysinfo::MemoryMonitor& monitor() const { return monitor_; }
  // The alerts on screen, oldest first.
  [[nodiscard]] std::vector<const AlertWindow*> alerts() const;

 private:
  // system_pages.cpp
  void CreateCpuPage();
  void CreateDiskPage();
  void CreateMemoryPage();
  void LayoutMemoryPage(int width, int height);
  void ShowCpuPage(const sysinfo::CpuPage& page);
  void ShowDiskPage(const sysinfo::DiskPage& page);
  void ShowMemoryPage(const sysinfo::MemoryPage& page);
  void SetGauge(std::string_view name, int percent);

  // system_page_commands.cpp
  class GaugeSink;
  void FillHooks();
  void RunResourcesCommand(unsigned id);
  void btnResourcesClick();
  void rbtHafizaClick(std::string_view sender);
  void pnlSystemTabChanged();
  void TabSheet1Show();
  void cmbDriveChange();
  void TabSheet3Show() { Timer1Timer(); }
  void Timer1Timer();
  void btnRefreshClick();
  // Runs a pass or a reclaim with Stop shown while a reclaim may run.
  void RunMonitor(void (sysinfo::MemoryMonitor::*step)(EngineSink&));
  void ShowAlert(const std::string& text);

  PageHost& host_;
  sysinfo::NativeCpuProbe probe_;
  sysinfo::TSysInfo sysinfo_;
  sysinfo::MemoryMonitor monitor_;
  sysinfo::DiskPage diskPage_;
  StopFlag stop_;  // the reclaim's Stop
  std::vector<std::unique_ptr<AlertWindow>> alerts_;
};

}  // namespace sw::app::win32
