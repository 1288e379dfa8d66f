// The program entry of sweepwise.exe: one instance, the splash while the main window is
// made, the news sign-up, then the tray and the message loop.

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/program_registration.h"
#include "app/restart_switch.h"
#include "app/win32/main_window.h"
#include "app/win32/news_dialog.h"
#include "app/win32/single_instance.h"
#include "app/win32/splash_window.h"
#include "platform/platform.h"
#include "sysinfo/regain_stream.h"

namespace {

using sw::app::win32::Utf8;

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The arguments after the program's name.
std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> list;
  for (int i = 1; arguments != nullptr && i < count; ++i) {
    list.push_back(Utf8(arguments[i]));
  }
  LocalFree(arguments);
  return list;
}

// An elevated copy waits until the instance that started it has saved its settings and
// ended; the single-instance rule would end this one otherwise. A minute is far more than an
// orderly exit takes; past it, the rule decides as at any start.
void WaitForHandOver(const sw::app::RestartRequest& request) {
  HANDLE previous = OpenProcess(SYNCHRONIZE, FALSE, request.processId);
  if (previous != nullptr) {
    WaitForSingleObject(previous, 60 * 1000);
    CloseHandle(previous);
  }
}

// SWEEPWISE_REGAIN_STAND_IN=1 gives the memory reclaim a block that holds no memory: it goes
// through every step and its progress, so that test runs of the program (the window tests,
// the screenshots) never take a share of the machine's memory.
class StandInRegainStream final : public sw::sysinfo::RegainStream {
 public:
  bool SetSize(std::uint64_t size) override {
    size_ = size;
    position_ = 0;
    return true;
  }
  void Rewind() override { position_ = 0; }
  bool Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() > size_ - position_) {
      return false;
    }
    position_ += bytes.size();
    return true;
  }

 private:
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

sw::sysinfo::RegainStreamFactory RegainStreams() {
  const char* standIn = std::getenv("SWEEPWISE_REGAIN_STAND_IN");
  if (standIn != nullptr && std::string_view(standIn) == "1") {
    return [] { return std::make_unique<StandInRegainStream>(); };
  }
  return sw::sysinfo::MakeHeapRegainStream;
}

int RunMessageLoop(HWND mainWindow) {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(mainWindow, &message)) {
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace sw::app::win32;
  const std::string exePath = Utf8(ModulePath());
  const std::vector<std::string> arguments = Arguments();
  const auto restart = sw::app::ParseRestart(arguments);
  if (restart) {
    WaitForHandOver(*restart);
  }
  // A second instance ends here, before it makes any window: the first one is resident.
  const SingleInstance instance(Wide(sw::app::ApplicationTitle(exePath)));
  if (!instance.isFirst()) {
    return 0;
  }

  AppEnvironment environment;
  environment.exePath = exePath;
  environment.programDir = exePath.substr(0, exePath.find_last_of('\\'));
  environment.firstArgument = arguments.empty() ? std::string() : arguments.front();
  environment.regainStreams = RegainStreams();
  sw::platform::Platform platform = sw::platform::CreateSystemPlatform();
  environment.platform = &platform;

  auto splash = std::make_unique<SplashWindow>();
  // A restart comes back to the window the user left: no splash in between.
  if (environment.firstArgument != "-splash" && !restart && splash->Create()) {
    splash->Show();
  }
  ProcessPendingMessages();  // the splash paints before the slower start-up work

  MainWindow window(environment);
  if (!window.Create()) {
    MessageBoxW(nullptr, L"The main window could not be created.", L"QZ Sweepwise Pro", MB_OK | MB_ICONERROR);
    return 1;
  }
  splash.reset();
  // Only when the connection state says online and it has not been answered yet.
  ShowNewsSignup(platform, window.hwnd());
  if (restart) {
    window.RunCommand(restart->pageCommand);
    window.Show1Click();
  } else {
    window.HideToTray();
  }
  // Tells the programs that drive Sweepwise from outside (tests, screenshots) that the start
  // is over and the window waits in the tray.
  SetPropW(window.hwnd(), sw::app::kResidentProperty, reinterpret_cast<HANDLE>(1));
  return RunMessageLoop(window.hwnd());
}
