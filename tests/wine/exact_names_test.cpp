// Names that end in a dot or a blank ("notes.", "diary. "): the system's path clean-up makes
// them their neighbours without the dot or blank, unless a path is given in the "\\?\" form.
// The files here are made and checked through that form directly, beside their neighbours,
// so that a slip of the engines onto the neighbour shows.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "backup/archive_listing.h"
#include "backup/backup_file.h"
#include "core/text.h"
#include "core/win_path.h"
#include "files/junk_delete.h"
#include "files/junk_search.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "registry/registry_paths.h"
#include "support/listed_row.h"
#include "support/overridden_system.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"
#include "support/win32_platform.h"

namespace sw::files {
namespace {

using platform::win32::ToWide;
using platform::win32::UniqueFileHandle;

std::wstring Exact(const std::string& path) {
  return L"\\\\?\\" + ToWide(path);
}

class ExactNamesOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = AddTrailingBackslash(test::Utf8Of(temp_.path()));
    ASSERT_TRUE(::CreateDirectoryW(Exact(base_ + "program").c_str(), nullptr));
    platform_ = test::Win32TestPlatform(base_ + "program", /*admin=*/false);
  }

  void TearDown() override { test::RemoveTestRunOnce(*platform_.registry, base_ + "program"); }

  void Make(const std::string& name, std::string_view contents) {
    UniqueFileHandle file(::CreateFileW(Exact(base_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << name;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr));
  }
  // The file's contents, read through the exact name; nullopt when it does not exist.
  std::optional<std::string> Read(const std::string& name) {
    UniqueFileHandle file(::CreateFileW(Exact(base_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      return std::nullopt;
    }
    std::string contents(4096, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &read, nullptr)) {
      return std::nullopt;
    }
    contents.resize(read);
    return contents;
  }
  // The row a Find lists for the file: its identity is what the deletion compares.
  ResultRow Row(const std::string& name) {
    return test::ListedRow(*platform_.files, *platform_.system, base_ + name);
  }

  test::TempFolder temp_;
  std::string base_;
  platform::Platform platform_;
  test::RecordingSink sink_;
};

TEST_F(ExactNamesOnWine, TheSearchListsAndDeletesTheNamesItFound) {
  Make("dot.~.", "junk");
  Make("blank.~ ", "junk");
  Make("dot.~", "a neighbour the search lists too");
  FindFiles(platform_, sink_);
  std::vector<ResultRow> list;
  for (const auto& row : sink_.rows) {
    if (EqualsNoCase(row.columns[1], base_) && row.columns[0] != "dot.~") {
      list.push_back(row);
    }
  }
  ASSERT_EQ(list.size(), 2U);
  EXPECT_TRUE((list[0].columns[0] == "dot.~." && list[1].columns[0] == "blank.~ ") ||
              (list[1].columns[0] == "dot.~." && list[0].columns[0] == "blank.~ "));

  int counter = 0;
  const FileDeleteOutcome outcome = DeleteFiles(list, /*backup=*/true, counter, platform_, sink_);
  EXPECT_EQ(outcome.deleted, 2);
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(Read("dot.~."));
  EXPECT_FALSE(Read("blank.~ "));
  EXPECT_EQ(Read("dot.~"), "a neighbour the search lists too");
}

TEST_F(ExactNamesOnWine, DeletionWithBackupTakesTheListedFileAndRestoresItExactly) {
  Make("notes.", "junk with a dot");
  Make("notes", "the user's notes");
  Make("diary. ", "junk with a dot and a blank");
  Make("diary", "the user's diary");
  std::vector<ResultRow> list{Row("notes."), Row("diary. ")};
  int counter = 4;
  const FileDeleteOutcome outcome = DeleteFiles(list, /*backup=*/true, counter, platform_, sink_);
  EXPECT_EQ(outcome.deleted, 2);
  EXPECT_EQ(outcome.error, "");
  EXPECT_FALSE(Read("notes."));
  EXPECT_FALSE(Read("diary. "));
  EXPECT_EQ(Read("notes"), "the user's notes");
  EXPECT_EQ(Read("diary"), "the user's diary");

  const auto listing = backup::ListArchive(*platform_.files, *platform_.system, outcome.archive);
  ASSERT_EQ(listing.error, "");
  ASSERT_EQ(listing.entries.size(), 2U);
  EXPECT_TRUE(EqualsNoCase(listing.entries[0].name, base_ + "notes."));
  EXPECT_TRUE(EqualsNoCase(listing.entries[1].name, base_ + "diary. "));

  backup::TBackupFile archive(*platform_.files, *platform_.system);
  const auto restored = archive.Restore(outcome.archive, "");
  EXPECT_TRUE(restored.succeeded) << restored.raisedError;
  EXPECT_EQ(archive.FilesDone(), 2);
  EXPECT_EQ(archive.FilesRefused(), 0);
  EXPECT_EQ(Read("notes."), "junk with a dot");
  EXPECT_EQ(Read("diary. "), "junk with a dot and a blank");
  EXPECT_EQ(Read("notes"), "the user's notes");
  EXPECT_EQ(Read("diary"), "the user's diary");
}

TEST_F(ExactNamesOnWine, AFileInUseWhoseNameCmdWouldTrimStaysOutOfTheBatch) {
  Make("held.", "junk in use");
  Make("held", "the user's file");
  UniqueFileHandle holder(::CreateFileW(Exact(base_ + "held.").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);
  std::vector<ResultRow> list{Row("held.")};
  int counter = 0;
  const FileDeleteOutcome outcome = DeleteFiles(list, /*backup=*/false, counter, platform_, sink_);
  EXPECT_EQ(outcome.deleted, 0);
  EXPECT_EQ(outcome.queued, 0);
  EXPECT_EQ(outcome.notQueued, 1);
  ASSERT_EQ(list.size(), 1U);
  EXPECT_TRUE(std::any_of(sink_.questions.begin(), sink_.questions.end(),
                          [](const Message& m) { return m.text.find("cannot be written") != std::string::npos; }));
  holder.reset();

  // The batch, run by cmd as at the next logon, touches neither file.
  ASSERT_TRUE(platform_.processes->ExecuteProgram("cmd.exe /c \"" + base_ + "program\\clean.bat\"", true, true));
  EXPECT_EQ(Read("held"), "the user's file");
  EXPECT_EQ(Read("held."), "junk in use");
}

}  // namespace
}  // namespace sw::files
