// The Folder Usage tab's rules over real files: the chart of a prepared tree, the way down
// into a slice and back up, the hovered slice's size, and no second measurement while one
// runs.

#include "app/folder_usage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>

#include "core/text.h"
#include "support/file_fixture.h"
#include "support/forwarding_file_system.h"

namespace sw::app {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

// The real file system, with every listing but the caller's held back a little, so that a
// measurement is sure to let the caller wait (and run its messages) at least once.
class SlowFiles final : public test::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  Result<std::unique_ptr<platform::FolderReader>> ListFolder(std::string_view folder,
                                                             platform::FolderDetail detail) override {
    if (std::this_thread::get_id() != caller_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    return real_.ListFolder(folder, detail);
  }

 private:
  std::thread::id caller_ = std::this_thread::get_id();
};

// root        300,000 bytes of its own
//   big\a     2 MB          big\b   1 MB
//   mid       1 MB
//   empty
class FolderUsageTest : public test::FileFixture {
 protected:
  void SetUp() override {
    MakeFile("root\\own.bin", std::string(300'000, 'o'));
    MakeFile("root\\big\\a\\x.bin", std::string(2 << 20, 'a'));
    MakeFile("root\\big\\b\\y.bin", std::string(1 << 20, 'b'));
    MakeFile("root\\mid\\m.bin", std::string(1 << 20, 'm'));
    std::filesystem::create_directories(Host("root\\empty"));
  }

  [[nodiscard]] std::string Upper(std::string_view sub) const { return ToUpperText(At(sub)); }

  [[nodiscard]] std::vector<std::string> Items() const {
    std::vector<std::string> texts;
    for (const auto& item : usage_.chart().Items()) {
      texts.push_back(item.text);
    }
    return texts;
  }

  // Points the mouse halfway out along the middle of the slice whose text is `text`.
  void PointAt(std::string_view text, bool move = false) {
    const auto& items = usage_.chart().Items();
    for (const sysinfo::PieSlice& slice : usage_.chart().Slices(kWidth, kHeight)) {
      if (items[slice.item].text == text) {
        const double mid = slice.start + slice.sweep / 2;
        const int x = kWidth / 2 + static_cast<int>(std::lround(kWidth / 4.0 * std::cos(mid)));
        const int y = kHeight / 2 - static_cast<int>(std::lround(kHeight / 4.0 * std::sin(mid)));
        if (move) {
          usage_.chart().MouseMove(kWidth, kHeight, x, y);
        } else {
          usage_.chart().MouseDown(x, y);
        }
        return;
      }
    }
    ADD_FAILURE() << "no slice " << text;
  }

  FolderUsage usage_;
  sysinfo::MeasureOptions options_;
};

TEST_F(FolderUsageTest, DescendsIntoASliceAndComesBackUp) {
  EXPECT_TRUE(usage_.PieFolder().empty());
  ASSERT_TRUE(usage_.ShowFolder(files(), At("root"), options_));
  EXPECT_EQ(usage_.PieFolder(), At("root"));
  // 3072 + 1024 + 0 KB of subfolders; the 292 KB of its own files take their place by size.
  EXPECT_EQ(Items(), (std::vector<std::string>{"3072 " + Upper("root\\big"), "1024 " + Upper("root\\mid"), "292 Files",
                                               "0 " + Upper("root\\empty")}));
  EXPECT_EQ(usage_.Status(), "Total size in " + At("root") + " is 4MB");

  // The files' slice leads nowhere.
  PointAt("292 Files");
  ASSERT_TRUE(usage_.chart().DoubleClick(kWidth, kHeight));
  EXPECT_FALSE(usage_.Descend(files(), options_));
  EXPECT_EQ(usage_.PieFolder(), At("root"));

  PointAt("3072 " + Upper("root\\big"));
  ASSERT_TRUE(usage_.chart().DoubleClick(kWidth, kHeight));
  ASSERT_TRUE(usage_.Descend(files(), options_));
  EXPECT_EQ(usage_.PieFolder(), Upper("root\\big"));
  EXPECT_EQ(Items(),
            (std::vector<std::string>{"2048 " + Upper("root\\big\\a"), "1024 " + Upper("root\\big\\b"), "0 Files"}));
  EXPECT_EQ(usage_.Status(), "Total size in " + Upper("root\\big") + " is 3MB");

  PointAt("2048 " + Upper("root\\big\\a"), true);
  ASSERT_TRUE(usage_.Hover());
  EXPECT_EQ(usage_.Status(), "Total size in " + Upper("root\\big\\a") + " is 2MB");

  // A right-click on any slice of the subfolder's chart shows the folder above it.
  PointAt("1024 " + Upper("root\\big\\b"));
  ASSERT_TRUE(usage_.chart().RightButtonUp(kWidth, kHeight));
  ASSERT_TRUE(usage_.GoUp(files(), options_));
  EXPECT_EQ(usage_.PieFolder(), Upper("root"));
  EXPECT_EQ(Items().front(), "3072 " + Upper("root\\big"));
}

TEST_F(FolderUsageTest, TheStatusStaysUntilTheMouseHasFoundASlice) {
  EXPECT_EQ(usage_.Status(), "Status");
  EXPECT_FALSE(usage_.Hover());
  ASSERT_TRUE(usage_.ShowFolder(files(), At("root\\mid"), options_));
  usage_.chart().MouseMove(kWidth, kHeight, 0, 0);  // outside the pie
  EXPECT_FALSE(usage_.Hover());
  EXPECT_EQ(usage_.Status(), "Total size in " + At("root\\mid") + " is 1MB");  // its files count
}

TEST_F(FolderUsageTest, NothingStartsAnotherMeasurementWhileOneRuns) {
  ASSERT_TRUE(usage_.ShowFolder(files(), At("root"), options_));
  PointAt("3072 " + Upper("root\\big"));
  ASSERT_TRUE(usage_.chart().DoubleClick(kWidth, kHeight));

  SlowFiles slow(files());
  int waits = 0;
  sysinfo::MeasureOptions slowly;
  slowly.workers = 1;
  slowly.whileWaiting = [&] {
    ++waits;
    EXPECT_TRUE(usage_.Measuring());
    // Another folder and a double-click on the slice still hit, as the window's messages
    // would bring them meanwhile.
    EXPECT_FALSE(usage_.ShowFolder(files(), At("root\\mid"), options_));
    EXPECT_FALSE(usage_.Descend(files(), options_));
  };
  ASSERT_TRUE(usage_.ShowFolder(slow, At("root\\big"), slowly));
  ASSERT_GE(waits, 1);
  EXPECT_FALSE(usage_.Measuring());
  EXPECT_EQ(usage_.PieFolder(), At("root\\big"));
  EXPECT_EQ(Items().size(), 3U);
  // Once it has ended the next one runs.
  EXPECT_TRUE(usage_.ShowFolder(files(), At("root\\mid"), options_));
  EXPECT_EQ(Items(), std::vector<std::string>{"1024 Files"});
}

}  // namespace
}  // namespace sw::app
