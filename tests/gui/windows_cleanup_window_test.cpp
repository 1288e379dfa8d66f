// The Files page with the system's own cleanup handlers: handlers of our own (a COM DLL beside
// the tests, registered in the window tests' prefix), one of which never answers. The window
// lists them unchecked with their sizes, keeps answering while it waits, and its Delete runs
// the checked one beside the file deletion, after a question that says it cannot be undone.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "app/command_ids.h"
#include "core/language.h"
#include "files/windows_cleanup_row.h"
#include "gui/main_window_fixture.h"
#include "history/history_log.h"
#include "platform/win32/disk_cleanup_handlers.h"
#include "platform/win32/wide.h"
#include "support/test_cleanup_handlers.h"

namespace sw::test {
namespace {

using app::win32::MainWindow;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t k3GB = 3ULL << 30U;

class WindowsCleanupWindowTest : public MainWindowFixture {
 protected:
  WindowsCleanupWindowTest()
      : handlers_(temp_.path() / "handlers", {TestHandler::kSized, TestHandler::kFails, TestHandler::kHangs}) {
    gui_.platform.cleanupHandlers = std::make_unique<platform::win32::Win32DiskCleanupHandlers>();
    // The window's own limit is a minute; the hung handler is left after four seconds here.
    ::SetEnvironmentVariableW(L"SWEEPWISE_CLEANUP_CALL_LIMIT_MS", L"4000");
    handlers_.Plant(TestHandler::kSized, "superseded.cab", k3GB);
  }
  ~WindowsCleanupWindowTest() override { ::SetEnvironmentVariableW(L"SWEEPWISE_CLEANUP_CALL_LIMIT_MS", nullptr); }

  // The window as a user leaves it for this: of the further places only Windows' own cleanup.
  MainWindow& StartWithOnlyHandlers() {
    MainWindow& window = Start();
    for (const files::JunkCategory category : window.morePlaces().categories()) {
      window.morePlaces().SetChecked(category, category == files::JunkCategory::kWindowsCleanup);
    }
    ShownMessages().clear();
    return window;
  }
  [[nodiscard]] static std::ptrdiff_t RowOf(const MainWindow& window, const std::string& key) {
    const auto& rows = window.rows();
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const ResultRow& r) {
      const auto facts = files::HandlerFactsOfRow(r);
      return facts && facts->key == key;
    });
    return row == rows.end() ? -1 : row - rows.begin();
  }

  TestCleanupHandlers handlers_;
};

// What a probe of the window from another thread found: whether the window answered, how long
// it took, and the status bar's text it answered with.
struct Probe {
  bool answered = false;
  std::chrono::milliseconds took{};
  std::string status;
};

Probe ProbeStatusBar(HWND status) {
  Probe probe;
  const Clock::time_point start = Clock::now();
  wchar_t text[512] = {};
  DWORD_PTR length = 0;
  probe.answered = SendMessageTimeoutW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000,
                                       &length) != 0;
  probe.took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  probe.status = app::win32::Utf8(text);
  return probe;
}

// The status the Find shows while it waits for the handler that never answers.
bool ShowsTheHang(const std::string& status) {
  return status.starts_with("Asking Windows' cleanup: ") &&
         (status.find("never answers") != std::string::npos || status.find("Sweepwise Test Hangs") != std::string::npos);
}

TEST_F(WindowsCleanupWindowTest, TheWindowAnswersWhileAHandlerHangsAndListsTheOthersUncheckedWithTheirSizes) {
  MainWindow& window = StartWithOnlyHandlers();
  // A second thread asks the window for its status text all along, as the system and other
  // programs send it messages; a window that waited without handling its messages would
  // answer only once the handler had been given up.
  std::atomic<bool> finding{true};
  std::atomic<bool> probed{false};
  std::vector<Probe> probes;
  std::thread prober([&] {
    HWND status = window.Control("StatusBar1");
    while (finding) {
      probes.push_back(ProbeStatusBar(status));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    probed = true;
  });
  window.RunCommand(app::kCmdBul);
  finding = false;
  JoinAnswering(prober, probed);

  // Every probe sent after one had seen the hang, but the last few, was answered while the
  // status still showed the hang: the window answered during the wait.
  const auto firstHang =
      std::find_if(probes.begin(), probes.end(), [](const Probe& p) { return ShowsTheHang(p.status); });
  ASSERT_NE(firstHang, probes.end()) << "no probe saw the wait";
  const auto duringHang = std::count_if(firstHang, probes.end(), [](const Probe& p) { return ShowsTheHang(p.status); });
  EXPECT_GE(duringHang, 5) << "the window did not answer while the handler hung";
  std::chrono::milliseconds slowest{};
  for (auto probe = firstHang; probe != probes.end(); ++probe) {
    EXPECT_TRUE(probe->answered);
    slowest = std::max(slowest, probe->took);
  }
  std::cout << "window answered " << duringHang << " probes during the 4 s wait; slowest answer " << slowest.count()
            << " ms\n";
  RecordProperty("slowest_answer_ms", static_cast<int>(slowest.count()));

  const std::ptrdiff_t sized = RowOf(window, "Sweepwise Test Sized");
  ASSERT_GE(sized, 0);
  const ResultRow& row = window.rows()[static_cast<std::size_t>(sized)];
  EXPECT_EQ(row.columns[0], "Fichiers d'essai \xC3\xA0 nettoyer");
  EXPECT_EQ(row.columns[2], "3221225472");
  EXPECT_EQ(row.Column(4), "Windows cleanup (cannot be undone)");
  EXPECT_FALSE(row.checked);
  EXPECT_FALSE(ListView_GetCheckState(window.Control("ListView1"), static_cast<int>(sized)));
  EXPECT_EQ(RowOf(window, "Sweepwise Test Hangs"), -1);
  EXPECT_EQ(RowOf(window, "Sweepwise Test Fails"), -1);
  const std::string status = window.StatusText();
  EXPECT_NE(status.find("Left out: Sweepwise Test Fails (error 0x80004005), Test handler that never answers (no "
                        "answer within 4 s)"),
            std::string::npos)
      << status;
  EXPECT_FALSE(window.running());
}

TEST_F(WindowsCleanupWindowTest, DeleteRunsTheCheckedHandlerBesideTheFilesAfterSayingItCannotBeUndone) {
  TestCleanupHandlers::RemoveAll();
  const TestCleanupHandlers sizedOnly(temp_.path() / "handlers", {TestHandler::kSized});
  const std::filesystem::path junk = temp_.path() / "report.tmp";
  WriteFileBytes(junk, "junk");
  MainWindow& window = StartWithOnlyHandlers();
  window.RunCommand(app::kCmdBul);
  const std::ptrdiff_t sized = RowOf(window, "Sweepwise Test Sized");
  ASSERT_GE(sized, 0);
  window.resultList().rows()[static_cast<std::size_t>(sized)].checked = true;  // the user's check
  window.resultList().ShowChecks({static_cast<std::size_t>(sized)});
  SetYesNoAnswer(IDYES);
  ShownMessages().clear();
  window.RunCommand(app::kCmdSil);

  // The files first, with their own question; then the handler's, No by default.
  ASSERT_GE(ShownMessages().size(), 3U);
  EXPECT_EQ(ShownMessages()[0].text, Text(73));
  const ShownMessage& question = ShownMessages()[1];
  EXPECT_NE(question.text.find("cannot be restored: no backup of it can be kept, and the run cannot be undone"),
            std::string::npos)
      << question.text;
  EXPECT_EQ(question.type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(question.type & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));
  EXPECT_EQ(question.type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_NE(ShownMessages().back().text.find("freed 3072MB (3221225472 bytes)"), std::string::npos)
      << ShownMessages().back().text;

  EXPECT_FALSE(std::filesystem::exists(junk));
  EXPECT_FALSE(std::filesystem::exists(sizedOnly.Folder(TestHandler::kSized) / "superseded.cab"));
  const ResultRow& row = window.rows()[static_cast<std::size_t>(RowOf(window, "Sweepwise Test Sized"))];
  EXPECT_EQ(row.columns[2], "3221225472");
  EXPECT_EQ(row.columns[3].rfind("Freed; free space on C:\\ ", 0), 0U) << row.columns[3];
  EXPECT_FALSE(row.checked);

  const auto entries = history::HistoryLog(gui_.platform).Read();
  ASSERT_TRUE(entries);
  const auto cleanup = std::find_if(entries->begin(), entries->end(), [](const history::Entry& entry) {
    return entry.action == history::Action::WindowsCleanup;
  });
  ASSERT_NE(cleanup, entries->end());
  EXPECT_EQ(cleanup->origin, "Files Cleaning page");
  EXPECT_EQ(cleanup->bytes, k3GB);
  EXPECT_EQ(cleanup->names, std::vector<std::string>{"Fichiers d'essai \xC3\xA0 nettoyer on C:\\: freed 3221225472 bytes"});
}

// A standard user: Wine runs every process elevated, so the window is told it is not (the
// platform layer's answer) and the administrators' handler is told so through its key.
TEST_F(WindowsCleanupWindowTest, AStandardUserSeesWhatNeedsTheRightsNamedAndItsDeleteRunsOnlyTheRest) {
  TestCleanupHandlers::RemoveAll();
  const TestCleanupHandlers handlers(temp_.path() / "handlers", {TestHandler::kSized, TestHandler::kAdministrators});
  handlers.SetNumber(TestHandler::kAdministrators, L"StandardUser", 1);
  handlers.Plant(TestHandler::kAdministrators, "system.log", 2000);
  gui_.system->admin = false;
  MainWindow& window = StartWithOnlyHandlers();
  window.RunCommand(app::kCmdBul);

  const std::ptrdiff_t admin = RowOf(window, "Sweepwise Test Administrators");
  const std::ptrdiff_t sized = RowOf(window, "Sweepwise Test Sized");
  ASSERT_GE(admin, 0);
  ASSERT_GE(sized, 0);
  const ResultRow& adminRow = window.rows()[static_cast<std::size_t>(admin)];
  EXPECT_EQ(adminRow.columns[2], "-");  // no size: the handler would not count for this user
  EXPECT_EQ(adminRow.columns[3], "Needs administrator rights");
  EXPECT_FALSE(adminRow.checked);
  EXPECT_NE(window.StatusText().find("Needs administrator rights: Sweepwise Test Administrators"), std::string::npos)
      << window.StatusText();

  // The user checks both; only the one this user may run runs, and the other is named.
  for (const std::ptrdiff_t row : {admin, sized}) {
    window.resultList().rows()[static_cast<std::size_t>(row)].checked = true;
  }
  window.resultList().ShowChecks({static_cast<std::size_t>(admin), static_cast<std::size_t>(sized)});
  SetYesNoAnswer(IDYES);
  ShownMessages().clear();
  window.RunCommand(app::kCmdSil);

  ASSERT_FALSE(ShownMessages().empty());
  const std::string& summary = ShownMessages().back().text;
  EXPECT_NE(summary.find("Not run, it needs administrator rights: Sweepwise Test Administrators on C:\\"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("freed 3072MB (3221225472 bytes)"), std::string::npos) << summary;
  EXPECT_FALSE(std::filesystem::exists(handlers.Folder(TestHandler::kSized) / "superseded.cab"));
  EXPECT_TRUE(std::filesystem::exists(handlers.Folder(TestHandler::kAdministrators) / "system.log"));
  const auto entries = history::HistoryLog(gui_.platform).Read();
  ASSERT_TRUE(entries);
  const auto cleanup = std::find_if(entries->begin(), entries->end(), [](const history::Entry& entry) {
    return entry.action == history::Action::WindowsCleanup;
  });
  ASSERT_NE(cleanup, entries->end());
  EXPECT_EQ(cleanup->names, std::vector<std::string>{"Fichiers d'essai \xC3\xA0 nettoyer on C:\\: freed 3221225472 bytes"});
}

}  // namespace
}  // namespace sw::test
