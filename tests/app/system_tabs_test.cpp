// The system tabs' rules: which drives the selectors offer, the clamped tab index, where
// the Resources commands lead, and where the free-memory alert goes.

#include "app/system_tabs.h"

#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "support/host_platform.h"

namespace sw::app {
namespace {

TEST(SystemTabs, TheSelectorsListEveryFixedDrivePastAGap) {
  // C: and E: fixed, D: a CD drive: the list goes on past D:, as the free-space total does.
  test::HostPlatform host;
  EXPECT_EQ(FixedDrives(host.files()), (std::vector<std::string>{"c:", "e:"}));
  test::HostPlatform allFixed(platform::DriveType::Fixed);
  EXPECT_EQ(FixedDrives(allFixed.files()), (std::vector<std::string>{"c:", "d:", "e:"}));
  EXPECT_EQ(SelectorDrive("e: [DATA]"), "e:");
  EXPECT_EQ(SelectorDrive(""), "");
}

TEST(SystemTabs, ATabSetFromCodeIsClampedToTheTabsThereAre) {
  EXPECT_EQ(SystemTabPageOf(-5).panel, "pnlCpu");
  EXPECT_EQ(SystemTabPageOf(kFolderUsageTab).panel, "pnlPie");
  EXPECT_EQ(SystemTabPageOf(99).panel, "pnlPie");
  EXPECT_EQ(SystemTabPageOf(kDriveTab).header, "pnlDisk");
}

TEST(SystemTabs, TheMenuItemsGoThroughTheCpuTabAndTheFoldersButtonDoesNot) {
  const ResourcesCommand* drive = FindResourcesCommand(kCmdDrive1);
  ASSERT_NE(drive, nullptr);
  EXPECT_TRUE(drive->resourcesFirst);
  EXPECT_EQ(drive->tab, kDriveTab);
  const ResourcesCommand* folders = FindResourcesCommand(kCmdFolders);
  ASSERT_NE(folders, nullptr);
  EXPECT_FALSE(folders->resourcesFirst);
  EXPECT_EQ(folders->header, "tbtFolders");
  EXPECT_EQ(FindResourcesCommand(kCmdMemory), nullptr) << "the Memory button is the Memory page's own";
}

// Monitors and work areas as the system reports them with the taskbar at each edge.
TEST(SystemTabs, TheAlertSitsInTheTaskbarMonitorsWorkAreaBesideTheBarsEnd) {
  const online::ScreenRect screen{0, 0, 1024, 768};
  EXPECT_EQ(AlertPlace(screen, {0, 0, 1024, 728}, 150, 30), (online::ScreenRect{874, 698, 1024, 728}));  // bottom
  EXPECT_EQ(AlertPlace(screen, {0, 40, 1024, 768}, 150, 30), (online::ScreenRect{874, 40, 1024, 70}));    // top
  EXPECT_EQ(AlertPlace(screen, {60, 0, 1024, 768}, 150, 30), (online::ScreenRect{60, 738, 210, 768}));    // left
  EXPECT_EQ(AlertPlace(screen, {0, 0, 964, 768}, 150, 30), (online::ScreenRect{814, 738, 964, 768}));     // right
  EXPECT_EQ(AlertPlace(screen, screen, 150, 30), (online::ScreenRect{874, 738, 1024, 768}));  // hides itself
  // The taskbar on a monitor left of the primary one, which starts at a negative x: the alert
  // goes there, not to the right end of all monitors.
  EXPECT_EQ(AlertPlace({-1280, 0, 0, 1024}, {-1280, 0, 0, 984}, 225, 45), (online::ScreenRect{-225, 939, 0, 984}));
  // A monitor below the primary one.
  EXPECT_EQ(AlertPlace({0, 768, 1024, 1536}, {0, 768, 1024, 1496}, 150, 30),
            (online::ScreenRect{874, 1466, 1024, 1496}));
  // Larger than the work area: its top left corner stays inside.
  EXPECT_EQ(AlertPlace(screen, {0, 0, 100, 20}, 150, 30), (online::ScreenRect{0, 0, 150, 30}));
}

}  // namespace
}  // namespace sw::app
