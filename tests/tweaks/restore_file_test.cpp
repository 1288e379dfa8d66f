// The restore file and the Restore that reads it back, on the host stand-ins: each value a
// tweak wrote is recorded with what it found and what it wrote, comes back only while it still
// holds what the tweak wrote, and leaves the file once it is back; a file an earlier version
// wrote (without what the tweaks wrote) still restores; what does not come back is named. And
// the reader of .reg lines against the writer's every form.

#include "tweaks/restore_file.h"

#include "registry/reg_file.h"
#include "registry/registry_data.h"
#include "registry/registry_object.h"
#include "support/registry_state.h"
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
constexpr const char* kChangedSince = "changed since Sweepwise applied it; left as it is";

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
  // Three values, each recorded alone with what was written there: newest first.
  EXPECT_EQ(RestoreLines(),
            (Lines{"REGEDIT4", "", R"([HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\FileSystem])",
                   R"("LongPathsEnabled"=dword:00000000)", R"(; Sweepwise wrote "LongPathsEnabled"=dword:00000001)", "",
                   R"([HKEY_CURRENT_USER\Control Panel\International\User Profile])", R"("HttpAcceptLanguageOptOut"=-)",
                   R"(; Sweepwise wrote "HttpAcceptLanguageOptOut"=dword:00000001)", "",
                   R"([HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced])",
                   R"("Start_TrackProgs"=dword:00000001)", R"(; Sweepwise wrote "Start_TrackProgs"=dword:00000000)"}));

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

  // What came back left the file: a second restore has nothing stale to apply.
  EXPECT_EQ(RestoreLines(), Lines{"REGEDIT4"});
  SetDword(RootKey::CurrentUser, std::string(kAdvanced) + "Start_TrackProgs", 7);
  EXPECT_EQ(Restore().result, TweakRestore::NothingToRestore);
  EXPECT_EQ(LastMessage(), "All restorations were already done.");
  EXPECT_EQ(Number(RootKey::CurrentUser, kAdvanced, "Start_TrackProgs"), 7);
}

// Apply, restore, set the value by hand, apply again, restore: the value is the one set by
// hand, not the one from before the first apply.
TEST_F(RestoreFileTest, ARestoreAfterASecondApplyKeepsTheValueSetByHandBetweenThem) {
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "400");
  Apply(0, {"Speed up menu display"});
  EXPECT_EQ(Restore().result, TweakRestore::Restored);
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "400");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "123");
  Apply(0, {"Speed up menu display"});
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "0");
  EXPECT_EQ(Restore().result, TweakRestore::Restored) << LastMessage();
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "123");

  // Applied twice in a row (by two tweaks that write it, or by an earlier version and this
  // one), a value still holding what the tweaks wrote keeps the state from before the first.
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "300");
  Apply(0, {"Speed up menu display"});
  ASSERT_TRUE(RecordValue(host_.platform(), kRestoreFile, RootKey::CurrentUser, "Control Panel\\Desktop",
                          "MenuShowDelay", RegValue{platform::kRegSz, reg::EncodeRegText("0", true)}));
  EXPECT_EQ(Restore().result, TweakRestore::Restored);
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "300");
}

TEST_F(RestoreFileTest, AValueChangedSinceTheApplyIsLeftAndNamed) {
  UseSystem("Windows 10");
  SetDword(RootKey::CurrentUser, std::string(kAdvanced) + "Start_TrackProgs", 12345);
  Apply(1, {"Do not track program launches"});
  Apply(2, {"Websites cannot read the language list"});
  SetDword(RootKey::CurrentUser, std::string(kAdvanced) + "Start_TrackProgs", 1);  // changed since, by hand

  const TweakRestoreOutcome restored = Restore();
  EXPECT_EQ(restored.result, TweakRestore::Incomplete);
  const std::string trackProgs =
      R"(HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced\Start_TrackProgs)";
  EXPECT_EQ(restored.changedSince, Lines{trackProgs});
  EXPECT_EQ(LastMessage(), "These values were not restored:\n" + trackProgs + ": " + kChangedSince);
  EXPECT_EQ(sink_.messages.back().kind, MessageKind::Warning);
  EXPECT_EQ(Number(RootKey::CurrentUser, kAdvanced, "Start_TrackProgs"), 1) << "left as it is";
  EXPECT_FALSE(
      reg::RegValueExists(registry(), RootKey::CurrentUser, std::string(kUserProfile) + "HttpAcceptLanguageOptOut"))
      << "the other came back";
  // The changed value keeps its record; the one that came back is gone from the file.
  const Lines lines = RestoreLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const auto& line) { return line.starts_with('"'); }), 1);
  EXPECT_EQ(lines[3], R"("Start_TrackProgs"=dword:00003039)");
}

TEST_F(RestoreFileTest, ARestoreFileOfWholeKeysStillRestoresAndTakesNewRecords) {
  // As an earlier version wrote it: the whole key before the first tweak, and a deletion.
  host_.MakeFile(kRestoreFile,
                 "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                 "\"MenuShowDelay\"=\"400\"\r\n\"Wallpaper\"=\"C:\\\\bliss.bmp\"\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer]\r\n"
                 "\"NoCDBurning\"=-\r\n");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "250");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "Wallpaper", R"(C:\bliss.bmp)");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "FontSmoothing", "0");
  SetDword(RootKey::CurrentUser, R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\NoCDBurning)", 1);

  // A value the old block holds keeps its state from before the first tweak and learns what
  // is written now; one it lacks gets its own record.
  Apply(3, {"Enable Font Smoothing"});
  Apply(0, {"Speed up menu display"});
  EXPECT_EQ(RestoreLines(),
            (Lines{"Windows Registry Editor Version 5.00", "", R"([HKEY_CURRENT_USER\Control Panel\Desktop])",
                   R"("MenuShowDelay"="400")", R"(; Sweepwise wrote "MenuShowDelay"="0")", R"("FontSmoothing"="0")",
                   R"(; Sweepwise wrote "FontSmoothing"="2")", R"("Wallpaper"="C:\\bliss.bmp")", "",
                   R"([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer])",
                   R"("NoCDBurning"=-)"}));

  EXPECT_EQ(Restore().result, TweakRestore::Restored) << LastMessage();
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "400");
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "FontSmoothing"), "0");
  EXPECT_FALSE(reg::RegValueExists(registry(), RootKey::CurrentUser,
                                   R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\NoCDBurning)"));
  EXPECT_EQ(RestoreLines(), Lines{"Windows Registry Editor Version 5.00"});
}

// A key a tweak deleted comes back with its subkeys and values; a value made again since
// stays as it is.
TEST_F(RestoreFileTest, ADeletedKeyComesBackWhole) {
  const std::string runMru = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU)";
  SetString(RootKey::CurrentUser, runMru + "\\a", "cmd");
  SetString(RootKey::CurrentUser, runMru + "\\MRUList", "a");
  SetString(RootKey::CurrentUser, runMru + "\\Empty\\Deeper\\x", "1");
  const Lines before = test::DescribeKeyTree(registry(), RootKey::CurrentUser, runMru);
  Apply(1, {"Clear history of commands typed in run entry of start menu"});
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::CurrentUser, runMru));
  EXPECT_EQ(RestoreLines()[3], std::string(kDeletedKeyMarker));

  EXPECT_EQ(Restore().result, TweakRestore::Restored) << LastMessage();
  EXPECT_EQ(test::DescribeKeyTree(registry(), RootKey::CurrentUser, runMru), before);

  Apply(1, {"Clear history of commands typed in run entry of start menu"});
  SetString(RootKey::CurrentUser, runMru + "\\MRUList", "b");  // a new list since
  const TweakRestoreOutcome restored = Restore();
  EXPECT_EQ(restored.changedSince, Lines{"HKEY_CURRENT_USER\\" + runMru + "\\MRUList"});
  EXPECT_EQ(String(RootKey::CurrentUser, runMru + "\\MRUList"), "b");
  EXPECT_EQ(String(RootKey::CurrentUser, runMru + "\\a"), "cmd");
}

TEST_F(RestoreFileTest, WhatARestoreCannotWriteIsNamedWithTheWayToTheRights) {
  UseSystem("Windows 10");
  SetDword(RootKey::LocalMachine, std::string(kFileSystem) + "LongPathsEnabled", 0);
  SetDword(RootKey::CurrentUser, std::string(kAdvanced) + "Start_TrackProgs", 1);
  Apply(3, {"Allow paths longer than 260 characters"});
  Apply(1, {"Do not track program launches"});

  // Without administrator rights: the machine's keys refuse writing (injected through the
  // platform layer, as the host stand-in has no rights to check).
  host_.system().SetAdmin(false);
  auto real = std::move(host_.platform().registry);
  host_.platform().registry = std::make_unique<test::StandardUserRegistry>(*real);
  TweakRestoreOutcome restored = Restore();
  host_.platform().registry = std::move(real);
  EXPECT_EQ(restored.result, TweakRestore::Incomplete);
  ASSERT_EQ(restored.notWritten.size(), 2U);  // the key, and the value
  EXPECT_TRUE(restored.notWritten[1].starts_with(
      R"(HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\FileSystem\LongPathsEnabled: )"));
  EXPECT_TRUE(
      LastMessage().ends_with("Some of them need administrator rights. " + std::string(kRestartAsAdministratorAdvice)))
      << LastMessage();
  EXPECT_EQ(Number(RootKey::CurrentUser, kAdvanced, "Start_TrackProgs"), 1) << "the user's own came back";
  EXPECT_EQ(Number(RootKey::LocalMachine, kFileSystem, "LongPathsEnabled"), 1);

  // With the rights, the rest comes back; a line cut short is named, never reported as done.
  host_.system().SetAdmin(true);
  std::string text = test::ReadFileBytes(host_.Host(kRestoreFile));
  text += "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"Wallpaper\"=\"C:\\\\bli\r\n";
  test::WriteFileBytes(host_.Host(kRestoreFile), text);
  restored = Restore();
  EXPECT_EQ(restored.result, TweakRestore::Incomplete);
  EXPECT_EQ(LastMessage(), "1 lines of C:\\Program\\default.reg are damaged: what they held could not be restored.");
  EXPECT_EQ(Number(RootKey::LocalMachine, kFileSystem, "LongPathsEnabled"), 0);
  EXPECT_EQ(sink_.statuses.back(), "Not everything was restored.");
}

TEST_F(RestoreFileTest, ADamagedRestoreFileRestoresNothingAndTakesNoRecords) {
  for (const std::string_view damaged : {std::string_view("\x1F\x8B\x08garbage\r\n"),
                                         std::string_view("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n")}) {
    host_.MakeFile(kRestoreFile, damaged);
    const TweakRestoreOutcome restored = Restore();
    EXPECT_EQ(restored.result, TweakRestore::Failed);
    EXPECT_EQ(sink_.messages.back().kind, MessageKind::Error);
    EXPECT_NE(LastMessage().find("default.reg is damaged"), std::string::npos) << LastMessage();
  }
  // And takes no further records: what went in could never be restored.
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "400");
  EXPECT_FALSE(Apply(0, {"Speed up menu display"}).error.empty());
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "400");
  // An empty file records nothing: nothing to restore.
  host_.MakeFile(kRestoreFile, "");
  EXPECT_EQ(Restore().result, TweakRestore::NothingToRestore);
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
  // As Wine's registry editor reads them: a short dword, an empty dump and a key deletion are
  // fine; a value without a usable key above it, or without its closing quote, is not.
  EXPECT_EQ(read.unreadable, (std::vector<std::size_t>{2, 9, 11, 12}));
  ASSERT_EQ(read.entries.size(), 7U);
  EXPECT_EQ(read.entries[0].root, RootKey::LocalMachine);
  EXPECT_EQ(read.entries[1].valueName, "");
  EXPECT_FALSE(read.entries[1].value.has_value());  // deleted
  EXPECT_EQ(read.entries[2].value->data, (Bytes{10, 0, 0, 0}));
  EXPECT_EQ(read.entries[3].value->data, (Bytes{1, 2, 3}));
  EXPECT_EQ(read.entries[3].line, 6U);
  EXPECT_EQ(read.entries[3].lastLine, 7U);
  EXPECT_EQ(read.entries[4].value->data, (Bytes{0x23, 1, 0, 0}));
  EXPECT_EQ(read.entries[5].value->type, platform::kRegQword);
  EXPECT_TRUE(read.entries[5].value->data.empty());
  EXPECT_TRUE(read.entries[6].deletesKey);
  EXPECT_EQ(read.entries[6].keyPath, "Gone");

  EXPECT_FALSE(reg::ReadRegFileEntries(reg::RegFileText{{"REGEDIT 4", "[HKEY_CURRENT_USER\\A]"}}, system).header);
}

}  // namespace
}  // namespace sw::tweaks
