#pragma once
// "Restart as administrator": the copy started with administrator rights is told which
// process to wait for (the single-instance rule lets it in once that one has ended) and
// which page to open, as "-restarted <process id> <page command>".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sw::app {

inline constexpr std::string_view kRestartedSwitch = "-restarted";

struct RestartRequest {
  std::uint32_t processId = 0;  // the instance that hands over
  unsigned pageCommand = 0;     // the toolbar command of the page that was open
};

// The parameters of the elevated copy's command line.
[[nodiscard]] std::string RestartParameters(const RestartRequest& request);

// The request in the program's arguments (without the program name); nullopt when the first
// argument is not the switch or the process number does not read. A page number that names
// no page button gives the Files page.
[[nodiscard]] std::optional<RestartRequest> ParseRestart(const std::vector<std::string>& arguments);

}  // namespace sw::app
