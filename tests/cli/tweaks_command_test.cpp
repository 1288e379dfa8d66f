// sweepwise-cli tweaks list | tweaks apply | restore ..., in-process on the host stand-ins.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "backup/backup_file.h"
#include "cli/cli_app.h"
#include "platform/host/host_system.h"
#include "registry/registry_paths.h"
#include "support/cli_runner.h"
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
  EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, kMenuShowDelay), "0");
  ASSERT_EQ(Run({"restore", "--yes", "tweaks"}), kExitSuccess) << err_;
  EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, kMenuShowDelay), "400");
  EXPECT_FALSE(reg::RegValueExists(host_.registry(), RootKey::CurrentUser, kNoCdBurning));
  EXPECT_TRUE(starts().empty()) << "no registry editor";
  // Said once: as the status, where scripts read it, and not again on stderr.
  const std::string restored = "All tasks were restored to their original states.";
  EXPECT_EQ(out_, restored + "\n");
  EXPECT_EQ(err_.find(restored), std::string::npos) << err_;
  ASSERT_EQ(Run({"restore", "tweaks", "--yes"}), kExitSuccess) << err_;
  EXPECT_EQ(out_, "All restorations were already done.\n") << "nothing stale was left";
}

TEST_F(TweaksCommand, RestoreCommandsReportWhatFails) {
  EXPECT_EQ(Run({"restore", "tweaks", "--yes", "--json"}), kExitSuccess);
  EXPECT_EQ(nlohmann::json::parse(out_)["status"], "All restorations were already done.");

  EXPECT_EQ(Run({"restore", "registry", "C:\\Program\\regbackup000.reg", "--yes"}), kExitFailure);
  host_.MakeFile("C:\\Program\\regbackup000.reg",
                 "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Restored]\r\n\"v\"=\"back\"\r\n\"bad\"=hex:zz\r\n");
  EXPECT_EQ(Run({"restore", "registry", "C:\\Program\\regbackup000.reg", "--yes", "--json"}), kExitFailure);
  EXPECT_EQ(reg::RegReadString(host_.registry(), RootKey::CurrentUser, "Software\\Restored\\v"), "back");
  const auto damaged = nlohmann::json::parse(out_);
  ASSERT_EQ(damaged["not_written"].size(), 1U);
  EXPECT_EQ(damaged["not_written"][0]["target"], "line 4");
  host_.MakeFile("C:\\Program\\regbackup001.reg",
                 "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Restored]\r\n\"w\"=dword:1\r\n");
  EXPECT_EQ(Run({"restore", "registry", "--yes", "C:\\Program\\regbackup001.reg"}), kExitSuccess) << err_;
  EXPECT_TRUE(starts().empty()) << "no registry editor";

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

class TweaksCommandOnWindows10 : public TweaksCommand {
 protected:
  TweaksCommandOnWindows10() {
    host_.system().SetVersion(platform::VersionRecord{platform::kPlatformNt, 10, 0, 19045});
  }
};

constexpr const char* kLongPaths = R"(SYSTEM\CurrentControlSet\Control\FileSystem\LongPathsEnabled)";
constexpr const char* kLanguageOptOut = R"(Control Panel\International\User Profile\HttpAcceptLanguageOptOut)";
constexpr const char* kTrackProgs = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced\Start_TrackProgs)";

TEST_F(TweaksCommandOnWindows10, ListsTheSettingsOfWindows10AndSaysWhichNeedAdministratorRights) {
  ASSERT_EQ(Run({"tweaks", "list", "--tab", "2", "--json"}), kExitSuccess) << err_;
  const auto listed = nlohmann::json::parse(out_);
  EXPECT_EQ(listed["windows"], "Windows 10");
  EXPECT_EQ(listed["caption"], "Internet Accelerator");
  EXPECT_EQ(listed["elevated"], true);
  const auto titles = RowTitles();
  ASSERT_EQ(titles.size(), 9U);
  EXPECT_EQ(titles.front(), "Search may not use the location");
  EXPECT_EQ(titles.back(), "Do not download fonts on demand") << "the one yellow row last";
  for (const auto& row : listed["rows"]) {
    const bool user = row["columns"][0] == "Websites cannot read the language list" ||
                      row["columns"][0] == "Turn off online speech recognition";
    EXPECT_EQ(row["needs_administrator"], !user) << row["columns"][0];
  }
  // None of Windows XP's tweaks, on any tab.
  EXPECT_EQ(Run({"tweaks", "apply", "Speed up menu display", "--yes"}), kExitUsage);
  EXPECT_NE(err_.find("not offered on Windows 10"), std::string::npos);
}

TEST_F(TweaksCommandOnWindows10, ApplyThenRestoreBringsBackExactlyTheStateBefore) {
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::CurrentUser, kTrackProgs, 1));
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, kLongPaths, 0));
  ASSERT_EQ(Run({"tweaks", "apply", "Do not track program launches", "Websites cannot read the language list",
                 "Allow paths longer than 260 characters", "--yes", "--json"}),
            kExitSuccess)
      << err_;
  EXPECT_EQ(nlohmann::json::parse(out_)["applied"].size(), 3U);
  EXPECT_EQ(reg::RegReadBinary(host_.registry(), RootKey::LocalMachine, kLongPaths), std::nullopt) << "a DWORD";
  ASSERT_EQ(Run({"restore", "tweaks", "--yes"}), kExitSuccess) << err_;
  EXPECT_NE(out_.find("All tasks were restored to their original states."), std::string::npos);
  EXPECT_FALSE(reg::RegValueExists(host_.registry(), RootKey::CurrentUser, kLanguageOptOut));
  ASSERT_EQ(Run({"tweaks", "list", "--tab", "3", "--json"}), kExitSuccess);
  const auto titles = RowTitles();
  EXPECT_NE(std::find(titles.begin(), titles.end(), "Allow paths longer than 260 characters"), titles.end());

  // A value changed since it was applied is named, stays, and the command fails.
  ASSERT_EQ(Run({"tweaks", "apply", "Websites cannot read the language list", "--yes"}), kExitSuccess) << err_;
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::CurrentUser, kLanguageOptOut, 5));
  EXPECT_EQ(Run({"restore", "tweaks", "--yes", "--json"}), kExitFailure);
  EXPECT_NE(err_.find("HKEY_CURRENT_USER\\Control Panel\\International\\User Profile\\HttpAcceptLanguageOptOut: "
                      "changed since Sweepwise applied it; left as it is"),
            std::string::npos)
      << err_;
  EXPECT_EQ(nlohmann::json::parse(out_)["changed_since"].size(), 1U);
}

// A setting in effect is listed under Applied Tasks whatever its tab and whatever the value
// was before.
TEST_F(TweaksCommandOnWindows10, AnAppliedSettingIsListedUnderAppliedTasks) {
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::CurrentUser, kTrackProgs, 12345));
  ASSERT_EQ(Run({"tweaks", "apply", "Do not track program launches", "--yes"}), kExitSuccess) << err_;
  ASSERT_EQ(Run({"tweaks", "list", "--applied", "--json"}), kExitSuccess) << err_;
  const auto titles = RowTitles();
  EXPECT_NE(std::find(titles.begin(), titles.end(), "Do not track program launches"), titles.end());
  ASSERT_EQ(Run({"tweaks", "list", "--tab", "1", "--json"}), kExitSuccess);
  const auto cleaning = RowTitles();
  EXPECT_EQ(std::find(cleaning.begin(), cleaning.end(), "Do not track program launches"), cleaning.end());
}

TEST_F(TweaksCommandOnWindows10, AStandardUserIsToldWhichSettingsWereLeftOutAndHowToApplyThem) {
  host_.system().SetAdmin(false);
  EXPECT_EQ(Run({"tweaks", "apply", "Allow paths longer than 260 characters", "Websites cannot read the language list",
                 "--yes", "--json"}),
            kExitFailure);
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["applied"], nlohmann::json::array({"Websites cannot read the language list"}));
  EXPECT_EQ(result["needs_administrator"], nlohmann::json::array({"Allow paths longer than 260 characters"}));
  EXPECT_FALSE(reg::RegValueExists(host_.registry(), RootKey::LocalMachine, kLongPaths));
  EXPECT_TRUE(reg::RegValueExists(host_.registry(), RootKey::CurrentUser, kLanguageOptOut));
  EXPECT_NE(
      err_.find("These settings need administrator rights, so they were left out:\nAllow paths longer than 260 "
                "characters\nMachine-wide entries need administrator rights: run 'sweepwise-cli tweaks apply' from "
                "a console started with Run as administrator."),
      std::string::npos)
      << err_;
  EXPECT_NE(err_.find("sweepwise-cli: 1 need administrator rights and were left out"), std::string::npos) << err_;
}

}  // namespace
}  // namespace sw::cli
