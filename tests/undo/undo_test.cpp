// Undo of history entries on real files and a registry: the host stand-ins natively, kernel32
// and Wine's registry under Wine. A Files Delete's entry is written by its own record (the
// archive packed by the archive component); the Software page's removed entry is saved here
// as that engine saves it, since its key must be a test key of its own.

#include "undo/undo.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "backup/backup_file.h"
#include "cli/cli_app.h"
#include "core/text.h"
#include "core/win_path.h"
#include "files/delete_record.h"
#include "registry/reg_export.h"
#include "registry/registry_clean.h"
#include "registry/registry_paths.h"
#include "support/cli_runner.h"
#include "support/recording_sink.h"
#include "support/registries.h"
#include "support/registry_state.h"
#include "support/temp_folder.h"
#include "undo/deleted_files.h"
#include "undo/history_rows.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "support/overridden_system.h"
#else
#include "platform/host/host_file_system.h"
#include "platform/host/host_system.h"
#include "platform/host/memory_registry.h"
#endif

namespace sw::undo {
namespace {

using platform::RootKey;
using Lines = std::vector<std::string>;

class UndoTest : public ::testing::Test, protected test::CliRunner {
 protected:
  UndoTest() {
#ifdef _WIN32
    base_ = AddTrailingBackslash(test::Utf8Of(temp_.path()));
    platform_.files = std::make_unique<platform::win32::Win32FileSystem>();
    auto system = std::make_unique<test::OverriddenSystem>(base_ + "data");
    system->admin = true;
    platform_.system = std::move(system);
    platform_.registry = std::make_unique<platform::win32::Win32Registry>();
#else
    base_ = "C:\\";
    platform_.files = std::make_unique<platform::host::HostFileSystem>(
        std::vector<platform::host::DriveMapping>{{'C', temp_.path()}, {'T', systemTemp_.path()}}, "T:\\");
    platform_.system = std::make_unique<platform::host::HostSystem>();
    platform_.registry = std::make_unique<platform::host::MemoryRegistry>();
#endif
    platform_.folders = platform::PortableFolders(base_ + "data");
    EXPECT_TRUE(platform_.files->CreateFolders(base_ + "data"));
    logOwner_ = std::make_unique<history::HistoryLog>(platform_);
    key_ = test::UniqueTestKeyPath("Undo");
  }
  ~UndoTest() override {
    (void)reg::RegDeleteKeyAt(*platform_.registry, RootKey::CurrentUser, key_, true);
  }

  history::HistoryLog& Log() {
    return *logOwner_;
  }
  std::string At(std::string_view sub) const {
    return base_ + std::string(sub);
  }
  std::filesystem::path Host(std::string_view sub) const {
    std::string relative(sub);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return temp_.path() / test::PathOfUtf8(relative);
  }

  // A file with its contents and a last-write time of its own (an odd number of ticks: the
  // archive keeps two seconds only).
  DeletedFile Plant(std::string_view sub, std::string_view contents, std::uint64_t ticks) {
    std::filesystem::create_directories(Host(sub).parent_path());
    test::WriteFileBytes(Host(sub), contents);
    EXPECT_TRUE(platform_.files->SetTimes(At(sub), platform::FileTimes{{}, {}, FileTime{ticks}}));
    return DeletedFile{At(sub), FileTime{ticks}, contents.size()};
  }

  // What Files Delete with its backup leaves: the archive, the entry begun with its list of
  // files, and the files gone, the first `deleted` of them (all: -1). The entry ends unless
  // the deletion was interrupted.
  void DeleteWithBackup(const std::vector<DeletedFile>& files, int deleted = -1, bool interrupted = false) {
    std::vector<std::string> names;
    std::vector<files::RecordedFile> stored;
    std::uint64_t bytes = 0;
    for (const auto& file : files) {
      names.push_back(file.path);
      stored.push_back({file.path, file.lastWrite, file.size});
      bytes += file.size;
    }
    const std::string archive = At("data\\zq1.bck");
    backup::TBackupFile packer(*platform_.files, *platform_.system);
    ASSERT_TRUE(packer.Backup(names, archive));
    // The Files Delete's own record, so that what it writes is what the undo reads.
    files::DeleteRecord record{history::HistoryLog(platform_)};
    ASSERT_TRUE(record.Begin("Files Cleaning page", files.size(), bytes, names, archive, stored));
    for (std::size_t i = 0; i < files.size() && (deleted < 0 || static_cast<int>(i) < deleted); ++i) {
      ASSERT_TRUE(platform_.files->RemoveFile(files[i].path));
    }
    if (!interrupted) {
      record.Complete(files.size(), bytes, names, 0, "");
    }
  }

  FileTime LastWrite(std::string_view sub) {
    auto times = platform_.files->TimesOf(At(sub));
    return times ? times->lastWrite : FileTime{};
  }

  nlohmann::json History() {
    EXPECT_EQ(RunOn(platform_, {"history", "--json"}), cli::kExitSuccess) << err_;
    return nlohmann::json::parse(out_)["entries"];
  }

  test::TempFolder temp_;
  test::TempFolder systemTemp_;
  std::string base_;
  platform::Platform platform_;
  std::unique_ptr<history::HistoryLog> logOwner_;  // made once the platform is
  std::string key_;
};

TEST_F(UndoTest, FilesComeBackToTheirThreeFoldersWithTheirExactNamesAndTimesAndNeverOverAFileThereNow) {
  const std::vector<DeletedFile> files{
      Plant("One\\Report.TMP", "report", 133'000'000'000'000'001ULL),
      Plant("Two\\Sub Folder\\\xC3\x9Cn\xC3\xAF"
            "code \xC3\x87.log",
            "unicode", 133'000'000'000'000'003ULL),
      Plant("Three\\MixedCase.Bak", "mixed", 133'000'000'000'000'005ULL),
      Plant("Three\\again.txt", "the deleted one", 133'000'000'000'000'007ULL),
  };
  DeleteWithBackup(files);
  std::filesystem::remove_all(Host("Two"));  // its folder went too
  test::WriteFileBytes(Host("Three\\again.txt"), "written since");

  // The undo, as the console runs it.
  EXPECT_EQ(RunOn(platform_, {"undo", "1", "--json"}), cli::kExitFailure) << "no console, no --yes";
  EXPECT_FALSE(std::filesystem::exists(Host("One\\Report.TMP")));
  EXPECT_EQ(RunOn(platform_, {"undo", "--yes", "1", "--json"}), cli::kExitFailure) << err_;  // not all came back whole
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["summary"], "3 files back in their folders");
  ASSERT_EQ(result["details"].size(), 1U);
  EXPECT_EQ(result["details"][0],
            At("Three\\again.txt") + " is there now; the restored copy is " + At("Three\\again (restored).txt"));

  // Exact names, letter case included (the archive's own list is lower case), exact times.
  const std::set<std::string> expected{"One/Report.TMP",
                                       "Two/Sub Folder/\xC3\x9Cn\xC3\xAF"
                                       "code \xC3\x87.log",
                                       "Three/MixedCase.Bak", "Three/again.txt", "Three/again (restored).txt"};
  std::set<std::string> below = test::FilesBelow(temp_.path());
  for (auto name = below.begin(); name != below.end();) {
    name = name->starts_with("data/") ? below.erase(name) : std::next(name);
  }
  EXPECT_EQ(below, expected);
  EXPECT_EQ(test::ReadFileBytes(Host("One\\Report.TMP")), "report");
  EXPECT_EQ(LastWrite("One\\Report.TMP").ticks, 133'000'000'000'000'001ULL);
  EXPECT_EQ(LastWrite("Two\\Sub Folder\\\xC3\x9Cn\xC3\xAF"
                      "code \xC3\x87.log")
                .ticks,
            133'000'000'000'000'003ULL);
  EXPECT_EQ(test::ReadFileBytes(Host("Three\\again.txt")), "written since") << "never overwritten";
  EXPECT_EQ(test::ReadFileBytes(Host("Three\\again (restored).txt")), "the deleted one");
  EXPECT_EQ(LastWrite("Three\\again (restored).txt").ticks, 133'000'000'000'000'007ULL);

  // The deletion is undone (a copy named beside a later file is no failure), the undo is an
  // entry of its own, and a second undo is refused.
  const auto entries = History();
  ASSERT_EQ(entries.size(), 2U);
  EXPECT_EQ(entries[0]["action"], "undo");
  EXPECT_EQ(entries[0]["state"], "done");
  EXPECT_EQ(entries[1]["state"], "undone");
  EXPECT_EQ(entries[1]["undoable"], false);
  EXPECT_EQ(RunOn(platform_, {"undo", "1", "--yes"}), cli::kExitFailure);
  EXPECT_NE(err_.find("Entry 1 cannot be undone: it was undone already."), std::string::npos) << err_;
  EXPECT_EQ(RunOn(platform_, {"undo", "2", "--yes"}), cli::kExitFailure);
  EXPECT_NE(err_.find("an undo cannot itself be undone"), std::string::npos) << err_;
}

// A deletion that never ended (its program was ended mid-way: the start is in the history,
// the end is not) is shown as interrupted, and its undo brings back what it deleted and leaves
// the files it never reached.
TEST_F(UndoTest, AnInterruptedDeletionShowsAsInterruptedAndUndoesWhatItDeleted) {
  const std::vector<DeletedFile> files{
      Plant("Temp\\a.tmp", "alpha", 133'100'000'000'000'000ULL),
      Plant("Temp\\B.tmp", "bravo", 133'100'000'000'000'011ULL),
      Plant("Cache\\c.tmp", "charlie", 133'100'000'000'000'021ULL),
  };
  DeleteWithBackup(files, /*deleted=*/2, /*interrupted=*/true);
  auto entries = History();
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0]["state"], "interrupted");
  EXPECT_EQ(entries[0]["undoable"], true);
  EXPECT_EQ(entries[0]["backups"], nlohmann::json::array({At("data\\zq1.bck")}));

  ASSERT_EQ(RunOn(platform_, {"undo", "1", "--yes", "--json"}), cli::kExitSuccess) << err_;
  EXPECT_EQ(nlohmann::json::parse(out_)["summary"], "2 files back in their folders, 1 never deleted");
  EXPECT_EQ(test::ReadFileBytes(Host("Temp\\a.tmp")), "alpha");
  EXPECT_EQ(test::ReadFileBytes(Host("Temp\\B.tmp")), "bravo");
  EXPECT_EQ(test::ReadFileBytes(Host("Cache\\c.tmp")), "charlie");
  EXPECT_FALSE(std::filesystem::exists(Host("Cache\\c (restored).tmp")));
  entries = History();
  EXPECT_EQ(entries[1]["state"], "undone");
}

// A folder of the deleted files replaced by a link since (a host symbolic link, which the host
// stand-in shows as a reparse point): nothing is written through it, the file stays in the
// archive and is named.
TEST_F(UndoTest, NothingIsRestoredThroughALink) {
#ifdef _WIN32
  GTEST_SKIP() << "a link made by this program does not show as a reparse point under Wine; covered natively";
#endif
  const std::vector<DeletedFile> files{Plant("Victim\\x.tmp", "x", 133'200'000'000'000'000ULL),
                                       Plant("Fine\\y.tmp", "y", 133'200'000'000'000'000ULL)};
  DeleteWithBackup(files);
  std::filesystem::remove_all(Host("Victim"));
  std::filesystem::create_directories(Host("Elsewhere"));
  std::filesystem::create_directory_symlink(Host("Elsewhere"), Host("Victim"));

  test::RecordingSink sink;
  const UndoOutcome outcome = Undo(platform_, Log(), 1, sink);
  EXPECT_FALSE(outcome.complete);
  EXPECT_EQ(outcome.summary, "1 files back in their folders");
  ASSERT_EQ(outcome.details.size(), 1U);
  EXPECT_EQ(outcome.details[0],
            At("Victim\\x.tmp") + ": a folder on the way is a link, and nothing is restored through one; it stays in " +
                At("data\\zq1.bck"));
  EXPECT_TRUE(std::filesystem::is_empty(Host("Elsewhere")));
  EXPECT_EQ(test::ReadFileBytes(Host("Fine\\y.tmp")), "y");
  EXPECT_EQ(sink.questions.back().kind, MessageKind::Warning);
  // Not everything came back: the entry stays undoable, and the next try finds the rest.
  const auto entries = History();
  EXPECT_EQ(entries[1]["state"], "done");
  EXPECT_EQ(entries[0]["state"], "failed");
}

TEST_F(UndoTest, RemovedRegistryValuesComeBackExceptOneSetAgainSince) {
  for (const auto& [name, data] : {std::pair{"a", "C:\\Gone\\a.exe"}, {"b", "C:\\Gone\\b.exe"}}) {
    ASSERT_TRUE(reg::RegWriteString(*platform_.registry, RootKey::CurrentUser, key_ + "\\" + name, data));
  }
  std::vector<ResultRow> rows;
  for (const char* name : {"a", "b"}) {
    ResultRow row;
    row.columns = {"HKEY_CURRENT_USER: " + key_, name, "", ""};
    rows.push_back(row);
  }
  reg::RegistryObject object(*platform_.registry);
  test::RecordingSink sink;
  sink.SetOrigin("Registry Cleaning page");
  const reg::RegistryCleanOutcome removed = reg::CleanRegistry(rows, true, platform_, object, sink);
  ASSERT_EQ(removed.removed, 2);
  ASSERT_TRUE(reg::RegWriteString(*platform_.registry, RootKey::CurrentUser, key_ + "\\b", "set again"));

  auto entries = History();
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0]["action"], "registry-removed");
  EXPECT_EQ(entries[0]["origin"], "Registry Cleaning page");
  EXPECT_EQ(entries[0]["backups"][0], removed.backupFile);
  EXPECT_EQ(entries[0]["names"][0], "HKEY_CURRENT_USER\\" + key_ + "\\a");

  ASSERT_EQ(RunOn(platform_, {"undo", "1", "--json", "--yes"}), cli::kExitFailure) << err_;
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["details"],
            nlohmann::json::array({"HKEY_CURRENT_USER\\" + key_ + "\\b: changed since; left as it is"}));
  EXPECT_EQ(reg::RegReadString(*platform_.registry, RootKey::CurrentUser, key_ + "\\a"), "C:\\Gone\\a.exe");
  EXPECT_EQ(reg::RegReadString(*platform_.registry, RootKey::CurrentUser, key_ + "\\b"), "set again");
  EXPECT_EQ(History()[1]["state"], "undone");

  // Without a backup there is nothing to undo with, and the history says so.
  ASSERT_TRUE(reg::RegWriteString(*platform_.registry, RootKey::CurrentUser, key_ + "\\c", "C:\\Gone\\c.exe"));
  rows = {rows[0]};
  rows[0].columns[1] = "c";
  (void)reg::CleanRegistry(rows, false, platform_, object, sink);
  entries = History();
  EXPECT_EQ(entries[0]["not_undoable"], "no backup was asked for.");
  EXPECT_EQ(RunOn(platform_, {"undo", "3", "--yes"}), cli::kExitFailure);
  EXPECT_NE(err_.find("Entry 3 cannot be undone: no backup was asked for."), std::string::npos) << err_;
}

// An uninstall entry removed after its uninstaller left it, saved first as the Software page
// saves it: its undo brings the whole key back.
TEST_F(UndoTest, ARemovedUninstallEntryComesBackWhole) {
  const std::string entryKey = key_ + "\\Uninstall\\{6F1B-Example}";
  ASSERT_TRUE(reg::RegWriteString(*platform_.registry, RootKey::CurrentUser, entryKey + "\\DisplayName", "Example"));
  ASSERT_TRUE(reg::RegWriteDword(*platform_.registry, RootKey::CurrentUser, entryKey + "\\EstimatedSize", 1234));
  ASSERT_TRUE(reg::RegWriteString(*platform_.registry, RootKey::CurrentUser, entryKey + "\\Parts\\Name", "part"));
  const Lines before = test::DescribeKeyTree(*platform_.registry, RootKey::CurrentUser, entryKey);
  auto saved = reg::SaveNumberedRegFile(*platform_.files, *platform_.system, platform_.folders.data,
                                        reg::ExportKeyTreeFile(platform_, RootKey::CurrentUser, entryKey), "regbackup");
  ASSERT_TRUE(saved);
  history::Entry start;
  start.action = history::Action::EntryRemoved;
  start.origin = "Software page";
  start.summary = "Removed the entry of Example";
  start.count = 1;
  start.names = {"Example"};
  start.backups = {*saved};
  history::Recording recording(Log(), start);
  ASSERT_TRUE(reg::RegDeleteKeyAt(*platform_.registry, RootKey::CurrentUser, entryKey, true));
  ASSERT_TRUE(recording.Complete(history::EntryState::Done));

  ASSERT_EQ(RunOn(platform_, {"undo", "1", "--yes"}), cli::kExitSuccess) << err_;
  EXPECT_EQ(test::DescribeKeyTree(*platform_.registry, RootKey::CurrentUser, entryKey), before);
}

// Uninstallers and updates leave nothing to put back; the reason is said and nothing changes.
TEST_F(UndoTest, EntriesThatCannotBeUndoneSayWhy) {
  for (const auto action : {history::Action::Uninstalled, history::Action::UpdateInstalled}) {
    history::Entry entry;
    entry.action = action;
    history::Recording recording(Log(), entry);
    ASSERT_TRUE(recording.Complete(history::EntryState::Done));
  }
  EXPECT_EQ(RunOn(platform_, {"undo", "1", "--yes"}), cli::kExitFailure);
  EXPECT_NE(err_.find("Entry 1 cannot be undone: what an uninstaller removed cannot be put back"), std::string::npos);
  EXPECT_EQ(RunOn(platform_, {"undo", "2", "--yes"}), cli::kExitFailure);
  EXPECT_NE(err_.find("Entry 2 cannot be undone: an installed update cannot be taken back"), std::string::npos);
  EXPECT_EQ(RunOn(platform_, {"undo", "9", "--yes"}), cli::kExitFailure);
  EXPECT_NE(err_.find("There is no entry 9 in the history."), std::string::npos);
  EXPECT_EQ(RunOn(platform_, {"undo", "0", "--yes"}), cli::kExitUsage);
  EXPECT_EQ(History().size(), 2U) << "a refused undo is no entry";
}

TEST(DeletedFileList, ReadsItsLinesAndNamesCopiesBeside) {
  std::size_t unreadable = 0;
  const auto files = ReadDeletedFiles(
      {"C:\\Temp\\Report.TMP\t133000000000000001\t42", "C:\\a\\b.c\tnot a time\t1", "no tabs", "", "\t1\t2"},
      unreadable);
  ASSERT_EQ(files.size(), 1U);
  EXPECT_EQ(files[0].path, "C:\\Temp\\Report.TMP");
  EXPECT_EQ(files[0].lastWrite.ticks, 133000000000000001ULL);
  EXPECT_EQ(files[0].size, 42U);
  EXPECT_EQ(unreadable, 3U);
  EXPECT_EQ(DeletedFileLine(files[0]), "C:\\Temp\\Report.TMP\t133000000000000001\t42");
  EXPECT_EQ(BesideName("C:\\T\\Report.TMP", 1), "C:\\T\\Report (restored).TMP");
  EXPECT_EQ(BesideName("C:\\T\\archive.tar.gz", 2), "C:\\T\\archive.tar (restored 2).gz");
  EXPECT_EQ(BesideName("C:\\T\\.profile", 1), "C:\\T\\.profile (restored)");
  EXPECT_EQ(BesideName("C:\\T\\README", 3), "C:\\T\\README (restored 3)");
}

}  // namespace
}  // namespace sw::undo
