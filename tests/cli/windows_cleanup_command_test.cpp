// The console runs the system's own cleanup handlers only when "--only" names them, and a plan
// never runs them: in-process on the host stand-ins with scripted handler classes. (What the
// real program lists and runs, elevated and as a standard user, is checked under Wine with
// handlers of our own: tests/cli/windows_cleanup_round_trip.sh.)

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
  [[nodiscard]] int Purges() {
    int purges = 0;
    for (const std::string& call : host_.cleanupHandlers().calls) {
      purges += call.starts_with("Purge") ? 1 : 0;
    }
    return purges;
  }

  test::HostPlatform host_;
};

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
