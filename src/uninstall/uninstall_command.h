#pragma once
// The command that removes an entry's program, as it is started: environment variables
// expanded, Windows Installer products removed by the installer service itself, the quiet
// form for scripts only where the entry (or Windows Installer) provides one.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/system.h"
#include "uninstall/software_entry.h"

namespace sw::uninstall {

// The product code a Windows Installer entry is registered under: its subkey's name when that
// is a GUID in braces ("{6F2C1D3A-...}"), with WindowsInstaller = 1. nullopt otherwise.
[[nodiscard]] std::optional<std::string> ProductCode(const SoftwareEntry& entry);

// `text` with its environment variables expanded: as the system expands REG_EXPAND_SZ data,
// and likewise a REG_SZ command that holds %NAME% (a program does not start otherwise).
[[nodiscard]] std::string ExpandedCommand(const EntryText& command, platform::System& system);

// The interactive uninstall: "<System32>\MsiExec.exe /X{product code}" for a Windows
// Installer product (its UninstallString often opens the repair dialog instead), else the
// expanded UninstallString; empty when the entry names none.
[[nodiscard]] std::string InteractiveCommand(const SoftwareEntry& entry, platform::System& system);

// The uninstall for scripts, without questions: the expanded QuietUninstallString, else
// "<System32>\MsiExec.exe /X{product code} /qn" for a Windows Installer product; nullopt when
// the entry has neither (no installer's switches are guessed).
[[nodiscard]] std::optional<std::string> QuietCommand(const SoftwareEntry& entry, platform::System& system);

// A command line cut into the program and its parameters: a quoted program up to its closing
// quote; an unquoted one up to the last blank before which `isProgram` confirms a file (with
// or without ".exe" added), as "C:\Program Files\App\uninst.exe /S" names
// C:\Program Files\App\uninst.exe; failing that, up to the first blank. (The system itself
// tries the shortest file first, which lets a file planted at "C:\Program.exe" run.)
struct CommandParts {
  std::string program;
  std::string parameters;
  friend bool operator==(const CommandParts&, const CommandParts&) = default;
};
[[nodiscard]] CommandParts SplitCommandLine(std::string_view line,
                                            const std::function<bool(std::string_view)>& isProgram);

// The program a command starts, as a full path, so that no folder is searched for it: the
// system searches this program's own folder and the current folder first, which another user
// (or any program of this one) may have written.
struct ProgramToStart {
  enum class Kind {
    Found,    // `parts.program` is the full path of a file that exists
    Missing,  // the command names a full path, and nothing is there: the program is gone
    Refused,  // the command names its program in a way that leaves the folder open
  };
  Kind kind = Kind::Refused;
  CommandParts parts;
  std::string problem;  // Refused: why, as a sentence
};

// Resolves `command`'s program: a full path ("C:\...\un.exe", "\\server\share\un.exe") is
// taken as it is; a bare name ("MsiExec.exe", "rundll32") is one of Windows' own programs in
// System32 or the Windows folder (".exe" added when it has no extension), or refused; a
// relative path ("bin\un.exe") is refused.
[[nodiscard]] ProgramToStart ResolveProgram(std::string_view command, platform::FileSystem& files,
                                            platform::System& system);

}  // namespace sw::uninstall
