#pragma once
// Web addresses as the download component takes them apart.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sw::platform {

struct UrlParts {
  bool secure = false;  // "https://"
  std::string host;
  std::uint16_t port = 80;
  std::string path;  // from the first "/" on, query included
};

// An optional scheme "http://" or "https://" (in any case), then the host with an optional
// ":port" up to the first "/", then the path from that "/" on. A URL without "/" has an
// empty host and is all path. Nullopt when the port is not a number from 1 to 65535.
std::optional<UrlParts> SplitUrl(std::string_view url);

}  // namespace sw::platform
