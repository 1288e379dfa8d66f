// The Software page in the window, on Wine's real registry: Find lists the programs of the
// uninstall keys with their publisher, version, size and date, a click on a heading sorts
// them, and Uninstall runs their uninstallers one after the other while the window goes on
// answering: a self-copying uninstaller is waited for until its copy ends, and an entry left
// behind goes only when the question is answered Yes. The uninstallers are our test
// uninstaller (which can copy itself to the temporary folder) and the window driver (which can
// sleep and write a log).

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <sstream>
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

void ClickHeading(MainWindow& window, int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = window.Control("ListView1");
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = column;
  SendMessageW(window.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
}

class SoftwarePageTest : public MainWindowFixture {
 protected:
  SoftwarePageTest() {
    gui_.system->admin = false;  // a standard user: every source is still listed
    log_ = temp_.path() / "uninstall.log";
  }
  ~SoftwarePageTest() override {
    for (const Entry& entry : entries_) {
      RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kUninstallKey) + L"\\" + entry.subkey).c_str());
    }
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(folder) / "A-copy.exe", ignored);
  }

  // An uninstaller that logs its start, runs `sleepMs`, and logs its end.
  std::string Uninstaller(const std::string& name, int sleepMs) const {
    const std::string log = Utf8Of(log_);
    return "\"C:\\sweepwise\\bin\\sweepwise-window-driver.exe\" append \"" + log + "\" " + name + "-start sleep " +
           std::to_string(sleepMs) + " append \"" + log + "\" " + name + "-end";
  }
  // One that copies itself to the temporary folder, starts the copy and ends at once; the
  // copy runs `sleepMs` and removes the entry.
  std::string SelfCopyingUninstaller(const std::string& name, int sleepMs, const Entry& entry) const {
    return "\"C:\\sweepwise\\bin\\sweepwise-test-uninstaller-window.exe\" \"" + Utf8Of(log_) + "\" " + name +
           " --copy-to-temp --sleep " + std::to_string(sleepMs) + " --remove-key HKCU\\" + app::win32::Utf8(entry.subkey);
  }

  void SetText(const Entry& entry, const wchar_t* name, const std::string& value) {
    const std::wstring key = std::wstring(kUninstallKey) + L"\\" + entry.subkey;
    const std::wstring data = ToWide(value);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, data.c_str(),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  void SetSize(const Entry& entry, DWORD kilobytes) {
    const std::wstring key = std::wstring(kUninstallKey) + L"\\" + entry.subkey;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"EstimatedSize", REG_DWORD, &kilobytes, sizeof kilobytes),
              ERROR_SUCCESS);
  }
  void Register(const Entry& entry) {
    entries_.push_back(entry);
    SetText(entry, L"DisplayName", entry.title);
    SetText(entry, L"UninstallString", entry.command);
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

  // Our rows, in list order, checked or not.
  std::vector<std::size_t> OurRows(MainWindow& window) {
    std::vector<std::size_t> ours;
    for (std::size_t i = 0; i < window.rows().size(); ++i) {
      if (std::any_of(entries_.begin(), entries_.end(),
                      [&](const Entry& entry) { return entry.title == window.rows()[i].columns[0]; })) {
        ours.push_back(i);
      }
    }
    return ours;
  }

  std::filesystem::path log_;
  std::vector<Entry> entries_;
};

TEST_F(SoftwarePageTest, TheNewColumnsShowEachEntrysFieldsAndSortByValue) {
  const Entry big{L"{5A1E0D6C-0000-4000-8000-0000000000C1}", "Sweepwise Column Test Big", "big.exe"};
  const Entry small{L"{5A1E0D6C-0000-4000-8000-0000000000C2}", "Sweepwise Column Test Small", "small.exe"};
  const Entry bare{L"{5A1E0D6C-0000-4000-8000-0000000000C3}", "Sweepwise Column Test Bare", "bare.exe"};
  Register(big);
  SetText(big, L"Publisher", "Zeta Works");
  SetText(big, L"DisplayVersion", "10.0");
  SetSize(big, 900000);
  SetText(big, L"InstallDate", "20231105");
  Register(small);
  SetText(small, L"Publisher", "alpha ltd");
  SetText(small, L"DisplayVersion", "9.2");
  SetSize(small, 90);
  SetText(small, L"InstallDate", "20260102");
  Register(bare);
  MainWindow& window = Start();
  window.RunCommand(app::kCmdSoftware);
  window.RunCommand(app::kCmdBul);
  HWND list = window.Control("ListView1");
  const std::vector<std::string> headings = {"Software Title", "Type", "", "", "Publisher", "Version", "Size",
                                             "Installed"};
  for (int column = 0; column < 8; ++column) {
    EXPECT_EQ(window.ReadSlot({"ListView1", app::Slot::kColumn, column, -1, {}}),
              headings[static_cast<std::size_t>(column)]);
    const bool hidden = column == 2 || column == 3;
    EXPECT_EQ(ListView_GetColumnWidth(list, column) == 0, hidden) << "column " << column;
  }
  // Only our rows, so that the order says what the sort did.
  std::vector<ResultRow> ours;
  for (const std::size_t i : OurRows(window)) {
    ours.push_back(window.rows()[i]);
  }
  ASSERT_EQ(ours.size(), 3U);
  window.resultList().rows() = ours;
  window.resultList().Refill();
  const auto titles = [&] { return ShownColumn(list, 0); };
  const std::string bigDate = ShownColumn(list, 7).at(0);
  EXPECT_FALSE(bigDate.empty());
  EXPECT_NE(bigDate, "20231105") << "shown in the user's date format";
  EXPECT_EQ(ShownColumn(list, 6), (std::vector<std::string>{"900000KB (878MB)", "90KB (0MB)", ""}));
  EXPECT_EQ(ShownColumn(list, 4), (std::vector<std::string>{"Zeta Works", "alpha ltd", ""}));

  ClickHeading(window, 6);  // sizes by value, largest first
  EXPECT_EQ(titles(), (std::vector<std::string>{big.title, small.title, bare.title}));
  ClickHeading(window, 7);  // dates by value, newest first
  EXPECT_EQ(titles(), (std::vector<std::string>{small.title, big.title, bare.title}));
  ClickHeading(window, 4);  // publishers as text, ignoring case
  EXPECT_EQ(titles(), (std::vector<std::string>{bare.title, small.title, big.title}));
  ClickHeading(window, 5);  // versions as text
  EXPECT_EQ(titles(), (std::vector<std::string>{bare.title, big.title, small.title}));
}

TEST_F(SoftwarePageTest, UninstallWaitsForASelfCopyingUninstallerWhileTheWindowAnswersAndAsksAboutWhatStays) {
  const Entry selfCopying{L"{5A1E0D6C-0000-4000-8000-00000000000A}", "Sweepwise Window Test Alpha", ""};
  const Entry quick{L"{5A1E0D6C-0000-4000-8000-00000000000B}", "Sweepwise Window Test Beta", Uninstaller("B", 0)};
  Entry registered = selfCopying;
  registered.command = SelfCopyingUninstaller("A", 2000, selfCopying);
  Register(registered);
  Register(quick);
  MainWindow& window = Start();
  ShownMessages().clear();
  window.RunCommand(app::kCmdSoftware);
  EXPECT_EQ(app::win32::GetText(window.Control("btnSil")), app::kUninstallCaption);
  EXPECT_EQ(window.ReadSlot({"btnBul", app::Slot::kHint, 0, -1, {}}), Text(102));
  EXPECT_FALSE(IsWindowEnabled(window.Control("chkIntCache")));
  window.RunCommand(app::kCmdBul);

  const std::vector<std::size_t> ours = OurRows(window);
  ASSERT_EQ(ours.size(), 2U);
  for (std::size_t i : ours) {
    const ResultRow& row = window.rows()[i];
    EXPECT_FALSE(row.checked) << "rows come unchecked";
    EXPECT_EQ(row.image, 2);
    EXPECT_EQ(row.columns[1], "Installed Software");
    EXPECT_EQ(row.hidden.substr(0, 5), "HKCU\\");
    window.resultList().rows()[i].checked = true;
  }
  window.resultList().Refill();

  // While the copy of the self-copying uninstaller runs (its original has ended), the window
  // must take a message from another thread.
  std::atomic<bool> answered{false};
  std::atomic<bool> duringTheCopy{false};
  std::atomic<bool> probed{false};
  std::thread prober([&] {
    for (int i = 0; i < 500 && Log().find("A-copy start") == std::string::npos; ++i) {
      Sleep(20);
    }
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutW(window.hwnd(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
    duringTheCopy = Log().find("A handoff") != std::string::npos && Log().find("A-copy end") == std::string::npos;
    probed = true;
  });
  SetYesNoAnswer(IDNO);
  window.RunCommand(app::kCmdSil);
  JoinAnswering(prober, probed);

  EXPECT_TRUE(answered) << "the window did not answer while an uninstaller ran";
  EXPECT_TRUE(duringTheCopy);
  const std::string log = Log();
  const auto copyEnd = log.find("A-copy end");
  const auto nextStart = log.find("B-start");
  ASSERT_NE(copyEnd, std::string::npos) << log;
  ASSERT_NE(nextStart, std::string::npos) << log;
  EXPECT_LT(copyEnd, nextStart) << "the next uninstaller started before the copy had ended";
  EXPECT_NE(log.find("A-copy found 1"), std::string::npos) << "the entry went before the copy removed it";
  EXPECT_FALSE(KeyExists(selfCopying));
  EXPECT_TRUE(KeyExists(quick)) << "answered No";
  // The program that went leaves the list; the one still installed stays, unchecked.
  const std::vector<std::size_t> left = OurRows(window);
  ASSERT_EQ(left.size(), 1U);
  EXPECT_EQ(window.rows()[left[0]].columns[0], quick.title);
  EXPECT_FALSE(window.rows()[left[0]].checked);
  // Each notice; the question for Beta only, No by default; no text 88.
  std::vector<std::string> texts;
  for (const auto& message : ShownMessages()) {
    texts.push_back(message.text.substr(0, 60));
  }
  ASSERT_EQ(texts.size(), 3U);
  EXPECT_EQ(texts[0], std::string("Now, QZ Sweepwise Pro launches uninstaller for Sweepwise Window Test Alpha.").substr(0, 60));
  EXPECT_EQ(texts[1], std::string("Now, QZ Sweepwise Pro launches uninstaller for Sweepwise Window Test Beta.").substr(0, 60));
  EXPECT_EQ(texts[2], std::string("The uninstaller of Sweepwise Window Test Beta has ended, but").substr(0, 60));
  EXPECT_EQ(ShownMessages()[2].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(ShownMessages()[2].type & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));
  EXPECT_EQ(window.StatusText(), "Done");
  EXPECT_FALSE(GetWindowLongW(window.Control("btnBul"), GWL_STYLE) & WS_VISIBLE)
      << "Find stays hidden until the page is opened again";
  EXPECT_TRUE(IsWindowEnabled(window.Control("ToolBar1")));
  EXPECT_FALSE(window.running());

  // Again, answered Yes: saved in the data folder, removed, text 88.
  window.resultList().rows()[left[0]].checked = true;
  ShownMessages().clear();
  SetYesNoAnswer(IDYES);
  window.RunCommand(app::kCmdSil);
  EXPECT_FALSE(KeyExists(quick));
  ASSERT_EQ(ShownMessages().size(), 3U);
  EXPECT_EQ(ShownMessages()[2].text, Text(88));
  EXPECT_TRUE(std::filesystem::exists(temp_.path() / "regbackup000.reg"));
  EXPECT_TRUE(OurRows(window).empty());
  window.RunCommand(app::kCmdSoftware);
  EXPECT_TRUE(GetWindowLongW(window.Control("btnBul"), GWL_STYLE) & WS_VISIBLE);
}

// An uninstaller whose copy runs on (a minute here): the status bar says what the page waits
// for, and Stop, captioned "Stop waiting" meanwhile, ends the wait. Nothing is removed, the
// user is told so, and the button is the page's Stop again.
TEST_F(SoftwarePageTest, StopWaitingEndsTheWaitForAnUninstallerThatRunsOnAndRemovesNothing) {
  const Entry slow{L"{5A1E0D6C-0000-4000-8000-00000000000D}", "Sweepwise Window Test Slow", ""};
  Entry registered = slow;
  registered.command = "\"C:\\sweepwise\\bin\\sweepwise-test-uninstaller-window.exe\" \"" + Utf8Of(log_) +
                       "\" W --copy-to-temp --sleep 60000";
  Register(registered);
  MainWindow& window = Start();
  window.RunCommand(app::kCmdSoftware);
  window.RunCommand(app::kCmdBul);
  const std::vector<std::size_t> ours = OurRows(window);
  ASSERT_EQ(ours.size(), 1U);
  window.resultList().rows()[ours[0]].checked = true;
  window.resultList().Refill();
  ShownMessages().clear();

  std::string caption;
  std::string status;
  std::thread user([&] {
    HWND stop = window.Control("btnStop");
    HWND bar = window.Control("StatusBar1");
    for (int i = 0; i < 1500; ++i) {
      wchar_t text[64] = {};
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(stop, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, &ignored);
      if ((GetWindowLongW(stop, GWL_STYLE) & WS_VISIBLE) != 0 && std::wstring_view(text) == L"Stop waiting" &&
          Log().find("W-copy start") != std::string::npos) {
        caption = app::win32::Utf8(text);
        wchar_t shown[256] = {};
        SendMessageTimeoutW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(shown), SMTO_ABORTIFHUNG, 1000, &ignored);
        status = app::win32::Utf8(shown);
        PostMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(app::kCmdStop, BN_CLICKED), reinterpret_cast<LPARAM>(stop));
        return;
      }
      Sleep(20);
    }
  });
  window.RunCommand(app::kCmdSil);
  user.join();

  EXPECT_EQ(caption, "Stop waiting");
  EXPECT_TRUE(status.starts_with("Waiting for the uninstaller of Sweepwise Window Test Slow and the programs it "
                                 "started: "))
      << status;
  EXPECT_TRUE(status.ends_with(" s of at most 1800 s")) << status;
  EXPECT_TRUE(KeyExists(slow)) << "a stopped wait removes nothing";
  ASSERT_FALSE(ShownMessages().empty());
  EXPECT_TRUE(ShownMessages().back().text.starts_with(
      "Sweepwise stopped waiting for the uninstaller of Sweepwise Window Test Slow and the programs it started"))
      << ShownMessages().back().text;
  EXPECT_NE(ShownMessages().back().text.find("Nothing was removed"), std::string::npos);
  EXPECT_FALSE(Shown("btnStop"));
  EXPECT_EQ(TextOf("btnStop"), "Stop");
  EXPECT_EQ(OurRows(window).size(), 1U);
  EXPECT_FALSE(window.running());

  // The copy runs on: the test ends it.
  std::istringstream lines(Log());
  std::string name;
  std::string what;
  long long number = 0;
  while (lines >> name >> what >> number) {
    if (name == "W-copy" && what == "pid") {
      HANDLE copy = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(number));
      ASSERT_NE(copy, nullptr);
      TerminateProcess(copy, 1);
      CloseHandle(copy);
    }
  }
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  for (int i = 0; i < 100 && std::filesystem::exists(std::filesystem::path(folder) / "W-copy.exe"); ++i) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(folder) / "W-copy.exe", ignored);
    Sleep(50);
  }
}

}  // namespace
}  // namespace sw::test
