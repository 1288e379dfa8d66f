// Where the program writes: the decision between its own folder and the user's data folder,
// against real folders (the host stand-in natively, kernel32 under Wine). A program folder
// the program cannot write is one that does not exist here: Wine has no access control, and
// natively the tests run as root. The data_folder_round_trip test makes a real unwritable
// folder with chattr +i.

#include "platform/program_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_fixture.h"

namespace sw::platform {
namespace {

// The two facts the decision reads, as the test sets them.
class FolderFacts final : public System {
 public:
  VersionRecord Version() override { return {}; }
  bool IsAdmin() override { return false; }
  Result<std::string> CurrentUserSid() override { return std::string("S-1-5-21-1"); }
  FileTime LocalTimeOf(FileTime utc) override { return utc; }
  FileTime UtcTimeOf(FileTime local) override { return local; }
  Result<std::string> ProgramFolder() override { return program; }
  std::string ExpandEnvironment(std::string_view text) override {
    return text == "%LOCALAPPDATA%" ? localAppData : std::string(text);
  }
  DateTimeSeparators Separators() override { return {}; }
  std::string ShortDateText(const CalendarTime&) override { return {}; }
  std::string LongTimeText(const CalendarTime&) override { return {}; }
  std::optional<std::string> ToAnsi(std::string_view utf8) override { return std::string(utf8); }
  std::string FromAnsi(std::string_view ansi) override { return std::string(ansi); }

  std::string program;
  std::string localAppData = "%LOCALAPPDATA%";  // not set
};

class ProgramFoldersTest : public test::FileFixture {
 protected:
  FolderFacts facts_;
};

TEST_F(ProgramFoldersTest, AFolderTheProgramCanWriteKeepsEverythingBesideIt) {
  facts_.program = At("portable");
  std::filesystem::create_directories(Host("portable"));
  facts_.localAppData = At("local");
  const ProgramFolders folders = DecideProgramFolders(files(), facts_);
  EXPECT_EQ(folders.program, At("portable"));
  EXPECT_EQ(folders.data, At("portable"));
  EXPECT_TRUE(folders.writable);
  EXPECT_NE(folders.why.find("portable"), std::string::npos) << folders.why;
  EXPECT_TRUE(std::filesystem::is_empty(Host("portable"))) << "the probe file must not stay";
  EXPECT_FALSE(std::filesystem::exists(Host("local"))) << "no data folder is made for a portable copy";
  EXPECT_EQ(folders.DataFile("language.txt"), At("portable\\language.txt"));
}

TEST_F(ProgramFoldersTest, AFolderTheProgramCannotWriteSendsItsFilesToTheUsersLocalData) {
  facts_.program = At("Program Files\\Sweepwise");
  facts_.localAppData = At("Users\\me\\AppData\\Local");
  const ProgramFolders folders = DecideProgramFolders(files(), facts_);
  EXPECT_EQ(folders.program, At("Program Files\\Sweepwise"));
  EXPECT_EQ(folders.data, At("Users\\me\\AppData\\Local\\Sweepwise"));
  EXPECT_TRUE(folders.writable);
  EXPECT_TRUE(std::filesystem::is_directory(Host("Users/me/AppData/Local/Sweepwise"))) << "made when needed";
  EXPECT_NE(folders.why.find(At("Program Files\\Sweepwise")), std::string::npos) << folders.why;
  EXPECT_EQ(folders.ProgramFile("version.txt"), At("Program Files\\Sweepwise\\version.txt"));
}

TEST_F(ProgramFoldersTest, NowhereToWriteIsSaidWithTheFolderAndTheReason) {
  facts_.program = At("Program Files\\Sweepwise");
  const ProgramFolders unset = DecideProgramFolders(files(), facts_);
  EXPECT_FALSE(unset.writable);
  EXPECT_NE(unset.problem.find("%LOCALAPPDATA% is not set"), std::string::npos) << unset.problem;

  // A data folder that cannot be made: its parent is a file.
  MakeFile("blocked", "a file where a folder should be");
  facts_.localAppData = At("blocked");
  const ProgramFolders blocked = DecideProgramFolders(files(), facts_);
  EXPECT_FALSE(blocked.writable);
  EXPECT_EQ(blocked.data, At("blocked\\Sweepwise"));
  EXPECT_NE(blocked.problem.find(At("blocked\\Sweepwise")), std::string::npos) << blocked.problem;
}

TEST_F(ProgramFoldersTest, AShippedFileWrittenAgainInTheDataFolderIsTakenFromThere) {
  facts_.program = At("Program Files\\Sweepwise");
  facts_.localAppData = At("local");
  const ProgramFolders folders = DecideProgramFolders(files(), facts_);
  MakeFile("Program Files\\Sweepwise\\version.txt", "3.5\r\n");
  EXPECT_EQ(ShippedFile(folders, files(), "version.txt"), At("Program Files\\Sweepwise\\version.txt"));
  MakeFile("local\\Sweepwise\\version.txt", "3.6\r\n");
  EXPECT_EQ(ShippedFile(folders, files(), "version.txt"), At("local\\Sweepwise\\version.txt"));
  EXPECT_EQ(ShippedFile(folders, files(), "sweepwise.ico"), At("Program Files\\Sweepwise\\sweepwise.ico"));
}

}  // namespace
}  // namespace sw::platform
