// Every seed of the fuzzers' corpus goes through the fuzz harness in each test run, so that a
// finding that became a seed stays fixed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive_harness.h"
#include "support/temp_folder.h"

namespace sw::fuzz {
namespace {

TEST(FuzzCorpus, ArchiveSeedsListAndRestoreSafely) {
  const std::filesystem::path corpus = std::filesystem::path(SWEEPWISE_SOURCE_DIR) / "fuzz/corpus/archive";
  test::TempFolder root;
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    SCOPED_TRACE(entry.path().filename().string());
    RunArchiveCase(bytes, root.path());  // aborts the test program on an escape
    ++seeds;
  }
  EXPECT_GE(seeds, 5);
  EXPECT_FALSE(std::filesystem::exists(root.path() / "c"));  // each case cleans up after itself
}

}  // namespace
}  // namespace sw::fuzz
