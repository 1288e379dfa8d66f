// The update window against the tests' own web server: the offer with the server's texts,
// Next's download with its progress up to the installed update, Cancel during a slow
// download while the main window goes on answering, and Exit during one.

#include "app/win32/update_window.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/command_ids.h"
#include "app/page_headers.h"
#include "app/progress_scale.h"
#include "gui/main_window_fixture.h"

namespace sw::app::win32 {
namespace {

using test::ShownMessages;

constexpr std::size_t kReleaseSize = 150 * 1024 + 77;  // the server's made-up release
constexpr const wchar_t* kUpdateValue = L"sweepwisepro2Update";

// Text of a control of another thread's window, as the user would read it while that
// thread is busy (the read waits until the thread handles its messages).
std::string TextOfWindow(HWND control) {
  wchar_t text[256] = {};
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 30000, &length) == 0) {
    return "<no answer>";
  }
  return Utf8(text);
}

class LoopbackUpdateWindowTest : public test::MainWindowFixture {
 protected:
  LoopbackUpdateWindowTest() : server_(test::TestServer()) {
    if (server_.empty()) {
      ADD_FAILURE() << "SWEEPWISE_TEST_SERVER is not set: run these tests through tests/online/with_update_server.sh";
    }
    WriteProgramFile("version.txt", "3.5\r\n");
    // The key that signs the test server's version files, as a mirror's key beside the program.
    const char* key = std::getenv("SWEEPWISE_TEST_UPDATE_KEY_PEM");
    WriteProgramFile("update-key.pem", key != nullptr ? key : "");
  }
  ~LoopbackUpdateWindowTest() override {
    // No later log-on of the prefix may run a test's update batch.
    test::DeleteRegistryValue(HKEY_CURRENT_USER, test::kRunOnceKeyPath, kUpdateValue);
    _putenv_s("SWEEPWISE_SERVER", "");
  }

  // The window with the server of `scenario`, and its update check.
  UpdateWindow* Checked(const std::string& scenario) {
    _putenv_s("SWEEPWISE_SERVER", (server_ + "/" + scenario).c_str());
    Start().StartUpdateCheck();
    return window_->updateService().updateWindow();
  }
  void Click(UpdateWindow& update, unsigned button) {
    HWND control = GetDlgItem(update.hwnd(), static_cast<int>(button));
    SendMessageW(update.hwnd(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  }
  static std::string Text(const UpdateWindow& update, std::string_view control) {
    return GetText(update.Control(control));
  }
  static bool Visible(const UpdateWindow& update, std::string_view control) {
    return IsWindowVisible(update.Control(control)) != FALSE;
  }
  static int BarPosition(const UpdateWindow& update) {
    return static_cast<int>(SendMessageW(update.Control("ProgressBar1"), PBM_GETPOS, 0, 0));
  }
  [[nodiscard]] std::string RunOnceValue() const {
    return test::RegistryString(HKEY_CURRENT_USER, test::kRunOnceKeyPath, kUpdateValue);
  }
  // What has come of the release so far (under its temporary name until it is checked).
  [[nodiscard]] std::uintmax_t DownloadSize() const {
    for (const char* name : {"sweepwisepro21.exe", "sweepwisepro21.exe.part"}) {
      const auto file = temp_.path() / name;
      if (std::filesystem::exists(file)) {
        return std::filesystem::file_size(file);
      }
    }
    return 0;
  }
  // A release that comes one block of 1000 bytes a second, 40 in all: the offer of the
  // last check with the server's slow reply as its download address.
  online::UpdateOffer SlowOffer() const {
    online::UpdateOffer offer = window_->updateService().lastCheck()->offer;
    offer.updateSite = server_ + "/t/slow?blocks=40&file=";
    offer.digest.clear();
    return offer;
  }
  void ExpectNothingInstalled() {
    EXPECT_EQ(ProgramFile("update.bat"), "<missing>");
    EXPECT_EQ(RunOnceValue(), "");
    EXPECT_EQ(ProgramFile("version.txt"), "3.5\r\n");
    EXPECT_EQ(DownloadSize(), 0U) << "nothing of the download is left";
  }

  std::string server_;
};

TEST_F(LoopbackUpdateWindowTest, NewerVersionIsOfferedWithTheServersTextsAndTheWindowIsKept) {
  UpdateWindow* update = Checked("newer");
  ASSERT_NE(update, nullptr);
  EXPECT_TRUE(IsWindowVisible(update->hwnd()));
  EXPECT_EQ(GetText(update->hwnd()), "Update");
  EXPECT_NE(GetWindowLongW(update->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "stays on top";
  RECT place{};
  RECT work{};
  GetWindowRect(update->hwnd(), &place);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR(place.left + place.right, work.left + work.right, 2) << "centred";
  EXPECT_NEAR(place.top + place.bottom, work.top + work.bottom, 2) << "centred";

  EXPECT_EQ(Text(*update, "lblPanel"), "Update has been found for QZ Sweepwise Pro");
  EXPECT_EQ(Text(*update, "lblStatus"), "Please click Next to continue updating your software.");
  EXPECT_EQ(Text(*update, "lblVersion"), "3.6");
  EXPECT_EQ(Text(*update, "lblSize"), "150KB");
  EXPECT_EQ(Text(*update, "lblDescription"), "Faster cleaning & a new look");
  EXPECT_EQ(Text(*update, "BitBtn1"), "&Next");
  EXPECT_EQ(Text(*update, "BitBtn2"), "&Cancel");
  EXPECT_TRUE(IsWindowEnabled(update->Control("BitBtn1")));
  EXPECT_FALSE(Visible(*update, "lblDosyaYuklemesi") || Visible(*update, "lblTamamlananYazi"));
  EXPECT_EQ(Text(*update, "lblTamamlanan"), "OKB");

  // Cancel hides it; the next check that finds the update shows the same window again.
  Click(*update, kBitBtn2);
  EXPECT_FALSE(IsWindowVisible(update->hwnd()));
  EXPECT_FALSE(update->closedWithOk());
  window_->StartUpdateCheck();
  EXPECT_EQ(window_->updateService().updateWindow(), update);
  EXPECT_TRUE(IsWindowVisible(update->hwnd()));
  EXPECT_FALSE(update->model().UpdateCancelled()) << "a new check clears the cancellation";
  EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(LoopbackUpdateWindowTest, AnEqualVersionOrAnUnreachableServerShowsNothing) {
  EXPECT_EQ(Checked("equal"), nullptr);
  ASSERT_TRUE(window_->updateService().lastCheck().has_value());
  EXPECT_TRUE(window_->updateService().lastCheck()->reached);
  EXPECT_FALSE(window_->updateService().lastCheck()->offer.newer);
  window_.reset();
  EXPECT_EQ(Checked("no-such-scenario"), nullptr);
  EXPECT_FALSE(window_->updateService().lastCheck()->reached);
  EXPECT_TRUE(ShownMessages().empty()) << "the timer's check never bothers the user";
}

TEST_F(LoopbackUpdateWindowTest, NextDownloadsWithProgressAndInstallsForTheNextLogOn) {
  UpdateWindow* update = Checked("newer");
  ASSERT_NE(update, nullptr);
  Click(*update, kBitBtn1);  // returns once the download has ended
  ASSERT_EQ(update->model().state(), online::UpdateWindowState::Completed) << update->model().lastError();
  EXPECT_TRUE(ShownMessages().empty()) << ShownMessages().front().text;

  EXPECT_EQ(Text(*update, "lblPanel"), "Update is completed.");
  EXPECT_EQ(Text(*update, "lblDosyaYuklemesi"), "File has been downloaded.");
  EXPECT_EQ(Text(*update, "lblStatus"), "Please restart your computer so that installation starts.");
  EXPECT_TRUE(Visible(*update, "lblDosyaYuklemesi") && Visible(*update, "lblTamamlananYazi"));
  EXPECT_EQ(Text(*update, "lblTamamlanan"), "150 of 150KB");
  EXPECT_EQ(Text(*update, "lblPercent"), "100");
  EXPECT_EQ(BarPosition(*update), kProgressScale) << "the finished bar shows full";
  EXPECT_EQ(Text(*update, "BitBtn1"), "Close");
  EXPECT_TRUE(IsWindowEnabled(update->Control("BitBtn1")));

  EXPECT_EQ(DownloadSize(), kReleaseSize);
  EXPECT_TRUE(ProgramFile("update.bat").starts_with("cls\r\n@echo off\r\n")) << ProgramFile("update.bat");
  EXPECT_NE(ProgramFile("update.bat").find("@move \"" + programDir_ + "\\sweepwisepro21.exe\""), std::string::npos);
  EXPECT_EQ(RunOnceValue(), "\"" + programDir_ + "\\update.bat\"");
  EXPECT_TRUE(ProgramFile("version.txt").starts_with("3.6\r\n"));

  Click(*update, kBitBtn1);  // "Close"
  EXPECT_FALSE(IsWindowVisible(update->hwnd()));
  EXPECT_TRUE(update->closedWithOk());
}

// While a release trickles in, a second thread does what a user would: it reads the
// progress, uses the main window (which must answer, the download notwithstanding) and
// presses Cancel. The download ends at its next block, in silence, and its part is deleted.
TEST_F(LoopbackUpdateWindowTest, CancelDuringASlowDownloadWhileTheMainWindowAnswers) {
  UpdateWindow* update = Checked("newer");
  ASSERT_NE(update, nullptr);
  update->Offer(SlowOffer());
  HWND main = window_->hwnd();
  std::atomic<int> barDuringDownload{-1};
  std::string progressText;
  std::string panelAfterCommand;
  std::atomic<bool> mainAnswered{false};
  std::thread user([&] {
    for (int i = 0; i < 600 && barDuringDownload <= 0; ++i) {
      DWORD_PTR position = 0;
      SendMessageTimeoutW(update->Control("ProgressBar1"), PBM_GETPOS, 0, 0, SMTO_NORMAL, 30000, &position);
      barDuringDownload = static_cast<int>(position);
      Sleep(50);
    }
    progressText = TextOfWindow(update->Control("lblTamamlanan"));
    DWORD_PTR ignored = 0;
    mainAnswered = SendMessageTimeoutW(main, WM_COMMAND, kCmdResources, 0, SMTO_NORMAL, 30000, &ignored) != 0;
    panelAfterCommand = TextOfWindow(update->Control("lblPanel"));
    PostMessageW(update->hwnd(), WM_COMMAND, MAKEWPARAM(kBitBtn2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(update->Control("BitBtn2")));
  });
  Click(*update, kBitBtn1);
  user.join();

  EXPECT_GT(barDuringDownload, 0);
  EXPECT_LT(barDuringDownload, kProgressScale);
  EXPECT_TRUE(progressText.ends_with(" of 39KB")) << progressText;
  EXPECT_TRUE(mainAnswered);
  EXPECT_EQ(panelAfterCommand, "Update is processing...") << "the main window answered during the download";
  EXPECT_EQ(TextOf("lblCleanType"), FindMonitorRow("tbtResources")->title);

  EXPECT_TRUE(update->model().UpdateCancelled());
  EXPECT_EQ(update->model().state(), online::UpdateWindowState::Offered);
  EXPECT_FALSE(IsWindowVisible(update->hwnd()));
  EXPECT_TRUE(IsWindowEnabled(update->Control("BitBtn1"))) << "Next can try again";
  ExpectNothingInstalled();
  EXPECT_TRUE(ShownMessages().empty()) << ShownMessages().front().text;
}

// The tray's Exit while the release comes in: the program ends, the download with it.
TEST_F(LoopbackUpdateWindowTest, ExitDuringADownloadEndsIt) {
  UpdateWindow* update = Checked("newer");
  ASSERT_NE(update, nullptr);
  update->Offer(SlowOffer());
  std::thread user([&] {
    for (int i = 0; i < 600 && DownloadSize() == 0; ++i) {
      Sleep(50);
    }
    PostMessageW(window_->hwnd(), WM_COMMAND, kCmdExit1, 0);
  });
  Click(*update, kBitBtn1);
  user.join();
  EXPECT_EQ(window_->hwnd(), nullptr) << "Exit destroyed the main window";
  EXPECT_FALSE(IsWindowVisible(update->hwnd()));
  EXPECT_LT(DownloadSize(), 40000U);
  EXPECT_EQ(ProgramFile("update.bat"), "<missing>");
  EXPECT_EQ(RunOnceValue(), "");
  EXPECT_EQ(ProgramFile("version.txt"), "3.5\r\n");
}

// What the window tells when the update cannot go on: a release that is not what the signed
// digest says, and a second update while a release waits for the next log-on. The window
// goes back to its offer each time, and nothing more is installed.
TEST_F(LoopbackUpdateWindowTest, FailuresAreToldAndNothingMoreIsInstalled) {
  UpdateWindow* update = Checked("baddigest");
  ASSERT_NE(update, nullptr);
  Click(*update, kBitBtn1);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text,
            "The downloaded update does not match its published SHA-256 digest. The download has been deleted; "
            "nothing was installed.");
  EXPECT_EQ(ShownMessages()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(Text(*update, "BitBtn1"), "&Next");
  EXPECT_TRUE(IsWindowEnabled(update->Control("BitBtn1")));
  ExpectNothingInstalled();

  window_.reset();
  update = Checked("newer");
  ASSERT_NE(update, nullptr);
  Click(*update, kBitBtn1);
  ASSERT_EQ(update->model().state(), online::UpdateWindowState::Completed) << update->model().lastError();
  const std::string waiting = ProgramFile("sweepwisepro21.exe");
  window_.reset();
  WriteProgramFile("version.txt", "3.5\r\n");
  update = Checked("newest");
  ASSERT_NE(update, nullptr);
  Click(*update, kBitBtn1);
  ASSERT_EQ(ShownMessages().size(), 2U);
  EXPECT_TRUE(ShownMessages()[1].text.starts_with("An update already waits for the next log-on (" + programDir_ +
                                                  "\\sweepwisepro21.exe); it is left as it is."))
      << ShownMessages()[1].text;
  EXPECT_EQ(ProgramFile("sweepwisepro21.exe"), waiting);
  EXPECT_EQ(ProgramFile("sweepwisepro21.exe.part"), "<missing>");
  EXPECT_EQ(RunOnceValue(), "\"" + programDir_ + "\\update.bat\"");
}

// The About page's Update runs the timer's check at once and says what came of it.
TEST_F(LoopbackUpdateWindowTest, AboutPageUpdateChecksNowAndSaysWhatCameOfIt) {
  _putenv_s("SWEEPWISE_SERVER", (server_ + "/equal").c_str());
  MainWindow& window = Start();
  window.RunCommand(kCmdInformation);
  SendMessageW(window.Control("btnUpdate"), BM_CLICK, 0, 0);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, "You have the latest version.");
  EXPECT_EQ(ShownMessages()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(window.updateService().updateWindow(), nullptr);

  window_.reset();
  _putenv_s("SWEEPWISE_SERVER", (server_ + "/unsigned").c_str());
  Start().RunCommand(kCmdInformation);
  SendMessageW(window_->Control("btnUpdate"), BM_CLICK, 0, 0);
  ASSERT_EQ(ShownMessages().size(), 2U);
  EXPECT_EQ(ShownMessages()[1].text, "The version file from the server is not signed; nothing is offered.");
  EXPECT_EQ(ShownMessages()[1].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));

  window_.reset();
  _putenv_s("SWEEPWISE_SERVER", (server_ + "/newer").c_str());
  Start().RunCommand(kCmdInformation);
  SendMessageW(window_->Control("btnUpdate"), BM_CLICK, 0, 0);
  EXPECT_EQ(ShownMessages().size(), 2U) << "an offer shows the update window, no message";
  ASSERT_NE(window_->updateService().updateWindow(), nullptr);
  EXPECT_TRUE(IsWindowVisible(window_->updateService().updateWindow()->hwnd()));
}

}  // namespace
}  // namespace sw::app::win32
