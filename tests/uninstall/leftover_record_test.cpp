// The snapshots of uninstalled programs kept in the data folder: what a later search reads
// back, the newest first, one per entry, a bounded number, and a damaged file survived.

#include <gtest/gtest.h>

#include "support/leftover_world.h"
#include "uninstall/leftover_record.h"

namespace sw::uninstall {
namespace {

LeftoverSnapshot Snapshot(const std::string& subkey, const std::string& name) {
  LeftoverSnapshot snapshot;
  snapshot.clues.entry = {{platform::RootKey::LocalMachine, platform::RegView::Bits32}, subkey};
  snapshot.clues.displayName = name;
  snapshot.clues.version = "2.1";
  snapshot.clues.publisher = "Sweepwise Fixtures";
  snapshot.clues.installLocation = R"(C:\Program Files (x86)\Fixture)";
  snapshot.clues.displayIcon = R"(C:\Program Files (x86)\Fixture\fixture.exe)";
  snapshot.clues.uninstaller = R"(C:\Program Files (x86)\Fixture\uninstall.exe)";
  snapshot.taken = FileTime{133000000000000000ULL};
  snapshot.folders = {R"(C:\Program Files (x86)\Fixture)"};
  snapshot.files = {R"(C:\Program Files (x86)\Fixture\fixture.exe)", "C:\\Program Files (x86)\\Fixture\\\xC3\xA9t\xC3\xA9.txt"};
  snapshot.fileCount = 2;
  snapshot.shortcuts = {R"(C:\Users\Ann\Desktop\Fixture.lnk)"};
  snapshot.keys = {{platform::RootKey::CurrentUser, platform::RegView::Own, R"(Software\Sweepwise Fixtures\Fixture)"}};
  return snapshot;
}

TEST(LeftoverRecord, SnapshotsComeBackWholeNewestFirstOncePerEntryAndBounded) {
  test::LeftoverWorld world;
  platform::Platform& platform = world.platform();
  EXPECT_TRUE(LoadSnapshots(platform)->empty()) << "no file yet: nothing kept";
  EXPECT_FALSE(FindSnapshot(platform, "Fixture"));

  const LeftoverSnapshot first = Snapshot("{A}", "Fixture");
  ASSERT_TRUE(SaveSnapshot(platform, first));
  ASSERT_TRUE(SaveSnapshot(platform, Snapshot("{B}", "Other")));
  LeftoverSnapshot again = first;
  again.taken = FileTime{first.taken.ticks + 1};
  ASSERT_TRUE(SaveSnapshot(platform, again));

  const auto kept = LoadSnapshots(platform);
  ASSERT_TRUE(kept);
  ASSERT_EQ(kept->size(), 2U) << "the entry's newer snapshot replaced its older one";
  EXPECT_EQ(kept->at(0), again);
  EXPECT_EQ(kept->at(1).clues.displayName, "Other");
  EXPECT_EQ(FindSnapshot(platform, "fixture"), again) << "a title without regard to case";

  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(SaveSnapshot(platform, Snapshot("{N" + std::to_string(i) + "}", "N" + std::to_string(i))));
  }
  EXPECT_EQ(LoadSnapshots(platform)->size(), kSnapshotsKept);
  EXPECT_EQ(LoadSnapshots(platform)->front().clues.displayName, "N39");
}

TEST(LeftoverRecord, ADamagedFileIsAnErrorToReadAndIsReplacedByTheNextSnapshot) {
  test::LeftoverWorld world;
  platform::Platform& platform = world.platform();
  const std::string file = platform.folders.DataFile(kSnapshotFile);
  world.File(file, "{\"not\": \"a list\"");
  EXPECT_EQ(LoadSnapshots(platform).error(), Error(Errc::InvalidData));
  EXPECT_FALSE(FindSnapshot(platform, "Fixture"));
  // One unreadable snapshot among good ones costs that one only.
  world.File(file, "[{\"entry\": \"HKCU\\\\{X}\"}, 7]");
  EXPECT_TRUE(LoadSnapshots(platform)->empty());
  ASSERT_TRUE(SaveSnapshot(platform, Snapshot("{A}", "Fixture")));
  EXPECT_EQ(LoadSnapshots(platform)->size(), 1U);
}

}  // namespace
}  // namespace sw::uninstall
