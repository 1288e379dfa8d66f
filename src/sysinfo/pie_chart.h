#pragma once
// The pie chart TPieChart without its window: the items with their values, the angle of each
// slice, where the labels go, which slice a point falls in, and the colours. The painter draws
// what these functions give it; the window passes the mouse events on and acts on the answers.
//
// Angles are radians counter-clockwise from the positive x axis (pointing right), starting at
// 0; screen y grows downwards. Colours are GDI colour values, 0x00BBGGRR.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sw::sysinfo {

using Colour = std::uint32_t;
inline constexpr Colour kSilver = 0xC0C0C0;
inline constexpr int kMaxColours = 8;

// One input line of the items setter: a number, a space, a label; with the caller's value.
struct ChartLine {
  std::string text;
  std::int64_t tag = 0;
};

struct PieItem {
  std::string text;  // the whole trimmed line
  double value = 0;  // the absolute value of its number
  std::int64_t tag = 0;
};

struct PiePoint {
  int x = 0;
  int y = 0;
};

// One item's place in the pie.
struct PieSlice {
  std::size_t item = 0;
  double start = 0;
  double sweep = 0;
  bool drawn = false;  // slices of 0.007 radians or less are not drawn
  Colour fill = kSilver;
  Colour outline = kSilver;
  // The ends of the segment for GDI's Pie: 1000 pixels from the centre along each edge.
  PiePoint from;
  PiePoint to;
};

struct LabelSize {
  int width = 0;
  int height = 0;
};

struct PieLabel {
  std::size_t item = 0;
  std::string text;
  int left = 0;
  int top = 0;
};

class TPieChart {
 public:
  // The eight preset colours, six of them in use.
  TPieChart();

  // Replaces every slice: each line is trimmed and split at its first space; a line whose
  // number parses (a finite decimal) becomes an item with its absolute value, the others are
  // dropped. Items go largest first; equal values keep the order of the lines.
  void SetItems(std::span<const ChartLine> lines);
  [[nodiscard]] const std::vector<PieItem>& Items() const { return items_; }
  [[nodiscard]] double Total() const { return total_; }

  // "$00D5FFF1,$00B1F5FF,...": up to 8 entries; more keep the first 8, fewer replace the
  // first ones only. A list with an entry that is not "$" and hexadecimal digits is ignored.
  void SetColours(std::string_view list);
  [[nodiscard]] std::string Colours() const;
  // 1 to 8; other counts are ignored.
  void SetNumColours(int count);
  [[nodiscard]] int NumColours() const { return numColours_; }

  // The slices of a chart of this size, in item order. Every item, drawn or not, takes its
  // share of the circle, so the slices drawn sit where the hit test finds them.
  [[nodiscard]] std::vector<PieSlice> Slices(int width, int height) const;
  // The labels of the slices wider than 0.13 radians whose text has a label part, placed so
  // that the label's farthest corner meets the rim. `measure` gives a text's size in the
  // chart's font.
  [[nodiscard]] std::vector<PieLabel> Labels(int width, int height,
                                             const std::function<LabelSize(std::string_view)>& measure) const;
  // The item under (x, y), if any.
  [[nodiscard]] std::optional<std::size_t> HitTest(int width, int height, int x, int y) const;

  // Mouse events. A press only stores the position; double-click and right-button release
  // hit-test that position and answer whether the chart's event is to be raised (a slice was
  // hit). A move stores the position and hit-tests it; its event is raised either way.
  void MouseDown(int x, int y);
  bool DoubleClick(int width, int height);
  bool RightButtonUp(int width, int height);
  void MouseMove(int width, int height, int x, int y);

  // The hit state: kept from the last slice found until another is found, across charts.
  [[nodiscard]] std::int64_t HitTag() const { return hitTag_; }
  [[nodiscard]] const std::string& HitText() const { return hitText_; }
  [[nodiscard]] const std::string& HitLabel() const { return hitLabel_; }

 private:
  bool HitAtMouse(int width, int height);

  std::vector<PieItem> items_;
  double total_ = 0;
  std::array<Colour, kMaxColours> colours_{};
  int numColours_ = 6;
  PiePoint mouse_;
  std::int64_t hitTag_ = 0;
  std::string hitText_;
  std::string hitLabel_;
};

// The colours and count of the Folder Usage page's chart.
inline constexpr std::string_view kFolderChartColours =
    "$00D5FFF1,$00B1F5FF,$009AFEDD,$00A9E1FF,$008CFBCC,$0092EBD7,$0071E1FF,$0060C8FF";
inline constexpr int kFolderChartNumColours = 8;

// A colour darker by 0x40 in each channel (none below 0): a slice's outline.
[[nodiscard]] Colour OutlineOf(Colour fill);

// The label part of an item's text: what follows its first space ("" without one).
[[nodiscard]] std::string_view LabelOf(std::string_view text);

}  // namespace sw::sysinfo
