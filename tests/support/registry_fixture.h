#pragma once
// Fixture of the registry contract tests: a fresh key below HKEY_CURRENT_USER in the
// registry under test, deleted with everything in it afterwards.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "registry/registry_paths.h"
#include "support/registries.h"

namespace sw::test {

class RegistryContract : public ::testing::TestWithParam<RegistryUnderTest> {
 protected:
  void SetUp() override {
    registry_ = GetParam().make();
    base_ = UniqueTestKeyPath(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  void TearDown() override {
    (void)reg::RegDeleteKeyAt(*registry_, platform::RootKey::CurrentUser, base_, /*recursive=*/true);
  }

  // A path below this test's key.
  [[nodiscard]] std::string At(std::string_view sub) const { return base_ + "\\" + std::string(sub); }

  platform::Registry& registry() { return *registry_; }

  std::unique_ptr<platform::Registry> registry_;
  std::string base_;
};

// Names the instantiations "Memory" and "Win32".
inline std::string RegistryName(const ::testing::TestParamInfo<RegistryUnderTest>& info) {
  return info.param.name;
}

}  // namespace sw::test
