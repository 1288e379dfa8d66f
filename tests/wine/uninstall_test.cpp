// The Software page's engine and the program starter on the real system: uninstallers of our
// own (a window program and a console program) registered in the prefix's uninstall key,
// started one after the other, and the log of what each did.

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

#include "core/language.h"
#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "registry/registry_paths.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"
#include "uninstall/software_list.h"

namespace sw::uninstall {
namespace {

// "NAME what NUMBER" lines of a helper's log, by "NAME what".
std::map<std::string, long long> ReadLog(const std::filesystem::path& log) {
  std::map<std::string, long long> entries;
  std::istringstream lines(test::ReadFileBytes(log));
  std::string name;
  std::string what;
  long long number = 0;
  while (lines >> name >> what >> number) {
    entries[name + " " + what] = number;
  }
  return entries;
}

std::string Quoted(const std::filesystem::path& path) {
  return "\"" + test::Utf8Of(path) + "\"";
}

class UninstallOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_.registry = std::make_unique<platform::win32::Win32Registry>();
    platform_.files = std::make_unique<platform::win32::Win32FileSystem>();
    platform_.system = std::make_unique<platform::win32::Win32System>();
    platform_.processes = std::make_unique<platform::win32::Win32Processes>();
    platform_.shell = std::make_unique<platform::win32::Win32Shell>();
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    bin_ = std::filesystem::path(self).parent_path();
    log_ = temp_.path() / "uninstall.log";
  }

  void TearDown() override {
    for (const auto& key : keys_) {
      (void)reg::RegDeleteKeyAt(*platform_.registry, root(), std::string(kUninstallKey) + "\\" + key, true);
    }
  }

  platform::RootKey root() { return UninstallRoot(*platform_.system); }

  // A class-identifier-like subkey name of this process; `order` leads, so that the entries
  // enumerate in the order of their numbers.
  std::string SubKey(int order) {
    char name[64];
    std::snprintf(name, sizeof name, "{%d5EE1A00-0000-4000-8000-%012lX}", order, ::GetCurrentProcessId());
    keys_.emplace_back(name);
    return name;
  }

  void Register(const std::string& subKey, const std::string& title, const std::string& command) {
    const std::string key = std::string(kUninstallKey) + "\\" + subKey;
    ASSERT_TRUE(reg::RegWriteString(*platform_.registry, root(), key + "\\DisplayName", title));
    ASSERT_TRUE(reg::RegWriteString(*platform_.registry, root(), key + "\\UninstallString", command));
  }
  bool Has(const std::string& subKey) {
    return reg::RegKeyExists(*platform_.registry, root(), std::string(kUninstallKey) + "\\" + subKey);
  }

  std::string Helper(std::string_view program, std::string_view name, std::string_view options) {
    return Quoted(bin_ / std::string(program)) + " " + Quoted(log_) + " " + std::string(name) + " " +
           std::string(options);
  }

  platform::Platform platform_;
  test::TempFolder temp_;
  test::RecordingSink sink_;
  std::filesystem::path bin_;
  std::filesystem::path log_;
  std::vector<std::string> keys_;
};

TEST_F(UninstallOnWine, UninstallersRunInTurnAndEveryEntryIsCleanedUp) {
  const std::string window = SubKey(1);
  const std::string console = SubKey(2);
  const std::string missing = SubKey(3);
  const std::string wrongType = SubKey(4);
  const std::string pid = std::to_string(::GetCurrentProcessId());
  // The window program is slow and leaves its key; the console program removes its own.
  Register(window, "Sweepwise Window Test " + pid,
           Helper("sweepwise-test-uninstaller-window.exe", "window", "--sleep 400"));
  Register(console, "Sweepwise Console Test " + pid,
           Helper("sweepwise-test-uninstaller.exe", "console", "--remove-key " + console));
  Register(missing, "Sweepwise Missing Test " + pid, Quoted(temp_.path() / "no-such-uninstaller.exe"));
  Register(wrongType, "Sweepwise Wrong Type " + pid, "x.exe");
  ASSERT_TRUE(reg::RegWriteDword(*platform_.registry, root(),
                                 std::string(kUninstallKey) + "\\" + wrongType + "\\UninstallString", 1));

  FindSoftware(platform_, sink_);
  std::vector<ResultRow> list = sink_.rows;
  std::vector<std::string> ours;
  for (auto& row : list) {
    if (std::find(keys_.begin(), keys_.end(), row.hidden) != keys_.end()) {
      row.checked = true;
      ours.push_back(row.columns[0]);
    }
  }
  ASSERT_EQ(ours, (std::vector<std::string>{"Sweepwise Window Test " + pid, "Sweepwise Console Test " + pid,
                                            "Sweepwise Missing Test " + pid}));

  const UninstallOutcome outcome = UninstallSoftware(list, platform_, sink_);
  ASSERT_EQ(outcome.entries.size(), 3U);
  EXPECT_TRUE(outcome.entries[0].started);
  EXPECT_TRUE(outcome.entries[1].started);
  EXPECT_FALSE(outcome.entries[2].started);
  const auto log = ReadLog(log_);
  ASSERT_EQ(log.size(), 6U) << test::ReadFileBytes(log_);
  EXPECT_LE(log.at("window start"), log.at("window end"));
  EXPECT_LE(log.at("window end"), log.at("console start"));  // the second only after the first ended
  EXPECT_EQ(log.at("window show"), SW_SHOWNORMAL);
  EXPECT_EQ(log.at("console show"), SW_SHOWNORMAL);

  for (const auto& key : {window, console, missing}) {
    EXPECT_FALSE(Has(key)) << key;
  }
  EXPECT_TRUE(Has(wrongType));
  // Text 88 after the window program, which left its key, and after the missing one; not
  // after the console program, which removed its own.
  std::vector<std::string> texts;
  for (const auto& question : sink_.questions) {
    texts.push_back(question.text == Text(88) ? "88" : question.text.substr(0, 40));
  }
  const std::string notice = UninstallNotice("").substr(0, 40);
  const std::vector<std::string> expected = {notice, "88", notice, notice, "The uninstaller of Sweepwise Missing Tes",
                                             "88"};
  EXPECT_EQ(texts, expected);
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
            LARGE_INTEGER now{};
            ::QueryPerformanceCounter(&now);
            handledAt = now.QuadPart;
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

}  // namespace
}  // namespace sw::uninstall
