// sweepwise-cli sysinfo | usage, in-process on the host stand-ins with figures the test sets.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "support/cli_runner.h"
#include "support/host_platform.h"

namespace sw::cli {
namespace {

constexpr std::uint64_t kGB = 1024ULL * 1024 * 1024;

class SysinfoCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }

  test::HostPlatform host_;  // C: and E: fixed, D: a CD drive
};

TEST_F(SysinfoCommand, ReportsTheFiguresOfThePagesIn64Bits) {
  host_.figures().SetMemory(platform::MemoryStatus{63, 6 * kGB, 2 * kGB + 5, 8 * kGB, 3 * kGB, 128 * kGB, 100 * kGB});
  host_.figures().SetVolumeSpace('C', platform::VolumeSpace{500 * kGB, 120 * kGB, 121 * kGB});
  host_.figures().SetVolumeSpace('E', platform::VolumeSpace{2000 * kGB, 1500 * kGB, 1500 * kGB});
  ASSERT_EQ(Run({"sysinfo", "--json"}), kExitSuccess) << err_;
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["memory"]["physical_total"], 6 * kGB);
  EXPECT_EQ(result["memory"]["physical_free"], 2 * kGB + 5);
  EXPECT_EQ(result["memory"]["page_file_total"], 8 * kGB);
  EXPECT_EQ(result["memory"]["page_file_free"], 3 * kGB);
  EXPECT_EQ(result["memory"]["memory_load"], 63);
  ASSERT_EQ(result["drives"].size(), 2U);
  EXPECT_EQ(result["drives"][0]["drive"], "C:");
  EXPECT_EQ(result["drives"][0]["capacity"], 500 * kGB);
  EXPECT_EQ(result["drives"][0]["free"], 120 * kGB);
  EXPECT_EQ(result["drives"][1]["drive"], "E:");
  // The Drive page's row: E: after the CD drive at D: counts, in the page's own words.
  EXPECT_EQ(result["drive_totals"]["drives"], 2);
  EXPECT_EQ(result["drive_totals"]["free"], 1620 * kGB);
  EXPECT_EQ(result["drive_totals"]["free_text"], "1658880MB");
  EXPECT_EQ(result["drive_totals"]["free_percent"], 64);
  for (const char* field : {"brand", "vendor", "vendor_id", "family", "model", "stepping", "mhz", "bus_mhz",
                            "transistors", "code_name", "caches"}) {
    EXPECT_TRUE(result["cpu"].contains(field)) << field;
  }

  ASSERT_EQ(Run({"sysinfo"}), kExitSuccess);
  EXPECT_NE(out_.find("Total Memory Size: 6291456KB (6144MB)\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("C: Total Size: 512000MB, Free Space: 122880MB (24%)\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("Fixed drives' Free Space: 1658880MB (64%)\n"), std::string::npos) << out_;
  EXPECT_EQ(out_.rfind("Name: ", 0), 0U) << out_;

  host_.figures().SetMemory(Error(Errc::AccessDenied));
  EXPECT_EQ(Run({"sysinfo", "--json"}), kExitFailure);
  EXPECT_TRUE(nlohmann::json::parse(out_).contains("error"));
}

TEST_F(SysinfoCommand, UsageListsTheChartsItemsLargestFirst) {
  host_.MakeFile("C:\\Data\\Big\\a.bin", std::string(300 * 1024, 'a'));
  host_.MakeFile("C:\\Data\\Small\\b.bin", std::string(2 * 1024, 'b'));
  host_.MakeFile("C:\\Data\\loose.txt", std::string(10 * 1024 + 1000, 'c'));
  ASSERT_EQ(Run({"usage", "C:\\Data", "--json"}), kExitSuccess) << err_;
  const auto result = nlohmann::json::parse(out_);
  const nlohmann::json expected = nlohmann::json::parse(
      R"([{"label":"C:\\DATA\\BIG","kb":300},{"label":"Files","kb":10},{"label":"C:\\DATA\\SMALL","kb":2}])");
  EXPECT_EQ(result["items"], expected);
  // Every slice's bytes, the files' slice included, turned into KB once (312.98 KB).
  EXPECT_EQ(result["total_kb"], 312);
  EXPECT_EQ(result["complete"], true);
  EXPECT_EQ(result["status"], "Total size in C:\\Data is 0MB");

  ASSERT_EQ(Run({"usage", "C:"}), kExitSuccess) << err_;
  EXPECT_NE(out_.find("\tC:\\DATA\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("Total size in C: is 0MB\n"), std::string::npos) << out_;

  EXPECT_EQ(Run({"usage", "C:\\Missing", "--json"}), kExitFailure);
  EXPECT_EQ(Run({"usage"}), kExitUsage);
}

}  // namespace
}  // namespace sw::cli
