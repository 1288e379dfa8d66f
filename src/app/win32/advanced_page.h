#pragma once
// The Advanced page (toolbar button tbtAdvanced): the tweak catalogue on the five tabs of
// pcTweaks, the checkable list lvAdvanced1 and the "Applied Tasks" list, the title and the
// colour legend, the tweak progress bar, Apply, and each tweak's description beside the
// pointer. The page also carries the Restore button, which undoes what this page, the
// Registry Cleaning page or the Files Cleaning page changed, and, on a tab after the
// catalogue's, the history of every change with Undo (history_panel.h).
//
// What the lists hold and what a check or Apply does to them is tweaks::TweakPage's; this
// class shows its rows and hands it the user's clicks.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/win32/gdi.h"
#include "app/win32/history_panel.h"
#include "app/win32/page_host.h"
#include "app/win32/result_list_view.h"
#include "tweaks/restore.h"
#include "tweaks/tweak_page.h"
#include "tweaks/tweak_tooltip.h"

namespace sw::app::win32 {

class AdvancedPage final : public WindowPage {
 public:
  explicit AdvancedPage(PageHost& host) : host_(host) {}

  void Create(HWND parent) override;
  void Layout(const RECT& area) override;
  void OnDpiChanged() override;
  bool OnCommand(unsigned id, unsigned code, HWND control) override;
  std::optional<LRESULT> OnNotify(const NMHDR& header) override;
  void OnExit() override;

  // rbtTweaksClick: the page with Apply in place of Delete, its title, and tab 0.
  void rbtTweaksClick();
  // The tweak branches of the Find and Delete frames, which lock the window around them.
  void Find(EngineSink& sink);
  void Apply(EngineSink& sink);
  // btnRestoreClick: Restore of the current page (this one, Registry or Files Cleaning).
  void btnRestoreClick();

  // What the page shows, for the window tests.
  [[nodiscard]] const tweaks::TweakPage& model() const { return *model_; }
  [[nodiscard]] HistoryPanel& history() { return history_; }
  // The History tab, after the catalogue's five.
  static constexpr int kHistoryTab = tweaks::kTabCount;
  // A pass or a restore is running and letting window messages through.
  [[nodiscard]] bool busy() const override { return busy_; }
  // Where the Files Cleaning page's Restore unpacks an archive.
  std::string restoredFilesFolder{tweaks::kRestoredFilesFolder};

 private:
  // While a pass or a restore lets window messages through, the toolbar and every command
  // of the window wait (an Exit chosen meanwhile comes after it), the tabs stay where they
  // are and the list's checks stay as they are. Nests: the outermost one counts.
  class Busy {
   public:
    explicit Busy(AdvancedPage& page);
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    ~Busy();

   private:
    AdvancedPage& page_;
    bool outermost_;
  };
  class TweakBarSink;

  void CreateLists(HWND sheet);
  void CreateLegend(HWND sheet);
  void MakePictures();
  void SelectTab(int tab);
  void pcTweaksTabChanged();
  // The History tab in place of the lists, legend and bar, and Apply hidden while it shows.
  void ShowHistory(bool shown);
  void ShowRows();
  void FillAppliedTasks();
  void MirrorChecks();
  void lvAdvanced1KeyPress();
  void lvAdvanced1MouseMove(POINT client);
  void lvAdvanced1MouseLeave();
  void RestoreArchive(const std::string& archive, EngineSink& sink);
  void PaintLegend(HWND label, int risk, HDC dc) const;
  static LRESULT CALLBACK ListSubclass(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
  static LRESULT CALLBACK LegendSubclass(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

  PageHost& host_;
  std::optional<tweaks::TweakPage> model_;
  tweaks::TweakTooltip tooltip_;
  HWND tabs_ = nullptr;            // pcTweaks
  HWND sheet_ = nullptr;           // the page every tab shows: lists, legend and progress bar
  ResultListView list_;            // lvAdvanced1
  HWND applied_ = nullptr;         // lvAppliedTasks
  HWND progress_ = nullptr;        // gpTweakProgress
  UniqueImageList riskImages_;     // ImageList1: green, yellow, red
  UniqueImageList appliedImages_;  // ImageList2
  bool busy_ = false;
  bool exitAfterBusy_ = false;
  HistoryPanel history_{host_, [this](const std::function<void()>& work) {
                          const Busy busy(*this);
                          work();
                        }};
};

}  // namespace sw::app::win32
