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

// Windows Installer's own program, by the folder the system names (never one that could be
// searched for, nor the environment's %SystemRoot%, which the user may set).
std::string MsiExecRemoval(const std::string& productCode, platform::System& system) {
  return system.SystemFolder() + "\\MsiExec.exe /X" + productCode;
}

bool IsFullPath(std::string_view path) {
  const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) != 0 && path[1] == ':' &&
                     (path[2] == '\\' || path[2] == '/');
  return drive || path.starts_with("\\\\");
}

bool HasFolder(std::string_view path) {
  return path.find_first_of("\\/:") != std::string_view::npos;
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
    return MsiExecRemoval(*code, system);
  }
  return std::string(TrimBlanks(ExpandedCommand(entry.uninstallString, system)));
}

std::optional<std::string> QuietCommand(const SoftwareEntry& entry, platform::System& system) {
  const std::string quiet(TrimBlanks(ExpandedCommand(entry.quietUninstallString, system)));
  if (!quiet.empty()) {
    return quiet;
  }
  if (const auto code = ProductCode(entry)) {
    return MsiExecRemoval(*code, system) + " /qn";
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
  const auto blank = line.find(' ');
  if (blank == std::string_view::npos || isProgram(line)) {
    return CommandParts{std::string(line), {}};
  }
  // The longest file first: the system tries the shortest, so that a program planted at
  // "C:\Users\me\My.exe" would run in place of "C:\Users\me\My App\un.exe".
  for (auto last = line.rfind(' '); last != std::string_view::npos && last > 0; last = line.rfind(' ', last - 1)) {
    const std::string candidate(line.substr(0, last));
    if (isProgram(candidate) || isProgram(candidate + ".exe")) {
      return CommandParts{candidate, std::string(TrimBlanks(line.substr(last + 1)))};
    }
  }
  return CommandParts{std::string(line.substr(0, blank)), std::string(TrimBlanks(line.substr(blank + 1)))};
}

ProgramToStart ResolveProgram(std::string_view command, platform::FileSystem& files, platform::System& system) {
  ProgramToStart resolved;
  resolved.parts = SplitCommandLine(command, [&files](std::string_view path) { return files.FileExists(path); });
  std::string& program = resolved.parts.program;
  if (IsFullPath(program)) {
    // "C:\App\uninst" starts C:\App\uninst.exe, as the system reads a command line.
    if (!files.FileExists(program) && files.FileExists(program + ".exe")) {
      program += ".exe";
    }
    resolved.kind = files.FileExists(program) ? ProgramToStart::Kind::Found : ProgramToStart::Kind::Missing;
    return resolved;
  }
  if (program.empty() || HasFolder(program)) {
    resolved.problem = "its command names its program by a path that is not a full one (" +
                       (program.empty() ? std::string(command) : program) + ").";
    return resolved;
  }
  const std::string name = program.find('.') == std::string::npos ? program + ".exe" : program;
  for (const std::string& folder : {system.SystemFolder(), system.WindowsFolder()}) {
    const std::string candidate = folder + "\\" + name;
    if (!folder.empty() && files.FileExists(candidate)) {
      program = candidate;
      resolved.kind = ProgramToStart::Kind::Found;
      return resolved;
    }
  }
  resolved.problem = "its command names its program (" + program +
                     ") without a folder, and it is none of Windows' own programs.";
  return resolved;
}

}  // namespace sw::uninstall
