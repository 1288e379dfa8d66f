#pragma once
// The registry where there is no Windows: an in-memory store with the keys, values, types,
// last-write times, error numbers and enumeration order of the real one (subkeys in
// case-insensitive alphabetical order, values in creation order).
//
// Its views are those of 64-bit Windows unless a test says otherwise: the 32-bit view of
// HKEY_LOCAL_MACHINE\SOFTWARE is the separate key SOFTWARE\Wow6432Node, which the program's
// own (64-bit) view sees under that name.

#include <functional>
#include <memory>

#include "platform/registry.h"

namespace sw::platform::host {

class MemoryRegistry final : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  Result<std::unique_ptr<RegKey>> OpenRoot(RootKey root) override;
  Result<std::unique_ptr<RegKey>> OpenRootView(RootKey root, RegView view) override;
  Result<std::string> OwnViewPath(RootKey root, RegView view, std::string_view path) override;

  // Whether the 32-bit view keeps HKEY_LOCAL_MACHINE\SOFTWARE apart (64-bit Windows, the
  // default) or every view is the same registry (32-bit Windows).
  void SetSplitViews(bool split);

  // The clock that stamps last-write times; the system clock unless a test sets another.
  void SetClock(std::function<FileTime()> clock);

  struct Node;
  struct Store;

 private:
  std::shared_ptr<Store> store_;
};

}  // namespace sw::platform::host
