#pragma once
// The registry through advapi32.

#include "platform/registry.h"

namespace sw::platform::win32 {

class Win32Registry final : public Registry {
 public:
  Result<std::unique_ptr<RegKey>> OpenRoot(RootKey root) override;
};

}  // namespace sw::platform::win32
