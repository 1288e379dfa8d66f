// The export writer of the restore file: what it records, where, and what it leaves alone.

#include "registry/reg_export.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/text.h"
#include "registry/registry_object.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"

namespace sw::reg {
namespace {

using platform::RootKey;
using platform::VersionRecord;
using Lines = std::vector<std::string>;

constexpr const char* kFile = "C:\\Program\\default.reg";

class RegExportTest : public ::testing::Test {
 protected:
  Lines FileLines() { return SplitLines(test::ReadFileBytes(host_.Host(kFile))); }
  Status Export(std::string_view key) { return ExportRegistryKey(host_.platform(), RootKey::CurrentUser, key, kFile); }

  test::HostPlatform host_;
};

TEST_F(RegExportTest, NewFileHeaderFollowsTheWindowsVersion) {
  ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, "Software\\A\\Start Page", "about:blank"));
  ASSERT_TRUE(RegWriteDword(host_.registry(), RootKey::CurrentUser, "Software\\A\\n", 255));
  host_.system().SetVersion(VersionRecord{platform::kPlatformNt, 5, 1, 2600});  // XP
  ASSERT_TRUE(Export("Software\\A\\"));                                         // the trailing backslash is dropped
  EXPECT_EQ(FileLines(), (Lines{"Windows Registry Editor Version 5.00", "", "[HKEY_CURRENT_USER\\Software\\A]",
                                R"("Start Page"="about:blank")", R"("n"=dword:000000FF)"}));

  test::WriteFileBytes(host_.Host(kFile), "");                                        // an empty file counts as missing
  host_.system().SetVersion(VersionRecord{platform::kPlatformWindows, 4, 10, 1998});  // 98
  ASSERT_TRUE(Export("Software\\A"));
  EXPECT_EQ(FileLines().front(), "REGEDIT4");
}

TEST_F(RegExportTest, FirstRecordOfAKeyWinsUnlessItIsADeletion) {
  ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, "Software\\A\\v", "old"));
  ASSERT_TRUE(Export("Software\\A"));
  ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, "Software\\A\\v", "changed"));
  ASSERT_TRUE(Export("Software\\A"));
  EXPECT_EQ(FileLines(), (Lines{"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\A]", R"("v"="old")"}));

  // A key recorded only by a value deletion gets its block, directly after the header.
  ASSERT_TRUE(ExportValueDeletion(host_.platform(), RootKey::CurrentUser, "Software\\B", "new", kFile));
  ASSERT_TRUE(ExportValueDeletion(host_.platform(), RootKey::CurrentUser, "Software\\B", "new", kFile));
  ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, "Software\\B\\w", "x"));
  ASSERT_TRUE(Export("Software\\B"));
  EXPECT_EQ(FileLines(),
            (Lines{"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\B]", R"("w"="x")", "[HKEY_CURRENT_USER\\Software\\B]",
                   R"("new"=-)", "", "[HKEY_CURRENT_USER\\Software\\A]", R"("v"="old")"}));
}

TEST_F(RegExportTest, MissingKeyGivesItsKeyLineAlone) {
  ASSERT_TRUE(Export("Software\\Missing"));
  ASSERT_TRUE(Export("Software\\Missing"));  // a key line at the end of the file counts as recorded
  EXPECT_EQ(FileLines(), (Lines{"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\Missing]"}));
  // The value created later is still recorded for deletion.
  ASSERT_TRUE(ExportValueDeletion(host_.platform(), RootKey::CurrentUser, "Software\\Missing", "v", kFile));
  EXPECT_EQ(FileLines(), (Lines{"REGEDIT4", "[HKEY_CURRENT_USER\\Software\\Missing]", R"("v"=-)", "",
                                "[HKEY_CURRENT_USER\\Software\\Missing]"}));
}

TEST_F(RegExportTest, TextOutsideTheCodePageTurnsTheFileUnicode) {
  ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, "Software\\A\\e", "caf\xC3\xA9"));
  ASSERT_TRUE(Export("Software\\A"));
  ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, "Software\\B\\z", "\xD0\x96"));
  ASSERT_TRUE(Export("Software\\B"));
  const std::string bytes = test::ReadFileBytes(host_.Host(kFile));
  ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
  std::u16string units((bytes.size() - 2) / 2, u'\0');
  std::memcpy(units.data(), bytes.data() + 2, units.size() * 2);
  EXPECT_EQ(units,
            u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\B]\r\n\"z\"=\"\u0416\"\r\n"
            u"\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"e\"=\"caf\u00e9\"\r\n");
}

TEST_F(RegExportTest, ValueNoRegistryFileCanNameIsLeftOut) {
  ASSERT_TRUE(RegWriteString(host_.registry(), RootKey::CurrentUser, "Software\\A\\v", "x"));
  RegistryObject object(host_.registry());
  ASSERT_TRUE(object.OpenKey("Software\\A", false));
  ASSERT_TRUE(object.WriteString("a\r\nb", "y"));
  ASSERT_TRUE(object.WriteString("\xD0\x96\n", "y"));  // in the Unicode form neither
  ASSERT_TRUE(Export("Software\\A"));
  EXPECT_EQ(FileLines(), (Lines{"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\A]", R"("v"="x")"}));
}

TEST_F(RegExportTest, UnwritableFileReportsTheError) {
  EXPECT_FALSE(ExportRegistryKey(host_.platform(), RootKey::CurrentUser, "Software\\A", "C:\\No\\Folder\\x.reg"));
}

}  // namespace
}  // namespace sw::reg
