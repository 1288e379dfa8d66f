#pragma once
// What an uninstaller's exit code says. 0 is success; so are 3010 and 1641, Windows
// Installer's "done, but the computer must restart to finish" (1641: the restart has been
// started). Every other code is a failure, and the entry of the program stays. The codes
// Windows Installer (and the uninstallers that pass its result on) report are named in words.

#include <cstdint>
#include <string>
#include <string_view>

namespace sw::uninstall {

// ERROR_UNKNOWN_PRODUCT: Windows Installer knows no such product, so nothing is left to remove
// but its entry.
inline constexpr std::uint32_t kUnknownProduct = 1605;

struct UninstallerExit {
  bool succeeded = false;
  bool restartNeeded = false;  // 3010, 1641
  std::string_view meaning;    // the code in words, when it is one of Windows Installer's; empty otherwise
};

[[nodiscard]] UninstallerExit ClassifyExitCode(std::uint32_t code);

// "exit code 1618 (another installation is already in progress)", or "exit code 7".
[[nodiscard]] std::string ExitCodeText(std::uint32_t code);

}  // namespace sw::uninstall
