#include "registry/windows_version.h"

#include <limits>
#include <string_view>

#include "registry/registry_paths.h"

namespace sw::reg {
namespace {

using platform::kPlatformNt;
using platform::kPlatformWin32s;
using platform::kPlatformWindows;

constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

// A range of version numbers; a row matches when platform, major and minor all fall in it.
struct VersionRange {
  std::uint32_t platform;
  std::uint32_t majorLow, majorHigh;
  std::uint32_t minorLow, minorHigh;

  [[nodiscard]] bool Contains(const platform::VersionRecord& v) const {
    return v.platformId == platform && v.major >= majorLow && v.major <= majorHigh && v.minor >= minorLow &&
           v.minor <= minorHigh;
  }
};

struct NameRow {
  VersionRange range;
  std::string_view name;  // empty: read the name from the CurrentVersion key below
};

// First matching row wins.
constexpr NameRow kNames[] = {
    {{kPlatformWin32s, 0, kMax, 0, kMax}, "Windows 3.1"},
    {{kPlatformWindows, 3, 3, 0, kMax}, "Windows NT"},
    {{kPlatformWindows, 4, 4, 0, 0}, "Windows 95"},
    {{kPlatformWindows, 4, 4, 10, 10}, "Windows 98"},
    {{kPlatformWindows, 4, 4, 90, 90}, "Windows ME"},
    {{kPlatformWindows, 0, kMax, 0, kMax}, ""},
    {{kPlatformNt, 4, 4, 0, kMax}, "Windows NT"},
    {{kPlatformNt, 5, 5, 0, 0}, "Windows 2000"},
    {{kPlatformNt, 5, 5, 1, 1}, "Windows XP"},
    {{kPlatformNt, 0, kMax, 0, kMax}, ""},
};

struct CodeRow {
  VersionRange range;
  int code;
};

// First matching row wins; versions no row matches get 7.
constexpr CodeRow kCodes[] = {
    {{kPlatformWindows, 4, 4, 0, 0}, 1},
    {{kPlatformWindows, 4, 4, 1, 89}, 2},
    {{kPlatformWindows, 4, 4, 90, 90}, 3},
    {{kPlatformWindows, 4, 4, 91, kMax}, 7},
    {{kPlatformWindows, 0, kMax, 0, kMax}, 0},
    {{kPlatformNt, 0, 3, 0, kMax}, 0},
    {{kPlatformNt, 4, 4, 0, kMax}, 4},
    {{kPlatformNt, 5, 5, 0, 0}, 5},
    {{kPlatformNt, 5, 5, 1, 1}, 6},
};

std::string NameFromRegistry(platform::Registry& registry, std::uint32_t platformId) {
  const std::string key = platformId == kPlatformWindows ? "Software\\Microsoft\\Windows\\CurrentVersion\\"
                                                         : "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
  std::string version = RegReadString(registry, RootKey::LocalMachine, key + "Version").value_or("");
  if (!version.empty()) {
    return version;
  }
  return RegReadString(registry, RootKey::LocalMachine, key + "ProductName").value_or("");
}

}  // namespace

std::string_view FixedVersionName(const platform::VersionRecord& version) {
  for (const auto& row : kNames) {
    if (row.range.Contains(version)) {
      return row.name;
    }
  }
  return {};
}

std::string WindowsVersionName(const platform::VersionRecord& version, platform::Registry& registry) {
  for (const auto& row : kNames) {
    if (row.range.Contains(version)) {
      return row.name.empty() ? NameFromRegistry(registry, version.platformId) : std::string(row.name);
    }
  }
  return {};
}

std::string WindowsVersionName(platform::Platform& platform) {
  std::string name = WindowsVersionName(platform.system->Version(), *platform.registry);
  const platform::SystemProfile profile = platform::Describe(platform);
  if (!profile.Windows10OrLater()) {
    return name;
  }
  const std::string_view generation = profile.Windows11() ? "Windows 11" : "Windows 10";
  for (const std::string_view named : {"Windows 10", "Windows 11"}) {
    if (const auto at = name.find(named); at != std::string::npos) {
      return name.replace(at, named.size(), generation);
    }
  }
  return profile.server ? name : std::string(generation);
}

int WindowsVersionCode(const platform::VersionRecord& version) {
  for (const auto& row : kCodes) {
    if (row.range.Contains(version)) {
      return row.code;
    }
  }
  return 7;
}

}  // namespace sw::reg
