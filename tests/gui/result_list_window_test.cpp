// Find and Delete through the main window on Wine's real drive and registry: the result
// list, its checks, sorting and Enter key, Stop, the secure button and the page-change
// question.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "core/language.h"
#include "core/text.h"
#include "gui/main_window_fixture.h"
#include "platform/error_message.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "support/forwarding_file_system.h"
#include "support/listed_row.h"
#include "support/shell_link.h"

namespace sw::test {
namespace {

using app::win32::Area;
using app::win32::MainWindow;
using app::win32::Wide;

ResultRow Row(std::string caption, std::string folder, std::string length) {
  ResultRow row;
  row.columns = {std::move(caption), std::move(folder), std::move(length), "-"};
  return row;
}

// Clicks a command button as the mouse would.
void ClickButton(MainWindow& window, const char* name) {
  SendMessageW(window.Control(name), BM_CLICK, 0, 0);
  DrainMessages();
}

bool Checked(HWND list, int row) {
  return ListView_GetCheckState(list, row) != FALSE;
}

class ResultListWindowTest : public MainWindowFixture {
 protected:
  ResultListWindowTest() {
    gui_.system->admin = false;  // the batch's RunOnce value goes to the test user's own hive
    junk_ = temp_.path() / "junk";
    std::filesystem::create_directories(junk_ / "deeper");
  }

  // A junk file below the test folder; returns its Windows path.
  std::string PlantJunk(const std::string& name, std::string_view contents = "junk") {
    WriteFileBytes(junk_ / name, contents);
    return Utf8Of(junk_ / name);
  }

  [[nodiscard]] bool Listed(const MainWindow& window, const std::string& path) const {
    return std::any_of(window.rows().begin(), window.rows().end(),
                       [&](const ResultRow& row) { return CompareNoCase(row.columns[1] + row.columns[0], path) == 0; });
  }

  MainWindow& StartAndAnswer() {
    MainWindow& window = Start();
    ShownMessages().clear();  // the administrator warning of the non-administrator start
    return window;
  }

  void PressSecureButton(MainWindow& window) {
    SendMessageW(window.Control("ToolBar1"), TB_CHECKBUTTON, app::kCmdBackup, TRUE);
  }

  std::filesystem::path junk_;
};

TEST_F(ResultListWindowTest, FindListsThePreparedJunkCheckedWithTheSelectedTotal) {
  const std::string temporary = PlantJunk("report.tmp", std::string(4096, 'x'));
  const std::string backup = PlantJunk("deeper\\letter.~doc");
  const std::string index = PlantJunk("deeper\\manual.gid");
  const std::string kept = PlantJunk("deeper\\notes.txt");
  MainWindow& window = StartAndAnswer();
  window.RunCommand(app::kCmdBul);

  EXPECT_TRUE(Listed(window, temporary));
  EXPECT_TRUE(Listed(window, backup));
  EXPECT_TRUE(Listed(window, index));
  EXPECT_FALSE(Listed(window, kept));
  HWND list = window.Control("ListView1");
  ASSERT_EQ(static_cast<std::size_t>(ListView_GetItemCount(list)), window.rows().size());
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    EXPECT_TRUE(Checked(list, i)) << i;
  }
  EXPECT_NE(window.StatusText().find("KBytes selected"), std::string::npos) << window.StatusText();
  EXPECT_FALSE(GetWindowLongW(window.Control("btnStop"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongW(window.Control("btnBul"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(window.running());
}

// Presses Stop as soon as the list shows its first row: the click waits in the queue that
// the running Find lets through next.
LRESULT CALLBACK StopOnFirstRow(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR window) {
  if (message == LVM_SETITEMCOUNT && wParam > 0) {
    PostMessageW(reinterpret_cast<HWND>(window), WM_COMMAND, app::kCmdStop, 0);
    RemoveWindowSubclass(list, &StopOnFirstRow, 7);
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

// The recent-documents folder the shell names, pointed at a test folder for one test.
class RecentFolder {
 public:
  explicit RecentFolder(const std::filesystem::path& folder) {
    saved_ = RegistryString(HKEY_CURRENT_USER, kShellFolders, L"Recent");
    SetTo(Wide(Utf8Of(folder)));
  }
  RecentFolder(const RecentFolder&) = delete;
  RecentFolder& operator=(const RecentFolder&) = delete;
  ~RecentFolder() { SetTo(Wide(saved_)); }

 private:
  static constexpr const wchar_t* kShellFolders =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  static void SetTo(const std::wstring& path) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Recent", REG_SZ, path.c_str(),
                    static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  }
  std::string saved_;
};

TEST_F(ResultListWindowTest, StopEndsTheFindAndKeepsTheRowsFoundSoFar) {
  // A broken shortcut is listed while the drive walk runs; the recent documents are searched
  // after it, so a Stop in the walk leaves them out. The walk looks at the search's Stop
  // every few tens of milliseconds: a folder of plain files after the shortcut keeps it
  // walking long enough to see it.
  MakeShortcut(Utf8Of(junk_ / "gone.lnk"), Utf8Of(junk_ / "missing.exe"));
  std::filesystem::create_directories(junk_ / "zz-plain");
  for (int i = 0; i < 4000; ++i) {
    WriteFileBytes(junk_ / "zz-plain" / ("file" + std::to_string(i) + ".txt"), "");
  }
  std::filesystem::create_directories(temp_.path() / "recent");
  WriteFileBytes(temp_.path() / "recent" / "letter.doc.lnk.dat", "recent");
  const RecentFolder recent(temp_.path() / "recent");
  MainWindow& window = StartAndAnswer();
  SetWindowSubclass(window.Control("ListView1"), &StopOnFirstRow, 7, reinterpret_cast<DWORD_PTR>(window.hwnd()));
  window.RunCommand(app::kCmdBul);

  const std::string recentFile = Utf8Of(temp_.path() / "recent" / "letter.doc.lnk.dat");
  EXPECT_FALSE(window.rows().empty()) << "the rows found before Stop stay";
  EXPECT_FALSE(Listed(window, recentFile)) << "the steps after the walk found nothing; first row "
                                           << window.rows().front().columns[1] << window.rows().front().columns[0];
  EXPECT_EQ(static_cast<std::size_t>(ListView_GetItemCount(window.Control("ListView1"))), window.rows().size());
  EXPECT_FALSE(window.running());
  EXPECT_FALSE(GetWindowLongW(window.Control("btnStop"), GWL_STYLE) & WS_VISIBLE);
  // The stop request ended with the run: the next Find goes all the way.
  const std::size_t stopped = window.rows().size();
  window.RunCommand(app::kCmdBul);
  EXPECT_GT(window.rows().size(), stopped);
  EXPECT_TRUE(Listed(window, recentFile));
}

TEST_F(ResultListWindowTest, DeleteWithTheSecureButtonWritesTheArchiveAndRemovesTheRows) {
  WriteProgramFile("language.txt", "1\r\n7\r\nN\r\n");
  const std::string first = PlantJunk("first.tmp", "first file");
  const std::string second = PlantJunk("deeper\\second.~x", "second file");
  MainWindow& window = StartAndAnswer();
  window.RunCommand(app::kCmdBul);
  ASSERT_TRUE(Listed(window, first) && Listed(window, second));
  PressSecureButton(window);
  window.RunCommand(app::kCmdSil);

  ASSERT_FALSE(ShownMessages().empty());
  EXPECT_EQ(ShownMessages()[0].text, Text(73)) << "the confirmation comes first";
  EXPECT_TRUE(std::filesystem::exists(temp_.path() / "zq7.bck"));
  EXPECT_GT(std::filesystem::file_size(temp_.path() / "zq7.bck"), 0U);
  EXPECT_EQ(window.settings().backupCounter, 8);
  EXPECT_FALSE(std::filesystem::exists(junk_ / "first.tmp"));
  EXPECT_FALSE(std::filesystem::exists(junk_ / "deeper" / "second.~x"));
  EXPECT_FALSE(Listed(window, first));
  EXPECT_FALSE(Listed(window, second));
  EXPECT_EQ(window.popupNote().count(), 0) << "the busy note is closed after the backup";
  EXPECT_EQ(window.StatusText(), "Done");
  window.Exit1Click();
  EXPECT_EQ(ProgramFile("language.txt"), "1\r\n8\r\nN\r\n");
}

// While Delete works through the rows it lets messages through: a page change, a second Find
// or a check turned over then must wait, or the engine would act on rows that moved.
TEST_F(ResultListWindowTest, CommandsDuringADeletionDoNotTouchItsRows) {
  const std::string first = PlantJunk("one.tmp");
  const std::string second = PlantJunk("deeper\\two.tmp");
  MainWindow& window = StartAndAnswer();
  window.RunCommand(app::kCmdBul);
  ASSERT_TRUE(Listed(window, first) && Listed(window, second));
  HWND list = window.Control("ListView1");
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    ListView_SetItemState(list, i, LVIS_SELECTED, LVIS_SELECTED);
  }
  SetMessageBoxObserver([&] {
    if (window.running()) {
      PostMessageW(window.hwnd(), WM_COMMAND, app::kCmdSistemKayit, 0);
      PostMessageW(window.hwnd(), WM_COMMAND, app::kCmdBul, 0);
      PostMessageW(list, WM_CHAR, L' ', 0);
    }
  });
  window.RunCommand(app::kCmdSil);
  SetMessageBoxObserver(nullptr);

  EXPECT_FALSE(std::filesystem::exists(junk_ / "one.tmp"));
  EXPECT_FALSE(std::filesystem::exists(junk_ / "deeper" / "two.tmp"));
  EXPECT_FALSE(Listed(window, first) || Listed(window, second));
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdDosyalar));
  EXPECT_EQ(app::win32::GetText(window.Control("lblCleanType")), "Files Cleaning");
  EXPECT_EQ(static_cast<std::size_t>(ListView_GetItemCount(list)), window.rows().size());
  EXPECT_TRUE(IsWindowEnabled(window.Control("ToolBar1")));
}

TEST_F(ResultListWindowTest, TheRegistryPagePressesTheSecureButtonAndItsFindListsMissingPaths) {
  const std::wstring key = L"Software\\SweepwiseWindowTest";
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
            ERROR_SUCCESS);
  const std::wstring missing = L"C:\\GoneForTheWindowTest\\tool.dll";
  RegSetValueExW(created, L"Tool", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing.c_str()),
                 static_cast<DWORD>((missing.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(created);

  MainWindow& window = StartAndAnswer();
  window.RunCommand(app::kCmdSistemKayit);
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdBackup));
  window.RunCommand(app::kCmdBul);
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());

  const auto row = std::find_if(window.rows().begin(), window.rows().end(), [](const ResultRow& r) {
    return r.columns[0].find("SweepwiseWindowTest") != std::string::npos;
  });
  ASSERT_NE(row, window.rows().end());
  EXPECT_EQ(row->columns[0].rfind("HKEY_CURRENT_USER: ", 0), 0U) << row->columns[0];
  EXPECT_EQ(row->columns[1], "Tool");
  EXPECT_EQ(row->columns[2], "C:\\GoneForTheWindowTest\\tool.dll");
  EXPECT_TRUE(row->checked);
  EXPECT_EQ(window.ReadSlot({"ListView1", app::Slot::kColumn, 0, -1, {}}), Text(68));
  EXPECT_EQ(window.ReadSlot({"ListView1", app::Slot::kColumn, 2, -1, {}}), Text(70));
}

// Clicks a toolbar button as the mouse would: the toolbar's own check group acts first.
void ClickToolbarButton(MainWindow& window, unsigned command) {
  HWND toolbar = window.Control("ToolBar1");
  RECT button{};
  ASSERT_TRUE(SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button)));
  const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(toolbar, WM_LBUTTONUP, 0, at);
  DrainMessages();
}

TEST_F(ResultListWindowTest, HelpSupportAndRestoreLeaveTheListPageAndItsFindWorking) {
  const std::string junk = PlantJunk("after-a-button.tmp");
  const std::wstring key = L"Software\\SweepwiseButtonTest";
  const std::wstring missing = L"C:\\GoneForTheButtonTest\\tool.dll";
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Tool", REG_SZ, missing.c_str(),
                  static_cast<DWORD>((missing.size() + 1) * sizeof(wchar_t)));
  MainWindow& window = StartAndAnswer();
  window.Show1Click();  // buttons take clicks on screen
  for (const unsigned page : {app::kCmdDosyalar, app::kCmdSistemKayit}) {
    for (const unsigned button : {app::kCmdHelp, app::kCmdSupport, app::kCmdRestore}) {
      SCOPED_TRACE(std::to_string(page) + " then " + std::to_string(button));
      ClickToolbarButton(window, page);
      ShownMessages().clear();
      PickerRequests().clear();
      const std::size_t opened = gui_.shell->opened.size();
      ClickToolbarButton(window, button);  // Restore's dialog is cancelled
      EXPECT_TRUE(window.IsToolbarButtonPressed(page)) << "the page button stays down";
      EXPECT_FALSE(window.IsToolbarButtonPressed(button));
      if (button == app::kCmdRestore) {
        ASSERT_EQ(PickerRequests().size(), 1U);
        EXPECT_EQ(PickerRequests()[0].filter, page == app::kCmdDosyalar ? "Backup|*.bck" : "Registry|*.reg");
        EXPECT_TRUE(ShownMessages().empty()) << ShownMessages()[0].text;
        EXPECT_EQ(gui_.shell->opened.size(), opened) << "a cancelled pick opens nothing";
      }
      ShownMessages().clear();
      ClickButton(window, "btnBul");
      EXPECT_EQ(window.frontArea(), Area::kResults) << "the rows are on screen";
      if (page == app::kCmdDosyalar) {
        EXPECT_TRUE(Listed(window, junk));
        EXPECT_NE(window.StatusText().find("KBytes selected"), std::string::npos) << window.StatusText();
      } else {
        EXPECT_TRUE(std::any_of(window.rows().begin(), window.rows().end(), [](const ResultRow& r) {
          return r.columns[2] == "C:\\GoneForTheButtonTest\\tool.dll";
        }));
        EXPECT_EQ(window.StatusText(), Text(71));
      }
      window.resultList().Clear();  // no page-change question for the next round
    }
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

// A cleared list lets go of its rows a share at a time, on a timer, while the window answers
// and new rows come in: the next Find after a million rows no longer waits for them all.
TEST_F(ResultListWindowTest, AClearedListLetsGoOfItsRowsAShareAtATime) {
  MainWindow& window = StartAndAnswer();
  app::win32::ResultListView& list = window.resultList();
  constexpr std::size_t kOld = 20'000;
  for (std::size_t n = 0; n < kOld; ++n) {
    list.Add(Row("old" + std::to_string(n) + ".tmp", "C:\\A folder of the first Find\\", "1"));
  }
  list.ShowAdded();
  ASSERT_EQ(ListView_GetItemCount(list.hwnd()), static_cast<int>(kOld));

  list.Clear();
  EXPECT_EQ(ListView_GetItemCount(list.hwnd()), 0);
  EXPECT_EQ(list.retiredRows(), kOld);
  list.Add(Row("new.tmp", "C:\\A folder of the next Find\\", "2"));
  list.ShowAdded();

  // Each pass of the messages lets go of a share, never all at once.
  std::vector<std::size_t> left{list.retiredRows()};
  const ULONGLONG deadline = GetTickCount64() + 20'000;
  while (list.retiredRows() > 0 && GetTickCount64() < deadline) {
    Sleep(15);
    DrainMessages();
    if (list.retiredRows() != left.back()) {
      left.push_back(list.retiredRows());
    }
  }
  EXPECT_EQ(list.retiredRows(), 0U);
  EXPECT_GE(left.size(), 4U) << "let go in " << left.size() - 1 << " steps";
  ASSERT_EQ(ListView_GetItemCount(list.hwnd()), 1);
  ASSERT_EQ(list.rows().size(), 1U);
  EXPECT_EQ(list.rows()[0].columns[0], "new.tmp");
  list.Clear();
}

// The rows whose selection the list reports changed, by the control's notifications to its
// parent; -1 stands for "every row".
class SelectionChanges {
 public:
  explicit SelectionChanges(HWND list) : list_(list), parent_(GetParent(list)) {
    SetWindowSubclass(parent_, &SelectionChanges::Record, 7, reinterpret_cast<DWORD_PTR>(this));
  }
  ~SelectionChanges() { RemoveWindowSubclass(parent_, &SelectionChanges::Record, 7); }
  SelectionChanges(const SelectionChanges&) = delete;
  SelectionChanges& operator=(const SelectionChanges&) = delete;

  std::vector<int> rows;

 private:
  static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto& changes = *reinterpret_cast<SelectionChanges*>(self);
    if (message == WM_NOTIFY) {
      const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
      if (change.hdr.hwndFrom == changes.list_ && change.hdr.code == LVN_ITEMCHANGED &&
          ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) != 0) {
        changes.rows.push_back(change.iItem);
      }
    }
    return DefSubclassProc(window, message, wParam, lParam);
  }

  HWND list_;
  HWND parent_;
};

std::vector<int> SelectedIndexes(HWND list) {
  std::vector<int> selected;
  for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) >= 0;) {
    selected.push_back(i);
  }
  return selected;
}

// Keys and clicks that put the selection on one row of a long list never have the control
// deselect every row (Wine's control does that one row at a time, half a second at a million
// rows, unless the selection is empty), and end with the selection the user expects: one
// row, the focused one, also where the key cannot move (Page Down on the last row).
TEST_F(ResultListWindowTest, KeysAndClicksMoveTheSelectionWithoutDeselectingEveryRow) {
  MainWindow& window = StartAndAnswer();
  app::win32::ResultListView& view = window.resultList();
  constexpr int kRows = 50'000;
  for (int n = 0; n < kRows; ++n) {
    view.Add(Row("row" + std::to_string(n) + ".tmp", "C:\\A long list\\", "1"));
  }
  view.ShowAdded();
  HWND list = view.hwnd();
  SetFocus(list);
  ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  ListView_SetSelectionMark(list, 0);
  DrainMessages();

  SelectionChanges changes(list);
  const auto press = [&](WPARAM key) {
    SendMessageW(list, WM_KEYDOWN, key, 0);
    SendMessageW(list, WM_KEYUP, key, 0);
    DrainMessages();
  };
  const auto only = [&](int row) {
    EXPECT_EQ(SelectedIndexes(list), std::vector<int>{row});
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), row);
    EXPECT_EQ(view.SelectedRows(), std::vector<std::size_t>{static_cast<std::size_t>(row)});
  };

  press(VK_NEXT);
  const int pageEnd = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
  EXPECT_GT(pageEnd, 0);
  only(pageEnd);
  press(VK_DOWN);
  only(pageEnd + 1);
  press(VK_END);
  only(kRows - 1);
  press(VK_NEXT);  // nowhere to go: the last row stays selected
  only(kRows - 1);
  press(VK_DOWN);
  only(kRows - 1);
  press(VK_HOME);
  only(0);

  RECT third{};
  ListView_GetItemRect(list, 3, &third, LVIR_LABEL);
  const LPARAM onThird = MAKELPARAM((third.left + third.right) / 2, (third.top + third.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, onThird);
  SendMessageW(list, WM_LBUTTONUP, 0, onThird);
  DrainMessages();
  only(3);
  RECT fifth{};
  ListView_GetItemRect(list, 5, &fifth, LVIR_LABEL);
  const LPARAM onFifth = MAKELPARAM((fifth.left + fifth.right) / 2, (fifth.top + fifth.bottom) / 2);
  // (The control waits in a loop of its own for the button to come up: it is queued first.)
  PostMessageW(list, WM_RBUTTONUP, 0, onFifth);
  SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, onFifth);
  DrainMessages();
  only(5);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, onThird);
  SendMessageW(list, WM_LBUTTONUP, 0, onThird);
  DrainMessages();
  only(3);
  // The space bar keeps the row selected and turns its check over.
  ASSERT_TRUE(window.rows()[3].checked);
  press(VK_SPACE);
  SendMessageW(list, WM_CHAR, L' ', 0);
  only(3);
  EXPECT_FALSE(window.rows()[3].checked);

  EXPECT_EQ(std::count(changes.rows.begin(), changes.rows.end(), -1), 0)
      << "the control was made to deselect every row";
  EXPECT_FALSE(changes.rows.empty());

  // With two rows selected the control widens nothing and still ends on one row.
  ListView_SetItemState(list, 4, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_EQ(view.SelectedRows(), (std::vector<std::size_t>{3, 4}));
  press(VK_DOWN);
  only(4);
  view.Clear();
}

// A window of the test's own that notes when its message comes, and whether the result list
// was sorted by then.
class MessageWitness {
 public:
  explicit MessageWitness(const MainWindow& window) : window_(window) {
    WNDCLASSW type{};
    type.lpfnWndProc = &MessageWitness::Procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"SweepwiseTestWitness";
    RegisterClassW(&type);
    hwnd_ = CreateWindowW(L"SweepwiseTestWitness", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageWitness() { DestroyWindow(hwnd_); }
  MessageWitness(const MessageWitness&) = delete;
  MessageWitness& operator=(const MessageWitness&) = delete;

  [[nodiscard]] HWND hwnd() const { return hwnd_; }
  bool came = false;
  std::vector<std::string> firstCaptions;  // the list's first rows when it came

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MessageWitness*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_APP && self != nullptr) {
      self->came = true;
      const auto& rows = self->window_.rows();
      for (std::size_t i = 0; i < std::min<std::size_t>(3, rows.size()); ++i) {
        self->firstCaptions.push_back(rows[i].columns[0]);
      }
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  const MainWindow& window_;
  HWND hwnd_ = nullptr;
};

// A click on a column heading of a long list sorts it beside the window's messages: they run
// while the order is worked out (the list still shows the rows as they were), commands wait
// meanwhile, and the rows end sorted, none lost.
TEST_F(ResultListWindowTest, ASortOfALongListLetsTheMessagesThroughAndKeepsEveryRow) {
  MainWindow& window = StartAndAnswer();
  app::win32::ResultListView& view = window.resultList();
  constexpr std::uint32_t kRows = 100'000;
  std::uint64_t totalBefore = 0;
  for (std::uint32_t n = 0; n < kRows; ++n) {
    const std::uint32_t size = (n * 2654435761U) % 1'000'003U;  // sizes in no order
    totalBefore += size;
    view.Add(Row("row" + std::to_string(n) + ".tmp", "C:\\A long list\\", std::to_string(size)));
  }
  view.ShowAdded();
  MessageWitness witness(window);
  PostMessageW(witness.hwnd(), WM_APP, 0, 0);
  PostMessageW(window.hwnd(), WM_COMMAND, app::kCmdBul, 0);  // Find, which must wait for the sort

  NMLISTVIEW click{};
  click.hdr.hwndFrom = view.hwnd();
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = 2;
  SendMessageW(window.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));

  EXPECT_TRUE(witness.came) << "no message ran during the sort";
  EXPECT_EQ(witness.firstCaptions, (std::vector<std::string>{"row0.tmp", "row1.tmp", "row2.tmp"}))
      << "the list showed its rows unsorted while the order was worked out";
  EXPECT_FALSE(window.running());
  ASSERT_EQ(window.rows().size(), kRows) << "the Find asked for during the sort did not run";
  ASSERT_EQ(ListView_GetItemCount(view.hwnd()), static_cast<int>(kRows));
  std::uint64_t totalAfter = 0;
  std::uint64_t previous = UINT64_MAX;
  bool descending = true;
  for (const ResultRow& row : window.rows()) {
    const std::uint64_t size = std::stoull(row.columns[2]);
    descending = descending && size <= previous;
    previous = size;
    totalAfter += size;
  }
  EXPECT_TRUE(descending) << "largest first";
  EXPECT_EQ(totalAfter, totalBefore);
  wchar_t shown[32] = {};
  ListView_GetItemText(view.hwnd(), 0, 2, shown, 32);
  EXPECT_EQ(Utf8Of(shown), window.rows().front().columns[2]) << "the list shows the sorted rows";
  view.Clear();
}

TEST_F(ResultListWindowTest, AFindOnTheRegistryPageKeepsTheFilesOptionsDisabled) {
  MainWindow& window = StartAndAnswer();
  window.RunCommand(app::kCmdSistemKayit);
  ASSERT_FALSE(IsWindowEnabled(window.Control("chkIntCache")));
  window.RunCommand(app::kCmdBul);
  for (const char* box : app::win32::kOptionBoxes) {
    EXPECT_FALSE(IsWindowEnabled(window.Control(box))) << box;
  }
  EXPECT_EQ(app::win32::GetText(window.Control("lblCleanType")), "Registry Cleaning");
  EXPECT_FALSE(IsWindowEnabled(window.Control("lvMorePlaces")));
  EXPECT_EQ(ListView_GetColumnWidth(window.Control("ListView1"), app::win32::kTypeColumn), 0);  // no Type column
  window.resultList().Clear();
  window.RunCommand(app::kCmdDosyalar);
  for (const char* box : app::win32::kOptionBoxes) {
    EXPECT_TRUE(IsWindowEnabled(window.Control(box))) << box;
  }
  EXPECT_TRUE(IsWindowEnabled(window.Control("lvMorePlaces")));
}

// Beside the four options the page offers the further places, each checked; every row shows
// its category in the Type column, and an unchecked place is not searched.
TEST_F(ResultListWindowTest, TheMorePlacesAndTheTypeOfEachRow) {
  wchar_t tempText[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"TEMP", tempText, MAX_PATH), 0U);
  const std::filesystem::path temp = std::filesystem::path(tempText) / "sweepwise-window-test";
  std::filesystem::create_directories(temp);
  WriteFileBytes(temp / "left-by-a-setup.log", "two days old");
  const std::string old = Utf8Of(temp / "left-by-a-setup.log");
  platform::win32::UniqueFileHandle file(
      CreateFileW(Wide(old).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks{{now.dwLowDateTime, now.dwHighDateTime}};
  ticks.QuadPart -= 48ULL * 36'000'000'000ULL;
  const FILETIME twoDaysAgo{ticks.LowPart, ticks.HighPart};
  ASSERT_TRUE(SetFileTime(file.get(), nullptr, &twoDaysAgo, &twoDaysAgo));
  file.reset();
  const std::string temporary = PlantJunk("report.tmp");

  MainWindow& window = StartAndAnswer();
  HWND places = window.Control("lvMorePlaces");
  ASSERT_NE(places, nullptr);
  EXPECT_TRUE(Shown("lvMorePlaces"));
  EXPECT_EQ(TextOf("GroupBox3"), "More places");
  std::vector<std::string> offered;
  for (int i = 0; i < ListView_GetItemCount(places); ++i) {
    wchar_t text[128] = {};
    ListView_GetItemText(places, i, 0, text, 128);
    offered.push_back(app::win32::Utf8(text));
    EXPECT_TRUE(ListView_GetCheckState(places, i)) << offered.back();
  }
  EXPECT_EQ(offered, (std::vector<std::string>{"Recycle Bin", "Temporary folders", "Browser caches", "Crash dumps",
                                               "Error reports", "Thumbnail cache", "Windows Update downloads",
                                               "Programs' cleanup lists", "Windows' own cleanup"}));

  window.RunCommand(app::kCmdBul);
  HWND list = window.Control("ListView1");
  EXPECT_GT(ListView_GetColumnWidth(list, app::win32::kTypeColumn), 0);
  const auto names = ShownColumn(list, 0);
  const auto types = ShownColumn(list, app::win32::kTypeColumn);
  const auto typeOf = [&](const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? std::string("<not listed>") : types[static_cast<std::size_t>(it - names.begin())];
  };
  EXPECT_EQ(typeOf("left-by-a-setup.log"), "Temporary folder");
  EXPECT_EQ(typeOf("report.tmp"), "Temporary file");

  // The user unchecks the temporary folders: the next Find leaves them out.
  ListView_SetCheckState(places, 1, FALSE);
  EXPECT_FALSE(window.morePlaces().IsChecked(files::JunkCategory::kTemporaryFolders));
  window.RunCommand(app::kCmdBul);
  EXPECT_FALSE(Listed(window, old));
  EXPECT_TRUE(Listed(window, temporary));
  std::filesystem::remove_all(temp);
}

TEST_F(ResultListWindowTest, APageChangeAsksBeforeItDropsTheRows) {
  MainWindow& window = StartAndAnswer();
  window.resultList().Add(Row("a.tmp", "C:\\x\\", "1"));
  window.resultList().Add(Row("b.tmp", "C:\\x\\", "2"));
  window.resultList().ShowAdded();

  SetYesNoAnswer(IDNO);
  window.RunCommand(app::kCmdSistemKayit);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text,
            "There exists entries from previous query. Do you want to clear the panel without deleting them ?");
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdDosyalar)) << "No returns to the page of the rows";
  EXPECT_FALSE(window.IsToolbarButtonPressed(app::kCmdSistemKayit));
  EXPECT_EQ(window.rows().size(), 2U);
  EXPECT_EQ(app::win32::GetText(window.Control("lblCleanType")), "Files Cleaning");

  window.RunCommand(app::kCmdDosyalar);
  EXPECT_EQ(ShownMessages().size(), 1U) << "the page's own button never asks";

  SetYesNoAnswer(IDYES);
  window.RunCommand(app::kCmdSistemKayit);
  EXPECT_EQ(ShownMessages().size(), 2U);
  EXPECT_TRUE(window.rows().empty());
  EXPECT_EQ(ListView_GetItemCount(window.Control("ListView1")), 0);
  EXPECT_EQ(app::win32::GetText(window.Control("lblCleanType")), "Registry Cleaning");
}

TEST_F(ResultListWindowTest, AfterADeletionThatQueuedFilesThePageChangeDropsTheRowsWithoutAsking) {
  const std::string held = PlantJunk("held.tmp");
  const platform::win32::UniqueFileHandle handle(
      CreateFileW(Wide(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(handle);
  MainWindow& window = StartAndAnswer();
  window.resultList().Add(ListedRow(*gui_.platform.files, *gui_.platform.system, held));
  window.RunCommand(app::kCmdSil);
  ASSERT_EQ(window.rows().size(), 1U) << "a file in use stays listed";
  ASSERT_EQ(ShownMessages().size(), 2U);  // the confirmation and the restart notice
  EXPECT_NE(ShownMessages()[1].text.find("restarted"), std::string::npos) << ShownMessages()[1].text;

  window.RunCommand(app::kCmdSistemKayit);
  EXPECT_EQ(ShownMessages().size(), 2U) << "no question";
  EXPECT_TRUE(window.rows().empty());
  EXPECT_TRUE(window.IsToolbarButtonPressed(app::kCmdSistemKayit));
  std::filesystem::remove(temp_.path() / "clean.bat");
}

// A file that is no longer the one the Find listed stays, checked, and the window says which
// and why: here a file deleted and made again with the same name, contents and time, which
// only its identity tells apart (the same check catches a folder swapped for a link).
TEST_F(ResultListWindowTest, AFileReplacedSinceTheFindIsKeptAndNamed) {
  const std::string replaced = PlantJunk("replaced.tmp", "same contents");
  const std::string other = PlantJunk("deeper\\other.tmp", "other junk");
  MainWindow& window = StartAndAnswer();
  window.RunCommand(app::kCmdBul);
  ASSERT_TRUE(Listed(window, replaced) && Listed(window, other));
  const auto written = std::filesystem::last_write_time(junk_ / "replaced.tmp");
  std::filesystem::remove(junk_ / "replaced.tmp");
  WriteFileBytes(junk_ / "replaced.tmp", "same contents");
  std::filesystem::last_write_time(junk_ / "replaced.tmp", written);
  ShownMessages().clear();
  window.RunCommand(app::kCmdSil);

  EXPECT_TRUE(std::filesystem::exists(junk_ / "replaced.tmp"));
  EXPECT_FALSE(std::filesystem::exists(junk_ / "deeper" / "other.tmp"));
  EXPECT_TRUE(Listed(window, replaced));
  const auto row = std::find_if(window.rows().begin(), window.rows().end(), [&](const ResultRow& r) {
    return CompareNoCase(r.columns[1] + r.columns[0], replaced) == 0;
  });
  ASSERT_NE(row, window.rows().end());
  EXPECT_TRUE(row->checked);
  const auto told = std::find_if(ShownMessages().begin(), ShownMessages().end(), [&](const auto& message) {
    return message.text.find("no longer the files it listed") != std::string::npos;
  });
  ASSERT_NE(told, ShownMessages().end());
  EXPECT_NE(ToLowerText(told->text).find(ToLowerText(replaced)), std::string::npos) << told->text;
  // The deletion is in the history, made by the Files Cleaning page.
  const std::string log = ProgramFile("history.log");
  EXPECT_NE(log.find("\"origin\":\"Files Cleaning page\""), std::string::npos) << log;
}

// A file system that refuses to open one file, with the error a Windows file system gives
// when a process holds too many files open. Wine has no rights to refuse an open with, so
// the refusal is put in through the platform's file system, which the window's Delete uses.
class RefusingFiles final : public test::ForwardingFileSystem {
 public:
  RefusingFiles(platform::FileSystem& real, std::string refused)
      : ForwardingFileSystem(real), refused_(std::move(refused)) {}
  Result<std::unique_ptr<platform::ListedFile>> OpenListedFile(std::string_view path,
                                                               platform::ListedAccess access) override {
    if (CompareNoCase(path, refused_) == 0) {
      return Error(static_cast<std::uint32_t>(ERROR_TOO_MANY_OPEN_FILES));
    }
    return real_.OpenListedFile(path, access);
  }

 private:
  std::string refused_;
};

// A file the Delete cannot open to check is neither deleted nor told as changed since the
// Find: it stays listed and checked, and the window gives the system's reason and its name.
TEST_F(ResultListWindowTest, AFileThatCannotBeOpenedToBeCheckedStaysWithTheSystemsReason) {
  const std::string unopened = PlantJunk("unopened.tmp");
  const std::string other = PlantJunk("deeper\\other.tmp", "other junk");
  MainWindow& window = StartAndAnswer();
  window.RunCommand(app::kCmdBul);
  ASSERT_TRUE(Listed(window, unopened) && Listed(window, other));
  auto real = std::move(gui_.platform.files);
  gui_.platform.files = std::make_unique<RefusingFiles>(*real, unopened);
  ShownMessages().clear();
  window.RunCommand(app::kCmdSil);
  gui_.platform.files = std::move(real);

  EXPECT_TRUE(std::filesystem::exists(junk_ / "unopened.tmp"));
  EXPECT_FALSE(std::filesystem::exists(junk_ / "deeper" / "other.tmp"));
  const auto row = std::find_if(window.rows().begin(), window.rows().end(), [&](const ResultRow& r) {
    return CompareNoCase(r.columns[1] + r.columns[0], unopened) == 0;
  });
  ASSERT_NE(row, window.rows().end());
  EXPECT_TRUE(row->checked);
  EXPECT_FALSE(Listed(window, other));
  const std::string reason = platform::ErrorMessage(Error(static_cast<std::uint32_t>(ERROR_TOO_MANY_OPEN_FILES)));
  ASSERT_FALSE(reason.empty());
  const auto told = std::find_if(ShownMessages().begin(), ShownMessages().end(), [&](const auto& message) {
    return message.text.find("1 files could not be opened to be checked (" + reason + ")") != std::string::npos;
  });
  ASSERT_NE(told, ShownMessages().end());
  EXPECT_NE(ToLowerText(told->text).find(ToLowerText(unopened)), std::string::npos) << told->text;
  for (const auto& message : ShownMessages()) {
    EXPECT_EQ(message.text.find("no longer the files it listed"), std::string::npos) << message.text;
  }
}

TEST_F(ResultListWindowTest, ColumnClicksSortAndEnterTogglesTheSelectedRows) {
  MainWindow& window = StartAndAnswer();
  for (const char* size : {"900", "10000", "25"}) {
    window.resultList().Add(Row(std::string("f") + size + ".tmp", "C:\\x\\", size));
  }
  HWND list = window.Control("ListView1");
  NMLISTVIEW click{};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = 0;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = 2;
  SendMessageW(window.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(ShownColumn(list, 2), (std::vector<std::string>{"10000", "900", "25"}));

  // A click on the second row's check box unchecks it.
  RECT row{};
  ListView_GetItemRect(list, 1, &row, LVIR_BOUNDS);
  const LPARAM onCheckBox = MAKELPARAM(row.left + 8, (row.top + row.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, onCheckBox);
  SendMessageW(list, WM_LBUTTONUP, 0, onCheckBox);
  DrainMessages();
  EXPECT_FALSE(window.rows()[1].checked) << "a click on the check box reaches the row";
  EXPECT_FALSE(Checked(list, 1));
  EXPECT_TRUE(Checked(list, 0));
  // Enter with all three selected: the first selected row is checked, so all go unchecked.
  for (int i = 0; i < 3; ++i) {
    ListView_SetItemState(list, i, LVIS_SELECTED, LVIS_SELECTED);
  }
  SendMessageW(list, WM_CHAR, L'\r', 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(Checked(list, i)) << i;
    EXPECT_FALSE(window.rows()[static_cast<std::size_t>(i)].checked) << i;
  }
  SendMessageW(list, WM_CHAR, L'\r', 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(Checked(list, i)) << i;
  }
}

}  // namespace
}  // namespace sw::test
