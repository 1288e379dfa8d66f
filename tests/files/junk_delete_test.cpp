// The deletion of junk files with its backup archive, clean.bat and the RunOnce entry, on
// real folders as drives.

#include "files/junk_delete.h"

#include <gtest/gtest.h>

#include "backup/backup_file.h"
#include "core/language.h"
#include "core/text.h"
#include "files/clean_batch.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"

namespace sw::files {
namespace {

using platform::RootKey;

constexpr const char* kRunOnceValue = R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\Sweepwise)";

ResultRow FileRow(std::string_view path, bool checked = true) {
  ResultRow row;
  const auto slash = path.rfind('\\');
  row.columns = {std::string(path.substr(slash + 1)), std::string(path.substr(0, slash + 1)), "1", "-"};
  row.checked = checked;
  return row;
}

class JunkDeleteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* path : {R"(C:\a\one.tmp)", R"(C:\a\two words.tmp)", R"(C:\b\50%.tmp)", R"(C:\b\kept.tmp)"}) {
      host_.MakeFile(path, std::string("contents of ") + path);
      list_.push_back(FileRow(path, std::string_view(path) != R"(C:\b\kept.tmp)"));
    }
  }

  FileDeleteOutcome Delete(bool backup) { return DeleteFiles(list_, backup, counter_, host_.platform(), sink_); }
  bool Exists(std::string_view path) { return std::filesystem::exists(host_.Host(path)); }
  std::vector<std::string> BatchLines() {
    return SplitLines(test::ReadFileBytes(host_.Host(R"(C:\Program\clean.bat)")));
  }

  test::HostPlatform host_;
  test::RecordingSink sink_;
  std::vector<ResultRow> list_;
  int counter_ = 7;
};

TEST_F(JunkDeleteTest, AFileTheArchiveDidNotTakeIsKeptNotDeleted) {
  // A junk file that looks like a further volume of the archive being written (zq7.002 beside
  // zq7.bck) is left out of that archive: it must not be deleted without its backup.
  host_.MakeFile(R"(C:\Program\zq7.002)", "not a volume, a user's file");
  list_.push_back(FileRow(R"(C:\Program\zq7.002)"));
  const FileDeleteOutcome outcome = Delete(true);
  EXPECT_EQ(outcome.archive, R"(C:\Program\zq7.bck)");
  EXPECT_EQ(outcome.deleted, 3);
  EXPECT_EQ(outcome.keptNotStored, 1);
  EXPECT_TRUE(Exists(R"(C:\Program\zq7.002)"));
  ASSERT_EQ(list_.size(), 2U);
  EXPECT_EQ(list_[1].columns[0], "zq7.002");
  EXPECT_TRUE(list_[1].checked);
  EXPECT_NE(sink_.questions.back().text.find("did not get into the backup"), std::string::npos);
}

TEST_F(JunkDeleteTest, DeletesCheckedFilesAndWritesAnEmptyBatchAndRunOnce) {
  host_.system().SetAdmin(false);
  const FileDeleteOutcome outcome = Delete(false);
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_EQ(sink_.questions[0].text, Text(73));
  EXPECT_EQ(sink_.questions[0].title, "Select");
  EXPECT_EQ(outcome.deleted, 3);
  EXPECT_FALSE(Exists(R"(C:\a\one.tmp)"));
  EXPECT_FALSE(Exists(R"(C:\b\50%.tmp)"));
  EXPECT_TRUE(Exists(R"(C:\b\kept.tmp)"));  // not checked
  ASSERT_EQ(list_.size(), 1U);
  EXPECT_EQ(list_[0].columns[0], "kept.tmp");
  EXPECT_FALSE(outcome.clearWithoutAsking);
  EXPECT_EQ(sink_.statuses.back(), Text(89));

  const auto lines = BatchLines();
  ASSERT_EQ(lines.size(), 12U);
  EXPECT_EQ(lines[0], "cls");
  EXPECT_EQ(lines[2], "@echo QZ Sweepwise Forced Deletion Batch File");
  EXPECT_EQ(lines[9], R"(@"C:\Program\deletebat.exe")");
  EXPECT_EQ(lines[10], R"(@del "C:\Program\clean.bat" >nul)");
  EXPECT_EQ(lines[11], "@CLS >nul");
  EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, kRunOnceValue), R"(C:\Program\clean.bat)");
  EXPECT_FALSE(reg::RegValueExists(host_.registry(), RootKey::LocalMachine, kRunOnceValue));
}

TEST_F(JunkDeleteTest, ReadOnlyFileIsDeletedAndAdministratorsGetTheMachineRunOnce) {
  ASSERT_TRUE(host_.files().SetAttributes(R"(C:\a\one.tmp)", platform::kAttrReadOnly));
  EXPECT_EQ(Delete(false).deleted, 3);
  EXPECT_FALSE(Exists(R"(C:\a\one.tmp)"));
  EXPECT_TRUE(reg::RegValueExists(host_.registry(), RootKey::LocalMachine, kRunOnceValue));
}

TEST_F(JunkDeleteTest, BackupTakesTheNextFreeArchiveNumberAndHoldsEveryDeletedFile) {
  host_.MakeFile(R"(C:\Program\zq8.bck)", "an older backup");
  EXPECT_EQ(Delete(true).archive, R"(C:\Program\zq7.bck)");
  EXPECT_EQ(counter_, 8);

  list_ = {FileRow(R"(C:\b\kept.tmp)")};
  const FileDeleteOutcome second = Delete(true);
  EXPECT_EQ(second.archive, R"(C:\Program\zq9.bck)");  // zq8.bck is not overwritten
  EXPECT_EQ(counter_, 10);
  EXPECT_EQ(test::ReadFileBytes(host_.Host(R"(C:\Program\zq8.bck)")), "an older backup");

  // The first archive gives back the three files, byte for byte.
  backup::TBackupFile archive(host_.files(), host_.system());
  archive.RestoreFullPath = true;
  ASSERT_TRUE(archive.Restore(R"(C:\Program\zq7.bck)", R"(C:\restored)").succeeded);
  for (const char* path : {R"(a\one.tmp)", R"(a\two words.tmp)", R"(b\50%.tmp)"}) {
    EXPECT_EQ(test::ReadFileBytes(host_.Host(std::string(R"(C:\restored\)") + path)),
              std::string(R"(contents of C:\)") + path)
        << path;
  }
}

TEST_F(JunkDeleteTest, FailedBackupDeletesNothing) {
  host_.platform().folders = platform::PortableFolders(R"(C:\Missing)");
  const FileDeleteOutcome outcome = Delete(true);
  EXPECT_FALSE(outcome.error.empty());
  EXPECT_EQ(outcome.deleted, 0);
  EXPECT_TRUE(Exists(R"(C:\a\one.tmp)"));
  EXPECT_EQ(list_.size(), 4U);
  EXPECT_EQ(sink_.questions.back().kind, MessageKind::Error);
  EXPECT_EQ(counter_, 7);
}

TEST_F(JunkDeleteTest, DecliningOrNothingCheckedChangesNothing) {
  sink_.answer = Answer::No;
  EXPECT_TRUE(Delete(true).declined);
  EXPECT_TRUE(Exists(R"(C:\a\one.tmp)"));
  EXPECT_EQ(list_.size(), 4U);
  EXPECT_FALSE(Exists(R"(C:\Program\clean.bat)"));

  for (auto& row : list_) {
    row.checked = false;
  }
  sink_.questions.clear();
  EXPECT_FALSE(Delete(true).asked);
  EXPECT_TRUE(sink_.questions.empty());
}

TEST_F(JunkDeleteTest, FileGoneAlreadyCountsAsDeleted) {
  for (const bool backup : {false, true}) {
    list_.clear();
    SetUp();  // the files and rows again
    std::filesystem::remove(host_.Host(R"(C:\a\one.tmp)"));
    const FileDeleteOutcome outcome = Delete(backup);
    EXPECT_EQ(outcome.deleted, 3) << backup;
    EXPECT_EQ(outcome.queued, 0) << backup;
    EXPECT_EQ(outcome.keptUnreadable, 0) << backup;
    EXPECT_EQ(list_.size(), 1U) << backup;  // only the unchecked row
  }
}

TEST(CleanBatch, LinesNameExactlyOneFile) {
  test::HostPlatform host;
  CleanBatch batch(R"(C:\Program Files\Sweep 100%)", host.files(), host.system());
  EXPECT_TRUE(batch.Queue(R"(C:\a b\50% & more.tmp)"));
  EXPECT_TRUE(batch.Queue("C:\\caf\xC3\xA9.tmp"));  // in the code page
  EXPECT_FALSE(batch.Queue("C:\\\xD0\x96.tmp"));    // not, and no short name to use
  EXPECT_EQ(batch.queued(), 2);
  const auto lines = SplitLines(batch.Text());
  ASSERT_EQ(lines.size(), 16U);
  EXPECT_EQ(lines[9], R"(@"C:\Program Files\Sweep 100%%\deletebat.exe")");
  EXPECT_EQ(lines[10], R"(@echo  C:\a b\50%% ^& more.tmp)");
  EXPECT_EQ(lines[11], R"(@del "C:\a b\50%% & more.tmp)");
  EXPECT_EQ(lines[13], "@del \"C:\\caf\xE9.tmp");
  EXPECT_EQ(lines[14], R"(@del "C:\Program Files\Sweep 100%%\clean.bat" >nul)");
  EXPECT_EQ(lines[6],
            "@echo * The last message \"Batch file missing, File not found\" is not an error message. It is generated "
            "when the batch deletes itself.");
}

}  // namespace
}  // namespace sw::files
