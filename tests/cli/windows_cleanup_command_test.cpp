// "find files --only windows-cleanup" and "delete files --only windows-cleanup", in-process
// on the host stand-ins with scripted Disk Cleanup handler classes. (The real program runs our
// own COM handlers under Wine: tests/cli/windows_cleanup_round_trip.sh.)

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/disk_cleanup.h"
#include "registry/registry_data.h"
#include "support/cli_runner.h"
#include "support/host_platform.h"

namespace sw::cli {
namespace {

using platform::HandlerAnswer;
using platform::host::ScriptedHandlerClass;
using R = platform::HandlerCallResult;

class WindowsCleanupCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  WindowsCleanupCommand() {
    host_.system().SetVersion({platform::kPlatformNt, 10, 0, 19045});
    Handler("Update Cleanup", "{00000000-0000-0000-0000-000000000001}", "Updates", 3ULL << 30U,
            platform::kHandlerEnableByDefault | platform::kHandlerEnableByDefaultAuto);
    Handler("Settings", "{00000000-0000-0000-0000-000000000002}", "Settings", 10,
            platform::kHandlerHasSettings | platform::kHandlerEnableByDefaultAuto);
    ScriptedHandlerClass admin;
    admin.initialize = HandlerAnswer{R::kFailed, 0x80070005};
    Register("System", "{00000000-0000-0000-0000-000000000003}", admin);
  }

  void Register(const std::string& key, const std::string& classId, ScriptedHandlerClass behaviour) {
    auto root = host_.registry().OpenRoot(platform::RootKey::LocalMachine);
    ASSERT_TRUE(root);
    auto handler = (*root)->Create(std::string(platform::kVolumeCachesKey) + "\\" + key);
    ASSERT_TRUE(handler);
    ASSERT_TRUE((*handler)->Set("", platform::kRegSz, reg::EncodeRegText(classId, true)));
    host_.cleanupHandlers().Register(classId, std::move(behaviour));
  }
  void Handler(const std::string& key, const std::string& classId, std::string name, std::uint64_t bytes,
               std::uint32_t flags) {
    ScriptedHandlerClass behaviour;
    behaviour.texts = {std::move(name), "Description", "", flags};
    behaviour.spaceUsed = HandlerAnswer{R::kDone, 0, bytes};
    Register(key, classId, behaviour);
  }
  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }
  // The row of the handler key `key` in a command's JSON.
  static nlohmann::json RowOf(const nlohmann::json& result, const std::string& key) {
    for (const auto& row : result["rows"]) {
      if (row.value("key", "") == key) {
        return row;
      }
    }
    ADD_FAILURE() << "no row of " << key;
    return nlohmann::json::object();
  }
  [[nodiscard]] int Purges() {
    int purges = 0;
    for (const std::string& call : host_.cleanupHandlers().calls) {
      purges += call.starts_with("Purge") ? 1 : 0;
    }
    return purges;
  }

  test::HostPlatform host_;
};

TEST_F(WindowsCleanupCommand, FindListsEachHandlerWithItsSizeUnchecked) {
  host_.system().SetAdmin(false);
  ASSERT_EQ(Run({"find", "files", "--only", "windows-cleanup", "--json"}), kExitSuccess) << err_;
  const auto found = nlohmann::json::parse(out_);
  ASSERT_EQ(found["rows"].size(), 3U);
  const auto updates = RowOf(found, "Update Cleanup");
  EXPECT_EQ(updates["columns"][0], "Updates");
  EXPECT_EQ(updates["columns"][4], "Windows cleanup (cannot be undone)");
  EXPECT_EQ(updates["checked"], false);
  EXPECT_EQ(updates["category"], "windows-cleanup");
  EXPECT_EQ(updates["size"], 3ULL << 30U);
  EXPECT_EQ(updates["volume"], "C:\\");
  EXPECT_EQ(updates["key"], "Update Cleanup");
  EXPECT_EQ(updates["runs_unattended"], true);
  EXPECT_EQ(RowOf(found, "Settings")["has_settings"], true);
  EXPECT_EQ(RowOf(found, "Settings")["runs_unattended"], false);
  const auto system = RowOf(found, "System");
  EXPECT_EQ(system["needs_administrator"], true);
  EXPECT_FALSE(system.contains("size"));
  EXPECT_EQ(found["windows_cleanup"]["need_administrator"], nlohmann::json::array({"System on C:\\"}));
  EXPECT_EQ(found["windows_cleanup"]["bytes"], (3ULL << 30U) + 10);
  EXPECT_NE(found["status"].get<std::string>().find("Needs administrator rights: System on C:\\"), std::string::npos);
  EXPECT_EQ(Purges(), 0);
}

TEST_F(WindowsCleanupCommand, DeleteRunsWhatWindowsRunsUnattendedAndNamesTheRest) {
  host_.system().SetAdmin(false);
  EXPECT_EQ(Run({"delete", "files", "--only", "windows-cleanup", "--yes", "--json"}), kExitFailure) << err_;
  const auto deleted = nlohmann::json::parse(out_);
  const auto& cleanup = deleted["windows_cleanup"];
  ASSERT_EQ(cleanup["handlers"].size(), 1U);
  EXPECT_EQ(cleanup["handlers"][0]["name"], "Updates on C:\\");
  EXPECT_EQ(cleanup["handlers"][0]["freed"], 3ULL << 30U);
  EXPECT_EQ(cleanup["freed"], 3ULL << 30U);
  EXPECT_EQ(cleanup["need_administrator"], nlohmann::json::array({"System on C:\\"}));
  EXPECT_EQ(cleanup["left_alone"].size(), 1U);
  EXPECT_EQ(RowOf(deleted, "Update Cleanup")["freed"], 3ULL << 30U);
  EXPECT_EQ(RowOf(deleted, "Update Cleanup")["columns"][2], "3221225472");
  EXPECT_NE(deleted["status"].get<std::string>().find("Run as administrator"), std::string::npos);
  EXPECT_EQ(Purges(), 1);

  // Elevated, the one that needed the rights runs too.
  host_.system().SetAdmin(true);
  ScriptedHandlerClass system;
  system.spaceUsed = HandlerAnswer{R::kDone, 0, 5};
  system.texts.flags = platform::kHandlerEnableByDefaultAuto;
  host_.cleanupHandlers().Register("{00000000-0000-0000-0000-000000000003}", system);
  ASSERT_EQ(Run({"delete", "files", "--only", "windows-cleanup", "--yes", "--json"}), kExitSuccess) << err_;
  EXPECT_EQ(Purges(), 2 + 1);
}

TEST_F(WindowsCleanupCommand, ADeleteThatDoesNotNameThemNeverRunsThemNorDoesAPlan) {
  host_.MakeFile("C:\\junk\\a.tmp", "junk");
  ASSERT_EQ(Run({"find", "files", "--json"}), kExitSuccess) << err_;
  const std::string plan = out_;
  EXPECT_NE(plan.find("\"category\":\"windows-cleanup\""), std::string::npos);
  host_.MakeFile("C:\\Program\\plan.json", plan);
  ASSERT_EQ(Run({"delete", "files", "--plan", "C:\\Program\\plan.json", "--yes", "--json"}), kExitSuccess) << err_;
  EXPECT_FALSE(host_.files().Exists("C:\\junk\\a.tmp"));
  host_.MakeFile("C:\\junk\\b.tmp", "junk");
  ASSERT_EQ(Run({"delete", "files", "--yes", "--json"}), kExitSuccess) << err_;
  EXPECT_FALSE(host_.files().Exists("C:\\junk\\b.tmp"));
  EXPECT_EQ(Purges(), 0);

  // Without --yes and without a console to ask on, nothing runs.
  EXPECT_EQ(Run({"delete", "files", "--only", "windows-cleanup", "--json"}), kExitFailure);
  EXPECT_EQ(Purges(), 0);
}

}  // namespace
}  // namespace sw::cli
