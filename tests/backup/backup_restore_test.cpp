// Restore: the round trip, the restore modes, volumes, and archives that are damaged or
// hostile.

#include <gtest/gtest.h>
#include <zlib.h>

#include <set>

#include "backup_test_support.h"
#include "core/dos_time.h"
#include "core/text.h"
#include "support/memory_stream.h"

namespace sw::backup {
namespace {

namespace fs = std::filesystem;

class RestoreTest : public BackupTest {
 protected:
  // Every file below the test folder, as paths relative to it.
  std::set<std::string> AllFiles() { return test::FilesBelow(temp_.path()); }
};

TEST_F(RestoreTest, RoundTripsAUnicodeTreeThroughVolumesWithItsDates) {
  const std::string names[] = {
      "Tree\\\xC3\xBC"
      "ber.txt",
      "Tree\\\xE4\xB8\xAD\xE6\x96\x87\\r.bin", "Tree\\a b\\e.dat"};
  const std::string contents[] = {TextBytes(30000), RandomBytes(45000), ""};
  const FileTime stamp = system().UtcTimeOf(FromCalendar(CalendarTime{2019, 6, 15, 10, 20, 30, 0}));
  for (int i = 0; i < 3; ++i) {
    MakeFile(names[i], contents[i]);
    ASSERT_TRUE(files().SetTimes(At(names[i]), platform::FileTimes{{}, {}, stamp}));
  }
  backup_.MaxSize = 30000;
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };
  ASSERT_TRUE(backup_.Backup({At("Tree\\*.* /s")}, At("zq5.bck")));
  ASSERT_GE(Volumes("zq5.bck").size(), 3U);

  backup_.RestoreFullPath = true;
  const RestoreOutcome outcome = backup_.Restore(At("zq5.bck"), At("restored"));
  EXPECT_TRUE(outcome.succeeded);
  EXPECT_EQ(outcome.raisedError, "");
  EXPECT_EQ(backup_.FilesDone(), 3);
  for (int i = 0; i < 3; ++i) {
    // Stored lower case, and below the target without the drive.
    const std::string restored = "restored\\" + ToLowerText(At(names[i]).substr(3));
    EXPECT_EQ(test::ReadFileBytes(Host(restored)), contents[i]) << restored;
    EXPECT_EQ(files().TimesOf(At(restored))->lastWrite, stamp) << restored;
  }
}

TEST_F(RestoreTest, PlacesFilesByTargetFolderAndFullPathSetting) {
  const std::string source = MakeFile("Win\\Temp\\A.tmp", "a");
  ASSERT_TRUE(backup_.Backup({source}, At("zq.bck")));
  const std::string stored = ToLowerText(source);

  backup_.RestoreFullPath = true;
  EXPECT_TRUE(backup_.Restore(At("zq.bck"), At("full")).succeeded);  // no trailing backslash given
  EXPECT_TRUE(fs::exists(Host("full\\" + stored.substr(3))));
  backup_.RestoreFullPath = false;
  EXPECT_TRUE(backup_.Restore(At("zq.bck"), At("flat\\")).succeeded);
  EXPECT_TRUE(fs::exists(Host("flat\\a.tmp")));

  fs::remove(Host("Win\\Temp\\A.tmp"));
  EXPECT_TRUE(backup_.Restore(At("zq.bck"), "").succeeded);             // to the stored path itself
  EXPECT_EQ(AsText(files().ReadWhole(source).value_or(Bytes{})), "a");  // (its name now in lower case)
}

TEST_F(RestoreTest, RestoreModesDecideByExistenceAndDate) {
  const std::string source = MakeFile("m.txt", "archived");
  const FileTime archivedTime = system().UtcTimeOf(FromCalendar(CalendarTime{2020, 1, 1, 12, 0, 0, 0}));
  ASSERT_TRUE(files().SetTimes(source, platform::FileTimes{{}, {}, archivedTime}));
  ASSERT_TRUE(backup_.Backup({source}, At("m.bck")));
  backup_.RestoreFullPath = false;

  const struct {
    TRestoreMode mode;
    const char* target;  // "" none, "older", "equal", "newer"
    bool restores;
  } rows[] = {
      {rmAll, "newer", true},       {rmNoOverwrite, "", true},        {rmNoOverwrite, "older", false},
      {rmNewer, "", true},          {rmNewer, "older", true},         {rmNewer, "equal", false},
      {rmNewer, "newer", false},    {rmExisting, "", false},          {rmExisting, "newer", true},
      {rmExistingNewer, "", false}, {rmExistingNewer, "older", true}, {rmExistingNewer, "equal", false},
  };
  for (const auto& row : rows) {
    fs::remove_all(Host("t"));
    const std::string target = "t\\m.txt";
    const std::string_view state = row.target;
    if (!state.empty()) {
      MakeFile(target, "current");
      const int year = state == "older" ? 2019 : state == "equal" ? 2020 : 2021;
      const FileTime when = system().UtcTimeOf(FromCalendar(CalendarTime{year, 1, 1, 12, 0, 0, 0}));
      ASSERT_TRUE(files().SetTimes(At(target), platform::FileTimes{{}, {}, when}));
    }
    backup_.RestoreMode = row.mode;
    EXPECT_TRUE(backup_.Restore(At("m.bck"), At("t")).succeeded);
    const bool restored = fs::exists(Host(target)) && test::ReadFileBytes(Host(target)) == "archived";
    EXPECT_EQ(restored, row.restores) << "mode " << row.mode << ", target " << row.target;
  }
}

TEST_F(RestoreTest, NeverRestoresTheIdentificationList) {
  const std::string source = MakeFile("f.txt", "f");
  backup_.SaveFileID = true;
  ASSERT_TRUE(backup_.Backup({source}, At("id.bck")));
  int asked = 0;
  backup_.OnRestoreFile = [&](TBackupFile&, std::string&, std::int32_t, bool&) { ++asked; };
  backup_.RestoreFullPath = false;
  EXPECT_TRUE(backup_.Restore(At("id.bck"), At("out")).succeeded);
  EXPECT_EQ(backup_.FilesDone(), 1);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(fs::exists(Host("out\\FILE:LIST")));
  EXPECT_EQ(AllFiles().count("out/f.txt"), 1U);
}

TEST_F(RestoreTest, EventsMayRedirectOrVetoEntries) {
  MakeFile("e\\one.txt", "1");
  MakeFile("e\\two.txt", "2");
  ASSERT_TRUE(backup_.Backup({At("e\\*.txt")}, At("e.bck")));
  std::vector<std::string> restored;
  backup_.OnRestoreFile = [&](TBackupFile&, std::string& name, std::int32_t, bool& doRestore) {
    if (name.ends_with("one.txt")) {
      name = At("elsewhere\\uno.txt");
    } else {
      doRestore = false;
    }
  };
  backup_.OnFileRestored = [&](TBackupFile&, std::string& name, platform::FileWriter&) { restored.push_back(name); };
  EXPECT_TRUE(backup_.Restore(At("e.bck"), At("r")).succeeded);
  EXPECT_EQ(restored, std::vector<std::string>{At("elsewhere\\uno.txt")});
  EXPECT_EQ(test::ReadFileBytes(Host("elsewhere\\uno.txt")), "1");
  EXPECT_EQ(backup_.FilesDone(), 1);
}

TEST_F(RestoreTest, AMissingArchiveReturnsFalseWithoutEvents) {
  int events = 0;
  backup_.OnProgress = [&](TBackupFile&, const std::string&, int, bool&) { ++events; };
  const RestoreOutcome outcome = backup_.Restore(At("none.bck"), At("x"));
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_EQ(outcome.raisedError, "");
  EXPECT_EQ(events, 0);
}

TEST_F(RestoreTest, RaisesInvalidArchiveTypeForABadMarker) {
  for (const std::string_view marker : {std::string_view("EC2X", 4), std::string_view("EC3\0", 4)}) {
    ArchiveBytes bad;
    bad.Header().Text("c:\\x.txt").Int(0).Raw(marker).Int(0).End();
    const RestoreOutcome outcome = backup_.Restore(WriteArchive("bad.bck", bad.bytes), At("out"));
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.raisedError, "Invalid archive type");
  }
}

TEST_F(RestoreTest, ATruncatedArchiveRestoresItsCompleteEntries) {
  MakeFile("trunc\\a.txt", TextBytes(5000));
  MakeFile("trunc\\b.bin", RandomBytes(40000));
  ASSERT_TRUE(backup_.Backup({At("trunc\\a.txt"), At("trunc\\b.bin")}, At("t.bck")));
  std::string bytes = test::ReadFileBytes(Host("t.bck"));
  bytes.resize(bytes.size() - 20000);  // cut into the second entry's data
  test::WriteFileBytes(Host("t.bck"), bytes);

  backup_.RestoreFullPath = false;
  // Chunks read ahead of the damage are still written first, whatever the threads.
  for (const unsigned threads : {1U, 4U}) {
    backup_.Threads = threads;
    fs::remove_all(Host("out"));
    const RestoreOutcome outcome = backup_.Restore(At("t.bck"), At("out"));
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.raisedError, "Cannot read archive");
    EXPECT_EQ(test::ReadFileBytes(Host("out\\a.txt")), TextBytes(5000));
    EXPECT_TRUE(fs::exists(Host("out\\b.bin")));  // partly written, closed
    EXPECT_EQ(test::ReadFileBytes(Host("out\\b.bin")), RandomBytes(40000).substr(0, 16384)) << threads;
  }
}

TEST_F(RestoreTest, ReadsFromTheCallersStream) {
  MakeFile("s.txt", "via stream");
  test::MemoryWriter out;
  backup_.OutStream = &out;
  ASSERT_TRUE(backup_.Backup({At("s.txt")}, kStreamArchive));
  test::MemoryReader in(out.bytes);
  backup_.InStream = &in;
  backup_.RestoreFullPath = false;
  EXPECT_TRUE(backup_.Restore(kStreamArchive, At("from-stream")).succeeded);
  EXPECT_EQ(test::ReadFileBytes(Host("from-stream\\s.txt")), "via stream");
}

TEST_F(RestoreTest, AsksForEachFurtherVolumeAndStopsWhenRefused) {
  MakeFile("v.bin", RandomBytes(90000));
  backup_.MaxSize = 40000;
  backup_.OnNeedDisk = [](TBackupFile&, std::uint16_t, bool& cont) { cont = true; };
  ASSERT_TRUE(backup_.Backup({At("v.bin")}, At("v.bck")));
  std::vector<std::uint16_t> asked;
  backup_.OnNeedDisk = [&](TBackupFile&, std::uint16_t disk, bool& cont) {
    asked.push_back(disk);
    cont = disk < 3;
  };
  backup_.RestoreFullPath = false;
  EXPECT_FALSE(backup_.Restore(At("v.bck"), At("vol")).succeeded);
  EXPECT_EQ(asked, (std::vector<std::uint16_t>{2, 3}));
  EXPECT_EQ(fs::file_size(Host("vol\\v.bin")) % 16384, 0U);  // what the first two volumes held
}

// Hostile archives: nothing is written outside the target folder, nothing crashes.
TEST_F(RestoreTest, RefusesNamesThatLeaveTheTargetFolder) {
  const char* hostileNames[] = {"c:\\..\\..\\escape1.txt",
                                "c:\\a\\..\\..\\escape2.txt",
                                "..\\escape3.txt",
                                "\\\\server\\share\\escape4.txt",
                                "c:\\a\\b:stream",
                                "c:\\con\\x.txt",
                                "c:\\nul.txt",
                                "relative.txt"};
  ArchiveBytes hostile;
  hostile.Header();
  for (const char* name : hostileNames) {
    hostile.Entry(name, "evil");
  }
  ArchiveBytes mixed = hostile;
  hostile.End();
  // A name ending in a dot or a blank stays inside the target: it is restored as it is.
  mixed.Entry("c:\\fine\\ok.txt", "good").Entry("c:\\dir\\trailing. ", "exact").End();

  backup_.RestoreFullPath = true;
  EXPECT_TRUE(backup_.Restore(WriteArchive("mixed.bck", mixed.bytes), At("target")).succeeded);
  EXPECT_EQ(backup_.FilesRefused(), 8);
  EXPECT_EQ(backup_.FilesDone(), 2);
  // With no target folder each stored path is the target: still refused.
  EXPECT_TRUE(backup_.Restore(WriteArchive("hostile.bck", hostile.bytes), "").succeeded);
  EXPECT_EQ(backup_.FilesRefused(), 8);
  EXPECT_EQ(backup_.FilesDone(), 0);
  EXPECT_EQ(AllFiles(),
            (std::set<std::string>{"hostile.bck", "mixed.bck", "target/dir/trailing. ", "target/fine/ok.txt"}));
}

TEST_F(RestoreTest, NeverWritesThroughALink) {
#ifdef _WIN32
  GTEST_SKIP() << "a Linux symbolic link does not show as a reparse point under Wine; covered natively";
#else
  fs::create_directories(Host("outside"));
  fs::create_directories(Host("target"));
  fs::create_directory_symlink(Host("outside"), Host("target/linked"));
  ArchiveBytes archive;
  archive.Header().Entry("c:\\linked\\planted.txt", "evil").End();
  backup_.RestoreFullPath = true;
  EXPECT_TRUE(backup_.Restore(WriteArchive("link.bck", archive.bytes), At("target")).succeeded);
  EXPECT_EQ(backup_.FilesRefused(), 1);
  EXPECT_FALSE(fs::exists(Host("outside/planted.txt")));
#endif
}

TEST_F(RestoreTest, RejectsLengthsNoWriterProduces) {
  const std::vector<Bytes> damaged = {
      ArchiveBytes().Int(0x7FFFFFFF).bytes,                                                 // title length
      ArchiveBytes().Header().Int(-5).bytes,                                                // negative name length
      ArchiveBytes().Header().Int(0x7FFFFFF0).Raw("c:\\x").bytes,                           // huge name length
      ArchiveBytes().Header().Text("c:\\x").Int(0).Raw({"EC2\0", 4}).Int(INT32_MIN).bytes,  // chunk length
      ArchiveBytes().Header().Text("c:\\x").Int(0).Raw({"EC2\0", 4}).Int(20000).bytes,      // > 16 KiB
      ArchiveBytes().Header().Text("NEXT:DISK0x2").bytes,                                   // volume digits
      ArchiveBytes().Raw("ab").bytes,                                                       // header cut short
  };
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    const RestoreOutcome outcome = backup_.Restore(WriteArchive("d.bck", damaged[i]), At("out"));
    EXPECT_FALSE(outcome.succeeded) << i;
    EXPECT_EQ(outcome.raisedError, "Cannot read archive") << i;
  }
  for (const auto& file : AllFiles()) {
    EXPECT_TRUE(file == "d.bck" || file.starts_with("out/")) << file;  // a cut entry stays, closed
  }
}

TEST_F(RestoreTest, ACorruptChunkStopsWithTheZlibError) {
  ArchiveBytes archive;
  archive.Header()
      .Text("c:\\z.txt")
      .Int(0)
      .Raw({"EC2\0", 4})
      .Int(6)
      .Raw(
          "\x78\x9c"
          "garb")
      .Int(0)
      .End();
  backup_.RestoreFullPath = false;
  const RestoreOutcome outcome = backup_.Restore(WriteArchive("z.bck", archive.bytes), At("out"));
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_EQ(outcome.raisedError, "");
  EXPECT_EQ(backup_.ErrorCode(), TBackupFile::kErrorZlib);
}

}  // namespace
}  // namespace sw::backup
