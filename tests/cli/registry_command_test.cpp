// sweepwise-cli find registry | delete registry, in-process on the in-memory registry.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "registry/registry_paths.h"
#include "support/cli_runner.h"
#include "support/host_platform.h"

namespace sw::cli {
namespace {

using platform::RootKey;

class RegistryCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        reg::RegWriteString(host_.registry(), RootKey::CurrentUser, R"(Software\App\Last)", R"(C:\Gone\a.doc)"));
    ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser, R"(Software\App\Ok)", R"(C:\Program)"));
  }

  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }

  bool Planted() { return reg::RegValueExists(host_.registry(), RootKey::CurrentUser, R"(Software\App\Last)"); }

  test::HostPlatform host_;
};

TEST_F(RegistryCommand, FindPrintsTheRowsTheListWouldShow) {
  ASSERT_EQ(Run({"find", "registry", "--json"}), kExitSuccess);
  const auto result = nlohmann::json::parse(out_);
  ASSERT_EQ(result["rows"].size(), 1U);
  EXPECT_EQ(result["rows"][0]["columns"][0], "HKEY_CURRENT_USER: Software\\App");
  EXPECT_EQ(result["rows"][0]["columns"][1], "Last");
  EXPECT_EQ(result["rows"][0]["columns"][2], "C:\\Gone\\a.doc");
  EXPECT_EQ(result["rows"][0]["checked"], true);
  EXPECT_EQ(result["status"], "Registry Scanned");
  EXPECT_TRUE(Planted());
}

TEST_F(RegistryCommand, DeleteWithoutAConsoleOrYesRefuses) {
  EXPECT_EQ(Run({"delete", "registry", "--backup"}), kExitFailure);
  EXPECT_NE(err_.find("--yes"), std::string::npos);
  EXPECT_TRUE(Planted());
  EXPECT_FALSE(std::filesystem::exists(host_.Host("C:\\Program\\regbackup000.reg")));
}

TEST_F(RegistryCommand, DeleteWithBackupReportsTheFile) {
  ASSERT_EQ(Run({"delete", "registry", "--backup", "--yes", "--json"}), kExitSuccess) << err_;
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["removed"], 1);
  EXPECT_EQ(result["backup_file"], "C:\\Program\\regbackup000.reg");
  EXPECT_FALSE(Planted());
  EXPECT_TRUE(std::filesystem::exists(host_.Host("C:\\Program\\regbackup000.reg")));

  host_.platform().folders = platform::PortableFolders("C:\\Missing");  // the backup cannot be written: nothing goes
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser, R"(Software\App\Last)", R"(C:\Gone\a.doc)"));
  EXPECT_EQ(Run({"--yes", "delete", "registry", "--backup"}), kExitFailure);
  EXPECT_NE(err_.find("nothing deleted"), std::string::npos);
  EXPECT_TRUE(Planted());
}

}  // namespace
}  // namespace sw::cli
