#include "app/program_registration.h"

#include <gtest/gtest.h>

#include "platform/host/memory_registry.h"
#include "registry/registry_object.h"

namespace sw::app {
namespace {

using platform::RootKey;

std::string RunValue(platform::Registry& registry, RootKey root) {
  reg::RegistryObject run(registry, root);
  if (!run.OpenKey(kRunKey, false)) {
    return "<no key>";
  }
  const Result<std::string> value = run.ReadString(kAutoRunValue);
  return value ? *value : "<no value>";
}

TEST(ProgramRegistration, TheAutoRunValueGoesUnderTheRootItIsGiven) {
  platform::host::MemoryRegistry registry;
  EXPECT_TRUE(RegisterAutoRun(registry, RootKey::LocalMachine, "C:\\Program Files\\Sweepwise").written);
  EXPECT_EQ(RunValue(registry, RootKey::LocalMachine), "C:\\Program Files\\Sweepwise\\sweepwise.exe");
  EXPECT_EQ(RunValue(registry, RootKey::CurrentUser), "<no key>");

  platform::host::MemoryRegistry user;
  EXPECT_TRUE(RegisterAutoRun(user, RootKey::CurrentUser, "C:\\sw").written);
  EXPECT_EQ(RunValue(user, RootKey::CurrentUser), "C:\\sw\\sweepwise.exe");
  EXPECT_EQ(RunValue(user, RootKey::LocalMachine), "<no key>");
}

TEST(ProgramRegistration, OnlyAnAdministratorOfTheOldSystemsRegistersForEveryUser) {
  using platform::WindowsGeneration;
  EXPECT_EQ(AutoRunRoot({WindowsGeneration::WindowsNt, 2600, true}), RootKey::LocalMachine);
  EXPECT_EQ(AutoRunRoot({WindowsGeneration::Windows9x, 1998, true}), RootKey::LocalMachine);
  EXPECT_EQ(AutoRunRoot({WindowsGeneration::WindowsNt, 2600, false}), RootKey::CurrentUser);
  EXPECT_EQ(AutoRunRoot({WindowsGeneration::Modern, 22631, true}), RootKey::CurrentUser)
      << "an elevated restart must not add Sweepwise to every user's logon";
}

TEST(ProgramRegistration, AnExistingAutoRunValueIsNotTouchedAndADeletedOneComesBack) {
  platform::host::MemoryRegistry registry;
  reg::RegistryObject run(registry, RootKey::CurrentUser);
  ASSERT_TRUE(run.OpenKey(kRunKey, true));
  ASSERT_TRUE(run.WriteString(kAutoRunValue, "D:\\elsewhere\\other.exe /quiet"));
  const AutoRunOutcome present = RegisterAutoRun(registry, RootKey::CurrentUser, "C:\\sw");
  EXPECT_FALSE(present.written);
  EXPECT_EQ(present.error, "") << "a value that is there is no failure";
  EXPECT_EQ(RunValue(registry, RootKey::CurrentUser), "D:\\elsewhere\\other.exe /quiet");

  ASSERT_TRUE(run.DeleteValue(kAutoRunValue));
  EXPECT_TRUE(RegisterAutoRun(registry, RootKey::CurrentUser, "C:\\sw").written);
  EXPECT_EQ(RunValue(registry, RootKey::CurrentUser), "C:\\sw\\sweepwise.exe");
}

TEST(ProgramRegistration, ThePathValueNamesTheRunningProgram) {
  platform::host::MemoryRegistry registry;
  ASSERT_TRUE(WriteProgramPath(registry, "C:\\sw\\sweepwise.exe"));
  ASSERT_TRUE(WriteProgramPath(registry, "C:\\new place\\sweepwise.exe")) << "written at every start";
  reg::RegistryObject program(registry, RootKey::CurrentUser);
  ASSERT_TRUE(program.OpenKey("Software\\Orvanta\\Sweepwise\\Program", false));
  EXPECT_EQ(program.ReadString("Path").value(), "C:\\new place\\sweepwise.exe");
}

TEST(ProgramRegistration, TheTitleIsTheFileNameWithOnlyItsFirstLetterAsWritten) {
  EXPECT_EQ(ApplicationTitle("C:\\Program Files\\Sweepwise\\SWEEPWISE.EXE"), "Sweepwise");
  EXPECT_EQ(ApplicationTitle("C:\\x\\sweepwise.exe"), "sweepwise");
  EXPECT_EQ(ApplicationTitle("C:\\x.y\\Clean.Up.exe"), "Clean.up");
  EXPECT_EQ(ApplicationTitle("C:\\x\\ÇÖP.EXE"), "Çöp");
  EXPECT_EQ(ApplicationTitle("C:\\x\\"), "");
}

}  // namespace
}  // namespace sw::app
