#include "online/http_timeouts.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace sw::online {
namespace {

constexpr const char* kTimeoutsVariable = "SWEEPWISE_HTTP_TIMEOUTS";

// "2.5" seconds as 2500 ms; 0 for anything but a positive number below a day.
std::uint32_t Milliseconds(std::string_view text) {
  std::string copy(text);
  char* end = nullptr;
  const double seconds = std::strtod(copy.c_str(), &end);
  if (copy.empty() || end != copy.c_str() + copy.size() || !(seconds > 0) || seconds > 86400) {
    return 0;
  }
  return static_cast<std::uint32_t>(seconds * 1000);
}

}  // namespace

HttpTimeouts TimeoutsFromEnvironment() {
  HttpTimeouts timeouts;
  const char* variable = std::getenv(kTimeoutsVariable);
  if (variable == nullptr) {
    return timeouts;
  }
  const std::string_view text(variable);
  const auto first = text.find(',');
  const auto second = first == std::string_view::npos ? first : text.find(',', first + 1);
  if (second == std::string_view::npos) {
    return timeouts;
  }
  const std::uint32_t connect = Milliseconds(text.substr(0, first));
  const std::uint32_t receive = Milliseconds(text.substr(first + 1, second - first - 1));
  const std::uint32_t deadline = Milliseconds(text.substr(second + 1));
  if (connect != 0 && receive != 0 && deadline != 0) {
    timeouts = HttpTimeouts{connect, receive, deadline};
  }
  return timeouts;
}

}  // namespace sw::online
