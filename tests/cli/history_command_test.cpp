// sweepwise-cli history | undo, in-process on the host stand-ins, after one change of each
// kind: those this program's commands make (Registry Delete, tweak Apply and Restore) through
// the commands, those of the Files and Software pages and of the update as their engines
// write them.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "backup/backup_file.h"
#include "cli/cli_app.h"
#include "history/history_log.h"
#include "registry/reg_export.h"
#include "registry/registry_clean.h"
#include "registry/registry_paths.h"
#include "support/cli_runner.h"
#include "support/host_platform.h"
#include "undo/deleted_files.h"

namespace sw::cli {
namespace {

using platform::RootKey;

constexpr const char* kTrackProgs = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced\Start_TrackProgs)";
constexpr const char* kEntryKey = R"(Software\Microsoft\Windows\CurrentVersion\Uninstall\Example)";

class HistoryCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  HistoryCommand() {
    host_.system().SetVersion(platform::VersionRecord{platform::kPlatformNt, 10, 0, 19045});
    host_.MakeFolder("C:\\Program");
  }

  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }
  nlohmann::json Entries() {
    EXPECT_EQ(Run({"history", "--json"}), kExitSuccess) << err_;
    return nlohmann::json::parse(out_)["entries"];
  }

  // Files Delete with its backup, as the Files page records it.
  void DeleteFiles() {
    host_.MakeFile("C:\\Temp\\Report.TMP", "report");
    backup::TBackupFile packer(host_.files(), host_.system());
    ASSERT_TRUE(packer.Backup({"C:\\Temp\\Report.TMP"}, "C:\\Program\\zq1.bck"));
    const auto times = host_.files().TimesOf("C:\\Temp\\Report.TMP");
    history::HistoryLog log(host_.platform());
    history::Entry start;
    start.action = history::Action::FilesDeleted;
    start.origin = "Files Cleaning page";
    start.summary = "Deleted 1 files";
    start.count = 1;
    start.bytes = 6;
    start.names = {"C:\\Temp\\Report.TMP"};
    start.backups = {"C:\\Program\\zq1.bck"};
    history::Recording recording(log, start);
    ASSERT_TRUE(recording.WriteItems({undo::DeletedFileLine({"C:\\Temp\\Report.TMP", times->lastWrite, 6})}));
    ASSERT_TRUE(host_.files().RemoveFile("C:\\Temp\\Report.TMP"));
    ASSERT_TRUE(recording.Complete(history::EntryState::Done));
  }

  // An uninstall whose uninstaller left its entry, removed after its backup, as the Software
  // page records them; and an update.
  void Uninstall() {
    ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser, std::string(kEntryKey) + "\\DisplayName",
                                    "Example"));
    history::HistoryLog log(host_.platform());
    history::Entry ran;
    ran.action = history::Action::Uninstalled;
    ran.origin = "sweepwise-cli uninstall";
    ran.summary = "Ran the uninstaller of Example";
    ran.names = {"Example"};
    ran.notUndoable = "An uninstaller's work cannot be undone.";
    history::Recording uninstalled(log, ran);
    ASSERT_TRUE(uninstalled.Complete(history::EntryState::Done));
    auto saved = reg::SaveNumberedRegFile(host_.files(), host_.system(), "C:\\Program",
                                          reg::ExportKeyTreeFile(host_.platform(), RootKey::CurrentUser, kEntryKey),
                                          "regbackup");
    ASSERT_TRUE(saved);
    history::Entry removed;
    removed.action = history::Action::EntryRemoved;
    removed.origin = "sweepwise-cli uninstall";
    removed.summary = "Removed the entry of Example, which its uninstaller left";
    removed.count = 1;
    removed.names = {"Example"};
    removed.backups = {*saved};
    history::Recording entryRemoved(log, removed);
    ASSERT_TRUE(reg::RegDeleteKeyAt(host_.registry(), RootKey::CurrentUser, kEntryKey, true));
    ASSERT_TRUE(entryRemoved.Complete(history::EntryState::Done));
    history::Entry update;
    update.action = history::Action::UpdateInstalled;
    update.origin = "sweepwise-cli update install";
    update.summary = "Installed version 3.6.0";
    history::Recording updated(log, update);
    ASSERT_TRUE(updated.Complete(history::EntryState::Done));
  }

  test::HostPlatform host_;
};

TEST_F(HistoryCommand, ListsOneChangeOfEachKindNewestFirstAndUndoesEach) {
  DeleteFiles();
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser, "Software\\Gone\\path", "C:\\Gone\\a.exe"));
  ASSERT_EQ(Run({"delete", "registry", "--backup", "--yes"}), kExitSuccess) << err_;
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::CurrentUser, kTrackProgs, 12345));
  ASSERT_EQ(Run({"tweaks", "apply", "Do not track program launches", "--yes"}), kExitSuccess) << err_;
  Uninstall();

  nlohmann::json entries = Entries();
  ASSERT_EQ(entries.size(), 6U);
  std::vector<std::string> actions;
  for (const auto& entry : entries) {
    actions.push_back(entry["action"]);
    EXPECT_EQ(entry["state"], "done") << entry["action"];
  }
  EXPECT_EQ(actions, (std::vector<std::string>{"update-installed", "entry-removed", "uninstalled", "tweaks-applied",
                                               "registry-removed", "files-deleted"}));
  EXPECT_EQ(entries[0]["undoable"], false);
  EXPECT_EQ(entries[2]["undoable"], false);
  EXPECT_EQ(entries[3]["origin"], "sweepwise-cli tweaks apply");
  EXPECT_EQ(entries[3]["names"], nlohmann::json::array({"Do not track program launches"}));
  EXPECT_EQ(entries[4]["origin"], "sweepwise-cli delete registry");
  EXPECT_EQ(entries[4]["backups"], nlohmann::json::array({"C:\\Program\\regbackup000.reg"}));
  EXPECT_EQ(entries[5]["id"], 1);

  // The console's lines: number, date, action, size, state, summary, origin.
  ASSERT_EQ(Run({"history"}), kExitSuccess);
  EXPECT_NE(out_.find("#6\t"), std::string::npos);
  EXPECT_NE(out_.find("\tFiles deleted\t1 files, 0 KB\tdone\tDeleted 1 files\tFiles Cleaning page\n"),
            std::string::npos)
      << out_;

  // Each that can be undone, newest first; those that cannot say why.
  EXPECT_EQ(Run({"undo", "6", "--yes"}), kExitFailure);
  EXPECT_NE(err_.find("an installed update cannot be taken back"), std::string::npos) << err_;
  ASSERT_EQ(Run({"undo", "5", "--yes"}), kExitSuccess) << err_;
  EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, std::string(kEntryKey) + "\\DisplayName"),
            "Example");
  EXPECT_EQ(Run({"undo", "4", "--yes"}), kExitFailure);
  ASSERT_EQ(Run({"undo", "3", "--yes", "--json"}), kExitSuccess) << err_;
  EXPECT_EQ(nlohmann::json::parse(out_)["summary"], "1 of 1 registry values as they were before");
  EXPECT_EQ(reg::RegReadBinary(host_.registry(), RootKey::CurrentUser, kTrackProgs), std::nullopt) << "a DWORD";
  ASSERT_EQ(Run({"undo", "2", "--yes"}), kExitSuccess) << err_;
  EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, "Software\\Gone\\path"), "C:\\Gone\\a.exe");
  ASSERT_EQ(Run({"undo", "1", "--yes"}), kExitSuccess) << err_;
  EXPECT_TRUE(host_.files().FileExists("C:\\Temp\\Report.TMP"));

  entries = Entries();
  ASSERT_EQ(entries.size(), 10U);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(entries[i]["action"], "undo");
  }
  for (const std::size_t undone : {5, 7, 8, 9}) {
    EXPECT_EQ(entries[undone]["state"], "undone") << entries[undone]["action"];
  }
}

TEST_F(HistoryCommand, UndoingATweakApplyPutsBackThatApplysValuesAndUndoingARestoreAppliesThemAgain) {
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::CurrentUser, kTrackProgs, 12345));
  ASSERT_EQ(Run({"tweaks", "apply", "Do not track program launches", "--yes"}), kExitSuccess) << err_;
  ASSERT_EQ(Run({"restore", "tweaks", "--yes"}), kExitSuccess) << err_;
  const auto trackProgs = [&] {
    auto root = host_.registry().OpenRoot(RootKey::CurrentUser);
    auto key =
        (*root)->Open(R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced)", platform::RegAccess::Read);
    auto value = key ? (*key)->Query("Start_TrackProgs") : Result<platform::RegValue>(Error(Errc::FileNotFound));
    return value ? static_cast<int>(value->data[0] | (value->data[1] << 8)) : -1;
  };
  EXPECT_EQ(trackProgs(), 12345);

  // Undo of the restore: the tweak's value again, and recorded, so a later restore undoes it.
  auto entries = Entries();
  ASSERT_EQ(entries[0]["action"], "tweaks-restored");
  ASSERT_EQ(Run({"undo", "2", "--yes"}), kExitSuccess) << err_;
  EXPECT_EQ(trackProgs(), 0);
  ASSERT_EQ(Run({"tweaks", "list", "--applied", "--json"}), kExitSuccess);
  EXPECT_NE(out_.find("Do not track program launches"), std::string::npos);
  ASSERT_EQ(Run({"restore", "tweaks", "--yes"}), kExitSuccess) << err_;
  EXPECT_EQ(trackProgs(), 12345);

  // Undo of the apply when its value was changed by hand since: left as it is, and named.
  ASSERT_EQ(Run({"tweaks", "apply", "Do not track program launches", "--yes"}), kExitSuccess) << err_;
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::CurrentUser, kTrackProgs, 7));
  entries = Entries();
  ASSERT_EQ(entries[0]["action"], "tweaks-applied");
  EXPECT_EQ(Run({"undo", std::to_string(entries[0]["id"].get<int>()), "--yes"}), kExitFailure);
  EXPECT_NE(err_.find("Start_TrackProgs: changed since Sweepwise applied it; left as it is"), std::string::npos)
      << err_;
  EXPECT_EQ(trackProgs(), 7);
}

}  // namespace
}  // namespace sw::cli
