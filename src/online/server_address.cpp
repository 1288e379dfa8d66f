#include "online/server_address.h"

#include <cstdlib>

#include "core/product.h"

namespace sw::online {

std::string ServerAddress(std::string_view option) {
  std::string address(option);
  if (address.empty()) {
    const char* variable = std::getenv(std::string(kServerEnvironmentVariable).c_str());
    address = variable != nullptr ? variable : "";
  }
  if (address.empty()) {
    address = kDefaultServerUrl;
  }
  while (address.ends_with('/')) {
    address.pop_back();
  }
  return address;
}

std::string ServerUrl(std::string_view server, std::string_view path) {
  std::string url(server);
  while (url.ends_with('/')) {
    url.pop_back();
  }
  return url + std::string(path);
}

std::string SupportPageAddress(std::string_view server) {
  return ServerUrl(server, kSupportPagePath);
}

}  // namespace sw::online
