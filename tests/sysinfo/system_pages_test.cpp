// The Memory and Drive pages' texts and gauges from figures the test sets.

#include "sysinfo/system_pages.h"

#include <gtest/gtest.h>

#include "platform/host/host_file_system.h"
#include "platform/host/host_system_figures.h"
#include "support/temp_folder.h"
#include "sysinfo/figure_text.h"

namespace sw::sysinfo {
namespace {

using platform::DriveType;
using platform::MemoryStatus;
using platform::VolumeSpace;

constexpr std::uint64_t kMB = 1024 * 1024;
constexpr std::uint64_t kGB = 1024 * kMB;

TEST(FigureText, TruncatesAndStaysExactPastFourGigabytes) {
  EXPECT_EQ(KBAndMBText(268'029'952), "261748KB (255MB)");
  EXPECT_EQ(MBText(kMB - 1), "0MB");
  EXPECT_EQ(KBAndMBText(6 * kGB + 512), "6291456KB (6144MB)");
  EXPECT_EQ(PercentOf(1, 3), 33);
  EXPECT_EQ(PercentOf(5 * kGB, 10 * kGB), 50);
  EXPECT_EQ(PercentOf(std::uint64_t{1} << 62, std::uint64_t{1} << 63), 50);  // no overflow of part × 100
  EXPECT_EQ(PercentOf(7, 0), 0);
}

class MemoryRows : public ::testing::Test {
 protected:
  // Refreshes the memory figures with `freeMB` of 1000 MB free.
  void Free(std::uint64_t freeMB) {
    figures_.SetMemory(MemoryStatus{0, 1000 * kMB, freeMB * kMB, 0, 0, 0, 0});
    ASSERT_TRUE(memory_.Refresh());
  }

  platform::host::HostSystemFigures figures_;
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

  figures_.SetMemory(Error(Errc::AccessDenied));
  EXPECT_FALSE(memory_.Refresh());
  EXPECT_EQ(memory_.PhysicalFree, 400 * kMB);
}

class DiskRows : public ::testing::Test {
 protected:
  // Drives C:, D: and E: of the given types, each with the space the test gives it.
  void Drives(DriveType d, DriveType e) {
    std::vector<platform::host::DriveMapping> drives{{'C', c_.path(), DriveType::Fixed}};
    if (d != DriveType::NoRootFolder) {
      drives.push_back({'D', d_.path(), d});
    }
    drives.push_back({'E', e_.path(), e});
    files_ = std::make_unique<platform::host::HostFileSystem>(drives);
    figures_.SetVolumeSpace('C', VolumeSpace{100 * kGB, 40 * kGB, 41 * kGB});
    figures_.SetVolumeSpace('D', VolumeSpace{300 * kGB, 10 * kGB, 10 * kGB});
    figures_.SetVolumeSpace('E', VolumeSpace{600 * kGB, 600 * kGB, 600 * kGB});
  }

  test::TempFolder c_, d_, e_;
  std::unique_ptr<platform::host::HostFileSystem> files_;
  platform::host::HostSystemFigures figures_;
  TDisk disk_{figures_};
  DiskPage page_;
};

TEST_F(DiskRows, TotalsRunOverTheFixedDrivesFromCUpToTheFirstGap) {
  Drives(DriveType::Fixed, DriveType::CdRom);
  LabelDiskInfo(disk_, *files_, "d:", false, page_);
  EXPECT_EQ(page_.totalSize, "307200MB");  // the selected drive
  EXPECT_EQ(page_.freeSpace, "10240MB");
  EXPECT_EQ(page_.before.text, "51200MB");  // C: and D: (space free to the user)
  EXPECT_EQ(page_.before.gauge, 12);        // 50 of 400 GB
  EXPECT_EQ(disk_.Drive(), "d:");
  EXPECT_EQ(disk_.Capacity, 300 * kGB);
  EXPECT_EQ(page_.after.text, "-");

  Drives(DriveType::NoRootFolder, DriveType::Fixed);  // D: absent: E: does not count
  LabelDiskInfo(disk_, *files_, "c:", true, page_);
  EXPECT_EQ(page_.after.text, "40960MB");
  EXPECT_EQ(page_.after.gauge, 40);
}

TEST_F(DiskRows, ADriveWithoutAVolumeReadsAsZero) {
  Drives(DriveType::Fixed, DriveType::CdRom);
  figures_.SetVolumeSpace('D', Error(Errc::NotSupported));
  LabelDiskInfo(disk_, *files_, "d:", false, page_);
  EXPECT_EQ(page_.totalSize, "0MB");
  EXPECT_EQ(page_.before.text, "40960MB");  // C: alone adds to the total
  EXPECT_EQ(page_.before.gauge, 40);
}

}  // namespace
}  // namespace sw::sysinfo
