// The deletion of junk files with its backup archive, clean.bat, the RunOnce entry and the
// history, on real folders as drives. Symbolic links made on the host stand for the
// junctions an attacker swaps in on Windows; the host's permission bits for the folders other
// users may write. Files in use, and files only an administrator may delete, which Linux
// cannot show, come from a file system of the test's own (said where).

#include "files/junk_delete.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

#include "backup/archive_listing.h"
#include "backup/backup_file.h"
#include "core/language.h"
#include "core/text.h"
#include "files/clean_batch.h"
#include "history/history_log.h"
#include "platform/host/posix_error.h"
#include "registry/registry_paths.h"
#include "support/forwarding_file_system.h"
#include "support/host_platform.h"
#include "support/listed_row.h"
#include "support/recording_sink.h"

namespace sw::files {
namespace {

namespace fs = std::filesystem;
using platform::RootKey;

constexpr const char* kRunOnceValue = R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\Sweepwise)";

class JunkDeleteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* path : {R"(C:\a\one.tmp)", R"(C:\a\two words.tmp)", R"(C:\b\50%.tmp)", R"(C:\b\kept.tmp)"}) {
      host_.MakeFile(path, std::string("contents of ") + path);
      list_.push_back(Listed(path));
      list_.back().checked = std::string_view(path) != R"(C:\b\kept.tmp)";
    }
  }

  ResultRow Listed(const std::string& path) { return test::ListedRow(host_.files(), host_.system(), path); }
  FileDeleteOutcome Delete(bool backup) { return DeleteFiles(list_, backup, counter_, host_.platform(), sink_); }
  bool Exists(std::string_view path) { return fs::exists(fs::symlink_status(host_.Host(path))); }
  std::vector<std::string> BatchLines() { return SplitLines(test::ReadFileBytes(host_.Host(R"(C:\Program\clean.bat)"))); }
  std::vector<history::Entry> History() {
    history::HistoryLog log(host_.files(), R"(C:\Program)");
    auto entries = log.Read();
    EXPECT_TRUE(entries);
    return entries ? *entries : std::vector<history::Entry>{};
  }
  bool Told(std::string_view part) const {
    return std::any_of(sink_.questions.begin(), sink_.questions.end(),
                       [&](const Message& m) { return m.text.find(part) != std::string::npos; });
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
  list_.push_back(Listed(R"(C:\Program\zq7.002)"));
  const FileDeleteOutcome outcome = Delete(true);
  EXPECT_EQ(outcome.archive, R"(C:\Program\zq7.bck)");
  EXPECT_EQ(outcome.deleted, 3);
  EXPECT_EQ(outcome.keptNotStored, 1);
  EXPECT_TRUE(Exists(R"(C:\Program\zq7.002)"));
  ASSERT_EQ(list_.size(), 2U);
  EXPECT_EQ(list_[1].columns[0], "zq7.002");
  EXPECT_TRUE(list_[1].checked);
  EXPECT_TRUE(Told("did not get into the backup"));
}

// The batch runs at the next logon as the user who made it: the user's own RunOnce value,
// whatever this program's rights, with the path quoted; and it starts no program, only
// deletes files.
TEST_F(JunkDeleteTest, TheBatchNamesFilesOnlyAndRunsFromTheUsersRunOnce) {
  for (const bool admin : {false, true}) {
    SCOPED_TRACE(admin ? "administrator" : "standard user");
    host_.system().SetAdmin(admin);
    list_.clear();
    sink_.questions.clear();
    SetUp();
    const FileDeleteOutcome outcome = Delete(false);
    ASSERT_FALSE(sink_.questions.empty());
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
    ASSERT_EQ(lines.size(), 11U);
    EXPECT_EQ(lines[0], "cls");
    EXPECT_EQ(lines[2], "@echo QZ Sweepwise Forced Deletion Batch File");
    EXPECT_EQ(lines[8], "@echo * Files to be deleted:");
    EXPECT_EQ(lines[9], R"(@del "C:\Program\clean.bat" >nul)");
    EXPECT_EQ(lines[10], "@CLS >nul");
    EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, kRunOnceValue),
              R"("C:\Program\clean.bat")");
    EXPECT_FALSE(reg::RegValueExists(host_.registry(), RootKey::LocalMachine, kRunOnceValue));
    (void)reg::RegDeleteValueAt(host_.registry(), RootKey::CurrentUser, kRunOnceValue);
  }
}

TEST_F(JunkDeleteTest, AReadOnlyFileIsDeletedThroughItsHandle) {
  ASSERT_TRUE(host_.files().SetAttributes(R"(C:\a\one.tmp)", platform::kAttrReadOnly));
  EXPECT_EQ(Delete(false).deleted, 3);
  EXPECT_FALSE(Exists(R"(C:\a\one.tmp)"));
}

TEST_F(JunkDeleteTest, BackupTakesTheNextFreeArchiveNumberAndHoldsEveryDeletedFile) {
  host_.MakeFile(R"(C:\Program\zq8.bck)", "an older backup");
  EXPECT_EQ(Delete(true).archive, R"(C:\Program\zq7.bck)");
  EXPECT_EQ(counter_, 8);

  list_ = {Listed(R"(C:\b\kept.tmp)")};
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
  EXPECT_TRUE(History().empty());

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
    fs::remove(host_.Host(R"(C:\a\one.tmp)"));
    const FileDeleteOutcome outcome = Delete(backup);
    EXPECT_EQ(outcome.deleted, 3) << backup;
    EXPECT_EQ(outcome.queued, 0) << backup;
    EXPECT_EQ(outcome.keptUnreadable, 0) << backup;
    EXPECT_EQ(list_.size(), 1U) << backup;  // only the unchecked row
  }
}

// The attack of a user who may write a junk folder: after the Find, the folder is replaced by
// a link to a folder holding a file of the same name, size and time (a symbolic link on the
// host, which stands for a junction). The other file is kept, with and without a backup, and
// never enters the archive; the listed file stays too, and is named.
TEST_F(JunkDeleteTest, AFolderSwappedForALinkKeepsTheOtherFile) {
  for (const bool backup : {false, true}) {
    SCOPED_TRACE(backup ? "with a backup" : "without a backup");
    fs::remove_all(host_.Host(R"(C:\junkdir)"));
    fs::remove_all(host_.Host(R"(C:\junkdir.moved)"));
    fs::remove_all(host_.Host(R"(C:\Users)"));
    host_.MakeFile(R"(C:\junkdir\report.tmp)", "junk of the same size");
    host_.MakeFile(R"(C:\Users\ann\Documents\report.tmp)", "a document, same size");
    fs::last_write_time(host_.Host(R"(C:\Users\ann\Documents\report.tmp)"),
                        fs::last_write_time(host_.Host(R"(C:\junkdir\report.tmp)")));
    list_ = {Listed(R"(C:\junkdir\report.tmp)")};

    fs::rename(host_.Host(R"(C:\junkdir)"), host_.Host(R"(C:\junkdir.moved)"));
    fs::create_directory_symlink(host_.Host(R"(C:\Users\ann\Documents)"), host_.Host(R"(C:\junkdir)"));
    sink_.questions.clear();
    const FileDeleteOutcome outcome = Delete(backup);

    EXPECT_EQ(outcome.deleted, 0);
    EXPECT_EQ(outcome.keptChanged, 1);
    EXPECT_EQ(test::ReadFileBytes(host_.Host(R"(C:\Users\ann\Documents\report.tmp)")), "a document, same size");
    EXPECT_TRUE(Exists(R"(C:\junkdir.moved\report.tmp)"));
    ASSERT_EQ(list_.size(), 1U);
    EXPECT_TRUE(list_[0].checked);
    EXPECT_EQ(outcome.kept, std::vector<std::string>{R"(C:\junkdir\report.tmp)"});
    EXPECT_TRUE(Told("no longer the files it listed")) << sink_.questions.back().text;
    EXPECT_TRUE(Told(R"(C:\junkdir\report.tmp)"));
    EXPECT_TRUE(outcome.archive.empty()) << "nothing was backed up, so no archive";
    EXPECT_TRUE(History().empty()) << "nothing changed, so nothing is recorded";
  }
}

// A row the Find did not make carries nothing to check the file against: it is kept.
TEST_F(JunkDeleteTest, ARowWithoutWhatTheFindSawIsKept) {
  ResultRow bare;
  bare.columns = {"one.tmp", R"(C:\a\)", "19", "-"};
  list_ = {bare};
  const FileDeleteOutcome outcome = Delete(false);
  EXPECT_EQ(outcome.keptChanged, 1);
  EXPECT_TRUE(Exists(R"(C:\a\one.tmp)"));
}

// One entry per deletion, begun after the backup and before the first file goes: the archive,
// and one line per file in it ("<path as listed>\t<ticks>\t<size>"), as the Undo reads them.
TEST_F(JunkDeleteTest, EachDeletionIsOneHistoryEntryWithItsArchiveAndItsFiles) {
  // The lines as the files are on the disk now: their last-write times from the host itself.
  std::vector<std::string> expected;
  for (const char* path : {R"(C:\a\one.tmp)", R"(C:\a\two words.tmp)", R"(C:\b\50%.tmp)"}) {
    struct stat st {};
    ASSERT_EQ(::stat(host_.Host(path).c_str(), &st), 0);
    expected.push_back(std::string(path) + "\t" +
                       std::to_string(FileTimeFromUnix(st.st_mtim.tv_sec, static_cast<std::uint32_t>(st.st_mtim.tv_nsec)).ticks) +
                       "\t" + std::to_string(st.st_size));
  }
  sink_.SetOrigin("Files Cleaning page");
  const FileDeleteOutcome outcome = Delete(true);
  auto entries = History();
  ASSERT_EQ(entries.size(), 1U);
  const history::Entry& entry = entries[0];
  EXPECT_EQ(entry.action, history::Action::FilesDeleted);
  EXPECT_EQ(entry.origin, "Files Cleaning page");
  EXPECT_EQ(entry.state, history::EntryState::Done);
  EXPECT_EQ(entry.backups, std::vector<std::string>{outcome.archive});
  EXPECT_TRUE(entry.Undoable());
  EXPECT_EQ(entry.count, 3U);
  EXPECT_EQ(entry.bytes, outcome.deletedBytes);
  EXPECT_EQ(entry.summary, "Deleted 3 files");
  EXPECT_EQ(entry.names.front(), R"(C:\a\one.tmp)");
  history::HistoryLog log(host_.files(), R"(C:\Program)");
  EXPECT_EQ(log.ReadItems(entry.key).value_or(std::vector<std::string>{}), expected);

  // Without a backup the entry says why it cannot be undone.
  list_ = {Listed(R"(C:\b\kept.tmp)")};
  (void)Delete(false);
  entries = History();
  ASSERT_EQ(entries.size(), 2U);
  EXPECT_EQ(entries[0].notUndoable, "No backup was asked for.");
  EXPECT_FALSE(entries[0].Undoable());
}

// More rows than one round holds the handles of go round by round, each round with its own
// archive and history entry, and every file is backed up and deleted. The process may hold
// fewer descriptors than there are rows (its limit is lowered with setrlimit to a round and a
// few more, as Wine and Linux give a process some thousands): holding every row's handle at
// once would fail there, and did, the rows then kept as "changed since the Find". (The host
// stand-in holds two descriptors per file, its O_PATH handle and its data, so the limit is two
// rounds' worth, fewer than the rows' own.)
TEST_F(JunkDeleteTest, MoreRowsThanARoundGoRoundByRoundWithinTheHandlesAProcessMayHold) {
  list_.clear();
  const std::size_t rows = kRowsPerDeleteRound + 100;
  const auto pathOf = [](std::size_t i) {
    return std::string(R"(C:\many\)") + std::to_string(i % 50) + "\\" + std::to_string(i) + ".tmp";
  };
  for (std::size_t i = 0; i < rows; ++i) {
    host_.MakeFile(pathOf(i), "row " + std::to_string(i));
    list_.push_back(Listed(pathOf(i)));
  }
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  struct rlimit lowered = saved;
  lowered.rlim_cur = 2 * kRowsPerDeleteRound + 64;
  ASSERT_LT(lowered.rlim_cur, 2 * rows);
  if (lowered.rlim_cur > saved.rlim_max) {
    GTEST_SKIP() << "this machine lets a process hold at most " << saved.rlim_max << " descriptors";
  }
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
  const FileDeleteOutcome outcome = Delete(true);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);

  EXPECT_EQ(outcome.deleted, static_cast<int>(rows));
  EXPECT_EQ(outcome.keptChanged, 0);
  EXPECT_TRUE(outcome.kept.empty());
  EXPECT_TRUE(list_.empty());
  EXPECT_FALSE(Exists(pathOf(0)));
  EXPECT_FALSE(Exists(pathOf(rows - 1)));
  ASSERT_EQ(outcome.archives, (std::vector<std::string>{R"(C:\Program\zq7.bck)", R"(C:\Program\zq8.bck)"}));
  EXPECT_EQ(outcome.archive, outcome.archives.front());
  const auto entries = History();  // newest first
  ASSERT_EQ(entries.size(), 2U);
  EXPECT_EQ(entries[1].count, kRowsPerDeleteRound);
  EXPECT_EQ(entries[1].backups, std::vector<std::string>{outcome.archives[0]});
  EXPECT_EQ(entries[0].count, 100U);
  EXPECT_EQ(entries[0].backups, std::vector<std::string>{outcome.archives[1]});
  EXPECT_EQ(entries[0].state, history::EntryState::Done);

  // The second round's archive holds the last rows' files, byte for byte.
  backup::TBackupFile archive(host_.files(), host_.system());
  archive.RestoreFullPath = true;
  ASSERT_TRUE(archive.Restore(outcome.archives[1], R"(C:\restored)").succeeded);
  const std::string last = pathOf(rows - 1).substr(3);
  EXPECT_EQ(test::ReadFileBytes(host_.Host(R"(C:\restored\)" + last)), "row " + std::to_string(rows - 1));
  EXPECT_FALSE(Exists(std::string(R"(C:\restored\)") + pathOf(0).substr(3)));  // in the first archive
}

TEST_F(JunkDeleteTest, AHistoryThatCannotBeWrittenStopsTheDeletionBeforeItStarts) {
  fs::create_directories(host_.Host(R"(C:\Program\history.log)"));  // a folder where the log goes
  const FileDeleteOutcome outcome = Delete(true);
  EXPECT_EQ(outcome.deleted, 0);
  EXPECT_NE(outcome.error.find("history"), std::string::npos) << outcome.error;
  EXPECT_NE(outcome.error.find("Nothing was deleted"), std::string::npos) << outcome.error;
  EXPECT_EQ(sink_.questions.back().kind, MessageKind::Error);
  for (const char* path : {R"(C:\a\one.tmp)", R"(C:\a\two words.tmp)", R"(C:\b\50%.tmp)"}) {
    EXPECT_TRUE(Exists(path)) << path;
  }
  EXPECT_EQ(list_.size(), 4U);
}

// A file system whose files named in `held` are held by another program that lets nobody
// delete them (Linux has no such locks), and that answers for the administrators' files.
class HeldFiles final : public test::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  Result<std::unique_ptr<platform::ListedFile>> OpenListedFile(std::string_view path,
                                                               platform::ListedAccess access) override {
    if (access.remove && std::find(held.begin(), held.end(), std::string(path)) != held.end()) {
      return Error(Errc::SharingViolation);
    }
    if (const auto fault = failing.find(std::string(path)); fault != failing.end()) {
      return fault->second;
    }
    return real_.OpenListedFile(path, access);
  }
  Result<bool> OnlyAdministratorsMayDelete(std::string_view path) override {
    asked.emplace_back(path);
    return administratorsOnly;
  }
  std::vector<std::string> held;
  std::map<std::string, Error> failing;  // opened with this error, whatever is asked
  std::vector<std::string> asked;
  bool administratorsOnly = false;
};

// The batch deletes by name, at the next logon, with the user's own rights: a file of a
// folder other users may write (its permission bits on the host), or one only an
// administrator could delete, is not queued but reported; so is every file when others may
// write the folder of the batch itself.
TEST_F(JunkDeleteTest, OnlyFilesNobodyElseCanRedirectAreQueuedForTheNextLogon) {
  auto held = std::make_unique<HeldFiles>(host_.files());
  HeldFiles& files = *held;
  auto real = std::move(host_.platform().files);
  host_.platform().files = std::move(held);
  files.held = {R"(C:\a\one.tmp)", R"(C:\b\50%.tmp)"};
  const auto run = [&] {
    list_.clear();
    sink_.questions.clear();
    for (const char* path : {R"(C:\a\one.tmp)", R"(C:\b\50%.tmp)"}) {
      list_.push_back(Listed(path));
    }
    return Delete(false);
  };

  host_.system().SetAdmin(false);
  FileDeleteOutcome outcome = run();
  EXPECT_EQ(outcome.queued, 2);
  EXPECT_TRUE(files.asked.empty()) << "a standard user's batch can delete what the user could";
  EXPECT_EQ(BatchLines()[10], R"(@del "C:\a\one.tmp)");

  fs::permissions(host_.Host(R"(C:\b)"), fs::perms::others_write, fs::perm_options::add);
  outcome = run();
  EXPECT_EQ(outcome.queued, 1);
  EXPECT_EQ(outcome.notQueuedShared, 1);
  EXPECT_TRUE(Told("other users may write their folders")) << sink_.questions.back().text;
  EXPECT_TRUE(Told(R"(C:\b\50%.tmp)"));
  EXPECT_EQ(BatchLines().size(), 13U);  // the header, one file's two lines and the end

  host_.system().SetAdmin(true);
  files.administratorsOnly = true;
  outcome = run();
  EXPECT_EQ(outcome.queued, 0);
  EXPECT_EQ(outcome.notQueuedAdmin, 1);
  EXPECT_EQ(files.asked, std::vector<std::string>{R"(C:\a\one.tmp)"});
  EXPECT_TRUE(Told("only an administrator could delete them"));
  ASSERT_EQ(list_.size(), 2U);  // both rows stay, checked
  EXPECT_TRUE(list_[0].checked && list_[1].checked);

  files.administratorsOnly = false;
  fs::remove(host_.Host(R"(C:\Program\clean.bat)"));
  (void)reg::RegDeleteValueAt(host_.registry(), RootKey::CurrentUser, kRunOnceValue);
  fs::permissions(host_.Host(R"(C:\Program)"), fs::perms::group_write, fs::perm_options::add);
  outcome = run();
  EXPECT_EQ(outcome.queued, 0);
  EXPECT_EQ(outcome.notQueuedShared, 2);
  EXPECT_TRUE(Told(R"(the folder of the batch (C:\Program))"));
  EXPECT_FALSE(Exists(R"(C:\Program\clean.bat)"));
  EXPECT_FALSE(reg::RegValueExists(host_.registry(), RootKey::CurrentUser, kRunOnceValue));
  host_.platform().files = std::move(real);
}

// A file the system will not open at all (here the descriptor limit's own error, injected
// through the file system: Linux cannot be made to refuse one file only) is not a file that
// changed since the Find: it is counted apart, with the system's reason, and kept.
TEST_F(JunkDeleteTest, AFileThatCannotBeOpenedIsKeptWithTheSystemsReasonNotAsChanged) {
  auto failing = std::make_unique<HeldFiles>(host_.files());
  failing->failing.emplace(R"(C:\a\two words.tmp)", platform::host::ErrorFromErrno(EMFILE));
  failing->held = {R"(C:\b\50%.tmp)"};
  auto real = std::move(host_.platform().files);
  host_.platform().files = std::move(failing);
  const FileDeleteOutcome outcome = Delete(true);
  host_.platform().files = std::move(real);

  EXPECT_EQ(outcome.keptUnopened, 1);
  EXPECT_EQ(outcome.keptChanged, 0);
  EXPECT_EQ(outcome.deleted, 1);
  EXPECT_EQ(outcome.queued, 1);  // the file in use is still checked, backed up and queued
  EXPECT_TRUE(Exists(R"(C:\a\two words.tmp)"));
  EXPECT_FALSE(Exists(R"(C:\a\one.tmp)"));
  EXPECT_TRUE(Told(R"(1 files could not be opened to be checked (Too many open files): C:\a\two words.tmp.)"))
      << sink_.questions.front().text;
  EXPECT_FALSE(Told("changed since the Find"));
  const auto stays = std::find_if(list_.begin(), list_.end(), [](const ResultRow& row) { return row.columns[0] == "two words.tmp"; });
  ASSERT_NE(stays, list_.end());
  EXPECT_TRUE(stays->checked);
  EXPECT_NE(std::find(outcome.kept.begin(), outcome.kept.end(), R"(C:\a\two words.tmp)"), outcome.kept.end());
}

// Files are deleted several at once, and every outcome still follows the list's order as one
// at a time would give it: a folder's row comes after the rows of the files in it, and its
// folder, empty by then, goes too (a folder with a file left in it could not go).
TEST_F(JunkDeleteTest, AFolderRowAfterTheRowsOfItsFilesFindsItEmptyAndGoes) {
  list_.clear();
  constexpr int kFolders = 40;
  for (int f = 0; f < kFolders; ++f) {
    const std::string folder = R"(C:\cache\)" + std::to_string(f);
    for (const char* name : {R"(\a.tmp)", R"(\b.tmp)", R"(\c.tmp)"}) {
      host_.MakeFile(folder + name, "cached");
      list_.push_back(Listed(folder + name));
    }
    list_.push_back(Listed(folder));
    ASSERT_TRUE(list_.back().checked);
  }
  const FileDeleteOutcome outcome = Delete(false);
  EXPECT_EQ(outcome.deleted, 4 * kFolders);
  EXPECT_EQ(outcome.queued + outcome.notQueued, 0);
  EXPECT_TRUE(list_.empty());
  EXPECT_TRUE(fs::is_empty(host_.Host(R"(C:\cache)")));
}

// Files held by another program (Linux has no such locks: the file system refuses them for
// removal, as Windows does a file in use) among many that go at once: the batch names them,
// and the list and the outcome keep them, in the list's order.
TEST_F(JunkDeleteTest, FilesThatStayAreQueuedAndKeptInTheListsOrder) {
  auto held = std::make_unique<HeldFiles>(host_.files());
  HeldFiles& files = *held;
  auto real = std::move(host_.platform().files);
  host_.platform().files = std::move(held);
  list_.clear();
  std::vector<std::string> stay;
  for (int i = 0; i < 300; ++i) {
    const std::string path = R"(C:\many\)" + std::to_string(i % 7) + R"(\)" + std::to_string(i) + ".tmp";
    host_.MakeFile(path, "row " + std::to_string(i));
    if (i % 11 == 3) {
      files.held.push_back(path);
      stay.push_back(path);
    }
  }
  for (int i = 0; i < 300; ++i) {
    list_.push_back(Listed(R"(C:\many\)" + std::to_string(i % 7) + R"(\)" + std::to_string(i) + ".tmp"));
  }
  const FileDeleteOutcome outcome = Delete(false);
  host_.platform().files = std::move(real);

  EXPECT_EQ(outcome.deleted, 300 - static_cast<int>(stay.size()));
  EXPECT_EQ(outcome.queued, static_cast<int>(stay.size()));
  EXPECT_EQ(outcome.kept, stay);
  std::vector<std::string> queued;
  for (const std::string& line : BatchLines()) {
    if (line.starts_with(R"(@del "C:\many\)")) {
      queued.push_back(line.substr(6));  // the batch leaves the last quote open, as "del" takes it
    }
  }
  EXPECT_EQ(queued, stay);
  std::vector<std::string> left;
  for (const ResultRow& row : list_) {
    left.push_back(FullPathOfRow(row));
  }
  EXPECT_EQ(left, stay);
  for (const std::string& path : stay) {
    EXPECT_TRUE(Exists(path)) << path;
  }
}

// A file system that swaps a link in for the folder C:\junkdir at the first use of a checked
// file: when the archive first reads one, or when the first is deleted. A symbolic link on the
// host stands for the junction an attacker would put there on Windows.
class SwapsAtTheFirstUse final : public test::ForwardingFileSystem {
 public:
  SwapsAtTheFirstUse(platform::FileSystem& real, std::function<void()> swap)
      : ForwardingFileSystem(real), swap_(std::move(swap)) {}

  Result<std::unique_ptr<platform::ListedFile>> OpenListedFile(std::string_view path,
                                                               platform::ListedAccess access) override {
    auto opened = real_.OpenListedFile(path, access);
    if (!opened) {
      return opened;
    }
    return std::unique_ptr<platform::ListedFile>(std::make_unique<Swapping>(*this, std::move(*opened)));
  }

 private:
  // Workers delete several files at once: the swap is made once, by whichever comes first.
  void SwapOnce() {
    std::call_once(swapped_, swap_);
  }

  class Swapping final : public platform::ListedFile {
   public:
    Swapping(SwapsAtTheFirstUse& owner, std::unique_ptr<platform::ListedFile> real)
        : owner_(owner), real_(std::move(real)) {}
    [[nodiscard]] platform::FileIdentity Identity() const override { return real_->Identity(); }
    Result<platform::FolderEntry> Describe() override { return real_->Describe(); }
    Result<std::string> FinalPath() override { return real_->FinalPath(); }
    Result<std::unique_ptr<platform::FileReader>> Reader() override {
      owner_.SwapOnce();
      return real_->Reader();
    }
    Status DeleteThroughHandle() override {
      owner_.SwapOnce();
      return real_->DeleteThroughHandle();
    }

   private:
    SwapsAtTheFirstUse& owner_;
    std::unique_ptr<platform::ListedFile> real_;
  };

  std::function<void()> swap_;
  std::once_flag swapped_;
};

// The folder of the listed files is moved away and a link to the user's documents, which hold
// files of the same names, sizes and times, put at its name after every file was checked, as
// the files are read into the archive or deleted, several at once. What was checked is what
// goes: the junk files, moved with their folder, are backed up and deleted through the handles
// that checked them; not one document is touched, and the archive holds the junk.
TEST_F(JunkDeleteTest, AFolderSwappedForALinkAfterTheCheckDeletesTheCheckedFilesOnly) {
  constexpr int kFiles = 60;
  const auto name = [](int i) { return "report" + std::to_string(i) + ".tmp"; };
  for (const bool backup : {false, true}) {
    SCOPED_TRACE(backup ? "swapped as the archive reads" : "swapped as the files are deleted");
    for (const char* folder : {R"(C:\junkdir)", R"(C:\junkdir.moved)", R"(C:\Users)", R"(C:\restored)"}) {
      fs::remove_all(host_.Host(folder));
    }
    list_.clear();
    for (int i = 0; i < kFiles; ++i) {
      const std::string junk = R"(C:\junkdir\)" + name(i);
      const std::string document = R"(C:\Users\ann\Documents\)" + name(i);
      host_.MakeFile(junk, "junk " + std::to_string(1000 + i));
      host_.MakeFile(document, "mine " + std::to_string(1000 + i));
      fs::last_write_time(host_.Host(document), fs::last_write_time(host_.Host(junk)));
      list_.push_back(Listed(junk));
    }
    auto swapping = std::make_unique<SwapsAtTheFirstUse>(host_.files(), [this] {
      fs::rename(host_.Host(R"(C:\junkdir)"), host_.Host(R"(C:\junkdir.moved)"));
      fs::create_directory_symlink(host_.Host(R"(C:\Users\ann\Documents)"), host_.Host(R"(C:\junkdir)"));
    });
    auto real = std::move(host_.platform().files);
    host_.platform().files = std::move(swapping);
    const FileDeleteOutcome outcome = Delete(backup);
    host_.platform().files = std::move(real);

    ASSERT_TRUE(fs::is_symlink(host_.Host(R"(C:\junkdir)"))) << "the swap was made";
    EXPECT_EQ(outcome.deleted, kFiles);
    EXPECT_TRUE(list_.empty());
    EXPECT_TRUE(fs::is_empty(host_.Host(R"(C:\junkdir.moved)")));
    for (int i = 0; i < kFiles; ++i) {
      EXPECT_EQ(test::ReadFileBytes(host_.Host(R"(C:\Users\ann\Documents\)" + name(i))), "mine " + std::to_string(1000 + i))
          << name(i);
    }
    if (backup) {
      backup::TBackupFile archive(host_.files(), host_.system());
      archive.RestoreFullPath = true;
      ASSERT_TRUE(archive.Restore(outcome.archive, R"(C:\restored)").succeeded);
      for (int i = 0; i < kFiles; ++i) {
        EXPECT_EQ(test::ReadFileBytes(host_.Host(R"(C:\restored\junkdir\)" + name(i))), "junk " + std::to_string(1000 + i))
            << name(i);
      }
    }
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
  ASSERT_EQ(lines.size(), 15U);
  EXPECT_EQ(lines[9], R"(@echo  C:\a b\50%% ^& more.tmp)");
  EXPECT_EQ(lines[10], R"(@del "C:\a b\50%% & more.tmp)");
  EXPECT_EQ(lines[12], "@del \"C:\\caf\xE9.tmp");
  EXPECT_EQ(lines[13], R"(@del "C:\Program Files\Sweep 100%%\clean.bat" >nul)");
  EXPECT_EQ(lines[6],
            "@echo * The last message \"Batch file missing, File not found\" is not an error message. It is generated "
            "when the batch deletes itself.");
  // Every line but the deletions and the end echoes, clears or deletes: no program is started.
  for (const std::string& line : lines) {
    EXPECT_TRUE(line == "cls" || line.starts_with("@echo ") || line.starts_with("@del \"") || line == "@CLS >nul")
        << line;
  }
}

}  // namespace
}  // namespace sw::files
