#pragma once
// A registry decorator for tests: it passes every call to a real registry, records the keys
// that get deleted (full paths, in order) and can make chosen keys refuse to open.

#include <functional>
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
  // Keys that open for reading but refuse writing, as the machine's keys do a standard user.
  void FailOpeningForWriting(std::string path) { failingWrites_.insert(std::move(path)); }
  [[nodiscard]] bool ShouldFailWriting(const std::string& path) const;

  std::vector<std::string> deletedKeys;  // full paths, in deletion order
  // Called before a value is deleted, with the key's full path and the value's name.
  std::function<void(const std::string& keyPath, std::string_view name)> beforeDeletingValue;

 private:
  platform::Registry& inner_;
  std::set<std::string> failing_;
  std::set<std::string> failingWrites_;
};

}  // namespace sw::test
