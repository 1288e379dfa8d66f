// sweepwise-cli tweaks list | tweaks apply | restore ..., in-process on the host stand-ins.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "backup/backup_file.h"
#include "cli/cli_app.h"
#include "platform/host/host_system.h"
#include "registry/registry_paths.h"
#include "support/cli_runner.h"
#include "support/editor_stand_in.h"
#include "support/host_platform.h"

namespace sw::cli {
namespace {

using platform::RootKey;

constexpr const char* kMenuShowDelay = R"(Control Panel\Desktop\MenuShowDelay)";
constexpr const char* kNoCdBurning = R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\NoCDBurning)";

class TweaksCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  TweaksCommand() {
    host_.system().SetVersion(platform::VersionRecord{platform::kPlatformNt, 5, 1, 2600});  // XP
    EXPECT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser, kMenuShowDelay, "400"));
    test::UseEditorStandIn(host_.platform(), host_.processes());
  }

  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }

  std::vector<std::string> RowTitles() {
    std::vector<std::string> titles;
    const auto result = nlohmann::json::parse(out_);
    for (const auto& row : result["rows"]) {
      titles.push_back(row["columns"][0]);
    }
    return titles;
  }

  bool RestoreFileExists() { return std::filesystem::exists(host_.Host("C:\\Program\\default.reg")); }
  auto& starts() { return static_cast<platform::host::RecordingProcesses&>(*host_.platform().processes).starts(); }

  test::HostPlatform host_;
};

TEST_F(TweaksCommand, ListPrintsTheRowsOfATabAfterItsCheck) {
  ASSERT_EQ(Run({"tweaks", "list", "--tab", "0", "--json"}), kExitSuccess) << err_;
  const auto listed = nlohmann::json::parse(out_);
  EXPECT_EQ(listed["windows"], "Windows XP");
  EXPECT_EQ(listed["caption"], "Optimization");
  ASSERT_EQ(listed["rows"].size(), 11U);
  EXPECT_EQ(listed["rows"][0]["columns"][0], "Enable Automatic Boot Disk Optimization");
  EXPECT_EQ(listed["rows"][0]["columns"][1], "Optimization");
  EXPECT_EQ(listed["rows"][0]["image"], 0);
  EXPECT_EQ(listed["rows"][10]["columns"][0], "Increase File System Caching Memory");
  EXPECT_EQ(listed["rows"][10]["image"], 2);
  EXPECT_EQ(listed["rows"][10]["checked"], false);

  ASSERT_EQ(Run({"tweaks", "list", "--applied", "--json"}), kExitSuccess);
  EXPECT_EQ(RowTitles(), (std::vector<std::string>{"Repair the Taskbar", "Speed up internet explorer browsing"}));
  EXPECT_EQ(Run({"tweaks", "list", "--tab", "5"}), kExitUsage);
}

TEST_F(TweaksCommand, ApplyRefusesTitlesItCannotApplyAndChangesNothing) {
  EXPECT_EQ(Run({"tweaks", "apply", "Speed up menu display", "No such tweak", "--yes"}), kExitUsage);
  EXPECT_NE(err_.find("'No such tweak'"), std::string::npos);
  EXPECT_EQ(Run({"tweaks", "apply", "Speed up menu display", "Speed up shutdown process", "--yes"}), kExitUsage);
  EXPECT_NE(err_.find("not offered on Windows XP"), std::string::npos);
  EXPECT_EQ(Run({"tweaks", "apply", "Speed up menu display"}), kExitFailure);  // no console, no --yes
  EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, kMenuShowDelay), "400");
  EXPECT_FALSE(RestoreFileExists());
}

TEST_F(TweaksCommand, ApplyChecksTheRowsOnTheirTabsAndRestoreUndoesThem) {
  ASSERT_EQ(Run({"tweaks", "apply", "Speed up menu display", "Disable CD Burning", "--yes", "--json"}), kExitSuccess)
      << err_;
  const auto applied = nlohmann::json::parse(out_);
  EXPECT_EQ(applied["applied"].size(), 2U);
  EXPECT_TRUE(applied["not_in_effect"].empty());
  EXPECT_EQ(applied["restore_file"], "C:\\Program\\default.reg");
  EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, kMenuShowDelay), "0");
  EXPECT_TRUE(reg::RegValueExists(host_.registry(), RootKey::CurrentUser, kNoCdBurning));
  EXPECT_TRUE(RestoreFileExists());
  EXPECT_NE(err_.find("Selected tasks were applied."), std::string::npos);

  ASSERT_EQ(Run({"tweaks", "apply", "Speed up menu display", "--yes", "--json"}), kExitSuccess);
  EXPECT_EQ(nlohmann::json::parse(out_)["already_in_effect"], nlohmann::json::array({"Speed up menu display"}));

  EXPECT_EQ(Run({"restore", "tweaks"}), kExitFailure);  // no console, no --yes
  EXPECT_TRUE(starts().empty());
  ASSERT_EQ(Run({"restore", "tweaks", "--yes"}), kExitSuccess) << err_;
  ASSERT_EQ(starts().size(), 1U);
  EXPECT_EQ(starts()[0].commandLine, R"(REGEDIT.EXE /s "C:\Program\default.reg")");
  EXPECT_NE(out_.find("All tasks were restored to their original states."), std::string::npos);
}

TEST_F(TweaksCommand, RestoreCommandsReportWhatFails) {
  EXPECT_EQ(Run({"restore", "tweaks", "--yes", "--json"}), kExitSuccess);
  EXPECT_EQ(nlohmann::json::parse(out_)["status"], "All restorations were already done.");

  EXPECT_EQ(Run({"restore", "registry", "C:\\Program\\regbackup000.reg", "--yes"}), kExitFailure);
  host_.MakeFile("C:\\Program\\regbackup000.reg", "REGEDIT4\r\n");
  EXPECT_EQ(Run({"restore", "registry", "C:\\Program\\regbackup000.reg", "--yes"}), kExitSuccess) << err_;
  ASSERT_EQ(starts().size(), 1U);
  EXPECT_EQ(starts()[0].commandLine, R"(REGEDIT.EXE /s "C:\Program\regbackup000.reg")");

  host_.MakeFile("C:\\Data\\a.txt", "alpha");
  backup::TBackupFile packer(host_.files(), host_.system());
  ASSERT_TRUE(packer.Backup({"C:\\Data\\a.txt"}, "C:\\Program\\zq1.bck"));
  ASSERT_EQ(Run({"restore", "files", "C:\\Program\\zq1.bck", "--yes", "--json"}), kExitSuccess) << err_;
  EXPECT_EQ(nlohmann::json::parse(out_)["files_done"], 1);
  EXPECT_TRUE(host_.files().FileExists("C:\\restored_files\\Data\\a.txt"));
  EXPECT_NE(err_.find("Restored Files can be found in C:\\restored_files ."), std::string::npos);

  host_.MakeFile("C:\\Program\\zq2.bck", "This is no archive at all, only text.");
  EXPECT_EQ(Run({"restore", "files", "C:\\Program\\zq2.bck", "C:\\Other", "--yes"}), kExitFailure);
  EXPECT_NE(err_.find("sweepwise-cli: Cannot read archive"), std::string::npos);
  EXPECT_FALSE(host_.files().FolderExists("C:\\Other\\Data"));
}

}  // namespace
}  // namespace sw::cli
