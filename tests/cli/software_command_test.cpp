// sweepwise-cli list software | uninstall, in-process on the in-memory registry with
// recorded program starts.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "registry/registry_paths.h"
#include "support/cli_runner.h"
#include "support/host_platform.h"
#include "uninstall/software_list.h"

namespace sw::cli {
namespace {

using platform::RootKey;
using platform::host::RecordingProcesses;

// A key path below the uninstall key.
std::string Key(std::string_view below) {
  return std::string(uninstall::kUninstallKey) + "\\" + std::string(below);
}

class SoftwareCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  void SetUp() override {
    Register("{0A-ALPHA}", "Alpha", "alpha-uninst.exe");
    Register("{0B-BETA}", "Beta", "beta-uninst.exe /quiet");
    Register("{0C-TWIN}", "Twin", "twin1.exe");
    Register("{0D-TWIN}", "Twin", "twin2.exe");
  }
  void Register(std::string_view subKey, std::string_view name, std::string_view command) {
    ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key(subKey) + "\\DisplayName", name));
    ASSERT_TRUE(
        reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key(subKey) + "\\UninstallString", command));
  }
  bool Has(std::string_view subKey) { return reg::RegKeyExists(host_.registry(), RootKey::LocalMachine, Key(subKey)); }
  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }
  std::vector<std::string> Started() {
    std::vector<std::string> commands;
    for (const auto& start : static_cast<RecordingProcesses&>(*host_.platform().processes).starts()) {
      commands.push_back(start.commandLine);
    }
    return commands;
  }

  test::HostPlatform host_;
};

TEST_F(SoftwareCommand, ListShowsThePagesRowsWithKeyAndCommand) {
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{0B-BETA}\\DisplayVersion"), "2.1"));
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{0B-BETA}\\Publisher"), "Beta Ltd"));
  ASSERT_EQ(Run({"list", "software", "--json"}), kExitSuccess) << err_;
  const auto result = nlohmann::json::parse(out_);
  ASSERT_EQ(result["rows"].size(), 4U);
  const auto& beta = result["rows"][1];
  EXPECT_EQ(beta["columns"], nlohmann::json({"Beta", "Installed Software", "beta-uninst.exe /quiet", ""}));
  EXPECT_EQ(beta["key"], "{0B-BETA}");
  EXPECT_EQ(beta["command"], "beta-uninst.exe /quiet");
  EXPECT_EQ(beta["version"], "2.1");
  EXPECT_EQ(beta["publisher"], "Beta Ltd");
  EXPECT_EQ(result["rows"][0]["version"], "");
  EXPECT_EQ(beta["checked"], false);
  EXPECT_EQ(beta["image"], 2);
  EXPECT_EQ(result["count"], 4);
  EXPECT_EQ(result["status"], "Listed 4 installed programs");

  ASSERT_EQ(Run({"list", "software"}), kExitSuccess);
  EXPECT_NE(out_.find("Alpha\tInstalled Software\talpha-uninst.exe\t\n"), std::string::npos) << out_;
}

TEST_F(SoftwareCommand, UninstallRunsTheNamedEntriesInTheOrderGiven) {
  ASSERT_EQ(Run({"uninstall", "Beta", "{0d-twin}", "alpha", "Beta", "--yes", "--json"}), kExitSuccess) << err_;
  EXPECT_EQ(Started(), (std::vector<std::string>{"beta-uninst.exe /quiet", "twin2.exe", "alpha-uninst.exe"}));
  EXPECT_FALSE(Has("{0A-ALPHA}"));
  EXPECT_FALSE(Has("{0B-BETA}"));
  EXPECT_FALSE(Has("{0D-TWIN}"));
  EXPECT_TRUE(Has("{0C-TWIN}"));
  const auto result = nlohmann::json::parse(out_);
  ASSERT_EQ(result["rows"].size(), 3U);
  EXPECT_EQ(result["rows"][1]["key"], "{0D-TWIN}");
  EXPECT_EQ(result["rows"][1]["started"], true);
  EXPECT_EQ(result["rows"][1]["key_removed"], true);
  // Each notice before its uninstaller, on lines of their own.
  const auto beta = err_.find("launches uninstaller for Beta.\nIn case of uninstall failure");
  const auto alpha = err_.find("launches uninstaller for Alpha.\n");
  ASSERT_NE(beta, std::string::npos) << err_;
  ASSERT_NE(alpha, std::string::npos) << err_;
  EXPECT_LT(beta, alpha);
  EXPECT_EQ(err_.find('\r'), std::string::npos);
}

TEST_F(SoftwareCommand, NothingRunsOnAUsageErrorOrWithoutConsent) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"uninstall", "Alpha", "No Such Program", "--yes"}, {"uninstall", "Twin", "--yes"}, {"uninstall"}}) {
    EXPECT_EQ(Run(args), kExitUsage) << args.back();
    EXPECT_TRUE(out_.empty());
  }
  EXPECT_EQ(Run({"uninstall", "Twin", "--yes"}), kExitUsage);
  EXPECT_NE(err_.find("'Twin' names 2 entries"), std::string::npos) << err_;
  EXPECT_EQ(Run({"uninstall", "Alpha"}), kExitFailure);  // no console to ask, no --yes
  EXPECT_NE(err_.find("--yes"), std::string::npos);
  EXPECT_TRUE(Started().empty());
  EXPECT_TRUE(Has("{0A-ALPHA}"));
}

}  // namespace
}  // namespace sw::cli
