// What Backup writes, read back byte for byte by an independent decoder.

#include <gtest/gtest.h>

#include "backup/archive_format.h"
#include "backup_test_support.h"
#include "core/text.h"
#include "support/memory_stream.h"

namespace sw::backup {
namespace {

TEST_F(BackupTest, WritesHeaderEntriesAndEndMarker) {
  const std::string a = MakeFile("Data\\A.txt", "alpha");
  MakeFile("Data\\empty.bin", "");
  backup_.BackupTitle = "Nightly";
  ASSERT_TRUE(backup_.Backup({a, At("Data\\empty.bin")}, At("zq1.bck")));
  EXPECT_EQ(backup_.ErrorCode(), 0);
  EXPECT_EQ(backup_.FilesDone(), 2);

  const auto archive = Decode("zq1.bck");
  EXPECT_EQ(archive.title, "Nightly");
  EXPECT_EQ(archive.totalBytes, 5);
  EXPECT_EQ(archive.fileCount, 2);
  ASSERT_EQ(archive.entries.size(), 2U);
  EXPECT_EQ(archive.entries[0].name, ToLowerText(a));  // full path, lower case
  EXPECT_EQ(Text(archive.entries[0].data), "alpha");
  // An empty file: one data block without chunks (marker, then the end word).
  EXPECT_EQ(archive.entries[1].blocks, std::vector<std::vector<std::int32_t>>{{}});
  EXPECT_TRUE(archive.switches.empty());
}

TEST_F(BackupTest, StoresNamesInTheCodePageWhenTheyFitElseUtf8) {
  const std::string latin = MakeFile(
      "\xC3\xBC"
      "ber.txt",
      "u");                                                                   // über: fits Windows-1252
  const std::string chinese = MakeFile("\xE4\xB8\xAD\xE6\x96\x87.txt", "c");  // 中文: does not
  ASSERT_TRUE(backup_.Backup({latin, chinese}, At("names.bck")));
  const auto archive = Decode("names.bck");
  ASSERT_EQ(archive.entries.size(), 2U);
  EXPECT_EQ(archive.entries[0].name, *system().ToAnsi(ToLowerText(latin)));
  EXPECT_EQ(archive.entries[1].name, ToLowerText(chinese));  // UTF-8, never '?' substitutes
#ifndef _WIN32
  EXPECT_TRUE(
      archive.entries[0].name.ends_with("\xFC"
                                        "ber.txt"));  // the stand-in's code page is 1252
#endif
}

TEST_F(BackupTest, StoresAChunkRawOnlyWhenItsStreamDoesNotFit) {
  // Level 0: a full chunk's stored-block stream is 11 bytes longer than 16 KiB, so it goes
  // raw; the short last chunk's stream fits and is kept although longer than its data.
  MakeFile("plain.txt", TextBytes(20000));
  backup_.CompressionLevel = clNone;
  ASSERT_TRUE(backup_.Backup({At("plain.txt")}, At("none.bck")));
  const auto none = Decode("none.bck");
  ASSERT_EQ(none.entries.size(), 1U);
  ASSERT_EQ(none.entries[0].blocks.size(), 1U);
  const auto& lengths = none.entries[0].blocks[0];
  ASSERT_EQ(lengths.size(), 2U);
  EXPECT_EQ(lengths[0], -16384);
  EXPECT_GT(lengths[1], 20000 - 16384);
  EXPECT_EQ(Text(none.entries[0].data), TextBytes(20000));
}

TEST_F(BackupTest, RandomDataGoesRawExceptTheLastChunk) {
  MakeFile("random.bin", RandomBytes(40000));
  ASSERT_TRUE(backup_.Backup({At("random.bin")}, At("random.bck")));
  const auto archive = Decode("random.bck");
  const auto& lengths = archive.entries.at(0).blocks.at(0);
  ASSERT_EQ(lengths.size(), 3U);
  EXPECT_EQ(lengths[0], -16384);
  EXPECT_EQ(lengths[1], -16384);
  EXPECT_GT(lengths[2], 7232);  // 40000 - 2 * 16384 bytes, as a slightly longer zlib stream
  EXPECT_LE(lengths[2], 16384);
  EXPECT_EQ(Text(archive.entries[0].data), RandomBytes(40000));
}

TEST_F(BackupTest, ListsEachFileOnceAndNeverTheArchive) {
  const std::string file = MakeFile("Logs\\one.tmp", "1");
  MakeFile("Logs\\zq9.bck", "old archive of that name");
  ASSERT_TRUE(backup_.Backup({file, At("Logs\\*.tmp"), At("Logs\\*.*")}, At("Logs\\zq9.bck")));
  const auto archive = Decode("Logs\\zq9.bck");
  ASSERT_EQ(archive.entries.size(), 1U);
  EXPECT_EQ(archive.entries[0].name, ToLowerText(file));
  EXPECT_EQ(archive.fileCount, 1);
}

TEST_F(BackupTest, WalksSubfoldersFirstAndPassesOverHiddenOnes) {
  MakeFile("Tree\\top.tmp", "t");
  MakeFile("Tree\\Sub\\deep.TMP", "d");
  MakeFile("Tree\\Sub\\keep.txt", "k");
  MakeFile("Tree\\Hidden\\secret.tmp", "s");
  ASSERT_TRUE(files().SetAttributes(At("Tree\\Hidden"), platform::kAttrDirectory | platform::kAttrHidden));
  ASSERT_TRUE(backup_.Backup({At("Tree\\*.TMP /S")}, At("tree.bck")));
  const auto archive = Decode("tree.bck");
  ASSERT_EQ(archive.entries.size(), 2U);
  EXPECT_EQ(archive.entries[0].name, ToLowerText(At("Tree\\Sub\\deep.TMP")));
  EXPECT_EQ(archive.entries[1].name, ToLowerText(At("Tree\\top.tmp")));
}

TEST_F(BackupTest, IncrementalTakesFlaggedFilesAndClearsTheFlag) {
  MakeFile("Inc\\new.txt", "n");
  MakeFile("Inc\\old.txt", "o");
  ASSERT_TRUE(files().SetAttributes(At("Inc\\old.txt"), platform::kAttrNormal));
  if ((*files().AttributesOf(At("Inc\\old.txt")) & platform::kAttrArchive) != 0) {
    GTEST_SKIP() << "this file system keeps no archive attribute (Wine sets it on every file)";
  }
  ASSERT_TRUE(files().SetAttributes(At("Inc\\new.txt"), platform::kAttrArchive | platform::kAttrHidden));
  EXPECT_FALSE(backup_.SetArchiveFlag);
  backup_.SetBackupMode(bmIncremental);
  EXPECT_TRUE(backup_.SetArchiveFlag);
  backup_.SetBackupMode(bmAll);
  EXPECT_TRUE(backup_.SetArchiveFlag);  // switching back leaves it
  backup_.SetBackupMode(bmIncremental);

  ASSERT_TRUE(backup_.Backup({At("Inc\\*.txt")}, At("inc.bck")));
  const auto archive = Decode("inc.bck");
  ASSERT_EQ(archive.entries.size(), 1U);
  EXPECT_EQ(archive.entries[0].name, ToLowerText(At("Inc\\new.txt")));
  const auto attributes = files().AttributesOf(At("Inc\\new.txt"));
  EXPECT_EQ(*attributes & (platform::kAttrArchive | platform::kAttrHidden), platform::kAttrHidden);
}

TEST_F(BackupTest, StoresTheIdentificationListFirst) {
  const std::string a = MakeFile("Id\\a.txt", "abc");
  const std::string b = MakeFile("Id\\b.txt", "de");
  backup_.SaveFileID = true;
  ASSERT_TRUE(backup_.Backup({a, b}, At("id.bck")));
  const auto archive = Decode("id.bck");
  ASSERT_EQ(archive.entries.size(), 3U);
  EXPECT_EQ(archive.entries[0].name, "FILE:LIST");
  EXPECT_EQ(archive.fileCount, 2);
  EXPECT_EQ(backup_.FilesDone(), 2);
  const std::vector<std::string> lines = SplitLines(Text(archive.entries[0].data));
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_TRUE(lines[0].starts_with(ToLowerText(a) + "\t"));
  EXPECT_TRUE(lines[0].ends_with("=3"));
  EXPECT_TRUE(lines[1].ends_with("=2"));
  EXPECT_EQ(archive.totalBytes, static_cast<std::int32_t>(5 + Text(archive.entries[0].data).size()));
  EXPECT_TRUE(Text(archive.entries[0].data).ends_with("\r\n"));
}

TEST_F(BackupTest, SpansVolumesWithSwitchRecords) {
  for (int i = 0; i < 3; ++i) {
    MakeFile("Big\\part" + std::to_string(i) + ".bin", RandomBytes(50000, static_cast<unsigned>(i + 7)));
  }
  std::vector<std::uint16_t> asked;
  backup_.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool& cont) {
    asked.push_back(disk);
    cont = true;
  };
  backup_.MaxSize = 60000;
  ASSERT_TRUE(backup_.Backup({At("Big\\*.bin")}, At("zq3.bck")));
  EXPECT_EQ(VolumeName(At("zq3.bck"), "002"), At("zq3.002"));
  const auto volumes = Volumes("zq3.bck");
  ASSERT_GE(volumes.size(), 3U);
  EXPECT_TRUE(std::filesystem::exists(Host("zq3.003")));
  for (const auto& volume : volumes) {
    // A volume takes no chunk once it is within 16,484 bytes of its limit.
    EXPECT_LT(volume.size(), 60000U - 16484U + 16384U + 100U);
  }
  const auto archive = test::DecodeArchive(volumes);
  EXPECT_EQ(archive.switches.front(), "NEXT:DISK002");
  EXPECT_EQ(archive.switches.size(), volumes.size() - 1);
  EXPECT_EQ(asked.size(), volumes.size() - 1);
  EXPECT_EQ(asked.front(), 2);
  ASSERT_EQ(archive.entries.size(), 3U);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Text(archive.entries[static_cast<std::size_t>(i)].data),
              RandomBytes(50000, static_cast<unsigned>(i + 7)));
  }
}

TEST_F(BackupTest, ThreadsDoNotChangeTheBytes) {
  for (int i = 0; i < 4; ++i) {
    MakeFile("Mix\\f" + std::to_string(i), (i % 2 == 0 ? TextBytes(70000) : RandomBytes(70000, i)));
  }
  backup_.MaxSize = 50000;
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };
  backup_.Threads = 1;
  ASSERT_TRUE(backup_.Backup({At("Mix\\*.*")}, At("one.bck")));
  backup_.Threads = 4;
  ASSERT_TRUE(backup_.Backup({At("Mix\\*.*")}, At("four.bck")));
  EXPECT_EQ(Volumes("one.bck"), Volumes("four.bck"));
  EXPECT_GT(Volumes("one.bck").size(), 2U);
}

TEST_F(BackupTest, CancellingLeavesNoEndMarker) {
  MakeFile("c.bin", RandomBytes(100000));
  int calls = 0;
  backup_.OnProgress = [&](TBackupFile&, const std::string&, int, bool& cont) { cont = ++calls < 3; };
  EXPECT_FALSE(backup_.Backup({At("c.bin")}, At("cancel.bck")));
  EXPECT_EQ(backup_.ErrorCode(), 0);
  EXPECT_THROW(Decode("cancel.bck"), std::runtime_error);
}

TEST_F(BackupTest, ACancelledDiskPromptEndsTheBackup) {
  MakeFile("d.bin", RandomBytes(80000));
  backup_.MaxSize = 40000;
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = false; };
  EXPECT_FALSE(backup_.Backup({At("d.bin")}, At("disk.bck")));
  EXPECT_EQ(backup_.ErrorCode(), 0);
  EXPECT_FALSE(std::filesystem::exists(Host("disk.002")));
}

TEST_F(BackupTest, WritesToTheCallersStream) {
  MakeFile("s.txt", "streamed");
  test::MemoryWriter out;
  backup_.OutStream = &out;
  ASSERT_TRUE(backup_.Backup({At("s.txt")}, kStreamArchive));
  const auto archive = test::DecodeArchive({out.bytes});
  EXPECT_EQ(Text(archive.entries.at(0).data), "streamed");
}

TEST_F(BackupTest, FailsWithCodesItsCallersCanTell) {
  EXPECT_FALSE(backup_.Backup({At("missing.txt")}, At("NoFolder\\x.bck")));
  EXPECT_EQ(backup_.ErrorCode(), TBackupFile::kErrorArchive);
}

}  // namespace
}  // namespace sw::backup
