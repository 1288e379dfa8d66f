// The pie chart's geometry and the Folder Usage page's navigation, without a window.

#include "sysinfo/pie_chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "sysinfo/folder_chart.h"

namespace sw::sysinfo {
namespace {

constexpr double kPi = std::numbers::pi;

std::vector<ChartLine> Lines(std::initializer_list<const char*> texts) {
  std::vector<ChartLine> lines;
  for (const char* text : texts) {
    lines.push_back(ChartLine{text, static_cast<std::int64_t>(lines.size())});
  }
  return lines;
}

std::vector<std::string> TextsOf(const TPieChart& chart) {
  std::vector<std::string> texts;
  for (const auto& item : chart.Items()) {
    texts.push_back(item.text);
  }
  return texts;
}

TEST(PieChartItems, ParsesNumbersDropsTheRestAndPutsTheLargestFirst) {
  TPieChart chart;
  chart.SetItems(Lines({" 10 C:\\A ", "abc C:\\B", "-5 C:\\NEG", "7", "1e2 C:\\SCI", "inf C:\\INF", "nan",
                        "+3 C:\\PLUS", "3 C:\\THREE", "12x C:\\BAD", ""}));
  EXPECT_EQ(TextsOf(chart),
            (std::vector<std::string>{"1e2 C:\\SCI", "10 C:\\A", "7", "-5 C:\\NEG", "+3 C:\\PLUS", "3 C:\\THREE"}));
  EXPECT_DOUBLE_EQ(chart.Total(), 128);
  EXPECT_DOUBLE_EQ(chart.Items()[3].value, 5);  // absolute value
  EXPECT_EQ(chart.Items()[0].tag, 4);           // the caller's value travels with its line
  EXPECT_EQ(chart.Items()[1].tag, 0);

  chart.SetItems(Lines({"0 Files"}));  // an empty folder: one item worth nothing, nothing drawn
  EXPECT_EQ(chart.Items().size(), 1U);
  EXPECT_TRUE(chart.Slices(100, 100).empty());
  EXPECT_FALSE(chart.HitTest(100, 100, 60, 50).has_value());
}

TEST(PieChartColours, ReadBackInTheFormTheyAreWritten) {
  TPieChart chart;
  EXPECT_EQ(chart.Colours(), "$00E0E0FF,$00E0FFFF,$00E0FFE0,$00FFFFE0,$00FFE0E0,$00FFE0FF,$00FFFFFF,$00E0E0E0");
  EXPECT_EQ(chart.NumColours(), 6);
  chart.SetColours(kFolderChartColours);
  EXPECT_EQ(chart.Colours(), kFolderChartColours);

  chart.SetColours("$00000001,$00000002,$00000003,$00000004,$00000005,$00000006,$00000007,$00000008,$00000009");
  EXPECT_EQ(chart.Colours(), "$00000001,$00000002,$00000003,$00000004,$00000005,$00000006,$00000007,$00000008");
  chart.SetColours("$00ABCDEF, $12");  // fewer: the first ones change
  EXPECT_EQ(chart.Colours(), "$00ABCDEF,$00000012,$00000003,$00000004,$00000005,$00000006,$00000007,$00000008");
  chart.SetColours("$00FF0000,red");  // not a colour: the list is ignored
  EXPECT_TRUE(chart.Colours().starts_with("$00ABCDEF"));

  for (const int ignored : {0, 9, -1}) {
    chart.SetNumColours(ignored);
    EXPECT_EQ(chart.NumColours(), 6);
  }
  chart.SetNumColours(kFolderChartNumColours);
  EXPECT_EQ(chart.NumColours(), 8);
  EXPECT_EQ(OutlineOf(0x00D5FFF1), 0x0095BFB1U);
  EXPECT_EQ(OutlineOf(0x00302050), 0x00000010U);  // no channel goes below zero
}

TEST(PieChartSlices, AnglesFollowTheValuesAndNarrowSlicesAreNotDrawn) {
  TPieChart chart;
  chart.SetColours(kFolderChartColours);
  chart.SetNumColours(2);
  // 3 of 4 and 1 of 4, with a sliver of 0.006 radians between them and a negative slice.
  const double sliver = 0.006 / (2 * kPi) * 4000;
  const std::vector<ChartLine> lines{ChartLine{"3000 C:\\BIG", 0}, ChartLine{std::to_string(sliver) + " C:\\SLIVER", 1},
                                     ChartLine{"-1000 C:\\NEG", 2}};
  chart.SetItems(lines);
  const auto slices = chart.Slices(200, 100);
  ASSERT_EQ(slices.size(), 3U);
  const double total = chart.Total();
  EXPECT_NEAR(slices[0].sweep, 2 * kPi * 3000 / total, 1e-12);
  EXPECT_DOUBLE_EQ(slices[0].start, 0);
  EXPECT_TRUE(slices[0].drawn);
  EXPECT_EQ(slices[1].item, 1U);  // -1000 sorts by its absolute value
  EXPECT_EQ(chart.Items()[1].text, "-1000 C:\\NEG");
  EXPECT_EQ(slices[1].fill, kSilver);
  EXPECT_EQ(slices[1].outline, OutlineOf(0x00B1F5FF));  // second colour drawn
  EXPECT_FALSE(slices[2].drawn);
  // The sliver still takes its place: every slice starts where the one before it ended.
  EXPECT_NEAR(slices[2].start, slices[1].start + slices[1].sweep, 1e-12);
  EXPECT_NEAR(slices[2].start + slices[2].sweep, 2 * kPi, 1e-12);
  EXPECT_EQ(slices[0].fill, 0x00D5FFF1U);
  EXPECT_EQ(slices[0].from.x, 100 + 1000);  // along the positive x axis from the centre (100, 50)
  EXPECT_EQ(slices[0].from.y, 50);
  EXPECT_EQ(slices[0].to.x, 100 + static_cast<int>(std::lround(1000 * std::cos(slices[0].sweep))));
  EXPECT_EQ(slices[0].to.y, 50 - static_cast<int>(std::lround(1000 * std::sin(slices[0].sweep))));

  // The sliver is not drawn, and yet it is there for the mouse (on a chart big enough for a
  // pixel to be narrower than the sliver).
  const double mid = slices[2].start + slices[2].sweep / 2;
  const int x = 10000 + static_cast<int>(std::lround(9000 * std::cos(mid)));
  const int y = 10000 - static_cast<int>(std::lround(9000 * std::sin(mid)));
  const auto hit = chart.HitTest(20000, 20000, x, y);
  ASSERT_TRUE(hit.has_value());
  EXPECT_EQ(chart.Items()[*hit].tag, 1);
}

TEST(PieChartLabels, OnlyWideSlicesWithALabelAndTheFarCornerOnTheRim) {
  TPieChart chart;
  chart.SetItems(Lines({"1000 C:\\ONLY"}));
  const auto measure = [](std::string_view) { return LabelSize{40, 10}; };
  auto labels = chart.Labels(200, 200, measure);
  ASSERT_EQ(labels.size(), 1U);
  // A single slice: its middle points left; the box's outer corners land on x = 0.
  EXPECT_EQ(labels[0].text, "C:\\ONLY");
  EXPECT_EQ(labels[0].left, 0);
  EXPECT_EQ(labels[0].top, 95);

  // 0.13 radians of 2π is about 2.07 %: 2 of 100 has no label, 3 of 100 has one.
  chart.SetItems(Lines({"95 C:\\A", "3 C:\\B", "2 C:\\C", "0"}));
  labels = chart.Labels(200, 100, measure);
  ASSERT_EQ(labels.size(), 2U);
  EXPECT_EQ(labels[0].text, "C:\\A");
  EXPECT_EQ(labels[1].text, "C:\\B");
  chart.SetItems(Lines({"50", "50 Files"}));  // no label part
  labels = chart.Labels(200, 100, measure);
  ASSERT_EQ(labels.size(), 1U);
  EXPECT_EQ(labels[0].text, "Files");
}

TEST(PieChartHits, TheAngleDecidesInsideTheEllipseAndTheLastHitIsKept) {
  TPieChart chart;
  chart.SetItems(Lines({"3 C:\\BIG", "1 Files"}));   // [0, 1.5π) and [1.5π, 2π)
  EXPECT_EQ(chart.HitTest(200, 200, 150, 100), 0U);  // to the right: angle 0
  EXPECT_EQ(chart.HitTest(200, 200, 100, 50), 0U);   // above: π/2
  EXPECT_EQ(chart.HitTest(200, 200, 110, 160), 1U);  // below, past 3π/2
  EXPECT_EQ(chart.HitTest(200, 200, 160, 160), 1U);
  EXPECT_FALSE(chart.HitTest(200, 200, 199, 1).has_value());  // a corner, outside the pie
  // A wide chart: inside only within its ellipse, not within the circle of its width.
  EXPECT_TRUE(chart.HitTest(400, 100, 200, 10).has_value());
  EXPECT_FALSE(chart.HitTest(400, 100, 350, 10).has_value());

  chart.MouseDown(110, 160);
  EXPECT_TRUE(chart.RightButtonUp(200, 200));
  EXPECT_EQ(chart.HitText(), "1 Files");
  EXPECT_EQ(chart.HitLabel(), "Files");
  EXPECT_EQ(chart.HitTag(), 1);
  chart.MouseMove(200, 200, 150, 100);
  EXPECT_EQ(chart.HitLabel(), "C:\\BIG");
  chart.MouseMove(200, 200, 0, 0);  // off the pie: the last slice found stays
  EXPECT_EQ(chart.HitLabel(), "C:\\BIG");
  EXPECT_FALSE(chart.DoubleClick(200, 200));  // the move took the place of the press

  chart.SetItems(Lines({"7 C:\\NEW"}));  // a new chart keeps the hit state until a hit
  EXPECT_EQ(chart.HitText(), "3 C:\\BIG");
  chart.MouseDown(150, 100);
  EXPECT_TRUE(chart.DoubleClick(200, 200));
  EXPECT_EQ(chart.HitLabel(), "C:\\NEW");
}

TEST(FolderNavigation, DescendIntoFoldersAndGoUpTwoLevelsFromTheSlice) {
  EXPECT_EQ(DescendTarget("C:\\WINDOWS"), "C:\\WINDOWS");
  EXPECT_FALSE(DescendTarget("Files").has_value());
  EXPECT_FALSE(DescendTarget("").has_value());

  EXPECT_EQ(UpTarget("C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS"), "C:");  // one level down: back to the drive
  EXPECT_EQ(UpTarget("Files", "C:\\WINDOWS"), "C:");
  EXPECT_EQ(UpTarget("C:\\A\\B\\C", "C:\\A\\B"), "C:\\A");
  EXPECT_FALSE(UpTarget("C:\\WINDOWS", "c:").has_value());  // the drive level: nothing
  EXPECT_FALSE(UpTarget("Files", "c:").has_value());

  EXPECT_EQ(HoverText("52311 C:\\WINDOWS"), "Total size in C:\\WINDOWS is 51MB");
  EXPECT_EQ(HoverText("12 Files"), "Total size in Files is 0MB");
  EXPECT_EQ(HoverText("5000000000 C:\\BIG"), "Total size in C:\\BIG is 4882812MB");  // past 32 bits
  EXPECT_EQ(HoverText("1.5e3 C:\\X"), "Total size in C:\\X is 1.5e3MB");
  EXPECT_EQ(HoverText(""), "Total size in  is MB");
}

}  // namespace
}  // namespace sw::sysinfo
