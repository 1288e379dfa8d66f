// Tweaks on the real registry: Apply records the previous state in default.reg with what it
// wrote, and the Restore command (which writes through the registry API; no registry editor is
// started) brings back every value, with its name, type and data, and every deleted key with
// its subkeys, and nothing else; never a value changed since it was applied. The version record says Windows XP, so the
// XP rows of the catalogue are offered, or Windows 10, or with a build from 22000 on Windows 11 (the test's own version
// record: the prefix stays as it is for the tests beside it). Every key a test touches is put back as the prefix had
// it, whatever the test found.

#include <gtest/gtest.h>

#include <map>

#include "core/text.h"
#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/overridden_system.h"
#include "support/registry_state.h"
#include "support/temp_folder.h"
#include "tweaks/restore.h"
#include "tweaks/tweak_page.h"

namespace sw::tweaks {
namespace {

using platform::NamedRegValue;
using platform::RegValue;
using platform::RootKey;
using Lines = std::vector<std::string>;

constexpr std::string_view kApplied = "Selected tasks were applied. Some of them needs rebooting to take effect.";

std::string Parent(const std::string& path) {
  const auto last = path.rfind('\\');
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

Lines Describe(platform::Registry& registry, RootKey root, const std::string& keyPath, bool recursive) {
  return test::DescribeKeyTree(registry, root, keyPath, recursive);
}

// Puts a key back as the prefix had it when the guard was made: when it did not exist, it is
// deleted from its first missing ancestor on; otherwise its values (with `recursive` its
// whole tree) are written back and every value the test added is deleted.
class KeyGuard {
 public:
  KeyGuard(platform::Registry& registry, RootKey root, std::string keyPath, bool recursive)
      : registry_(registry), root_(root), keyPath_(std::move(keyPath)), recursive_(recursive) {
    for (std::string path = keyPath_; !path.empty() && !reg::RegKeyExists(registry_, root_, path);
         path = Parent(path)) {
      missingFrom_ = path;
    }
    if (missingFrom_.empty()) {
      Save(keyPath_);
    }
  }
  ~KeyGuard() {
    if (!missingFrom_.empty()) {
      (void)reg::RegDeleteKeyAt(registry_, root_, missingFrom_, true);
      return;
    }
    if (recursive_) {
      (void)reg::RegDeleteKeyAt(registry_, root_, keyPath_, true);
    } else {
      for (const auto& name : ValueNames(keyPath_)) {
        (void)reg::RegDeleteValueAt(registry_, root_, keyPath_ + "\\" + name);
      }
    }
    auto rootKey = registry_.OpenRoot(root_);
    for (const auto& [path, values] : saved_) {
      auto key = (*rootKey)->Create(path);
      for (const auto& value : values) {
        (void)(*key)->Set(value.name, value.value.type, value.value.data);
      }
    }
  }
  KeyGuard(const KeyGuard&) = delete;
  KeyGuard& operator=(const KeyGuard&) = delete;

 private:
  Lines ValueNames(const std::string& path) {
    auto rootKey = registry_.OpenRoot(root_);
    auto key = (*rootKey)->Open(path, platform::RegAccess::Read);
    return key ? reg::EnumerateNames(**key, reg::NameKind::Values) : Lines{};
  }
  void Save(const std::string& path) {
    auto rootKey = registry_.OpenRoot(root_);
    auto key = (*rootKey)->Open(path, platform::RegAccess::Read);
    if (!key) {
      return;
    }
    auto& values = saved_[path];
    for (std::uint32_t i = 0;; ++i) {
      auto value = (*key)->ValueAt(i);
      if (!value) {
        break;
      }
      values.push_back(std::move(*value));
    }
    for (const auto& name : recursive_ ? reg::EnumerateNames(**key, reg::NameKind::SubKeys) : Lines{}) {
      Save(path + "\\" + name);
    }
  }

  platform::Registry& registry_;
  RootKey root_;
  std::string keyPath_;
  bool recursive_;
  std::string missingFrom_;
  std::map<std::string, std::vector<NamedRegValue>> saved_;
};

class SinkForTests final : public EngineSink {
 public:
  void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }
  void SetProgressMax(std::uint64_t) override {}
  void SetProgress(std::uint64_t) override {}
  void AddRow(const ResultRow&) override {}
  Answer Ask(const Message& message) override {
    messages.push_back(message.text);
    return message.buttons == MessageButtons::Ok ? Answer::Ok : Answer::Yes;
  }
  bool ShouldStop() override { return false; }
  Lines statuses;
  Lines messages;
};

class TweaksRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    auto system = std::make_unique<test::OverriddenSystem>(test::Utf8Of(temp_.path()));
    system->version = platform::VersionRecord{platform::kPlatformNt, 5, 1, 2600};
    system->admin = true;
    system_ = system.get();
    platform_.registry = std::make_unique<platform::win32::Win32Registry>();
    platform_.files = std::make_unique<platform::win32::Win32FileSystem>();
    platform_.system = std::move(system);
    platform_.processes = std::make_unique<platform::win32::Win32Processes>();
    platform_.folders = platform::PortableFolders(test::Utf8Of(temp_.path()));
  }

  platform::Registry& registry() { return *platform_.registry; }

  void UseBuild(std::uint32_t build, std::string name) {
    system_->version = platform::VersionRecord{platform::kPlatformNt, 10, 0, build};
    systemName_ = std::move(name);
  }

  // Checks the named rows of `tab`, presses Apply, and answers the final message.
  std::string Apply(int tab, const Lines& titles) {
    TweakPage page(platform_);
    EXPECT_EQ(page.WindowsVersionName(), systemName_);
    page.SelectTab(tab, sink_);
    for (const auto& title : titles) {
      EXPECT_TRUE(page.CheckTitle(title)) << title << " is not offered";
    }
    sink_.messages.clear();
    const ApplyOutcome outcome = page.Apply(sink_);
    EXPECT_TRUE(outcome.error.empty()) << outcome.error;
    return sink_.messages.empty() ? "" : sink_.messages.back();
  }

  bool Offered(int tab, std::string_view title) {
    TweakPage page(platform_);
    page.SelectTab(tab, sink_);
    for (const auto& row : page.VisibleRows()) {
      if (row.columns[0] == title) {
        return true;
      }
    }
    return false;
  }

  void Restore() {
    sink_.messages.clear();
    const TweakRestoreOutcome restored = RestoreTweaks(platform_, sink_);
    ASSERT_EQ(restored.result, TweakRestore::Restored) << restored.message;
    EXPECT_EQ(sink_.messages, Lines{"All tasks were restored to their original states."});
  }

  void Set(RootKey root, const std::string& keyPath, const NamedRegValue& value) {
    auto rootKey = registry().OpenRoot(root);
    ASSERT_TRUE(rootKey);
    auto key = (*rootKey)->Create(keyPath);
    ASSERT_TRUE(key);
    ASSERT_TRUE((*key)->Set(value.name, value.value.type, value.value.data)) << value.name;
  }

  test::TempFolder temp_;
  platform::Platform platform_;
  SinkForTests sink_;
  test::OverriddenSystem* system_ = nullptr;
  std::string systemName_ = "Windows XP";
};

RegValue Sz(std::string_view text) {
  return RegValue{platform::kRegSz, reg::EncodeRegText(text, true)};
}

RegValue Multi(std::string_view stringsWithZeros) {
  return RegValue{platform::kRegMultiSz, reg::EncodeRegText(stringsWithZeros, false)};
}

TEST_F(TweaksRoundTrip, ValueThatExistedAndValueThatDidNotComeBack) {
  const std::string desktop = R"(Control Panel\Desktop)";
  const std::string policies = R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer)";
  KeyGuard desktopGuard(registry(), RootKey::CurrentUser, desktop, /*recursive=*/false);
  KeyGuard policiesGuard(registry(), RootKey::CurrentUser, policies, /*recursive=*/false);
  Set(RootKey::CurrentUser, desktop, {"HungAppTimeout", Sz("5000")});
  (void)reg::RegDeleteValueAt(registry(), RootKey::CurrentUser, policies + "\\ClassicShell");
  const Lines desktopBefore = Describe(registry(), RootKey::CurrentUser, desktop, false);
  const Lines policiesBefore = Describe(registry(), RootKey::CurrentUser, policies, false);

  EXPECT_EQ(Apply(3, {"Increase application timeout", "Force Windows to Use the Classic Desktop"}), kApplied);
  EXPECT_EQ(reg::RegReadString(registry(), RootKey::CurrentUser, desktop + "\\HungAppTimeout"), "10000");
  EXPECT_TRUE(reg::RegValueExists(registry(), RootKey::CurrentUser, policies + "\\ClassicShell"));
  EXPECT_FALSE(Offered(3, "Increase application timeout"));

  Restore();
  EXPECT_EQ(Describe(registry(), RootKey::CurrentUser, desktop, false), desktopBefore);
  const Lines policiesAfter = Describe(registry(), RootKey::CurrentUser, policies, false);
  if (policiesBefore.empty()) {
    // The key the tweak had to create stays, empty: the record knows no "key did not exist".
    EXPECT_EQ(policiesAfter, Lines{"|(key)"});
  } else {
    EXPECT_EQ(policiesAfter, policiesBefore);
  }
  EXPECT_TRUE(Offered(3, "Increase application timeout"));
  EXPECT_TRUE(Offered(3, "Force Windows to Use the Classic Desktop"));
}

TEST_F(TweaksRoundTrip, DeletedKeyComesBackWithItsSubkeysAndEveryKindOfValue) {
  const std::string mru = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU)";
  KeyGuard guard(registry(), RootKey::CurrentUser, mru, /*recursive=*/true);
  (void)reg::RegDeleteKeyAt(registry(), RootKey::CurrentUser, mru, true);
  Bytes binary(60);
  for (std::size_t i = 0; i < binary.size(); ++i) {
    binary[i] = static_cast<std::uint8_t>(i * 7);
  }
  Set(RootKey::CurrentUser, mru, {"MRUList", Sz("cba")});
  Set(RootKey::CurrentUser, mru, {"", Sz(R"(the default, C:\Temp)")});
  Set(RootKey::CurrentUser, mru + R"(\*)", {"a", Sz(R"(C:\Docs\"quoted" name.txt)")});
  Set(RootKey::CurrentUser, mru + R"(\*)", {"expand", {platform::kRegExpandSz, reg::EncodeRegText("%TEMP%\\x", true)}});
  Set(RootKey::CurrentUser, mru + R"(\txt)", {"list", Multi(std::string("one\0C:\\two\0\0", 13))});
  Set(RootKey::CurrentUser, mru + R"(\txt)", {"count", {platform::kRegDword, {0xFF, 0, 0, 0x80}}});
  Set(RootKey::CurrentUser, mru + R"(\txt\deeper)", {"blob", {platform::kRegBinary, binary}});
  Set(RootKey::CurrentUser, mru + R"(\txt\deeper)", {"big", {platform::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}});
  const Lines before = Describe(registry(), RootKey::CurrentUser, mru, true);
  ASSERT_EQ(before.size(), 12U);

  const std::string title = "Clear history of files in common dialog boxes";
  EXPECT_EQ(Apply(1, {title}), kApplied);
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::CurrentUser, mru));
  EXPECT_FALSE(Offered(1, title));

  Restore();
  EXPECT_EQ(Describe(registry(), RootKey::CurrentUser, mru, true), before);
  EXPECT_TRUE(Offered(1, title));
}

TEST_F(TweaksRoundTrip, BinaryAndMultiStringValuesComeBack) {
  const std::string memory = R"(SYSTEM\CurrentControlSet\Control\Session Manager\Memory Management)";
  const std::string fileSystem = R"(System\CurrentControlSet\Control\FileSystem)";
  KeyGuard memoryGuard(registry(), RootKey::LocalMachine, memory, /*recursive=*/false);
  KeyGuard fileSystemGuard(registry(), RootKey::LocalMachine, fileSystem, /*recursive=*/false);
  // Wine keeps the paging file list as a plain string; Windows as the multi-string the tweak reads.
  Set(RootKey::LocalMachine, memory, {"PagingFiles", Multi(std::string(R"(C:\pagefile.sys 1536 3072)") + '\0' + '\0')});
  Set(RootKey::LocalMachine, fileSystem, {"DriveWriteBehind", {platform::kRegBinary, {0xFF, 0xFF, 0xFF, 0xFF, 0x10}}});
  const Lines memoryBefore = Describe(registry(), RootKey::LocalMachine, memory, false);
  const Lines fileSystemBefore = Describe(registry(), RootKey::LocalMachine, fileSystem, false);

  const std::string paging = "Optimize Virtual Memory for WinXP/NT/2000";
  const std::string writeBehind = "Disable Write Behind Caching";
  EXPECT_EQ(Apply(0, {paging, writeBehind}), kApplied);
  EXPECT_EQ(reg::RegReadMultiString(registry(), RootKey::LocalMachine, memory + "\\PagingFiles"),
            std::string(R"(C:\pagefile.sys 382 382)") + '\0');
  EXPECT_EQ(reg::RegReadBinary(registry(), RootKey::LocalMachine, fileSystem + "\\DriveWriteBehind"),
            (Bytes{0, 0, 0, 1}));
  // Written with its terminating zeros, the list reads back whole: the check sees it in effect.
  EXPECT_FALSE(Offered(0, paging));
  EXPECT_FALSE(Offered(0, writeBehind));

  Restore();
  EXPECT_EQ(Describe(registry(), RootKey::LocalMachine, memory, false), memoryBefore);
  EXPECT_EQ(Describe(registry(), RootKey::LocalMachine, fileSystem, false), fileSystemBefore);
}

TEST_F(TweaksRoundTrip, IdleTasksRunThroughTheSystemsProgram) {
  // Wine's rundll32 has nothing to run; what counts is that it started and was waited for.
  EXPECT_EQ(Apply(0, {"Terminate Idle Tasks"}), kApplied);
  const auto running = std::find(sink_.statuses.begin(), sink_.statuses.end(), "Terminating all idle tasks...");
  ASSERT_NE(running, sink_.statuses.end());
  EXPECT_EQ(*(running + 1), "Done.");
  EXPECT_TRUE(Offered(0, "Terminate Idle Tasks"));
}

RegValue Dword(std::uint32_t number) {
  return RegValue{platform::kRegDword,
                  {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8U),
                   static_cast<std::uint8_t>(number >> 16U), static_cast<std::uint8_t>(number >> 24U)}};
}

// "type|hex" of a value, or "absent".
std::string StateOf(platform::Registry& registry, RootKey root, const std::string& keyPath, const std::string& name) {
  for (const auto& line : Describe(registry, root, keyPath, false)) {
    const std::string prefix = "|" + name + "|";
    if (line.size() > prefix.size() && EqualsNoCase(line.substr(0, prefix.size()), prefix)) {
      return line.substr(prefix.size());
    }
  }
  return "absent";
}

TEST_F(TweaksRoundTrip, Windows10SettingsComeBackExactlyAndLaterChangesInTheirKeysStay) {
  UseBuild(19045, "Windows 10");
  const std::string advanced = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced)";
  const std::string userProfile = R"(Control Panel\International\User Profile)";
  const std::string fileSystem = R"(SYSTEM\CurrentControlSet\Control\FileSystem)";
  KeyGuard advancedGuard(registry(), RootKey::CurrentUser, advanced, /*recursive=*/false);
  KeyGuard profileGuard(registry(), RootKey::CurrentUser, userProfile, /*recursive=*/false);
  KeyGuard fileSystemGuard(registry(), RootKey::LocalMachine, fileSystem, /*recursive=*/false);
  // A value that existed with other data, one that did not exist, one of the machine's.
  Set(RootKey::CurrentUser, advanced, {"Start_TrackProgs", Dword(1)});
  (void)reg::RegDeleteValueAt(registry(), RootKey::CurrentUser, userProfile + "\\HttpAcceptLanguageOptOut");
  Set(RootKey::LocalMachine, fileSystem, {"LongPathsEnabled", Dword(0)});
  const std::string trackBefore = StateOf(registry(), RootKey::CurrentUser, advanced, "Start_TrackProgs");
  const std::string longBefore = StateOf(registry(), RootKey::LocalMachine, fileSystem, "LongPathsEnabled");

  EXPECT_EQ(Apply(1, {"Do not track program launches"}), kApplied);
  EXPECT_EQ(Apply(2, {"Websites cannot read the language list"}), kApplied);
  EXPECT_EQ(Apply(3, {"Allow paths longer than 260 characters"}), kApplied);
  EXPECT_EQ(StateOf(registry(), RootKey::CurrentUser, advanced, "Start_TrackProgs"), "4|00000000");
  EXPECT_EQ(StateOf(registry(), RootKey::CurrentUser, userProfile, "HttpAcceptLanguageOptOut"), "4|01000000");
  EXPECT_EQ(StateOf(registry(), RootKey::LocalMachine, fileSystem, "LongPathsEnabled"), "4|01000000");

  // Later, unrelated changes in the same three keys.
  Set(RootKey::CurrentUser, advanced, {"HideFileExt", Dword(7)});
  Set(RootKey::CurrentUser, userProfile, {"SweepwiseLater", Sz("de-DE")});
  Set(RootKey::LocalMachine, fileSystem, {"SweepwiseLater", Dword(5)});

  Restore();
  EXPECT_EQ(StateOf(registry(), RootKey::CurrentUser, advanced, "Start_TrackProgs"), trackBefore);
  EXPECT_EQ(StateOf(registry(), RootKey::CurrentUser, userProfile, "HttpAcceptLanguageOptOut"), "absent");
  EXPECT_EQ(StateOf(registry(), RootKey::LocalMachine, fileSystem, "LongPathsEnabled"), longBefore);
  EXPECT_EQ(StateOf(registry(), RootKey::CurrentUser, advanced, "HideFileExt"), "4|07000000");
  EXPECT_EQ(StateOf(registry(), RootKey::CurrentUser, userProfile, "SweepwiseLater"),
            "1|640065002D0044004500"
            "0000");
  EXPECT_EQ(StateOf(registry(), RootKey::LocalMachine, fileSystem, "SweepwiseLater"), "4|05000000");
  EXPECT_TRUE(Offered(3, "Allow paths longer than 260 characters"));
}

TEST_F(TweaksRoundTrip, ABuildFrom22000OnIsWindows11) {
  UseBuild(22631, "Windows 11");
  const TweakPage page(platform_);
  EXPECT_EQ(page.TitleText(), "Advanced settings for Windows 11");
  EXPECT_TRUE(Offered(0, "Turn off Widgets"));
  EXPECT_FALSE(Offered(1, "Do not track program launches")) << "documented for Windows 10 alone";
}

// Apply, restore, a value set by hand, apply, restore: the value set by hand comes back, not
// the one from before the first apply; a value changed after an apply stays and is named.
TEST_F(TweaksRoundTrip, ARestoreNeverOverwritesALaterChange) {
  const std::string desktop = R"(Control Panel\Desktop)";
  KeyGuard desktopGuard(registry(), RootKey::CurrentUser, desktop, /*recursive=*/false);
  Set(RootKey::CurrentUser, desktop, {"MenuShowDelay", Sz("345")});
  EXPECT_EQ(Apply(0, {"Speed up menu display"}), kApplied);
  Restore();
  Set(RootKey::CurrentUser, desktop, {"MenuShowDelay", Sz("123")});
  EXPECT_EQ(Apply(0, {"Speed up menu display"}), kApplied);
  EXPECT_EQ(reg::RegReadString(registry(), RootKey::CurrentUser, desktop + "\\MenuShowDelay"), "0");
  Restore();
  EXPECT_EQ(reg::RegReadString(registry(), RootKey::CurrentUser, desktop + "\\MenuShowDelay"), "123");

  EXPECT_EQ(Apply(0, {"Speed up menu display"}), kApplied);
  Set(RootKey::CurrentUser, desktop, {"MenuShowDelay", Sz("77")});
  sink_.messages.clear();
  const TweakRestoreOutcome restored = RestoreTweaks(platform_, sink_);
  EXPECT_EQ(restored.result, TweakRestore::Incomplete);
  EXPECT_EQ(restored.changedSince, Lines{"HKEY_CURRENT_USER\\Control Panel\\Desktop\\MenuShowDelay"});
  EXPECT_NE(restored.message.find("MenuShowDelay: changed since Sweepwise applied it; left as it is"),
            std::string::npos)
      << restored.message;
  EXPECT_EQ(reg::RegReadString(registry(), RootKey::CurrentUser, desktop + "\\MenuShowDelay"), "77");
}

TEST_F(TweaksRoundTrip, WhatCouldNotBeRestoredIsNamed) {
  const std::string desktop = R"(Control Panel\Desktop)";
  KeyGuard desktopGuard(registry(), RootKey::CurrentUser, desktop, /*recursive=*/false);
  Set(RootKey::CurrentUser, desktop, {"MenuShowDelay", Sz("345")});
  EXPECT_EQ(Apply(0, {"Speed up menu display"}), kApplied);
  // A line cut short, as a full disk leaves it: no registry editor reads it.
  const auto file = temp_.path() / "default.reg";
  std::string text = test::ReadFileBytes(file);
  test::WriteFileBytes(file, text + "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"SweepwiseLater\"=\"cut sh\r\n");
  sink_.messages.clear();
  const TweakRestoreOutcome restored = RestoreTweaks(platform_, sink_);
  EXPECT_EQ(restored.result, TweakRestore::Incomplete) << restored.message;
  EXPECT_EQ(reg::RegReadString(registry(), RootKey::CurrentUser, desktop + "\\MenuShowDelay"), "345");
  EXPECT_NE(restored.message.find("1 lines of"), std::string::npos) << restored.message;

  // No registry file at all: never reported as restored.
  test::WriteFileBytes(file, "\x1F\x8B this is no registry file\r\n");
  EXPECT_EQ(RestoreTweaks(platform_, sink_).result, TweakRestore::Failed);
  EXPECT_NE(sink_.messages.back().find("is damaged"), std::string::npos) << sink_.messages.back();
}

}  // namespace
}  // namespace sw::tweaks
