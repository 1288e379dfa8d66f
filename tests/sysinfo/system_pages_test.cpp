// The Memory and Drive pages' texts and gauges from figures the test sets, in both builds: the
// drives' types and spaces are the test's (over the build's own file system), so a gap in the
// letters can be made under Wine too.

#include "sysinfo/system_pages.h"

#include <gtest/gtest.h>

#include <map>

#include "support/file_fixture.h"
#include "support/forwarding_file_system.h"
#include "support/scripted_figures.h"
#include "sysinfo/figure_text.h"

namespace sw::sysinfo {
namespace {

using platform::DriveType;
using platform::MemoryStatus;
using platform::VolumeSpace;

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kGiB = 1024 * kMiB;

TEST(FigureText, TruncatesAndStaysExactPastFourGigabytes) {
  EXPECT_EQ(KBAndMBText(268'029'952), "261748KB (255MB)");
  EXPECT_EQ(MBText(kMiB - 1), "0MB");
  EXPECT_EQ(KBAndMBText(6 * kGiB + 512), "6291456KB (6144MB)");
  EXPECT_EQ(PercentOf(1, 3), 33);
  EXPECT_EQ(PercentOf(5 * kGiB, 10 * kGiB), 50);
  EXPECT_EQ(PercentOf(std::uint64_t{1} << 62, std::uint64_t{1} << 63), 50);  // no overflow of part × 100
  EXPECT_EQ(PercentOf(7, 0), 0);
}

class MemoryRows : public ::testing::Test {
 protected:
  // Refreshes the memory figures with `freeMB` of 1000 MB free.
  void Free(std::uint64_t freeMB) {
    figures_.SetMemory(1000 * kMiB, freeMB * kMiB, 1000 * kMiB);
    ASSERT_TRUE(memory_.Refresh());
  }

  test::ScriptedFigures figures_;
  TMemory memory_{figures_};
  MemoryPage page_;
};

TEST_F(MemoryRows, BeforeKeepsTheLowestAndAfterTheHighestFreeShare) {
  Free(300);
  ShowMemoryFigures(memory_, page_);
  EXPECT_EQ(page_.freeMem, "307200KB (300MB)");
  EXPECT_EQ(page_.totalMem, "1024000KB (1000MB)");
  EXPECT_EQ(page_.freeGauge, 30);

  LabelMemInfo(memory_, false, page_);
  EXPECT_EQ(page_.before.text, "300MB");
  EXPECT_EQ(page_.before.gauge, 30);
  Free(500);
  LabelMemInfo(memory_, false, page_);
  EXPECT_EQ(page_.before.text, "300MB");  // higher: kept
  Free(200);
  LabelMemInfo(memory_, false, page_);
  EXPECT_EQ(page_.before.text, "200MB");
  EXPECT_EQ(page_.before.gauge, 20);

  LabelMemInfo(memory_, true, page_);
  EXPECT_EQ(page_.after.gauge, 20);
  Free(100);
  LabelMemInfo(memory_, true, page_);
  EXPECT_EQ(page_.after.gauge, 20);  // lower: kept
  Free(600);
  LabelMemInfo(memory_, true, page_);
  EXPECT_EQ(page_.after.text, "600MB");
  EXPECT_EQ(page_.after.gauge, 60);
  EXPECT_EQ(page_.before.gauge, 20);  // the other row is untouched
}

TEST_F(MemoryRows, AZeroGaugeTakesAnyFigureAndAFailedRefreshKeepsTheLast) {
  Free(5);  // 0 %: the row reads 0 and stays open for the next figure
  LabelMemInfo(memory_, false, page_);
  EXPECT_EQ(page_.before.gauge, 0);
  Free(400);
  LabelMemInfo(memory_, false, page_);
  EXPECT_EQ(page_.before.gauge, 40);

  figures_.memory = Error(Errc::AccessDenied);
  EXPECT_FALSE(memory_.Refresh());
  EXPECT_EQ(memory_.PhysicalFree, 400 * kMiB);
}

// The build's file system with drive types the test chooses; every other letter has no drive.
class ScriptedDrives final : public test::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  DriveType DriveTypeOf(std::string_view root) override {
    const auto letter = DriveLetterOf(root);
    const auto it = letter ? types.find(*letter) : types.end();
    return it == types.end() ? DriveType::NoRootFolder : it->second;
  }
  std::map<char, DriveType> types;
};

class DiskRows : public test::FileFixture {
 protected:
  void SetUp() override {
    figures_.volumes = {{'C', VolumeSpace{100 * kGiB, 40 * kGiB, 41 * kGiB}},
                        {'D', VolumeSpace{300 * kGiB, 10 * kGiB, 10 * kGiB}},
                        {'E', VolumeSpace{600 * kGiB, 600 * kGiB, 600 * kGiB}},
                        {'G', VolumeSpace{200 * kGiB, 50 * kGiB, 50 * kGiB}}};
  }

  ScriptedDrives drives_{files()};
  test::ScriptedFigures figures_;
  TDisk disk_{figures_};
  DiskPage page_;
};

TEST_F(DiskRows, TotalsTakeEveryFixedDriveAGapInTheLettersHidesNone) {
  drives_.types = {{'C', DriveType::Fixed}, {'D', DriveType::Fixed}, {'E', DriveType::CdRom}};
  LabelDiskInfo(disk_, drives_, "d:", false, page_);
  EXPECT_EQ(page_.totalSize, "307200MB");  // the selected drive
  EXPECT_EQ(page_.freeSpace, "10240MB");
  EXPECT_EQ(page_.before.text, "51200MB");  // C: and D: (space free to the user)
  EXPECT_EQ(page_.before.gauge, 12);        // 50 of 400 GB
  EXPECT_EQ(disk_.Drive(), "d:");
  EXPECT_EQ(disk_.Capacity, 300 * kGiB);
  EXPECT_EQ(page_.after.text, "-");

  // A DVD drive at D:, no drive at F:: E: and G: still count.
  drives_.types = {{'C', DriveType::Fixed}, {'D', DriveType::CdRom}, {'E', DriveType::Fixed}, {'G', DriveType::Fixed}};
  LabelDiskInfo(disk_, drives_, "c:", true, page_);
  EXPECT_EQ(page_.after.text, "706560MB");  // 40 + 600 + 50 GB
  EXPECT_EQ(page_.after.gauge, 76);         // 690 of 900 GB
  const DriveTotals totals = FixedDriveTotals(drives_, figures_);
  ASSERT_EQ(totals.drives.size(), 3U);
  EXPECT_EQ(totals.drives[2].drive, "G:");
  EXPECT_EQ(totals.drives[2].freeSpace, 50 * kGiB);
  EXPECT_EQ(totals.FreeText(), page_.after.text);
  EXPECT_EQ(totals.FreePercent(), page_.after.gauge);

  // A: and B: are never the fixed drives the totals mean.
  drives_.types = {{'A', DriveType::Fixed}, {'C', DriveType::Fixed}};
  figures_.volumes.emplace('A', VolumeSpace{kGiB, kGiB, kGiB});
  EXPECT_EQ(FixedDriveTotals(drives_, figures_).drives.size(), 1U);
}

TEST_F(DiskRows, ADriveWithoutAVolumeReadsAsZero) {
  drives_.types = {{'C', DriveType::Fixed}, {'D', DriveType::Fixed}};
  figures_.volumes.insert_or_assign('D', Result<VolumeSpace>(Error(Errc::NotSupported)));
  LabelDiskInfo(disk_, drives_, "d:", false, page_);
  EXPECT_EQ(page_.totalSize, "0MB");
  EXPECT_EQ(page_.before.text, "40960MB");  // C: alone adds to the total
  EXPECT_EQ(page_.before.gauge, 40);
}

}  // namespace
}  // namespace sw::sysinfo
