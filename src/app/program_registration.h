#pragma once
// What every start writes to the registry, and the name the single instance is known by.

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace sw::app {

inline constexpr std::string_view kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kAutoRunValue = "SweepwiseAutoRun";
inline constexpr std::string_view kPathValue = "Path";

// "Path" under HKEY_CURRENT_USER\Software\Orvanta\Sweepwise\Program: the running program.
[[nodiscard]] bool WriteProgramPath(platform::Registry& registry, std::string_view exePath);

// "SweepwiseAutoRun" under the Run key of HKEY_LOCAL_MACHINE for an administrator, else of
// HKEY_CURRENT_USER, with `programDir` + "\sweepwise.exe". A value that exists, with any
// data, is left as it is: the user may have pointed it elsewhere. Returns whether it was
// written now.
bool RegisterAutoRun(platform::Registry& registry, bool isAdmin, std::string_view programDir);

// The application title, which also names the single-instance mutex: the executable's file
// name without its extension, every letter after the first in lower case ("Sweepwise").
[[nodiscard]] std::string ApplicationTitle(std::string_view exePath);

}  // namespace sw::app
