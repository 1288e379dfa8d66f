// The update against the tests' own server: the check's comparison of versions, and the
// update window's Next with the digest check, update.bat, RunOnce and version.txt.

#include <gtest/gtest.h>

#include "core/text.h"
#include "online/loopback_fixture.h"
#include "online/update_check.h"
#include "online/update_window_model.h"
#include "registry/registry_paths.h"
#include "support/recording_sink.h"

namespace sw::online {
namespace {

using platform::RootKey;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr const char* kRunOnceValue = R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\sweepwisepro2Update)";
// The server's made-up release.
constexpr std::size_t kReleaseSize = 150 * 1024 + 77;

class LoopbackUpdate : public test::LoopbackFixture {
 protected:
  UpdateCheck Check(std::string_view scenario, std::optional<std::string> installed = "3.5") {
    if (installed) {
      WriteFileBytes(HostProgramFile("version.txt"), *installed + "\r\n");
    } else {
      std::filesystem::remove(HostProgramFile("version.txt"));
    }
    context_.server = Url("/" + std::string(scenario));
    return CheckForUpdate(context_);
  }

  std::optional<std::string> RunOnce() {
    return reg::RegReadString(*platform_.registry, RootKey::CurrentUser, kRunOnceValue);
  }
  bool Exists(std::string_view name) { return std::filesystem::exists(HostProgramFile(name)); }
};

TEST_F(LoopbackUpdate, NewerVersionIsOfferedWithTheServersTexts) {
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
  EXPECT_EQ(offer.updateSite, Url("/newer/release/"));
  EXPECT_EQ(offer.ReleaseUrl(), Url("/newer/release/sweepwisepro2.exe"));
  EXPECT_EQ(offer.DownloadPath(), ProgramFile("sweepwisepro21.exe"));
  EXPECT_EQ(ReadFileBytes(HostProgramFile("versiyonyeni.txt")), offer.versionFile);
  EXPECT_TRUE(offer.versionFile.starts_with("3.6\r\n"));
}

TEST_F(LoopbackUpdate, VersionsCompareNumberByNumber) {
  EXPECT_TRUE(Check("ten", "9.0").offer.newer);
  EXPECT_FALSE(Check("equal").offer.newer);
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
  EXPECT_NE(check.error.find("404"), std::string::npos) << check.error;
}

TEST_F(LoopbackUpdate, NoUpdateSiteNoOffer) {
  const UpdateCheck check = Check("nosite");
  EXPECT_TRUE(check.reached);
  EXPECT_TRUE(check.offer.newer);
  EXPECT_FALSE(check.Offered());
  EXPECT_FALSE(check.error.empty());
}

// The leftover of an unfinished download goes, but not a release an installed update waits
// to put in place at the next log-on.
TEST_F(LoopbackUpdate, LeftoverDownloadIsDeletedUnlessAnUpdateWaits) {
  WriteFileBytes(HostProgramFile("sweepwisepro21.exe"), "half");
  (void)Check("equal");
  EXPECT_FALSE(Exists("sweepwisepro21.exe"));

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
    model_->Offer(check.offer);
    return *model_;
  }

  // Nothing of the update is in place, and the installed version is still the old one.
  void ExpectNothingInstalled() {
    EXPECT_FALSE(Exists("update.bat"));
    EXPECT_FALSE(RunOnce().has_value());
    EXPECT_EQ(ReadFileBytes(HostProgramFile("version.txt")), "3.5\r\n");
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

  model.BitBtn1Click();
  ASSERT_EQ(model.state(), UpdateWindowState::Completed) << model.lastError();
  EXPECT_TRUE(sink_.questions.empty());
  EXPECT_EQ(ReadFileBytes(HostProgramFile("sweepwisepro21.exe")), test::ServerPattern(kReleaseSize));

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

  const std::string d = programFolder_;
  const std::string batch =
      "cls\r\n@echo off\r\n@echo ---------------------------------------\r\n"
      "@echo SWEEPWISEPRO2 Update Module\r\n@echo ---------------------------------------\r\n\"" +
      d + "\\deleteubat.exe\"\r\n@del \"" + d + "\\sweepwisepro2.exe\" >nul\r\n@move \"" + d +
      "\\sweepwisepro21.exe\" \"" + d + "\\sweepwisepro2.exe\" >nul\r\n\"" + d +
      "\\sweepwisepro2.exe\"\r\ncls\r\n@echo Update done. Please close this window.\r\n";
  EXPECT_EQ(ReadFileBytes(HostProgramFile("update.bat")), batch);
  EXPECT_EQ(RunOnce(), ProgramFile("update.bat"));
  EXPECT_TRUE(ReadFileBytes(HostProgramFile("version.txt")).starts_with("3.6\r\nQZ Sweepwise Pro\r\n"));
  EXPECT_FALSE(Exists("versiyonyeni.txt"));

  model.BitBtn1Click();  // "Close"
  EXPECT_EQ(window_.closed, std::vector<bool>{true});
}

TEST_F(LoopbackUpdateWindow, UpperCaseDigestAndNoDigestBothInstall) {
  WriteFileBytes(HostProgramFile("version.txt"), "9.0\r\n");
  Offered("ten").BitBtn1Click();
  EXPECT_EQ(model_->state(), UpdateWindowState::Completed) << model_->lastError();

  (void)std::filesystem::remove(HostProgramFile("update.bat"));
  Offered("nodigest").BitBtn1Click();
  EXPECT_EQ(model_->state(), UpdateWindowState::Completed) << model_->lastError();
}

TEST_F(LoopbackUpdateWindow, WrongDigestDeletesTheDownloadAndInstallsNothing) {
  Offered("baddigest").BitBtn1Click();
  ExpectNothingInstalled();
  EXPECT_FALSE(Exists("sweepwisepro21.exe"));
  EXPECT_TRUE(Exists("versiyonyeni.txt"));
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_NE(sink_.questions[0].text.find("does not match its published SHA-256 digest"), std::string::npos);
  EXPECT_EQ(model_->lastError(), sink_.questions[0].text);
}

TEST_F(LoopbackUpdateWindow, ShortDownloadKeepsItsPartAndNextCanTryAgain) {
  Offered("shortrelease").BitBtn1Click();
  ExpectNothingInstalled();
  EXPECT_EQ(ReadFileBytes(HostProgramFile("sweepwisepro21.exe")).size(), kReleaseSize / 2);
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_TRUE(sink_.questions[0].text.starts_with("Update cannot be done. Please retry later."));
}

// Cancel hides the window at once; the download stops at its next block, in silence, and
// leaves its part.
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
  EXPECT_LE(ReadFileBytes(HostProgramFile("sweepwisepro21.exe")).size(), 3 * kDownloadBlockSize);
}

}  // namespace
}  // namespace sw::online
