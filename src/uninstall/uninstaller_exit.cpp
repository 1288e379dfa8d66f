#include "uninstall/uninstaller_exit.h"

#include <array>

namespace sw::uninstall {
namespace {

struct KnownCode {
  std::uint32_t code;
  bool succeeded;
  bool restartNeeded;
  std::string_view meaning;
};

// The codes of Windows Installer's own table of errors that an uninstall ends with.
constexpr std::array<KnownCode, 7> kKnownCodes{{
    {0, true, false, ""},
    {3010, true, true, "a restart of the computer is needed to finish"},          // ERROR_SUCCESS_REBOOT_REQUIRED
    {1641, true, true, "the computer is being restarted to finish"},              // ERROR_SUCCESS_REBOOT_INITIATED
    {1602, false, false, "the uninstall was cancelled"},                          // ERROR_INSTALL_USEREXIT
    {1603, false, false, "the uninstall failed with a fatal error"},              // ERROR_INSTALL_FAILURE
    {kUnknownProduct, false, false, "this product is not installed"},             // ERROR_UNKNOWN_PRODUCT
    {1618, false, false, "another installation is already in progress"},          // ERROR_INSTALL_ALREADY_RUNNING
}};

}  // namespace

UninstallerExit ClassifyExitCode(std::uint32_t code) {
  for (const KnownCode& known : kKnownCodes) {
    if (known.code == code) {
      return UninstallerExit{known.succeeded, known.restartNeeded, known.meaning};
    }
  }
  return UninstallerExit{};
}

std::string ExitCodeText(std::uint32_t code) {
  const UninstallerExit exit = ClassifyExitCode(code);
  std::string text = "exit code " + std::to_string(code);
  if (!exit.meaning.empty()) {
    text += " (" + std::string(exit.meaning) + ")";
  }
  return text;
}

}  // namespace sw::uninstall
