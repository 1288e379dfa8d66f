#include "uninstall/uninstall_command.h"

#include <cctype>

#include "core/text.h"

namespace sw::uninstall {
namespace {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", hexadecimal digits in either case.
bool IsBracedGuid(std::string_view text) {
  constexpr std::string_view kShape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (text.size() != kShape.size()) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool matches =
        kShape[i] == 'X' ? std::isxdigit(static_cast<unsigned char>(text[i])) != 0 : text[i] == kShape[i];
    if (!matches) {
      return false;
    }
  }
  return true;
}

std::string MsiExecRemoval(const std::string& productCode) {
  return "MsiExec.exe /X" + productCode;
}

}  // namespace

std::optional<std::string> ProductCode(const SoftwareEntry& entry) {
  if (!entry.windowsInstaller || !IsBracedGuid(entry.source.subkey)) {
    return std::nullopt;
  }
  return entry.source.subkey;
}

std::string ExpandedCommand(const EntryText& command, platform::System& system) {
  if (command.expands || command.text.find('%') != std::string::npos) {
    return system.ExpandEnvironment(command.text);
  }
  return command.text;
}

std::string InteractiveCommand(const SoftwareEntry& entry, platform::System& system) {
  if (const auto code = ProductCode(entry)) {
    return MsiExecRemoval(*code);
  }
  return std::string(TrimBlanks(ExpandedCommand(entry.uninstallString, system)));
}

std::optional<std::string> QuietCommand(const SoftwareEntry& entry, platform::System& system) {
  const std::string quiet(TrimBlanks(ExpandedCommand(entry.quietUninstallString, system)));
  if (!quiet.empty()) {
    return quiet;
  }
  if (const auto code = ProductCode(entry)) {
    return MsiExecRemoval(*code) + " /qn";
  }
  return std::nullopt;
}

CommandParts SplitCommandLine(std::string_view line, const std::function<bool(std::string_view)>& isProgram) {
  line = TrimBlanks(line);
  if (line.starts_with('"')) {
    const auto close = line.find('"', 1);
    if (close == std::string_view::npos) {
      return CommandParts{std::string(line.substr(1)), {}};
    }
    return CommandParts{std::string(line.substr(1, close - 1)), std::string(TrimBlanks(line.substr(close + 1)))};
  }
  for (auto blank = line.find(' '); blank != std::string_view::npos; blank = line.find(' ', blank + 1)) {
    const std::string candidate(line.substr(0, blank));
    if (isProgram(candidate) || isProgram(candidate + ".exe")) {
      return CommandParts{candidate, std::string(TrimBlanks(line.substr(blank + 1)))};
    }
  }
  const auto blank = line.find(' ');
  if (blank == std::string_view::npos || isProgram(line)) {
    return CommandParts{std::string(line), {}};
  }
  return CommandParts{std::string(line.substr(0, blank)), std::string(TrimBlanks(line.substr(blank + 1)))};
}

}  // namespace sw::uninstall
