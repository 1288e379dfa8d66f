#pragma once
// HTTP through WinINet, with the proxy settings the user configured for the system.

#include "platform/http.h"

namespace sw::platform::win32 {

class Win32Http final : public Http {
 public:
  Result<std::uint32_t> ConnectionFlags() override;
  std::unique_ptr<HttpExchange> NewExchange() override;
};

}  // namespace sw::platform::win32
