#include "app/win32/note_window.h"

#include "app/win32/dpi.h"
#include "online/note_layout.h"

namespace sw::app::win32 {
namespace {

constexpr COLORREF kNoteColor = 6929394;

// The one-line extent of `text` in the window's font.
SIZE TextExtent(HWND window, HFONT font, const std::wstring& text) {
  WindowDc dc(window);
  ScopedSelect selected(dc.get(), font);
  RECT extent{0, 0, 0, 0};
  DrawTextW(dc.get(), text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return SIZE{extent.right, extent.bottom};
}

}  // namespace

bool NoteWindow::CreateNote(std::string_view text, int left, int top, bool centred) {
  RegisterClassOnce(kNoteWindowClass, nullptr);
  centred_ = centred;
  if (hwnd() == nullptr && !CreateWindowFor(kNoteWindowClass, L"", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                                            RECT{0, 0, 10, 10}, nullptr)) {
    return false;
  }
  const UINT dpi = DpiOf(hwnd());
  // A note that is not centred (the tweak descriptions) uses the small plain label.
  font_.reset(CreateFontW(centred ? -Scale(13, dpi) : -MulDiv(7, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE,
                          FALSE, FALSE, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Arial"));
  text_ = Wide(text);
  const SIZE extent = TextExtent(hwnd(), static_cast<HFONT>(font_.get()), text_);
  const int margin = Scale(16, dpi);
  RECT window{};
  GetWindowRect(hwnd(), &window);
  SetWindowPos(hwnd(), nullptr, left != 0 ? left : window.left, top != 0 ? top : window.top, extent.cx + 2 * margin,
               extent.cy + 2 * margin, SWP_NOZORDER | SWP_NOACTIVATE);
  label_ = RECT{margin, margin, margin + extent.cx, margin + extent.cy};
  HideNote();
  return true;
}

void NoteWindow::ShowNote(std::string_view text) {
  shown_ = true;
  text_ = Wide(text);
  const SIZE extent = TextExtent(hwnd(), static_cast<HFONT>(font_.get()), text_);
  LOGFONTW font{};
  GetObjectW(font_.get(), sizeof(font), &font);
  const int size = std::abs(font.lfHeight);
  const online::NoteLayout layout = online::ShowNoteLayout(extent.cx, extent.cy, size);
  label_ = RECT{size, size, size + layout.labelWidth, size + layout.labelHeight};
  RECT window{};
  GetWindowRect(hwnd(), &window);
  int left = window.left;
  int top = window.top;
  if (centred_) {
    RECT desktop{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    left = (desktop.left + desktop.right - layout.windowWidth) / 2 - layout.labelWidth / 2;
    top = (desktop.top + desktop.bottom - layout.windowHeight) / 2;
  }
  SetWindowPos(hwnd(), HWND_TOPMOST, left, top, layout.windowWidth, layout.windowHeight,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd(), nullptr, TRUE);
  ::UpdateWindow(hwnd());
}

void NoteWindow::HideNote() {
  shown_ = false;
  ShowWindow(hwnd(), SW_HIDE);
}

LRESULT NoteWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    return PaintWindow(hwnd(), [this](HDC dc) { Paint(dc); });
  }
  if (message == WM_ERASEBKGND) {
    return 1;
  }
  return DefaultHandling(message, wParam, lParam);
}

void NoteWindow::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  SetBkColor(dc, kNoteColor);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  ScopedSelect font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  RECT label = label_;
  DrawTextW(dc, text_.c_str(), -1, &label, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace sw::app::win32
