#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "core/text.h"

namespace sw::cli {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunWith(const std::vector<std::string>& args) {
  platform::Platform platform = platform::CreateSystemPlatform();
  std::ostringstream out;
  std::ostringstream err;
  CliContext context{platform, out, err};
  const int status = RunCli(args, context);
  return CliRun{status, out.str(), err.str()};
}

TEST(Cli, HelpAndVersionSucceed) {
  const CliRun help = RunWith({"--help"});
  EXPECT_EQ(help.status, kExitSuccess);
  EXPECT_NE(help.out.find("Usage: sweepwise-cli"), std::string::npos);
  EXPECT_NE(help.out.find("--json"), std::string::npos);

  const CliRun version = RunWith({"--version"});
  EXPECT_EQ(version.status, kExitSuccess);
  EXPECT_TRUE(version.out.starts_with("sweepwise-cli 3.")) << version.out;
}

TEST(Cli, UsageErrorsExitTwoWithOneLine) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"bogus"}, {}, {"--no-such-option"}, {"--json"}}) {
    const CliRun run = RunWith(args);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.out.empty(), args != std::vector<std::string>{"--json"});
    EXPECT_EQ(SplitLines(run.err).size(), 1U) << run.err;
    EXPECT_TRUE(run.err.starts_with("sweepwise-cli: ")) << run.err;
    EXPECT_NE(run.err.find("sweepwise-cli --help"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(RunWith({"bogus"}).err.starts_with("sweepwise-cli: unknown command 'bogus'"));
}

TEST(Cli, AUsageErrorWithJsonIsOneJsonObjectOnStdout) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--json", "bogus"}, {"archive", "pack", "--json"}, {"archive", "list", "x.bck", "--json", "--nope"}}) {
    const CliRun run = RunWith(args);
    EXPECT_EQ(run.status, kExitUsage);
    const auto object = nlohmann::json::parse(run.out);
    EXPECT_EQ(object.at("status"), kExitUsage);
    EXPECT_FALSE(object.at("error").get<std::string>().empty());
    EXPECT_EQ(SplitLines(run.err).size(), 1U) << run.err;
  }
}

}  // namespace
}  // namespace sw::cli
