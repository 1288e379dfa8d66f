// The progress bars' thousandths of 64-bit counts.

#include "app/progress_scale.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace sw::app {
namespace {

TEST(ProgressPermilleTest, ProportionalWithinTheRangeAndClampedOutsideIt) {
  EXPECT_EQ(ProgressPermille(1, 101, 1), 0);
  EXPECT_EQ(ProgressPermille(1, 101, 51), 500);
  EXPECT_EQ(ProgressPermille(1, 101, 101), kProgressScale);
  EXPECT_EQ(ProgressPermille(1, 101, 5000), kProgressScale) << "more than announced";
  EXPECT_EQ(ProgressPermille(10, 20, 3), 0) << "below the range";
  EXPECT_EQ(ProgressPermille(0, 153677, 1025), 6);
}

// The update window's bar: range 1 to the size while downloading, then one point (full).
TEST(ProgressPermilleTest, AOnePointRangeIsFullAndAnUnknownSizeIsEmpty) {
  EXPECT_EQ(ProgressPermille(1, 1, 1), kProgressScale);
  EXPECT_EQ(ProgressPermille(0, 0, 0), kProgressScale);
  EXPECT_EQ(ProgressPermille(1, 0, 4096), 0) << "a reply without a length";
}

TEST(ProgressPermilleTest, HugeCountsDoNotOverflow) {
  constexpr std::uint64_t kHuge = UINT64_MAX;
  EXPECT_EQ(ProgressPermille(0, kHuge, kHuge / 2), 500);
  EXPECT_EQ(ProgressPermille(0, kHuge, kHuge), kProgressScale);
  EXPECT_EQ(ProgressPermille(0, std::uint64_t{6} << 40, std::uint64_t{3} << 40), 500) << "6 TB, half";
}

}  // namespace
}  // namespace sw::app
