#include "core/unique_handle.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace sw {
namespace {

std::vector<int> g_closed;

struct FakeTraits {
  using Handle = int;
  static int Invalid() { return -1; }
  static void Close(int h) { g_closed.push_back(h); }
};
using FakeHandle = UniqueHandle<FakeTraits>;

static_assert(!std::is_copy_constructible_v<FakeHandle>);
static_assert(!std::is_copy_assignable_v<FakeHandle>);
static_assert(std::is_nothrow_move_constructible_v<FakeHandle>);

TEST(UniqueHandle, ClosesExactlyOnceWhateverTheOwnershipPath) {
  g_closed.clear();
  {
    FakeHandle a(1);
    FakeHandle b(std::move(a));
    EXPECT_FALSE(a);  // NOLINT(bugprone-use-after-move): the moved-from state is what we test
    EXPECT_EQ(b.get(), 1);
    FakeHandle c(2);
    c = std::move(b);  // closes 2, takes 1
    EXPECT_EQ(g_closed, std::vector<int>{2});
    c = std::move(c);  // NOLINT(bugprone-use-after-move): a self-move keeps the handle
    EXPECT_EQ(c.get(), 1);
  }
  EXPECT_EQ(g_closed, (std::vector<int>{2, 1}));
}

TEST(UniqueHandle, ReleaseGivesUpAndPutResets) {
  g_closed.clear();
  FakeHandle h(5);
  EXPECT_EQ(h.release(), 5);
  EXPECT_FALSE(h);
  h.reset(6);
  *h.put() = 7;  // as an OS call fills an out-parameter
  EXPECT_EQ(g_closed, std::vector<int>{6});
  EXPECT_EQ(h.get(), 7);
  h.reset();
  EXPECT_EQ(g_closed, (std::vector<int>{6, 7}));
  FakeHandle empty;
  empty.reset();
  EXPECT_EQ(g_closed.size(), 2U);  // an empty owner closes nothing
}

}  // namespace
}  // namespace sw
