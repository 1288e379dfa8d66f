#include "app/win32/toolbar_icons.h"

#include <windows.h>

#include <commctrl.h>

#include <array>

namespace sw::app::win32 {

void ImageListTraits::Close(Handle h) {
  ImageList_Destroy(h);
}

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

// Draws on a square of `size` pixels in a 32-unit grid.
class GlyphPainter {
 public:
  GlyphPainter(HDC dc, int left, int size) : dc_(dc), left_(left), size_(size) {}

  [[nodiscard]] int X(int units) const { return left_ + MulDiv(units, size_, 32); }
  [[nodiscard]] int Y(int units) const { return MulDiv(units, size_, 32); }

  void Box(int l, int t, int r, int b, COLORREF fill, COLORREF line = RGB(40, 40, 40)) const {
    UniqueGdiObject brush(CreateSolidBrush(fill));
    UniqueGdiObject pen(CreatePen(PS_SOLID, Width(), line));
    ScopedSelect b1(dc_, brush.get());
    ScopedSelect p1(dc_, pen.get());
    Rectangle(dc_, X(l), Y(t), X(r), Y(b));
  }
  void Ellipse(int l, int t, int r, int b, COLORREF fill, COLORREF line = RGB(40, 40, 40)) const {
    UniqueGdiObject brush(CreateSolidBrush(fill));
    UniqueGdiObject pen(CreatePen(PS_SOLID, Width(), line));
    ScopedSelect b1(dc_, brush.get());
    ScopedSelect p1(dc_, pen.get());
    ::Ellipse(dc_, X(l), Y(t), X(r), Y(b));
  }
  void Pie(int l, int t, int r, int b, POINT from, POINT to, COLORREF fill) const {
    UniqueGdiObject brush(CreateSolidBrush(fill));
    UniqueGdiObject pen(CreatePen(PS_SOLID, Width(), RGB(40, 40, 40)));
    ScopedSelect b1(dc_, brush.get());
    ScopedSelect p1(dc_, pen.get());
    ::Pie(dc_, X(l), Y(t), X(r), Y(b), X(from.x), Y(from.y), X(to.x), Y(to.y));
  }
  void Line(int x1, int y1, int x2, int y2, COLORREF color, int units = 2) const {
    UniqueGdiObject pen(CreatePen(PS_SOLID, std::max(1, MulDiv(units, size_, 32)), color));
    ScopedSelect p1(dc_, pen.get());
    MoveToEx(dc_, X(x1), Y(y1), nullptr);
    LineTo(dc_, X(x2), Y(y2));
  }
  void Letter(const wchar_t* letter, COLORREF color) const {
    UniqueGdiObject font(CreateFontW(-Y(22), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                     NONANTIALIASED_QUALITY, 0, L"Arial"));
    ScopedSelect f1(dc_, font.get());
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, color);
    RECT box{X(2), Y(2), X(30), Y(30)};
    DrawTextW(dc_, letter, 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  void Polygon(std::initializer_list<POINT> units, COLORREF fill) const {
    std::array<POINT, 8> points{};
    std::size_t n = 0;
    for (const POINT& p : units) {
      points.at(n++) = POINT{X(p.x), Y(p.y)};
    }
    UniqueGdiObject brush(CreateSolidBrush(fill));
    UniqueGdiObject pen(CreatePen(PS_SOLID, Width(), RGB(40, 40, 40)));
    ScopedSelect b1(dc_, brush.get());
    ScopedSelect p1(dc_, pen.get());
    ::Polygon(dc_, points.data(), static_cast<int>(n));
  }

 private:
  [[nodiscard]] int Width() const { return std::max(1, size_ / 24); }

  HDC dc_;
  int left_;
  int size_;
};

void DrawGlyph(const GlyphPainter& g, ToolbarGlyph glyph) {
  switch (glyph) {
    case ToolbarGlyph::kFiles:
      g.Box(7, 9, 25, 29, RGB(120, 170, 220));
      g.Box(5, 5, 27, 9, RGB(80, 130, 190));
      g.Box(12, 2, 20, 5, RGB(80, 130, 190));
      for (int x : {11, 16, 21})
        g.Line(x, 12, x, 26, RGB(40, 80, 130));
      break;
    case ToolbarGlyph::kRegistry:
      g.Box(3, 17, 15, 29, RGB(230, 90, 70));
      g.Box(17, 17, 29, 29, RGB(90, 170, 90));
      g.Box(10, 4, 22, 16, RGB(80, 130, 210));
      break;
    case ToolbarGlyph::kMemory:
      g.Box(2, 9, 30, 21, RGB(40, 130, 60));
      for (int x : {5, 11, 17, 23})
        g.Box(x, 11, x + 4, 18, RGB(30, 30, 30));
      for (int x = 4; x < 29; x += 3)
        g.Line(x, 21, x, 26, RGB(210, 170, 40), 2);
      break;
    case ToolbarGlyph::kSoftware:
      g.Polygon({{4, 10}, {16, 4}, {28, 10}, {28, 24}, {16, 30}, {4, 24}}, RGB(210, 160, 90));
      g.Line(4, 10, 16, 16, RGB(40, 40, 40), 1);
      g.Line(28, 10, 16, 16, RGB(40, 40, 40), 1);
      g.Line(16, 16, 16, 30, RGB(40, 40, 40), 1);
      break;
    case ToolbarGlyph::kAdvanced:
      for (int y : {8, 16, 24})
        g.Line(4, y, 28, y, RGB(90, 90, 90), 2);
      g.Box(8, 5, 13, 11, RGB(230, 120, 40));
      g.Box(18, 13, 23, 19, RGB(230, 120, 40));
      g.Box(11, 21, 16, 27, RGB(230, 120, 40));
      break;
    case ToolbarGlyph::kResources:
      for (int p = 9; p <= 21; p += 4) {
        g.Line(p, 2, p, 7, RGB(150, 150, 150));
        g.Line(p, 25, p, 30, RGB(150, 150, 150));
        g.Line(2, p, 7, p, RGB(150, 150, 150));
        g.Line(25, p, 30, p, RGB(150, 150, 150));
      }
      g.Box(6, 6, 26, 26, RGB(70, 70, 80));
      g.Box(11, 11, 21, 21, RGB(200, 200, 210));
      break;
    case ToolbarGlyph::kFolders:
      g.Ellipse(3, 3, 29, 29, RGB(80, 140, 220));
      g.Pie(3, 3, 29, 29, {29, 16}, {16, 3}, RGB(240, 180, 40));
      g.Pie(3, 3, 29, 29, {16, 3}, {3, 12}, RGB(220, 80, 70));
      break;
    case ToolbarGlyph::kInformation:
      g.Ellipse(2, 2, 30, 30, RGB(40, 110, 200));
      g.Letter(L"i", RGB(255, 255, 255));
      break;
    case ToolbarGlyph::kHelp:
      g.Ellipse(2, 2, 30, 30, RGB(60, 160, 90));
      g.Letter(L"?", RGB(255, 255, 255));
      break;
    case ToolbarGlyph::kSupport:
      g.Ellipse(2, 2, 30, 30, RGB(90, 170, 230));
      g.Ellipse(10, 2, 22, 30, RGB(90, 170, 230));
      g.Line(2, 16, 30, 16, RGB(40, 40, 40), 1);
      g.Line(16, 2, 16, 30, RGB(40, 40, 40), 1);
      break;
    case ToolbarGlyph::kRestore:
      g.Ellipse(4, 4, 28, 28, RGB(240, 240, 240), RGB(40, 130, 60));
      g.Ellipse(10, 10, 22, 22, kTransparent, RGB(40, 130, 60));
      g.Polygon({{1, 12}, {11, 12}, {6, 20}}, RGB(40, 130, 60));
      break;
    case ToolbarGlyph::kBackup:
      g.Polygon({{16, 2}, {28, 7}, {26, 20}, {16, 30}, {6, 20}, {4, 7}}, RGB(60, 120, 200));
      g.Line(10, 16, 15, 21, RGB(255, 255, 255), 3);
      g.Line(15, 21, 23, 10, RGB(255, 255, 255), 3);
      break;
    case ToolbarGlyph::kDelete:
      g.Line(6, 6, 26, 26, RGB(200, 40, 40), 6);
      g.Line(26, 6, 6, 26, RGB(200, 40, 40), 6);
      break;
    case ToolbarGlyph::kApply:
      g.Line(4, 17, 12, 25, RGB(40, 150, 60), 6);
      g.Line(12, 25, 28, 7, RGB(40, 150, 60), 6);
      break;
    case ToolbarGlyph::kGreenMark: g.Ellipse(5, 5, 27, 27, RGB(70, 180, 80)); break;
    case ToolbarGlyph::kYellowMark: g.Ellipse(5, 5, 27, 27, RGB(240, 200, 40)); break;
    case ToolbarGlyph::kRedMark: g.Ellipse(5, 5, 27, 27, RGB(220, 60, 50)); break;
    case ToolbarGlyph::kBrokenShortcut:
      g.Box(4, 4, 28, 28, RGB(255, 255, 255));
      g.Line(9, 23, 15, 17, RGB(40, 90, 200), 4);
      g.Line(18, 14, 24, 8, RGB(40, 90, 200), 4);
      g.Line(20, 20, 26, 26, RGB(200, 40, 40), 3);
      g.Line(26, 20, 20, 26, RGB(200, 40, 40), 3);
      break;
  }
}

}  // namespace

UniqueImageList CreateGlyphImages(int size, std::initializer_list<ToolbarGlyph> glyphs) {
  const int count = static_cast<int>(glyphs.size());
  UniqueImageList images(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0));
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  UniqueGdiObject strip(CreateCompatibleBitmap(screen, size * count, size));
  ReleaseDC(nullptr, screen);
  {
    ScopedSelect selected(dc, strip.get());
    RECT all{0, 0, size * count, size};
    SetBkColor(dc, kTransparent);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    int i = 0;
    for (const ToolbarGlyph glyph : glyphs) {
      DrawGlyph(GlyphPainter(dc, i++ * size, size), glyph);
    }
  }
  DeleteDC(dc);
  ImageList_AddMasked(images.get(), static_cast<HBITMAP>(strip.get()), kTransparent);
  return images;
}

UniqueImageList CreateToolbarImages(int size) {
  using G = ToolbarGlyph;
  return CreateGlyphImages(size, {G::kFiles, G::kRegistry, G::kMemory, G::kSoftware, G::kAdvanced, G::kResources,
                                  G::kFolders, G::kInformation, G::kHelp, G::kSupport, G::kRestore, G::kBackup});
}

UniqueImageList CreateListImages(int size) {
  using G = ToolbarGlyph;
  return CreateGlyphImages(size, {G::kGreenMark, G::kYellowMark, G::kRedMark, G::kBrokenShortcut});
}

UniqueIcon CreateGlyphIcon(int size, ToolbarGlyph glyph) {
  const UniqueImageList one = CreateGlyphImages(size, {glyph});
  return UniqueIcon(ImageList_GetIcon(one.get(), 0, ILD_TRANSPARENT));
}

}  // namespace sw::app::win32
