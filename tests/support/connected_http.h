#pragma once
// The system's connection state as a test wants it; the requests go to the real HTTP. Wine
// reports a connection over the local network only, which the news sign-up does not count.

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/http.h"

namespace sw::test {

class ConnectedHttp final : public platform::Http {
 public:
  explicit ConnectedHttp(std::unique_ptr<platform::Http> real) : real_(std::move(real)) {}
  Result<std::uint32_t> ConnectionFlags() override { return flags; }
  std::unique_ptr<platform::HttpExchange> NewExchange() override { return real_->NewExchange(); }

  std::uint32_t flags = platform::kConnectionModem;

 private:
  std::unique_ptr<platform::Http> real_;
};

}  // namespace sw::test
