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
  std::string SystemFolder() override { return "C:\\Windows\\System32"; }
  std::string WindowsFolder() override { return "C:\\Windows"; }
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

// The installer's record decides, not whether the program folder can be written: an install
// for everyone keeps every user's files in that user's own folder even when the program runs
// with administrator rights and could write its own folder (here it can: the folder exists).
TEST_F(ProgramFoldersTest, AnInstallForEveryoneKeepsItsFilesInTheUsersFolderWhateverItsRights) {
  facts_.program = At("Program Files\\Sweepwise");
  facts_.localAppData = At("Users\\me\\AppData\\Local");
  MakeFile("Program Files\\Sweepwise\\install-mode.txt", "everyone\r\n");
  const ProgramFolders folders = DecideProgramFolders(files(), facts_);
  EXPECT_EQ(folders.mode, InstallMode::Everyone);
  EXPECT_EQ(folders.data, At("Users\\me\\AppData\\Local\\Sweepwise"));
  EXPECT_TRUE(folders.writable);
  EXPECT_NE(folders.why.find("installed for everyone"), std::string::npos) << folders.why;
  EXPECT_EQ(InstallModeName(folders.mode), "everyone");
  EXPECT_EQ(std::filesystem::directory_iterator(Host("Program Files/Sweepwise"))->path().filename(),
            "install-mode.txt")
      << "nothing is written beside the program";
}

TEST_F(ProgramFoldersTest, AnInstallForTheCurrentUserAndAPortableCopyKeepTheirFilesBesideThemselves) {
  facts_.localAppData = At("local");
  for (const auto& [record, mode] : std::vector<std::pair<std::string, InstallMode>>{
           {"current user\r\n", InstallMode::CurrentUser},
           {"", InstallMode::Portable},  // no record
           {"Everyone-ish\r\n", InstallMode::Portable},  // a record that names no mode
           {std::string(100, 'x'), InstallMode::Portable},
       }) {
    facts_.program = At("copy");
    std::filesystem::remove_all(Host("copy"));
    std::filesystem::create_directories(Host("copy"));
    if (!record.empty()) {
      MakeFile("copy\\install-mode.txt", record);
    }
    const ProgramFolders folders = DecideProgramFolders(files(), facts_);
    EXPECT_EQ(folders.mode, mode) << record;
    EXPECT_EQ(folders.data, At("copy")) << record;
  }
  // A record in the data folder is nobody's: only the program folder's counts.
  std::filesystem::remove_all(Host("copy"));
  std::filesystem::create_directories(Host("copy"));
  MakeFile("local\\Sweepwise\\install-mode.txt", "everyone\r\n");
  EXPECT_EQ(DecideProgramFolders(files(), facts_).mode, InstallMode::Portable);
}

}  // namespace
}  // namespace sw::platform
