// sweepwise-window-driver.exe: drives a running Sweepwise from outside, as a person at the
// tray and the toolbar would, for the window tests and the screenshot script.
//
//   sweepwise-window-driver.exe STEP...
//     wait           wait (up to 60 s) until Sweepwise is resident and its window answers
//     show           the tray menu's Show
//     tray-menu      opens the tray icon's menu (a right click on the icon)
//     escape         presses Escape (closes an open menu)
//     exit           the tray menu's Exit, then wait until the process has ended
//     page NAME      files, registry, software, memory, tweaks, cpu, drive, folders, about
//     tab N          selects tab N of the page's tab control, as a click on it would
//     ask-page NAME  the same, when the page will ask first (answer the question next)
//     language NAME  turkish or english, through the Language menu
//     find           Find of the current page; returns when it has ended
//     delete         Delete of the current page, without waiting (it asks first)
//     check-first    checks the first row of the result list, as Home and the space bar do
//     check-row N    checks row N (from 0) of the result list, as Home, N times Down and space do
//     sort N         clicks the heading of column N (from 0) of the result list, and waits a moment
//     stop           presses Stop ("Stop waiting" while an uninstall waits), without waiting
//     wait-stop      waits (up to 60 s) until the Stop button is on show
//     answer BUTTON  presses yes, no or ok in the message box Sweepwise shows (waits for it)
//     secure         presses the secure (backup) toolbar button
//     last-row       scrolls the result list to its last row
//     sleep MS
//     memory         print the process's private bytes
//     gone           fail unless no main window exists
//     shortcut LINK TARGET   saves a shortcut (through the shell's link object), for demo data
//     append FILE TEXT       appends TEXT and a line end to FILE (a stand-in uninstaller's log)
//     update-check   the update check now, as the memory timer starts it; returns when it has ended
//     update NAME    presses next or cancel in Sweepwise's update window
//     about-update   presses the About page's Update, without waiting (it may show a message)
//     signup SERVER  shows the news sign-up dialog (in this process, with SERVER as the vendor's
//                    server) until it is answered; the program start shows it only when online
//     signup-later   presses "Remind Me Later" in the sign-up dialog on screen
//     version FILE           prints the file's version resource (FileVersion and ProductVersion)
//     windows                prints the titles of the visible top-level windows
//     press TITLE            waits (up to 60 s) for a top-level window titled TITLE and presses
//                            its default button (an installer's Next, Uninstall, Close)

#include <windows.h>

#include <commctrl.h>
#include <objidl.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_ids.h"
#include "app/win32/news_dialog.h"
#include "app/win32/update_window.h"
#include "online/win32/window_dispatcher.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace {

using namespace sw::app;

HWND MainWindow() {
  return FindWindowW(kMainWindowClass, nullptr);
}

bool WaitForWindow() {
  for (int i = 0; i < 600; ++i) {
    HWND window = MainWindow();
    DWORD_PTR answer = 0;
    if (window != nullptr && GetPropW(window, kResidentProperty) != nullptr &&
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0) {
      return true;
    }
    Sleep(100);
  }
  return false;
}

bool Send(unsigned command) {
  HWND window = MainWindow();
  if (window == nullptr) {
    std::fwprintf(stderr, L"no Sweepwise window\n");
    return false;
  }
  SendMessageW(window, WM_COMMAND, command, 0);
  return true;
}

// The tray icon's context menu, as a right click on the icon opens it, near the screen's
// bottom right corner where the notification area is.
bool OpenTrayMenu() {
  HWND window = MainWindow();
  const int x = GetSystemMetrics(SM_CXSCREEN) - 40;
  const int y = GetSystemMetrics(SM_CYSCREEN) - 40;
  PostMessageW(window, kTrayCallbackMessage, MAKEWPARAM(x, y), WM_CONTEXTMENU);
  Sleep(500);
  return window != nullptr;
}

// Escape, as a person presses it: closes an open menu.
bool PressEscape() {
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, keys, sizeof(INPUT)) == 2;
}

bool ExitAndWait() {
  HWND window = MainWindow();
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  PostMessageW(window, WM_COMMAND, kCmdExit1, 0);
  const bool ended = process != nullptr && WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
  if (process != nullptr) {
    CloseHandle(process);
  }
  return ended;
}

bool PrintMemory() {
  DWORD processId = 0;
  GetWindowThreadProcessId(MainWindow(), &processId);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  const bool read =
      process != nullptr &&
      GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
  if (read) {
    std::wprintf(L"private bytes: %llu (%.1f MB), working set: %llu\n",
                 static_cast<unsigned long long>(counters.PrivateUsage), counters.PrivateUsage / 1048576.0,
                 static_cast<unsigned long long>(counters.WorkingSetSize));
  }
  if (process != nullptr) {
    CloseHandle(process);
  }
  return read;
}

// Find runs inside the command's handler, so the sent message returns when Find has ended.
bool FindAndWait() {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(MainWindow(), WM_COMMAND, kCmdBul, 0, SMTO_NORMAL, 600000, &answer) != 0;
}

// The first child of the main window that `wanted` takes; null when none.
HWND ChildWhere(bool (*wanted)(HWND)) {
  struct Search {
    bool (*wanted)(HWND);
    HWND found;
  } search{wanted, nullptr};
  EnumChildWindows(
      MainWindow(),
      [](HWND child, LPARAM data) -> BOOL {
        auto& state = *reinterpret_cast<Search*>(data);
        if (!state.wanted(child)) {
          return TRUE;
        }
        state.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool HasClass(HWND window, const wchar_t* className) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return std::wcscmp(name, className) == 0;
}

// The result list: the window's one list view that asks for its rows (LVS_OWNERDATA); a page
// may have small lists of options too.
HWND ResultList() {
  return ChildWhere([](HWND child) {
    return HasClass(child, WC_LISTVIEWW) && (GetWindowLongW(child, GWL_STYLE) & LVS_OWNERDATA) != 0;
  });
}

bool ShowLastRow() {
  HWND list = ResultList();
  const auto rows = list == nullptr ? 0 : SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  return rows > 0 && SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(rows - 1), FALSE) != 0;
}

// A click on the heading of column `column` of the result list, as the mouse makes it, in the
// middle of the column by the widths the list gives (a header's item rectangles cannot be
// asked for from another process), and the sort it starts given time to end.
bool SortBy(int column) {
  HWND list = ResultList();
  HWND header = list == nullptr ? nullptr : reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  if (header == nullptr || column < 0 || column >= SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) {
    return false;
  }
  RECT bounds{};
  GetClientRect(header, &bounds);
  int left = 0;
  for (int i = 0; i < column; ++i) {
    left += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
  }
  const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
  const LPARAM middle = MAKELPARAM(left + width / 2, bounds.bottom / 2);
  PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  PostMessageW(header, WM_LBUTTONUP, 0, middle);
  Sleep(500);
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
}

// The focus message selects a tab the way a click does, with its change notifications, and
// carries no pointer, so it works from another process.
bool SelectTab(const wchar_t* number) {
  HWND tabs = ChildWhere([](HWND child) { return HasClass(child, WC_TABCONTROLW) && IsWindowVisible(child) != FALSE; });
  const int tab = _wtoi(number);
  if (tabs == nullptr || tab < 0 || tab >= SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)) {
    std::fwprintf(stderr, L"no tab %ls on screen\n", number);
    return false;
  }
  SendMessageW(tabs, TCM_SETCURFOCUS, tab, 0);
  return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == tab;
}

// The message box of Sweepwise's process (a dialog of the class "#32770").
HWND MessageBoxOfSweepwise() {
  DWORD sweepwise = 0;
  GetWindowThreadProcessId(MainWindow(), &sweepwise);
  HWND dialog = nullptr;
  while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(dialog, &owner);
    if (owner == sweepwise && IsWindowVisible(dialog)) {
      return dialog;
    }
  }
  return nullptr;
}

bool Answer(const std::wstring& button) {
  const std::map<std::wstring, int> buttons{{L"yes", IDYES}, {L"no", IDNO}, {L"ok", IDOK}};
  if (buttons.count(button) == 0) {
    return false;
  }
  for (int i = 0; i < 300; ++i) {
    if (HWND dialog = MessageBoxOfSweepwise(); dialog != nullptr) {
      PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(buttons.at(button)), 0);
      // Back once the box is gone and the handler that asked has run on.
      while (IsWindow(dialog)) {
        Sleep(20);
      }
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 600000, &answer);
      return true;
    }
    Sleep(100);
  }
  return false;
}

bool PressSecureButton() {
  HWND toolbar = FindWindowExW(MainWindow(), nullptr, L"ToolbarWindow32", nullptr);
  return toolbar != nullptr && SendMessageW(toolbar, TB_CHECKBUTTON, kCmdBackup, TRUE) != 0;
}

bool SaveShortcut(const wchar_t* link, const wchar_t* target) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    return false;
  }
  bool saved = false;
  {
    sw::platform::win32::ComPtr<IShellLinkW> shellLink;
    sw::platform::win32::ComPtr<IPersistFile> file;
    saved = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(shellLink.put()))) &&
            SUCCEEDED(shellLink.get()->SetPath(target)) &&
            SUCCEEDED(shellLink.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) &&
            SUCCEEDED(file.get()->Save(link, TRUE));
  }
  CoUninitialize();
  return saved;
}

bool AppendLine(const wchar_t* file, const wchar_t* text) {
  FILE* out = _wfopen(file, L"ab");
  if (out == nullptr) {
    return false;
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  utf8.resize(std::strlen(utf8.c_str()));
  const bool written = std::fprintf(out, "%s\r\n", utf8.c_str()) > 0;
  return std::fclose(out) == 0 && written;
}

// A window of `className` that belongs to Sweepwise's process.
HWND WindowOfSweepwise(const wchar_t* className) {
  DWORD sweepwise = 0;
  GetWindowThreadProcessId(MainWindow(), &sweepwise);
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == sweepwise) {
      return window;
    }
  }
  return nullptr;
}

// The check runs inside the command's handler, so the sent message returns when it has ended.
bool CheckForUpdateAndWait() {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(MainWindow(), WM_COMMAND, kCmdUpdateCheck, 0, SMTO_NORMAL, 120000, &answer) != 0;
}

// Posted: Next returns only when its download has ended.
bool PressUpdateButton(const std::wstring& name) {
  const unsigned button = name == L"next" ? win32::kBitBtn1 : win32::kBitBtn2;
  HWND update = WindowOfSweepwise(win32::kUpdateWindowClass);
  return update != nullptr && (name == L"next" || name == L"cancel") &&
         PostMessageW(update, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(update, static_cast<int>(button)))) != FALSE;
}

bool ShowSignup(const wchar_t* server) {
  sw::platform::Platform platform = sw::platform::CreateSystemPlatform();
  sw::online::win32::WindowDispatcher dispatcher;
  const sw::online::OnlineContext context{platform, dispatcher, sw::platform::win32::FromWide(server)};
  win32::NewsDialog dialog(context);
  if (!dialog.Create(nullptr)) {
    return false;
  }
  (void)dialog.RunModal();
  return true;
}

bool PressRemindMeLater() {
  for (int i = 0; i < 300; ++i) {
    if (HWND dialog = FindWindowW(win32::kNewsDialogClass, nullptr); dialog != nullptr && IsWindowVisible(dialog)) {
      return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(win32::kCancelBtn, BN_CLICKED), 0) != FALSE;
    }
    Sleep(100);
  }
  return false;
}

// "FILEVERSION a.b.c.d / ProductVersion text" of a program's version resource.
bool PrintVersion(const wchar_t* file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
  std::vector<std::uint8_t> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  wchar_t* product = nullptr;
  UINT productSize = 0;
  if (size == 0 || !GetFileVersionInfoW(file, 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
      !VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", reinterpret_cast<void**>(&product),
                      &productSize)) {
    return false;
  }
  std::wprintf(L"%u.%u.%u.%u %ls\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
               HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS), product);
  return true;
}

BOOL CALLBACK PrintTitle(HWND window, LPARAM) {
  wchar_t title[256] = {};
  if (IsWindowVisible(window) && GetWindowTextW(window, title, 256) > 0) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    std::wprintf(L"%ls [%ls]\n", title, className);
  }
  return TRUE;
}

// The visible top-level window whose title begins with `title` (installers pad theirs).
HWND WindowTitled(const std::wstring& title) {
  struct Search {
    std::wstring title;
    HWND found = nullptr;
  } search{title};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t text[256] = {};
        if (IsWindowVisible(window) && GetWindowTextW(window, text, 256) > 0 &&
            std::wstring_view(text).starts_with(s.title)) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool PressDefaultButton(const wchar_t* title) {
  for (int i = 0; i < 600; ++i) {
    HWND window = WindowTitled(title);
    if (window != nullptr && IsWindowEnabled(GetDlgItem(window, IDOK))) {
      Sleep(300);  // the page is drawn and its button ready
      PostMessageW(window, WM_COMMAND, IDOK, 0);
      Sleep(500);
      return true;
    }
    Sleep(100);
  }
  return false;
}

// The first child of the main window of class `className`, searched through every level.
HWND ChildOfClass(const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    HWND found = nullptr;
  } search{className};
  EnumChildWindows(
      MainWindow(),
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (_wcsicmp(name, s.className) == 0) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Chooses the first drive of the Folder Usage selector; back once its chart is measured.
bool ChartFirstDrive() {
  HWND combo = FindWindowExW(GetParent(ChildOfClass(L"SweepwisePieChart")), nullptr, L"ComboBox", nullptr);
  if (combo == nullptr) {
    return false;
  }
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  SendMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  return true;
}

// Chooses the first drive of the Folder Usage selector and presses Stop `milliseconds` after
// its measuring began; back once the measuring has ended, its partial chart on show.
bool ChartFirstDriveAndStop(const wchar_t* milliseconds) {
  HWND combo = FindWindowExW(GetParent(ChildOfClass(L"SweepwisePieChart")), nullptr, L"ComboBox", nullptr);
  if (combo == nullptr) {
    return false;
  }
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  PostMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  for (int i = 0; i < 100 && IsWindowEnabled(combo); ++i) {
    Sleep(20);  // the measuring disables the selector while it runs
  }
  Sleep(static_cast<DWORD>(_wtoi(milliseconds)));
  PostMessageW(MainWindow(), WM_COMMAND, kCmdStop, 0);
  for (int i = 0; i < 3000 && !IsWindowEnabled(combo); ++i) {
    Sleep(20);
  }
  Sleep(300);  // the chart repainted
  return IsWindowEnabled(combo) != FALSE;
}

// A mouse message at `degrees` counter-clockwise from the right, a quarter of the chart's
// smaller side from its centre: inside the pie, on the slice that covers that angle (the
// largest slice starts at 0 degrees).
bool ChartMouse(UINT message, double degrees) {
  HWND chart = ChildOfClass(L"SweepwisePieChart");
  if (chart == nullptr) {
    return false;
  }
  RECT client{};
  GetClientRect(chart, &client);
  const double radius = std::min(client.right, client.bottom) / 4.0;
  const double radians = degrees * 3.14159265358979 / 180.0;
  const int x = client.right / 2 + static_cast<int>(radius * std::cos(radians));
  const int y = client.bottom / 2 - static_cast<int>(radius * std::sin(radians));
  const WPARAM keys = message == WM_MOUSEMOVE ? 0 : MK_LBUTTON;
  SendMessageW(chart, message, keys, MAKELPARAM(x, y));
  if (message == WM_LBUTTONDBLCLK) {
    SendMessageW(chart, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  return true;
}

const std::map<std::wstring, unsigned> kPages{
    {L"files", kCmdDosyalar}, {L"registry", kCmdSistemKayit}, {L"software", kCmdSoftware},
    {L"memory", kCmdMemory},  {L"tweaks", kCmdAdvanced},      {L"cpu", kCmdResources},
    {L"drive", kCmdDrive1},   {L"folders", kCmdFolders},      {L"about", kCmdInformation},
};
const std::map<std::wstring, unsigned> kLanguages{{L"turkish", LanguageCommand(0)}, {L"english", LanguageCommand(1)}};

// The first row of the result list selected and its check turned over, as the keyboard does.
bool CheckRow(int row) {
  HWND list = ResultList();
  if (list == nullptr || row < 0 || SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) <= row) {
    return false;
  }
  SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
  SendMessageW(list, WM_KEYUP, VK_HOME, 0);
  for (int i = 0; i < row; ++i) {
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(list, WM_KEYUP, VK_DOWN, 0);
  }
  SendMessageW(list, WM_CHAR, L' ', 0);
  return true;
}

bool WaitForStopButton() {
  for (int i = 0; i < 600; ++i) {
    struct Search {
      HWND found = nullptr;
    } search;
    EnumChildWindows(
        MainWindow(),
        [](HWND window, LPARAM data) -> BOOL {
          wchar_t text[32] = {};
          GetWindowTextW(window, text, 32);
          if (IsWindowVisible(window) && std::wstring_view(text).starts_with(L"Stop")) {
            reinterpret_cast<Search*>(data)->found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      Sleep(300);  // the status bar says what is waited for
      return true;
    }
    Sleep(100);
  }
  return false;
}

bool RunStep(const std::wstring& step, const wchar_t* argument) {
  if (step == L"wait")
    return WaitForWindow();
  if (step == L"show")
    return Send(kCmdShow1);
  if (step == L"tray-menu")
    return OpenTrayMenu();
  if (step == L"escape")
    return PressEscape();
  if (step == L"exit")
    return ExitAndWait();
  if (step == L"memory")
    return PrintMemory();
  if (step == L"gone")
    return MainWindow() == nullptr;
  if (step == L"find")
    return FindAndWait();
  if (step == L"delete")
    return PostMessageW(MainWindow(), WM_COMMAND, kCmdSil, 0) != FALSE;
  if (step == L"check-first")
    return CheckRow(0);
  if (step == L"check-row" && argument != nullptr)
    return CheckRow(_wtoi(argument));
  if (step == L"sort" && argument != nullptr)
    return SortBy(_wtoi(argument));
  if (step == L"stop")
    return PostMessageW(MainWindow(), WM_COMMAND, kCmdStop, 0) != FALSE;
  if (step == L"wait-stop")
    return WaitForStopButton();
  if (step == L"secure")
    return PressSecureButton();
  if (step == L"last-row")
    return ShowLastRow();
  if (step == L"windows")
    return EnumWindows(&PrintTitle, 0) != FALSE;
  if (step == L"version" && argument != nullptr)
    return PrintVersion(argument);
  if (step == L"press" && argument != nullptr)
    return PressDefaultButton(argument);
  if (step == L"answer" && argument != nullptr)
    return Answer(argument);
  if (step == L"chart-drive")
    return ChartFirstDrive();
  if (step == L"chart-stop" && argument != nullptr)
    return ChartFirstDriveAndStop(argument);
  if (step == L"chart-descend")
    return ChartMouse(WM_LBUTTONDOWN, 20) && ChartMouse(WM_LBUTTONUP, 20) && ChartMouse(WM_LBUTTONDBLCLK, 20);
  if (step == L"chart-hover")
    return ChartMouse(WM_MOUSEMOVE, 200);
  if (step == L"tab" && argument != nullptr)
    return SelectTab(argument);
  if (step == L"update-check")
    return CheckForUpdateAndWait();
  if (step == L"update" && argument != nullptr)
    return PressUpdateButton(argument);
  if (step == L"about-update")
    return PostMessageW(MainWindow(), WM_COMMAND, kCmdUpdate, 0) != FALSE;
  if (step == L"signup" && argument != nullptr)
    return ShowSignup(argument);
  if (step == L"signup-later")
    return PressRemindMeLater();
  if (step == L"sleep" && argument != nullptr) {
    Sleep(static_cast<DWORD>(std::wcstoul(argument, nullptr, 10)));
    return true;
  }
  const auto& table = step == L"page" ? kPages : kLanguages;
  if ((step == L"page" || step == L"language") && argument != nullptr && table.count(argument) != 0) {
    return Send(table.at(argument));
  }
  if (step == L"ask-page" && argument != nullptr && kPages.count(argument) != 0) {
    return PostMessageW(MainWindow(), WM_COMMAND, kPages.at(argument), 0) != FALSE;
  }
  std::fwprintf(stderr, L"unknown step: %ls\n", step.c_str());
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring step = argv[i];
    if (step == L"shortcut" || step == L"append") {
      const bool done = i + 2 < argc && (step == L"shortcut" ? SaveShortcut(argv[i + 1], argv[i + 2])
                                                             : AppendLine(argv[i + 1], argv[i + 2]));
      if (!done) {
        std::fwprintf(stderr, L"step failed: %ls\n", step.c_str());
        return 1;
      }
      i += 2;
      continue;
    }
    const bool takesArgument = step == L"page" || step == L"ask-page" || step == L"language" || step == L"sleep" ||
                               step == L"chart-stop" || step == L"check-row" || step == L"sort" ||
                               step == L"tab" || step == L"answer" || step == L"update" || step == L"signup" ||
                               step == L"version" || step == L"press";
    const wchar_t* argument = takesArgument && i + 1 < argc ? argv[++i] : nullptr;
    if (!RunStep(step, argument)) {
      std::fwprintf(stderr, L"step failed: %ls\n", step.c_str());
      return 1;
    }
  }
  return 0;
}
