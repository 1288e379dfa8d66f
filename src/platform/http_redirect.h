#pragma once
// Which redirects a request follows. A download may be sent on only to HTTPS on the host and
// port it was asked of: a plain-HTTP hop could be changed by anyone on the way, and another
// host or port is not the server the user's program was set to trust.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/http.h"

namespace sw::platform {

inline constexpr int kMaxRedirects = 10;

[[nodiscard]] bool IsRedirectStatus(std::uint32_t status);

// The request that the reply `status` with the header "Location: `location`" leads to, or
// nullopt when it must not be followed: the new address is not HTTPS, or names another host
// or port, or cannot be read. A relative location keeps the scheme, host and port (and so
// is followed only from HTTPS). 303, and 301/302 after a POST, go on as a GET.
[[nodiscard]] std::optional<HttpRequest> FollowRedirect(const HttpRequest& from, std::uint32_t status,
                                                        std::string_view location);

}  // namespace sw::platform
