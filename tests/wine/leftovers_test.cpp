// What an uninstalled program leaves behind, on Wine's real registry, files and shell links
// (its scheduled task in a stand-in, see SetUp): the fixture program installs itself into every place programs use (with a
// second program of the same publisher beside it), its own uninstaller removes its entry and
// main program only, and the search then finds each remain with the certainty its evidence
// gives, and nothing of the other program or of the user's documents.

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/win_path.h"
#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/host/memory_scheduled_tasks.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "registry/registry_paths.h"
#include "support/leftover_fixture_run.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"
#include "uninstall/leftover_removal.h"
#include "uninstall/leftover_scan.h"
#include "uninstall/software_entry.h"

namespace sw::uninstall {
namespace {

using Found = std::map<std::string, std::pair<std::string, std::string>>;  // location: kind, certainty

class LeftoversOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_.registry = std::make_unique<platform::win32::Win32Registry>();
    platform_.files = std::make_unique<platform::win32::Win32FileSystem>();
    platform_.system = std::make_unique<platform::win32::Win32System>();
    platform_.processes = std::make_unique<platform::win32::Win32Processes>();
    platform_.shell = std::make_unique<platform::win32::Win32Shell>();
    // The Task Scheduler is the one part that is injected: Wine 8 stores an exec action
    // without its command (its task file holds an empty <Exec/>), so no program of a task
    // could be read back from it. The stand-in keeps the fixture's task as Windows would;
    // Wine's own scheduler is tested within its limits by scheduled_tasks_test.cpp.
    auto tasks = std::make_unique<platform::host::MemoryScheduledTasks>();
    tasks_ = tasks.get();
    platform_.tasks = std::move(tasks);
    platform_.folders = platform::PortableFolders(test::Utf8Of(temp_.path()));
  }

  Found Scan(const LeftoverSnapshot& snapshot) {
    outcome_ = ScanLeftovers(platform_, snapshot, sink_);
    Found found;
    for (const Leftover& leftover : outcome_.leftovers) {
      found[LeftoverLocation(leftover)] = {std::string(KindName(leftover.kind)),
                                           std::string(CertaintyName(leftover.certainty))};
    }
    return found;
  }

  // The fixture's task, as its installer registers it.
  bool InstallWithTask(test::FixtureProgram& program) {
    tasks_->Add(program.TaskPath(), {program.MainProgram()});
    return program.Install(/*task=*/false);
  }

  platform::Platform platform_;
  platform::host::MemoryScheduledTasks* tasks_ = nullptr;
  test::TempFolder temp_;
  test::RecordingSink sink_;
  LeftoverScanOutcome outcome_;
  test::FixtureProgram fixture_{"Leftover Fixture", "Sweepwise Fixtures"};
  test::FixtureProgram companion_{"Companion", fixture_};
};

TEST_F(LeftoversOnWine, EachRemainIsFoundWithItsCertaintyAndTheCompanionAndTheUsersFilesAreLeftAlone) {
  ASSERT_TRUE(InstallWithTask(fixture_));
  ASSERT_TRUE(companion_.Install(/*task=*/false));
  // The user's own folder named like the program, among the documents.
  const std::string documents = test::FixtureProgram::ShellFolder(CSIDL_PERSONAL) + "\\" + fixture_.name;
  fixture_.Plant(documents + "\\notes.txt", "mine");

  const auto snapshot = TakeLeftoverSnapshot(platform_, fixture_.Entry(), FileTime{1});
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->folders, std::vector<std::string>{fixture_.InstallFolder()});
  EXPECT_EQ(snapshot->fileCount, 4U);
  EXPECT_EQ(snapshot->shortcuts.size(), 2U);
  EXPECT_EQ(snapshot->keys.size(), 1U);
  ASSERT_TRUE(fixture_.RunUninstaller(*platform_.processes));
  EXPECT_FALSE(EntryExists(*platform_.registry, fixture_.Entry()));
  EXPECT_FALSE(std::filesystem::exists(test::PathOfUtf8(fixture_.MainProgram())));

  const Found found = Scan(*snapshot);
  const std::string hkcu = "HKEY_CURRENT_USER\\";
  const std::string software = hkcu + "Software\\";
  Found expected{
      {fixture_.InstallFolder(), {"Folder", "sure"}},
      {test::FixtureProgram::ShellFolder(CSIDL_APPDATA) + "\\" + fixture_.publisher + "\\" + fixture_.name,
       {"Folder", "likely"}},
      {test::FixtureProgram::ShellFolder(CSIDL_LOCAL_APPDATA) + "\\" + fixture_.name, {"Folder", "likely"}},
      {test::FixtureProgram::ShellFolder(CSIDL_COMMON_APPDATA) + "\\" + fixture_.name, {"Folder", "likely"}},
      {test::FixtureProgram::ShellFolder(CSIDL_PROGRAMS) + "\\" + fixture_.name, {"Folder", "sure"}},
      {test::FixtureProgram::ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + fixture_.name + ".lnk", {"Shortcut", "sure"}},
      {software + fixture_.publisher + "\\" + fixture_.name, {"Registry key", "sure"}},
      {"HKEY_LOCAL_MACHINE\\Software\\" + fixture_.name + " (32-bit)", {"Registry key", "likely"}},
      {software + "Microsoft\\Windows\\CurrentVersion\\Run\\" + fixture_.name + " Agent", {"Run value", "sure"}},
      {software + "Classes\\" + fixture_.TypeName(), {"File type", "sure"}},
      {software + "Classes\\." + fixture_.Extension(), {"File type", "sure"}},
      {"\\" + fixture_.publisher + "\\" + fixture_.name + " Update", {"Scheduled task", "sure"}},
  };
  EXPECT_EQ(found, expected);
  for (const std::string& line : outcome_.passedOver) {
    std::printf("passed over: %s\n", line.c_str());
  }
  EXPECT_TRUE(outcome_.tasksProblem.empty()) << outcome_.tasksProblem;
}

// The bytes of every file below `folder` by its path, and its empty folders.
std::map<std::string, std::string> FilesBelow(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code ignored;
  for (const auto& item : std::filesystem::recursive_directory_iterator(test::PathOfUtf8(folder), ignored)) {
    if (item.is_regular_file()) {
      std::ifstream in(item.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      files[test::Utf8Of(item.path())] = bytes.str();
    } else if (item.is_directory() && std::filesystem::is_empty(item.path())) {
      files[test::Utf8Of(item.path())] = "empty folder";
    }
  }
  return files;
}

TEST_F(LeftoversOnWine, RemovalAndUndoRoundTripFilesKeysAndTheTask) {
  ASSERT_TRUE(InstallWithTask(fixture_));
  const auto snapshot = TakeLeftoverSnapshot(platform_, fixture_.Entry(), FileTime{1});
  ASSERT_TRUE(snapshot);
  ASSERT_TRUE(fixture_.RunUninstaller(*platform_.processes));
  (void)Scan(*snapshot);
  const std::vector<std::string> folders{
      fixture_.InstallFolder(),
      test::FixtureProgram::ShellFolder(CSIDL_APPDATA) + "\\" + fixture_.publisher,
      test::FixtureProgram::ShellFolder(CSIDL_LOCAL_APPDATA) + "\\" + fixture_.name,
      test::FixtureProgram::ShellFolder(CSIDL_PROGRAMS) + "\\" + fixture_.name};
  std::map<std::string, std::string> before;
  for (const std::string& folder : folders) {
    before.merge(FilesBelow(folder));
  }
  ASSERT_FALSE(before.empty());
  platform::win32::Win32Registry registry;
  const std::string optionKey = "Software\\" + fixture_.publisher + "\\" + fixture_.name;
  const auto keyNames = reg::RegListValueNames(registry, platform::RootKey::CurrentUser, optionKey);
  ASSERT_TRUE(keyNames);
  const std::string runValue = R"(Software\Microsoft\Windows\CurrentVersion\Run\)" + fixture_.name + " Agent";
  const auto run = reg::RegReadString(registry, platform::RootKey::CurrentUser, runValue);
  ASSERT_TRUE(run);
  platform::ScheduledTasks& tasks = *platform_.tasks;
  ASSERT_TRUE(tasks.Definition(fixture_.TaskPath()));

  const LeftoverRemovalOutcome removal = RemoveLeftovers(platform_, outcome_.leftovers, "test", sink_);
  ASSERT_TRUE(removal.problem.empty()) << removal.problem;
  EXPECT_TRUE(removal.kept.empty()) << removal.kept.front();
  for (const std::string& folder : folders) {
    EXPECT_FALSE(std::filesystem::exists(test::PathOfUtf8(folder))) << folder;
  }
  EXPECT_FALSE(reg::RegListValueNames(registry, platform::RootKey::CurrentUser, optionKey));
  EXPECT_FALSE(reg::RegReadString(registry, platform::RootKey::CurrentUser, runValue));
  EXPECT_FALSE(tasks.Definition(fixture_.TaskPath()));

  history::HistoryLog log(platform_);
  auto entry = log.Find(removal.historyId);
  ASSERT_TRUE(entry && *entry);
  const LeftoverUndoOutcome undone = UndoLeftoverRemoval(platform_, **entry, sink_);
  EXPECT_TRUE(undone.problems.empty()) << undone.problems.front();
  std::map<std::string, std::string> after;
  for (const std::string& folder : folders) {
    after.merge(FilesBelow(folder));
  }
  EXPECT_EQ(after, before);
  EXPECT_EQ(reg::RegListValueNames(registry, platform::RootKey::CurrentUser, optionKey), keyNames);
  EXPECT_EQ(reg::RegReadString(registry, platform::RootKey::CurrentUser, runValue), run);
  EXPECT_TRUE(tasks.Definition(fixture_.TaskPath())) << "the task is registered again";
}

}  // namespace
}  // namespace sw::uninstall
