// Volumes that must end: a size limit too small for a chunk, a chain of volumes that runs in a
// circle, more volumes than three digits number, an archive inside the folder it packs; and
// archives whose end does not match their header.

#include <gtest/gtest.h>

#include <algorithm>

#include "backup/archive_format.h"
#include "backup/archive_listing.h"
#include "backup_test_support.h"
#include "core/text.h"

namespace sw::backup {
namespace {

namespace fs = std::filesystem;

class VolumesTest : public BackupTest {
 protected:
  void Write(std::string_view sub, const ArchiveBytes& archive) {
    test::WriteFileBytes(Host(sub), std::string(archive.bytes.begin(), archive.bytes.end()));
  }
};

TEST_F(VolumesTest, ASizeLimitBelowOneChunkIsRefusedBeforeAnythingIsWritten) {
  MakeFile("data.bin", RandomBytes(40000));
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };
  backup_.MaxSize = static_cast<std::int32_t>(kMinimumVolumeSize) - 1;
  EXPECT_FALSE(backup_.Backup({At("data.bin")}, At("small.bck")));
  EXPECT_EQ(backup_.ErrorCode(), TBackupFile::kErrorVolumeSize);
  EXPECT_FALSE(fs::exists(Host("small.bck")));

  // At the smallest size allowed every volume takes a chunk, and the volumes end.
  backup_.MaxSize = static_cast<std::int32_t>(kMinimumVolumeSize);
  ASSERT_TRUE(backup_.Backup({At("data.bin")}, At("small.bck")));
  const test::DecodedArchive decoded = Decode("small.bck");  // throws on anything malformed
  ASSERT_EQ(decoded.entries.size(), 1U);
  EXPECT_EQ(Text(decoded.entries[0].data), RandomBytes(40000));
  EXPECT_LE(Volumes("small.bck").size(), 4U);  // three chunks, and the header's share
  backup_.RestoreFullPath = false;
  EXPECT_TRUE(backup_.Restore(At("small.bck"), At("out")).succeeded);
  EXPECT_EQ(test::ReadFileBytes(Host("out\\data.bin")), RandomBytes(40000));
}

#ifndef _WIN32  // a thousand volume files: quick on Linux, slow through Wine
TEST_F(VolumesTest, MoreVolumesThanThreeDigitsNumberEndTheBackupWithoutOverwritingOne) {
  // One chunk per volume at the smallest size: 1000 chunks need volume 1000.
  MakeFile("big.bin", RandomBytes(1000 * kChunkSize));
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };
  backup_.MaxSize = static_cast<std::int32_t>(kMinimumVolumeSize);
  EXPECT_FALSE(backup_.Backup({At("big.bin")}, At("many.bck")));
  EXPECT_EQ(backup_.ErrorCode(), TBackupFile::kErrorVolumeCount);
  EXPECT_TRUE(fs::exists(Host("many.999")));
  EXPECT_FALSE(fs::exists(Host("many.000")));
  EXPECT_FALSE(fs::exists(Host("many.001")));
}
#endif

TEST_F(VolumesTest, AChainOfVolumesThatRunsInACircleIsRefusedAndWritesNoMore) {
  // a.bck -> a.002 -> a.003 -> a.002 again.
  Write("a.bck", ArchiveBytes().Header().Text("c:\\loop.txt").Int(0).Block("one").Switch("002"));
  Write("a.002", ArchiveBytes().Block("two").Switch("003"));
  Write("a.003", ArchiveBytes().Block("three").Switch("002"));
  // b.bck -> b.002, which names itself.
  Write("b.bck", ArchiveBytes().Header().Text("c:\\self.txt").Int(0).Block("one").Switch("002"));
  Write("b.002", ArchiveBytes().Block("two").Switch("002"));
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };
  backup_.RestoreFullPath = false;
  for (const char* archive : {"a.bck", "b.bck"}) {
    SCOPED_TRACE(archive);
    const RestoreOutcome outcome = backup_.Restore(At(archive), At("out"));
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.raisedError, "Cannot read archive");
    EXPECT_EQ(ListArchive(files(), system(), At(archive)).error, "Cannot read archive");
  }
  EXPECT_EQ(test::ReadFileBytes(Host("out\\loop.txt")), "onetwothree");
  EXPECT_EQ(test::ReadFileBytes(Host("out\\self.txt")), "onetwo");
}

TEST_F(VolumesTest, AnArchiveInsideTheFolderItPacksLeavesOutItsOwnVolumes) {
  MakeFile("d\\data.bin", RandomBytes(50000));
  MakeFile("d\\mv.bak", "a neighbour whose name only starts like the archive");
  MakeFile("d\\mv.0021", "four digits: no volume");
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };
  backup_.MaxSize = 20000;
  ASSERT_TRUE(backup_.Backup({At("d\\*.*")}, At("d\\mv.bck")));
  ASSERT_GE(Volumes("d\\mv.bck").size(), 3U);
  // Packed again, over the volumes of the first run.
  ASSERT_TRUE(backup_.Backup({At("d\\*.*")}, At("d\\mv.bck")));
  const auto listing = ListArchive(files(), system(), At("d\\mv.bck"));
  ASSERT_EQ(listing.error, "");
  std::vector<std::string> names;
  for (const auto& entry : listing.entries) {
    names.push_back(entry.name.substr(entry.name.rfind('\\') + 1));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"data.bin", "mv.0021", "mv.bak"}));
  EXPECT_TRUE(IsVolumeOf(At("d\\MV.002"), At("d\\mv.bck")));
  EXPECT_FALSE(IsVolumeOf(At("e\\mv.002"), At("d\\mv.bck")));
}

TEST_F(VolumesTest, AnArchiveThatEndsBeforeItsFileCountOrGoesOnAfterItsEndIsRestoredWithAWarning) {
  Write("short.bck", ArchiveBytes().Header(3).Entry("c:\\one.txt", "1").End());
  Write("long.bck", ArchiveBytes().Header(1).Entry("c:\\two.txt", "2").End().Entry("c:\\three.txt", "3"));
  Write("sound.bck", ArchiveBytes().Header(1).Entry("c:\\four.txt", "4").End());
  backup_.RestoreFullPath = false;

  RestoreOutcome outcome = backup_.Restore(At("short.bck"), At("out"));
  EXPECT_EQ(outcome.warning, "the archive ends after 1 of the 3 files its header counts");
  EXPECT_EQ(test::ReadFileBytes(Host("out\\one.txt")), "1");
  EXPECT_EQ(ListArchive(files(), system(), At("short.bck")).warning, outcome.warning);

  outcome = backup_.Restore(At("long.bck"), At("out"));
  EXPECT_EQ(outcome.warning, "the archive holds data after its end marker");
  EXPECT_EQ(test::ReadFileBytes(Host("out\\two.txt")), "2");
  EXPECT_FALSE(fs::exists(Host("out\\three.txt")));

  outcome = backup_.Restore(At("sound.bck"), At("out"));
  EXPECT_TRUE(outcome.succeeded);
  EXPECT_EQ(outcome.warning, "");
}

TEST_F(VolumesTest, AMissingMiddleVolumeIsNamedWithTheFileRestoredInPart) {
  MakeFile("big.bin", RandomBytes(60000));
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };
  backup_.MaxSize = 20000;
  ASSERT_TRUE(backup_.Backup({At("big.bin")}, At("m.bck")));
  ASSERT_GE(Volumes("m.bck").size(), 3U);
  fs::remove(Host("m.002"));
  // As the console answers the disk prompt: go on only when the volume is there.
  backup_.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool& cont) {
    cont = files().FileExists(VolumeName(At("m.bck"), VolumeDigits(disk)));
  };
  backup_.RestoreFullPath = false;
  const RestoreOutcome outcome = backup_.Restore(At("m.bck"), At("out"));
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_EQ(outcome.raisedError, "");
  EXPECT_TRUE(EqualsNoCase(outcome.missingVolume, At("m.002")));
  EXPECT_TRUE(EqualsNoCase(outcome.partialFile, At("out\\big.bin")));
  EXPECT_LT(fs::file_size(Host("out\\big.bin")), 60000U);
}

}  // namespace
}  // namespace sw::backup
