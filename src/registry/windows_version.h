#pragma once
// What the program calls the running Windows version: a display name for texts and a code
// that picks the header of registry export files.

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace sw::reg {

// The name the version numbers alone give: "Windows 95", "Windows 98", "Windows ME",
// "Windows NT", "Windows 2000", "Windows XP" (and "Windows 3.1"); empty for the versions the
// registry names.
std::string_view FixedVersionName(const platform::VersionRecord& version);

// FixedVersionName, or for other versions the "Version" (else "ProductName") value of the
// system's CurrentVersion key; empty for an unknown platform. The registry's words are
// shown, never used to tell systems apart: SystemProfile does that by numbers.
std::string WindowsVersionName(const platform::VersionRecord& version, platform::Registry& registry);

// WindowsVersionName of the running system, with Windows 10 and 11 told apart by the build
// Describe finds: from build 22000 on, where the registry's ProductName still says
// "Windows 10 Pro", the name says "Windows 11 Pro". A ProductName that names neither (the
// registry of a system that reports another version to this program, as Wine's settings
// for one program do) gives "Windows 10" or "Windows 11" alone; a server edition's name
// (by its EditionID) is kept.
std::string WindowsVersionName(platform::Platform& platform);

// 1 Windows 95, 2 Windows 98, 3 Windows ME, 4 NT 4, 5 Windows 2000, 6 Windows XP, 7 newer or
// unknown, 0 older.
int WindowsVersionCode(const platform::VersionRecord& version);

}  // namespace sw::reg
