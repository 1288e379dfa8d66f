#pragma once
// The registry through advapi32.

#include "platform/registry.h"

namespace sw::platform::win32 {

class Win32Registry final : public Registry {
 public:
  Result<std::unique_ptr<RegKey>> OpenRoot(RootKey root) override;
  Result<std::unique_ptr<RegKey>> OpenRootView(RootKey root, RegView view) override;
  Result<std::string> OwnViewPath(RootKey root, RegView view, std::string_view path) override;
};

}  // namespace sw::platform::win32
