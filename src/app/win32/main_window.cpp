#include "app/win32/main_window.h"

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include "app/command_ids.h"
#include "app/program_registration.h"
#include "app/win32/dpi.h"
#include "app/win32/resource_ids.h"
#include "core/language.h"
#include "core/product.h"
#include "core/win_path.h"
#include "platform/error_message.h"

namespace sw::app::win32 {
namespace {

constexpr UINT kTrayMessage = kTrayCallbackMessage;
static_assert(kTrayMessage == WM_APP + 1);
constexpr UINT kTimer1Interval = 6000;

}  // namespace

MainWindow::MainWindow(AppEnvironment environment) : env_(std::move(environment)) {
  MakePages();
}

MainWindow::~MainWindow() {
  if (hwnd() != nullptr) {
    DestroyWindow(hwnd());
  }
}

bool MainWindow::Create() {
  appIcon_.reset(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconApplication), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  RegisterClassOnce(kMainWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), appIcon_.get());
  dpi_ = DpiOf(nullptr);
  RECT bounds{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT + Scale(800, dpi_), CW_USEDEFAULT + Scale(600, dpi_)};
  if (!CreateWindowFor(kMainWindowClass, Wide(kProductName), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, bounds,
                       nullptr)) {
    return false;
  }
  // The window was made at the system's DPI; its monitor may have another.
  if (const UINT dpi = DpiOf(hwnd()); dpi != dpi_) {
    dpi_ = dpi;
    SetWindowPos(hwnd(), nullptr, 0, 0, Scale(800, dpi_), Scale(600, dpi_), SWP_NOMOVE | SWP_NOZORDER);
    ApplyFonts();
  }
  FormCreate();
  return true;
}

// Start-up, in the order the window has always followed: flags, controls, settings, the
// administrator warning, the registry values, captions and the first page, then the timer.
void MainWindow::FormCreate() {
  clearWithoutAsking_ = false;
  lastPageSender_.clear();
  exitRequested_ = false;
  CreateControls();
  SetHint("tbtFolders", kFoldersHint);
  KillTimer(hwnd(), kTimer1);
  ReadVersionLabel();
  ApplySettings();
  // After the settings: the help opens in the language they choose, where it has pages.
  if (env_.firstArgument == "-shortcut") {
    aboutPage_.OpenHelpFile(language_.index);
  }
  ShowRights();
  RegisterInRegistry();
  ApplyLanguage();
  PressToolbarButton(kCmdDosyalar);
  btnMonitorClick("tbtDosyalar");
  // The Files page is the page shown: a declined page change comes back to it, and its own
  // button does not ask.
  lastPageSender_ = "tbtDosyalar";
  SelectTab("pnlAbout", 0);
  stopRequested_ = false;
  diskAfterClean_ = false;
  scanRegistryObject_ = std::make_unique<reg::RegistryObject>(*env_.platform->registry);
  ConfigurePopupNote();
  waitDialog_.CreateNote("", 0, 0, false);
  // The notification area shows small icons; the picture at that size stays sharp.
  trayIcon_.reset(
      static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconApplication), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
  tray_ = std::make_unique<TrayIcon>(hwnd(), kTrayMessage, trayIcon_ ? trayIcon_.get() : appIcon_.get(),
                                     Wide(kProductName));
  tray_->Add();
  SetTimer(hwnd(), kTimer1, kTimer1Interval, nullptr);
}

// "Ver " and the first line of version.txt; without a readable first line the label keeps
// its design text.
void MainWindow::ReadVersionLabel() {
  // The installer ships version.txt; an update in the data folder writes a newer one there.
  const Result<Bytes> contents =
      env_.platform->files->ReadWhole(platform::ShippedFile(env_.platform->folders, *env_.platform->files, "version.txt"));
  if (!contents || contents->empty()) {
    return;
  }
  const std::string_view text(reinterpret_cast<const char*>(contents->data()), contents->size());
  SetText(Control("Version"), "Ver " + std::string(text.substr(0, text.find_first_of("\r\n"))));
}

void MainWindow::ApplySettings() {
  settings_ = LoadSettings(*env_.platform->files, env_.platform->folders.data);
  language_.index = settings_.languageIndex;
  language_.settingText = settings_.languageText;
  Button_SetCheck(Control("chkAlerts"), settings_.alerts ? BST_CHECKED : BST_UNCHECKED);
}

// The "Path" value and the autorun value; the start goes on when either cannot be written,
// and the status bar says which could not and why.
void MainWindow::RegisterInRegistry() {
  platform::Registry& registry = *env_.platform->registry;
  (void)WriteProgramPath(registry, env_.exePath);
  const AutoRunOutcome autoRun =
      RegisterAutoRun(registry, AutoRunRoot(platform::Describe(*env_.platform)), env_.programDir);
  if (!autoRun.error.empty()) {
    SetStatusText(autoRun.error);
  }
}

// Hands the page back to a user without administrator rights with the tweaks released.
void MainWindow::FormShow() {
  if (!env_.platform->system->IsAdmin()) {
    SendMessageW(toolbar_, TB_CHECKBUTTON, kCmdAdvanced, FALSE);
  }
}

// Closing only hides, unless Exit was chosen: then the running scan is told to stop, the
// timer ends and language.txt is written with the current language, counter and alerts.
bool MainWindow::FormClose() {
  if (!exitRequested_) {
    HideToTray();
    return false;
  }
  if (running_) {
    // A Find or Delete is on the stack below us: it is told to stop, and its frame closes
    // the window again when it has ended.
    stopRequested_ = true;
    closeAfterRun_ = true;
    return false;
  }
  for (WindowPage* page : pages_) {
    page->OnExit();
  }
  DestroyWindow(waitDialog_.hwnd());
  stopRequested_ = true;
  KillTimer(hwnd(), kTimer1);
  ProcessPendingMessages();
  SaveSettingsFile();
  return true;
}

// language.txt with the current language, archive counter and alerts.
void MainWindow::SaveSettingsFile() {
  settings_.languageText = language_.settingText;
  settings_.alerts = Button_GetCheck(Control("chkAlerts")) == BST_CHECKED;
  const std::string& folder = env_.platform->folders.data;
  if (const Status saved = SaveSettings(*env_.platform->files, folder, settings_); !saved) {
    ShowMessageBox(hwnd(),
                   "The settings could not be saved to " + AddTrailingBackslash(folder) + std::string(kSettingsFileName) +
                       ": " + platform::ErrorMessage(saved.error()),
                   kProductName, MB_OK | MB_ICONWARNING);
  }
}

// PopupNote1 as the window has always configured it: a small note, closing only when told.
void MainWindow::ConfigurePopupNote() {
  popupNote1_.Layout = online::PopupLayout{148, 121, 16, 2, 0, true};
  popupNote1_.TimeOut = 1000;
  popupNote1_.ScrollSpeed = 1;
  popupNote1_.GradientColor1 = 13689066;
  popupNote1_.GradientColor2 = 12644602;
  popupNote1_.AllowScroll = false;
}

void MainWindow::HideToTray() {
  ShowWindow(hwnd(), SW_HIDE);
}

void MainWindow::Show1Click() {
  if (IsIconic(hwnd())) {
    ShowWindow(hwnd(), SW_RESTORE);
  } else {
    ShowWindow(hwnd(), SW_SHOW);
  }
  SetForegroundWindow(hwnd());
}

void MainWindow::Exit1Click() {
  exitRequested_ = true;
  SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

// NOTIFYICON_VERSION_4: the event is in the low word of lParam, the point in wParam.
void MainWindow::OnTrayMessage(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(lParam)) {
    case NIN_SELECT:
    case NIN_KEYSELECT:
    case WM_LBUTTONDBLCLK: Show1Click(); break;
    case WM_CONTEXTMENU:
      ShowTrayMenu(hwnd(), POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)}, OffersRestartAsAdministrator());
      break;
    default: break;
  }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TrayIcon::TaskbarCreatedMessage() && tray_) {
    tray_->Add();
    return 0;
  }
  switch (message) {
    case kTrayMessage: OnTrayMessage(wParam, lParam); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case WM_TIMER:
      for (WindowPage* page : pages_) {
        page->OnTimer(wParam);
      }
      return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) {
        HideToTray();  // AppMinimize
      } else {
        Layout();
        FormResize();
      }
      return 0;
    case WM_SHOWWINDOW:
      if (wParam != FALSE) {
        FormShow();
      }
      break;
    case WM_SETCURSOR:
      if (running_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{Scale(640, dpi_), Scale(480, dpi_)};
      return 0;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_ENDSESSION:
      // Logging off or shutting down ends a resident program without its Exit: the settings
      // (the archive counter among them) are saved all the same.
      if (wParam != FALSE) {
        stopRequested_ = true;
        SaveSettingsFile();
      }
      return 0;
    case WM_CLOSE:
      if (FormClose()) {
        DestroyWindow(hwnd());
      }
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd(), kTimer1);
      tray_.reset();
      PostQuitMessage(0);
      return 0;
    default: break;
  }
  return DefaultHandling(message, wParam, lParam);
}

HFONT MainWindow::Font(FontKind kind) const {
  switch (kind) {
    case FontKind::kBold: return static_cast<HFONT>(boldFont_.get());
    case FontKind::kTitle: return static_cast<HFONT>(titleFont_.get());
    case FontKind::kNormal: break;
  }
  return static_cast<HFONT>(font_.get());
}

HWND MainWindow::Control(std::string_view name) const {
  const auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

}  // namespace sw::app::win32
