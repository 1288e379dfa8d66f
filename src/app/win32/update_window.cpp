#include "app/win32/update_window.h"

#include <commctrl.h>

#include <array>

#include "app/progress_scale.h"
#include "app/win32/dpi.h"

namespace sw::app::win32 {
namespace {

constexpr int kClientWidth = 440;
constexpr int kClientHeight = 312;
constexpr int kHeaderHeight = 44;
constexpr COLORREF kHeaderColor = RGB(0, 51, 153);
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;

// The controls in tab order; the labels before a value name it.
constexpr std::array kControls{
    ChildControl{"lblPanel", WC_STATICW, "Update has been found for ", kLabel | SS_CENTERIMAGE, 0, {16, 0, 424, 44}},
    ChildControl{
        "lblStatus", WC_STATICW, "Please click Next to continue updating your software.", kLabel, 0, {16, 56, 424, 76}},
    ChildControl{"Label1", WC_STATICW, "Version of the software: ", kLabel, 0, {16, 86, 170, 104}},
    ChildControl{"lblVersion", WC_STATICW, "", kLabel, 0, {172, 86, 424, 104}},
    ChildControl{"Label2", WC_STATICW, "Size of the software: ", kLabel, 0, {16, 108, 170, 126}},
    ChildControl{"lblSize", WC_STATICW, "0KB", kLabel, 0, {172, 108, 424, 126}},
    ChildControl{"Label3", WC_STATICW, "New Features included: ", kLabel, 0, {16, 130, 170, 148}},
    ChildControl{"lblDescription", WC_STATICW, "", kLabel | SS_EDITCONTROL, 0, {172, 130, 424, 182}},
    ChildControl{"lblDosyaYuklemesi", WC_STATICW, "Update is starting...", kLabel, 0, {16, 192, 424, 210}},
    ChildControl{"lblTamamlananYazi", WC_STATICW, "Completed::", kLabel, 0, {16, 214, 104, 232}},
    ChildControl{"lblTamamlanan", WC_STATICW, "OKB", kLabel, 0, {106, 214, 300, 232}},
    ChildControl{"lblPercent", WC_STATICW, "0", SS_RIGHT | SS_NOPREFIX, 0, {340, 214, 408, 232}},
    ChildControl{"Label4", WC_STATICW, "%", kLabel, 0, {410, 214, 424, 232}},
    ChildControl{"ProgressBar1", PROGRESS_CLASSW, "", PBS_SMOOTH, 0, {16, 236, 424, 254}},
    ChildControl{"BitBtn1", WC_BUTTONW, "&Next", kButton | BS_DEFPUSHBUTTON, kBitBtn1, {226, 270, 320, 298}},
    ChildControl{"BitBtn2", WC_BUTTONW, "&Cancel", kButton, kBitBtn2, {330, 270, 424, 298}},
};

}  // namespace

UpdateWindow::UpdateWindow(const online::OnlineContext& context) : model_(context, *this, sink_) {
  sink_.SetOrigin("Update window");
}

bool UpdateWindow::Create() {
  RegisterClassOnce(kUpdateWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  dpi_ = DpiOf(nullptr);
  if (!CreateWindowFor(kUpdateWindowClass, L"Update", kStyle, kExStyle,
                       CentredWindowRect(kClientWidth, kClientHeight, kStyle, kExStyle, dpi_), nullptr)) {
    return false;
  }
  sink_.SetOwner(hwnd());
  controls_.Create(hwnd(), kControls);
  SendMessageW(controls_["ProgressBar1"], PBM_SETRANGE32, 0, kProgressScale);
  MakeFonts();
  Refresh(model_.texts());
  return true;
}

void UpdateWindow::MakeFonts() {
  font_.reset(CreateMessageFont(dpi_));
  headerFont_.reset(CreateMessageFont(dpi_, FW_BOLD, 125));
  headerBrush_.reset(CreateSolidBrush(kHeaderColor));
  controls_.Place(dpi_, static_cast<HFONT>(font_.get()));
  SendMessageW(controls_["lblPanel"], WM_SETFONT, reinterpret_cast<WPARAM>(headerFont_.get()), TRUE);
}

// Only what changed is set again: the model refreshes after every block of the download,
// and a label that is set repaints even when its text stays the same.
void UpdateWindow::Refresh(const online::UpdateWindowTexts& texts) {
  SetTextIfChanged("lblPanel", texts.lblPanel);
  SetTextIfChanged("lblStatus", texts.lblStatus);
  SetTextIfChanged("lblVersion", texts.lblVersion);
  SetTextIfChanged("lblSize", texts.lblSize);
  SetTextIfChanged("lblDescription", texts.lblDescription);
  SetTextIfChanged("lblDosyaYuklemesi", texts.lblDosyaYuklemesi);
  SetTextIfChanged("lblTamamlananYazi", texts.lblTamamlananYazi);
  SetTextIfChanged("lblTamamlanan", texts.lblTamamlanan);
  SetTextIfChanged("lblPercent", texts.lblPercent);
  SetTextIfChanged("BitBtn1", texts.nextCaption);
  for (const auto name : {"lblDosyaYuklemesi", "lblTamamlananYazi"}) {
    ::ShowWindow(controls_[name], texts.progressLabelsShown ? SW_SHOWNA : SW_HIDE);
  }
  HWND bar = controls_["ProgressBar1"];
  const auto position =
      static_cast<WPARAM>(ProgressPermille(texts.progressMin, texts.progressMax, texts.progressPosition));
  if (static_cast<WPARAM>(SendMessageW(bar, PBM_GETPOS, 0, 0)) != position) {
    SendMessageW(bar, PBM_SETPOS, position, 0);
  }
  HWND next = controls_["BitBtn1"];
  if ((IsWindowEnabled(next) != FALSE) != texts.nextEnabled) {
    // A disabled button that had the focus would leave the keyboard nowhere.
    if (!texts.nextEnabled && GetFocus() == next) {
      SetFocus(controls_["BitBtn2"]);
    }
    EnableWindow(next, texts.nextEnabled ? TRUE : FALSE);
  }
  // During a download the thread runs its messages only between blocks: paint now.
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void UpdateWindow::SetTextIfChanged(std::string_view control, std::string_view text) {
  HWND window = controls_[control];
  if (GetText(window) != text) {
    SetText(window, text);
  }
}

// Centred on the screen each time, in front of the other windows.
void UpdateWindow::ShowWindow() {
  const RECT place = CentredWindowRect(kClientWidth, kClientHeight, kStyle, kExStyle, dpi_);
  SetWindowPos(hwnd(), HWND_TOPMOST, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_SHOWWINDOW);
  SetForegroundWindow(hwnd());
}

void UpdateWindow::CloseWindow(bool ok) {
  closedWithOk_ = ok;
  ::ShowWindow(hwnd(), SW_HIDE);
}

void UpdateWindow::OnCommand(unsigned id, unsigned code) {
  if (code != BN_CLICKED) {
    return;
  }
  if (id == kBitBtn1) {
    model_.BitBtn1Click();
  } else if (id == kBitBtn2) {
    model_.BitBtn2Click();
  }
}

LRESULT UpdateWindow::OnColorStatic(HDC dc, HWND control) {
  if (control == controls_["lblPanel"]) {
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, kHeaderColor);
    return reinterpret_cast<LRESULT>(headerBrush_.get());
  }
  return DefaultHandling(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

// The blue band behind the header label, across the whole width.
void UpdateWindow::Paint(HDC dc) {
  RECT band{};
  GetClientRect(hwnd(), &band);
  band.bottom = Scale(kHeaderHeight, dpi_);
  FillRect(dc, &band, static_cast<HBRUSH>(headerBrush_.get()));
}

LRESULT UpdateWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC: return OnColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT: return PaintWindow(hwnd(), [this](HDC dc) { Paint(dc); });
    case WM_CLOSE:
      // The close box is Cancel: a running download stops too.
      model_.BitBtn2Click();
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      MakeFonts();
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default: return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace sw::app::win32
