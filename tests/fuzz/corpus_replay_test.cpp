// Every seed of the fuzzers' corpus goes through the fuzz harness in each test run, so that a
// finding that became a seed stays fixed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive_harness.h"
#include "reg_file_harness.h"
#include "support/temp_folder.h"

namespace sw::fuzz {
namespace {

// Runs `runCase` on every seed of a corpus folder; returns the number of seeds.
template <class Case>
int ReplayCorpus(std::string_view name, const std::filesystem::path& root, Case runCase) {
  const std::filesystem::path corpus = std::filesystem::path(SWEEPWISE_SOURCE_DIR) / "fuzz/corpus" / name;
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    SCOPED_TRACE(entry.path().filename().string());
    runCase(bytes, root);  // aborts the test program on a finding
    ++seeds;
  }
  return seeds;
}

TEST(FuzzCorpus, ArchiveSeedsListAndRestoreSafely) {
  test::TempFolder root;
  EXPECT_GE(ReplayCorpus("archive", root.path(), RunArchiveCase), 5);
  EXPECT_FALSE(std::filesystem::exists(root.path() / "c"));  // each case cleans up after itself
}

TEST(FuzzCorpus, RegFileSeedsReadWriteAndExtendSafely) {
  test::TempFolder root;
  EXPECT_GE(ReplayCorpus("regfile", root.path(), RunRegFileCase), 5);
  EXPECT_FALSE(std::filesystem::exists(root.path() / "c"));
}

}  // namespace
}  // namespace sw::fuzz
