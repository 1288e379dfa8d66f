#include "app/steady_vector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace sw::app {
namespace {

// An element that counts how often elements are copied or moved, the work one append costs
// beyond its own row. It carries a string beyond the short-string buffer, so a copy where a
// move was meant would also show in its text.
struct Counted {
  static inline std::size_t transfers = 0;

  explicit Counted(std::size_t n) : value(n), text("row number " + std::to_string(n) + " of a long list") {}
  Counted(const Counted& other) : value(other.value), text(other.text) { ++transfers; }
  Counted(Counted&& other) noexcept : value(other.value), text(std::move(other.text)) { ++transfers; }
  Counted& operator=(const Counted&) = default;
  Counted& operator=(Counted&&) noexcept = default;
  ~Counted() = default;

  std::size_t value;
  std::string text;
};

bool Holds(const Counted& element, std::size_t n) {
  return element.value == n && element.text == "row number " + std::to_string(n) + " of a long list";
}

// Appends `count` elements numbered from `first`, checking each one reads back at once, and
// returns the most elements any single append copied or moved.
std::size_t AppendAndMeasure(SteadyVector<Counted>& vector, std::size_t first, std::size_t count) {
  std::size_t most = 0;
  for (std::size_t n = first; n < first + count; ++n) {
    const Counted element(n);
    Counted::transfers = 0;
    vector.push_back(element);
    most = std::max(most, Counted::transfers);
    EXPECT_TRUE(Holds(vector[n], n)) << n;
    if (n % 997 == 0) {
      // an element appended long before, wherever the growth has put it by now
      EXPECT_TRUE(Holds(vector[n / 3], n / 3)) << n;
    }
  }
  return most;
}

void ExpectInOrder(const std::vector<Counted>& elements, std::size_t count) {
  ASSERT_EQ(elements.size(), count);
  for (std::size_t n = 0; n < count; ++n) {
    ASSERT_TRUE(Holds(elements[n], n)) << n;
  }
}

// A plain vector appending this many moves 262,144 elements in one append; the window's
// list froze for a third of a second at twice that. Here no append moves more than the eight
// it carries along, besides copying its own element in (below its steady capacity it grows
// as std::vector does, which is brief).
TEST(SteadyVector, NoAppendMovesMoreThanItsShareOfAGrowth) {
  constexpr std::size_t kCount = 300'000;
  constexpr std::size_t kSteady = SteadyVector<Counted>::kSteadyFrom;
  SteadyVector<Counted> vector;
  (void)AppendAndMeasure(vector, 0, kSteady);
  const std::size_t most = AppendAndMeasure(vector, kSteady, kCount - kSteady);
  EXPECT_LE(most, 1 + SteadyVector<Counted>::kMovesPerAppend);
  EXPECT_EQ(vector.size(), kCount);
  ExpectInOrder(vector.Settled(), kCount);
}

// Asked for all elements halfway through a growth, the vector finishes it: everything is in
// order, and appending carries on from there at the same pace.
TEST(SteadyVector, SettlingInTheMiddleOfAGrowthKeepsEveryElementAndAppendingGoesOn) {
  SteadyVector<Counted> vector;
  const std::size_t steady = SteadyVector<Counted>::kSteadyFrom;
  (void)AppendAndMeasure(vector, 0, steady);
  const std::size_t capacity = vector.Settled().capacity();
  ASSERT_GE(capacity, steady);
  // into the last eighth of the block, where the next block is being filled
  const std::size_t inGrowth = capacity - capacity / 16;
  ASSERT_GT(inGrowth, steady);
  (void)AppendAndMeasure(vector, steady, inGrowth - steady);
  ExpectInOrder(vector.Settled(), inGrowth);

  const std::size_t most = AppendAndMeasure(vector, inGrowth, 4 * capacity);
  EXPECT_LE(most, 1 + SteadyVector<Counted>::kMovesPerAppend);
  ExpectInOrder(vector.Settled(), inGrowth + 4 * capacity);

  // a change made through the settled vector is what the index reads
  vector.Settled()[5].text = "changed";
  EXPECT_EQ(vector[5].text, "changed");
}

// Settled a share at a time halfway through a growth: no share moves more than asked for, the
// elements read back in order all along, and the last share leaves nothing for Settled().
TEST(SteadyVector, SettlingAShareAtATimeMovesNoMoreThanEachShare) {
  SteadyVector<Counted> vector;
  const std::size_t steady = SteadyVector<Counted>::kSteadyFrom;
  (void)AppendAndMeasure(vector, 0, steady);
  const std::size_t capacity = vector.Settled().capacity();
  const std::size_t inGrowth = capacity - capacity / 16;
  (void)AppendAndMeasure(vector, steady, inGrowth - steady);

  constexpr std::size_t kShare = 1000;
  std::size_t shares = 0;
  bool settled = false;
  std::vector<Counted> spent;
  while (!settled) {
    Counted::transfers = 0;
    settled = vector.SettleSome(kShare, spent);
    EXPECT_EQ(spent.empty(), !settled) << "the old block comes with the last share";
    EXPECT_LE(Counted::transfers, kShare);
    ++shares;
    EXPECT_TRUE(Holds(vector[shares * 37 % inGrowth], shares * 37 % inGrowth)) << shares;
  }
  EXPECT_GT(shares, 2U) << "the growth had more than two shares left";
  Counted::transfers = 0;
  ExpectInOrder(vector.Settled(), inGrowth);
  EXPECT_EQ(Counted::transfers, 0U) << "Settled() found nothing left to move";
  EXPECT_EQ(spent.size(), inGrowth) << "the whole old block, its elements moved from";
  std::vector<Counted> none;
  EXPECT_TRUE(vector.SettleSome(kShare, none));
  EXPECT_TRUE(none.empty());
}

TEST(SteadyVector, ClearingInTheMiddleOfAGrowthStartsAfresh) {
  SteadyVector<Counted> vector;
  (void)AppendAndMeasure(vector, 0, 2 * SteadyVector<Counted>::kSteadyFrom);
  const std::size_t capacity = vector.Settled().capacity();
  ASSERT_GT(capacity - capacity / 16, vector.size());
  (void)AppendAndMeasure(vector, vector.size(), capacity - capacity / 16 - vector.size());
  vector.clear();
  EXPECT_TRUE(vector.empty());
  EXPECT_TRUE(vector.Settled().empty());
  const std::size_t most = AppendAndMeasure(vector, 0, 3 * capacity);
  EXPECT_LE(most, 1 + SteadyVector<Counted>::kMovesPerAppend);
  ExpectInOrder(vector.Settled(), 3 * capacity);
}

// The list hands its rows over to be let go a share at a time: taken in the middle of a
// growth, the blocks hold every element once (apart from what was moved from), and the
// vector starts afresh.
TEST(SteadyVector, TakingTheBlocksInTheMiddleOfAGrowthHandsOverEveryElementOnce) {
  SteadyVector<Counted> vector;
  (void)AppendAndMeasure(vector, 0, 2 * SteadyVector<Counted>::kSteadyFrom);
  const std::size_t capacity = vector.Settled().capacity();
  const std::size_t count = capacity - capacity / 16;
  (void)AppendAndMeasure(vector, vector.size(), count - vector.size());

  std::vector<std::size_t> seen(count, 0);
  std::size_t blocksWithElements = 0;
  for (const std::vector<Counted>& block : vector.TakeBlocks()) {
    blocksWithElements += block.empty() ? 0 : 1;
    for (const Counted& element : block) {
      if (element.value < count && Holds(element, element.value)) {
        ++seen[element.value];
      }
    }
  }
  EXPECT_EQ(blocksWithElements, 2U) << "the growth was under way";
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1U), static_cast<std::ptrdiff_t>(count));
  EXPECT_TRUE(vector.empty());
  (void)AppendAndMeasure(vector, 0, 100);
  ExpectInOrder(vector.Settled(), 100);
}

// The advanced page hands the list a whole new vector, whose block may be exactly full: the
// first append grows it at once, as a plain vector would, and the rest keep the pace.
TEST(SteadyVector, AVectorAssignedFromOutsideTakesAppendsInOrder) {
  constexpr std::size_t kAssigned = 3 * SteadyVector<Counted>::kSteadyFrom;
  std::vector<Counted> whole;
  whole.reserve(kAssigned);
  for (std::size_t n = 0; n < kAssigned; ++n) {
    whole.emplace_back(n);
  }
  SteadyVector<Counted> vector;
  vector.Settled() = whole;
  (void)AppendAndMeasure(vector, kAssigned, 1);
  const std::size_t most = AppendAndMeasure(vector, kAssigned + 1, 4 * kAssigned);
  EXPECT_LE(most, 1 + SteadyVector<Counted>::kMovesPerAppend);
  ExpectInOrder(vector.Settled(), 5 * kAssigned + 1);
}

}  // namespace
}  // namespace sw::app
