// The invalid-entry scan over the in-memory registry and real folders as drives C: (fixed)
// and D: (CD-ROM).

#include "registry/registry_scan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/language.h"
#include "registry/registry_object.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"
#include "support/registry_spy.h"

namespace sw::reg {
namespace {

using platform::RootKey;

class RegistryScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.MakeFile("C:\\Windows\\win.ini");
    host_.MakeFolder("C:\\Windows.old\\sub");
  }

  void Put(RootKey root, std::string_view valuePath, std::string_view data) {
    ASSERT_TRUE(RegWriteString(host_.registry(), root, valuePath, data)) << valuePath;
  }

  // The value names of the rows, in order.
  std::vector<std::string> Scan() {
    sink_.rows.clear();
    sink_.stopAfterRows = -1;
    ScanRegistry(host_.platform(), sink_);
    std::vector<std::string> names;
    for (const auto& row : sink_.rows) {
      names.push_back(row.columns[1]);
    }
    return names;
  }

  test::HostPlatform host_;
  test::RecordingSink sink_;
};

TEST_F(RegistryScanTest, PathTestListsMissingFilesAndFoldersOnFixedDrives) {
  const std::vector<std::pair<std::string, std::string>> values = {
      {"missing file", R"(C:\Windows\NotThere.dll)"},   // listed
      {"cd drive", R"(D:\NotThere.dll)"},               // not a fixed drive
      {"blank", R"(C:\Program Files\Gone\app.exe)"},    // a blank makes it valid
      {"semicolon", R"(C:\Gone\a.dll;C:\Gone\b.dll)"},  // so do ";" and ","
      {"missing folder", R"(C:\Gone\x.ini[1])"},        // listed whatever the extension
      {"bracket", R"(C:\Windows\x.ini[1])"},            // "[" in the extension: valid
      {"pipe", R"(C:\Windows\x.a|b)"},                  // so is "|"
      {"existing", R"(c:\windows\WIN.INI)"},            // any letter case
      {"no extension", R"(C:\Gone)"},                   // listed
      {"existing folder", R"(C:\Windows)"},
      {"dotted folder", R"(C:\Windows.old\sub\file)"},  // tested by C:\Windows.old
      {"missing dotted", R"(C:\Gone.d\sub\file)"},      // listed
      {"drive A", R"(A:\x.dll)"},
      {"no backslash", R"(C:x.dll)"},
      {"unknown drive", R"(Q:\x.dll)"},
      {"lower case", R"(c:\gone\y.dll)"},  // listed
  };
  for (const auto& [name, data] : values) {
    Put(RootKey::CurrentUser, "Software\\T\\" + name, data);
  }
  EXPECT_EQ(Scan(), (std::vector<std::string>{"missing file", "missing folder", "no extension", "missing dotted",
                                              "lower case"}));
  EXPECT_EQ(sink_.rows[0].columns[0], "HKEY_CURRENT_USER: Software\\T");
  EXPECT_EQ(sink_.rows[0].columns[2], R"(C:\Windows\NotThere.dll)");
  EXPECT_TRUE(sink_.rows[0].checked);
  EXPECT_EQ(sink_.rows[0].image, 0);
}

TEST_F(RegistryScanTest, NameIsTestedBeforeDataAndOnlyStringsAreExamined) {
  RegistryObject object(host_.registry());
  ASSERT_TRUE(object.OpenKey("Software\\T", true));
  ASSERT_TRUE(object.WriteString(R"(C:\Gone\app.exe)", R"(C:\Windows\win.ini)"));  // listed by its name
  ASSERT_TRUE(object.WriteString(R"(C:\Windows\win.ini)", R"(C:\Gone\b.exe)"));    // listed by its data
  ASSERT_TRUE(object.WriteInteger(R"(C:\Gone\c.exe)", 1));                         // not examined
  ASSERT_TRUE(RegWriteMultiString(host_.registry(), RootKey::CurrentUser, R"(Software\T\multi)",
                                  std::string("C:\\Gone\\d.exe\0", 14)));
  ASSERT_TRUE(object.WriteExpandString("expand", R"(C:\Gone\%x%.dll)"));  // shown as stored
  ASSERT_TRUE(object.WriteExpandString("unexpanded", R"(%SystemRoot%\gone.dll)"));
  EXPECT_EQ(Scan(), (std::vector<std::string>{R"(C:\Gone\app.exe)", R"(C:\Windows\win.ini)", "expand"}));
  EXPECT_EQ(sink_.rows[2].columns[2], R"(C:\Gone\%x%.dll)");
}

TEST_F(RegistryScanTest, SystemSettingsKeysAreNeverListed) {
  Put(RootKey::CurrentUser, R"(Software\Microsoft\Windows\CurrentVersion\v)", R"(C:\Gone\a.exe)");
  Put(RootKey::CurrentUser, R"(software\MICROSOFT\windows\currentVersion\Run\v)", R"(C:\Gone\b.exe)");
  Put(RootKey::Users, R"(S-1-5-21\Software\Microsoft\Windows\CurrentVersion\App\v)", R"(C:\Gone\c.exe)");
  Put(RootKey::CurrentUser, R"(Software\Microsoft\Windows\Current\v)", R"(C:\Gone\listed.exe)");
  EXPECT_EQ(Scan(), std::vector<std::string>{"v"});
  EXPECT_EQ(sink_.rows[0].columns[2], R"(C:\Gone\listed.exe)");
}

TEST_F(RegistryScanTest, RootsDependOnAdministratorRights) {
  Put(RootKey::LocalMachine, R"(Software\T\lm)", R"(C:\Gone\a.exe)");
  Put(RootKey::LocalMachine, R"(System\T\outside software)", R"(C:\Gone\a.exe)");
  Put(RootKey::LocalMachine, R"(Software\own value of the start key)", R"(C:\Gone\a.exe)");
  Put(RootKey::CurrentUser, R"(T\cu)", R"(C:\Gone\a.exe)");
  Put(RootKey::Users, R"(S-1-5-21\Software\T\users)", R"(C:\Gone\a.exe)");

  host_.system().SetAdmin(true);
  EXPECT_EQ(Scan(), (std::vector<std::string>{"lm", "cu", "users"}));
  EXPECT_EQ(sink_.rows[0].columns[0], "HKEY_LOCAL_MACHINE: Software\\T");  // no leading backslash
  EXPECT_EQ(sink_.rows[1].columns[0], "HKEY_CURRENT_USER: T");
  EXPECT_EQ(sink_.rows[2].columns[0], "HKEY_USERS: S-1-5-21\\Software\\T");

  host_.system().SetAdmin(false);
  EXPECT_EQ(Scan(), std::vector<std::string>{"cu"});
}

TEST_F(RegistryScanTest, StopKeepsRowsAndTheNextScanStartsAfresh) {
  host_.system().SetAdmin(true);
  for (const char* name : {"a", "b", "c"}) {
    Put(RootKey::LocalMachine, std::string(R"(Software\T\)") + name, R"(C:\Gone\x.exe)");
  }
  Put(RootKey::CurrentUser, R"(T\cu)", R"(C:\Gone\a.exe)");
  sink_.stopAfterRows = 2;
  FindRegistry(host_.platform(), sink_);
  EXPECT_EQ(sink_.rows.size(), 2U);
  EXPECT_EQ(sink_.statuses, (std::vector<std::string>{std::string(Text(85)), std::string(Text(71))}));
  EXPECT_EQ(Scan(), (std::vector<std::string>{"a", "b", "c", "cu"}));
}

TEST_F(RegistryScanTest, KeyThatDoesNotOpenIsPassedOverWithItsSubtree) {
  Put(RootKey::CurrentUser, R"(A\v)", R"(C:\Gone\a.exe)");
  Put(RootKey::CurrentUser, R"(A\Sub\v)", R"(C:\Gone\a.exe)");
  Put(RootKey::CurrentUser, R"(B\v)", R"(C:\Gone\b.exe)");
  std::unique_ptr<platform::Registry> memory = std::move(host_.platform().registry);
  auto spy = std::make_unique<test::RegistrySpy>(*memory);
  spy->FailOpening("A");  // as a key we may read but not change
  host_.platform().registry = std::move(spy);
  EXPECT_EQ(Scan(), std::vector<std::string>{"v"});
  EXPECT_EQ(sink_.rows[0].columns[0], "HKEY_CURRENT_USER: B");
  host_.platform().registry = std::move(memory);
}

TEST_F(RegistryScanTest, TheUsersOwnHivesBelowHkeyUsersAreNotWalkedAgain) {
  host_.system().SetCurrentUserSid("S-1-5-21-7-7-7-1001");
  Put(RootKey::CurrentUser, R"(Software\T\own)", R"(C:\Gone.exe)");
  Put(RootKey::Users, R"(S-1-5-21-7-7-7-1001\Software\T\own again)", R"(C:\Gone.exe)");
  Put(RootKey::Users, R"(s-1-5-21-7-7-7-1001_classes\T\own classes)", R"(C:\Gone.exe)");
  Put(RootKey::Users, R"(S-1-5-21-7-7-7-1002\Software\T\other user)", R"(C:\Gone.exe)");
  Put(RootKey::Users, R"(.DEFAULT\Software\T\default)", R"(C:\Gone.exe)");
  // A deeper key of the same name is not the hive.
  Put(RootKey::Users, R"(.DEFAULT\S-1-5-21-7-7-7-1001\deeper)", R"(C:\Gone.exe)");
  std::vector<std::string> names = Scan();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"deeper", "default", "other user", "own"}));
}

TEST(KeyDateText, TwelveHourClockInUtcWithTheSystemSeparators) {
  const platform::DateTimeSeparators us;
  EXPECT_EQ(KeyDateText(FromCalendar({2026, 12, 8, 0, 5, 59}), us), "12/08/2026 12:05AM");
  EXPECT_EQ(KeyDateText(FromCalendar({2026, 1, 2, 12, 0}), us), "01/02/2026 12:00PM");
  EXPECT_EQ(KeyDateText(FromCalendar({1999, 7, 31, 23, 9}), us), "07/31/1999 11:09PM");
  EXPECT_EQ(KeyDateText(FromCalendar({2026, 3, 4, 9, 30}), platform::DateTimeSeparators{".", "."}),
            "03.04.2026 09.30AM");
}

}  // namespace
}  // namespace sw::reg
