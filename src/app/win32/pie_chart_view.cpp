#include "app/win32/pie_chart_view.h"

#include <windowsx.h>

#include "app/win32/dpi.h"

namespace sw::app::win32 {
namespace {

constexpr COLORREF kSilver = sysinfo::kSilver;

}  // namespace

bool PieChartView::Create(HWND parent, UINT dpi) {
  RegisterClassOnce(kPieChartClass, nullptr, nullptr, CS_DBLCLKS);
  if (!CreateWindowFor(kPieChartClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, RECT{0, 0, 10, 10}, parent)) {
    return false;
  }
  SetDpi(dpi);
  return true;
}

void PieChartView::SetDpi(UINT dpi) {
  font_.reset(CreateFontW(-Scale(9, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                          CLEARTYPE_QUALITY, 0, L"Arial"));
  Refresh();
}

void PieChartView::Refresh() {
  if (hwnd() != nullptr) {
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
}

LRESULT PieChartView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_PAINT: return PaintWindow(hwnd(), [this](HDC dc) { Paint(dc); });
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:  // a quick second right press is a press all the same
      model_.MouseDown(x, y);
      return 0;
    case WM_LBUTTONDBLCLK:
      // The second press of a double-click arrives as this message instead of a press.
      model_.MouseDown(x, y);
      if (model_.DoubleClick(client.right, client.bottom)) {
        Raise(OnDblClick);
      }
      return 0;
    case WM_RBUTTONUP:
      if (model_.RightButtonUp(client.right, client.bottom)) {
        Raise(OnRightClick);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (OnMouseMove) {
        model_.MouseMove(client.right, client.bottom, x, y);
        Raise(OnMouseMove);
      }
      return 0;
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

// An event handler may measure a folder and let messages through meanwhile; this window may
// even be gone when it returns, so nothing of it is used afterwards.
void PieChartView::Raise(const std::function<void()>& event) const {
  if (event) {
    event();
  }
}

void PieChartView::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (client.right <= 0 || client.bottom <= 0) {
    return;
  }
  HDC memory = CreateCompatibleDC(dc);
  UniqueGdiObject picture(CreateCompatibleBitmap(dc, client.right, client.bottom));
  {
    const ScopedSelect selected(memory, picture.get());
    // The chart has no background of its own: it shows its panel's, which the panel hands
    // out as it does to its labels.
    auto background = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(hwnd()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(memory),
                     reinterpret_cast<LPARAM>(hwnd())));
    FillRect(memory, &client, background != nullptr ? background : GetSysColorBrush(COLOR_BTNFACE));
    DrawChart(memory, client.right, client.bottom);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  }
  DeleteDC(memory);
}

void PieChartView::DrawChart(HDC dc, int width, int height) const {
  const int cx = width / 2;
  const int cy = height / 2;
  SetBkMode(dc, TRANSPARENT);
  {
    UniqueGdiObject dotted(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
    UniqueGdiObject silver(CreateSolidBrush(kSilver));
    const ScopedSelect pen(dc, dotted.get());
    const ScopedSelect brush(dc, silver.get());
    Ellipse(dc, 1, 1, width - 1, height - 1);
    MoveToEx(dc, cx, cy, nullptr);
    LineTo(dc, width - 2, cy);
  }
  // GDI draws a pie counter-clockwise from its first radial to its second, as the angles go.
  for (const sysinfo::PieSlice& slice : model_.Slices(width, height)) {
    if (!slice.drawn) {
      continue;
    }
    UniqueGdiObject outline(CreatePen(PS_SOLID, 1, slice.outline));
    UniqueGdiObject fill(CreateSolidBrush(slice.fill));
    const ScopedSelect pen(dc, outline.get());
    const ScopedSelect brush(dc, fill.get());
    Pie(dc, 0, 0, width, height, slice.from.x, slice.from.y, slice.to.x, slice.to.y);
  }
  const ScopedSelect font(dc, font_.get());
  SetTextColor(dc, RGB(0, 0, 0));
  const auto measure = [dc](std::string_view text) {
    const std::wstring wide = Wide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return sysinfo::LabelSize{size.cx, size.cy};
  };
  for (const sysinfo::PieLabel& label : model_.Labels(width, height, measure)) {
    const std::wstring wide = Wide(label.text);
    TextOutW(dc, label.left, label.top, wide.c_str(), static_cast<int>(wide.size()));
  }
}

}  // namespace sw::app::win32
