#include "core/result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace sw {
namespace {

Result<std::string> Lookup(bool found) {
  if (!found) {
    return Error(Errc::FileNotFound);
  }
  return std::string("value");
}

TEST(Result, CarriesAValueOrAnError) {
  const auto hit = Lookup(true);
  ASSERT_TRUE(hit.has_value());
  EXPECT_EQ(*hit, "value");
  EXPECT_EQ(hit->size(), 5U);

  const auto miss = Lookup(false);
  EXPECT_FALSE(miss);
  EXPECT_TRUE(miss.error().Is(Errc::FileNotFound));
  EXPECT_TRUE(IsNotFound(miss.error()));
  EXPECT_EQ(miss.value_or("fallback"), "fallback");
}

TEST(Result, HoldsMoveOnlyValuesAndStatus) {
  Result<std::unique_ptr<int>> owned(std::make_unique<int>(4));
  std::unique_ptr<int> taken = std::move(owned).value();
  EXPECT_EQ(*taken, 4);

  const Status ok;
  const Status failed = Error(Errc::AccessDenied);
  EXPECT_TRUE(ok.has_value());
  EXPECT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error().code(), 5U);
  EXPECT_FALSE(IsNotFound(failed.error()));
}

}  // namespace
}  // namespace sw
