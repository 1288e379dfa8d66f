// A plan's rows matched with a new Find's: only the very files the plan names, as they were.

#include "cli/file_plan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/file_row.h"
#include "support/host_platform.h"
#include "support/listed_row.h"

namespace sw::cli {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> PathsOf(const std::vector<ResultRow>& rows) {
  std::vector<std::string> paths;
  for (const ResultRow& row : rows) {
    paths.push_back(files::FullPathOfRow(row));
  }
  return paths;
}

TEST(MatchPlanTest, OnlyTheVeryFilesThePlanNamesAreTakenOnceEachInThePlansOrder) {
  test::HostPlatform host;
  for (const char* path : {R"(C:\t\a.tmp)", R"(C:\t\b.tmp)", R"(C:\t\replaced.tmp)", R"(C:\t\unchecked.tmp)",
                           R"(C:\t\other.tmp)", R"(C:\u\a.tmp)"}) {
    host.MakeFile(path, path);
  }
  const auto listed = [&](const char* path) { return test::ListedRow(host.files(), host.system(), path); };
  std::vector<ResultRow> plan{listed(R"(C:\t\b.tmp)"), listed(R"(C:\t\a.tmp)"), listed(R"(C:\t\replaced.tmp)"),
                              listed(R"(C:\t\a.tmp)"), listed(R"(C:\t\unchecked.tmp)")};
  plan[4].checked = false;
  // Another file now has the name the plan saw: same path, another identity.
  // (Made beside it first, so that it cannot be given the old file's number.)
  host.MakeFile(R"(C:\t\new.tmp)", "another file");
  fs::rename(host.Host(R"(C:\t\new.tmp)"), host.Host(R"(C:\t\replaced.tmp)"));
  std::vector<ResultRow> found;
  for (const char* path : {R"(C:\u\a.tmp)", R"(C:\t\other.tmp)", R"(C:\t\unchecked.tmp)", R"(C:\t\replaced.tmp)",
                           R"(C:\t\a.tmp)", R"(C:\t\b.tmp)"}) {
    found.push_back(listed(path));
    found.back().checked = false;
  }

  const PlanMatch match = MatchPlan(plan, found);
  EXPECT_EQ(PathsOf(match.toDelete), (std::vector<std::string>{R"(C:\t\b.tmp)", R"(C:\t\a.tmp)"}));
  for (const ResultRow& row : match.toDelete) {
    EXPECT_TRUE(row.checked);
  }
  EXPECT_EQ(PathsOf(match.notFound), std::vector<std::string>{R"(C:\t\replaced.tmp)"});
}

TEST(MatchPlanTest, APathIsMatchedByteForByte) {
  test::HostPlatform host;
  host.MakeFile(R"(C:\t\a.tmp)");
  ResultRow planned = test::ListedRow(host.files(), host.system(), R"(C:\t\a.tmp)");
  // The same file, spelled in other letters by the plan: no row of the Find is that text.
  planned.columns[0] = "A.TMP";
  const PlanMatch match = MatchPlan({planned}, {test::ListedRow(host.files(), host.system(), R"(C:\t\a.tmp)")});
  EXPECT_TRUE(match.toDelete.empty());
  EXPECT_EQ(match.notFound.size(), 1U);
}

}  // namespace
}  // namespace sw::cli
