// The update against the tests' own server: the signed version file and what is offered
// when it does not verify, the bounds of the requests (size, deadline, redirects, HTTPS),
// and the update window's Next with the digest check, update.bat, RunOnce and version.txt,
// the release that waits for the next log-on, and the installer started with consent.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <utility>

#include "core/text.h"
#include "history/history_log.h"
#include "online/loopback_fixture.h"
#include "online/update_check.h"
#include "online/update_window_model.h"
#include "platform/host/host_system.h"
#include "registry/registry_paths.h"
#include "support/recording_sink.h"
#include "support/sharing_file_system.h"

namespace sw::online {
namespace {

using platform::RootKey;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr const char* kRunOnceValue = R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\sweepwisepro2Update)";
// The server's made-up release.
constexpr std::size_t kReleaseSize = 150 * 1024 + 77;

std::string Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos ? std::string() : "\"" + text + "\" lacks \"" + std::string(part) + "\"";
}

class LoopbackUpdate : public test::LoopbackFixture {
 protected:
  LoopbackUpdate() {
    // The key that signs the test server's version files, as a mirror's key beside the program.
    const char* key = std::getenv("SWEEPWISE_TEST_UPDATE_KEY_PEM");
    WriteFileBytes(HostProgramFile("update-key.pem"), key != nullptr ? key : "");
    // Seconds, not the shipped minutes, for the servers that stall.
    context_.timeouts = HttpTimeouts{3000, 8000, 4000};
  }

  UpdateCheck Check(std::string_view scenario, std::optional<std::string> installed = "3.5") {
    if (installed) {
      WriteFileBytes(HostProgramFile("version.txt"), *installed + "\r\n");
    } else {
      std::filesystem::remove(HostProgramFile("version.txt"));
    }
    context_.server = TlsUrl("/" + std::string(scenario));
    return CheckForUpdate(context_);
  }

  std::optional<std::string> RunOnce() {
    return reg::RegReadString(*platform_.registry, RootKey::CurrentUser, kRunOnceValue);
  }
  bool Exists(std::string_view name) { return std::filesystem::exists(HostProgramFile(name)); }
};

TEST_F(LoopbackUpdate, SignedNewerVersionIsOfferedWithTheServersTexts) {
  const UpdateCheck check = Check("newer");
  ASSERT_TRUE(check.reached) << check.error;
  EXPECT_TRUE(check.Offered()) << check.error;
  const UpdateOffer& offer = check.offer;
  EXPECT_EQ(offer.currentVersion, "3.5");
  EXPECT_EQ(offer.newVersion, "3.6");
  EXPECT_EQ(offer.productName, "QZ Sweepwise Pro");
  EXPECT_EQ(offer.sizeKb, "150");
  EXPECT_EQ(offer.description, "Faster cleaning & a new look");
  EXPECT_EQ(offer.digest.size(), 64U);
  EXPECT_EQ(offer.updateSite, TlsUrl("/newer/release/"));
  EXPECT_EQ(offer.ReleaseUrl(), TlsUrl("/newer/release/sweepwisepro2.exe"));
  EXPECT_EQ(offer.DownloadPath(), ProgramFile("sweepwisepro21.exe"));
  EXPECT_EQ(ReadFileBytes(HostProgramFile("versiyonyeni.txt")), offer.versionFile);
  EXPECT_TRUE(offer.versionFile.starts_with("3.6\r\n"));
  EXPECT_EQ(NothingOfferedText(check), "");
}

TEST_F(LoopbackUpdate, VersionsCompareNumberByNumber) {
  EXPECT_TRUE(Check("ten", "9.0").offer.newer);
  EXPECT_FALSE(Check("equal").offer.newer);
  EXPECT_EQ(NothingOfferedText(Check("equal")), "You have the latest version.");
  EXPECT_FALSE(Check("older").offer.newer);
  EXPECT_FALSE(Check("newer", "3.10").offer.newer);
  // No version.txt: anything above 0 is newer.
  const UpdateCheck fresh = Check("equal", std::nullopt);
  EXPECT_EQ(fresh.offer.currentVersion, "0");
  EXPECT_TRUE(fresh.Offered());
}

// A version file left by an earlier check must not decide when the server gives none.
TEST_F(LoopbackUpdate, MissingVersionFileEndsTheCheck) {
  WriteFileBytes(HostProgramFile("versiyonyeni.txt"), "9.9\r\nOld\r\n1\r\nStale\r\n");
  const UpdateCheck check = Check("gone");
  EXPECT_FALSE(check.reached);
  EXPECT_FALSE(check.Offered());
  EXPECT_EQ(Contains(check.error, "404"), "");
}

TEST_F(LoopbackUpdate, NoUpdateSiteNoOffer) {
  const UpdateCheck check = Check("nosite");
  EXPECT_TRUE(check.reached);
  EXPECT_TRUE(check.offer.newer);
  EXPECT_FALSE(check.Offered());
  EXPECT_EQ(Contains(check.error, "names no address"), "");
}

// Unsigned, signed by a key nobody trusts, or changed after signing: nothing is offered,
// nothing is saved, and the check says why.
TEST_F(LoopbackUpdate, VersionFileThatDoesNotVerifyOffersNothing) {
  const std::pair<const char*, const char*> cases[] = {
      {"unsigned", "is not signed"},
      {"otherkey", "does not verify with the vendor's key or " },
      {"changed", "does not verify"},
  };
  for (const auto& [scenario, why] : cases) {
    const UpdateCheck check = Check(scenario);
    EXPECT_TRUE(check.reached) << scenario;
    EXPECT_FALSE(check.Offered()) << scenario;
    EXPECT_EQ(Contains(check.error, why), "") << scenario;
    EXPECT_EQ(Contains(check.error, "nothing is offered"), "") << scenario;
    EXPECT_EQ(check.offer.newVersion, "0") << "the texts of an unverified file are not taken";
    EXPECT_FALSE(Exists("versiyonyeni.txt")) << scenario;
  }
  EXPECT_EQ(Contains(Check("otherkey").error, ProgramFile("update-key.pem")), "");
}

// The key must be beside the program: the vendor's key alone does not take the test
// signer's file, and a key in the data folder, which the user writes, is not trusted.
TEST_F(LoopbackUpdate, OnlyTheVendorsKeyAndTheProgramFoldersKeyAreTrusted) {
  std::filesystem::create_directories(temp_.path() / "data");
  std::filesystem::rename(HostProgramFile("update-key.pem"), temp_.path() / "data" / "update-key.pem");
  platform_.folders.data = programFolder_.substr(0, programFolder_.rfind('\\')) + "\\data";
  const UpdateCheck check = Check("newer");
  EXPECT_TRUE(check.reached);
  EXPECT_FALSE(check.Offered());
  EXPECT_EQ(Contains(check.error, "does not verify with the vendor's key;"), "");
}

// 100 MB with its length, and the same without one: refused at 64 KB, never written.
TEST_F(LoopbackUpdate, OversizedVersionFileFailsWithoutBeingWritten) {
  for (const char* scenario : {"huge", "hugestream"}) {
    const UpdateCheck check = Check(scenario);
    EXPECT_FALSE(check.reached) << scenario;
    EXPECT_EQ(Contains(check.error, "larger than the 64 KB allowed"), "") << scenario;
    EXPECT_FALSE(Exists("versiyonyeni.txt")) << scenario;
  }
}

// One byte every five seconds never trips the receive time-out (8 s here); the deadline of
// the small file (4 s here) ends it.
TEST_F(LoopbackUpdate, TricklingServerEndsAtTheDeadline) {
  const UpdateCheck check = Check("trickle");
  EXPECT_FALSE(check.reached);
  EXPECT_EQ(Contains(check.error, "did not send it all within 4 s"), "");
  EXPECT_FALSE(Exists("versiyonyeni.txt"));
}

// The status line and headers one byte every five seconds: WinINet's request waits for them,
// and under Wine closing its handle does not end that wait. The check still ends at its
// deadline; the worker is left to end on its own. (The bound is loose: it tells a deadline
// that was kept from one that was not, which the server would hold for two minutes.)
TEST_F(LoopbackUpdate, ServerTricklingItsHeadDoesNotHoldTheCheckPastItsDeadline) {
  const auto started = std::chrono::steady_clock::now();
  const UpdateCheck check = Check("tricklehead");
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_FALSE(check.reached);
  EXPECT_EQ(Contains(check.error, "did not send it all within 4 s"), "");
  EXPECT_LT(took, std::chrono::seconds(30));
  EXPECT_FALSE(Exists("versiyonyeni.txt"));
}

TEST_F(LoopbackUpdate, RedirectsOnlyToHttpsOnTheSameHostAndPort) {
  EXPECT_TRUE(Check("samehost").Offered()) << "a redirect on the same server is followed";
  const UpdateCheck check = Check("redirect");
  EXPECT_FALSE(check.reached);
  EXPECT_EQ(Contains(check.error, "only HTTPS on " + TlsAuthority() + " is followed"), "");
}

TEST_F(LoopbackUpdate, PlainHttpReleaseAddressOffersNothing) {
  const UpdateCheck check = Check("httpsite");
  EXPECT_TRUE(check.reached);
  EXPECT_TRUE(check.offer.newer);
  EXPECT_FALSE(check.Offered());
  EXPECT_EQ(Contains(check.error, "is not an HTTPS address"), "");
  EXPECT_EQ(NothingOfferedText(check), check.error);
}

// The leftovers of an update whose log-on step has run go, but not a release that waits
// for the next log-on.
TEST_F(LoopbackUpdate, LeftoversAreDeletedUnlessAReleaseWaits) {
  WriteFileBytes(HostProgramFile("sweepwisepro21.exe"), "ran");
  WriteFileBytes(HostProgramFile("update.bat"), "ran");
  (void)Check("equal");
  EXPECT_FALSE(Exists("sweepwisepro21.exe"));
  EXPECT_FALSE(Exists("update.bat"));

  WriteFileBytes(HostProgramFile("sweepwisepro21.exe"), "waiting release");
  ASSERT_TRUE(reg::RegWriteString(*platform_.registry, RootKey::CurrentUser, kRunOnceValue, "x"));
  (void)Check("equal");
  EXPECT_EQ(ReadFileBytes(HostProgramFile("sweepwisepro21.exe")), "waiting release");
}

// The window's part: the texts it is given, and what Refresh, Show and Close were asked.
class RecordingUpdateWindow final : public UpdateWindowView {
 public:
  void Refresh(const UpdateWindowTexts& texts) override {
    refreshed.push_back(texts);
    if (onRefresh) {
      onRefresh(texts);
    }
  }
  void ShowWindow() override { ++shown; }
  void CloseWindow(bool ok) override { closed.push_back(ok); }

  std::vector<UpdateWindowTexts> refreshed;
  int shown = 0;
  std::vector<bool> closed;
  std::function<void(const UpdateWindowTexts&)> onRefresh;
};

class LoopbackUpdateWindow : public LoopbackUpdate {
 protected:
  UpdateWindowModel& Offered(std::string_view scenario) {
    const UpdateCheck check = Check(scenario);
    EXPECT_TRUE(check.Offered()) << check.error;
    model_ = std::make_unique<UpdateWindowModel>(context_, window_, sink_);
    sink_.SetOrigin("Update window test");
    model_->Offer(check.offer);
    return *model_;
  }

  // Nothing of the update is in place, nothing of the download is left, and the installed
  // version is still the old one.
  void ExpectNothingInstalled(const std::string& version = "3.5\r\n") {
    EXPECT_FALSE(Exists("update.bat"));
    EXPECT_FALSE(RunOnce().has_value());
    EXPECT_EQ(ReadFileBytes(HostProgramFile("version.txt")), version);
    EXPECT_FALSE(Exists("sweepwisepro21.exe"));
    EXPECT_FALSE(Exists("sweepwisepro21.exe.part"));
    EXPECT_EQ(model_->state(), UpdateWindowState::Offered);
    EXPECT_TRUE(model_->texts().nextEnabled);
  }

  RecordingUpdateWindow window_;
  test::RecordingSink sink_;
  std::unique_ptr<UpdateWindowModel> model_;
};

TEST_F(LoopbackUpdateWindow, NextDownloadsChecksAndInstallsForTheNextLogOn) {
  UpdateWindowModel& model = Offered("newer");
  EXPECT_EQ(window_.shown, 1);
  EXPECT_EQ(model.texts().lblPanel, "Update has been found for QZ Sweepwise Pro");
  EXPECT_EQ(model.texts().lblVersion, "3.6");
  EXPECT_EQ(model.texts().lblSize, "150KB");
  EXPECT_EQ(model.texts().lblDescription, "Faster cleaning & a new look");
  EXPECT_EQ(model.texts().nextCaption, "&Next");

  // While the release comes in, it is only the temporary file: nothing has the name the
  // batch expects before the digest was checked.
  bool finalNameDuringDownload = false;
  window_.onRefresh = [&](const UpdateWindowTexts& texts) {
    if (texts.lblPanel == "Update is processing..." && Exists("sweepwisepro21.exe")) {
      finalNameDuringDownload = true;
    }
  };
  model.BitBtn1Click();
  ASSERT_EQ(model.state(), UpdateWindowState::Completed) << model.lastError();
  EXPECT_FALSE(finalNameDuringDownload);
  EXPECT_TRUE(sink_.questions.empty());
  EXPECT_EQ(ReadFileBytes(HostProgramFile("sweepwisepro21.exe")), test::ServerPattern(kReleaseSize));
  EXPECT_FALSE(Exists("sweepwisepro21.exe.part"));

  // While the download ran: Next disabled, the progress labels after every block.
  ASSERT_GE(window_.refreshed.size(), 3U);
  const UpdateWindowTexts& downloading = window_.refreshed[window_.refreshed.size() - 2];
  EXPECT_FALSE(downloading.nextEnabled);
  EXPECT_TRUE(downloading.progressLabelsShown);
  EXPECT_EQ(downloading.lblPanel, "Update is processing...");
  EXPECT_EQ(downloading.lblTamamlanan, "150 of 150KB");
  EXPECT_EQ(downloading.lblPercent, "100");
  EXPECT_EQ(downloading.progressMax, kReleaseSize);

  const UpdateWindowTexts& done = model.texts();
  EXPECT_EQ(done.lblPanel, "Update is completed.");
  EXPECT_EQ(done.lblDosyaYuklemesi, "File has been downloaded.");
  EXPECT_EQ(done.lblStatus, "Please restart your computer so that installation starts.");
  EXPECT_EQ(done.nextCaption, "Close");
  EXPECT_TRUE(done.nextEnabled);

  // No line starts a cleaner that nothing ships.
  const std::string d = programFolder_;
  const std::string batch =
      "cls\r\n@echo off\r\n@echo ---------------------------------------\r\n"
      "@echo SWEEPWISEPRO2 Update Module\r\n@echo ---------------------------------------\r\n"
      "@del \"" + d + "\\sweepwisepro2.exe\" >nul\r\n@move \"" + d +
      "\\sweepwisepro21.exe\" \"" + d + "\\sweepwisepro2.exe\" >nul\r\n\"" + d +
      "\\sweepwisepro2.exe\"\r\ncls\r\n@echo Update done. Please close this window.\r\n";
  EXPECT_EQ(ReadFileBytes(HostProgramFile("update.bat")), batch);
  // Quoted: the folder may hold blanks. Under HKEY_CURRENT_USER: it runs as this user.
  EXPECT_EQ(RunOnce(), "\"" + ProgramFile("update.bat") + "\"");
  EXPECT_TRUE(ReadFileBytes(HostProgramFile("version.txt")).starts_with("3.6\r\nQZ Sweepwise Pro\r\n"));
  EXPECT_FALSE(Exists("versiyonyeni.txt"));

  // The history names the update, its maker, and that it cannot be undone.
  const auto history = history::HistoryLog(platform_).Read();
  ASSERT_TRUE(history);
  ASSERT_EQ(history->size(), 1U);
  const history::Entry& entry = history->front();
  EXPECT_EQ(entry.action, history::Action::UpdateInstalled);
  EXPECT_EQ(entry.state, history::EntryState::Done);
  EXPECT_EQ(entry.origin, "Update window test");
  EXPECT_EQ(entry.names, std::vector<std::string>{"QZ Sweepwise Pro 3.6"});
  EXPECT_FALSE(entry.Undoable());
  EXPECT_EQ(Contains(entry.summary, "update.bat"), "");

  model.BitBtn1Click();  // "Close"
  EXPECT_EQ(window_.closed, std::vector<bool>{true});
}

TEST_F(LoopbackUpdateWindow, UpperCaseDigestInstalls) {
  WriteFileBytes(HostProgramFile("version.txt"), "9.0\r\n");
  Offered("ten").BitBtn1Click();
  EXPECT_EQ(model_->state(), UpdateWindowState::Completed) << model_->lastError();
}

TEST_F(LoopbackUpdateWindow, WrongDigestDeletesTheDownloadAndInstallsNothing) {
  Offered("baddigest").BitBtn1Click();
  ExpectNothingInstalled();
  EXPECT_TRUE(Exists("versiyonyeni.txt"));
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_EQ(Contains(sink_.questions[0].text, "does not match its published SHA-256 digest"), "");
  EXPECT_EQ(Contains(sink_.questions[0].text, "The download has been deleted; nothing was installed."), "");
  EXPECT_EQ(model_->lastError(), sink_.questions[0].text);
}

// The signed version file says how large the release is: a reply that announces more is
// refused before a byte of it is read or written.
TEST_F(LoopbackUpdateWindow, ReleaseLargerThanItsSignedSizeIsRefusedBeforeAnythingIsWritten) {
  bool blockArrived = false;
  window_.onRefresh = [&](const UpdateWindowTexts& texts) { blockArrived = blockArrived || texts.progressPosition > 0; };
  Offered("bigrelease").BitBtn1Click();
  ExpectNothingInstalled();
  EXPECT_FALSE(blockArrived);
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_EQ(Contains(sink_.questions[0].text, "larger than the 167 KB allowed"), "");  // 150 KB + 1 + 16
}

TEST_F(LoopbackUpdateWindow, ShortDownloadIsDeletedAndNextCanTryAgain) {
  Offered("shortrelease").BitBtn1Click();
  ExpectNothingInstalled();
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_TRUE(sink_.questions[0].text.starts_with("Update cannot be done. Please retry later."));
}

// Cancel hides the window at once; the download stops at its next block, in silence, and
// what came is deleted.
TEST_F(LoopbackUpdateWindow, CancelDuringTheDownloadStopsAtTheNextBlock) {
  UpdateWindowModel& model = Offered("newer");
  int blocks = 0;
  window_.onRefresh = [&](const UpdateWindowTexts& texts) {
    if (texts.progressPosition > 0 && ++blocks == 2) {
      model.BitBtn2Click();
    }
  };
  model.BitBtn1Click();
  EXPECT_TRUE(model.UpdateCancelled());
  EXPECT_EQ(window_.closed.front(), false);
  EXPECT_EQ(blocks, 3);  // the block after Cancel is the last
  ExpectNothingInstalled();
  EXPECT_TRUE(sink_.questions.empty());
}

// A release waits for the next log-on; a newer offer comes meanwhile. Next downloads
// nothing and the waiting release, its batch, RunOnce and version.txt stay as they are.
TEST_F(LoopbackUpdateWindow, SecondDownloadWhileAReleaseWaitsLeavesItUntouched) {
  Offered("newer").BitBtn1Click();
  ASSERT_EQ(model_->state(), UpdateWindowState::Completed) << model_->lastError();
  const std::string release = ReadFileBytes(HostProgramFile("sweepwisepro21.exe"));
  const std::string batch = ReadFileBytes(HostProgramFile("update.bat"));
  const std::string installed = ReadFileBytes(HostProgramFile("version.txt"));

  context_.server = TlsUrl("/newest");
  const UpdateCheck check = CheckForUpdate(context_);
  ASSERT_TRUE(check.Offered()) << check.error;
  EXPECT_EQ(check.offer.currentVersion, "3.6");
  model_ = std::make_unique<UpdateWindowModel>(context_, window_, sink_);
  model_->Offer(check.offer);
  model_->BitBtn1Click();
  EXPECT_EQ(model_->state(), UpdateWindowState::Offered);
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_EQ(Contains(sink_.questions[0].text, "An update already waits for the next log-on"), "");
  EXPECT_EQ(ReadFileBytes(HostProgramFile("sweepwisepro21.exe")), release);
  EXPECT_EQ(ReadFileBytes(HostProgramFile("update.bat")), batch);
  EXPECT_EQ(ReadFileBytes(HostProgramFile("version.txt")), installed);
  EXPECT_EQ(RunOnce(), "\"" + ProgramFile("update.bat") + "\"");
  EXPECT_FALSE(Exists("sweepwisepro21.exe.part"));
}

// Installed for everyone: the program folder is not the data folder. The verified release
// (the installer) is started for everyone with consent (the stand-in records the start;
// Wine has no consent prompt), and no log-on batch is written.
TEST_F(LoopbackUpdateWindow, ProgramFolderNotWritableStartsTheInstallerWithConsent) {
  auto processes = std::make_unique<platform::host::RecordingProcesses>();
  platform::host::RecordingProcesses& starts = *processes;
  platform_.processes = std::move(processes);
  std::filesystem::create_directories(temp_.path() / "data");
  const std::string data = programFolder_.substr(0, programFolder_.rfind('\\')) + "\\data";
  platform_.folders.data = data;
  const auto dataFile = [&](std::string_view name) { return temp_.path() / "data" / std::string(name); };

  // The user declines: nothing stays.
  starts.OnStart([](const platform::host::RecordingProcesses::Start&) { return false; });
  Offered("newer").BitBtn1Click();
  EXPECT_EQ(model_->state(), UpdateWindowState::Offered);
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_EQ(Contains(sink_.questions[0].text, "needs administrator rights"), "");
  EXPECT_FALSE(std::filesystem::exists(dataFile("sweepwisepro21.exe")));
  EXPECT_FALSE(std::filesystem::exists(dataFile("sweepwisepro21.exe.part")));

  // Between the digest check and the start, nobody may change, rename or delete the release:
  // the handle it was checked on is still open (Windows' sharing rule; on the host, its
  // stand-in).
  auto sharing = std::make_unique<test::SharingFileSystem>(*platform_.files);
  std::unique_ptr<platform::FileSystem> real = std::exchange(platform_.files, std::move(sharing));
  const std::string release = data + "\\sweepwisepro21.exe";
  std::string startedWith;
  starts.OnStart([&](const platform::host::RecordingProcesses::Start&) {
    platform::FileSystem& files = *platform_.files;
    EXPECT_FALSE(files.OpenForWriting(release, platform::CreateMode::CreateAlways)) << "overwritten";
    EXPECT_FALSE(files.OpenForWriting(release, platform::CreateMode::Append)) << "appended to";
    EXPECT_FALSE(files.RenameFile(release, release + ".old")) << "renamed away";
    EXPECT_FALSE(files.RemoveFile(release)) << "deleted";
    startedWith = ReadFileBytes(dataFile("sweepwisepro21.exe"));
    return true;
  });
  Offered("newer").BitBtn1Click();
  ASSERT_EQ(model_->state(), UpdateWindowState::Completed) << model_->lastError();
  EXPECT_EQ(startedWith, test::ServerPattern(kReleaseSize));
  ASSERT_TRUE(platform_.files->OpenForWriting(release, platform::CreateMode::Append)) << "let go after the start";
  ASSERT_EQ(starts.starts().size(), 2U);
  EXPECT_TRUE(starts.starts()[1].elevated);
  EXPECT_EQ(starts.starts()[1].commandLine, data + "\\sweepwisepro21.exe /ALLUSERS");
  EXPECT_EQ(ReadFileBytes(dataFile("sweepwisepro21.exe")), test::ServerPattern(kReleaseSize));
  EXPECT_EQ(model_->texts().lblPanel, "The installer has been started.");
  EXPECT_EQ(Contains(model_->texts().lblStatus, "installed for everyone"), "");
  EXPECT_EQ(model_->texts().nextCaption, "Close");
  EXPECT_FALSE(std::filesystem::exists(dataFile("update.bat")));
  EXPECT_FALSE(RunOnce().has_value());
  EXPECT_EQ(ReadFileBytes(HostProgramFile("version.txt")), "3.5\r\n") << "the installer replaces it";
  EXPECT_FALSE(std::filesystem::exists(dataFile("version.txt")));
  platform_.files = std::move(real);
}

// Installed for everyone, and run with administrator rights, so that the program folder could
// be written: still the installer, with consent, never a log-on batch beside the program.
TEST_F(LoopbackUpdateWindow, AnInstallForEveryoneIsAlwaysUpdatedByItsInstaller) {
  auto processes = std::make_unique<platform::host::RecordingProcesses>();
  platform::host::RecordingProcesses& starts = *processes;
  platform_.processes = std::move(processes);
  platform_.folders.mode = platform::InstallMode::Everyone;  // data and program folder alike
  Offered("newer").BitBtn1Click();
  ASSERT_EQ(model_->state(), UpdateWindowState::Completed) << model_->lastError();
  ASSERT_EQ(starts.starts().size(), 1U);
  EXPECT_TRUE(starts.starts()[0].elevated);
  EXPECT_FALSE(Exists("update.bat"));
  EXPECT_FALSE(RunOnce().has_value());
  EXPECT_EQ(ReadFileBytes(HostProgramFile("version.txt")), "3.5\r\n");
}

}  // namespace
}  // namespace sw::online
