// The removal of listed registry values and its backup file.

#include "registry/registry_clean.h"

#include <gtest/gtest.h>

#include "core/language.h"
#include "core/text.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"
#include "support/registry_spy.h"

namespace sw::reg {
namespace {

using platform::RootKey;
using Lines = std::vector<std::string>;

ResultRow Row(std::string caption, std::string name, bool checked = true) {
  ResultRow row;
  row.columns = {std::move(caption), std::move(name), "", ""};
  row.checked = checked;
  return row;
}

class RegistryCleanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, R"(Software\T\old)", R"(C:\Old\app.exe)"));
    RegistryObject machine(host_.registry(), RootKey::LocalMachine);
    ASSERT_TRUE(machine.OpenKey("Software\\T", true));
    ASSERT_TRUE(machine.WriteString(R"(C:\Gone\a "b".exe)", "x"));
    ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, R"(Software\T\kept)", R"(C:\Gone\k.exe)"));
    list_ = {Row("HKEY_CURRENT_USER: Software\\T", "old"),
             Row("HKEY_LOCAL_MACHINE: Software\\T", R"(C:\Gone\a "b".exe)"),
             Row("HKEY_CURRENT_USER: \\Software\\T", "kept", false)};
  }

  RegistryCleanOutcome Delete(bool backup) {
    RegistryObject object(host_.registry());
    return DeleteRegistry(list_, backup, host_.platform(), object, sink_);
  }
  bool Has(RootKey root, std::string_view valuePath) { return RegValueExists(host_.registry(), root, valuePath); }
  Lines BackupLines(std::string_view name) {
    return SplitLines(test::ReadFileBytes(host_.Host(std::string("C:\\Program\\") + std::string(name))));
  }

  test::HostPlatform host_;
  test::RecordingSink sink_;
  std::vector<ResultRow> list_;
};

TEST(SplitEntryCaption, RootAndKeyPathWithLeadingBackslash) {
  EntryKey key = SplitEntryCaption("HKEY_LOCAL_MACHINE: Software\\Foo");
  EXPECT_EQ(key.root, RootKey::LocalMachine);
  EXPECT_EQ(key.rootName, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(key.keyPath, "\\Software\\Foo");
  key = SplitEntryCaption("HKEY_CURRENT_USER: \\Software\\Foo");
  EXPECT_EQ(key.root, RootKey::CurrentUser);
  EXPECT_EQ(key.keyPath, "\\Software\\Foo");
  EXPECT_EQ(SplitEntryCaption("HKEY_USERS: S-1\\X").root, RootKey::Users);
  EXPECT_EQ(SplitEntryCaption("HKEY_SOMETHING: X").root, RootKey::LocalMachine);
  EXPECT_EQ(SplitEntryCaption("no colon").keyPath, "\\no colon");
}

TEST_F(RegistryCleanTest, BackupHoldsEveryCheckedValueBeforeAnyIsDeleted) {
  std::unique_ptr<platform::Registry> memory = std::move(host_.platform().registry);
  auto spy = std::make_unique<test::RegistrySpy>(*memory);
  Lines onFirstDeletion;
  spy->beforeDeletingValue = [&](const std::string&, std::string_view) {
    if (onFirstDeletion.empty()) {
      onFirstDeletion = BackupLines("regbackup000.reg");
    }
  };
  host_.platform().registry = std::move(spy);

  const RegistryCleanOutcome outcome = Delete(/*backup=*/true);
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_EQ(sink_.questions[0].text, Text(74));
  EXPECT_EQ(outcome.removed, 2);
  EXPECT_EQ(outcome.backupFile, "C:\\Program\\regbackup000.reg");
  const Lines expected = {"REGEDIT4", "[HKEY_CURRENT_USER\\Software\\T]", R"("old"="C:\\Old\\app.exe")",
                          "[HKEY_LOCAL_MACHINE\\Software\\T]", R"("C:\\Gone\\a \"b\".exe"="x")"};
  EXPECT_EQ(onFirstDeletion, expected);
  EXPECT_EQ(BackupLines("regbackup000.reg"), expected);
  EXPECT_TRUE(list_.empty());

  host_.platform().registry = std::move(memory);
  EXPECT_FALSE(Has(RootKey::CurrentUser, R"(Software\T\old)"));
  RegistryObject machine(host_.registry(), RootKey::LocalMachine);
  ASSERT_TRUE(machine.OpenKey("Software\\T", false));
  EXPECT_FALSE(machine.ValueExists(R"(C:\Gone\a "b".exe)"));
  EXPECT_TRUE(Has(RootKey::CurrentUser, R"(Software\T\kept)"));  // not checked
}

TEST_F(RegistryCleanTest, BackupKeepsTheTypeOfEveryValue) {
  RegistryObject object(host_.registry());
  ASSERT_TRUE(object.OpenKey("Software\\T", false));
  ASSERT_TRUE(object.WriteExpandString("expand", "%X%\\y"));
  ASSERT_TRUE(object.WriteInteger("number", 10));
  const std::uint8_t bytes[] = {1, 2};
  ASSERT_TRUE(object.WriteBinary("binary", bytes));
  list_ = {Row("HKEY_CURRENT_USER: Software\\T", "expand"), Row("HKEY_CURRENT_USER: Software\\T", "number"),
           Row("HKEY_CURRENT_USER: Software\\T", "binary"), Row("HKEY_CURRENT_USER: Software\\T", "gone")};
  EXPECT_EQ(Delete(true).removed, 3);
  EXPECT_EQ(BackupLines("regbackup000.reg"),
            (Lines{"REGEDIT4", "[HKEY_CURRENT_USER\\Software\\T]", R"("expand"=hex(2):25,58,25,5C,79,00)",
                   "[HKEY_CURRENT_USER\\Software\\T]", R"("number"=dword:0000000A)", "[HKEY_CURRENT_USER\\Software\\T]",
                   R"("binary"=hex:01,02)", "[HKEY_CURRENT_USER\\Software\\T]"}));
}

TEST_F(RegistryCleanTest, NumberedNamesNeverOverwriteAnOlderBackup) {
  const auto next = [&] {
    auto saved = SaveNumberedRegFile(host_.files(), host_.system(), "C:\\Program", RegFileText{{"REGEDIT4"}}, "regbackup");
    return saved ? *saved : std::string("failed");
  };
  EXPECT_EQ(next(), "C:\\Program\\regbackup000.reg");
  EXPECT_EQ(next(), "C:\\Program\\regbackup001.reg");
  for (int i = 2; i <= 9; ++i) {
    host_.MakeFile("C:\\Program\\regbackup00" + std::to_string(i) + ".reg");
  }
  EXPECT_EQ(next(), "C:\\Program\\regbackup00A.reg");
  host_.MakeFile("C:\\Program\\regbackup00A.reg", "older");
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\regbackup00A.reg")), "older");
  for (int i = 0xB; i <= 0xFFF; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "C:\\Program\\regbackup%03X.reg", i);
    host_.MakeFile(name);
  }
  EXPECT_EQ(next(), "C:\\Program\\regbackup1000.reg");
}

TEST_F(RegistryCleanTest, WithoutBackupNoFileIsWritten) {
  EXPECT_EQ(Delete(false).removed, 2);
  EXPECT_FALSE(std::filesystem::exists(host_.Host("C:\\Program\\regbackup000.reg")));
  EXPECT_FALSE(Has(RootKey::CurrentUser, R"(Software\T\old)"));
}

TEST_F(RegistryCleanTest, NoStillEmptiesTheListAndNothingCheckedAsksNothing) {
  sink_.answer = Answer::No;
  EXPECT_TRUE(Delete(true).declined);
  EXPECT_TRUE(list_.empty());
  EXPECT_TRUE(Has(RootKey::CurrentUser, R"(Software\T\old)"));
  EXPECT_FALSE(std::filesystem::exists(host_.Host("C:\\Program\\regbackup000.reg")));

  list_ = {Row("HKEY_CURRENT_USER: Software\\T", "old", false)};
  sink_.questions.clear();
  EXPECT_FALSE(Delete(true).asked);
  EXPECT_TRUE(sink_.questions.empty());
  EXPECT_TRUE(list_.empty());
}

TEST_F(RegistryCleanTest, FailedBackupDeletesNothingAndKeepsTheRows) {
  host_.platform().folders = platform::PortableFolders("C:\\Missing");
  const RegistryCleanOutcome outcome = Delete(true);
  EXPECT_FALSE(outcome.backupError.empty());
  EXPECT_EQ(outcome.removed, 0);
  EXPECT_EQ(list_.size(), 3U);
  EXPECT_TRUE(Has(RootKey::CurrentUser, R"(Software\T\old)"));
  EXPECT_EQ(sink_.questions.back().kind, MessageKind::Error);
}

TEST_F(RegistryCleanTest, ValueNoRegistryFileCanNameIsKeptWhenABackupIsAsked) {
  RegistryObject object(host_.registry());
  ASSERT_TRUE(object.OpenKey("Software\\T", false));
  ASSERT_TRUE(object.WriteString("two\nlines", R"(C:\Gone\x.exe)"));
  list_ = {Row("HKEY_CURRENT_USER: Software\\T", "two\nlines"), Row("HKEY_CURRENT_USER: Software\\T", "old")};
  const RegistryCleanOutcome outcome = Delete(true);
  EXPECT_EQ(outcome.notBackedUp.size(), 1U);
  EXPECT_EQ(outcome.removed, 1);
  EXPECT_TRUE(object.ValueExists("two\nlines"));
  EXPECT_EQ(BackupLines("regbackup000.reg"),
            (Lines{"REGEDIT4", "[HKEY_CURRENT_USER\\Software\\T]", R"("old"="C:\\Old\\app.exe")"}));

  list_ = {Row("HKEY_CURRENT_USER: Software\\T", "two\nlines")};
  EXPECT_EQ(Delete(false).removed, 1);  // without a backup there is nothing to hold it
  EXPECT_FALSE(object.ValueExists("two\nlines"));
}

TEST_F(RegistryCleanTest, KeyThatDoesNotOpenIsReportedAndTheOthersAreHandled) {
  list_.insert(list_.begin(), Row("HKEY_CURRENT_USER: Software\\Gone", "v"));
  const RegistryCleanOutcome outcome = Delete(true);
  EXPECT_EQ(outcome.keysNotOpened, Lines{"\\Software\\Gone"});
  EXPECT_EQ(outcome.removed, 2);
  ASSERT_EQ(sink_.questions.size(), 2U);
  EXPECT_EQ(sink_.questions[1].text, std::string(Text(90)) + " \\Software\\Gone");
  EXPECT_FALSE(Has(RootKey::CurrentUser, R"(Software\T\old)"));
}

// A standard user may read a machine-wide key but not change it: the spy lets the key refuse
// to open for writing, as the system does. What stays is named with the system's reason, and
// the count says only what went.
TEST_F(RegistryCleanTest, AValueTheUserMayNotDeleteIsReportedWithTheReasonAndNotCounted) {
  platform::Platform& platform = host_.platform();
  std::unique_ptr<platform::Registry> real = std::move(platform.registry);
  auto spy = std::make_unique<test::RegistrySpy>(*real);
  spy->FailOpening("Software\\T");
  platform.registry = std::move(spy);
  list_ = {Row("HKEY_LOCAL_MACHINE: Software\\T", R"(C:\Gone\a "b".exe)")};
  RegistryCleanOutcome outcome;
  {
    RegistryObject object(*platform.registry);
    outcome = DeleteRegistry(list_, /*backup=*/false, platform, object, sink_);
  }
  platform.registry = std::move(real);
  EXPECT_EQ(outcome.removed, 0);
  EXPECT_TRUE(outcome.keysNotOpened.empty()) << "the key is there; the rights are missing";
  ASSERT_EQ(outcome.notRemoved.size(), 1U);
  EXPECT_EQ(outcome.notRemoved[0], R"(HKEY_LOCAL_MACHINE: Software\T C:\Gone\a "b".exe: Access is denied.)");
  ASSERT_EQ(sink_.questions.size(), 2U);
  EXPECT_EQ(sink_.questions[1].text, "1 values could not be removed:\r\n" + outcome.notRemoved[0]);
  RegistryObject machine(host_.registry(), RootKey::LocalMachine);
  ASSERT_TRUE(machine.OpenKey("Software\\T", false));
  EXPECT_TRUE(machine.ValueExists(R"(C:\Gone\a "b".exe)"));
}

}  // namespace
}  // namespace sw::reg
