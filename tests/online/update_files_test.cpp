// The update's files on the host stand-ins: update.bat's literal lines, the SHA-256 of the
// platform, a release that must not be installed, the Update button's program and the
// sign-up's decision.

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

class UpdateFiles : public ::testing::Test {
 protected:
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
  ASSERT_EQ(lines.size(), 11U);
  EXPECT_EQ(lines[5], "\"C:\\50%% off\\deleteubat.exe\"");
  EXPECT_EQ(lines[7], "@move \"C:\\50%% off\\sweepwisepro21.exe\" \"C:\\50%% off\\sweepwisepro2.exe\" >nul");
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
  EXPECT_EQ(*digest, *ParseSha256("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

TEST_F(UpdateFiles, ReleaseThatCannotBeTrustedIsDeletedAndNothingInstalled) {
  for (const auto& [contents, digest] :
       {std::pair<std::string, std::string>{"", ""}, {"release", "not a digest"}, {"release", std::string(64, '0')}}) {
    host_.MakeFile("C:\\Program\\sweepwisepro21.exe", contents);
    const UpdateInstall install = InstallDownloadedUpdate(host_.platform(), Offer(digest));
    EXPECT_FALSE(install.installed);
    EXPECT_TRUE(install.error.ends_with("It has been deleted; nothing was installed.")) << install.error;
    EXPECT_FALSE(std::filesystem::exists(host_.Host("C:\\Program\\sweepwisepro21.exe")));
    EXPECT_FALSE(std::filesystem::exists(host_.Host("C:\\Program\\update.bat")));
  }
  const UpdateInstall missing = InstallDownloadedUpdate(host_.platform(), Offer());
  EXPECT_FALSE(missing.installed);
}

TEST_F(UpdateFiles, FolderWithoutAnExactBatchFormInstallsNothing) {
  host_.MakeFile("C:\\\xE4\xB8\xAD\\sweepwisepro21.exe", "release");
  UpdateOffer offer = Offer();
  offer.dataFolder = "C:\\\xE4\xB8\xAD";
  const UpdateInstall install = InstallDownloadedUpdate(host_.platform(), offer);
  EXPECT_FALSE(install.installed);
  EXPECT_FALSE(reg::RegValueExists(host_.registry(), platform::RootKey::CurrentUser,
                                   R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\sweepwisepro2Update)"));
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
