#pragma once
// What every start writes to the registry, and the name the single instance is known by.

#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/system_profile.h"

namespace sw::app {

inline constexpr std::string_view kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kAutoRunValue = "SweepwiseAutoRun";
inline constexpr std::string_view kPathValue = "Path";

// "Path" under HKEY_CURRENT_USER\Software\Orvanta\Sweepwise\Program: the running program.
[[nodiscard]] bool WriteProgramPath(platform::Registry& registry, std::string_view exePath);

// The root of the autorun value. Up to XP: HKEY_LOCAL_MACHINE for an administrator, else
// HKEY_CURRENT_USER. From Vista on always HKEY_CURRENT_USER: a user who restarts Sweepwise
// with administrator rights has not asked for it to start at every other user's logon.
[[nodiscard]] platform::RootKey AutoRunRoot(const platform::SystemProfile& profile);

struct AutoRunOutcome {
  bool written = false;  // written now (false: it was there already, or could not be)
  std::string error;     // what could not be written and why; empty on success
};

// "SweepwiseAutoRun" under the Run key of `root`, with `programDir` + "\sweepwise.exe". A
// value that exists, with any data, is left as it is: the user may have pointed it
// elsewhere.
AutoRunOutcome RegisterAutoRun(platform::Registry& registry, platform::RootKey root, std::string_view programDir);

// The application title, which also names the single-instance mutex: the executable's file
// name without its extension, every letter after the first in lower case ("Sweepwise").
[[nodiscard]] std::string ApplicationTitle(std::string_view exePath);

}  // namespace sw::app
