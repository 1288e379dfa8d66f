// The system tabs' rules: which drives the selectors offer, the clamped tab index, where
// the Resources commands lead, and where the free-memory alert goes.

#include "app/system_tabs.h"

#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "support/host_platform.h"

namespace sw::app {
namespace {

TEST(SystemTabs, TheSelectorsListEveryFixedDrivePastAGap) {
  // C: and E: fixed, D: a CD drive: unlike the free-space total, the list goes on past D:.
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

TEST(SystemTabs, TheAlertSitsAboveTheTaskbarAtTheRightOfTheWholeDesktop) {
  EXPECT_EQ(AlertPlace({0, 0, 1024, 768}, 150, 30), (online::ScreenRect{874, 708, 1024, 738}));
  // A second monitor left of the first: the desktop starts at a negative x.
  EXPECT_EQ(AlertPlace({-1280, 0, 1920, 1080}, 150, 30), (online::ScreenRect{1770, 1020, 1920, 1050}));
  EXPECT_EQ(AlertPlace({0, 0, 1024, 768}, 225, 45), (online::ScreenRect{799, 678, 1024, 723}));
}

}  // namespace
}  // namespace sw::app
