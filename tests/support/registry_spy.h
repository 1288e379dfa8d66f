#pragma once
// A registry decorator for tests: it passes every call to a real registry, records the keys
// that get deleted (full paths, in order) and can make chosen keys refuse to open.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace sw::test {

class RegistrySpy final : public platform::Registry {
 public:
  explicit RegistrySpy(platform::Registry& inner) : inner_(inner) {}

  Result<std::unique_ptr<platform::RegKey>> OpenRoot(platform::RootKey root) override;

  // Full paths below the root ("Software\\X"), compared without regard to case.
  void FailOpening(std::string path) { failing_.insert(std::move(path)); }
  [[nodiscard]] bool ShouldFail(const std::string& path) const;

  std::vector<std::string> deletedKeys;  // full paths, in deletion order

 private:
  platform::Registry& inner_;
  std::set<std::string> failing_;
};

}  // namespace sw::test
