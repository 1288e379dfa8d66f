#include "app/win32/popup_note.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/win32/dpi.h"
#include "app/win32/gdi.h"
#include "app/win32/window.h"

namespace sw::app::win32 {
namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT_PTR kGrowTimer = 2;
constexpr UINT_PTR kShrinkTimer = 3;
constexpr UINT kAnimationStep = 25;

RECT ToRect(const online::ScreenRect& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

}  // namespace

// One popup: a gradient, the title, the centred text; it grows out of the taskbar, waits,
// shrinks back into it and closes.
class PopupWindow : public Window {
 public:
  PopupWindow(PopupNote& owner, online::ScreenRect place, online::TaskbarEdge edge)
      : owner_(&owner), place_(place), edge_(edge) {}

  bool Create(bool grow) {
    RegisterClassOnce(kPopupNoteClass, nullptr);
    const RECT start = grow ? Slice(1) : ToRect(place_);
    if (!CreateWindowFor(kPopupNoteClass, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, start,
                         nullptr)) {
      return false;
    }
    const UINT dpi = DpiOf(hwnd());
    textFont_.reset(CreateFontW(-Scale(13, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                CLEARTYPE_QUALITY, 0, L"Arial"));
    titleFont_.reset(CreateFontW(-Scale(11, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                 CLEARTYPE_QUALITY, 0, L"MS Sans Serif"));
    shown_ = grow ? 1 : Length();
    SetTimer(hwnd(), grow ? kGrowTimer : kCloseTimer, grow ? kAnimationStep : closeAfter_, nullptr);
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    return true;
  }

  void SetContent(const PopupNote& note) {
    title_ = Wide(note.Title);
    text_.clear();
    for (const wchar_t c : Wide(note.Text)) {
      text_ += c == L'\r' ? std::wstring(L"\r\n") : std::wstring(1, c);
    }
    color1_ = note.GradientColor1;
    color2_ = note.GradientColor2;
    speed_ = std::clamp(note.ScrollSpeed, 1, 50);
    closeAfter_ = static_cast<UINT>(std::clamp(note.TimeOut, 1, 4000000)) * 1000U;
    onClick_ = note.OnClick;
  }

  [[nodiscard]] bool closed() const { return closed_; }
  // The component goes first: the popup closes on its own later without telling it.
  void DetachFrom(const PopupNote* owner) {
    if (owner_ == owner) {
      owner_ = nullptr;
    }
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_PAINT: return PaintWindow(hwnd(), [this](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND: return 1;
      case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
      case WM_TIMER: OnTimer(wParam); return 0;
      case WM_RBUTTONUP:
        if (onClick_) {
          onClick_();
        }
        PostMessageW(hwnd(), WM_CLOSE, 0, 0);
        return 0;
      case WM_NCDESTROY:
        closed_ = true;
        if (owner_ != nullptr) {
          owner_->PopupClosed();
        }
        break;
      default: break;
    }
    return DefaultHandling(message, wParam, lParam);
  }

 private:
  // The extent of the popup across the taskbar edge, which the animation grows and shrinks.
  [[nodiscard]] int Length() const {
    return edge_ == online::TaskbarEdge::kLeft || edge_ == online::TaskbarEdge::kRight ? place_.width()
                                                                                       : place_.height();
  }

  // The part of the popup `length` pixels deep, on the side of the taskbar.
  [[nodiscard]] RECT Slice(int length) const {
    RECT r = ToRect(place_);
    switch (edge_) {
      case online::TaskbarEdge::kBottom: r.top = r.bottom - length; break;
      case online::TaskbarEdge::kTop: r.bottom = r.top + length; break;
      case online::TaskbarEdge::kLeft: r.right = r.left + length; break;
      case online::TaskbarEdge::kRight: r.left = r.right - length; break;
    }
    return r;
  }

  void OnTimer(WPARAM timer) {
    if (timer == kCloseTimer) {
      KillTimer(hwnd(), kCloseTimer);
      SetTimer(hwnd(), kShrinkTimer, kAnimationStep, nullptr);
      return;
    }
    const bool growing = timer == kGrowTimer;
    shown_ = growing ? std::min(Length(), shown_ + speed_) : shown_ - speed_;
    if (shown_ <= 0) {
      KillTimer(hwnd(), kShrinkTimer);
      DestroyWindow(hwnd());
      return;
    }
    const RECT r = Slice(shown_);
    SetWindowPos(hwnd(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    if (growing && shown_ == Length()) {
      KillTimer(hwnd(), kGrowTimer);
      SetTimer(hwnd(), kCloseTimer, closeAfter_, nullptr);
    }
  }

  // The whole popup is drawn at its full size; a growing one shows the part nearest the bar.
  void Paint(HDC dc) const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int width = place_.width();
    const int height = place_.height();
    const int dx = edge_ == online::TaskbarEdge::kRight ? client.right - width : 0;
    const int dy = edge_ == online::TaskbarEdge::kBottom ? client.bottom - height : 0;
    for (int i = 0; i < height; ++i) {
      auto channel = [&](int shift) {
        const int c1 = static_cast<int>((color1_ >> shift) & 0xFFU);
        const int c2 = static_cast<int>((color2_ >> shift) & 0xFFU);
        return static_cast<BYTE>(c1 + i * (c2 - c1) / height);
      };
      SetBkColor(dc, RGB(channel(0), channel(8), channel(16)));
      const RECT line{dx, dy + i, dx + width, dy + i + 1};
      ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    {
      ScopedSelect font(dc, titleFont_.get());
      RECT title{dx + 8, dy + 8, dx + width - 8, dy + 30};
      DrawTextW(dc, title_.c_str(), -1, &title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
    ScopedSelect font(dc, textFont_.get());
    RECT measure{0, 0, width - 15, 0};
    DrawTextW(dc, text_.c_str(), -1, &measure, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    const int textHeight = measure.bottom;
    RECT text{dx + 7, dy + (height - textHeight) / 2, dx + width - 8, dy + (height + textHeight) / 2};
    DrawTextW(dc, text_.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }

  PopupNote* owner_;
  online::ScreenRect place_;
  online::TaskbarEdge edge_;
  std::wstring title_;
  std::wstring text_;
  COLORREF color1_ = 0;
  COLORREF color2_ = 0;
  int speed_ = 9;
  UINT closeAfter_ = 10000;
  int shown_ = 0;
  bool closed_ = false;
  std::function<void()> onClick_;
  UniqueGdiObject textFont_;
  UniqueGdiObject titleFont_;
};

namespace {

// The popups alive, whichever component showed them; a closed one leaves the list when the
// next popup is shown or all are closed.
std::vector<std::unique_ptr<PopupWindow>>& LivePopups() {
  static std::vector<std::unique_ptr<PopupWindow>> popups;
  return popups;
}

}  // namespace

void TaskbarAndWorkArea(online::ScreenRect& taskbar, online::ScreenRect& workArea) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  workArea = {work.left, work.top, work.right, work.bottom};
  APPBARDATA bar{};
  bar.cbSize = sizeof(bar);
  if (SHAppBarMessage(ABM_GETTASKBARPOS, &bar) != 0) {
    taskbar = {bar.rc.left, bar.rc.top, bar.rc.right, bar.rc.bottom};
  } else {
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    taskbar = {0, screenHeight - 30, GetSystemMetrics(SM_CXSCREEN), screenHeight};
  }
}

PopupNote::PopupNote() = default;

PopupNote::~PopupNote() {
  for (auto& popup : LivePopups()) {
    popup->DetachFrom(this);
  }
}

bool PopupNote::ShowPopUp() {
  auto& popups = LivePopups();
  std::erase_if(popups, [](const auto& popup) { return popup->closed(); });
  online::ScreenRect taskbar;
  online::ScreenRect workArea;
  TaskbarAndWorkArea(taskbar, workArea);
  const UINT dpi = DpiOf(nullptr);
  online::PopupLayout layout = Layout;
  layout.width = Scale(Layout.width, dpi);
  layout.height = Scale(Layout.height, dpi);
  const std::optional<online::ScreenRect> place = stack_.Next(taskbar, workArea, layout);
  if (!place) {
    return false;
  }
  auto popup = std::make_unique<PopupWindow>(*this, *place, online::TaskbarEdgeOf(taskbar));
  popup->SetContent(*this);
  if (!popup->Create(AllowScroll)) {
    stack_.Closed();
    return false;
  }
  popups.push_back(std::move(popup));
  return true;
}

void PopupNote::ClosePopUps() {
  const int rounds = stack_.count() + 1;
  for (int i = 0; i < rounds; ++i) {
    if (HWND popup = FindWindowW(kPopupNoteClass, nullptr); popup != nullptr) {
      SendMessageW(popup, WM_CLOSE, 0, 0);
    }
    ProcessPendingMessages();
  }
  std::erase_if(LivePopups(), [](const auto& popup) { return popup->closed(); });
}

void PopupNote::PopupClosed() {
  stack_.Closed();
}

}  // namespace sw::app::win32
