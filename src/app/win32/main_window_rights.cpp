// The window's rights: what it says when it runs without administrator rights, and "Restart
// as administrator", which starts an elevated copy that takes over once this one has ended.

#include <windows.h>

#include <commctrl.h>

#include "app/command_ids.h"
#include "app/restart_switch.h"
#include "app/win32/main_window.h"
#include "core/product.h"
#include "platform/error_message.h"

namespace sw::app::win32 {
namespace {

constexpr std::string_view kAdminWarning =
    "Warning : In order to use every features of QZ Sweepwise Pro, you must log on as Administrator or have admin "
    "rights";
constexpr std::string_view kWithoutRightsPanel = "Without administrator rights";

}  // namespace

// Windows up to XP warn once per start, as Sweepwise always has. From Vista on a standard
// user is the rule, not a fault to be warned of at every logon: the status bar says it and
// the menus offer the restart.
void MainWindow::ShowRights() {
  const platform::SystemProfile profile = platform::Describe(*env_.platform);
  if (profile.elevated) {
    return;
  }
  if (!profile.Modern()) {
    ShowMessageBox(hwnd(), kAdminWarning, kProductName, MB_OK | MB_ICONWARNING);
    return;
  }
  SendMessageW(Control("StatusBar1"), SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(Wide(kWithoutRightsPanel).c_str()));
}

bool MainWindow::OffersRestartAsAdministrator() const {
  const platform::SystemProfile profile = platform::Describe(*env_.platform);
  return profile.Modern() && !profile.elevated;
}

std::string MainWindow::RightsPanelText() const {
  return StatusPanelText(1);
}

// The page whose toolbar button is down, for the copy to open again.
unsigned MainWindow::PressedPageCommand() const {
  for (unsigned id = kCmdDosyalar; id <= kCmdInformation; ++id) {
    if (IsToolbarButtonPressed(id)) {
      return id;
    }
  }
  return kCmdDosyalar;
}

// Starts the elevated copy (the system asks for consent) and, once it runs, ends this one as
// the tray's Exit does, so its settings are saved before the copy reads them.
void MainWindow::RestartAsAdministrator() {
  const RestartRequest request{static_cast<std::uint32_t>(GetCurrentProcessId()), PressedPageCommand()};
  const Status started = env_.platform->processes->StartElevated(env_.exePath, RestartParameters(request));
  if (started) {
    Exit1Click();
    return;
  }
  if (started.error().Is(Errc::Cancelled)) {
    SetStatusText("Sweepwise goes on without administrator rights.");
    return;
  }
  ShowMessageBox(hwnd(), "Sweepwise could not be restarted as administrator: " + platform::ErrorMessage(started.error()),
                 kProductName, MB_OK | MB_ICONWARNING);
}

}  // namespace sw::app::win32
