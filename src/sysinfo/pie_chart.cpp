#include "sysinfo/pie_chart.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace sw::sysinfo {
namespace {

constexpr double kFullCircle = 2 * std::numbers::pi;
constexpr double kNarrowestDrawn = 0.007;
constexpr double kNarrowestLabelled = 0.13;
constexpr int kEdgePointDistance = 1000;

// RGB (255,224,224), (255,255,224), (224,255,224), (224,255,255), (224,224,255),
// (255,224,255), (255,255,255), (224,224,224) as GDI colour values.
constexpr std::array<Colour, kMaxColours> kPresetColours = {0xE0E0FF, 0xE0FFFF, 0xE0FFE0, 0xFFFFE0,
                                                            0xFFE0E0, 0xFFE0FF, 0xFFFFFF, 0xE0E0E0};

// Blanks and control characters off both ends.
std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
    text.remove_prefix(1);
  }
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
    text.remove_suffix(1);
  }
  return text;
}

// A decimal number with an optional sign, nothing around it. Infinities and NaN are refused:
// one of them would make every angle meaningless.
std::optional<double> ParseNumber(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) {
      return std::nullopt;
    }
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<Colour> ParseColour(std::string_view text) {
  text = Trim(text);
  if (!text.starts_with('$') || text.size() < 2 || text.size() > 9) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data() + 1, text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value & 0xFFFFFF;
}

PiePoint EdgePoint(int cx, int cy, double angle) {
  return PiePoint{cx + static_cast<int>(std::lround(kEdgePointDistance * std::cos(angle))),
                  cy - static_cast<int>(std::lround(kEdgePointDistance * std::sin(angle)))};
}

}  // namespace

Colour OutlineOf(Colour fill) {
  Colour outline = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const Colour channel = (fill >> shift) & 0xFF;
    outline |= (channel > 0x40 ? channel - 0x40 : 0) << shift;
  }
  return outline;
}

std::string_view LabelOf(std::string_view text) {
  const auto space = text.find(' ');
  return space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
}

TPieChart::TPieChart() : colours_(kPresetColours) {}

void TPieChart::SetItems(std::span<const ChartLine> lines) {
  items_.clear();
  total_ = 0;
  for (const auto& line : lines) {
    const std::string_view text = Trim(line.text);
    const auto number = ParseNumber(text.substr(0, text.find(' ')));
    if (!number) {
      continue;
    }
    const double value = std::fabs(*number);
    total_ += value;
    items_.push_back(PieItem{std::string(text), value, line.tag});
  }
  std::stable_sort(items_.begin(), items_.end(), [](const PieItem& a, const PieItem& b) { return a.value > b.value; });
}

void TPieChart::SetColours(std::string_view list) {
  std::vector<Colour> parsed;
  while (parsed.size() < kMaxColours) {
    const auto comma = list.find(',');
    const auto colour = ParseColour(list.substr(0, comma));
    if (!colour) {
      return;
    }
    parsed.push_back(*colour);
    if (comma == std::string_view::npos) {
      break;
    }
    list.remove_prefix(comma + 1);
  }
  std::copy(parsed.begin(), parsed.end(), colours_.begin());
}

std::string TPieChart::Colours() const {
  std::string list;
  for (const Colour colour : colours_) {
    char entry[16];
    std::snprintf(entry, sizeof entry, "$%08X", static_cast<unsigned>(colour));
    list += list.empty() ? "" : ",";
    list += entry;
  }
  return list;
}

void TPieChart::SetNumColours(int count) {
  if (count >= 1 && count <= kMaxColours) {
    numColours_ = count;
  }
}

std::vector<PieSlice> TPieChart::Slices(int width, int height) const {
  std::vector<PieSlice> slices;
  if (total_ <= 0) {
    return slices;
  }
  const int cx = width / 2;
  const int cy = height / 2;
  double start = 0;
  int drawn = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    PieSlice slice;
    slice.item = i;
    slice.start = start;
    slice.sweep = kFullCircle * items_[i].value / total_;
    slice.drawn = slice.sweep > kNarrowestDrawn;
    if (slice.drawn) {
      const Colour colour = colours_[static_cast<std::size_t>(drawn % numColours_)];
      slice.fill = items_[i].text.starts_with('-') ? kSilver : colour;
      slice.outline = OutlineOf(colour);
      ++drawn;
    }
    slice.from = EdgePoint(cx, cy, start);
    slice.to = EdgePoint(cx, cy, start + slice.sweep);
    start += slice.sweep;
    slices.push_back(slice);
  }
  return slices;
}

std::vector<PieLabel> TPieChart::Labels(int width, int height,
                                        const std::function<LabelSize(std::string_view)>& measure) const {
  std::vector<PieLabel> labels;
  const double cx = width / 2;
  const double cy = height / 2;
  const double r = std::min(width, height) / 2;
  for (const PieSlice& slice : Slices(width, height)) {
    const std::string_view text = items_[slice.item].text;
    if (slice.sweep <= kNarrowestLabelled || text.find(' ') == std::string_view::npos) {
      continue;
    }
    const std::string_view label = LabelOf(text);
    const LabelSize size = measure(label);
    const double mid = slice.start + slice.sweep / 2;
    // The box centred on the rim first: how far out does its farthest corner reach?
    const double bx = cx + r * std::cos(mid);
    const double by = cy - r * std::sin(mid);
    double farthest = 0;
    for (const double sx : {-0.5, 0.5}) {
      for (const double sy : {-0.5, 0.5}) {
        farthest = std::max(farthest, std::hypot(bx + sx * size.width - cx, by + sy * size.height - cy));
      }
    }
    // Moved in by as much as that corner stuck out.
    const double distance = 2 * r - std::round(farthest);
    const double lx = cx + distance * std::cos(mid) - size.width / 2.0;
    const double ly = cy - distance * std::sin(mid) - size.height / 2.0;
    labels.push_back(
        PieLabel{slice.item, std::string(label), static_cast<int>(std::lround(lx)), static_cast<int>(std::lround(ly))});
  }
  return labels;
}

std::optional<std::size_t> TPieChart::HitTest(int width, int height, int x, int y) const {
  if (total_ <= 0 || width <= 0 || height <= 0) {
    return std::nullopt;
  }
  const double dx = x - width / 2;
  const double dy = height / 2 - y;
  // Inside the ellipse the chart is drawn in, not merely inside the larger side's circle.
  const double ax = dx / (width / 2.0);
  const double ay = dy / (height / 2.0);
  if (ax * ax + ay * ay >= 1) {
    return std::nullopt;
  }
  double angle = std::atan2(dy, dx);
  if (angle < 0) {
    angle += kFullCircle;
  }
  double start = 0;
  std::optional<std::size_t> last;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const double sweep = kFullCircle * items_[i].value / total_;
    if (angle >= start && angle < start + sweep) {
      return i;
    }
    if (sweep > 0) {
      last = i;
    }
    start += sweep;
  }
  // The sum of the sweeps may fall short of the full circle by a rounding error.
  return angle >= start ? last : std::nullopt;
}

bool TPieChart::HitAtMouse(int width, int height) {
  const auto hit = HitTest(width, height, mouse_.x, mouse_.y);
  if (!hit) {
    return false;
  }
  hitTag_ = items_[*hit].tag;
  hitText_ = items_[*hit].text;
  hitLabel_ = std::string(LabelOf(hitText_));
  return true;
}

void TPieChart::MouseDown(int x, int y) {
  mouse_ = PiePoint{x, y};
}

bool TPieChart::DoubleClick(int width, int height) {
  return HitAtMouse(width, height);
}

bool TPieChart::RightButtonUp(int width, int height) {
  return HitAtMouse(width, height);
}

void TPieChart::MouseMove(int width, int height, int x, int y) {
  mouse_ = PiePoint{x, y};
  HitAtMouse(width, height);
}

}  // namespace sw::sysinfo
