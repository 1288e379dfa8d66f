// The restore file and the Restore that reads it back, on the host stand-ins with the
// registry editor's import done by a stand-in: only what the tweaks changed comes back, a
// file an earlier version wrote still restores, and a restore that did not bring everything
// back (or a damaged file) is never reported as done. And the reader of .reg lines against
// the writer's every form.

#include "tweaks/restore_file.h"

#include "registry/reg_file.h"
#include "registry/registry_data.h"
#include "registry/registry_object.h"
#include "tweaks/restore.h"
#include "tweaks/tweak_test_support.h"

namespace sw::tweaks {
namespace {

using platform::NamedRegValue;
using platform::RegValue;

constexpr const char* kAdvanced = R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced\)";
constexpr const char* kUserProfile = R"(Control Panel\International\User Profile\)";
constexpr const char* kFileSystem = R"(SYSTEM\CurrentControlSet\Control\FileSystem\)";
constexpr const char* kDesktop = R"(Control Panel\Desktop\)";

class RestoreFileTest : public TweakTest {
 protected:
  TweakRestoreOutcome Restore() {
    sink_.messages.clear();
    return RestoreTweaks(host_.platform(), sink_);
  }
  std::optional<std::int32_t> Number(RootKey root, const std::string& key, std::string_view name) {
    auto object = reg::TRegistryEx(registry(), root);
    if (!object.OpenKeyReadOnly("\\" + key)) {
      return std::nullopt;
    }
    auto value = object.ReadInteger(name);
    return value ? std::optional(*value) : std::nullopt;
  }
  std::string LastMessage() const { return sink_.messages.empty() ? "" : sink_.messages.back().text; }
};

TEST_F(RestoreFileTest, RestoreBringsBackWhatTheTweaksChangedAndLeavesLaterChangesInTheSameKeys) {
  UseSystem("Windows 10");
  SetDword(RootKey::CurrentUser, std::string(kAdvanced) + "Start_TrackProgs", 1);
  SetDword(RootKey::CurrentUser, std::string(kAdvanced) + "HideFileExt", 1);
  SetString(RootKey::CurrentUser, std::string(kUserProfile) + "Languages", "en-US");
  SetDword(RootKey::LocalMachine, std::string(kFileSystem) + "LongPathsEnabled", 0);
  SetDword(RootKey::LocalMachine, std::string(kFileSystem) + "NtfsDisable8dot3NameCreation", 2);

  Apply(1, {"Do not track program launches"});
  Apply(2, {"Websites cannot read the language list"});
  Apply(3, {"Allow paths longer than 260 characters"});
  EXPECT_EQ(Number(RootKey::CurrentUser, kAdvanced, "Start_TrackProgs"), 0);
  EXPECT_EQ(Number(RootKey::CurrentUser, kUserProfile, "HttpAcceptLanguageOptOut"), 1);
  EXPECT_EQ(Number(RootKey::LocalMachine, kFileSystem, "LongPathsEnabled"), 1);
  // Three values, each recorded alone: newest first.
  EXPECT_EQ(RestoreLines(),
            (Lines{"REGEDIT4", "", R"([HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\FileSystem])",
                   R"("LongPathsEnabled"=dword:00000000)", "",
                   R"([HKEY_CURRENT_USER\Control Panel\International\User Profile])", R"("HttpAcceptLanguageOptOut"=-)",
                   "", R"([HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced])",
                   R"("Start_TrackProgs"=dword:00000001)"}));

  // Later, unrelated changes in the same keys.
  SetDword(RootKey::CurrentUser, std::string(kAdvanced) + "HideFileExt", 0);
  SetString(RootKey::CurrentUser, std::string(kUserProfile) + "Languages", "de-DE");
  SetDword(RootKey::LocalMachine, std::string(kFileSystem) + "NtfsDisable8dot3NameCreation", 1);

  const TweakRestoreOutcome restored = Restore();
  EXPECT_EQ(restored.result, TweakRestore::Restored) << restored.message;
  EXPECT_EQ(LastMessage(), "All tasks were restored to their original states.");
  EXPECT_EQ(Number(RootKey::CurrentUser, kAdvanced, "Start_TrackProgs"), 1);
  EXPECT_FALSE(
      reg::RegValueExists(registry(), RootKey::CurrentUser, std::string(kUserProfile) + "HttpAcceptLanguageOptOut"));
  EXPECT_EQ(Number(RootKey::LocalMachine, kFileSystem, "LongPathsEnabled"), 0);
  EXPECT_EQ(Number(RootKey::CurrentUser, kAdvanced, "HideFileExt"), 0) << "the later change stays";
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kUserProfile) + "Languages"), "de-DE");
  EXPECT_EQ(Number(RootKey::LocalMachine, kFileSystem, "NtfsDisable8dot3NameCreation"), 1);
}

TEST_F(RestoreFileTest, ARestoreFileOfWholeKeysStillRestoresAndTakesNewRecords) {
  // As the earlier version wrote it: the whole key before the first tweak, and a deletion.
  host_.MakeFile(kRestoreFile,
                 "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                 "\"MenuShowDelay\"=\"400\"\r\n\"Wallpaper\"=\"C:\\\\bliss.bmp\"\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer]\r\n"
                 "\"NoCDBurning\"=-\r\n");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "250");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "Wallpaper", R"(C:\bliss.bmp)");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "FontSmoothing", "0");
  SetDword(RootKey::CurrentUser, R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\NoCDBurning)", 1);

  // A value the old block holds is recorded already; one it lacks gets its own record.
  Apply(3, {"Enable Font Smoothing"});
  Apply(0, {"Speed up menu display"});
  const Lines lines = RestoreLines();
  ASSERT_GE(lines.size(), 4U);
  EXPECT_EQ((Lines{lines.begin(), lines.begin() + 4}),
            (Lines{"Windows Registry Editor Version 5.00", "", R"([HKEY_CURRENT_USER\Control Panel\Desktop])",
                   R"("FontSmoothing"="0")"}));
  EXPECT_EQ(lines.size(), 10U);

  EXPECT_EQ(Restore().result, TweakRestore::Restored) << LastMessage();
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "400");
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "FontSmoothing"), "0");
  EXPECT_FALSE(reg::RegValueExists(registry(), RootKey::CurrentUser,
                                   R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\NoCDBurning)"));
}

TEST_F(RestoreFileTest, ARestoreThatDidNotBringEverythingBackIsNeverReportedAsDone) {
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "400");
  Apply(0, {"Speed up menu display", "Enable Automatic Boot Disk Optimization"});

  // An editor that starts but imports nothing.
  processes().OnStart([](const auto&) { return true; });
  TweakRestoreOutcome restored = Restore();
  EXPECT_EQ(restored.result, TweakRestore::Incomplete);
  EXPECT_EQ(restored.notBack,
            (Lines{R"(HKEY_CURRENT_USER\Control Panel\Desktop\MenuShowDelay (other data))",
                   R"(HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Dfrg\BootOptimizeFunction\Enable (still there))"}));
  EXPECT_EQ(sink_.messages.back().kind, MessageKind::Warning);
  EXPECT_EQ(LastMessage(), "These values did not come back from C:\\Program\\default.reg:\n" + restored.notBack[0] +
                               "\n" + restored.notBack[1]);
  EXPECT_EQ(sink_.statuses.back(), "Not everything was restored.");

  // Windows 10 without the rights: the message says how to get them for the machine's values.
  UseSystem("Windows 10");
  host_.system().SetAdmin(false);
  EXPECT_TRUE(Restore().message.ends_with("Some of them need administrator rights. " +
                                          std::string(kRestartAsAdministratorAdvice)));

  // A line cut short: the editor skips it, and so nothing it held can be checked.
  test::UseEditorStandIn(host_.platform(), processes());
  std::string text = test::ReadFileBytes(host_.Host(kRestoreFile));
  text += "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"Wallpaper\"=\"C:\\\\bli\r\n";
  test::WriteFileBytes(host_.Host(kRestoreFile), text);
  restored = Restore();
  EXPECT_EQ(restored.result, TweakRestore::Incomplete);
  EXPECT_TRUE(restored.notBack.empty());
  EXPECT_EQ(LastMessage(), "1 lines of C:\\Program\\default.reg are damaged: what they held could not be restored.");
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "400") << "the rest came back";
}

TEST_F(RestoreFileTest, ADamagedRestoreFileIsNotHandedToTheEditor) {
  for (const std::string_view damaged : {std::string_view("\x1F\x8B\x08garbage\r\n"), std::string_view(""),
                                         std::string_view("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n")}) {
    host_.MakeFile(kRestoreFile, damaged);
    const std::size_t started = processes().starts().size();
    const TweakRestoreOutcome restored = Restore();
    EXPECT_EQ(restored.result, TweakRestore::Failed);
    EXPECT_EQ(sink_.messages.back().kind, MessageKind::Error);
    EXPECT_NE(LastMessage().find("default.reg is damaged"), std::string::npos) << LastMessage();
    EXPECT_EQ(processes().starts().size(), started);
    EXPECT_NE(LastMessage(), "All tasks were restored to their original states.");
  }
  // And takes no further records: what went in could never be restored.
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "400");
  EXPECT_FALSE(Apply(0, {"Speed up menu display"}).error.empty());
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "400");
}

// Every value the writer records, read back as the data the registry editor stores.
TEST(RegFileEntries, ReadBackWhatTheWriterWroteInEitherEncoding) {
  platform::host::HostSystem system;
  Bytes blob(60);
  for (std::size_t i = 0; i < blob.size(); ++i) {
    blob[i] = static_cast<std::uint8_t>(i * 37);
  }
  const std::vector<NamedRegValue> values = {
      {"", RegValue{platform::kRegSz, reg::EncodeRegText(R"(C:\Temp "quoted")", true)}},
      {R"(C:\Gone\app.exe)", RegValue{platform::kRegSz, reg::EncodeRegText("caf\xC3\xA9", true)}},
      {R"(a "b" \c)", RegValue{platform::kRegExpandSz, reg::EncodeRegText("%TEMP%\\x", true)}},
      {"list", RegValue{platform::kRegMultiSz, reg::EncodeRegText(std::string("one\0C:\\two\0\0", 13), false)}},
      {"count", RegValue{platform::kRegDword, {0xFF, 0, 0, 0x80}}},
      {"blob", RegValue{platform::kRegBinary, blob}},
      {"big", RegValue{platform::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}},
      {"none", RegValue{platform::kRegNone, {}}},
      {"line\xC5\x91", RegValue{platform::kRegSz, reg::EncodeRegText("\xE2\x82\xAC and \xC5\x91", true)}},
  };
  for (const auto encoding : {reg::RegFileEncoding::Ansi, reg::RegFileEncoding::Unicode}) {
    reg::RegFileText file{{"REGEDIT4", R"([HKEY_CURRENT_USER\Software\Test])"}, encoding};
    std::vector<NamedRegValue> written;
    for (const auto& value : values) {
      if (auto lines = reg::ValueLines(value, encoding, reg::DumpLayout::Wrapped, system)) {
        file.lines.insert(file.lines.end(), lines->begin(), lines->end());
        written.push_back(value);
      }
    }
    // Everything fits the Unicode form; the code page lacks the last value's characters.
    EXPECT_EQ(written.size(), encoding == reg::RegFileEncoding::Ansi ? values.size() - 1 : values.size());
    const reg::RegFileEntries read =
        reg::ReadRegFileEntries(reg::ParseRegFile(reg::RegFileBytes(file, system), system), system);
    EXPECT_TRUE(read.header);
    EXPECT_TRUE(read.unreadable.empty());
    ASSERT_EQ(read.entries.size(), written.size() + 1);
    EXPECT_FALSE(read.entries[0].valueName.has_value());
    EXPECT_EQ(read.entries[0].keyPath, R"(Software\Test)");
    for (std::size_t i = 0; i < written.size(); ++i) {
      const auto& entry = read.entries[i + 1];
      EXPECT_EQ(entry.valueName, written[i].name);
      ASSERT_TRUE(entry.value) << written[i].name;
      EXPECT_EQ(entry.value->type, written[i].value.type) << written[i].name;
      EXPECT_EQ(entry.value->data, written[i].value.data) << written[i].name;
    }
  }
}

TEST(RegFileEntries, ReadsWhatTheEditorReadsAndNamesTheRest) {
  platform::host::HostSystem system;
  const reg::RegFileText file{{"Windows Registry Editor Version 5.00", "; a comment", "\"orphan\"=\"no key above\"",
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]", "@=-", "\"n\"=dword:0000000a", "\"h\"=hex:01,02,\\",
                               "  03", "\"short\"=dword:123", "\"open\"=\"no end", "\"t\"=hex(b):", "[HKEY_NOWHERE\\X]",
                               "\"lost\"=\"under a key that is none\"", "[-HKEY_CURRENT_USER\\Gone]"},
                              reg::RegFileEncoding::Ansi};
  const reg::RegFileEntries read = reg::ReadRegFileEntries(file, system);
  EXPECT_TRUE(read.header);
  EXPECT_EQ(read.unreadable, (std::vector<std::size_t>{2, 8, 9, 11, 12, 13}));
  ASSERT_EQ(read.entries.size(), 5U);
  EXPECT_EQ(read.entries[0].root, RootKey::LocalMachine);
  EXPECT_EQ(read.entries[1].valueName, "");
  EXPECT_FALSE(read.entries[1].value.has_value());  // deleted
  EXPECT_EQ(read.entries[2].value->data, (Bytes{10, 0, 0, 0}));
  EXPECT_EQ(read.entries[3].value->data, (Bytes{1, 2, 3}));
  EXPECT_EQ(read.entries[3].line, 6U);
  EXPECT_EQ(read.entries[4].value->type, platform::kRegQword);
  EXPECT_TRUE(read.entries[4].value->data.empty());

  EXPECT_FALSE(reg::ReadRegFileEntries(reg::RegFileText{{"REGEDIT 4", "[HKEY_CURRENT_USER\\A]"}}, system).header);
}

}  // namespace
}  // namespace sw::tweaks
