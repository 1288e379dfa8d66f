// Start-to-tray time of sweepwise.exe: from CreateProcess until the program is resident (its
// window waits hidden in the tray), best and median of several starts, each from a fresh
// program folder. After each start the program stays resident for a moment, so that
// bench/start_bench.sh can read its memory from the Linux side, then it is ended by Exit.
// Last, the system's Notepad stays up for a moment as a baseline.
//
//   sweepwise-start-bench.exe [RUNS]     (sweepwise.exe is found beside this program)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "resident_program.h"

namespace {

using sw::bench::Now;
using sw::bench::ResidentWindowOf;

// One start; returns the seconds to residence, or a negative number on failure.
double StartOnce(const std::filesystem::path& program) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const double started = Now();
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      program.parent_path().c_str(), &startup, &process)) {
    return -1;
  }
  HWND window = nullptr;
  while ((window = ResidentWindowOf(process.dwProcessId)) == nullptr &&
         WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT && Now() - started < 60) {
  }
  const double seconds = window != nullptr ? Now() - started : -1;
  if (window != nullptr) {
    std::printf("RESIDENT after %.0f ms\n", seconds * 1000);
    std::fflush(stdout);
    Sleep(2000);  // time for the Linux side to read the resident process's memory
    PostMessageW(window, WM_COMMAND, sw::app::kCmdExit1, 0);
  }
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return seconds;
}

// The system's Notepad, a small window program, for the share of memory any window program
// has under this system (Wine's own libraries in its address space).
void ShowBaseline() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring commandLine = std::wstring(system) + L"\\notepad.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return;
  }
  WaitForInputIdle(process.hProcess, 10000);
  Sleep(1000);
  std::printf("BASELINE notepad.exe\n");
  std::fflush(stdout);
  Sleep(2000);
  TerminateProcess(process.hProcess, 0);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path original = std::filesystem::path(self).parent_path() / L"sweepwise.exe";
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"sweepwise-start-bench";
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(original, folder / L"sweepwise.exe");
    const double seconds = StartOnce(folder / L"sweepwise.exe");
    if (seconds < 0) {
      std::fprintf(stderr, "start %d failed\n", run + 1);
      return 1;
    }
    times.push_back(seconds);
  }
  std::filesystem::remove_all(folder);
  ShowBaseline();
  std::sort(times.begin(), times.end());
  std::printf("start to tray over %d starts: best %.0f ms, median %.0f ms\n", runs, times.front() * 1000,
              times[times.size() / 2] * 1000);
  return 0;
}
