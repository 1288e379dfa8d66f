// The Software page's engine and the program starter on the real system: uninstallers of our
// own (a window program and a console program) registered in the prefix's uninstall keys, in
// HKEY_LOCAL_MACHINE's 64-bit and 32-bit views and in HKEY_CURRENT_USER, started one after
// the other, and the log of what each did. Wine's prefix is a 64-bit one: its 32-bit view of
// HKEY_LOCAL_MACHINE\Software is the separate key Software\Wow6432Node, as on 64-bit Windows.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>
#include <tuple>

#include "core/language.h"
#include "core/text.h"
#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/overridden_system.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"
#include "uninstall/software_list.h"
#include "uninstall/uninstall_flow.h"
#include "uninstall/uninstaller_exit.h"

namespace sw::uninstall {
namespace {

using platform::RegView;
using platform::RootKey;

// "NAME what NUMBER" lines of a helper's log, by "NAME what".
std::map<std::string, long long> ReadLog(const std::filesystem::path& log) {
  std::map<std::string, long long> entries;
  if (!std::filesystem::exists(log)) {
    return entries;
  }
  std::istringstream lines(test::ReadFileBytes(log));
  std::string name;
  std::string what;
  long long number = 0;
  while (lines >> name >> what >> number) {
    entries[name + " " + what] = number;
  }
  return entries;
}

long long Now() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::string Quoted(const std::filesystem::path& path) {
  return "\"" + test::Utf8Of(path) + "\"";
}

// A key and everything below it: values (name, type, bytes) by key path, for comparing a
// key before its removal with the key its backup brought back.
using KeySnapshot = std::map<std::string, std::vector<std::tuple<std::string, std::uint32_t, Bytes>>>;

class UninstallOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_.registry = std::make_unique<platform::win32::Win32Registry>();
    platform_.files = std::make_unique<platform::win32::Win32FileSystem>();
    // A standard user's Sweepwise unless a test says otherwise: Wine runs every program
    // elevated, and an elevated Sweepwise starts a current user's command only as the
    // desktop's shell would (see ACurrentUsersCommandIsRefusedWithoutAnUnelevatedShell).
    auto system = std::make_unique<test::OverriddenSystem>(test::Utf8Of(temp_.path()));
    system->admin = false;
    system_ = system.get();
    platform_.system = std::move(system);
    platform_.processes = std::make_unique<platform::win32::Win32Processes>();
    platform_.shell = std::make_unique<platform::win32::Win32Shell>();
    platform_.folders = platform::PortableFolders(test::Utf8Of(temp_.path()));
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    bin_ = std::filesystem::path(self).parent_path();
    log_ = temp_.path() / "uninstall.log";
  }

  void TearDown() override {
    for (const auto& entry : entries_) {
      if (auto root = platform_.registry->OpenRootView(entry.source.root, entry.source.view)) {
        if (auto parent = (*root)->Open(kUninstallKey, platform::RegAccess::ReadWrite)) {
          (void)reg::DeleteKeyTree(**parent, entry.subkey);
        }
      }
    }
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    for (const auto& copy : copies_) {
      std::error_code ignored;
      std::filesystem::remove(std::filesystem::path(temp) / (copy + "-copy.exe"), ignored);
    }
  }

  // A class-identifier-like subkey name of this process; `order` leads, so that the entries
  // enumerate in the order of their numbers.
  EntrySource Entry(int order, SoftwareSource source = {RootKey::CurrentUser, RegView::Own}) {
    char name[64];
    std::snprintf(name, sizeof name, "{%d5EE1A00-0000-4000-8000-%012lX}", order, ::GetCurrentProcessId());
    entries_.push_back(EntrySource{source, name});
    return entries_.back();
  }

  void Set(const EntrySource& entry, std::string_view name, std::string_view text, std::uint32_t type = platform::kRegSz,
           std::string_view below = {}) {
    SetRaw(entry, name, type, reg::EncodeRegText(text, true), below);
  }
  void SetRaw(const EntrySource& entry, std::string_view name, std::uint32_t type, const Bytes& data,
              std::string_view below = {}) {
    auto root = platform_.registry->OpenRootView(entry.source.root, entry.source.view);
    ASSERT_TRUE(root);
    const std::string path = EntryKeyPath(entry) + (below.empty() ? "" : "\\" + std::string(below));
    auto key = (*root)->Create(path);
    ASSERT_TRUE(key) << path;
    ASSERT_TRUE((*key)->Set(name, type, data));
  }
  void Register(const EntrySource& entry, const std::string& title, const std::string& command) {
    Set(entry, "DisplayName", title);
    Set(entry, "UninstallString", command);
  }
  bool Has(const EntrySource& entry) { return EntryExists(*platform_.registry, entry); }

  KeySnapshot Snapshot(const EntrySource& entry) {
    KeySnapshot snapshot;
    auto root = platform_.registry->OpenRootView(entry.source.root, entry.source.view);
    std::vector<std::string> pending{EntryKeyPath(entry)};
    while (root && !pending.empty()) {
      const std::string path = pending.back();
      pending.pop_back();
      auto key = (*root)->Open(path, platform::RegAccess::Read);
      if (!key) {
        continue;
      }
      auto& values = snapshot[path];
      for (std::uint32_t i = 0;; ++i) {
        auto value = (*key)->ValueAt(i);
        if (!value) {
          break;
        }
        values.emplace_back(value->name, value->value.type, value->value.data);
      }
      std::sort(values.begin(), values.end());
      for (const auto& name : reg::EnumerateNames(**key, reg::NameKind::SubKeys)) {
        pending.push_back(path + "\\" + name);
      }
    }
    return snapshot;
  }

  std::string Helper(std::string_view program, std::string_view name, std::string_view options) {
    return Quoted(bin_ / std::string(program)) + " " + Quoted(log_) + " " + std::string(name) + " " +
           std::string(options);
  }

  // The rows of our own entries, checked.
  std::vector<ResultRow> OurRows() {
    test::RecordingSink sink;
    FindSoftware(platform_, sink);
    std::vector<ResultRow> ours;
    for (auto& row : sink.rows) {
      const auto source = ParseSourceId(row.hidden);
      if (source && std::find(entries_.begin(), entries_.end(), *source) != entries_.end()) {
        row.checked = true;
        ours.push_back(row);
      }
    }
    return ours;
  }

  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& question : sink_.questions) {
      texts.push_back(question.text == Text(88) ? "88" : question.text.substr(0, 40));
    }
    return texts;
  }

  platform::Platform platform_;
  test::OverriddenSystem* system_ = nullptr;
  test::TempFolder temp_;
  test::RecordingSink sink_;
  std::filesystem::path bin_;
  std::filesystem::path log_;
  std::vector<EntrySource> entries_;
  std::vector<std::string> copies_;  // names of helpers that copy themselves to %TEMP%
};

constexpr SoftwareSource kMachine64{RootKey::LocalMachine, RegView::Bits64};
constexpr SoftwareSource kMachine32{RootKey::LocalMachine, RegView::Bits32};
constexpr SoftwareSource kUser{RootKey::CurrentUser, RegView::Own};

TEST_F(UninstallOnWine, EntriesOfAllThreeSourcesAreListedOnceAndTheHiddenKindsHidden) {
  const std::string pid = std::to_string(::GetCurrentProcessId());
  const EntrySource machine64 = Entry(1, kMachine64);
  const EntrySource machine32 = Entry(2, kMachine32);
  const EntrySource user = Entry(3, kUser);
  EntrySource same32 = Entry(4, kMachine32);
  const EntrySource same64{kMachine64, same32.subkey};
  entries_.push_back(same64);
  const EntrySource component = Entry(5, kMachine32);
  const EntrySource update = Entry(6, kUser);
  Register(machine64, "Sweepwise Sixty-Four " + pid, "x64.exe");
  Register(machine32, "Sweepwise Thirty-Two " + pid, "x86.exe");
  Register(user, "Sweepwise Per User " + pid, "user.exe");
  Register(same32, "Sweepwise Same 32 " + pid, "same32.exe");
  Register(same64, "Sweepwise Same 64 " + pid, "same64.exe");
  Register(component, "Sweepwise Component " + pid, "component.exe");
  SetRaw(component, "SystemComponent", platform::kRegDword, {1, 0, 0, 0});
  Register(update, "Sweepwise Update " + pid, "update.exe");
  Set(update, "ParentKeyName", "Sweepwise Per User " + pid);

  // Planted through the 32-bit view, the entry is in the separate key of that view.
  HKEY key = nullptr;
  const std::wstring wow = L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                           std::wstring(machine32.subkey.begin(), machine32.subkey.end());
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, wow.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  ::RegCloseKey(key);
  EXPECT_FALSE(Has(EntrySource{kMachine64, machine32.subkey}));
  const auto path32 = platform_.registry->OwnViewPath(RootKey::LocalMachine, RegView::Bits32, kUninstallKey);
  ASSERT_TRUE(path32);
  EXPECT_TRUE(EqualsNoCase(*path32, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall")) << *path32;
  const auto path64 = platform_.registry->OwnViewPath(RootKey::LocalMachine, RegView::Bits64, kUninstallKey);
  ASSERT_TRUE(path64);
  EXPECT_TRUE(EqualsNoCase(*path64, kUninstallKey)) << *path64;
  EXPECT_EQ(SoftwareSources(platform_).size(), 3U);

  std::vector<std::pair<std::string, std::string>> listed;
  for (const auto& row : OurRows()) {
    listed.emplace_back(row.hidden, row.columns[0]);
  }
  const std::vector<std::pair<std::string, std::string>> expected = {
      {SourceId(machine64), "Sweepwise Sixty-Four " + pid},
      {SourceId(same64), "Sweepwise Same 64 " + pid},
      {SourceId(machine32), "Sweepwise Thirty-Two " + pid},
      {SourceId(same32), "Sweepwise Same 32 " + pid},
      {SourceId(user), "Sweepwise Per User " + pid}};
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(SourceId(machine32).substr(0, 7), "HKLM32\\");

  std::map<std::string, std::string> reasons;
  ListSoftware(platform_, sink_, ListOptions{true}, [&](const SoftwareEntry& entry, const std::string& reason) {
    if (std::find(entries_.begin(), entries_.end(), entry.source) != entries_.end() && !reason.empty()) {
      reasons[entry.displayName] = reason;
    }
  });
  EXPECT_EQ(reasons, (std::map<std::string, std::string>{
                         {"Sweepwise Component " + pid, "a system component (SystemComponent = 1)"},
                         {"Sweepwise Update " + pid, "an update of Sweepwise Per User " + pid + " (ParentKeyName)"}}));
}

TEST_F(UninstallOnWine, ASelfCopyingUninstallerKeepsItsEntryUntilItsCopyHasEnded) {
  const EntrySource entry = Entry(1, kMachine32);
  copies_.push_back("self");
  Register(entry, "Sweepwise Self-Copying Test",
           Helper("sweepwise-test-uninstaller-window.exe", "self",
                  "--copy-to-temp --sleep 1500 --remove-key " + SourceId(entry)));
  std::vector<ResultRow> list = OurRows();
  ASSERT_EQ(list.size(), 1U);
  sink_.answer = Answer::Yes;  // a question asked too early would remove the entry

  const UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_);
  const long long returned = Now();
  const auto log = ReadLog(log_);
  ASSERT_EQ(log.count("self-copy end"), 1U) << "returned before the copy ended: " << test::ReadFileBytes(log_);
  EXPECT_LT(log.at("self handoff"), log.at("self-copy start"));
  EXPECT_EQ(log.at("self-copy found"), 1) << "the entry was touched before the copy removed it";
  EXPECT_LT(log.at("self-copy end"), returned);
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_TRUE(outcome.entries[0].started);
  EXPECT_TRUE(outcome.entries[0].entryGone);
  EXPECT_FALSE(outcome.entries[0].leftoverRemoved);
  EXPECT_EQ(Texts(), (std::vector<std::string>{UninstallNotice("").substr(0, 40)})) << "no question, no text 88";
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(Has(entry));
}

TEST_F(UninstallOnWine, ACancelledUninstallKeepsItsEntryUnlessAnsweredYesAndItsBackupImportsBackExactly) {
  const EntrySource entry = Entry(1, kMachine32);
  Set(entry, "DisplayName", "Sweepwise Cancelled Test");
  // Stored as REG_EXPAND_SZ with the system drive in a variable: expanded, it starts.
  std::string command = Helper("sweepwise-test-uninstaller.exe", "cancel", "");
  const auto drive = command.find("C:\\");
  ASSERT_NE(drive, std::string::npos);
  command.replace(drive, 2, "%SystemDrive%");
  Set(entry, "UninstallString", command, platform::kRegExpandSz);
  Set(entry, "Publisher", "Orvanta \"Test\" Ltd");
  Set(entry, "DisplayVersion", "1.2.3");
  Set(entry, "InstallDate", "20261209");
  SetRaw(entry, "EstimatedSize", platform::kRegDword, {0x10, 0x27, 0, 0});
  Set(entry, "InstallLocation", "%ProgramFiles(x86)%\\Cancelled\\", platform::kRegExpandSz);
  Set(entry, "", "the default value");
  SetRaw(entry, "Blob", platform::kRegBinary, {0, 1, 2, 0xFE, 0xFF}, "Components\\Deep");
  SetRaw(entry, "Names", platform::kRegMultiSz, reg::EncodeRegText(std::string("one\0two\0\0", 9), false),
         "Components");
  const KeySnapshot before = Snapshot(entry);
  ASSERT_EQ(before.size(), 3U);

  // No: the program is still installed and keeps its entry, untouched.
  std::vector<ResultRow> list = OurRows();
  sink_.answer = Answer::No;
  UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_);
  ASSERT_EQ(ReadLog(log_).count("cancel end"), 1U) << "the REG_EXPAND_SZ command did not start";
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_TRUE(outcome.entries[0].started);
  EXPECT_FALSE(outcome.entries[0].Removed());
  ASSERT_EQ(sink_.questions.size(), 2U);
  EXPECT_EQ(sink_.questions[1].buttons, MessageButtons::YesNo);
  EXPECT_TRUE(sink_.questions[1].defaultNo);
  EXPECT_EQ(Snapshot(entry), before);
  EXPECT_EQ(list.size(), 1U);

  // Yes: saved as regbackup000.reg, removed with its subtree, text 88.
  sink_.questions.clear();
  sink_.answer = Answer::Yes;
  list = OurRows();
  outcome = UninstallSoftware(list, platform_, sink_);
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_TRUE(outcome.entries[0].leftoverRemoved);
  const std::filesystem::path backup = temp_.path() / "regbackup000.reg";
  EXPECT_EQ(outcome.entries[0].backupFile, test::Utf8Of(backup));
  EXPECT_EQ(Texts().back(), "88");
  EXPECT_FALSE(Has(entry));
  EXPECT_TRUE(Snapshot(entry).empty());

  // The system's registry editor brings it back exactly, into the 32-bit view.
  ASSERT_TRUE(platform_.processes->ExecuteProgram("regedit.exe /s " + Quoted(backup), true, true));
  EXPECT_EQ(Snapshot(entry), before) << test::ReadFileBytes(backup);
}

TEST_F(UninstallOnWine, QuietPicksTheQuietCommand) {
  const EntrySource entry = Entry(1, kUser);
  Register(entry, "Sweepwise Quiet Test", Helper("sweepwise-test-uninstaller.exe", "loud", ""));
  Set(entry, "QuietUninstallString",
      Helper("sweepwise-test-uninstaller.exe", "quiet", "--remove-key " + SourceId(entry)));
  std::vector<ResultRow> list = OurRows();
  const UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_, UninstallOptions{true});
  const auto log = ReadLog(log_);
  EXPECT_EQ(log.count("quiet end"), 1U) << test::ReadFileBytes(log_);
  EXPECT_EQ(log.count("loud start"), 0U);
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_TRUE(outcome.entries[0].entryGone);
}

TEST_F(UninstallOnWine, UninstallersRunInTurnAndOnlyLeftoversTheUserConfirmsAreRemoved) {
  const EntrySource window = Entry(1);
  const EntrySource console = Entry(2);
  const EntrySource missing = Entry(3);
  const EntrySource wrongType = Entry(4);
  const std::string pid = std::to_string(::GetCurrentProcessId());
  // The window program is slow and leaves its key; the console program removes its own.
  Register(window, "Sweepwise Window Test " + pid,
           Helper("sweepwise-test-uninstaller-window.exe", "window", "--sleep 400"));
  Register(console, "Sweepwise Console Test " + pid,
           Helper("sweepwise-test-uninstaller.exe", "console", "--remove-key " + SourceId(console)));
  Register(missing, "Sweepwise Missing Test " + pid, Quoted(temp_.path() / "no-such-uninstaller.exe"));
  Register(wrongType, "Sweepwise Wrong Type " + pid, "x.exe");
  SetRaw(wrongType, "UninstallString", platform::kRegDword, {1, 0, 0, 0});

  std::vector<ResultRow> list = OurRows();
  std::vector<std::string> ours;
  for (const auto& row : list) {
    ours.push_back(row.columns[0]);
  }
  ASSERT_EQ(ours, (std::vector<std::string>{"Sweepwise Window Test " + pid, "Sweepwise Console Test " + pid,
                                            "Sweepwise Missing Test " + pid}));

  const UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_);  // every question: Yes
  ASSERT_EQ(outcome.entries.size(), 3U);
  EXPECT_TRUE(outcome.entries[0].started);
  EXPECT_TRUE(outcome.entries[1].started);
  EXPECT_FALSE(outcome.entries[2].started);
  EXPECT_EQ(outcome.entries[2].result, UninstallResult::Orphaned);
  const auto log = ReadLog(log_);
  ASSERT_EQ(log.size(), 11U) << test::ReadFileBytes(log_);
  EXPECT_EQ(log.at("window elevated"), 1) << "Wine's every program";
  EXPECT_LE(log.at("window start"), log.at("window end"));
  EXPECT_LE(log.at("window end"), log.at("console start"));  // the second only after the first ended
  EXPECT_EQ(log.at("window show"), SW_SHOWNORMAL);
  EXPECT_EQ(log.at("console show"), SW_SHOWNORMAL);

  EXPECT_FALSE(Has(window));   // left behind, removed on Yes
  EXPECT_FALSE(Has(console));  // removed by its uninstaller
  EXPECT_FALSE(Has(missing));  // its uninstaller is gone: orphaned, removed on Yes
  EXPECT_TRUE(Has(wrongType));
  EXPECT_TRUE(list.empty());
  const std::string notice = UninstallNotice("").substr(0, 40);
  const std::vector<std::string> expected = {notice, "The uninstaller of Sweepwise Window Test",
                                             "88",   notice,
                                             "The uninstaller of Sweepwise Missing Tes", "88"};
  EXPECT_EQ(Texts(), expected);
}

TEST_F(UninstallOnWine, TheWaitForAWholeTreeLetsMessagesThroughUntilTheLastProgramEnds) {
  const DWORD thread = ::GetCurrentThreadId();
  MSG message{};
  ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue exists now
  copies_.push_back("tree");
  // Posts once the copy runs (its original has ended by then), from the outside, as a
  // repaint or a tray click would come.
  std::atomic<bool> done{false};
  std::thread poster([&] {
    while (!done && ReadLog(log_).count("tree-copy start") == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::PostThreadMessageW(thread, WM_APP, 0, 0);
  });
  long long handledAt = 0;
  const auto run = platform_.processes->RunToEnd(
      test::Utf8Of(bin_ / "sweepwise-test-uninstaller-window.exe"), Quoted(log_) + " tree --copy-to-temp --sleep 800",
      platform::StartAs::Self, platform::WaitHooks{[&] {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
          if (message.message == WM_APP) {
            handledAt = Now();
          }
        }
      }});
  done = true;
  poster.join();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->followed, platform::ProgramWait::WholeTree);
  EXPECT_EQ(run->exitCode, 0U) << "the started program's own exit code";
  EXPECT_FALSE(run->abandoned);
  const auto log = ReadLog(log_);
  ASSERT_EQ(log.count("tree-copy end"), 1U) << "returned before the copy ended";
  ASSERT_GT(handledAt, 0);
  EXPECT_GT(handledAt, log.at("tree handoff"));
  EXPECT_LT(handledAt, log.at("tree-copy end"));

  // A program that does not start is not waited for: the system's reason comes back.
  const auto none = platform_.processes->RunToEnd(test::Utf8Of(temp_.path() / "none.exe"), "",
                                                  platform::StartAs::Self, platform::WaitHooks{[] {}});
  ASSERT_FALSE(none);
  EXPECT_TRUE(none.error().Is(Errc::FileNotFound)) << none.error().code();
}

TEST_F(UninstallOnWine, TheWaitLetsMessagesThroughWhileTheProgramRuns) {
  const DWORD thread = ::GetCurrentThreadId();
  MSG message{};
  ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue exists now
  // Posts once the program has started, from the outside, as a repaint or a click would come.
  std::atomic<bool> done{false};
  std::thread poster([&] {
    while (!done && ReadLog(log_).count("window start") == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::PostThreadMessageW(thread, WM_APP, 0, 0);
  });
  long long handledAt = 0;
  int calls = 0;
  const bool started = platform_.processes->ExecuteProgram(
      Helper("sweepwise-test-uninstaller-window.exe", "window", "--sleep 600"), false, true, [&] {
        ++calls;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
          if (message.message == WM_APP) {
            handledAt = Now();
          }
        }
      });
  done = true;
  poster.join();
  ASSERT_TRUE(started);
  const auto log = ReadLog(log_);
  ASSERT_EQ(log.count("window end"), 1U) << "returned before the program ended";
  ASSERT_GT(handledAt, 0) << calls << " calls of the hook";
  EXPECT_LT(handledAt, log.at("window end"));

  // A program that does not start is not waited for, hook or not.
  EXPECT_FALSE(platform_.processes->ExecuteProgram(Quoted(temp_.path() / "none.exe"), false, true, [] {}));
}

// The exit codes the uninstall reads are the system's own, as its headers name them.
TEST(UninstallerExitCodes, AreWindowsInstallersOwn) {
  for (const DWORD success : {ERROR_SUCCESS_REBOOT_REQUIRED, ERROR_SUCCESS_REBOOT_INITIATED}) {
    EXPECT_TRUE(ClassifyExitCode(success).succeeded) << success;
    EXPECT_TRUE(ClassifyExitCode(success).restartNeeded) << success;
  }
  EXPECT_TRUE(ClassifyExitCode(ERROR_SUCCESS).succeeded);
  EXPECT_FALSE(ClassifyExitCode(ERROR_SUCCESS).restartNeeded);
  const std::pair<DWORD, std::string_view> failures[] = {
      {ERROR_INSTALL_USEREXIT, "the uninstall was cancelled"},
      {ERROR_INSTALL_FAILURE, "the uninstall failed with a fatal error"},
      {ERROR_INSTALL_ALREADY_RUNNING, "another installation is already in progress"},
      {ERROR_UNKNOWN_PRODUCT, "this product is not installed"}};
  for (const auto& [code, meaning] : failures) {
    EXPECT_FALSE(ClassifyExitCode(code).succeeded) << code;
    EXPECT_EQ(ClassifyExitCode(code).meaning, meaning) << code;
  }
  EXPECT_EQ(kUnknownProduct, static_cast<std::uint32_t>(ERROR_UNKNOWN_PRODUCT));
  EXPECT_FALSE(ClassifyExitCode(ERROR_ACCESS_DENIED).succeeded);
  EXPECT_TRUE(ClassifyExitCode(ERROR_ACCESS_DENIED).meaning.empty());
}

// A real uninstaller's real exit code: 1618 keeps the entry even when every question would
// be answered Yes; 3010 is success, with a restart to come.
TEST_F(UninstallOnWine, TheUninstallersExitCodeDecides) {
  const EntrySource busy = Entry(1, kMachine32);
  const EntrySource restart = Entry(2, kMachine64);
  Register(busy, "Sweepwise Busy Test", Helper("sweepwise-test-uninstaller.exe", "busy", "--exit 1618"));
  Register(restart, "Sweepwise Restart Test",
           Helper("sweepwise-test-uninstaller.exe", "restart", "--exit 3010 --remove-key " + SourceId(restart)));
  std::vector<ResultRow> list = OurRows();
  sink_.answer = Answer::Yes;
  const UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_);
  ASSERT_EQ(outcome.entries.size(), 2U);
  const UninstalledEntry& failed = outcome.entries[0].title == "Sweepwise Busy Test" ? outcome.entries[0] : outcome.entries[1];
  const UninstalledEntry& done = &failed == &outcome.entries[0] ? outcome.entries[1] : outcome.entries[0];
  EXPECT_EQ(failed.exitCode, 1618U);
  EXPECT_EQ(failed.result, UninstallResult::Failed);
  EXPECT_TRUE(Has(busy));
  EXPECT_NE(failed.problem.find("exit code 1618 (another installation is already in progress)"), std::string::npos)
      << failed.problem;
  EXPECT_EQ(done.exitCode, 3010U);
  EXPECT_EQ(done.result, UninstallResult::ProgramGone);
  EXPECT_TRUE(done.restartNeeded);
  EXPECT_FALSE(Has(restart));
}

// An uninstaller whose copy never ends (here: ten minutes) is left at the limit; nothing is
// removed, and the copy is still running when the call returns.
TEST_F(UninstallOnWine, AChildThatNeverEndsIsLeftAtTheLimitWithTheEntryKept) {
  const EntrySource entry = Entry(1, kMachine32);
  copies_.push_back("never");
  Register(entry, "Sweepwise Never Ending Test",
           Helper("sweepwise-test-uninstaller.exe", "never", "--copy-to-temp --sleep 600000"));
  std::vector<ResultRow> list = OurRows();
  sink_.answer = Answer::Yes;
  UninstallOptions options;
  options.timeout = std::chrono::seconds(2);
  const UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_, options);
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::TimedOut);
  EXPECT_TRUE(Has(entry));
  const auto log = ReadLog(log_);
  ASSERT_EQ(log.count("never-copy pid"), 1U) << test::ReadFileBytes(log_);
  EXPECT_EQ(log.count("never-copy end"), 0U);
  // The copy runs on; the test ends it.
  const DWORD pid = static_cast<DWORD>(log.at("never-copy pid"));
  HANDLE copy = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  ASSERT_NE(copy, nullptr) << "the copy was not left running";
  EXPECT_EQ(::WaitForSingleObject(copy, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ::TerminateProcess(copy, 1);
  ::WaitForSingleObject(copy, 5000);
  ::CloseHandle(copy);
}

// Windows Installer's mutex, held by another thread as msiexec's service holds it while it
// removes a product: the entry is looked at only once the mutex is free, and by then the
// installer has removed it.
TEST_F(UninstallOnWine, TheEntryIsLookedAtOnlyOnceWindowsInstallerLetsGoOfItsMutex) {
  const EntrySource entry = Entry(1, kMachine64);
  Register(entry, "Sweepwise Installer Test", Helper("sweepwise-test-uninstaller.exe", "msi", ""));
  EXPECT_FALSE(platform_.processes->InstallerBusy());
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  std::thread installer([&] {
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, L"Global\\_MSIExecute");
    held = mutex != nullptr;
    while (!release) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (auto root = platform_.registry->OpenRootView(entry.source.root, entry.source.view)) {
      if (auto parent = (*root)->Open(kUninstallKey, platform::RegAccess::ReadWrite)) {
        (void)reg::DeleteKeyTree(**parent, entry.subkey);
      }
    }
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
  });
  while (!held) {
    std::this_thread::yield();
  }
  EXPECT_TRUE(platform_.processes->InstallerBusy());
  std::vector<ResultRow> list = OurRows();
  UninstallOptions options;
  options.onWaiting = [&](const Waiting& waiting) {
    if (waiting.what.starts_with("Windows Installer")) {
      release = true;  // seen waiting for it: now the installer finishes
    }
  };
  sink_.answer = Answer::Yes;
  const UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_, options);
  release = true;
  installer.join();
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::ProgramGone);
  EXPECT_TRUE(outcome.entries[0].entryGone) << "looked at before the installer was done";
  for (const auto& question : sink_.questions) {
    EXPECT_NE(question.buttons, MessageButtons::YesNo) << question.text;
  }
  EXPECT_FALSE(platform_.processes->InstallerBusy());
}

// Elevated (as Wine runs every program), a current user's command is started only with the
// token of the desktop's shell. The tests' prefix has no display, so no shell window: the
// command is refused, says why and how to run it, and never runs, with or without consent.
// (tests/cli/elevation_round_trip.sh gives it a shell that runs as a standard user.)
TEST_F(UninstallOnWine, ACurrentUsersCommandIsRefusedWithoutAnUnelevatedShell) {
  system_->admin = true;
  const EntrySource mine = Entry(1, kUser);
  Register(mine, "Sweepwise Per User Test", Helper("sweepwise-test-uninstaller.exe", "mine", ""));
  ASSERT_EQ(::GetShellWindow(), nullptr) << "this test needs a prefix without a desktop shell";
  std::vector<ResultRow> list = OurRows();
  sink_.answer = Answer::Yes;
  const UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_);
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::NotStarted);
  EXPECT_TRUE(outcome.entries[0].asDesktopUser);
  EXPECT_NE(outcome.entries[0].problem.find("(no desktop shell is running to start it as)"), std::string::npos)
      << outcome.entries[0].problem;
  EXPECT_TRUE(ReadLog(log_).empty()) << test::ReadFileBytes(log_);
  EXPECT_TRUE(Has(mine));
}

}  // namespace
}  // namespace sw::uninstall
