#pragma once
// TForm1, the main window: toolbar pages, header, result panel, the two tab controls, the
// command panel and the tray icon. It owns every page for the life of the process.
//
// The window's code is split by concern: main_window.cpp (life cycle: FormCreate,
// FormClose, tray), main_window_controls.cpp (making and placing the controls),
// main_window_pages.cpp (page commands, headers, tabs), main_window_language.cpp
// (ApplyLanguage and the language menu), main_window_commands.cpp (the Find and Delete
// frames, the result list's clicks and keys, the page-change question).

#include <array>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/captions.h"
#include "app/language_choice.h"
#include "app/page_headers.h"
#include "app/result_list.h"
#include "app/settings_file.h"
#include "app/win32/advanced_page.h"
#include "app/win32/folder_usage_page.h"
#include "app/win32/about_page.h"
#include "app/win32/gdi.h"
#include "app/win32/more_places_options.h"
#include "app/win32/note_window.h"
#include "app/win32/page_host.h"
#include "app/win32/panel.h"
#include "app/win32/popup_note.h"
#include "app/win32/result_list_view.h"
#include "app/win32/system_page.h"
#include "app/win32/tray_icon.h"
#include "app/win32/update_service.h"
#include "app/win32/window.h"
#include "core/engine_sink.h"
#include "platform/platform.h"
#include "registry/registry_object.h"
#include "sysinfo/regain_stream.h"
#include "uninstall/leftover.h"

namespace sw::app::win32 {

// What the program entry hands to the window.
struct AppEnvironment {
  platform::Platform* platform = nullptr;
  std::string exePath;        // full path of the running program
  std::string programDir;     // ProgramDir: its folder, without a trailing backslash
  std::string firstArgument;  // "-splash", "-shortcut" or anything else
  // The block the memory reclaim fills: the heap when empty; tests put a stand-in here.
  sysinfo::RegainStreamFactory regainStreams;
};

// The Files page's option boxes, which several pages enable, disable or clear together.
inline constexpr std::array<const char*, 4> kOptionBoxes{"chkIntCache", "chkIntCookies", "chkRecent", "chkIntHistory"};

class MainWindow : public Window, public PageHost {
 public:
  explicit MainWindow(AppEnvironment environment);
  // Destroys the window while every member still lives: its controls notify it as they go.
  ~MainWindow() override;

  // Creates the (hidden) window; FormCreate runs as part of it.
  bool Create();

  // The tray residence: hide into the tray, and Show1Click.
  void HideToTray();
  void Show1Click();
  void Exit1Click();

  // Runs a command as its toolbar button, menu item or button would.
  void RunCommand(unsigned commandId);

  // State for the tests and the program entry.
  [[nodiscard]] const Settings& settings() const { return settings_; }
  [[nodiscard]] const LanguageState& language() const { return language_; }
  [[nodiscard]] const PageView& pageView() const { return view_; }
  [[nodiscard]] Area frontArea() const { return frontArea_; }
  [[nodiscard]] bool trayIconAdded() const { return tray_ && tray_->added(); }
  [[nodiscard]] int ActiveTab(std::string_view tabControl) const;
  // What the window shows in a caption, hint, column heading or tab right now.
  [[nodiscard]] std::string ReadSlot(const CaptionAssignment& assignment) const;
  [[nodiscard]] std::string StatusText() const;
  // The status bar's second panel: what the window says of its rights.
  [[nodiscard]] std::string RightsPanelText() const;
  // Whether the menus offer "Restart as administrator" (Vista and later, not elevated).
  [[nodiscard]] bool OffersRestartAsAdministrator() const;
  [[nodiscard]] const std::vector<ResultRow>& rows() const { return list_.rows(); }
  [[nodiscard]] ResultListView& resultList() { return list_; }
  [[nodiscard]] int ProgressPosition() const;
  [[nodiscard]] bool running() const { return running_; }
  [[nodiscard]] SystemPage& systemPage() { return *systemPage_; }
  [[nodiscard]] FolderUsagePage& folderUsagePage() { return *folderUsagePage_; }
  [[nodiscard]] AdvancedPage& advancedPage() { return advancedPage_; }
  [[nodiscard]] UpdateService& updateService() { return updates_; }
  [[nodiscard]] MorePlacesOptions& morePlaces() { return morePlaces_; }

  // What the pages may ask of the window (page_host.h).
  HWND AddControl(std::string_view name, const wchar_t* className, std::string_view text, DWORD style, HWND parent,
                  unsigned id = 0) override;
  Panel& AddPanel(std::string_view name, HWND parent, COLORREF color, bool clipChildren = true) override;
  void AddHint(std::string_view name) override;
  void SetHint(std::string_view name, std::string_view text) override;
  [[nodiscard]] HWND Control(std::string_view name) const override;
  [[nodiscard]] HWND hwnd() const override { return Window::hwnd(); }
  [[nodiscard]] UINT Dpi() const override { return dpi_; }
  [[nodiscard]] HFONT Font(FontKind kind) const override;
  [[nodiscard]] platform::Platform& platform() override { return *env_.platform; }
  [[nodiscard]] const AppEnvironment& environment() const override { return env_; }
  void SetStatusText(std::string_view text) override;
  void btnMonitorClick(std::string_view sender) override;
  void BringToFront(Area area) override;
  PageView& view() override { return view_; }
  void RenderPageView() override;
  [[nodiscard]] bool IsToolbarButtonPressed(unsigned commandId) const override;
  std::unique_ptr<EngineSink> MakeSink() override;
  PopupNote& popupNote() override { return popupNote1_; }
  NoteWindow& noteWindow() override { return waitDialog_; }
  [[nodiscard]] bool DiskAfterClean() const override { return diskAfterClean_; }
  [[nodiscard]] bool ExitRequested() const override { return exitRequested_; }
  void StartUpdateCheck() override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // main_window.cpp
  void FormCreate();
  void FormShow();
  bool FormClose();  // true when the window may be destroyed
  void SaveSettingsFile();
  void ReadVersionLabel();
  void ApplySettings();
  void RegisterInRegistry();
  void ConfigurePopupNote();
  void OnTrayMessage(WPARAM wParam, LPARAM lParam);
  void OnCommand(unsigned id, unsigned code = 0, HWND control = nullptr);
  LRESULT OnNotify(const NMHDR& header);
  void btnStopClick() { stopRequested_ = true; }

  [[nodiscard]] std::string StatusPanelText(int part) const;

  // main_window_rights.cpp
  void ShowRights();
  [[nodiscard]] unsigned PressedPageCommand() const;
  void RestartAsAdministrator();

  // main_window_controls.cpp
  void CreateControls();
  void CreateMenus();
  void CreateToolbar();
  void CreateResultPanel(HWND parent);
  void CreateInformationTabs(HWND parent);
  void CreateCommandPanel(HWND parent);
  HWND AddTabControl(std::string_view name, HWND parent, std::initializer_list<const wchar_t*> captions);
  void ApplyFonts();
  void MakePictures();
  void Layout();
  void LayoutResultPanel(const RECT& area);
  void LayoutCommandButtons();
  void FormResize();
  void RoundedBorders(std::string_view control, int radius);
  void OnDpiChanged(UINT dpi, const RECT& suggested);

  // main_window_page_list.cpp: the pages with controls of their own, made with the window.
  void MakePages();

  // main_window_pages.cpp
  void SetCommandVisible(std::string_view name, bool visible);
  void PressToolbarButton(unsigned commandId);
  void ActivateListPage(std::string_view sender);
  void tbtDosyalarClick(std::string_view sender);
  void tbtSistemKayitClick(std::string_view sender);
  void rbtSoftwareClick(std::string_view sender);
  void SelectTab(std::string_view tabControl, int index);
  void pnlAboutTabChanged();

  // main_window_commands.cpp
  class RunSink;
  class CommandFrame;
  class SortFrame;
  void EndRun();
  void btnBulClick();
  void btnSilClick();
  void FindFilesBranch(RunSink& sink);
  void FindRegistryBranch(RunSink& sink);
  void DeleteFilesBranch(RunSink& sink);
  void DeleteRegistryBranch(RunSink& sink);
  // software_page.cpp
  void FindSoftwareBranch(EngineSink& sink);
  void UninstallBranch(EngineSink& sink);
  void ShowLeftovers(const std::vector<uninstall::Leftover>& found);
  void RemoveLeftoversBranch(EngineSink& sink);
  // The list's columns; kept for ApplyLanguage, so that the headings stay those of the rows
  // shown.
  void SetColumns(const ListColumns& columns);
  // The Files page's columns share the list's width with its Type column.
  void FitFilesColumns();
  bool ConfirmPageChange(std::string_view sender);
  void ReturnControl();
  void ClearResults();
  void ListView1ColumnClick(int column);
  void ListView1KeyPress();
  void EnableRunControls(bool enable);
  void SetProgressMax(std::uint64_t maximum);
  void SetProgress(std::uint64_t position);
  bool PumpMessages();  // false when the application was asked to quit
  // The Files, Registry or Software page: the pages whose rows are in the result list.
  [[nodiscard]] bool IsResultPage() const;

  // main_window_language.cpp
  void ApplyLanguage();
  void LanguageItemClick(int language);
  void WriteSlot(const CaptionAssignment& assignment, std::string_view text);
  [[nodiscard]] std::string HintOf(std::string_view name) const;
  const wchar_t* HintForTooltip(const NMHDR& header);

  AppEnvironment env_;
  Settings settings_;
  LanguageState language_;
  PageView view_;
  Area frontArea_ = Area::kResults;

  // Process-wide flags of the running program.
  bool exitRequested_ = false;
  bool stopRequested_ = false;
  bool clearWithoutAsking_ = false;
  // The Software page lists leftovers (after an uninstall) rather than programs: Delete
  // removes the checked ones, after a backup.
  bool leftoversShown_ = false;
  bool diskAfterClean_ = false;
  std::string lastPageSender_;

  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  std::map<std::string, HWND, std::less<>> controls_;
  std::map<std::string, std::unique_ptr<Panel>, std::less<>> panels_;
  std::map<std::string, std::string, std::less<>> hints_;
  std::wstring tooltipText_;
  struct MenuSlot {
    HMENU menu;
    UINT position;
  };
  std::map<std::string, MenuSlot, std::less<>> menuItems_;
  HMENU languageMenu_ = nullptr;
  std::map<unsigned, std::string> toolbarButtonNames_;
  HWND toolbar_ = nullptr;
  HWND tooltips_ = nullptr;
  UniqueImageList toolbarImages_;
  UniqueGdiObject font_;
  UniqueGdiObject titleFont_;
  UniqueGdiObject boldFont_;
  UniqueIcon appIcon_;
  UniqueIcon trayIcon_;
  std::unique_ptr<TrayIcon> tray_;
  UniqueGdiObject listFont_;

  ResultListView list_;
  MorePlacesOptions morePlaces_;
  PopupNote popupNote1_;
  std::unique_ptr<reg::RegistryObject> scanRegistryObject_;
  NoteWindow waitDialog_;
  // The pages with controls of their own, in the order they are made and laid out.
  std::vector<WindowPage*> pages_;
  std::unique_ptr<SystemPage> systemPage_;
  std::unique_ptr<FolderUsagePage> folderUsagePage_;
  AdvancedPage advancedPage_{*this};
  AboutPage aboutPage_{*this, updates_};
  UpdateService updates_{*this};
  bool running_ = false;        // a Find or Delete frame is on the stack
  bool closeAfterRun_ = false;  // Exit came during a run: close when it has ended
  std::uint64_t progressMax_ = 100;
  ListColumns columns_ = kFilesColumns;
  UniqueImageList listImages_;  // ImageList1
  UniqueIcon deleteGlyph_;
  UniqueIcon applyGlyph_;
};

}  // namespace sw::app::win32
