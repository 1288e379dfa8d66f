// How responsive the window stays during a Find and while the list holds its rows:
// sweepwise.exe is started resident, its window shown, and Find pressed on the Files page
// while drive C: holds the benchmark tree (C:\files-bench: FILES files, default 200,000, one
// in a hundred a junk name; a tree already there is used as it is, so that
// bench/million_window_bench.sh can plant a million junk files). Meanwhile this program sends
// the window one message after another and times how long each waits before the window's
// thread handles it: the longest wait is the longest gap between processed messages. After
// the Find the list is scrolled through (scroll bar, wheel, repaints), then paged through
// with the keys, to its end and back, the same way, then sorted by clicks on its column
// headings; each is timed on its own.
//
//   tools/wine-gui-run.sh build/mingw/bench-prefix build/mingw/src/sweepwise-find-latency-bench.exe [FILES]

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/command_ids.h"
#include "resident_program.h"
#include "files_bench_tree.h"

namespace {

using sw::bench::Now;
using sw::bench::ResidentWindowOf;

// The Stop button, which shows exactly while Find runs.
HWND StopButtonOf(HWND window) {
  HWND found = nullptr;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM context) -> BOOL {
        if (GetDlgCtrlID(child) == static_cast<int>(sw::app::kCmdStop)) {
          *reinterpret_cast<HWND*>(context) = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The result list: the window's list view with the most rows.
HWND ResultListOf(HWND window) {
  std::pair<HWND, LRESULT> best{nullptr, -1};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM context) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        auto& found = *reinterpret_cast<std::pair<HWND, LRESULT>*>(context);
        const LRESULT rows = std::wstring_view(name) == WC_LISTVIEWW ? SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) : -1;
        if (rows > found.second) {
          found = {child, rows};
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&best));
  return best.first;
}

// How long the window's thread takes to come to a message sent now.
double WaitOfOneMessage(HWND window) {
  DWORD_PTR answer = 0;
  const double sent = Now();
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
  return Now() - sent;
}

// One message's wait, and when it was sent, in seconds from the start of what is timed: the
// time of the longest wait tells which step of the work held the window.
struct Wait {
  double at = 0;
  double seconds = 0;
};

void PrintWaits(const char* what, double seconds, std::vector<Wait> waits) {
  std::sort(waits.begin(), waits.end(), [](const Wait& a, const Wait& b) { return a.seconds < b.seconds; });
  std::printf("%s took %.2f s; %zu messages sent meanwhile: longest wait %.1f ms (at %.2f s), median %.2f ms, "
              "99th percentile %.1f ms\n",
              what, seconds, waits.size(), waits.back().seconds * 1000, waits.back().at,
              waits[waits.size() / 2].seconds * 1000, waits[waits.size() * 99 / 100].seconds * 1000);
}

// The list as a user goes through it with the keys: page by page, to its end and back to
// its top, while messages keep coming. Each key moves the focus and the selection, which the
// list control keeps itself.
std::vector<Wait> BrowseWithKeys(HWND window, HWND list) {
  const double start = Now();
  std::vector<Wait> waits;
  for (int i = 0; i < 200; ++i) {
    const WPARAM key = i % 100 == 50 ? VK_END : i % 100 == 99 ? VK_HOME : VK_NEXT;
    PostMessageW(list, WM_KEYDOWN, key, 0);
    PostMessageW(list, WM_KEYUP, key, 0);
    waits.push_back({Now() - start, WaitOfOneMessage(window)});
    Sleep(2);
  }
  return waits;
}

// The list sorted by a click on each of its first three column headings, as the mouse clicks
// them: the header's item rectangles cannot be asked for from another process, so the click
// goes to the middle of each column by the widths the list gives. Whether a sort has ended
// cannot be seen from here either, so each click is followed by messages for a time that
// covers a sort of that many rows (10 s a million; a click during a sort would be ignored).
std::vector<Wait> SortByColumns(HWND window, HWND list, LRESULT rows) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT bounds{};
  GetClientRect(header, &bounds);
  const double perClick = std::max(2.0, static_cast<double>(rows) / 100000.0);
  const double start = Now();
  std::vector<Wait> waits;
  int left = 0;
  for (int column = 0; column < 3; ++column) {
    const auto width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    const LPARAM middle = MAKELPARAM(left + width / 2, bounds.bottom / 2);
    left += width;
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(header, WM_LBUTTONUP, 0, middle);
    const double clicked = Now();
    while (Now() - clicked < perClick) {
      waits.push_back({Now() - start, WaitOfOneMessage(window)});
      Sleep(2);
    }
  }
  return waits;
}

// The same with the scroll bar and the mouse wheel, the list repainted now and then: only
// the rows that come into view are asked for.
std::vector<Wait> BrowseByScrolling(HWND window, HWND list) {
  const double start = Now();
  std::vector<Wait> waits;
  for (int i = 0; i < 200; ++i) {
    const WPARAM bar = i % 100 == 50 ? SB_BOTTOM : i % 100 == 99 ? SB_TOP : SB_PAGEDOWN;
    PostMessageW(list, WM_VSCROLL, bar, 0);
    if (i % 10 == 5) {
      // The wheel's distance is a signed word in the high half: three notches down.
      const auto down = static_cast<WORD>(static_cast<SHORT>(-3 * WHEEL_DELTA));
      PostMessageW(list, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<DWORD>(down) << 16U), 0);
    }
    if (i % 20 == 0) {
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    waits.push_back({Now() - start, WaitOfOneMessage(window)});
    Sleep(2);
  }
  return waits;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  sw::bench::EnsureFilesBenchTree(argc > 1 ? std::max(100, _wtoi(argv[1])) : 200000);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"sweepwise-latency-bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(std::filesystem::path(self).parent_path() / L"sweepwise.exe", folder / L"sweepwise.exe");
  const std::filesystem::path program = folder / L"sweepwise.exe";

  std::wstring commandLine = L"\"" + program.wstring() + L"\" -splash";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "sweepwise.exe did not start\n");
    return 1;
  }
  HWND window = nullptr;
  for (int i = 0; i < 3000 && (window = ResidentWindowOf(process.dwProcessId)) == nullptr; ++i) {
    Sleep(10);
  }
  if (window == nullptr) {
    std::fprintf(stderr, "sweepwise.exe did not become resident\n");
    return 1;
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, WM_COMMAND, sw::app::kCmdShow1, 0, SMTO_NORMAL, 10000, &answer);
  HWND stop = StopButtonOf(window);

  PostMessageW(window, WM_COMMAND, sw::app::kCmdBul, 0);
  const double pressed = Now();
  while (!IsWindowVisible(stop) && Now() - pressed < 10) {
    Sleep(1);
  }
  const double started = Now();
  std::vector<Wait> waits;
  while (IsWindowVisible(stop)) {
    waits.push_back({Now() - started, WaitOfOneMessage(window)});
    Sleep(2);
  }
  const double seconds = Now() - started;
  HWND list = ResultListOf(window);
  const LRESULT rows = list != nullptr ? SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
  double browsing = Now();
  const std::vector<Wait> scrollWaits = list != nullptr ? BrowseByScrolling(window, list) : std::vector<Wait>{};
  const double scrolled = Now() - browsing;
  browsing = Now();
  const std::vector<Wait> keyWaits = list != nullptr ? BrowseWithKeys(window, list) : std::vector<Wait>{};
  const double keyed = Now() - browsing;
  browsing = Now();
  const std::vector<Wait> sortWaits = list != nullptr ? SortByColumns(window, list, rows) : std::vector<Wait>{};
  const double sorted = Now() - browsing;
  PostMessageW(window, WM_COMMAND, sw::app::kCmdExit1, 0);
  WaitForSingleObject(process.hProcess, 20000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::filesystem::remove_all(folder);

  if (waits.empty()) {
    std::fprintf(stderr, "Find did not run\n");
    return 1;
  }
  PrintWaits("Find over drive C:", seconds, waits);
  if (scrollWaits.empty() || keyWaits.empty()) {
    std::fprintf(stderr, "no result list\n");
    return 1;
  }
  const std::string browse = "the list of " + std::to_string(rows) + " rows";
  PrintWaits(("Scrolling through " + browse).c_str(), scrolled, scrollWaits);
  PrintWaits(("Paging through " + browse + " with the keys").c_str(), keyed, keyWaits);
  PrintWaits(("Sorting " + browse + " by three columns").c_str(), sorted, sortWaits);
  return 0;
}
