#pragma once
// HTTP where there is no WinINet: HTTP/1.0 over POSIX sockets, and HTTPS through OpenSSL,
// enough for the tests' own server on the loopback. The server's certificate must lead to
// an authority OpenSSL trusts (the system's, or those of the file SSL_CERT_FILE names) and
// name the host asked for. There is no proxy and no cache. The connection state is
// whatever the test sets (a plain LAN connection unless told otherwise).

#include <atomic>
#include <memory>

#include "platform/http.h"

namespace sw::platform::host {

class HostHttp final : public Http {
 public:
  Result<std::uint32_t> ConnectionFlags() override;
  std::unique_ptr<HttpExchange> NewExchange() override;

  // Flags to report; a negative value makes the query fail, as with no connection at all.
  void SetConnectionFlags(std::int64_t flags) { flags_.store(flags); }

 private:
  std::atomic<std::int64_t> flags_{kConnectionLan};
};

}  // namespace sw::platform::host
