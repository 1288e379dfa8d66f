#pragma once
// The command that removes an entry's program, as it is started: environment variables
// expanded, Windows Installer products removed by the installer service itself, the quiet
// form for scripts only where the entry (or Windows Installer) provides one.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"
#include "uninstall/software_entry.h"

namespace sw::uninstall {

// The product code a Windows Installer entry is registered under: its subkey's name when that
// is a GUID in braces ("{6F2C1D3A-...}"), with WindowsInstaller = 1. nullopt otherwise.
[[nodiscard]] std::optional<std::string> ProductCode(const SoftwareEntry& entry);

// `text` with its environment variables expanded: as the system expands REG_EXPAND_SZ data,
// and likewise a REG_SZ command that holds %NAME% (a program does not start otherwise).
[[nodiscard]] std::string ExpandedCommand(const EntryText& command, platform::System& system);

// The interactive uninstall: "MsiExec.exe /X{product code}" for a Windows Installer product
// (its UninstallString often opens the repair dialog instead), else the expanded
// UninstallString; empty when the entry names none.
[[nodiscard]] std::string InteractiveCommand(const SoftwareEntry& entry, platform::System& system);

// The uninstall for scripts, without questions: the expanded QuietUninstallString, else
// "MsiExec.exe /X{product code} /qn" for a Windows Installer product; nullopt when the entry
// has neither (no installer's switches are guessed).
[[nodiscard]] std::optional<std::string> QuietCommand(const SoftwareEntry& entry, platform::System& system);

// A command line cut into the program and its parameters, as the system reads it for a
// start with consent: a quoted program up to its closing quote; an unquoted one up to the
// first blank after which `isProgram` confirms a file (with or without ".exe" added), as
// "C:\Program Files\App\uninst.exe /S" names C:\Program Files\App\uninst.exe; failing
// that, up to the first blank.
struct CommandParts {
  std::string program;
  std::string parameters;
  friend bool operator==(const CommandParts&, const CommandParts&) = default;
};
[[nodiscard]] CommandParts SplitCommandLine(std::string_view line,
                                            const std::function<bool(std::string_view)>& isProgram);

}  // namespace sw::uninstall
