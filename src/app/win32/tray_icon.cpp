#include "app/win32/tray_icon.h"

#include <shellapi.h>

#include <algorithm>

#include "app/command_ids.h"
#include "app/win32/gdi.h"

namespace sw::app::win32 {

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage, HICON icon, std::wstring tip)
    : owner_(owner), callbackMessage_(callbackMessage), icon_(icon), tip_(std::move(tip)) {}

TrayIcon::~TrayIcon() {
  Remove();
}

NOTIFYICONDATAW TrayIcon::Data() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = owner_;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data.uCallbackMessage = callbackMessage_;
  data.hIcon = icon_;
  const std::size_t length = std::min(tip_.size(), std::size(data.szTip) - 1);
  std::copy_n(tip_.begin(), length, data.szTip);
  data.uVersion = NOTIFYICON_VERSION_4;
  return data;
}

bool TrayIcon::Add() {
  NOTIFYICONDATAW data = Data();
  // After a taskbar restart the old icon is gone; deleting first keeps a second Add harmless.
  Shell_NotifyIconW(NIM_DELETE, &data);
  added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  if (added_) {
    Shell_NotifyIconW(NIM_SETVERSION, &data);
  }
  return added_;
}

void TrayIcon::Remove() {
  if (added_) {
    NOTIFYICONDATAW data = Data();
    Shell_NotifyIconW(NIM_DELETE, &data);
    added_ = false;
  }
}

UINT TrayIcon::TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

void ShowTrayMenu(HWND owner, POINT at, bool offerRestart) {
  UniqueMenu menu(CreatePopupMenu());
  AppendMenuW(menu.get(), MF_STRING, kCmdShow1, L"Show");
  AppendMenuW(menu.get(), MF_STRING, kCmdHide1, L"Hide");
  if (offerRestart) {
    AppendMenuW(menu.get(), MF_STRING, kCmdRestartElevated, kRestartAsAdministrator);
  }
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.get(), MF_STRING, kCmdExit1, L"Exit");
  // The owner must be the foreground window, or the menu would not close when the user
  // clicks elsewhere.
  SetForegroundWindow(owner);
  TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, at.x, at.y, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace sw::app::win32
