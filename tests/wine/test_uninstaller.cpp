// Helper program of the Wine tests: an uninstaller as the Software page starts one.
//   sweepwise-test-uninstaller[-window].exe LOG NAME [--sleep MS] [--remove-key KEY]
//                                                   [--copy-to-temp] [--exit CODE]
// Appends "NAME start T" (T a QueryPerformanceCounter reading, the same clock in every
// process), "NAME pid P", "NAME elevated E" (1 when its token is an elevated one, 0 when
// not), "NAME show S" (the show state it was given), then "NAME end T" to LOG, one line
// each, and ends with CODE (0 unless given), as a failing uninstaller does. Between start and end it runs MS milliseconds (the window build shows a window and
// reads its messages meanwhile) and may delete its own uninstall key, as a well-behaved
// uninstaller does: KEY is a subkey of the uninstall key of the user's root, or an entry's
// source ("HKLM32\{...}"); "NAME found 1" (or 0) says whether the key was still there
// then. With --copy-to-temp it does what most uninstallers do instead: copies itself to the
// temporary folder as NAME-copy.exe, starts the copy with the same request as "NAME-copy",
// logs "NAME handoff T" and ends at once; the copy does the work. Built once for the console
// subsystem and once for the window subsystem.

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "registry/registry_paths.h"
#include "uninstall/software_list.h"

namespace {

struct Request {
  std::wstring log;
  std::string name;
  unsigned sleepMs = 0;
  std::string removeKey;
  bool copyToTemp = false;
  int exitCode = 0;
};

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());  // the tests pass ASCII names only
}

bool Parse(const std::vector<std::wstring>& args, Request& request) {
  if (args.size() < 3) {
    return false;
  }
  request.log = args[1];
  request.name = Narrow(args[2]);
  for (std::size_t i = 3; i < args.size(); ++i) {
    if (args[i] == L"--copy-to-temp") {
      request.copyToTemp = true;
    } else if (i + 1 == args.size()) {
      return false;
    } else if (args[i] == L"--sleep") {
      request.sleepMs = static_cast<unsigned>(std::wcstoul(args[++i].c_str(), nullptr, 10));
    } else if (args[i] == L"--remove-key") {
      request.removeKey = Narrow(args[++i]);
    } else if (args[i] == L"--exit") {
      request.exitCode = static_cast<int>(std::wcstol(args[++i].c_str(), nullptr, 10));
    } else {
      return false;
    }
  }
  return true;
}

bool Append(const Request& request, const std::string& what, long long number) {
  FILE* file = _wfopen(request.log.c_str(), L"ab");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fprintf(file, "%s %s %lld\r\n", request.name.c_str(), what.c_str(), number) > 0;
  return std::fclose(file) == 0 && written;
}

long long Now() {
  LARGE_INTEGER counter{};
  ::QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

#ifdef SWEEPWISE_WINDOW_SUBSYSTEM
// A visible window that lives `ms` milliseconds, reading its messages as an installer's
// wizard would.
void RunWindow(unsigned ms, int show) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"SweepwiseTestUninstaller";
  ::RegisterClassW(&windowClass);
  HWND window =
      ::CreateWindowW(L"SweepwiseTestUninstaller", L"Sweepwise test uninstaller", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  ::ShowWindow(window, show);
  const ULONGLONG end = ::GetTickCount64() + ms;
  for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&message);
    }
  }
  ::DestroyWindow(window);
}
#endif

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring Quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

// The uninstaller's usual first step: a copy of itself in the temporary folder, started with
// the same request, and the original gone at once.
int HandOff(const Request& request) {
  wchar_t self[MAX_PATH];
  wchar_t temp[MAX_PATH];
  if (::GetModuleFileNameW(nullptr, self, MAX_PATH) == 0 || ::GetTempPathW(MAX_PATH, temp) == 0) {
    return 4;
  }
  const std::string copyName = request.name + "-copy";
  const std::wstring copy = std::wstring(temp) + Wide(copyName) + L".exe";
  if (!::CopyFileW(self, copy.c_str(), FALSE)) {
    return 4;
  }
  std::wstring line = Quoted(copy) + L" " + Quoted(request.log) + L" " + Wide(copyName) + L" --sleep " +
                      std::to_wstring(request.sleepMs);
  if (!request.removeKey.empty()) {
    line += L" --remove-key " + Quoted(Wide(request.removeKey));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return 4;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return Append(request, "handoff", Now()) ? 0 : 1;
}

// The key named by --remove-key: an entry's source, or a subkey below the user's root.
bool RemoveKey(const std::string& name, bool& found) {
  sw::platform::win32::Win32Registry registry;
  sw::platform::win32::Win32System system;
  sw::uninstall::EntrySource source{{sw::uninstall::UninstallRoot(system), sw::platform::RegView::Own}, name};
  if (const auto parsed = sw::uninstall::ParseSourceId(name)) {
    source = *parsed;
  }
  auto root = registry.OpenRootView(source.source.root, source.source.view);
  if (!root) {
    return false;
  }
  auto parent = (*root)->Open(sw::uninstall::kUninstallKey, sw::platform::RegAccess::ReadWrite);
  found = parent && (*parent)->Open(source.subkey, sw::platform::RegAccess::Read).has_value();
  return found && sw::reg::DeleteKeyTree(**parent, source.subkey);
}

// 1 when this process's token is an elevated one, 0 when not, -1 when it cannot be read.
int Elevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return -1;
  }
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const BOOL read = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  ::CloseHandle(token);
  return read ? (elevation.TokenIsElevated != 0 ? 1 : 0) : -1;
}

int Run(const std::vector<std::wstring>& args) {
  Request request;
  if (!Parse(args, request) || !Append(request, "start", Now()) ||
      !Append(request, "pid", ::GetCurrentProcessId()) || !Append(request, "elevated", Elevated())) {
    return 2;
  }
  if (request.copyToTemp) {
    return HandOff(request);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoW(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
  Append(request, "show", show);
#ifdef SWEEPWISE_WINDOW_SUBSYSTEM
  RunWindow(request.sleepMs, show < 0 ? SW_SHOWDEFAULT : show);
#else
  ::Sleep(request.sleepMs);
#endif
  if (!request.removeKey.empty()) {
    bool found = false;
    const bool removed = RemoveKey(request.removeKey, found);
    Append(request, "found", found ? 1 : 0);
    if (!removed) {
      return 3;
    }
  }
  return Append(request, "end", Now()) ? request.exitCode : 1;
}

}  // namespace

#ifdef SWEEPWISE_WINDOW_SUBSYSTEM
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  const std::vector<std::wstring> args(argv, argv + count);
  ::LocalFree(argv);
  return Run(args);
}
#else
int wmain(int argc, wchar_t** argv) {
  return Run(std::vector<std::wstring>(argv, argv + argc));
}
#endif
