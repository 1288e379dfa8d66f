#include "registry/windows_version.h"

#include <gtest/gtest.h>

#include "platform/host/memory_registry.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"

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

// Windows 11 says "Windows 10" in ProductName: only the build tells it, the larger of the
// version record's and the registry's CurrentBuildNumber.
TEST(WindowsVersionName, TellsWindows11FromWindows10ByTheBuild) {
  test::HostPlatform host;
  platform::Platform& platform = host.platform();
  const auto name = [&] { return WindowsVersionName(platform); };
  host.system().SetVersion({kPlatformNt, 10, 0, 19045});
  EXPECT_EQ(name(), "Windows 10") << "a registry that names no version";
  ASSERT_TRUE(RegWriteString(host.registry(), RootKey::LocalMachine, std::string(kNtKey) + "ProductName",
                             "Windows 10 Pro"));
  EXPECT_EQ(name(), "Windows 10 Pro");
  ASSERT_TRUE(RegWriteString(host.registry(), RootKey::LocalMachine, std::string(kNtKey) + "CurrentBuildNumber",
                             "22631"));
  EXPECT_EQ(name(), "Windows 11 Pro");
  host.system().SetVersion({kPlatformNt, 10, 0, 22000});
  ASSERT_TRUE(RegWriteString(host.registry(), RootKey::LocalMachine, std::string(kNtKey) + "CurrentBuildNumber", "x"));
  EXPECT_EQ(name(), "Windows 11 Pro") << "the version record's build alone";
  // A registry of another system than the program is told (Wine's setting for one program).
  ASSERT_TRUE(RegWriteString(host.registry(), RootKey::LocalMachine, std::string(kNtKey) + "ProductName",
                             "Microsoft Windows 7"));
  EXPECT_EQ(name(), "Windows 11");
  ASSERT_TRUE(RegWriteString(host.registry(), RootKey::LocalMachine, std::string(kNtKey) + "ProductName",
                             "Windows Server 2022 Datacenter"));
  EXPECT_EQ(name(), "Windows Server 2022 Datacenter");
  // Before Windows 10 the registry's name stands as it is; so do the old systems' names.
  host.system().SetVersion({kPlatformNt, 6, 1, 7601});
  EXPECT_EQ(name(), "Windows Server 2022 Datacenter");
  host.system().SetVersion({kPlatformNt, 5, 1, 2600});
  EXPECT_EQ(name(), "Windows XP");
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
