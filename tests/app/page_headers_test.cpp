#include "app/page_headers.h"

#include <gtest/gtest.h>

namespace sw::app {
namespace {

TEST(PageHeaders, EachTaskShowsItsTitleAndCommands) {
  PageView view;
  ASSERT_NE(ApplyMonitorClick(view, "tbtDosyalar"), nullptr);
  EXPECT_EQ(view.title, "Files Cleaning");
  EXPECT_TRUE(view.commandsShown && view.findShown && view.deleteShown);
  EXPECT_FALSE(view.refreshShown);
  EXPECT_EQ(view.deleteCaption, "Delete         ");

  ApplyMonitorClick(view, "tbtMemory");
  EXPECT_EQ(view.title, "Memory Cleaning");
  EXPECT_TRUE(view.commandsShown && view.refreshShown);
  EXPECT_FALSE(view.findShown || view.deleteShown);

  ApplyMonitorClick(view, "tbtResources");
  EXPECT_EQ(view.description, "Information about central processing unit");
  EXPECT_FALSE(view.commandsShown || view.refreshShown || view.findShown || view.deleteShown);

  ApplyMonitorClick(view, "tbtInformation");
  EXPECT_EQ(view.title, "Information about QZ Sweepwise Pro");
  EXPECT_EQ(view.description, "");
}

TEST(PageHeaders, SoftwareReadsUninstallUntilTheFilesPageComesBack) {
  PageView view;
  const MonitorRow* software = ApplyMonitorClick(view, "tbtSoftware");
  ASSERT_NE(software, nullptr);
  EXPECT_FALSE(software->resultPanelToFront);
  EXPECT_EQ(view.deleteCaption, "Uninstall      ");
  EXPECT_EQ(view.deleteCaption.size(), 15U);
  // A page without Delete leaves its caption alone; the Files page sets it back.
  ApplyMonitorClick(view, "tbtFolders");
  EXPECT_EQ(view.deleteCaption, "Uninstall      ");
  EXPECT_TRUE(ApplyMonitorClick(view, "tbtDosyalar")->resultPanelToFront);
  EXPECT_EQ(view.deleteCaption, "Delete         ");
}

TEST(PageHeaders, DiskStatisticsLeaveTheCommandPanelAsItWas) {
  for (const bool shownBefore : {true, false}) {
    PageView view;
    view.commandsShown = shownBefore;
    ApplyMonitorClick(view, "pnlDisk");
    EXPECT_EQ(view.title, "Disk Statistics");
    EXPECT_EQ(view.commandsShown, shownBefore);
    EXPECT_FALSE(view.findShown || view.deleteShown || view.refreshShown);
  }
}

TEST(PageHeaders, ASenderWithoutARowOnlyReenablesTheOptionsAndTheSecureButton) {
  PageView view;
  ApplyMonitorClick(view, "tbtSistemKayit");
  view.optionsEnabled = false;
  view.backupEnabled = false;
  view.headerShown = false;
  const PageView before = view;
  EXPECT_EQ(ApplyMonitorClick(view, "btnSil"), nullptr);
  EXPECT_TRUE(view.optionsEnabled);
  EXPECT_TRUE(view.backupEnabled);
  EXPECT_EQ(view.title, before.title);
  EXPECT_EQ(view.headerShown, before.headerShown);
  // The comparison is exact: case matters.
  EXPECT_EQ(FindMonitorRow("TBTDOSYALAR"), nullptr);
}

TEST(PageHeaders, EveryRowShowsTheHeaderAndHidesTheTweaksTitle) {
  for (const MonitorRow& row : MonitorRows()) {
    PageView view;
    view.headerShown = false;
    view.tweakHeaderShown = true;
    ApplyMonitorClick(view, row.sender);
    EXPECT_TRUE(view.headerShown) << row.sender;
    EXPECT_FALSE(view.tweakHeaderShown) << row.sender;
  }
}

}  // namespace
}  // namespace sw::app
