#include "registry/windows_version.h"

#include <gtest/gtest.h>

#include "platform/host/memory_registry.h"
#include "registry/registry_paths.h"

namespace sw::reg {
namespace {

using platform::kPlatformNt;
using platform::kPlatformWin32s;
using platform::kPlatformWindows;
using platform::RootKey;
using platform::VersionRecord;

constexpr const char* kNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
constexpr const char* k9xKey = "Software\\Microsoft\\Windows\\CurrentVersion\\";

TEST(WindowsVersionName, NamesTheVersionsItKnows) {
  platform::host::MemoryRegistry registry;
  const struct {
    VersionRecord version;
    const char* name;
  } rows[] = {
      {{kPlatformWin32s, 3, 11, 0}, "Windows 3.1"},
      {{kPlatformWindows, 3, 95, 0}, "Windows NT"},
      {{kPlatformWindows, 4, 0, 950}, "Windows 95"},
      {{kPlatformWindows, 4, 10, 1998}, "Windows 98"},
      {{kPlatformWindows, 4, 90, 3000}, "Windows ME"},
      {{kPlatformNt, 4, 0, 1381}, "Windows NT"},
      {{kPlatformNt, 5, 0, 2195}, "Windows 2000"},
      {{kPlatformNt, 5, 1, 2600}, "Windows XP"},
      {{7, 5, 1, 0}, ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(WindowsVersionName(row.version, registry), row.name) << row.version.major << "." << row.version.minor;
  }
}

TEST(WindowsVersionName, AsksTheRegistryForOtherVersions) {
  platform::host::MemoryRegistry registry;
  const VersionRecord win7{kPlatformNt, 6, 1, 7601};
  EXPECT_EQ(WindowsVersionName(win7, registry), "");  // neither value exists

  ASSERT_TRUE(RegWriteString(registry, RootKey::LocalMachine, std::string(kNtKey) + "ProductName", "Windows 7"));
  EXPECT_EQ(WindowsVersionName(win7, registry), "Windows 7");
  ASSERT_TRUE(RegWriteString(registry, RootKey::LocalMachine, std::string(kNtKey) + "Version", ""));
  EXPECT_EQ(WindowsVersionName(win7, registry), "Windows 7");  // an empty "Version" does not count
  ASSERT_TRUE(RegWriteString(registry, RootKey::LocalMachine, std::string(kNtKey) + "Version", "Build 7601"));
  EXPECT_EQ(WindowsVersionName(win7, registry), "Build 7601");

  // The 95 family reads its own key.
  const VersionRecord odd9x{kPlatformWindows, 4, 3, 0};
  EXPECT_EQ(WindowsVersionName(odd9x, registry), "");
  ASSERT_TRUE(RegWriteString(registry, RootKey::LocalMachine, std::string(k9xKey) + "ProductName", "Windows 9x"));
  EXPECT_EQ(WindowsVersionName(odd9x, registry), "Windows 9x");
}

TEST(WindowsVersionCode, CoversEveryRowOfItsTable) {
  const struct {
    VersionRecord version;
    int code;
  } rows[] = {
      {{kPlatformWindows, 4, 0, 0}, 1},  {{kPlatformWindows, 4, 1, 0}, 2},  {{kPlatformWindows, 4, 10, 0}, 2},
      {{kPlatformWindows, 4, 89, 0}, 2}, {{kPlatformWindows, 4, 90, 0}, 3}, {{kPlatformWindows, 4, 91, 0}, 7},
      {{kPlatformWindows, 3, 0, 0}, 0},  {{kPlatformWindows, 5, 0, 0}, 0},  {{kPlatformNt, 3, 51, 0}, 0},
      {{kPlatformNt, 4, 0, 0}, 4},       {{kPlatformNt, 5, 0, 0}, 5},       {{kPlatformNt, 5, 1, 0}, 6},
      {{kPlatformNt, 5, 2, 0}, 7},       {{kPlatformNt, 6, 1, 0}, 7},       {{kPlatformNt, 10, 0, 0}, 7},
      {{kPlatformWin32s, 3, 11, 0}, 7},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(WindowsVersionCode(row.version), row.code)
        << row.version.platformId << " " << row.version.major << "." << row.version.minor;
  }
}

}  // namespace
}  // namespace sw::reg
