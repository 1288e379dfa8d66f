#include "platform/http_redirect.h"

#include "core/text.h"
#include "platform/http_url.h"

namespace sw::platform {

bool IsRedirectStatus(std::uint32_t status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<HttpRequest> FollowRedirect(const HttpRequest& from, std::uint32_t status, std::string_view location) {
  HttpRequest next = from;
  if (location.find("://") != std::string_view::npos) {
    const bool https = location.size() > 8 && EqualsNoCase(location.substr(0, 8), "https://");
    const auto parts = https ? SplitUrl(location) : std::nullopt;
    if (!parts || parts->host.empty()) {
      return std::nullopt;
    }
    next.secure = true;
    next.host = parts->host;
    next.port = parts->port;
    next.path = parts->path;
  } else if (location.starts_with("//")) {
    return std::nullopt;  // another host, in the scheme of this request
  } else if (location.starts_with('/')) {
    next.path = location;
  } else if (!location.empty()) {
    const auto query = from.path.find('?');
    const auto folder = from.path.substr(0, query).rfind('/');
    next.path = from.path.substr(0, folder == std::string::npos ? 0 : folder + 1) + std::string(location);
  } else {
    return std::nullopt;
  }
  if (!next.secure || !from.secure || !EqualsNoCase(next.host, from.host) || next.port != from.port) {
    return std::nullopt;
  }
  if (status == 303 || ((status == 301 || status == 302) && !from.postBody.empty())) {
    next.postBody.clear();
  }
  return next;
}

}  // namespace sw::platform
