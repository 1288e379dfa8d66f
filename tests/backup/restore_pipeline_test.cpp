// Restore reads and decompresses ahead on worker threads while it writes earlier files, and
// gives each file its size before writing it: the files must come out the same as a plain
// one-at-a-time restore would write them, whatever the archive's writer did.

#include <gtest/gtest.h>

#include "backup_test_support.h"
#include "core/dos_time.h"
#include "core/text.h"
#include "support/memory_stream.h"

namespace sw::backup {
namespace {

namespace fs = std::filesystem;

class RestorePipelineTest : public BackupTest {
 protected:
  // Where RestoreFullPath puts the file made as `sub` when restoring below `target`.
  std::string RestoredHost(std::string_view target, std::string_view sub) {
    return Host(std::string(target) + "\\" + ToLowerText(At(sub).substr(3))).string();
  }
};

TEST_F(RestorePipelineTest, ManySmallFilesAndOneBeyondTheLookAheadComeBackWhole) {
  std::vector<std::pair<std::string, std::string>> made;
  for (int i = 0; i < 150; ++i) {
    const std::size_t size = static_cast<std::size_t>(i * 397) % 40000;
    made.emplace_back("many\\sub" + std::to_string(i % 7) + "\\f" + std::to_string(i) + ".dat",
                      i % 2 == 0 ? TextBytes(size) : RandomBytes(size, static_cast<unsigned>(i)));
  }
  // More than the look-ahead decodes to count a file's bytes: sized from a second reading.
  made.emplace_back("many\\big.bin", TextBytes(5 << 20) + RandomBytes((4 << 20) + 1234));
  const FileTime stamp = system().UtcTimeOf(FromCalendar(CalendarTime{2021, 3, 4, 5, 6, 8, 0}));
  for (const auto& [sub, data] : made) {
    MakeFile(sub, data);
    ASSERT_TRUE(files().SetTimes(At(sub), platform::FileTimes{{}, {}, stamp}));
  }
  ASSERT_TRUE(backup_.Backup({At("many\\*.* /s")}, At("many.bck")));

  backup_.RestoreFullPath = true;
  for (const unsigned threads : {1U, 2U, 4U}) {
    backup_.Threads = threads;
    const std::string target = "out" + std::to_string(threads);
    const RestoreOutcome outcome = backup_.Restore(At("many.bck"), At(target));
    EXPECT_TRUE(outcome.succeeded) << RestoreProblemText(backup_, outcome);
    EXPECT_EQ(backup_.FilesDone(), static_cast<int>(made.size()));
    for (const auto& [sub, data] : made) {
      const std::string restored = RestoredHost(target, sub);
      ASSERT_EQ(test::ReadFileBytes(restored), data) << restored << " with " << threads << " threads";
    }
    EXPECT_EQ(files().TimesOf(At(target + "\\" + ToLowerText(At("many\\big.bin").substr(3))))->lastWrite, stamp);
  }
}

// Another writer may fill chunks only in part: the size counted ahead is then wrong, and
// the file must still end with its last byte, with or without a second reading (a stream
// has none).
TEST_F(RestorePipelineTest, FilesOfPartlyFilledChunksEndWhereTheirDataEnds) {
  std::vector<std::string> pieces;
  std::string many;
  for (int i = 0; i < 600; ++i) {
    pieces.push_back(std::string(100, static_cast<char>('a' + i % 26)) + std::to_string(i));
    many += pieces.back();
  }
  const std::vector<std::string_view> manyPieces(pieces.begin(), pieces.end());
  ArchiveBytes archive;
  archive.Header(2)
      .Text("c:\\short\\few.bin")
      .Int(0x52CF5000)
      .Block({"first piece ", "second ", "and last"})
      .Text("c:\\short\\many.bin")
      .Int(0x52CF5000)
      .Block(manyPieces)
      .End();
  backup_.RestoreFullPath = false;
  for (const unsigned threads : {1U, 3U}) {
    backup_.Threads = threads;
    fs::remove_all(Host("out"));
    EXPECT_TRUE(backup_.Restore(WriteArchive("short.bck", archive.bytes), At("out")).succeeded);
    EXPECT_EQ(test::ReadFileBytes(Host("out\\few.bin")), "first piece second and last");
    EXPECT_EQ(test::ReadFileBytes(Host("out\\many.bin")), many) << threads;
  }
  test::MemoryReader in(archive.bytes);
  backup_.InStream = &in;
  fs::remove_all(Host("out"));
  EXPECT_TRUE(backup_.Restore(kStreamArchive, At("out")).succeeded);
  EXPECT_EQ(test::ReadFileBytes(Host("out\\many.bin")), many);
}

// OnFileRestored may write to the open file: what it adds follows the restored data, and
// the file ends after it.
TEST_F(RestorePipelineTest, WhatOnFileRestoredWritesFollowsTheData) {
  MakeFile("ev\\small.txt", "small");
  MakeFile("ev\\large.bin", RandomBytes(300000));
  ASSERT_TRUE(backup_.Backup({At("ev\\*.*")}, At("ev.bck")));
  backup_.OnFileRestored = [](TBackupFile&, std::string&, platform::FileWriter& stream) {
    ASSERT_TRUE(stream.Write(AsBytes("+tail")).has_value());
  };
  backup_.RestoreFullPath = false;
  backup_.Threads = 2;
  EXPECT_TRUE(backup_.Restore(At("ev.bck"), At("out")).succeeded);
  EXPECT_EQ(test::ReadFileBytes(Host("out\\small.txt")), "small+tail");
  EXPECT_EQ(test::ReadFileBytes(Host("out\\large.bin")), RandomBytes(300000) + "+tail");
}

// Entries are decided in archive order, each after the one before it is written: an archive
// that holds one name twice restores the first of them when existing files are kept.
TEST_F(RestorePipelineTest, EachEntryIsDecidedOnceTheOneBeforeIsWritten) {
  ArchiveBytes archive;
  archive.Header(2).Entry("c:\\twice.txt", "first").Entry("c:\\twice.txt", "second").End();
  const std::string path = WriteArchive("twice.bck", archive.bytes);
  backup_.RestoreFullPath = false;
  backup_.Threads = 4;
  backup_.RestoreMode = rmNoOverwrite;
  EXPECT_TRUE(backup_.Restore(path, At("keep")).succeeded);
  EXPECT_EQ(test::ReadFileBytes(Host("keep\\twice.txt")), "first");
  EXPECT_EQ(backup_.FilesDone(), 1);
  backup_.RestoreMode = rmAll;
  EXPECT_TRUE(backup_.Restore(path, At("all")).succeeded);
  EXPECT_EQ(test::ReadFileBytes(Host("all\\twice.txt")), "second");
  EXPECT_EQ(backup_.FilesDone(), 2);
}

// Decompressing ahead must not turn a damaged entry that the restore passes over into a
// failure: passing over an entry never decompresses it.
TEST_F(RestorePipelineTest, ADamagedEntryPassedOverIsNoFailure) {
  ArchiveBytes archive;
  archive.Header(2)
      .Text("c:\\bad.txt")
      .Int(0x52CF5000)
      .Raw({"EC2\0", 4})
      .Int(6)
      .Raw(
          "\x78\x9c"
          "garb")
      .Int(0)
      .Entry("c:\\good.txt", "good")
      .End();
  const std::string path = WriteArchive("bad.bck", archive.bytes);
  backup_.RestoreFullPath = false;
  backup_.Threads = 2;
  backup_.OnRestoreFile = [](TBackupFile&, std::string& name, std::int32_t, bool& doRestore) {
    doRestore = !name.ends_with("bad.txt");
  };
  EXPECT_TRUE(backup_.Restore(path, At("vetoed")).succeeded);
  EXPECT_EQ(backup_.ErrorCode(), 0);
  EXPECT_EQ(test::ReadFileBytes(Host("vetoed\\good.txt")), "good");

  backup_.OnRestoreFile = nullptr;
  backup_.RestoreMode = rmExisting;  // bad.txt is not there: passed over unread
  MakeFile("existing\\good.txt", "old");
  EXPECT_TRUE(backup_.Restore(path, At("existing")).succeeded);
  EXPECT_EQ(test::ReadFileBytes(Host("existing\\good.txt")), "good");
  EXPECT_FALSE(fs::exists(Host("existing\\bad.txt")));
}

}  // namespace
}  // namespace sw::backup
