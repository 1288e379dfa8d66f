#pragma once
// TrayIcon1: the program's icon in the notification area, the only thing a resident
// Sweepwise shows.

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace sw::app::win32 {

class TrayIcon {
 public:
  // `owner` receives `callbackMessage` with NOTIFYICON_VERSION_4 arguments.
  TrayIcon(HWND owner, UINT callbackMessage, HICON icon, std::wstring tip);
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon();

  // Adds the icon (again, after the taskbar restarted); false when the shell refused it.
  bool Add();
  void Remove();
  [[nodiscard]] bool added() const { return added_; }

  // The message the shell broadcasts when the taskbar is (re)created.
  static UINT TaskbarCreatedMessage();

 private:
  NOTIFYICONDATAW Data() const;

  HWND owner_;
  UINT callbackMessage_;
  HICON icon_;
  std::wstring tip_;
  bool added_ = false;
};

inline constexpr const wchar_t* kRestartAsAdministrator = L"Restart as administrator";

// Shows PopupMenu1 (Show, Hide, Exit; "Restart as administrator" when `offerRestart`) at the
// given screen point; the choice arrives as a WM_COMMAND to `owner`.
void ShowTrayMenu(HWND owner, POINT at, bool offerRestart);

}  // namespace sw::app::win32
