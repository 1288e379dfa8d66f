// The Software page in the window, on Wine's real registry: Find lists the programs of the
// uninstall key, and Uninstall runs their uninstallers one after the other while the window
// goes on answering. The uninstallers are the window driver, which can sleep and write a log.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "app/command_ids.h"
#include "app/page_headers.h"
#include "core/language.h"
#include "core/text.h"
#include "gui/main_window_fixture.h"
#include "platform/win32/wide.h"

namespace sw::test {
namespace {

using app::win32::MainWindow;
using platform::win32::ToWide;

constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct Entry {
  const wchar_t* subkey;  // named unlike its program, as installers do
  std::string title;
  std::string command;
};

class SoftwarePageTest : public MainWindowFixture {
 protected:
  SoftwarePageTest() {
    gui_.system->admin = false;  // the list comes from the test user's own uninstall key
    log_ = temp_.path() / "uninstall.log";
  }
  ~SoftwarePageTest() override {
    for (const Entry& entry : entries_) {
      RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kUninstallKey) + L"\\" + entry.subkey).c_str());
    }
  }

  // An uninstaller that logs its start, runs `sleepMs`, and logs its end.
  std::string Uninstaller(const std::string& name, int sleepMs) const {
    const std::string log = Utf8Of(log_);
    return "\"C:\\sweepwise\\bin\\sweepwise-window-driver.exe\" append \"" + log + "\" " + name + "-start sleep " +
           std::to_string(sleepMs) + " append \"" + log + "\" " + name + "-end";
  }

  void Register(const Entry& entry) {
    entries_.push_back(entry);
    const std::wstring key = std::wstring(kUninstallKey) + L"\\" + entry.subkey;
    for (const auto& [name, value] :
         {std::pair{L"DisplayName", entry.title}, std::pair{L"UninstallString", entry.command}}) {
      const std::wstring data = ToWide(value);
      ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, data.c_str(),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                ERROR_SUCCESS);
    }
  }

  bool KeyExists(const Entry& entry) const {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(kUninstallKey) + L"\\" + entry.subkey;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  [[nodiscard]] std::string Log() const { return std::filesystem::exists(log_) ? ReadFileBytes(log_) : std::string(); }

  std::filesystem::path log_;
  std::vector<Entry> entries_;
};

TEST_F(SoftwarePageTest, FindListsTheProgramsAndUninstallRunsThemInTurnWhileTheWindowAnswers) {
  const Entry slow{L"{5A1E0D6C-0000-4000-8000-00000000000A}", "Sweepwise Window Test Alpha", Uninstaller("A", 1500)};
  const Entry quick{L"{5A1E0D6C-0000-4000-8000-00000000000B}", "Sweepwise Window Test Beta", Uninstaller("B", 0)};
  Register(slow);
  Register(quick);
  MainWindow& window = Start();
  ShownMessages().clear();
  window.RunCommand(app::kCmdSoftware);
  EXPECT_EQ(app::win32::GetText(window.Control("btnSil")), app::kUninstallCaption);
  EXPECT_EQ(window.ReadSlot({"btnBul", app::Slot::kHint, 0, -1, {}}), Text(102));
  EXPECT_FALSE(IsWindowEnabled(window.Control("chkIntCache")));
  window.RunCommand(app::kCmdBul);

  std::vector<std::size_t> ours;
  for (std::size_t i = 0; i < window.rows().size(); ++i) {
    const ResultRow& row = window.rows()[i];
    if (row.columns[0] == slow.title || row.columns[0] == quick.title) {
      ours.push_back(i);
      EXPECT_FALSE(row.checked) << "rows come unchecked";
      EXPECT_EQ(row.image, 2);
      EXPECT_EQ(row.columns[1], "Installed Software");
    }
  }
  ASSERT_EQ(ours.size(), 2U);
  EXPECT_EQ(window.ReadSlot({"ListView1", app::Slot::kColumn, 0, -1, {}}), "Software Title");
  EXPECT_EQ(ListView_GetColumnWidth(window.Control("ListView1"), 2), 0) << "the command is not shown";
  for (std::size_t i : ours) {
    window.resultList().rows()[i].checked = true;
  }
  window.resultList().Refill();

  // While the slow uninstaller runs, the window must take a message from another thread.
  std::atomic<bool> answered{false};
  std::atomic<bool> duringTheUninstaller{false};
  std::thread prober([&] {
    for (int i = 0; i < 300 && Log().find("A-start") == std::string::npos; ++i) {
      Sleep(20);
    }
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutW(window.hwnd(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
    duringTheUninstaller = Log().find("A-end") == std::string::npos;
  });
  window.RunCommand(app::kCmdSil);
  prober.join();

  EXPECT_TRUE(answered) << "the window did not answer while an uninstaller ran";
  EXPECT_TRUE(duringTheUninstaller);
  const std::vector<std::string> lines = SplitLines(Log());
  EXPECT_EQ(lines, (std::vector<std::string>{"A-start", "A-end", "B-start", "B-end"}));
  EXPECT_FALSE(KeyExists(slow));
  EXPECT_FALSE(KeyExists(quick));
  EXPECT_TRUE(std::none_of(window.rows().begin(), window.rows().end(), [&](const ResultRow& row) {
    return row.columns[0] == slow.title || row.columns[0] == quick.title;
  }));
  // Each uninstaller's notice, and text 88 for each key the uninstaller left behind.
  std::vector<std::string> texts;
  for (const auto& message : ShownMessages()) {
    texts.push_back(message.text);
  }
  ASSERT_EQ(texts.size(), 4U);
  EXPECT_EQ(texts[0].find("Now, QZ Sweepwise Pro launches uninstaller for Sweepwise Window Test Alpha."), 0U);
  EXPECT_EQ(texts[1], Text(88));
  EXPECT_EQ(texts[2].find("Now, QZ Sweepwise Pro launches uninstaller for Sweepwise Window Test Beta."), 0U);
  EXPECT_EQ(texts[3], Text(88));
  EXPECT_EQ(window.StatusText(), "Done");
  EXPECT_FALSE(GetWindowLongW(window.Control("btnBul"), GWL_STYLE) & WS_VISIBLE)
      << "Find stays hidden until the page is opened again";
  EXPECT_TRUE(IsWindowEnabled(window.Control("ToolBar1")));
  EXPECT_FALSE(window.running());
  window.RunCommand(app::kCmdSoftware);
  EXPECT_TRUE(GetWindowLongW(window.Control("btnBul"), GWL_STYLE) & WS_VISIBLE);
}

}  // namespace
}  // namespace sw::test
