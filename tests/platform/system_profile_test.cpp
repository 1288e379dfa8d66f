// What the program takes the running system for, natively from the in-memory registry and a
// version record the test sets; windows_version_test.cpp checks the version record itself
// against Wine.

#include "platform/system_profile.h"

#include <gtest/gtest.h>

#include "platform/host/memory_registry.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "registry/windows_version.h"
#include "support/host_platform.h"

namespace sw::platform {
namespace {

constexpr const char* kNtCurrentVersion = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\)";
constexpr std::string_view kBuildValue = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\CurrentBuildNumber)";

TEST(SystemProfile, TheBuildInTheRegistryTellsWindows11FromWindows10) {
  test::HostPlatform host;
  host.system().SetVersion(VersionRecord{kPlatformNt, 10, 0, 19045});
  SystemProfile profile = Describe(host.platform());
  EXPECT_TRUE(profile.Modern());
  EXPECT_TRUE(profile.Windows10OrLater());
  EXPECT_FALSE(profile.Windows11());

  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine, kBuildValue, "22631"));
  profile = Describe(host.platform());
  EXPECT_EQ(profile.build, 22631U);
  EXPECT_TRUE(profile.Windows11());

  // A program held back to Windows 8's version record still learns the real build.
  host.system().SetVersion(VersionRecord{kPlatformNt, 6, 2, 9200});
  EXPECT_TRUE(Describe(host.platform()).Windows11());
}

TEST(SystemProfile, AnUnreadableBuildNumberIsIgnored) {
  test::HostPlatform host;
  host.system().SetVersion(VersionRecord{kPlatformNt, 10, 0, 19045});
  for (const char* text : {"", "22631a", "-1", "99999999999"}) {
    ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine, kBuildValue, text));
    EXPECT_EQ(Describe(host.platform()).build, 19045U) << text;
  }
  ASSERT_TRUE(reg::RegWriteDword(host.registry(), RootKey::LocalMachine, kBuildValue, 22631));
  EXPECT_EQ(Describe(host.platform()).build, 19045U) << "a number of another type is no build number";
}

TEST(SystemProfile, TheOldSystemsAreTheirOwnGenerationWhateverTheRegistrySays) {
  test::HostPlatform host;
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine, kBuildValue, "22631"));
  host.system().SetVersion(VersionRecord{kPlatformNt, 5, 1, 2600});
  host.system().SetAdmin(true);
  SystemProfile xp = Describe(host.platform());
  EXPECT_EQ(xp.generation, WindowsGeneration::WindowsNt);
  EXPECT_FALSE(xp.Windows10OrLater());
  EXPECT_EQ(xp.build, 2600U);
  EXPECT_TRUE(xp.elevated);
  host.system().SetVersion(VersionRecord{kPlatformWindows, 4, 10, 1998});
  EXPECT_EQ(Describe(host.platform()).generation, WindowsGeneration::Windows9x);
  host.system().SetVersion(VersionRecord{kPlatformNt, 6, 0, 6002});
  host.system().SetAdmin(false);
  const SystemProfile vista = Describe(host.platform());
  EXPECT_EQ(vista.generation, WindowsGeneration::Modern);
  EXPECT_FALSE(vista.elevated);
}

// The edition and whether the system is a server come from EditionID, which Vista and later
// write in one spelling whatever the language; the product name is never looked at.
TEST(SystemProfile, TheEditionAndAServerAreToldByTheEditionId) {
  test::HostPlatform host;
  const std::string edition = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\EditionID)";
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine, edition, "Enterprise"));
  host.system().SetVersion(VersionRecord{kPlatformNt, 10, 0, 19045});
  EXPECT_EQ(Describe(host.platform()).edition, "Enterprise");
  EXPECT_FALSE(Describe(host.platform()).server);
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine,
                                  std::string(kNtCurrentVersion) + "ProductName", "Windows Server 2019 Standard"));
  EXPECT_FALSE(Describe(host.platform()).server) << "a name is no edition";
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine, edition, "ServerStandard"));
  EXPECT_TRUE(Describe(host.platform()).server);
  host.system().SetVersion(VersionRecord{kPlatformNt, 6, 1, 7601});
  EXPECT_TRUE(Describe(host.platform()).server) << "Windows Server 2008 R2";
  host.system().SetVersion(VersionRecord{kPlatformNt, 5, 1, 2600});
  EXPECT_EQ(Describe(host.platform()).edition, "") << "XP writes no EditionID that decides anything";
}

// Windows 11 says "Windows 10" in ProductName: only the build tells it, the larger of the
// version record's and the registry's CurrentBuildNumber.
TEST(WindowsVersionName, TellsWindows11FromWindows10ByTheBuild) {
  test::HostPlatform host;
  platform::Platform& platform = host.platform();
  const auto name = [&] { return reg::WindowsVersionName(platform); };
  host.system().SetVersion(VersionRecord{kPlatformNt, 10, 0, 19045});
  EXPECT_EQ(name(), "Windows 10") << "a registry that names no version";
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine,
                                  std::string(kNtCurrentVersion) + "ProductName", "Windows 10 Pro"));
  EXPECT_EQ(name(), "Windows 10 Pro");
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine,
                                  std::string(kNtCurrentVersion) + "CurrentBuildNumber", "22631"));
  EXPECT_EQ(name(), "Windows 11 Pro");
  host.system().SetVersion(VersionRecord{kPlatformNt, 10, 0, 22000});
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine,
                                  std::string(kNtCurrentVersion) + "CurrentBuildNumber", "x"));
  EXPECT_EQ(name(), "Windows 11 Pro") << "the version record's build alone";
  // A registry of another system than the program is told (Wine's setting for one program).
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine,
                                  std::string(kNtCurrentVersion) + "ProductName", "Microsoft Windows 7"));
  EXPECT_EQ(name(), "Windows 11");
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine,
                                  std::string(kNtCurrentVersion) + "ProductName", "Windows Server 2022 Datacenter"));
  EXPECT_EQ(name(), "Windows 11") << "a server is told by its edition, not by its name";
  ASSERT_TRUE(reg::RegWriteString(host.registry(), RootKey::LocalMachine,
                                  std::string(kNtCurrentVersion) + "EditionID", "ServerDatacenter"));
  EXPECT_EQ(name(), "Windows Server 2022 Datacenter");
  // Before Windows 10 the registry's name stands as it is; so do the old systems' names.
  host.system().SetVersion(VersionRecord{kPlatformNt, 6, 1, 7601});
  EXPECT_EQ(name(), "Windows Server 2022 Datacenter");
  host.system().SetVersion(VersionRecord{kPlatformNt, 5, 1, 2600});
  EXPECT_EQ(name(), "Windows XP");
}

TEST(FixedDrives, ADriveAfterAGapIsCountedToo) {
  test::HostPlatform host;  // C: fixed, D: a CD-ROM drive, E: fixed
  EXPECT_EQ(FixedDriveRoots(host.files()), (std::vector<std::string>{"C:\\", "E:\\"}));
}

}  // namespace
}  // namespace sw::platform
