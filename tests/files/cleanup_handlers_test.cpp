// The programs' cleanup handlers (VolumeCaches) as the Find reads them, on the in-memory
// registry and real folders as drives. The first handler is the worked example of the
// system's documentation for writing one: Flags 0x10000021 (subfolders, not shown when empty,
// its own last-access rule), LastAccess 14 days, FileList "*.tmp|*.tpc", and a CSIDL of
// 0x26 (the program files folder) in front of "\The Phone Company\Temp".

#include "files/cleanup_handlers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "files/junk_search.h"
#include "registry/registry_data.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"

namespace sw::files {
namespace {

constexpr std::uint64_t kTicksPerDay = 24 * 36'000'000'000ULL;

class CleanupHandlers : public ::testing::Test {
 protected:
  CleanupHandlers() {
    host_.system().SetVersion({platform::kPlatformNt, 10, 0, 19045});
    host_.system().SetEnvironment("ProgramFiles", R"(C:\Program Files)");
    host_.system().SetEnvironment("WINDIR", R"(C:\Windows)");
    host_.system().SetEnvironment("LOCALAPPDATA", R"(C:\Users\ann\AppData\Local)");
  }

  void Set(const std::string& handler, const std::string& name, std::uint32_t type, const Bytes& data) {
    auto root = host_.registry().OpenRoot(platform::RootKey::LocalMachine);
    ASSERT_TRUE(root);
    auto key = (*root)->Create(std::string(kVolumeCachesKey) + "\\" + handler);
    ASSERT_TRUE(key);
    ASSERT_TRUE((*key)->Set(name, type, data));
  }
  void Text(const std::string& handler, const std::string& name, std::string_view text,
            std::uint32_t type = platform::kRegSz) {
    Set(handler, name, type, reg::EncodeRegText(text, true));
  }
  void Number(const std::string& handler, const std::string& name, std::uint32_t value) {
    Set(handler, name, platform::kRegDword,
        Bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8U),
              static_cast<std::uint8_t>(value >> 16U), static_cast<std::uint8_t>(value >> 24U)});
  }
  // A data-driven handler with a folder and patterns.
  void Handler(const std::string& name, std::string_view folder, std::string_view fileList) {
    Text(name, "", kDataDrivenCleaner);
    Text(name, "Folder", folder);
    Text(name, "FileList", fileList);
  }

  // A file last written and accessed `days` ago.
  std::string Plant(const std::string& path, int days = 30) {
    host_.MakeFile(path);
    const FileTime then{FileTimeNow().ticks - static_cast<std::uint64_t>(days) * kTicksPerDay};
    EXPECT_TRUE(host_.files().SetTimes(path, {FileTime{}, then, then}));
    return path;
  }

  // The full paths of the rows of the handlers' category, sorted (the drive walk, which
  // would list *.tmp files anywhere, is left out).
  std::vector<std::string> Find() {
    test::RecordingSink sink;
    JunkSearchOptions options;
    std::string unknown;
    options.categories = *CategorySet::Parse("cleanup-handlers", "", unknown);
    FindFiles(host_.platform(), sink, options);
    std::vector<std::string> paths;
    for (const auto& row : sink.rows) {
      EXPECT_EQ(row.Column(4), "Cleanup handler") << FullPathOfRow(row);
      paths.push_back(FullPathOfRow(row));
    }
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  test::HostPlatform host_;
};

TEST_F(CleanupHandlers, TheDocumentedExampleReadsAsItsAuthorMeantIt) {
  const std::string name = "The Phone Company Temp Files";
  Text(name, "", kDataDrivenCleaner);
  Number(name, "CSIDL", 0x26);
  Text(name, "Folder", R"(\The Phone Company\Temp)");
  Text(name, "FileList", "*.tmp|*.tpc");
  Number(name, "Flags", 0x10000021);
  Set(name, "LastAccess", platform::kRegBinary, Bytes{0x0e, 0, 0, 0});
  const std::vector<JunkLocation> rows = ReadCleanupHandlers(host_.registry());
  ASSERT_EQ(rows.size(), 1U);
  EXPECT_EQ(rows[0].folder, R"(%ProgramFiles%\The Phone Company\Temp)");
  EXPECT_EQ(rows[0].names, (std::vector<std::string>{"*.tmp", "*.tpc"}));
  EXPECT_TRUE(rows[0].subfolders);
  EXPECT_TRUE(rows[0].wholeFolders.empty());
  EXPECT_EQ(rows[0].minAccessDays, 14);

  const std::string folder = R"(C:\Program Files\The Phone Company\Temp\)";
  const std::string old = Plant(folder + "call.tmp", 20);
  const std::string deep = Plant(folder + R"(lines\2026\log.tpc)", 15);
  Plant(folder + "recent.tmp", 2);     // read two days ago
  Plant(folder + "numbers.db", 99);    // no pattern of the handler
  Plant(folder + "hidden.tpc", 99);
  ASSERT_TRUE(host_.files().SetAttributes(folder + "hidden.tpc", platform::kAttrHidden));  // kept without 0x10
  EXPECT_EQ(Find(), (std::vector<std::string>{old, deep}));
}

TEST_F(CleanupHandlers, FoldersAndPatternsInEveryFormTheSystemAccepts) {
  // Two folders as REG_MULTI_SZ, one with a variable; ":" between patterns; no subfolders.
  Text("Multi", "", "c0e13e61-0cc6-11d1-bbb6-0060978b2ae6");  // braces left out, other case
  Set("Multi", "Folder", platform::kRegMultiSz,
      reg::EncodeRegText(std::string(R"(C:\Logs A)") + '\0' + R"(%WINDIR%\Logs B)" + '\0', true));
  Text("Multi", "FileList", "*.log:*.old");
  // "|" between folders of a REG_EXPAND_SZ value, "?:" for every fixed drive.
  Handler("Drives", R"(?:\Scratch|%LOCALAPPDATA%\Tool\Cache)", "*.*");
  Set("Drives", "Folder", platform::kRegExpandSz,
      reg::EncodeRegText(R"(?:\Scratch|%LOCALAPPDATA%\Tool\Cache)", true));
  std::vector<std::string> listed = {
      Plant(R"(C:\Logs A\one.log)"),
      Plant(R"(C:\Windows\Logs B\two.old)"),
      Plant(R"(C:\Scratch\a.dat)"),
      Plant(R"(E:\Scratch\b.dat)"),  // E: after the CD-ROM drive D:
      Plant(R"(C:\Users\ann\AppData\Local\Tool\Cache\c.bin)"),
  };
  Plant(R"(C:\Logs A\sub\three.log)");  // no subfolders without 0x1
  Plant(R"(C:\Logs A\keep.txt)");
  Plant(R"(D:\Scratch\on-cd.dat)");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(Find(), listed);
}

TEST_F(CleanupHandlers, OnlyDataDrivenHandlersWithAFolderAndNeverTheirCommands) {
  Plant(R"(C:\Junk\a.tmp.bak)");
  // A handler of its own (another class) is never run, however much it looks like data.
  Text("Own", "", "{11111111-2222-3333-4444-555555555555}");
  Text("Own", "Folder", R"(C:\Junk)");
  Text("Own", "FileList", "*.bak");
  // A data-driven one without a folder, and one that runs only on a full disk.
  Text("NoFolder", "", kDataDrivenCleaner);
  Text("NoFolder", "FileList", "*.bak");
  Handler("FullDisk", R"(C:\Junk)", "*.bak");
  Number("FullDisk", "Flags", 0x80);
  EXPECT_TRUE(Find().empty());

  Handler("Good", R"(C:\Junk)", "*.bak");
  Text("Good", "CleanupString", R"(C:\Junk\evil.exe /all)");
  Text("Good", "PreCleanupString", R"(C:\Junk\evil.exe /before)");
  EXPECT_EQ(Find(), std::vector<std::string>{R"(C:\Junk\a.tmp.bak)"});
  EXPECT_TRUE(host_.processes().starts().empty());  // nothing run
  // And the handler's key is as it was: the program changes no handler.
  auto root = host_.registry().OpenRoot(platform::RootKey::LocalMachine);
  auto key = (*root)->Open(std::string(kVolumeCachesKey) + "\\Good", platform::RegAccess::Read);
  ASSERT_TRUE(key);
  EXPECT_EQ((*key)->Info()->valueCount, 5U);
}

TEST_F(CleanupHandlers, WholeFoldersOnlyInsideTheFolderNamed) {
  Handler("Dirs", R"(C:\App\Data)", "Cache*|*.tmp");
  Number("Dirs", "Flags", 0x40);
  const std::vector<std::string> listed = {
      Plant(R"(C:\App\Data\Cache1\a\b.bin)"),
      Plant(R"(C:\App\Data\CacheX\c.bin)"),
      Plant(R"(C:\App\Data\x.tmp)"),
  };
  Plant(R"(C:\App\Cache2\outside.bin)");
  Plant(R"(C:\App\Data\Other\inside.bin)");
  EXPECT_EQ(Find(), listed);
}

TEST_F(CleanupHandlers, NoHandlerWalksAWholeDriveOrTheWindowsFolder) {
  Handler("Root", R"(C:\)", "*.txt");
  Number("Root", "Flags", 0x1);
  Handler("Up", R"(C:\Windows\..\..)", "*.txt");
  Handler("Windows", "%WINDIR%", "*");
  Number("Windows", "Flags", 0x1);
  Handler("NeverHere", R"(C:\Windows.old\Temp)", "*");
  Plant(R"(C:\notes.txt)");
  Plant(R"(C:\Users\ann\diary.txt)");
  Plant(R"(C:\Windows\win.ini)");
  Plant(R"(C:\Windows.old\Temp\rollback.dat)");
  EXPECT_TRUE(Find().empty());
  // The Windows folder itself, without its subfolders, for files it names, is allowed, as the
  // system's own "Setup Log Files" handler has it.
  Handler("WindowsLogs", "%WINDIR%", "setup*.log");
  const std::string log = Plant(R"(C:\Windows\setup.log)");
  Plant(R"(C:\Windows\Logs\setupapi.log)");
  EXPECT_EQ(Find(), std::vector<std::string>{log});
}

// Handlers are values any installer writes, and a Find as administrator acts on them: none
// reaches a user's own files, whatever its folder says, and each one refused is named.
TEST_F(CleanupHandlers, NoHandlerReachesAUsersOwnFiles) {
  host_.system().SetEnvironment("USERPROFILE", R"(C:\Users\ann)");
  host_.system().SetEnvironment("OneDrive", R"(C:\Users\ann\OneDrive)");
  host_.system().SetEnvironment("PROGRAMDATA", R"(C:\ProgramData)");
  // The user keeps the documents on drive E: (the shell's own value, with a variable).
  auto root = host_.registry().OpenRoot(platform::RootKey::CurrentUser);
  ASSERT_TRUE(root);
  auto shell = (*root)->Create(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders)");
  ASSERT_TRUE(shell);
  ASSERT_TRUE((*shell)->Set("Personal", platform::kRegExpandSz, reg::EncodeRegText(R"(E:\Data\%USERNAME%)", true)));
  host_.system().SetEnvironment("USERNAME", "ann");

  const std::vector<std::pair<std::string, std::string>> refused = {
      {"Documents", R"(%USERPROFILE%\Documents)"},               // one of the profile's own folders
      {"Old letters", R"(C:\Users\bob\Documents\Old)"},         // inside another profile's
      {"Sync", R"(%OneDrive%\Temp)"},                             // inside the user's OneDrive
      {"Moved documents", R"(E:\Data\ann\Cache)"},               // inside the documents where they are
      {"Profiles", R"(C:\Users)"},                                 // the profiles folder, walked
      {"Profile", R"(C:\Users\bob)"},                             // a profile
      {"Above", R"(E:\Data)"},                                     // above the documents
      {"Vendor", R"(C:\ProgramData\Vendor\Cache)"},               // a link to the documents
      {"Below a link", R"(C:\ProgramData\Linked\Cache)"},         // a link on the way
  };
  for (const auto& [name, folder] : refused) {
    Handler(name, folder, "*.tmp");
    Number(name, "Flags", 0x1);
  }
  const std::vector<std::string> documents = {
      Plant(R"(C:\Users\ann\Documents\thesis.tmp)"), Plant(R"(C:\Users\bob\Documents\Old\a.tmp)"),
      Plant(R"(C:\Users\ann\OneDrive\Temp\b.tmp)"), Plant(R"(E:\Data\ann\Cache\c.tmp)"),
      Plant(R"(C:\Users\bob\notes.tmp)"),             Plant(R"(E:\Data\d.tmp)"),
  };
  std::filesystem::create_directories(host_.Host(R"(C:\ProgramData\Vendor)"));
  std::filesystem::create_directory_symlink(host_.Host(R"(C:\Users\ann\Documents)"),
                                            host_.Host(R"(C:\ProgramData\Vendor\Cache)"));
  std::filesystem::create_directory_symlink(host_.Host(R"(E:\Data\ann)"), host_.Host(R"(C:\ProgramData\Linked)"));
  // The system's own handler for what chkdsk leaves at each drive's root stays allowed.
  Handler("Old ChkDsk Files", R"(?:\)", "FILE*.CHK");
  const std::vector<std::string> fragments = {Plant(R"(C:\FILE0000.CHK)"), Plant(R"(E:\FILE0001.CHK)")};
  Plant(R"(C:\notes.txt)");

  test::RecordingSink sink;
  JunkSearchOptions options;
  options.categories = CategorySet::None();
  options.categories.Set(JunkCategory::kCleanupHandlers, true);
  const JunkSearchOutcome outcome = FindFiles(host_.platform(), sink, options);
  std::vector<std::string> listed;
  for (const auto& row : sink.rows) {
    listed.push_back(FullPathOfRow(row));
  }
  EXPECT_EQ(listed, fragments);
  std::vector<std::string> names;
  for (const RefusedHandler& handler : outcome.refusedHandlers) {
    names.push_back(handler.name);
    const auto reason = std::find_if(refused.begin(), refused.end(), [&](const auto& r) { return r.first == handler.name; });
    ASSERT_NE(reason, refused.end()) << handler.name;
  }
  std::vector<std::string> expected;
  for (const auto& [name, folder] : refused) {
    expected.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
  const auto why = [&](const std::string& name) {
    for (const RefusedHandler& handler : outcome.refusedHandlers) {
      if (handler.name == name) {
        return handler.reason;
      }
    }
    return std::string();
  };
  EXPECT_EQ(why("Documents"), "one of your own folders");
  EXPECT_EQ(why("Vendor"), "reached through a link");
  EXPECT_EQ(why("Below a link"), "reached through a link");
  EXPECT_NE(why("Profiles").find("by their kind alone"), std::string::npos);
  EXPECT_NE(sink.statuses.back().find("Programs' cleanup lists left out: "), std::string::npos) << sink.statuses.back();
  EXPECT_NE(sink.statuses.back().find(R"("Documents" (C:\Users\ann\Documents\: one of your own folders))"),
            std::string::npos)
      << sink.statuses.back();
  for (const std::string& document : documents) {
    EXPECT_TRUE(std::filesystem::exists(host_.Host(document))) << document;
  }
}

TEST(CsidlFolders, TheSpecialFoldersByTheirVariables) {
  EXPECT_EQ(CsidlFolder(0x1c), "%LOCALAPPDATA%");
  EXPECT_EQ(CsidlFolder(0x801c), "%LOCALAPPDATA%");  // CSIDL_FLAG_CREATE does not matter
  EXPECT_EQ(CsidlFolder(0x20), std::nullopt);         // the internet cache: no variable names it
}

}  // namespace
}  // namespace sw::files
