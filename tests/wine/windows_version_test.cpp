// The version routines on the real system: Wine reports what its settings make it report.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/bytes.h"
#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "registry/registry_paths.h"
#include "support/temp_folder.h"

namespace sw::platform {
namespace {

// Wine's settings for one program, by its file name: only the XP test's copy of the probe
// is made to see Windows XP, so the tests may run side by side.
constexpr const char* kXpProbe = "sweepwise-version-probe-xp.exe";
constexpr const char* kXpProbeSettings = "Software\\Wine\\AppDefaults\\sweepwise-version-probe-xp.exe";
constexpr const char* kNtVersionValue = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Version";

class WineVersion : public ::testing::Test {
 protected:
  // Each test undoes only its own setting: the tests run side by side in separate processes,
  // and one must not take away another's setting while it probes.
  void TearDown() override {
    if (setXp_) {
      (void)reg::RegDeleteKeyAt(registry_, RootKey::CurrentUser, kXpProbeSettings, true);
    }
    if (setVersion_) {
      (void)reg::RegDeleteValueAt(registry_, RootKey::LocalMachine, kNtVersionValue);
    }
  }

  // Runs the probe that sits beside this test program, or a copy of it named `copyName`,
  // and returns what it wrote.
  std::string Probe(const std::string& copyName = "") {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path probe = std::filesystem::path(self).parent_path() / "sweepwise-version-probe.exe";
    std::filesystem::path program = probe;
    if (!copyName.empty()) {
      program = temp_.path() / copyName;
      std::filesystem::copy_file(probe, program, std::filesystem::copy_options::overwrite_existing);
    }
    const std::string out = test::Utf8Of(temp_.path() / "version.txt");
    const std::string command = "\"" + test::Utf8Of(program) + "\" \"" + out + "\"";
    EXPECT_TRUE(processes_.ExecuteProgram(command, /*hidden=*/true, /*wait=*/true));
    // ExecuteProgram waited for the end, so the file is complete now.
    return std::string(AsText(files_.ReadWhole(out).value_or(Bytes{})));
  }

  win32::Win32Registry registry_;
  win32::Win32FileSystem files_;
  win32::Win32Processes processes_;
  test::TempFolder temp_;
  bool setXp_ = false;
  bool setVersion_ = false;
};

TEST_F(WineVersion, NamesWindowsXpWhenThePrefixSaysXp) {
  setXp_ = true;
  ASSERT_TRUE(
      reg::RegWriteString(registry_, RootKey::CurrentUser, std::string(kXpProbeSettings) + "\\Version", "winxp"));
  EXPECT_EQ(Probe(kXpProbe), "Windows XP|6");
}

TEST_F(WineVersion, NamesNewerVersionsFromTheRegistry) {
  // A fresh prefix is Windows 7 (NT 6.1) with only "ProductName" set.
  EXPECT_EQ(Probe(), "Microsoft Windows 7|7");
  setVersion_ = true;
  ASSERT_TRUE(reg::RegWriteString(registry_, RootKey::LocalMachine, kNtVersionValue, "Sweepwise Test Build"));
  EXPECT_EQ(Probe(), "Sweepwise Test Build|7");
}

TEST_F(WineVersion, ExecuteProgramReportsWhatDoesNotStart) {
  EXPECT_FALSE(processes_.ExecuteProgram("C:\\no\\such\\program.exe", true, true));
}

TEST(WineSystem, RunsUsAsAdministrator) {
  // Wine gives every process an administrator's token, so the administrator paths are the
  // ones the Wine tests exercise.
  win32::Win32System system;
  EXPECT_TRUE(system.IsAdmin());
  EXPECT_EQ(system.Version().platformId, kPlatformNt);
}

}  // namespace
}  // namespace sw::platform
