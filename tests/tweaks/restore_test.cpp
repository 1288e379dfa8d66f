// The Restore command's three branches on the host stand-ins: the registry is the in-memory
// one, the archives are real files, and no program is ever started for a restore.

#include "tweaks/restore.h"

#include "backup/backup_file.h"
#include "support/registry_state.h"
#include "tweaks/tweak_test_support.h"

namespace sw::tweaks {
namespace {

class RestoreCommandTest : public TweakTest {
 protected:
  // An archive of the files named, as the Files page's Delete packs them.
  void Pack(const std::vector<std::string>& files, const std::string& archive) {
    backup::TBackupFile packer(host_.files(), host_.system());
    ASSERT_TRUE(packer.Backup(files, archive));
  }

  FileRestoreOutcome RestoreArchive(std::string_view archive, std::string_view target = kRestoredFilesFolder) {
    backup::TBackupFile backupFile(host_.files(), host_.system(), &sink_);
    backupFile.RestoreFullPath = true;
    return RestoreFiles(host_.files(), backupFile, archive, target, sink_);
  }

  std::string FileText(std::string_view path) {
    const auto bytes = host_.files().ReadWhole(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "(missing)";
  }
};

TEST_F(RestoreCommandTest, TweaksComeBackFromTheRestoreFileOnlyWhenOneExists) {
  EXPECT_EQ(RestoreTweaks(host_.platform(), sink_).result, TweakRestore::NothingToRestore);
  EXPECT_EQ(Messages(), Lines{"All restorations were already done."});

  SetString(RootKey::CurrentUser, R"(Control Panel\Desktop\MenuShowDelay)", "400");
  Apply(0, {"Speed up menu display"});
  sink_.messages.clear();
  EXPECT_EQ(RestoreTweaks(host_.platform(), sink_).result, TweakRestore::Restored);
  EXPECT_EQ(String(RootKey::CurrentUser, R"(Control Panel\Desktop\MenuShowDelay)"), "400");
  EXPECT_EQ(sink_.statuses.back(), "Restored.");
  EXPECT_EQ(sink_.messages.back().text, "All tasks were restored to their original states.");
  // What came back is no longer recorded: the next restore finds nothing to do.
  EXPECT_EQ(RestoreTweaks(host_.platform(), sink_).result, TweakRestore::NothingToRestore);
  EXPECT_TRUE(processes().starts().empty()) << "the registry editor is never started";
}

// The Registry page's backups come in through the registry API, value by value; what the
// registry refuses, and a damaged line, are named.
TEST_F(RestoreCommandTest, RegistryBackupsAreImportedValueByValue) {
  const std::string backup = R"(C:\Program\regbackup007.reg)";
  EXPECT_FALSE(ImportRegistryBackup(host_.platform(), backup, sink_));
  EXPECT_EQ(sink_.messages.back().kind, MessageKind::Error);

  host_.MakeFile(backup,
                 "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"old\"=\"C:\\\\Old\\\\app.exe\"\r\n"
                 "[HKEY_LOCAL_MACHINE\\Software\\T]\r\n\"machine\"=dword:00000001\r\n");
  auto imported = ImportRegistryBackup(host_.platform(), backup, sink_);
  ASSERT_TRUE(imported);
  EXPECT_TRUE(imported->Complete());
  EXPECT_EQ(String(RootKey::CurrentUser, R"(Software\T\old)"), R"(C:\Old\app.exe)");
  EXPECT_EQ(sink_.messages.back().text, backup + " was imported into the registry.");
  EXPECT_EQ(sink_.statuses.back(), "Restored.");

  // A user of Windows 10 without administrator rights (the machine's keys refuse writing).
  UseSystem("Windows 10");
  host_.system().SetAdmin(false);
  ASSERT_TRUE(reg::RegDeleteKeyAt(registry(), RootKey::LocalMachine, R"(Software\T)", true));
  auto real = std::move(host_.platform().registry);
  host_.platform().registry = std::make_unique<test::StandardUserRegistry>(*real);
  imported = ImportRegistryBackup(host_.platform(), backup, sink_);
  host_.platform().registry = std::move(real);
  ASSERT_TRUE(imported);
  EXPECT_FALSE(imported->Complete());
  EXPECT_EQ(sink_.messages.back().kind, MessageKind::Warning);
  const std::string& text = sink_.messages.back().text;
  EXPECT_NE(text.find("HKEY_LOCAL_MACHINE\\Software\\T\\machine: "), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with(std::string(kRestartAsAdministratorAdvice))) << text;
  EXPECT_TRUE(processes().starts().empty()) << "the registry editor is never started";
}

TEST_F(RestoreCommandTest, ArchiveFilesComeBackBelowTheTarget) {
  host_.MakeFile(R"(C:\windows\temp\a.tmp)", "old state");
  host_.MakeFile(R"(C:\Data\b.txt)", "bravo");
  Pack({R"(C:\windows\temp\a.tmp)", R"(C:\Data\b.txt)"}, R"(C:\Program\zq1.bck)");
  host_.MakeFile(R"(C:\restored_files\windows\temp\a.tmp)", "to be replaced");

  const FileRestoreOutcome outcome = RestoreArchive(R"(C:\Program\zq1.bck)");
  EXPECT_TRUE(outcome.restored);
  EXPECT_EQ(outcome.filesDone, 2);
  EXPECT_EQ(FileText(R"(C:\restored_files\windows\temp\a.tmp)"), "old state");
  EXPECT_EQ(FileText(R"(C:\restored_files\Data\b.txt)"), "bravo");
  EXPECT_EQ(Messages(), Lines{"Restored Files can be found in C:\\restored_files ."});
  EXPECT_EQ(sink_.progressMax, 100U);
  EXPECT_EQ(sink_.progress, 0U);

  sink_.messages.clear();
  EXPECT_TRUE(RestoreArchive(R"(C:\Program\zq1.bck)", R"(E:\Elsewhere\deeper)").restored);
  EXPECT_EQ(FileText(R"(E:\Elsewhere\deeper\Data\b.txt)"), "bravo");
  EXPECT_EQ(Messages(), Lines{"Restored Files can be found in E:\\Elsewhere\\deeper ."});
}

TEST_F(RestoreCommandTest, ArchivesThatCannotBeRestoredAreReported) {
  // Missing: not even the target folder is made.
  FileRestoreOutcome outcome = RestoreArchive(R"(C:\Program\zq9.bck)");
  EXPECT_FALSE(outcome.restored);
  EXPECT_FALSE(host_.files().FolderExists(kRestoredFilesFolder));
  EXPECT_EQ(sink_.messages.back().kind, MessageKind::Error);

  host_.MakeFile(R"(C:\Program\text.bck)", "This is no archive at all, only text.");
  outcome = RestoreArchive(R"(C:\Program\text.bck)");
  EXPECT_FALSE(outcome.restored);
  EXPECT_EQ(sink_.messages.back().text, "Cannot read archive");
  EXPECT_EQ(sink_.messages.back().kind, MessageKind::Error);

  host_.MakeFile(R"(C:\Data\a.txt)", "alpha");
  Pack({R"(C:\Data\a.txt)"}, R"(C:\Program\zq1.bck)");
  std::string packed = test::ReadFileBytes(host_.Host(R"(C:\Program\zq1.bck)"));
  const auto marker = packed.find(std::string("EC2\0", 4));
  ASSERT_NE(marker, std::string::npos);
  packed[marker] = 'X';
  test::WriteFileBytes(host_.Host(R"(C:\Program\zq1.bck)"), packed);
  outcome = RestoreArchive(R"(C:\Program\zq1.bck)");
  EXPECT_EQ(outcome.error, "Invalid archive type");
  EXPECT_TRUE(sink_.messages.back().text.starts_with("Invalid archive type\n")) << sink_.messages.back().text;

  // An archive cut short: what came before the cut stays, and the message says so.
  std::string noise(40000, '\0');
  unsigned seed = 7;
  for (char& c : noise) {
    seed = seed * 1103515245U + 12345U;
    c = static_cast<char>(seed >> 24U);  // does not compress, so the cut falls inside b.txt
  }
  host_.MakeFile(R"(C:\Data\b.txt)", noise);
  Pack({R"(C:\Data\a.txt)", R"(C:\Data\b.txt)"}, R"(C:\Program\zq2.bck)");
  auto bytes = test::ReadFileBytes(host_.Host(R"(C:\Program\zq2.bck)"));
  test::WriteFileBytes(host_.Host(R"(C:\Program\zq2.bck)"), bytes.substr(0, bytes.size() / 2));
  outcome = RestoreArchive(R"(C:\Program\zq2.bck)");
  EXPECT_FALSE(outcome.restored);
  EXPECT_FALSE(outcome.error.empty());
  EXPECT_EQ(outcome.filesDone, 2);
  EXPECT_EQ(FileText(R"(C:\restored_files\Data\a.txt)"), "alpha");
  EXPECT_NE(sink_.messages.back().text.find("2 files were written to C:\\restored_files before the error"),
            std::string::npos);
}

}  // namespace
}  // namespace sw::tweaks
