#include "app/restart_switch.h"

#include <charconv>

#include "app/command_ids.h"

namespace sw::app {
namespace {

template <class Number>
std::optional<Number> Decimal(std::string_view text) {
  Number number{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return number;
}

}  // namespace

std::string RestartParameters(const RestartRequest& request) {
  return std::string(kRestartedSwitch) + " " + std::to_string(request.processId) + " " +
         std::to_string(request.pageCommand);
}

std::optional<RestartRequest> ParseRestart(const std::vector<std::string>& arguments) {
  if (arguments.size() != 3 || arguments[0] != kRestartedSwitch) {
    return std::nullopt;
  }
  const auto processId = Decimal<std::uint32_t>(arguments[1]);
  const auto pageCommand = Decimal<unsigned>(arguments[2]);
  if (!processId) {
    return std::nullopt;
  }
  // Only a page button opens a page; anything else opens the Files page, as every start does.
  const bool page = pageCommand && *pageCommand >= kCmdDosyalar && *pageCommand <= kCmdInformation;
  return RestartRequest{*processId, page ? *pageCommand : kCmdDosyalar};
}

}  // namespace sw::app
