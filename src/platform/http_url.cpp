#include "platform/http_url.h"

#include <charconv>

#include "core/text.h"

namespace sw::platform {
namespace {

bool DropScheme(std::string_view& url, std::string_view scheme) {
  if (url.size() >= scheme.size() && EqualsNoCase(url.substr(0, scheme.size()), scheme)) {
    url.remove_prefix(scheme.size());
    return true;
  }
  return false;
}

// "host", "host:8080", "[::1]:8080".
bool SplitHostPort(std::string_view authority, UrlParts& parts) {
  const auto bracket = authority.rfind(']');
  const auto colon = authority.rfind(':');
  if (colon == std::string_view::npos || (bracket != std::string_view::npos && colon < bracket)) {
    parts.host = authority;
    return true;
  }
  const std::string_view digits = authority.substr(colon + 1);
  unsigned port = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535) {
    return false;
  }
  parts.host = authority.substr(0, colon);
  parts.port = static_cast<std::uint16_t>(port);
  return true;
}

}  // namespace

std::optional<UrlParts> SplitUrl(std::string_view url) {
  UrlParts parts;
  if (!DropScheme(url, "http://") && DropScheme(url, "https://")) {
    parts.secure = true;
    parts.port = 443;
  }
  const auto slash = url.find('/');
  if (slash == std::string_view::npos) {
    parts.path = url;
    return parts;
  }
  parts.path = url.substr(slash);
  if (!SplitHostPort(url.substr(0, slash), parts)) {
    return std::nullopt;
  }
  if (parts.host.size() > 2 && parts.host.front() == '[' && parts.host.back() == ']') {
    parts.host = parts.host.substr(1, parts.host.size() - 2);
  }
  return parts;
}

}  // namespace sw::platform
