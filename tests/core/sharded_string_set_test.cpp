#include "core/sharded_string_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unordered_set>

namespace sw {
namespace {

std::string PathNumber(int n) {
  return "C:\\FILES\\FOLDER" + std::to_string(n / 10) + "\\" + std::to_string(n) + ".TMP";
}

// The set answers as one std::unordered_set of the same strings would, through inserts of
// new and known strings and erases of held and absent ones.
TEST(ShardedStringSet, HoldsWhatOneSetWouldHold) {
  ShardedStringSet set;
  std::unordered_set<std::string> expected;
  for (int n = 0; n < 50'000; ++n) {
    const std::string key = PathNumber(n * 7 % 30'011);  // repeats after 30,011
    EXPECT_EQ(set.insert(key), expected.insert(key).second) << key;
    if (n % 5 == 0) {
      const std::string gone = PathNumber(n * 3 % 30'011);
      set.erase(gone);
      expected.erase(gone);
    }
  }
  EXPECT_EQ(set.size(), expected.size());
  for (int n = 0; n < 31'000; ++n) {
    EXPECT_EQ(set.contains(PathNumber(n)), expected.contains(PathNumber(n))) << n;
  }
}

// Strings of every length are kept whole (the empty one, and one longer than a block of the
// set's strings), and a set whose strings come and go many times over keeps answering: the
// marks its erases leave are cleared out rather than filling its table for good.
TEST(ShardedStringSet, KeepsStringsOfAnyLengthThroughManyErases) {
  ShardedStringSet set;
  const std::string longest(300'000, 'X');
  EXPECT_TRUE(set.insert(""));
  EXPECT_TRUE(set.insert(longest));
  EXPECT_FALSE(set.insert(std::string(longest)));
  EXPECT_FALSE(set.contains(longest.substr(1)));
  EXPECT_FALSE(set.contains(longest + "X"));
  for (int round = 0; round < 200; ++round) {
    for (int n = 0; n < 1'000; ++n) {
      ASSERT_TRUE(set.insert(PathNumber(round * 1'000 + n))) << round << " " << n;
    }
    for (int n = 0; n < 1'000; ++n) {
      set.erase(PathNumber(round * 1'000 + n));
    }
    ASSERT_EQ(set.size(), 2U) << round;
  }
  EXPECT_TRUE(set.contains(""));
  EXPECT_TRUE(set.contains(longest));
  EXPECT_FALSE(set.contains(PathNumber(199'999)));
  EXPECT_TRUE(set.insert(PathNumber(199'999)));
}

// Let go of a shard at a time, the set empties in steps of about a 64th of its strings: the
// hash spreads paths that differ only in their numbers over all the shards.
TEST(ShardedStringSet, LetsGoOfItsStringsAShardAtATime) {
  ShardedStringSet set;
  constexpr int kCount = 64'000;
  for (int n = 0; n < kCount; ++n) {
    set.insert(PathNumber(n));
  }
  int steps = 0;
  std::size_t largest = 0;
  for (std::size_t before = set.size(); set.ReleaseShard(); before = set.size()) {
    ++steps;
    largest = std::max(largest, before - set.size());
  }
  EXPECT_TRUE(set.empty());
  EXPECT_EQ(steps, static_cast<int>(ShardedStringSet::kShards));
  EXPECT_LT(largest, 2U * kCount / ShardedStringSet::kShards) << "one shard held " << largest;
  EXPECT_FALSE(set.contains(PathNumber(5)));
  EXPECT_TRUE(set.insert(PathNumber(5)));
}

}  // namespace
}  // namespace sw
