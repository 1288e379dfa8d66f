#pragma once
// The registry where there is no Windows: an in-memory store with the keys, values, types,
// last-write times, error numbers and enumeration order of the real one (subkeys in
// case-insensitive alphabetical order, values in creation order).

#include <functional>
#include <memory>

#include "platform/registry.h"

namespace sw::platform::host {

class MemoryRegistry final : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  Result<std::unique_ptr<RegKey>> OpenRoot(RootKey root) override;

  // The clock that stamps last-write times; the system clock unless a test sets another.
  void SetClock(std::function<FileTime()> clock);

  struct Node;
  struct Store;

 private:
  std::shared_ptr<Store> store_;
};

}  // namespace sw::platform::host
