// Helper program of the Wine tests: the desktop's shell, as Explorer is on Windows.
//   sweepwise-test-shell.exe READY-FILE SECONDS
// Wine's desktop has no shell window of its own. This makes a window and names it the
// desktop's shell window (SetShellWindow, as Explorer does), writes "1" to READY-FILE (or "0"
// when the desktop has a shell window already), and lives until READY-FILE is deleted or
// SECONDS have passed, reading its messages. Started through sweepwise-standard-user.exe, it
// is the shell of a standard user under User Account Control, whose token a program started
// "as the desktop starts programs" gets.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

extern "C" BOOL WINAPI SetShellWindow(HWND window);  // user32, not in the SDK's headers

namespace {

bool WriteReady(const wchar_t* path, bool ok) {
  FILE* file = _wfopen(path, L"wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fputs(ok ? "1" : "0", file) >= 0;
  return std::fclose(file) == 0 && written;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: sweepwise-test-shell.exe READY-FILE SECONDS\n");
    return 2;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"SweepwiseTestShell";
  ::RegisterClassW(&windowClass);
  HWND shell = ::CreateWindowW(L"SweepwiseTestShell", L"Sweepwise test shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
  const bool set = shell != nullptr && ::SetShellWindow(shell) && ::GetShellWindow() == shell;
  if (!WriteReady(argv[1], set)) {
    return 3;
  }
  const ULONGLONG end = ::GetTickCount64() + 1000ULL * std::wcstoul(argv[2], nullptr, 10);
  while (::GetTickCount64() < end && ::GetFileAttributesW(argv[1]) != INVALID_FILE_ATTRIBUTES) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&message);
    }
  }
  ::DestroyWindow(shell);
  return set ? 0 : 1;
}
