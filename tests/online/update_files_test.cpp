// The update's files on the host stand-ins: update.bat's literal lines, the SHA-256 of the
// platform, a release that must not be installed, an install that fails at its last step,
// and the sign-up's decision.

#include <gtest/gtest.h>

#include "core/text.h"
#include "online/connection.h"
#include "online/news_signup.h"
#include "online/update_batch.h"
#include "online/update_install.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"

namespace sw::online {
namespace {

using test::ReadFileBytes;

// SHA-256 of "abc" (the standard's first test vector).
constexpr std::string_view kAbcDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr const char* kRunOnce = R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\sweepwisepro2Update)";

class UpdateFiles : public ::testing::Test {
 protected:
  bool Exists(std::string_view path) { return std::filesystem::exists(host_.Host(path)); }
  bool RunOnceSet() { return reg::RegValueExists(host_.registry(), platform::RootKey::CurrentUser, kRunOnce); }

  UpdateOffer Offer(std::string digest = {}) {
    UpdateOffer offer;
    offer.dataFolder = "C:\\Program";
    offer.newVersion = "3.6";
    offer.digest = std::move(digest);
    offer.versionFile = "3.6\r\n";
    return offer;
  }

  test::HostPlatform host_;
  test::RecordingSink sink_;
};

TEST_F(UpdateFiles, BatchLinesAreLiteral) {
  const auto text = UpdateBatchText("C:\\50% off", host_.system(), host_.files());
  ASSERT_TRUE(text);
  const std::vector<std::string> lines = SplitLines(*text);
  ASSERT_EQ(lines.size(), 10U);
  EXPECT_EQ(lines[6], "@move \"C:\\50%% off\\sweepwisepro21.exe\" \"C:\\50%% off\\sweepwisepro2.exe\" >nul");
  EXPECT_EQ(text->find("deleteubat"), std::string::npos) << "no line starts a program that nothing ships";
  EXPECT_TRUE(text->ends_with("window.\r\n"));

  // In the code page byte for byte; a name it cannot hold, and that has no short form, is
  // not written with substitutes.
  EXPECT_NE(UpdateBatchText("C:\\Programme\xC3\xA9", host_.system(), host_.files())->find("Programme\xE9\\"),
            std::string::npos);
  EXPECT_FALSE(UpdateBatchText("C:\\\xE4\xB8\xAD\xE6\x96\x87", host_.system(), host_.files()));
}

TEST_F(UpdateFiles, Sha256OfTheKnownVector) {
  host_.MakeFile("C:\\abc.txt", "abc");
  auto reader = host_.files().OpenForReading("C:\\abc.txt");
  ASSERT_TRUE(reader);
  const auto digest = platform::Sha256Of(**reader);
  ASSERT_TRUE(digest);
  EXPECT_EQ(*digest, *ParseSha256(kAbcDigest));
}

TEST_F(UpdateFiles, ReleaseThatCannotBeTrustedIsDeletedAndNothingInstalled) {
  for (const auto& [contents, digest] :
       {std::pair<std::string, std::string>{"", std::string(kAbcDigest)}, {"abc", "not a digest"}, {"abc", ""},
        {"abc", std::string(64, '0')}}) {
    host_.MakeFile("C:\\Program\\sweepwisepro21.exe.part", contents);
    const UpdateInstall install = InstallDownloadedUpdate(host_.platform(), Offer(digest), "test");
    EXPECT_FALSE(install.installed);
    EXPECT_TRUE(install.error.ends_with("The download has been deleted; nothing was installed.")) << install.error;
    EXPECT_FALSE(Exists("C:\\Program\\sweepwisepro21.exe.part"));
    EXPECT_FALSE(Exists("C:\\Program\\sweepwisepro21.exe"));
    EXPECT_FALSE(Exists("C:\\Program\\update.bat"));
  }
  const UpdateInstall missing = InstallDownloadedUpdate(host_.platform(), Offer(std::string(kAbcDigest)), "test");
  EXPECT_FALSE(missing.installed);
}

TEST_F(UpdateFiles, FolderWithoutAnExactBatchFormInstallsNothing) {
  host_.MakeFile("C:\\\xE4\xB8\xAD\\sweepwisepro21.exe.part", "abc");
  UpdateOffer offer = Offer(std::string(kAbcDigest));
  offer.dataFolder = "C:\\\xE4\xB8\xAD";
  const UpdateInstall install = InstallDownloadedUpdate(host_.platform(), offer, "test");
  EXPECT_FALSE(install.installed);
  EXPECT_FALSE(RunOnceSet());
  EXPECT_FALSE(Exists("C:\\\xE4\xB8\xAD\\sweepwisepro21.exe"));
}

// The last step fails (version.txt cannot be replaced: a folder has its name). The RunOnce
// value is what it was before, and neither the batch nor the release stays.
TEST_F(UpdateFiles, FailureAtTheLastStepPutsEverythingBack) {
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), platform::RootKey::CurrentUser, kRunOnce, "earlier value"));
  std::filesystem::create_directories(host_.Host("C:\\Program\\version.txt"));
  host_.MakeFile("C:\\Program\\sweepwisepro21.exe.part", "abc");
  const UpdateInstall install = InstallDownloadedUpdate(host_.platform(), Offer(std::string(kAbcDigest)), "test");
  EXPECT_FALSE(install.installed);
  EXPECT_NE(install.error.find("Cannot write C:\\Program\\version.txt"), std::string::npos) << install.error;
  EXPECT_EQ(reg::RegReadString(host_.registry(), platform::RootKey::CurrentUser, kRunOnce), "earlier value");
  EXPECT_FALSE(Exists("C:\\Program\\update.bat"));
  EXPECT_FALSE(Exists("C:\\Program\\sweepwisepro21.exe"));
  EXPECT_FALSE(Exists("C:\\Program\\sweepwisepro21.exe.part"));
}

// The rename that gives the verified release its name never replaces what is there.
TEST_F(UpdateFiles, RenameNeverReplacesAFile) {
  host_.MakeFile("C:\\Program\\new", "new");
  host_.MakeFile("C:\\Program\\waiting", "waiting");
  EXPECT_FALSE(host_.files().RenameFile("C:\\Program\\new", "C:\\Program\\waiting"));
  EXPECT_EQ(ReadFileBytes(host_.Host("C:\\Program\\waiting")), "waiting");
  EXPECT_TRUE(host_.files().RenameFile("C:\\Program\\new", "C:\\Program\\free"));
  EXPECT_EQ(ReadFileBytes(host_.Host("C:\\Program\\free")), "new");
  EXPECT_FALSE(Exists("C:\\Program\\new"));
}

TEST_F(UpdateFiles, ConnectionTestsOfTheTimerAndTheSignup) {
  host_.http().SetConnectionFlags(platform::kConnectionLan);
  EXPECT_TRUE(HasInternetConnection(*host_.platform().http));
  EXPECT_FALSE(IsOnlineForNews(*host_.platform().http));
  EXPECT_FALSE(NewsSignupDue(host_.platform()));

  host_.http().SetConnectionFlags(platform::kConnectionLan | platform::kConnectionModem);
  EXPECT_TRUE(NewsSignupDue(host_.platform()));
  host_.MakeFile("C:\\Program\\newsinfo.txt", "0\r\n");
  EXPECT_TRUE(NewsSignupDue(host_.platform()));
  host_.MakeFile("C:\\Program\\newsinfo.txt", "1\r\n");
  EXPECT_FALSE(NewsSignupDue(host_.platform()));

  host_.http().SetConnectionFlags(-1);  // the query fails
  EXPECT_FALSE(HasInternetConnection(*host_.platform().http));
  host_.MakeFile("C:\\Program\\newsinfo.txt", "0\r\n");
  EXPECT_FALSE(NewsSignupDue(host_.platform()));
}

}  // namespace
}  // namespace sw::online
