// The .reg files we write, imported by the system's registry editor: every value comes back
// with its name, type and bytes, whichever writer wrote the file and in whichever form.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "registry/reg_export.h"
#include "registry/registry_clean.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/overridden_system.h"
#include "support/recording_sink.h"
#include "support/registries.h"
#include "support/temp_folder.h"

namespace sw::reg {
namespace {

using platform::NamedRegValue;
using platform::RegValue;
using platform::RootKey;

Bytes Utf16(std::string_view text) {
  return EncodeRegText(text, true);
}

class RegImport : public ::testing::Test {
 protected:
  void SetUp() override {
    auto system = std::make_unique<test::OverriddenSystem>(test::Utf8Of(temp_.path()));
    system_ = system.get();
    platform_.registry = std::make_unique<platform::win32::Win32Registry>();
    platform_.files = std::make_unique<platform::win32::Win32FileSystem>();
    platform_.system = std::move(system);
    platform_.processes = std::make_unique<platform::win32::Win32Processes>();
    platform_.folders = platform::PortableFolders(test::Utf8Of(temp_.path()));
    key_ = test::UniqueTestKeyPath("RegImport");
  }
  void TearDown() override { (void)RegDeleteKeyAt(*platform_.registry, RootKey::CurrentUser, key_, true); }

  // One value of every kind, with the names and data that an unescaped file would garble.
  std::vector<NamedRegValue> EveryKind() {
    Bytes binary(60);
    for (std::size_t i = 0; i < binary.size(); ++i) {
      binary[i] = static_cast<std::uint8_t>(i * 7);
    }
    return {
        {"string", RegValue{platform::kRegSz, Utf16("plain text")}},
        {"", RegValue{platform::kRegSz, Utf16(R"(the default, C:\Temp)")}},
        {R"(C:\Gone\app.exe)", RegValue{platform::kRegSz, Utf16(R"(C:\Gone\app.exe /arg "quoted")")}},
        {R"(a "quoted" name\)", RegValue{platform::kRegSz, Utf16(R"(\\server\share\)")}},
        {"expand", RegValue{platform::kRegExpandSz, Utf16("%SystemRoot%\\caf\xC3\xA9.dll")}},
        {"multi", RegValue{platform::kRegMultiSz, EncodeRegText(std::string("one\0C:\\two\0\0", 13), false)}},
        {"lines", RegValue{platform::kRegSz, Utf16("first\r\nsecond")}},
        {"empty", RegValue{platform::kRegSz, Utf16("")}},
        {"dword", RegValue{platform::kRegDword, {0xFF, 0, 0, 0x80}}},
        {"binary", RegValue{platform::kRegBinary, binary}},
        {"qword", RegValue{platform::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}},
    };
  }

  void Plant(const std::vector<NamedRegValue>& values) {
    auto root = platform_.registry->OpenRoot(RootKey::CurrentUser);
    ASSERT_TRUE(root);
    auto key = (*root)->Create(key_);
    ASSERT_TRUE(key);
    for (const auto& value : values) {
      ASSERT_TRUE((*key)->Set(value.name, value.value.type, value.value.data)) << value.name;
    }
  }

  // The key's values sorted by name; empty when the key is missing.
  std::vector<NamedRegValue> ReadBack() {
    std::vector<NamedRegValue> values;
    auto root = platform_.registry->OpenRoot(RootKey::CurrentUser);
    auto key = root ? (*root)->Open(key_, platform::RegAccess::Read)
                    : Result<std::unique_ptr<platform::RegKey>>(Error(Errc::FileNotFound));
    for (std::uint32_t i = 0; key; ++i) {
      auto value = (*key)->ValueAt(i);
      if (!value) {
        break;
      }
      values.push_back(std::move(*value));
    }
    std::sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return values;
  }

  void Import(const std::string& file) {
    ASSERT_TRUE(platform_.processes->ExecuteProgram("regedit.exe /s \"" + file + "\"", true, true));
  }

  // Deletes the planted key, imports the file and compares what came back.
  void ExpectImportRestores(const std::string& file, std::vector<NamedRegValue> planted) {
    ASSERT_TRUE(RegDeleteKeyAt(*platform_.registry, RootKey::CurrentUser, key_, true));
    ASSERT_TRUE(ReadBack().empty());
    Import(file);
    std::sort(planted.begin(), planted.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    const auto restored = ReadBack();
    ASSERT_EQ(restored.size(), planted.size());
    for (std::size_t i = 0; i < planted.size(); ++i) {
      EXPECT_EQ(restored[i].name, planted[i].name);
      EXPECT_EQ(restored[i].value.type, planted[i].value.type) << planted[i].name;
      EXPECT_EQ(restored[i].value.data, planted[i].value.data) << planted[i].name;
    }
  }

  // Removes every planted value through the Delete of the Registry page with its backup.
  std::string RemoveWithBackup(const std::vector<NamedRegValue>& values) {
    std::vector<ResultRow> rows;
    for (const auto& value : values) {
      ResultRow row;
      row.columns = {"HKEY_CURRENT_USER: " + key_, value.name, "", ""};
      rows.push_back(row);
    }
    RegistryObject object(*platform_.registry);
    test::RecordingSink sink;
    const RegistryCleanOutcome outcome = CleanRegistry(rows, true, platform_, object, sink);
    EXPECT_EQ(outcome.removed, static_cast<int>(values.size()));
    EXPECT_TRUE(ReadBack().empty());
    return outcome.backupFile;
  }

  test::TempFolder temp_;
  test::OverriddenSystem* system_ = nullptr;
  platform::Platform platform_;
  std::string key_;
};

TEST_F(RegImport, ExportWriterFileRestoresEveryValue) {
  const auto values = EveryKind();
  Plant(values);
  const std::string file = test::Utf8Of(temp_.path() / "default.reg");
  ASSERT_TRUE(ExportRegistryKey(platform_, RootKey::CurrentUser, key_, file));
  EXPECT_EQ(test::ReadFileBytes(temp_.path() / "default.reg").substr(0, 10), "REGEDIT4\r\n");
  ExpectImportRestores(file, values);
}

TEST_F(RegImport, VersionFiveHeaderInAnEightBitFileRestoresEveryValue) {
  const auto values = EveryKind();
  Plant(values);
  system_->version = platform::VersionRecord{platform::kPlatformNt, 5, 1, 2600};  // XP
  const std::string file = test::Utf8Of(temp_.path() / "default.reg");
  ASSERT_TRUE(ExportRegistryKey(platform_, RootKey::CurrentUser, key_, file));
  EXPECT_TRUE(
      test::ReadFileBytes(temp_.path() / "default.reg").starts_with("Windows Registry Editor Version 5.00\r\n"));
  ExpectImportRestores(file, values);
}

TEST_F(RegImport, RemovalBackupRestoresEveryValue) {
  const auto values = EveryKind();
  Plant(values);
  const std::string backup = RemoveWithBackup(values);
  EXPECT_EQ(backup, test::Utf8Of(temp_.path() / "regbackup000.reg"));
  ExpectImportRestores(backup, values);
}

TEST_F(RegImport, TextOutsideTheCodePageRestoresFromTheUnicodeForm) {
  if (platform_.system->ToAnsi("\xD0\x96")) {
    GTEST_SKIP() << "the ANSI code page holds Cyrillic here";
  }
  std::vector<NamedRegValue> values = EveryKind();
  values.push_back({"\xD0\x96 name", RegValue{platform::kRegSz, Utf16("\xD0\x96 data \"q\" C:\\x")}});
  values.push_back({"expand \xD0\x96", RegValue{platform::kRegExpandSz, Utf16("%TEMP%\\\xD0\x96")}});
  Plant(values);
  const std::string backup = RemoveWithBackup(values);
  EXPECT_TRUE(test::ReadFileBytes(test::PathOfUtf8(backup)).starts_with("\xFF\xFE"));
  ExpectImportRestores(backup, values);

  // The export writer turns its 8-bit file into the Unicode form when such a key comes in.
  Plant(values);
  const std::string file = test::Utf8Of(temp_.path() / "default.reg");
  ASSERT_TRUE(ExportRegistryKey(platform_, RootKey::CurrentUser, "Software\\SweepwiseTests\\NoSuchKey", file));
  ASSERT_TRUE(ExportRegistryKey(platform_, RootKey::CurrentUser, key_, file));
  EXPECT_TRUE(test::ReadFileBytes(temp_.path() / "default.reg").starts_with("\xFF\xFE"));
  ExpectImportRestores(file, values);
}

}  // namespace
}  // namespace sw::reg
