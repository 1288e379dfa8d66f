#include "app/win32/news_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>

#include "app/win32/dpi.h"
#include "online/server_address.h"
#include "online/win32/window_dispatcher.h"

namespace sw::app::win32 {
namespace {

constexpr int kClientWidth = 380;
constexpr int kClientHeight = 248;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr unsigned kEmailId = 101;
constexpr unsigned kKestrixId = 102;
constexpr unsigned kVelmoraId = 103;

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;

// The controls in tab order.
constexpr std::array kControls{
    ChildControl{"GroupBox1", WC_BUTTONW, "Receive Free Information", BS_GROUPBOX, 0, {12, 8, 368, 152}},
    ChildControl{"Label1", WC_STATICW, "Your email address:", kLabel, 0, {24, 32, 356, 50}},
    ChildControl{"edtEmail", WC_EDITW, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kEmailId, {24, 52, 356, 74}},
    ChildControl{
        "chkKestrix", WC_BUTTONW, "Keep me informed of QZ Sweepwise Pro", kCheckBox, kKestrixId, {24, 88, 356, 108}},
    ChildControl{"chkVelmora",
                 WC_BUTTONW,
                 "Keep me informed of other VELMORA products",
                 kCheckBox,
                 kVelmoraId,
                 {24, 114, 356, 134}},
    ChildControl{"Label2",
                 WC_STATICW,
                 "Privacy Policy: Your e-mail will not be sent to any other companies nor to other third parties",
                 kLabel,
                 0,
                 {12, 162, 368, 196}},
    ChildControl{"OKBtn", WC_BUTTONW, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, kOKBtn, {146, 208, 240, 236}},
    ChildControl{
        "CancelBtn", WC_BUTTONW, "Remind Me Later", BS_PUSHBUTTON | WS_TABSTOP, kCancelBtn, {248, 208, 368, 236}},
};

}  // namespace

NewsDialog::NewsDialog(const online::OnlineContext& context) : model_(context, *this, sink_) {}

bool NewsDialog::Create(HWND owner) {
  RegisterClassOnce(kNewsDialogClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  owner_ = owner;
  const UINT dpi = DpiOf(nullptr);
  if (!CreateWindowFor(kNewsDialogClass, L"Special Offers", kStyle, kExStyle,
                       CentredWindowRect(kClientWidth, kClientHeight, kStyle, kExStyle, dpi), owner)) {
    return false;
  }
  sink_.SetOwner(hwnd());
  controls_.Create(hwnd(), kControls);
  font_.reset(CreateMessageFont(dpi));
  controls_.Place(dpi, static_cast<HFONT>(font_.get()));
  SetText(controls_["edtEmail"], model_.edtEmail);
  Button_SetCheck(controls_["chkKestrix"], model_.chkKestrix ? BST_CHECKED : BST_UNCHECKED);
  Button_SetCheck(controls_["chkVelmora"], model_.chkVelmora ? BST_CHECKED : BST_UNCHECKED);
  return true;
}

// The owner is disabled while the dialog runs, as a modal dialog's is. A quit request ends
// the dialog unanswered and is left for the program's own loop.
bool NewsDialog::RunModal() {
  ended_ = false;
  result_ = false;
  const bool ownerWasEnabled = owner_ != nullptr && IsWindowEnabled(owner_) != FALSE;
  if (ownerWasEnabled) {
    EnableWindow(owner_, FALSE);
  }
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(controls_["edtEmail"]);
  MSG message{};
  while (!ended_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) {
      break;
    }
    if (IsDialogMessageW(hwnd(), &message) == FALSE) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // The owner first, so that it, not another program, becomes active again.
  if (ownerWasEnabled) {
    EnableWindow(owner_, TRUE);
  }
  ShowWindow(hwnd(), SW_HIDE);
  return result_;
}

void NewsDialog::SetBusy(bool busy) {
  busy_ = busy;
  for (const auto name : {"OKBtn", "CancelBtn"}) {
    EnableWindow(controls_[name], busy ? FALSE : TRUE);
  }
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void NewsDialog::CloseDialog(bool ok) {
  result_ = ok;
  ended_ = true;
}

void NewsDialog::OKBtnClick() {
  model_.edtEmail = GetText(controls_["edtEmail"]);
  model_.chkKestrix = Button_GetCheck(controls_["chkKestrix"]) == BST_CHECKED;
  model_.chkVelmora = Button_GetCheck(controls_["chkVelmora"]) == BST_CHECKED;
  model_.OKBtnClick();
}

void NewsDialog::OnCommand(unsigned id, unsigned code) {
  if (ended_ || code != BN_CLICKED) {
    return;
  }
  if (id == kOKBtn && !busy_) {
    OKBtnClick();
  } else if (id == kCancelBtn) {
    // Escape and the close box too: while a sign-up is on its way this gives it up.
    model_.CancelBtnClick();
  }
}

LRESULT NewsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    // The dialog keys' default button for IsDialogMessage.
    case DM_GETDEFID: return MAKELRESULT(kOKBtn, DC_HASDEFID);
    case WM_CLOSE: OnCommand(kCancelBtn, BN_CLICKED); return 0;
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    default: break;
  }
  return DefaultHandling(message, wParam, lParam);
}

bool ShowNewsSignup(platform::Platform& platform, HWND owner) {
  if (!online::NewsSignupDue(platform)) {
    return false;
  }
  online::win32::WindowDispatcher dispatcher;
  if (!dispatcher.valid()) {
    return false;
  }
  const online::OnlineContext context{platform, dispatcher, online::ServerAddress()};
  NewsDialog dialog(context);
  if (!dialog.Create(owner)) {
    return false;
  }
  (void)dialog.RunModal();
  return true;
}

}  // namespace sw::app::win32
