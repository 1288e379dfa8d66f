// The junk-file engine on the real system: shell links made by the shell itself, files held
// open by another handle, and the batch run by Wine's cmd.

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <gtest/gtest.h>
#include <aclapi.h>
#include <objidl.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "core/text.h"
#include "core/win_path.h"
#include "files/cleanup_handlers.h"
#include "files/junk_delete.h"
#include "files/junk_search.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "registry/registry_paths.h"
#include "support/overridden_system.h"
#include "support/recording_sink.h"
#include "support/shell_link.h"
#include "support/forwarding_file_system.h"
#include "support/listed_row.h"
#include "support/temp_folder.h"
#include "support/win32_platform.h"

namespace sw::files {
namespace {

using platform::win32::ToWide;
using test::MakeShortcut;

class JunkFilesOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = AddTrailingBackslash(test::Utf8Of(temp_.path()));
    std::filesystem::create_directories(temp_.path() / "program");
    platform_ = test::Win32TestPlatform(base_ + "program", /*admin=*/false);
  }

  // The RunOnce entry of a deletion would run this test's batch at the prefix's next start.
  void TearDown() override { test::RemoveTestRunOnce(*platform_.registry, base_ + "program"); }

  std::string Make(std::string_view name, std::string_view contents = "junk") {
    test::WriteFileBytes(temp_.path() / test::PathOfUtf8(std::string(name)), contents);
    return base_ + std::string(name);
  }
  bool Exists(std::string_view name) {
    return std::filesystem::exists(temp_.path() / test::PathOfUtf8(std::string(name)));
  }
  // The row of a file as a Find lists it: its identity read through its handle.
  ResultRow Row(std::string_view name) {
    return test::ListedRow(*platform_.files, *platform_.system, base_ + std::string(name));
  }
  // A handle that lets others read the file but not delete it, or (exclusive) not even read.
  platform::win32::UniqueFileHandle Hold(std::string_view name, bool exclusive) {
    return platform::win32::UniqueFileHandle(::CreateFileW(ToWide(base_ + std::string(name)).c_str(), GENERIC_READ,
                                                           exclusive ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  test::TempFolder temp_;
  std::string base_;
  platform::Platform platform_;
  test::RecordingSink sink_;
};

TEST_F(JunkFilesOnWine, OnlyBrokenShellLinksAreListed) {
  const std::string target = Make("target.txt");
  MakeShortcut(base_ + "working.lnk", target);
  MakeShortcut(base_ + "broken.lnk", base_ + "gone.exe");
  Make("unreadable.lnk", "not a shell link");
  EXPECT_TRUE(EqualsNoCase(platform_.shell->ResolveLink(base_ + "working.lnk"), target));

  FindFiles(platform_, sink_);
  std::vector<std::string> ours;
  for (const auto& row : sink_.rows) {
    if (EqualsNoCase(row.columns[1], base_)) {
      ours.push_back(row.columns[0] + (row.image == kImageBrokenShortcut ? " (broken)" : ""));
    }
  }
  std::sort(ours.begin(), ours.end());
  EXPECT_EQ(ours, (std::vector<std::string>{"broken.lnk (broken)", "unreadable.lnk (broken)"}));
}

TEST_F(JunkFilesOnWine, FileInUseIsQueuedAndTheBatchDeletesExactlyIt) {
  std::vector<ResultRow> list;
  for (const char* name : {"in use.tmp", "50% & more.tmp", "free.tmp"}) {
    Make(name);
    list.push_back(Row(name));
  }
  Make("in use.tmp.keep");  // a neighbour the batch must leave alone
  Make("50.tmp");
  auto held = Hold("in use.tmp", false);
  ASSERT_TRUE(held);
  auto held2 = Hold("50% & more.tmp", false);
  int counter = 1;
  const FileDeleteOutcome outcome = DeleteFiles(list, false, counter, platform_, sink_);
  EXPECT_EQ(outcome.deleted, 1);
  EXPECT_EQ(outcome.queued, 2);
  EXPECT_TRUE(outcome.clearWithoutAsking);
  ASSERT_EQ(list.size(), 2U);  // the rows of files in use stay, checked
  EXPECT_TRUE(list[0].checked);
  EXPECT_FALSE(Exists("free.tmp"));

  // The batch runs at the user's next logon, from the user's own RunOnce value, quoted.
  constexpr const char* kRunOnce = R"(Software\Microsoft\Windows\CurrentVersion\RunOnce\Sweepwise)";
  EXPECT_EQ(reg::RegReadString(*platform_.registry, platform::RootKey::CurrentUser, kRunOnce),
            "\"" + base_ + "program\\clean.bat\"");
  held.reset();
  held2.reset();
  const std::string batch = base_ + "program\\clean.bat";
  ASSERT_TRUE(platform_.processes->ExecuteProgram("cmd.exe /c \"" + batch + "\"", true, true));
  EXPECT_FALSE(Exists("in use.tmp"));
  EXPECT_FALSE(Exists("50% & more.tmp"));
  EXPECT_TRUE(Exists("in use.tmp.keep"));
  EXPECT_TRUE(Exists("50.tmp"));
  EXPECT_FALSE(Exists("program\\clean.bat"));  // the batch deletes itself
}

TEST_F(JunkFilesOnWine, WithBackupAFileThatCannotBeReadIsKeptAndNotQueued) {
  std::vector<ResultRow> list;
  for (const char* name : {"locked.tmp", "readable in use.tmp", "free.tmp"}) {
    Make(name, std::string("data of ") + name);
    list.push_back(Row(name));
  }
  auto locked = Hold("locked.tmp", true);
  auto inUse = Hold("readable in use.tmp", false);
  int counter = 3;
  const FileDeleteOutcome outcome = DeleteFiles(list, true, counter, platform_, sink_);
  EXPECT_EQ(outcome.keptUnreadable, 1);
  EXPECT_EQ(outcome.deleted, 1);
  EXPECT_EQ(outcome.queued, 1);  // in the archive, so the batch may delete it
  EXPECT_EQ(outcome.archive, base_ + "program\\zq3.bck");
  EXPECT_TRUE(Exists("locked.tmp"));
  ASSERT_EQ(list.size(), 2U);
  EXPECT_EQ(list[0].columns[0], "locked.tmp");
  EXPECT_TRUE(list[0].checked);
  const std::string batch = test::ReadFileBytes(temp_.path() / "program" / "clean.bat");
  EXPECT_EQ(batch.find("locked.tmp"), std::string::npos);
  EXPECT_NE(batch.find("readable in use.tmp"), std::string::npos);
}

// The batch deletes by name at the next logon, with the user's own rights: a file in use in a
// folder other users may write (its list set through the API, which Wine keeps as the
// folder's permission bits) is not queued; nor, for a program run as administrator, one only
// an administrator could delete. Wine has no User Account Control, so that last answer comes
// from a file system of the test's own.
TEST_F(JunkFilesOnWine, AFileInUseIsQueuedOnlyWhereNobodyElseCanRedirectTheBatch) {
  std::filesystem::create_directories(temp_.path() / "shared");
  Make("shared\\held.tmp");
  Make("own.tmp");
  auto heldShared = Hold("shared\\held.tmp", false);
  auto heldOwn = Hold("own.tmp", false);
  ASSERT_TRUE(heldShared && heldOwn);
  PSECURITY_DESCRIPTOR open = nullptr;
  const auto user = platform_.system->CurrentUserSid();
  ASSERT_TRUE(user);
  const std::wstring text = L"D:(A;OICI;FA;;;" + ToWide(*user) + L")(A;OICI;0x1301bf;;;WD)";
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &open, nullptr));
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL list = nullptr;
  ASSERT_TRUE(::GetSecurityDescriptorDacl(open, &present, &list, &defaulted));
  std::wstring shared = ToWide(base_ + "shared");
  ASSERT_EQ(::SetNamedSecurityInfoW(shared.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, list,
                                    nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  ::LocalFree(open);

  std::vector<ResultRow> list2 = {Row("shared\\held.tmp"), Row("own.tmp")};
  int counter = 1;
  FileDeleteOutcome outcome = DeleteFiles(list2, false, counter, platform_, sink_);
  EXPECT_EQ(outcome.queued, 1);
  EXPECT_EQ(outcome.notQueuedShared, 1);
  const std::string batch = test::ReadFileBytes(temp_.path() / "program" / "clean.bat");
  EXPECT_EQ(batch.find("shared"), std::string::npos) << batch;
  EXPECT_NE(batch.find("own.tmp"), std::string::npos) << batch;

  class AdministratorsOnly final : public test::ForwardingFileSystem {
   public:
    using ForwardingFileSystem::ForwardingFileSystem;
    Result<bool> OnlyAdministratorsMayDelete(std::string_view) override { return true; }
  };
  auto real = std::move(platform_.files);
  platform_.files = std::make_unique<AdministratorsOnly>(*real);
  static_cast<test::OverriddenSystem&>(*platform_.system).admin = true;
  list2 = {Row("own.tmp")};
  outcome = DeleteFiles(list2, false, counter, platform_, sink_);
  EXPECT_EQ(outcome.queued, 0);
  EXPECT_EQ(outcome.notQueuedAdmin, 1);
  EXPECT_NE(sink_.questions.back().text.find("only an administrator could delete them"), std::string::npos)
      << sink_.questions.back().text;
  platform_.files = std::move(real);
}

// A file as a listing shows it, by its exact name, without opening it: what Delete compares
// with what the Find saw.
TEST_F(JunkFilesOnWine, EntryOfDescribesTheFileItselfByItsExactName) {
  Make("seen.log", "twelve bytes");
  // Its neighbour whose name ends in a dot, made by its exact name.
  platform::win32::UniqueFileHandle dotted(::CreateFileW((L"\\\\?\\" + ToWide(base_ + "seen.log.")).c_str(),
                                                         GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(dotted);
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(dotted.get(), "other", 5, &written, nullptr));
  dotted.reset();
  platform::FolderEntry listed;
  auto reader = platform_.files->ListFolder(base_, platform::FolderDetail::Full);
  ASSERT_TRUE(reader);
  while ((*reader)->Next(listed) && listed.name != "seen.log") {
  }
  ASSERT_EQ(listed.name, "seen.log");
  const auto entry = platform_.files->EntryOf(base_ + "seen.log");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "seen.log");
  EXPECT_EQ(entry->size, 12U);
  EXPECT_EQ(entry->lastWrite, listed.lastWrite);
  EXPECT_EQ(entry->attributes, listed.attributes);
  const auto dottedEntry = platform_.files->EntryOf(base_ + "seen.log.");
  ASSERT_TRUE(dottedEntry);
  EXPECT_EQ(dottedEntry->size, 5U);
  const auto missing = platform_.files->EntryOf(base_ + "gone.log");
  ASSERT_FALSE(missing);
  EXPECT_TRUE(IsNotFound(missing.error()));
  EXPECT_FALSE(platform_.files->EntryOf(base_ + "*.log"));
  EXPECT_TRUE(platform_.files->RemoveFile(base_ + "seen.log."));  // the temporary folder's clean-up would miss it
}

TEST_F(JunkFilesOnWine, TheRunningProgramsAreListedByTheirFileNames) {
  const auto names = platform_.processes->RunningProgramNames();
  EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                          [](const std::string& name) { return EqualsNoCase(name, "sweepwise-tests.exe"); }));
  EXPECT_FALSE(std::any_of(names.begin(), names.end(),
                           [](const std::string& name) { return name.find('\\') != std::string::npos; }));
}

// A cleanup handler's CSIDL is read as the environment variable that names the same special
// folder; the shell says which folder each number is.
TEST(CleanupHandlersOnWine, EachCsidlNamesTheShellsFolder) {
  platform::win32::Win32System system;
  int known = 0;
  for (std::uint32_t csidl = 0; csidl < 0x40; ++csidl) {
    const auto folder = CsidlFolder(csidl);
    if (!folder) {
      continue;
    }
    ++known;
    wchar_t path[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathW(nullptr, static_cast<int>(csidl), nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << csidl;
    EXPECT_TRUE(PathsEqual(system.ExpandEnvironment(*folder), platform::win32::FromWide(path)))
        << csidl << ": " << *folder << " is " << system.ExpandEnvironment(*folder) << ", the shell says "
        << platform::win32::FromWide(path);
  }
  EXPECT_EQ(known, 8);
}

}  // namespace
}  // namespace sw::files
