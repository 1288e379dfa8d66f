// How responsive the window stays during a Find: sweepwise.exe is started resident, its
// window shown, and Find pressed on the Files page while drive C: holds the 200,000-file
// benchmark tree. Meanwhile this program sends the window one message after another and
// times how long each waits before the window's thread handles it: the longest wait is the
// longest gap between processed messages.
//
//   tools/wine-gui-run.sh build/mingw/bench-prefix build/mingw/src/sweepwise-find-latency-bench.exe [FILES]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
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
  std::vector<double> waits;
  while (IsWindowVisible(stop)) {
    const double sent = Now();
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
    waits.push_back(Now() - sent);
    Sleep(2);
  }
  const double seconds = Now() - started;
  PostMessageW(window, WM_COMMAND, sw::app::kCmdExit1, 0);
  WaitForSingleObject(process.hProcess, 20000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::filesystem::remove_all(folder);

  if (waits.empty()) {
    std::fprintf(stderr, "Find did not run\n");
    return 1;
  }
  std::sort(waits.begin(), waits.end());
  std::printf("Find over drive C: took %.2f s; %zu messages sent meanwhile: longest wait %.1f ms, median %.2f ms, "
              "99th percentile %.1f ms\n",
              seconds, waits.size(), waits.back() * 1000, waits[waits.size() / 2] * 1000,
              waits[waits.size() * 99 / 100] * 1000);
  return 0;
}
