// The real sweepwise.exe as a user starts it: resident in the tray, one instance only, its
// settings saved by Exit, its autorun value written only when missing, and its language
// texts in its string resources.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/command_ids.h"
#include "app/win32/window.h"
#include "core/language.h"
#include "gui/gui_support.h"
#include "support/temp_folder.h"

namespace sw::test {
namespace {

using app::win32::Utf8;
using app::win32::Wide;

std::filesystem::path ProgramBesideTests() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path() / L"sweepwise.exe";
}

struct FoundWindow {
  DWORD processId;
  HWND window = nullptr;
};

// The main window of process `processId`, or null.
HWND MainWindowOf(DWORD processId) {
  FoundWindow found{processId};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& wanted = *reinterpret_cast<FoundWindow*>(context);
        wchar_t className[64] = {};
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        GetClassNameW(window, className, 64);
        if (owner == wanted.processId && std::wstring_view(className) == app::kMainWindowClass) {
          wanted.window = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.window;
}

class Process {
 public:
  Process(const std::filesystem::path& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              program.parent_path().c_str(), &startup, &info_) != FALSE;
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (started_) {
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
      }
      CloseHandle(info_.hThread);
      CloseHandle(info_.hProcess);
    }
  }
  [[nodiscard]] bool started() const { return started_; }
  [[nodiscard]] DWORD id() const { return info_.dwProcessId; }
  // Polls until the start is over (the window is resident); null on time-out.
  HWND WaitUntilResident() const {
    for (int i = 0; i < 600; ++i) {
      HWND window = MainWindowOf(id());
      if (window != nullptr && GetPropW(window, app::kResidentProperty) != nullptr) {
        return window;
      }
      if (Ended(0)) {
        return nullptr;
      }
      Sleep(50);
    }
    return nullptr;
  }
  [[nodiscard]] bool Ended(DWORD milliseconds) const {
    return WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
  }
  [[nodiscard]] DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

class ResidentProgram : public ::testing::Test {
 protected:
  ResidentProgram() {
    std::filesystem::copy_file(ProgramBesideTests(), temp_.path() / L"sweepwise.exe");
    program_ = temp_.path() / L"sweepwise.exe";
    programDir_ = Utf8Of(temp_.path());
  }
  ~ResidentProgram() override {
    // No later start of the prefix may run a copy of the program from a test folder.
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kRunKeyPath, L"SweepwiseAutoRun");
    DeleteRegistryValue(HKEY_CURRENT_USER, kRunKeyPath, L"SweepwiseAutoRun");
  }

  TempFolder temp_;
  std::filesystem::path program_;
  std::string programDir_;
};

TEST_F(ResidentProgram, StartsInTheTrayAndASecondInstanceEndsAtOnce) {
  WriteFileBytes(temp_.path() / "language.txt", "2\r\n17\r\nY\r\n");
  Process first(program_, L"-splash");
  ASSERT_TRUE(first.started());
  HWND window = first.WaitUntilResident();
  ASSERT_NE(window, nullptr) << "the program did not become resident";
  EXPECT_FALSE(IsWindowVisible(window));

  Process second(program_, L"");
  ASSERT_TRUE(second.started());
  ASSERT_TRUE(second.Ended(20000)) << "a second instance must end by itself";
  EXPECT_EQ(second.ExitCode(), 0U);
  EXPECT_EQ(MainWindowOf(second.id()), nullptr);
  EXPECT_FALSE(first.Ended(0));

  PostMessageW(window, WM_COMMAND, app::LanguageCommand(kTurkish), 0);
  PostMessageW(window, WM_COMMAND, app::kCmdExit1, 0);
  ASSERT_TRUE(first.Ended(20000));
  EXPECT_EQ(ReadFileBytes(temp_.path() / "language.txt"), "0\r\n17\r\nY\r\n");
}

// Wine reports Windows 7: on a current Windows the autorun value is the user's own, whatever
// the rights, so that no one else's logon starts Sweepwise.
TEST_F(ResidentProgram, WritesTheAutoRunValueOnlyWhenItIsMissing) {
  const std::string expected = programDir_ + "\\sweepwise.exe";
  DeleteRegistryValue(HKEY_CURRENT_USER, kRunKeyPath, L"SweepwiseAutoRun");
  {
    Process run(program_, L"-splash");
    HWND window = run.WaitUntilResident();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, kRunKeyPath, L"SweepwiseAutoRun"), expected);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kRunKeyPath, L"SweepwiseAutoRun"), "")
        << "a standard user of a current Windows starts Sweepwise for himself only";
    EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, L"Software\\Orvanta\\Sweepwise\\Program", L"Path"), expected);
    PostMessageW(window, WM_COMMAND, app::kCmdExit1, 0);
    ASSERT_TRUE(run.Ended(20000));
  }
  // A value the user changed stays as it is.
  HKEY run = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_SET_VALUE, &run), ERROR_SUCCESS);
  const std::wstring other = L"C:\\other\\place.exe /tray";
  RegSetValueExW(run, L"SweepwiseAutoRun", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                 static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(run);
  {
    Process again(program_, L"-splash");
    HWND window = again.WaitUntilResident();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, kRunKeyPath, L"SweepwiseAutoRun"), Utf8(other));
    PostMessageW(window, WM_COMMAND, app::kCmdExit1, 0);
    ASSERT_TRUE(again.Ended(20000));
  }
  // Without language.txt the start was English, counter 0, alerts off; Exit wrote that.
  EXPECT_EQ(ReadFileBytes(temp_.path() / "language.txt"), "1\r\n0\r\nN\r\n");
}

// "Restart as administrator" starts the copy with "-restarted <id> <page>": the copy waits
// while the instance that started it still runs (the single-instance rule would end it),
// then takes over with its window shown on the page that was open, and reads the settings
// the first one saved at its exit.
TEST_F(ResidentProgram, ARestartedCopyTakesOverOnceTheFirstHasEnded) {
  WriteFileBytes(temp_.path() / "language.txt", "1\r\n4\r\nN\r\n");
  Process first(program_, L"-splash");
  HWND firstWindow = first.WaitUntilResident();
  ASSERT_NE(firstWindow, nullptr);
  PostMessageW(firstWindow, WM_COMMAND, app::LanguageCommand(kGerman), 0);

  Process copy(program_, L"-restarted " + std::to_wstring(first.id()) + L" " + std::to_wstring(app::kCmdSoftware));
  ASSERT_TRUE(copy.started());
  Sleep(1500);
  EXPECT_FALSE(copy.Ended(0)) << "the copy must wait for the first, not give way to it";
  EXPECT_EQ(MainWindowOf(copy.id()), nullptr);

  PostMessageW(firstWindow, WM_COMMAND, app::kCmdExit1, 0);
  ASSERT_TRUE(first.Ended(20000));
  HWND copyWindow = copy.WaitUntilResident();
  ASSERT_NE(copyWindow, nullptr) << "the copy did not take over";
  EXPECT_TRUE(IsWindowVisible(copyWindow)) << "the user asked for the window: it comes back shown";
  HWND toolbar = FindWindowExW(copyWindow, nullptr, TOOLBARCLASSNAMEW, nullptr);
  ASSERT_NE(toolbar, nullptr);
  EXPECT_NE(SendMessageW(toolbar, TB_ISBUTTONCHECKED, app::kCmdSoftware, 0), 0) << "the page that was open";
  PostMessageW(copyWindow, WM_COMMAND, app::kCmdExit1, 0);
  ASSERT_TRUE(copy.Ended(20000));
  EXPECT_EQ(ReadFileBytes(temp_.path() / "language.txt"), "3\r\n4\r\nN\r\n")
      << "the copy read the German the first one saved, and saved it again";
}

// Text n of language L is string resource 1000 * L + n of the program, and a text a table
// lacks is no resource at all.
TEST(ProgramResources, HoldEveryLanguageTextUnderItsNumber) {
  HMODULE program = LoadLibraryExW(ProgramBesideTests().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr);
  int present = 0;
  for (int language = 0; language < kLanguageCount; ++language) {
    for (int n = 0; n < kTextCount; ++n) {
      const wchar_t* text = nullptr;
      const int length = LoadStringW(program, static_cast<UINT>(TextResourceId(language, n)),
                                     reinterpret_cast<LPWSTR>(&text), 0);
      const std::string resource = length > 0 ? Utf8(std::wstring_view(text, static_cast<std::size_t>(length))) : "";
      EXPECT_EQ(resource, LanguageText(language, n)) << "language " << language << " text " << n;
      present += length > 0 ? 1 : 0;
    }
  }
  FreeLibrary(program);
  // Eight tables of over a hundred texts each (the numbers no task uses are in none).
  EXPECT_GT(present, 8 * 100);
}

}  // namespace
}  // namespace sw::test
