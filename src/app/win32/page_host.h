#pragma once
// The pages of the main window that own controls of their own (the Advanced page, the system
// tabs, the Folder Usage chart, the About page's update and links), and what they may ask of
// the window they live in. Each page is a class in a file of its own; the window creates
// them with its controls and hands them the messages that concern them, so that no page's
// code sits in the window's own files.

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>

#include "app/page_headers.h"
#include "core/engine_sink.h"
#include "platform/platform.h"

namespace sw::app::win32 {

class Panel;
class PopupNote;
class NoteWindow;
struct AppEnvironment;

// The areas stacked in the work panel; one is in front.
enum class Area { kResults, kSystem, kInformation, kTweaks };

// Timer1 of the main window, every 6000 ms from the end of start-up; its ticks come to every
// page's OnTimer.
inline constexpr UINT_PTR kTimer1 = 1;

// The fonts of the window, made at its DPI.
enum class FontKind { kNormal, kBold, kTitle };

class PageHost {
 public:
  PageHost() = default;
  PageHost(const PageHost&) = delete;
  PageHost& operator=(const PageHost&) = delete;

  // Controls are named as the window names them; the window gives them its font and DPI.
  virtual HWND AddControl(std::string_view name, const wchar_t* className, std::string_view text, DWORD style,
                          HWND parent, unsigned id = 0) = 0;
  virtual Panel& AddPanel(std::string_view name, HWND parent, COLORREF color, bool clipChildren = true) = 0;
  // A tooltip that asks for its text (SetHint) when it shows.
  virtual void AddHint(std::string_view name) = 0;
  virtual void SetHint(std::string_view name, std::string_view text) = 0;
  [[nodiscard]] virtual HWND Control(std::string_view name) const = 0;

  [[nodiscard]] virtual HWND hwnd() const = 0;
  [[nodiscard]] virtual UINT Dpi() const = 0;
  [[nodiscard]] virtual HFONT Font(FontKind kind) const = 0;
  [[nodiscard]] virtual platform::Platform& platform() = 0;
  [[nodiscard]] virtual const AppEnvironment& environment() const = 0;

  // The status bar's first panel.
  virtual void SetStatusText(std::string_view text) = 0;
  // btnMonitorClick: the header and command buttons of the task whose control is `sender`.
  virtual void btnMonitorClick(std::string_view sender) = 0;
  virtual void BringToFront(Area area) = 0;
  // The page view (header, command buttons) and its rendering after a page changed it.
  virtual PageView& view() = 0;
  virtual void RenderPageView() = 0;
  [[nodiscard]] virtual bool IsToolbarButtonPressed(unsigned commandId) const = 0;

  // A sink for work a page starts outside Find and Delete (a tab change, Regain): the status
  // bar, Progressbar1, message boxes, the busy note and the window's messages.
  virtual std::unique_ptr<EngineSink> MakeSink() = 0;
  virtual PopupNote& popupNote() = 0;
  virtual NoteWindow& noteWindow() = 0;

  // DiskAfterClean: a deletion has run, so the Drive page shows its figures as after cleaning.
  [[nodiscard]] virtual bool DiskAfterClean() const = 0;
  // The tray menu's Exit was chosen: the program is ending.
  [[nodiscard]] virtual bool ExitRequested() const = 0;
  // The update check, once per run, when the memory timer finds the computer online.
  virtual void StartUpdateCheck() = 0;

 protected:
  ~PageHost() = default;
};

class WindowPage {
 public:
  WindowPage() = default;
  WindowPage(const WindowPage&) = delete;
  WindowPage& operator=(const WindowPage&) = delete;
  virtual ~WindowPage() = default;

  // Makes the page's controls (hidden) in the window's work area `parent`.
  virtual void Create(HWND parent) = 0;
  // Places the controls; `area` is the work area's client rectangle less its margin.
  virtual void Layout(const RECT& area) { (void)area; }
  // After the window's own ApplyLanguage: texts the caption table does not hold.
  virtual void ApplyLanguage() {}
  // The window's fonts or pictures were made anew at another DPI.
  virtual void OnDpiChanged() {}
  // True while the page's long work lets messages through: the commands that come meanwhile
  // go to it first, before any toolbar button is pressed for them.
  [[nodiscard]] virtual bool busy() const { return false; }
  // A command of a menu item or control; true when the page handled it.
  virtual bool OnCommand(unsigned id, unsigned code, HWND control) {
    (void)id;
    (void)code;
    (void)control;
    return false;
  }
  // A notification from a control; a value when the page handled it.
  virtual std::optional<LRESULT> OnNotify(const NMHDR& header) {
    (void)header;
    return std::nullopt;
  }
  // WM_TIMER of the main window.
  virtual void OnTimer(UINT_PTR id) { (void)id; }
  // The window closes for good (Exit): the page stops what it runs.
  virtual void OnExit() {}
};

}  // namespace sw::app::win32
