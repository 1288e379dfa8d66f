// The system's own Disk Cleanup handlers through real COM under Wine: handlers of our own (a
// DLL built with the tests, registered in the test prefix) created on apartment threads, and
// one that never answers left at the limit. (The Files engine over them: the window tests and
// tests/cli/windows_cleanup_round_trip.sh.) These tests register handlers that every Find in
// the prefix would ask, so CTest runs them alone.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/win32/disk_cleanup_handlers.h"
#include "platform/win32/system_figures.h"
#include "support/temp_folder.h"
#include "support/test_cleanup_handlers.h"
#include "support/win32_platform.h"

namespace sw::files {
namespace {

using platform::HandlerWait;
using test::TestCleanupHandlers;
using test::TestHandler;
using R = platform::HandlerCallResult;

constexpr std::uint64_t k3GB = 3ULL << 30U;
constexpr std::chrono::milliseconds kLimit{1500};

class WindowsCleanupWine : public ::testing::Test {
 protected:
  WindowsCleanupWine() : handlers_(temp_.path() / "handlers") {
    std::filesystem::create_directories(temp_.path() / "program");
    platform_ = test::Win32TestPlatform(test::Utf8Of(temp_.path() / "program"), /*admin=*/true);
    platform_.cleanupHandlers = std::make_unique<platform::win32::Win32DiskCleanupHandlers>();
    platform_.figures = std::make_unique<platform::win32::Win32SystemFigures>();
  }

  platform::RegisteredHandler Registered(TestHandler which) {
    for (const auto& handler : platform::RegisteredCleanupHandlers(*platform_.registry)) {
      if (handler.key == TestCleanupHandlers::KeyName(which)) {
        return handler;
      }
    }
    ADD_FAILURE() << "not listed: " << TestCleanupHandlers::KeyName(which);
    return {};
  }
  platform::OpenedHandler Open(TestHandler which, const HandlerWait& wait = {}) {
    return platform_.cleanupHandlers->Open(Registered(which), "C:\\", wait);
  }
  // The calls of the log that mention `text`.
  [[nodiscard]] std::vector<std::string> CallsWith(std::string_view text) const {
    std::vector<std::string> calls;
    for (const std::string& line : handlers_.Calls()) {
      if (line.find(text) != std::string::npos) {
        calls.push_back(line);
      }
    }
    return calls;
  }

  test::TempFolder temp_;
  TestCleanupHandlers handlers_;
  platform::Platform platform_;
};

// "thread=N" of a call log line.
std::string ThreadOf(const std::string& line) {
  const std::size_t at = line.find("thread=");
  return at == std::string::npos ? std::string() : line.substr(at, line.find(' ', at) - at);
}

TEST_F(WindowsCleanupWine, TheirOwnClassesAreListedByPriorityAndNeitherTheSystemsCleanerNorAText) {
  std::vector<std::string> keys;
  for (const auto& handler : platform::RegisteredCleanupHandlers(*platform_.registry)) {
    if (handler.key.starts_with("Sweepwise Test")) {
      keys.push_back(handler.key);
    }
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"Sweepwise Test Sized", "Sweepwise Test Administrators",
                                            "Sweepwise Test Settings", "Sweepwise Test Not Unattended",
                                            "Sweepwise Test Fails", "Sweepwise Test Hangs"}));
  EXPECT_EQ(Registered(TestHandler::kSettings).display, "Test handler with settings");
  EXPECT_EQ(Registered(TestHandler::kSized).classId, TestCleanupHandlers::ClassId(TestHandler::kSized));
}

TEST_F(WindowsCleanupWine, AHandlerIsCreatedScannedPurgedAndDeactivatedOnOneApartmentThreadOfItsOwn) {
  handlers_.Plant(TestHandler::kSized, "superseded.cab", k3GB);
  handlers_.Plant(TestHandler::kSized, "setup.log", 1000);
  std::uint64_t lastReport = 0;
  HandlerWait wait;
  wait.idle = [&lastReport](std::uint64_t bytes) {
    lastReport = bytes;
    return false;
  };
  platform::OpenedHandler opened = Open(TestHandler::kSized, wait);
  ASSERT_EQ(opened.answer.result, R::kDone) << std::hex << opened.answer.code;
  EXPECT_EQ(opened.texts.displayName, "Fichiers d'essai \xC3\xA0 nettoyer");
  EXPECT_EQ(opened.texts.description, "Des fichiers que le gestionnaire d'essai supprime lui-m\xC3\xAAme.");
  EXPECT_EQ(opened.texts.flags, platform::kHandlerEnableByDefault | platform::kHandlerEnableByDefaultAuto);

  const auto space = opened.handler->GetSpaceUsed(wait);
  ASSERT_EQ(space.result, R::kDone);
  EXPECT_EQ(space.bytes, k3GB + 1000);
  const auto purge = opened.handler->Purge(space.bytes, wait);
  ASSERT_EQ(purge.result, R::kDone);
  EXPECT_TRUE(purge.reported);
  EXPECT_EQ(purge.bytes, k3GB + 1000);
  EXPECT_TRUE(std::filesystem::is_empty(handlers_.Folder(TestHandler::kSized)));
  EXPECT_EQ(opened.handler->Deactivate(wait).result, R::kDone);

  const auto calls = CallsWith("apartment=");
  ASSERT_EQ(calls.size(), 4U);
  EXPECT_EQ(calls[0].rfind("InitializeEx Sweepwise Test Sized C:\\ thread=", 0), 0U) << calls[0];
  EXPECT_EQ(calls[1].rfind("GetSpaceUsed thread=", 0), 0U);
  EXPECT_EQ(calls[2].rfind("Purge 3221226472 thread=", 0), 0U) << calls[2];
  EXPECT_EQ(calls[3].rfind("Deactivate thread=", 0), 0U);
  for (const std::string& call : calls) {
    EXPECT_EQ(ThreadOf(call), ThreadOf(calls[0])) << call;
    EXPECT_NE(ThreadOf(call), "thread=" + std::to_string(::GetCurrentThreadId()));
    EXPECT_NE(call.find("apartment=sta"), std::string::npos) << call;
  }

  // On a drive where it has nothing, a handler says so (S_FALSE).
  EXPECT_EQ(platform_.cleanupHandlers->Open(Registered(TestHandler::kSized), "D:\\", {}).answer.result, R::kNothing);
}

TEST_F(WindowsCleanupWine, AFailureIsReportedAndAHandlerThatNeverAnswersIsLeftAtTheLimitWhileTheCallerGoesOn) {
  const auto failed = Open(TestHandler::kFails);
  EXPECT_EQ(failed.answer.result, R::kFailed);
  EXPECT_EQ(failed.answer.code, 0x80004005U);  // E_FAIL

  platform::OpenedHandler hangs = Open(TestHandler::kHangs);
  ASSERT_EQ(hangs.answer.result, R::kDone);
  int idles = 0;
  HandlerWait wait;
  wait.limit = kLimit;
  wait.idle = [&idles](std::uint64_t) {
    ++idles;
    return false;
  };
  EXPECT_EQ(hangs.handler->GetSpaceUsed(wait).result, R::kTimedOut);
  // The caller's own work went on all along: a window answers its messages meanwhile.
  EXPECT_GE(idles, 10);
  EXPECT_EQ(hangs.handler->Deactivate(wait).result, R::kBusy);
  hangs.handler.reset();  // never waits for the hung thread
  // No second object of a class that hangs; other classes are not held up.
  EXPECT_EQ(Open(TestHandler::kHangs).answer.result, R::kBusy);
  EXPECT_EQ(Open(TestHandler::kSized).answer.result, R::kDone);
}

TEST_F(WindowsCleanupWine, StopReachesAScanThroughItsProgressCallback) {
  for (int i = 0; i < 10; ++i) {
    handlers_.Plant(TestHandler::kSized, "file" + std::to_string(i) + ".dat", 100);
  }
  handlers_.SetNumber(TestHandler::kSized, L"Delay", 200);
  platform::OpenedHandler opened = Open(TestHandler::kSized);
  ASSERT_EQ(opened.answer.result, R::kDone);
  HandlerWait wait;
  wait.idle = [](std::uint64_t) { return true; };
  EXPECT_EQ(opened.handler->GetSpaceUsed(wait).result, R::kStopped);
  EXPECT_EQ(CallsWith("GetSpaceUsed stopped").size(), 1U);
}

}  // namespace
}  // namespace sw::files
