// The Folder Usage tab in this process under Wine: the chart of a tree the test prepares in
// its own temporary folder (never a measurement of C:), painted with its colours and labels,
// and the mouse on it: down into a slice, back up, and the hovered slice's size.

#include "app/win32/folder_usage_page.h"

#include <windows.h>

#include <windowsx.h>

#include <cmath>
#include <vector>

#include "app/command_ids.h"
#include "core/text.h"
#include "gui/main_window_fixture.h"
#include "sysinfo/folder_chart.h"

namespace sw::app::win32 {
namespace {

// usage        300,000 bytes of its own
//   big\a      2 MB           big\b   1 MB
//   mid        1 MB
//   empty
class FolderUsagePageTest : public test::MainWindowFixture {
 protected:
  FolderUsagePageTest() {
    test::WriteFileBytes(Made("big\\a") / "x.bin", std::string(2 << 20, 'a'));
    test::WriteFileBytes(Made("big\\b") / "y.bin", std::string(1 << 20, 'b'));
    test::WriteFileBytes(Made("mid") / "m.bin", std::string(1 << 20, 'm'));
    test::WriteFileBytes(Made("") / "own.bin", std::string(300'000, 'o'));
    Made("empty");
  }

  std::filesystem::path Made(const std::string& sub) {
    const std::filesystem::path folder = tree_.path() / "usage" / sub;
    std::filesystem::create_directories(folder);
    return folder;
  }
  [[nodiscard]] std::string Root() const { return test::Utf8Of(tree_.path() / "usage"); }
  [[nodiscard]] std::string Upper(std::string_view sub) const {
    return ToUpperText(Root() + (sub.empty() ? "" : "\\") + std::string(sub));
  }

  FolderUsagePage& Page() { return window_->folderUsagePage(); }
  [[nodiscard]] SIZE ChartSize() {
    RECT client{};
    GetClientRect(Page().chartWindow(), &client);
    return SIZE{client.right, client.bottom};
  }
  // The point halfway out along the middle of the slice whose label is `label`.
  LPARAM PointOnSlice(std::string_view label) {
    const SIZE size = ChartSize();
    const sysinfo::TPieChart& chart = Page().usage().chart();
    for (const sysinfo::PieSlice& slice : chart.Slices(size.cx, size.cy)) {
      if (sysinfo::LabelOf(chart.Items()[slice.item].text) == label) {
        const double mid = slice.start + slice.sweep / 2;
        return MAKELPARAM(size.cx / 2 + static_cast<int>(size.cx / 4.0 * std::cos(mid)),
                          size.cy / 2 - static_cast<int>(size.cy / 4.0 * std::sin(mid)));
      }
    }
    ADD_FAILURE() << "no slice " << label;
    return 0;
  }
  void DoubleClick(std::string_view label) {
    const LPARAM point = PointOnSlice(label);
    HWND chart = Page().chartWindow();
    SendMessageW(chart, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(chart, WM_LBUTTONUP, 0, point);
    SendMessageW(chart, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageW(chart, WM_LBUTTONUP, 0, point);
  }
  void RightClick(std::string_view label) {
    const LPARAM point = PointOnSlice(label);
    SendMessageW(Page().chartWindow(), WM_RBUTTONDOWN, MK_RBUTTON, point);
    SendMessageW(Page().chartWindow(), WM_RBUTTONUP, 0, point);
  }

  // The chart as it paints itself, as GDI colour values, row by row.
  std::vector<COLORREF> Picture() {
    const SIZE size = ChartSize();
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(Page().chartWindow(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    std::vector<COLORREF> pixels(static_cast<std::size_t>(size.cx) * static_cast<std::size_t>(size.cy));
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
  }

  test::TempFolder tree_;
};

TEST_F(FolderUsagePageTest, TheChartOfAPreparedTreeIsPaintedWithItsColoursAndLabels) {
  MainWindow& window = Start();
  window.RunCommand(kCmdFolders);
  EXPECT_TRUE(Shown("pnlPie"));
  EXPECT_EQ(TextOf("lblFolderMessage"), "Status");
  EXPECT_TRUE(Page().usage().PieFolder().empty()) << "the tab measures nothing by itself";
  EXPECT_GE(ComboBox_FindStringExact(window.Control("DriveComboBox1"), -1, L"c:"), 0);

  ASSERT_TRUE(Page().ShowFolder(Root()));
  EXPECT_EQ(TextOf("lblFolderMessage"), "Total size in " + Root() + " is 4MB");
  EXPECT_TRUE(IsWindowEnabled(window.Control("DriveComboBox1")));

  const SIZE size = ChartSize();
  const std::vector<COLORREF> picture = Picture();
  auto at = [&](int x, int y) { return picture[static_cast<std::size_t>(y) * size.cx + x]; };
  const sysinfo::TPieChart& chart = Page().usage().chart();
  const std::vector<sysinfo::PieSlice> slices = chart.Slices(size.cx, size.cy);
  ASSERT_EQ(slices.size(), 4U);
  // BIG, MID and the files are drawn in the page's first three colours; the empty folder's
  // slice has no width.
  const std::vector<COLORREF> colours{0xD5FFF1, 0xB1F5FF, 0x9AFEDD};
  for (std::size_t i = 0; i < 3; ++i) {
    const double mid = slices[i].start + slices[i].sweep / 2;
    const int x = size.cx / 2 + static_cast<int>(size.cx / 4.0 * std::cos(mid));
    const int y = size.cy / 2 - static_cast<int>(size.cy / 4.0 * std::sin(mid));
    EXPECT_EQ(at(x, y), colours[i]) << chart.Items()[i].text;
  }
  EXPECT_FALSE(slices[3].drawn);
  EXPECT_NE(at(2, 2), sysinfo::kSilver) << "outside the pie the panel shows";
  // The labels are the only black inside the pie, apart from the dotted radius.
  int ink = 0;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      const double dx = (x - size.cx / 2.0) / (size.cx / 2.0);
      const double dy = (y - size.cy / 2.0) / (size.cy / 2.0);
      ink += dx * dx + dy * dy < 0.9 && std::abs(y - size.cy / 2) > 1 && at(x, y) == RGB(0, 0, 0) ? 1 : 0;
    }
  }
  EXPECT_GT(ink, 30);
}

TEST_F(FolderUsagePageTest, DoubleClickDescendsRightClickGoesUpAndTheHoveredSliceShowsItsSize) {
  MainWindow& window = Start();
  window.RunCommand(kCmdFolders);
  ASSERT_TRUE(Page().ShowFolder(Root()));

  DoubleClick("Files");
  EXPECT_EQ(Page().usage().PieFolder(), Root()) << "the files' slice keeps the chart";

  DoubleClick(Upper("big"));
  EXPECT_EQ(Page().usage().PieFolder(), Upper("big"));
  ASSERT_EQ(Page().usage().chart().Items().size(), 3U);
  EXPECT_EQ(Page().usage().chart().Items()[0].text, "2048 " + Upper("big\\a"));
  EXPECT_EQ(TextOf("lblFolderMessage"), "Total size in " + Upper("big") + " is 3MB");

  SendMessageW(Page().chartWindow(), WM_MOUSEMOVE, 0, PointOnSlice(Upper("big\\a")));
  EXPECT_EQ(TextOf("lblFolderMessage"), "Total size in " + Upper("big\\a") + " is 2MB");
  SendMessageW(Page().chartWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));  // off the pie: the last slice stays
  EXPECT_EQ(TextOf("lblFolderMessage"), "Total size in " + Upper("big\\a") + " is 2MB");

  RightClick(Upper("big\\b"));
  EXPECT_EQ(Page().usage().PieFolder(), Upper(""));
  EXPECT_EQ(TextOf("lblFolderMessage"), "Total size in " + Upper("") + " is 4MB");
  EXPECT_EQ(Page().usage().chart().Items()[0].text, "3072 " + Upper("big"));
  EXPECT_TRUE(IsWindowEnabled(window.Control("DriveComboBox1")));
}

// Stop, pressed while a large tree is measured (the click waits in the queue and is handled
// when the measuring first lets messages run): the chart of what was measured, marked.
TEST_F(FolderUsagePageTest, StopEndsAMeasuringAndThePartialChartIsShown) {
  for (int i = 0; i < 40; ++i) {
    for (int j = 0; j < 40; ++j) {
      test::WriteFileBytes(Made("large\\f" + std::to_string(i) + "\\g" + std::to_string(j)) / "d.bin", "data");
    }
  }
  MainWindow& window = Start();
  window.RunCommand(kCmdFolders);
  PostMessageW(window.hwnd(), WM_COMMAND, kCmdStop, 0);
  ASSERT_TRUE(Page().ShowFolder(Root() + "\\large"));
  EXPECT_FALSE(Page().usage().Complete());
  EXPECT_TRUE(TextOf("lblFolderMessage").ends_with(std::string(sysinfo::kPartialMark))) << TextOf("lblFolderMessage");
  EXPECT_EQ(Page().usage().chart().Items().size(), 41U);  // every slice, as far as it got
  EXPECT_FALSE(IsWindowVisible(window.Control("btnStop")));
  EXPECT_TRUE(IsWindowEnabled(window.Control("DriveComboBox1")));

  // The next measuring starts afresh: Stop belonged to the last one.
  ASSERT_TRUE(Page().ShowFolder(Root() + "\\mid"));
  EXPECT_TRUE(Page().usage().Complete());
  EXPECT_EQ(TextOf("lblFolderMessage"), "Total size in " + Root() + "\\mid is 1MB");
}

}  // namespace
}  // namespace sw::app::win32
