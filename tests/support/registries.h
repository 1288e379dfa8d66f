#pragma once
// The registries a contract test runs against: the in-memory store everywhere, and in the
// Windows build also the real registry (Wine's, in the sandboxed prefix).

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace sw::test {

struct RegistryUnderTest {
  std::string name;
  std::function<std::unique_ptr<platform::Registry>()> make;
  bool real = false;
};

std::vector<RegistryUnderTest> RegistriesUnderTest();

// How GoogleTest shows a parameter: by its name.
inline void PrintTo(const RegistryUnderTest& registry, std::ostream* out) {
  *out << registry.name;
}

// True in the Windows build when it runs under Wine rather than Windows.
bool RunningUnderWine();

// A key path below HKEY_CURRENT_USER that no other test (of this or a parallel process) uses.
std::string UniqueTestKeyPath(std::string_view hint);

}  // namespace sw::test
