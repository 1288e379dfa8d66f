// The Advanced page in the window on Wine's real registry, with the system reported as
// Windows XP so that the XP rows of the catalogue are offered: the five tabs and their rows,
// a check and Apply with the restore file, Restore of what it recorded, the
// description beside the pointer, the page staying shut while a pass lets messages through,
// and Restore on the Files and Registry pages through their (answered) open-file dialogs.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windowsx.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/command_ids.h"
#include "backup/backup_file.h"
#include "core/language.h"
#include "gui/main_window_fixture.h"
#include "platform/win32/wide.h"
#include "support/recording_sink.h"
#include "tweaks/tweak_page.h"
#include "tweaks/tweak_page_texts.h"

namespace sw::test {
namespace {

using app::win32::MainWindow;
using platform::win32::ToWide;

constexpr const wchar_t* kDesktop = L"Control Panel\\Desktop";
constexpr const wchar_t* kRegeditApplet = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

// A value of HKEY_CURRENT_USER as the test found it, put back when the test ends: its data
// again, or gone with every key the test created on the way to it.
class SavedValue {
 public:
  SavedValue(std::wstring key, std::wstring name) : key_(std::move(key)), name_(std::move(name)) {
    for (std::wstring path = key_; !path.empty() && !KeyExists(path); path = Parent(path)) {
      missingFrom_ = path;
    }
    DWORD size = 0;
    existed_ = RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr,
                            &size) == ERROR_SUCCESS;
    data_.resize(size);
    if (existed_) {
      RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, data_.data(),
                   &size);
    }
  }
  SavedValue(const SavedValue&) = delete;
  SavedValue& operator=(const SavedValue&) = delete;
  ~SavedValue() {
    if (!missingFrom_.empty()) {
      RegDeleteTreeW(HKEY_CURRENT_USER, missingFrom_.c_str());
    } else if (existed_) {
      RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), type_, data_.data(),
                      static_cast<DWORD>(data_.size()));
    } else {
      DeleteRegistryValue(HKEY_CURRENT_USER, key_.c_str(), name_.c_str());
    }
  }

  void Set(const std::wstring& text) const {
    RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

 private:
  static bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }
  static std::wstring Parent(const std::wstring& path) {
    const auto last = path.rfind(L'\\');
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
  }

  std::wstring key_;
  std::wstring name_;
  std::wstring missingFrom_;
  bool existed_ = false;
  DWORD type_ = REG_NONE;
  std::vector<BYTE> data_;
};

// The highest position a progress bar was set to while the recorder lived.
class ProgressRecorder {
 public:
  explicit ProgressRecorder(HWND bar) : bar_(bar) {
    SetWindowSubclass(bar_, &Record, 9, reinterpret_cast<DWORD_PTR>(this));
  }
  ProgressRecorder(const ProgressRecorder&) = delete;
  ProgressRecorder& operator=(const ProgressRecorder&) = delete;
  ~ProgressRecorder() { RemoveWindowSubclass(bar_, &Record, 9); }
  [[nodiscard]] WPARAM highest() const { return highest_; }

 private:
  static LRESULT CALLBACK Record(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    if (message == PBM_SETPOS) {
      auto& recorder = *reinterpret_cast<ProgressRecorder*>(self);
      recorder.highest_ = std::max(recorder.highest_, wParam);
    }
    return DefSubclassProc(bar, message, wParam, lParam);
  }
  HWND bar_;
  WPARAM highest_ = 0;
};

// The rows of a list as it shows them: "title|category|image".
std::vector<std::string> ShownRows(HWND list) {
  std::vector<std::string> rows;
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ListView_GetItem(list, &item);
    rows.push_back(ItemText(list, row, 0) + "|" + ItemText(list, row, 1) + "|" + std::to_string(item.iImage));
  }
  return rows;
}

std::vector<std::string> ModelRows(const std::vector<ResultRow>& rows) {
  std::vector<std::string> described;
  for (const ResultRow& row : rows) {
    described.push_back(row.columns[0] + "|" + row.columns[1] + "|" + std::to_string(row.image));
  }
  return described;
}

int RowOf(HWND list, std::string_view title) {
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    if (ItemText(list, row, 0) == title) {
      return row;
    }
  }
  return -1;
}

// A click as the mouse would give it, at a point of the control's client area.
void Click(HWND control, POINT at) {
  const LPARAM point = MAKELPARAM(at.x, at.y);
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(control, WM_LBUTTONUP, 0, point);
  DrainMessages();
}

void ClickTab(HWND tabs, int tab) {
  RECT item{};
  ASSERT_TRUE(TabCtrl_GetItemRect(tabs, tab, &item));
  Click(tabs, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
}

void ClickCheckBox(HWND list, int row) {
  RECT item{};
  ListView_GetItemRect(list, row, &item, LVIR_BOUNDS);
  Click(list, POINT{item.left + 8, (item.top + item.bottom) / 2});
}

// Lets the window's messages run until `condition` holds, for at most five seconds.
bool WaitFor(const std::function<bool()>& condition) {
  for (int i = 0; i < 250; ++i) {
    DrainMessages();
    if (condition()) {
      return true;
    }
    Sleep(20);
  }
  return false;
}

class AdvancedPageTest : public MainWindowFixture {
 protected:
  AdvancedPageTest() {
    gui_.system->version = platform::VersionRecord{platform::kPlatformNt, 5, 1, 2600};
    gui_.system->admin = true;  // a user without the rights gets the page released when shown
  }

  MainWindow& OpenPage() {
    MainWindow& window = Start();
    window.RunCommand(app::kCmdAdvanced);
    ShownMessages().clear();
    return window;
  }

  HWND Tabs() const { return window_->Control("pcTweaks"); }
  HWND List() const { return window_->Control("lvAdvanced1"); }
  HWND Applied() const { return window_->Control("lvAppliedTasks"); }

  // What the check pass of `tab` finds, without the window.
  std::vector<std::string> EngineRows(int tab) {
    tweaks::TweakPage page(gui_.platform);
    RecordingSink sink;
    page.SelectTab(tab, sink);
    return ModelRows(page.TabRows());
  }
};

TEST_F(AdvancedPageTest, EachTabListsWhatItsCheckPassFindsForWindowsXp) {
  // The RegEdit history exists, so the Cleaning tab offers to clear it.
  const SavedValue lastKey(kRegeditApplet, L"LastKey");
  lastKey.Set(L"HKEY_CURRENT_USER\\Software");
  MainWindow& window = OpenPage();
  EXPECT_EQ(TextOf("lblTweaklabel"), "Advanced settings for Windows XP");
  EXPECT_EQ(TextOf("lblRedBox"), "Applying red colored entries may give unwanted results.");
  EXPECT_EQ(TextOf("lblYellowBox"), "Applying yellow colored entries needs caution");
  EXPECT_EQ(TextOf("lblGreenBox"), "Applying green colored entries is almost safe");
  EXPECT_EQ(window.ReadSlot({"btnSil", app::Slot::kHint, 0, -1, {}}), "Apply advanced tasks selected above");
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdBackup));
  EXPECT_EQ(Button_GetCheck(window.Control("chkIntCache")), BST_UNCHECKED);

  // The History tab after these lists has tests of its own.
  const std::vector<std::string> captions{"Optimization", "Cleaning", "Internet Accelerator", "Miscellaneous",
                                          "Applied Tasks"};
  ASSERT_EQ(TabCtrl_GetItemCount(Tabs()), 6);
  EXPECT_EQ(TabCtrl_GetCurSel(Tabs()), 0) << "the page opens on its first tab";
  for (int tab = 0; tab < 5; ++tab) {
    SCOPED_TRACE(captions[static_cast<std::size_t>(tab)]);
    if (tab > 0) {
      ClickTab(Tabs(), tab);
    }
    ASSERT_EQ(TabCtrl_GetCurSel(Tabs()), tab);
    const bool appliedTab = tab == 4;
    EXPECT_EQ(Shown("lvAppliedTasks"), appliedTab);
    EXPECT_EQ(Shown("lvAdvanced1"), !appliedTab);
    const std::vector<std::string> shown = ShownRows(appliedTab ? Applied() : List());
    EXPECT_EQ(shown, EngineRows(tab));
    for (const std::string& row : shown) {
      if (appliedTab) {
        EXPECT_EQ(row.find("|Cleaning|"), std::string::npos) << row;
        EXPECT_NE(row.rfind("Terminate Idle Tasks|", 0), 0U);
      } else {
        EXPECT_NE(row.find("|" + captions[static_cast<std::size_t>(tab)] + "|"), std::string::npos) << row;
      }
    }
    if (!appliedTab) {
      EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(), [](const std::string& a, const std::string& b) {
        return a.back() < b.back();
      })) << "green first, red last";
    }
  }
  // Shown Windows XP: the XP-only rows are there, the Windows 98 ones are not.
  ClickTab(Tabs(), 0);
  EXPECT_GE(RowOf(List(), "Enable Automatic Boot Disk Optimization"), 0);
  EXPECT_GE(RowOf(List(), "Terminate Idle Tasks"), 0) << "nothing shows it ran, so it is always offered";
  EXPECT_EQ(RowOf(List(), "Speed up shutdown process"), -1);
  EXPECT_EQ(RowOf(List(), "Disable Windows Animation"), -1);
  ClickTab(Tabs(), 1);
  EXPECT_GE(RowOf(List(), "Clear history of RegEdit"), 0);
  EXPECT_EQ(RowOf(List(), "Clear `Find Files` history"), -1) << "Windows 95 and 98 only";
}

TEST_F(AdvancedPageTest, FindAndATabChangeRefillTheListAndDropItsChecks) {
  MainWindow& window = OpenPage();
  ASSERT_GT(ListView_GetItemCount(List()), 0);
  ClickCheckBox(List(), 0);
  ASSERT_TRUE(window.advancedPage().model().ModelRows()[0].row.checked) << "the check reaches the model row";
  {
    const ProgressRecorder bar(window.Control("gpTweakProgress"));
    window.RunCommand(app::kCmdBul);
    EXPECT_GT(bar.highest(), 0U) << "the pass moves the tweak progress bar";
  }
  EXPECT_EQ(SendMessageW(window.Control("gpTweakProgress"), PBM_GETPOS, 0, 0), 0) << "and resets it at the end";
  EXPECT_EQ(window.StatusText(), "Done.");
  EXPECT_EQ(ShownRows(List()), EngineRows(0));
  EXPECT_TRUE(Shown("lvAdvanced1"));

  ClickCheckBox(List(), 0);
  ClickTab(Tabs(), 3);
  ClickTab(Tabs(), 0);
  for (const auto& row : window.advancedPage().model().ModelRows()) {
    EXPECT_FALSE(row.row.checked) << row.row.columns[0];
  }
  EXPECT_EQ(ListView_GetCheckState(List(), 0), FALSE);
}

TEST_F(AdvancedPageTest, BeforeAnyApplyNeitherApplyNorRestoreChangesAnything) {
  MainWindow& window = OpenPage();
  window.RunCommand(app::kCmdSil);  // nothing checked
  EXPECT_TRUE(ShownMessages().empty()) << ShownMessages()[0].text;
  EXPECT_EQ(ProgramFile("default.reg"), "<missing>");
  window.RunCommand(app::kCmdRestore);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, "All restorations were already done.");
  EXPECT_TRUE(PickerRequests().empty()) << "the Advanced page's Restore asks for no file";
}

TEST_F(AdvancedPageTest, ApplyChangesTheCheckedValueAndRestoreBringsItBack) {
  const SavedValue delay(kDesktop, L"MenuShowDelay");
  delay.Set(L"345");
  MainWindow& window = OpenPage();
  int row = RowOf(List(), "Speed up menu display");
  ASSERT_GE(row, 0);
  ClickCheckBox(List(), row);
  window.RunCommand(app::kCmdSil);

  EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, kDesktop, L"MenuShowDelay"), "0");
  const std::string restoreFile = ProgramFile("default.reg");
  EXPECT_EQ(restoreFile.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0U) << restoreFile;
  EXPECT_NE(restoreFile.find("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"), std::string::npos);
  EXPECT_NE(restoreFile.find("\"MenuShowDelay\"=\"345\"\r\n; Sweepwise wrote \"MenuShowDelay\"=\"0\"\r\n"),
            std::string::npos)
      << "the value before the change, and what was written";
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, "Selected tasks were applied. Some of them needs rebooting to take effect.");
  EXPECT_EQ(ShownMessages()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(RowOf(List(), "Speed up menu display"), -1) << "in effect now, so no longer offered";
  EXPECT_EQ(window.StatusText(), "Done.");
  ClickTab(Tabs(), 4);
  row = RowOf(Applied(), "Speed up menu display");
  ASSERT_GE(row, 0) << "listed as applied";
  EXPECT_EQ(ItemText(Applied(), row, 1), "Optimization");

  ShownMessages().clear();
  window.RunCommand(app::kCmdRestore);
  EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, kDesktop, L"MenuShowDelay"), "345");
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, "All tasks were restored to their original states.");
  EXPECT_EQ(window.StatusText(), "Restored.");
  EXPECT_EQ(TabCtrl_GetCurSel(Tabs()), 0) << "the restore shows the first tab again";
  EXPECT_GE(RowOf(List(), "Speed up menu display"), 0) << "offered again";
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdAdvanced)) << "Restore leaves the page button down";
  EXPECT_EQ(ProgramFile("default.reg"), "Windows Registry Editor Version 5.00\r\n")
      << "what came back is no longer recorded";
}

// While a check pass runs it lets messages through: a page change, Apply, another tab and
// Exit that come meanwhile must not run inside it. Exit comes after it.
TEST_F(AdvancedPageTest, NothingRunsInsideATabChangeAndExitWaitsForIt) {
  MainWindow& window = OpenPage();
  HWND tabs = Tabs();
  RECT other{};
  ASSERT_TRUE(TabCtrl_GetItemRect(tabs, 3, &other));
  const LPARAM onOther = MAKELPARAM((other.left + other.right) / 2, (other.top + other.bottom) / 2);
  // The pass handles these at its first pause.
  PostMessageW(window.hwnd(), WM_COMMAND, app::kCmdDosyalar, 0);
  PostMessageW(window.hwnd(), WM_COMMAND, app::kCmdSil, 0);
  PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, onOther);
  PostMessageW(tabs, WM_LBUTTONUP, 0, onOther);
  PostMessageW(window.hwnd(), WM_COMMAND, app::kCmdExit1, 0);
  RECT internet{};
  ASSERT_TRUE(TabCtrl_GetItemRect(tabs, 2, &internet));
  const LPARAM onInternet = MAKELPARAM((internet.left + internet.right) / 2, (internet.top + internet.bottom) / 2);
  SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, onInternet);

  ASSERT_TRUE(IsWindow(window.hwnd())) << "the window outlives the pass";
  EXPECT_FALSE(window.advancedPage().busy());
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), 2);
  EXPECT_EQ(ShownRows(List()), EngineRows(2)) << "the rows are those of the tab shown";
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdAdvanced));
  EXPECT_EQ(window.frontArea(), app::win32::Area::kTweaks);
  EXPECT_TRUE(ShownMessages().empty()) << ShownMessages()[0].text;
  EXPECT_TRUE(IsWindowEnabled(window.Control("ToolBar1")));
  SendMessageW(tabs, WM_LBUTTONUP, 0, onInternet);
  EXPECT_TRUE(WaitFor([&] { return window.hwnd() == nullptr; })) << "Exit came after the pass";
}

TEST_F(AdvancedPageTest, TheDescriptionShowsBesideThePointerAndGoesWhenItLeaves) {
  MainWindow& window = OpenPage();
  window.Show1Click();
  ASSERT_GE(ListView_GetItemCount(List()), 2);
  auto pointAt = [&](int row) {
    RECT item{};
    ListView_GetItemRect(List(), row, &item, LVIR_LABEL);
    POINT point{item.left + 20, (item.top + item.bottom) / 2};
    ClientToScreen(List(), &point);
    return point;
  };
  const app::win32::NoteWindow& note = window.noteWindow();
  auto noteAt = [&](POINT pointer) {
    RECT placed{};
    GetWindowRect(note.hwnd(), &placed);
    return note.shown() && IsWindowVisible(note.hwnd()) && placed.left == pointer.x + 10 &&
           placed.top == pointer.y + 10;
  };
  const POINT first = pointAt(0);
  SetCursorPos(first.x, first.y);
  EXPECT_TRUE(WaitFor([&] { return noteAt(first); })) << "the note of the first row";
  const POINT second = pointAt(1);
  SetCursorPos(second.x, second.y);
  EXPECT_TRUE(WaitFor([&] { return noteAt(second); })) << "it follows the pointer to the next row";
  // Below the last row there is no row, and outside the list no list.
  RECT list{};
  GetClientRect(List(), &list);
  POINT empty{list.right / 2, list.bottom - 4};
  ClientToScreen(List(), &empty);
  if (ListView_GetItemCount(List()) * (pointAt(1).y - first.y) < list.bottom - 8) {
    SetCursorPos(empty.x, empty.y);
    EXPECT_TRUE(WaitFor([&] { return !note.shown(); })) << "no row, no note";
    SetCursorPos(first.x, first.y);
    ASSERT_TRUE(WaitFor([&] { return noteAt(first); }));
  }
  SetCursorPos(0, 0);
  EXPECT_TRUE(WaitFor([&] { return !note.shown() && !IsWindowVisible(note.hwnd()); })) << "leaving hides it";
}

// Windows 10 and 11 as the test's own version record says (the prefix stays as it is): the
// settings of those systems on the same tabs.
class AdvancedPageOnWindows10Test : public AdvancedPageTest {
 protected:
  AdvancedPageOnWindows10Test() { gui_.system->version = platform::VersionRecord{platform::kPlatformNt, 10, 0, 19045}; }
};

TEST_F(AdvancedPageOnWindows10Test, EachTabListsTheSettingsOfWindows10And11NotInEffectGreenFirst) {
  const SavedValue optOut(L"Control Panel\\International\\User Profile", L"HttpAcceptLanguageOptOut");
  for (const auto& [build, name] : {std::pair{19045U, "Windows 10"}, std::pair{22631U, "Windows 11"}}) {
    SCOPED_TRACE(name);
    gui_.system->version = platform::VersionRecord{platform::kPlatformNt, 10, 0, build};
    window_.reset();
    DrainMessages();
    OpenPage();
    EXPECT_EQ(TextOf("lblTweaklabel"), std::string("Advanced settings for ") + name);
    EXPECT_EQ(TextOf("lblGreenBox"), "Applying green colored entries is almost safe");
    for (int tab = 0; tab < 4; ++tab) {
      ClickTab(Tabs(), tab);
      const std::vector<std::string> shown = ShownRows(List());
      ASSERT_FALSE(shown.empty()) << tab;
      EXPECT_EQ(shown, EngineRows(tab));
      EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(), [](const std::string& a, const std::string& b) {
        return a.back() < b.back();
      })) << "green first";
    }
    ClickTab(Tabs(), 0);
    EXPECT_EQ(RowOf(List(), "Turn off Widgets") >= 0, build >= 22000) << "Windows 11 alone has widgets";
    EXPECT_EQ(RowOf(List(), "Enable Automatic Boot Disk Optimization"), -1) << "nothing of Windows XP";
  }

  // Apply and Restore of one of them, on the real registry.
  ClickTab(Tabs(), 2);
  gui_.system->version = platform::VersionRecord{platform::kPlatformNt, 10, 0, 19045};
  window_.reset();
  DrainMessages();
  MainWindow& window = OpenPage();
  ClickTab(Tabs(), 2);
  const int row = RowOf(List(), "Websites cannot read the language list");
  ASSERT_GE(row, 0);
  ClickCheckBox(List(), row);
  window.RunCommand(app::kCmdSil);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, "Selected tasks were applied. Some of them needs rebooting to take effect.");
  EXPECT_EQ(RowOf(List(), "Websites cannot read the language list"), -1);
  ShownMessages().clear();
  window.RunCommand(app::kCmdRestore);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, "All tasks were restored to their original states.");
  ClickTab(Tabs(), 2);
  EXPECT_GE(RowOf(List(), "Websites cannot read the language list"), 0) << "offered again";
}

TEST_F(AdvancedPageOnWindows10Test, AStandardUserSeesTheNoteAndApplyLeavesMachineWideSettingsOutWithOneMessage) {
  gui_.system->admin = false;  // Wine's own token is an administrator's
  const SavedValue period(L"Software\\Microsoft\\Siuf\\Rules", L"PeriodInNanoSeconds");
  const SavedValue number(L"Software\\Microsoft\\Siuf\\Rules", L"NumberOfSIUFInPeriod");
  const auto dword = [](HKEY root, const wchar_t* key, const wchar_t* name) {
    DWORD data = 0;
    DWORD size = sizeof data;
    const LSTATUS status = RegGetValueW(root, key, name, RRF_RT_REG_DWORD, nullptr, &data, &size);
    return status == ERROR_SUCCESS ? std::to_string(data) : "absent";
  };
  const auto longPaths = [&] {
    return dword(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem", L"LongPathsEnabled");
  };
  const std::string longPathsBefore = longPaths();
  MainWindow& window = OpenPage();
  ClickTab(Tabs(), 3);
  const int machine = RowOf(List(), "Allow paths longer than 260 characters");
  const int user = RowOf(List(), "Feedback frequency: never");
  ASSERT_GE(machine, 0);
  ASSERT_GE(user, 0);
  EXPECT_TRUE(std::string(window.advancedPage().model().TooltipText(static_cast<std::size_t>(machine)))
                  .ends_with(tweaks::kNeedsRightsNote));
  EXPECT_FALSE(std::string(window.advancedPage().model().TooltipText(static_cast<std::size_t>(user)))
                   .ends_with(tweaks::kNeedsRightsNote));
  ClickCheckBox(List(), machine);
  ClickCheckBox(List(), user);
  window.RunCommand(app::kCmdSil);

  ASSERT_EQ(ShownMessages().size(), 1U) << "one message for all";
  EXPECT_EQ(ShownMessages()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_NE(ShownMessages()[0].text.find("left out:\nAllow paths longer than 260 characters\nChoose \"Restart as "
                                         "administrator\""),
            std::string::npos)
      << ShownMessages()[0].text;
  EXPECT_EQ(longPaths(), longPathsBefore) << "nothing written for lack of rights";
  EXPECT_EQ(dword(HKEY_CURRENT_USER, L"Software\\Microsoft\\Siuf\\Rules", L"NumberOfSIUFInPeriod"), "0");
  EXPECT_GE(RowOf(List(), "Allow paths longer than 260 characters"), 0) << "still offered";
  EXPECT_EQ(RowOf(List(), "Feedback frequency: never"), -1);
}

class RestorePagesTest : public AdvancedPageTest {};

TEST_F(RestorePagesTest, TheFilesPageRestoresThePickedArchiveBelowTheFolderWithTheBarMoving) {
  const std::filesystem::path source = temp_.path() / "kept" / "letter.txt";
  std::filesystem::create_directories(source.parent_path());
  WriteFileBytes(source, "a letter worth keeping");
  const std::string archive = programDir_ + "\\zq1.bck";
  {
    backup::TBackupFile packer(*gui_.platform.files, *gui_.platform.system);
    ASSERT_TRUE(packer.Backup({Utf8Of(source)}, archive));
  }
  MainWindow& window = Start();
  ShownMessages().clear();
  const std::filesystem::path target = temp_.path() / "restored";
  window.advancedPage().restoredFilesFolder = Utf8Of(target);
  AnswerFilePickers(archive);
  {
    const ProgressRecorder bar(window.Control("Progressbar1"));
    window.RunCommand(app::kCmdRestore);
    EXPECT_GT(bar.highest(), 0U) << "Progressbar1 moved";
  }
  ASSERT_EQ(PickerRequests().size(), 1U);
  EXPECT_EQ(PickerRequests()[0].filter, "Backup|*.bck");
  EXPECT_EQ(PickerRequests()[0].defaultExtension, "bck");
  EXPECT_EQ(PickerRequests()[0].initialFileName, "*.bck");
  EXPECT_EQ(PickerRequests()[0].folder, programDir_);
  // Below the folder under its stored path without the drive.
  const std::filesystem::path restored = target / std::filesystem::path(Utf8Of(source).substr(3));
  ASSERT_TRUE(std::filesystem::exists(restored)) << restored;
  EXPECT_EQ(ReadFileBytes(restored), "a letter worth keeping");
  ASSERT_EQ(ShownMessages().size(), 1U);
  std::string expected(Text(96));
  expected.replace(expected.find("C:\\restored_files"), 17, Utf8Of(target));
  EXPECT_EQ(ShownMessages()[0].text, expected);
  EXPECT_EQ(window.ProgressPosition(), 0);
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdDosyalar));

  // An archive that is none says so.
  WriteProgramFile("broken.bck", "this is not an archive at all");
  AnswerFilePickers(programDir_ + "\\broken.bck");
  ShownMessages().clear();
  window.RunCommand(app::kCmdRestore);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR)) << ShownMessages()[0].text;
}

TEST_F(RestorePagesTest, ACancelledArchivePickerDoesNothing) {
  MainWindow& window = Start();
  ShownMessages().clear();
  const std::filesystem::path target = temp_.path() / "restored";
  window.advancedPage().restoredFilesFolder = Utf8Of(target);
  window.RunCommand(app::kCmdRestore);
  EXPECT_EQ(PickerRequests().size(), 1U);
  EXPECT_TRUE(ShownMessages().empty());
  EXPECT_FALSE(std::filesystem::exists(target)) << "not even the folder";
}

// The picked backup is imported by the program itself once the user agrees, as the
// registry editor asked before it imported.
TEST_F(RestorePagesTest, TheRegistryPageImportsThePickedBackupOnceTheUserAgrees) {
  WriteProgramFile("regbackup3.reg",
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\SweepwiseTests\\Picked]\r\n\"v\"=\"back\"\r\n");
  MainWindow& window = Start();
  window.RunCommand(app::kCmdSistemKayit);
  ShownMessages().clear();
  const std::string picked = programDir_ + "\\regbackup3.reg";
  AnswerFilePickers(picked);
  SetYesNoAnswer(IDNO);
  window.RunCommand(app::kCmdRestore);
  ASSERT_EQ(PickerRequests().size(), 1U);
  EXPECT_EQ(PickerRequests()[0].filter, "Registry|*.reg");
  EXPECT_EQ(PickerRequests()[0].defaultExtension, "reg");
  EXPECT_EQ(PickerRequests()[0].initialFileName, "*.reg");
  EXPECT_EQ(PickerRequests()[0].folder, programDir_);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, "Are you sure you want to add the information in " + picked + " to the registry?");
  EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, L"Software\\SweepwiseTests\\Picked", L"v"), "");

  SetYesNoAnswer(IDYES);
  ShownMessages().clear();
  window.RunCommand(app::kCmdRestore);
  EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, L"Software\\SweepwiseTests\\Picked", L"v"), "back");
  ASSERT_EQ(ShownMessages().size(), 2U);
  EXPECT_EQ(ShownMessages()[1].text, picked + " was imported into the registry.");
  EXPECT_TRUE(gui_.shell->opened.empty()) << "nothing is handed to the shell";
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdSistemKayit));
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\SweepwiseTests\\Picked");
}

TEST_F(RestorePagesTest, OnAnotherPageRestoreDoesNothing) {
  MainWindow& window = Start();
  window.RunCommand(app::kCmdMemory);
  ShownMessages().clear();
  const std::size_t opened = gui_.shell->opened.size();
  window.RunCommand(app::kCmdRestore);
  EXPECT_TRUE(PickerRequests().empty());
  EXPECT_TRUE(ShownMessages().empty());
  EXPECT_EQ(gui_.shell->opened.size(), opened);
}

}  // namespace
}  // namespace sw::test
