// sweepwise-cli delete files, in-process on the host stand-ins: the console numbers its
// archives from the counter the window keeps in language.txt, and advances it there.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_app.h"
#include "support/cli_runner.h"
#include "support/host_platform.h"

namespace sw::cli {
namespace {

class FilesCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }
  bool ProgramFileExists(const char* name) { return std::filesystem::exists(host_.Host("C:\\Program\\") / name); }

  test::HostPlatform host_;
};

TEST_F(FilesCommand, TheBackupTakesTheCounterOfTheSettingsAndWritesItBackKeepingTheOtherLines) {
  host_.MakeFile("C:\\Program\\language.txt", "2\r\n7\r\nY\r\n");
  host_.MakeFile("C:\\junk\\a.tmp", "junk");
  ASSERT_EQ(Run({"delete", "files", "--backup", "--yes"}), kExitSuccess) << err_;
  EXPECT_TRUE(ProgramFileExists("zq7.bck"));
  EXPECT_FALSE(ProgramFileExists("zq1.bck"));
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\language.txt")), "2\r\n8\r\nY\r\n");

  // A number taken already is passed over, and the counter ends past the archive written.
  host_.MakeFile("C:\\Program\\zq8.bck", "an older archive");
  host_.MakeFile("C:\\junk\\b.tmp", "junk");
  ASSERT_EQ(Run({"delete", "files", "--backup", "--yes"}), kExitSuccess) << err_;
  EXPECT_TRUE(ProgramFileExists("zq9.bck"));
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\zq8.bck")), "an older archive");
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\language.txt")), "2\r\n10\r\nY\r\n");
}

TEST_F(FilesCommand, WithoutSettingsTheCounterStartsAtZeroAndTheFileIsMadeWithTheDefaults) {
  host_.MakeFile("C:\\junk\\a.tmp", "junk");
  ASSERT_EQ(Run({"delete", "files", "--backup", "--yes"}), kExitSuccess) << err_;
  EXPECT_TRUE(ProgramFileExists("zq0.bck"));
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\language.txt")), "1\r\n1\r\nN\r\n");
}

}  // namespace
}  // namespace sw::cli
