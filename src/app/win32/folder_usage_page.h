#pragma once
// The Folder Usage tab (pnlPie, made by the system tabs): the drive selector DriveComboBox1,
// the status line lblFolderMessage, the chart PieChart1 and the two guide lines. What its
// events do to the chart is FolderUsage's business; this page measures with the window's
// messages flowing, the busy note up while a drive is measured.

#include <windows.h>

#include <functional>
#include <string_view>

#include "app/folder_usage.h"
#include "app/win32/gdi.h"
#include "app/win32/page_host.h"
#include "app/win32/pie_chart_view.h"
#include "core/engine_sink.h"

namespace sw::app::win32 {

class FolderUsagePage final : public WindowPage {
 public:
  explicit FolderUsagePage(PageHost& host) : host_(host), chart_(usage_.chart()) {}

  // Made into pnlPie, which the system tabs have made before.
  void Create(HWND parent) override;
  // pnlPieResize, after the system tabs have placed pnlPie.
  void Layout(const RECT& area) override;
  void OnDpiChanged() override;
  bool OnCommand(unsigned id, unsigned code, HWND control) override;
  // While a chart is measured, Stop is the measuring's.
  [[nodiscard]] bool busy() const override { return usage_.Measuring(); }
  // A measurement under way ends at once.
  void OnExit() override;

  // folderpiechart of `folder`, as a selection or a click would run it; false when another
  // measurement is under way.
  bool ShowFolder(std::string_view folder);

  [[nodiscard]] const FolderUsage& usage() const { return usage_; }
  [[nodiscard]] HWND chartWindow() const { return chart_.hwnd(); }

 private:
  void DriveComboBox1Change();
  void PieChart1DblClick();
  void PieChart1RightClick();
  void PieChart1MouseMove();
  // Runs one of FolderUsage's measuring steps with the window answering meanwhile, then
  // shows its chart and status.
  bool Measure(const std::function<bool(const sysinfo::MeasureOptions&)>& step);
  void ApplyFonts();

  PageHost& host_;
  FolderUsage usage_;
  PieChartView chart_;
  StopFlag stop_;
  UniqueGdiObject messageFont_;  // lblFolderMessage: navy Arial
  bool fontsApplied_ = false;
};

}  // namespace sw::app::win32
