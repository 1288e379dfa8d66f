#pragma once
// The update check of the running program: the memory timer starts it (through the
// window's StartUpdateCheck) once the computer is online, and when the server offers a
// newer version the update window shows the offer. The check and the window's download
// run on the user-interface thread, their downloads on workers that report back through
// one dispatcher of this thread.

#include <windows.h>

#include <memory>
#include <optional>

#include "app/win32/page_host.h"
#include "app/win32/update_window.h"
#include "online/http_timeouts.h"
#include "online/online_context.h"
#include "online/update_check.h"
#include "online/win32/window_dispatcher.h"

namespace sw::app::win32 {

class UpdateService final : public WindowPage {
 public:
  explicit UpdateService(PageHost& host) : host_(host) {}

  // The dispatcher and the server address (SWEEPWISE_SERVER, else the vendor's), on the
  // thread that runs the window.
  void Create(HWND parent) override;
  // kCmdUpdateCheck: the check at once, for the programs that drive the window.
  bool OnCommand(unsigned id, unsigned code, HWND control) override;
  // A running download stops, and no check shows the window any more.
  void OnExit() override;

  // CheckForUpdate, and the update window when a newer version is offered. Returns once
  // the check's downloads have ended; a call while a check runs does nothing, and so returns
  // false.
  bool StartUpdateCheck();
  // The About page's Update: the same check, now; when it offers nothing, the user is told
  // why, or that this is the latest version.
  void CheckAtOnce(HWND owner);

  // The update window, made on first use and kept; null until then.
  [[nodiscard]] UpdateWindow* updateWindow() const { return window_.get(); }
  [[nodiscard]] const std::optional<online::UpdateCheck>& lastCheck() const { return lastCheck_; }
  [[nodiscard]] const online::OnlineContext* context() const { return context_.get(); }

 private:
  UpdateWindow& MakeUpdateWindow();

  PageHost& host_;
  std::unique_ptr<online::win32::WindowDispatcher> dispatcher_;
  std::unique_ptr<online::OnlineContext> context_;
  // Declared after the context and the dispatcher: its download ends before they go.
  std::unique_ptr<UpdateWindow> window_;
  std::optional<online::UpdateCheck> lastCheck_;
  bool checking_ = false;
  bool exiting_ = false;
};

}  // namespace sw::app::win32
