// The window's rights as a user meets them. Windows up to XP warn once per start, as always.
// A current Windows says it in the status bar and offers "Restart as administrator" in the
// tray menu and the main menu, which starts an elevated copy and ends this instance. Wine has
// no User Account Control: the rights are the test's answer (OverriddenSystem), and the
// elevated start is recorded by a stand-in for the platform's program starts.

#include <windows.h>

#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "app/win32/main_window.h"
#include "gui/gui_support.h"
#include "gui/main_window_fixture.h"
#include "platform/host/host_system.h"

namespace sw::app::win32 {
namespace {

using platform::VersionRecord;
using test::ShownMessages;

constexpr VersionRecord kWindowsXp{platform::kPlatformNt, 5, 1, 2600};
constexpr VersionRecord kWindows10{platform::kPlatformNt, 10, 0, 19045};

class RightsTest : public test::MainWindowFixture {
 protected:
  RightsTest() {
    auto processes = std::make_unique<platform::host::RecordingProcesses>();
    processes_ = processes.get();
    gui_.platform.processes = std::move(processes);
    gui_.system->admin = false;
    test::DeleteRegistryValue(HKEY_CURRENT_USER, test::kRunKeyPath, L"SweepwiseAutoRun");
  }

  [[nodiscard]] bool MainMenuOffersTheRestart() const {
    return GetMenuState(GetMenu(window_->hwnd()), kCmdRestartElevated, MF_BYCOMMAND) != static_cast<UINT>(-1);
  }

  platform::host::RecordingProcesses* processes_ = nullptr;
};

TEST_F(RightsTest, WindowsXpWarnsAtTheStartAndRegistersTheUserOnly) {
  gui_.system->version = kWindowsXp;
  MainWindow& window = Start();
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text,
            "Warning : In order to use every features of QZ Sweepwise Pro, you must log on as Administrator or have "
            "admin rights");
  EXPECT_EQ(ShownMessages()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(window.RightsPanelText(), "");
  EXPECT_FALSE(MainMenuOffersTheRestart());
  EXPECT_EQ(test::RegistryString(HKEY_CURRENT_USER, test::kRunKeyPath, L"SweepwiseAutoRun"),
            programDir_ + "\\sweepwise.exe");
  EXPECT_EQ(test::RegistryString(HKEY_CURRENT_USER, L"Software\\Orvanta\\Sweepwise\\Program", L"Path"),
            programDir_ + "\\sweepwise.exe");
  // Shown, the window hands the tweaks button back.
  window.RunCommand(kCmdAdvanced);
  window.RunCommand(kCmdShow1);
  EXPECT_FALSE(window.IsToolbarButtonPressed(kCmdAdvanced));
}

TEST_F(RightsTest, ACurrentWindowsSaysItInTheStatusBarAndOffersTheRestartInsteadOfAWarning) {
  gui_.system->version = kWindows10;
  MainWindow& window = Start();
  EXPECT_TRUE(ShownMessages().empty()) << "a standard user is the rule: no warning at every logon";
  EXPECT_EQ(window.RightsPanelText(), "Without administrator rights");
  EXPECT_TRUE(window.OffersRestartAsAdministrator());
  EXPECT_TRUE(MainMenuOffersTheRestart());
  EXPECT_EQ(test::RegistryString(HKEY_CURRENT_USER, test::kRunKeyPath, L"SweepwiseAutoRun"),
            programDir_ + "\\sweepwise.exe");
}

TEST_F(RightsTest, AnElevatedWindowOffersNoRestart) {
  gui_.system->version = kWindows10;
  gui_.system->admin = true;
  MainWindow& window = Start();
  EXPECT_TRUE(ShownMessages().empty());
  EXPECT_EQ(window.RightsPanelText(), "");
  EXPECT_FALSE(window.OffersRestartAsAdministrator());
  EXPECT_FALSE(MainMenuOffersTheRestart());
}

TEST_F(RightsTest, TheRestartStartsAnElevatedCopyOnTheOpenPageAndEndsThisOne) {
  gui_.system->version = kWindows10;
  WriteProgramFile("language.txt", "3\r\n9\r\nN\r\n");
  MainWindow& window = Start();
  window.RunCommand(kCmdSoftware);
  window.RunCommand(kCmdRestartElevated);
  ASSERT_EQ(processes_->starts().size(), 1U);
  const auto& start = processes_->starts()[0];
  EXPECT_TRUE(start.elevated);
  EXPECT_EQ(start.commandLine, programDir_ + "\\sweepwise.exe -restarted " + std::to_string(GetCurrentProcessId()) +
                                   " " + std::to_string(kCmdSoftware));
  EXPECT_EQ(window.hwnd(), nullptr) << "this instance ends, so that the copy can take over";
  EXPECT_EQ(ProgramFile("language.txt"), "3\r\n9\r\nN\r\n") << "saved before the copy reads it";
}

TEST_F(RightsTest, DeclinedConsentKeepsThisInstanceAsItWas) {
  gui_.system->version = kWindows10;
  processes_->OnStart([](const platform::host::RecordingProcesses::Start&) { return false; });
  MainWindow& window = Start();
  window.RunCommand(kCmdRestartElevated);
  ASSERT_EQ(processes_->starts().size(), 1U);
  ASSERT_NE(window.hwnd(), nullptr);
  EXPECT_EQ(window.StatusText(), "Sweepwise goes on without administrator rights.");
  EXPECT_EQ(ProgramFile("language.txt"), "<missing>") << "nothing was ended";
}

}  // namespace
}  // namespace sw::app::win32
