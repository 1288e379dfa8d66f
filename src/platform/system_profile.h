#pragma once
// What the program acts for: which generation of Windows, which build, and with which
// rights. The behaviour the program was first written with belongs to Windows 95 to XP; from
// Vista on, the engines also read the further rows of their tables (locations, uninstall
// sources, settings) that a user of those systems expects. This is the one place that tells
// the generations apart; engines ask it, and no other code looks at version numbers for it.

#include <cstdint>
#include <string>

#include "platform/registry.h"
#include "platform/system.h"

namespace sw::platform {

enum class WindowsGeneration {
  Windows9x,  // Windows 95, 98 and ME (and Win32s): no user rights at all
  WindowsNt,  // NT 4, 2000, XP and Server 2003: every user an administrator, as a rule
  Modern,     // Vista and later: User Account Control, per-user data, 64-bit registry views
};

struct SystemProfile {
  WindowsGeneration generation = WindowsGeneration::Modern;
  // The build number. Windows 10 and 11 both report version 10.0, and their ProductName
  // says "Windows 10" on both: only the build tells them apart.
  std::uint32_t build = 0;
  // IsAdmin: whether machine-wide writes (HKEY_LOCAL_MACHINE, the program folder of an
  // install for everyone) can succeed.
  bool elevated = false;
  // EditionID of the system's CurrentVersion key from Vista on ("Core" for Home,
  // "Professional", "Enterprise", "Education", "ServerStandard", ...): some policies are
  // honoured only by some editions. Empty when the system does not say.
  std::string edition{};
  // A server edition (EditionID "Server..."): Windows Server 2016 to 2025 report the version
  // numbers of Windows 10 and 11, and are neither.
  bool server = false;

  [[nodiscard]] bool Modern() const { return generation == WindowsGeneration::Modern; }
  [[nodiscard]] bool Windows10OrLater() const { return Modern() && build >= kFirstWindows10Build; }
  [[nodiscard]] bool Windows11() const { return Modern() && build >= kFirstWindows11Build; }

  static constexpr std::uint32_t kFirstWindows10Build = 10240;
  static constexpr std::uint32_t kFirstWindows11Build = 22000;
};

// The generation of a version record.
[[nodiscard]] WindowsGeneration GenerationOf(const VersionRecord& version);

// Describes the running system. The build comes from the registry's CurrentBuildNumber where
// the version record's may be held back (a program without the newest compatibility entry
// is told Windows 8's); the larger of the two counts. Reads only; cheap enough to ask at the
// start of every command, so a test that changes the version or the rights is seen at once.
[[nodiscard]] SystemProfile DescribeSystem(System& system, Registry& registry);

}  // namespace sw::platform
