// The junk-file search on real folders as drives C: and E: (fixed) and D: (CD-ROM or fixed),
// with shortcuts the test points at targets.

#include "files/junk_search.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/language.h"
#include "files/junk_pattern.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"

namespace sw::files {
namespace {

using platform::RootKey;

TEST(JunkPattern, FirstOccurrenceMustEndTheNameForSuffixes) {
  const JunkPattern tmp{".TMP", MatchMode::Suffix};
  EXPECT_TRUE(MatchesJunkPattern("report.tmp", tmp));
  EXPECT_TRUE(MatchesJunkPattern("REPORT.Tmp", tmp));
  EXPECT_TRUE(MatchesJunkPattern("r\xC3\xA9sum\xC3\xA9.tmp", tmp));
  EXPECT_FALSE(MatchesJunkPattern("tmp", tmp));
  EXPECT_FALSE(MatchesJunkPattern("report.tmp.bak", tmp));
  EXPECT_FALSE(MatchesJunkPattern("x.tmp.tmp", tmp));
  EXPECT_TRUE(MatchesJunkPattern("unit1.~pas", JunkPattern{".~", MatchMode::Contains}));
  EXPECT_FALSE(MatchesJunkPattern("nodot", JunkPattern{".", MatchMode::Contains}));
}

class JunkSearchTest : public ::testing::Test {
 protected:
  explicit JunkSearchTest(platform::DriveType driveD = platform::DriveType::CdRom) : host_(driveD) {}

  // "folder|name" of each row, in order.
  std::vector<std::string> Find() {
    sink_.rows.clear();
    outcome_ = FindFiles(host_.platform(), sink_, options_);
    std::vector<std::string> rows;
    for (const auto& row : sink_.rows) {
      rows.push_back(row.columns[1] + "|" + row.columns[0]);
    }
    return rows;
  }

  test::HostPlatform host_;
  test::RecordingSink sink_;
  JunkSearchOptions options_{true, true, true, true, std::chrono::milliseconds(0)};
  JunkSearchOutcome outcome_;
};

TEST_F(JunkSearchTest, CategoriesAndRowsInTheOrderOfSeparateWalks) {
  host_.system().SetVersion({platform::kPlatformNt, 5, 1, 2600});  // XP, which has a Recycled folder
  host_.MakeFile(R"(C:\a\1.tmp)");
  host_.MakeFile(R"(C:\a\3.gid)");
  host_.MakeFile(R"(C:\a\x.~1)");
  host_.MakeFile(R"(C:\a\sub\2.tmp)");
  host_.MakeFile(R"(C:\b\4.TMP)");
  host_.MakeFile(R"(C:\b\report.tmp.bak)");
  host_.MakeFile(R"(C:\b\x.tmp.tmp)");
  host_.MakeFile(R"(C:\b\tmp)");
  host_.MakeFile(R"(C:\Recycled\nodot)");
  host_.MakeFile(R"(C:\Recycled\deleted.doc)");
  host_.MakeFile(R"(C:\.cache\hidden.tmp)");  // a dot folder is never entered
  host_.MakeFile(R"(C:\b\.z.tmp)");           // nor a dot file listed
  host_.MakeFile(R"(D:\on-cd.tmp)");          // D: is a CD-ROM drive: not searched,
  host_.MakeFile(R"(E:\after-gap.tmp)");      // but the fixed drive after it is
  EXPECT_EQ(Find(), (std::vector<std::string>{R"(c:\a\|1.tmp)", R"(c:\a\sub\|2.tmp)", R"(c:\b\|4.TMP)", R"(c:\a\|x.~1)",
                                              R"(c:\a\|3.gid)", R"(c:\Recycled\|deleted.doc)", R"(e:\|after-gap.tmp)"}));
  EXPECT_EQ(sink_.progressMax, 25U);  // 11 and 7 for each of the two drives searched
  EXPECT_EQ(sink_.progress, 25U);
  const ResultRow& row = sink_.rows[0];
  EXPECT_EQ(row.columns[2], "1");
  EXPECT_EQ(row.image, kImageFile);
  EXPECT_TRUE(row.checked);
  // Each row names its category.
  std::vector<std::string> types;
  for (const auto& found : sink_.rows) {
    types.push_back(found.Column(4));
  }
  EXPECT_EQ(types, (std::vector<std::string>{"Temporary file", "Temporary file", "Temporary file", "Backup copy",
                                             "Help index", "Recycle Bin", "Temporary file"}));
}

TEST_F(JunkSearchTest, ShortcutsAreListedOnlyWhenBroken) {
  host_.MakeFile(R"(C:\data\kept.txt)");
  const std::vector<std::pair<std::string, std::string>> links = {
      {R"(C:\s\working.lnk)", R"(C:\data\kept.txt)"},    {R"(C:\s\folder.lnk)", R"(C:\data)"},
      {R"(C:\s\broken.lnk)", R"(C:\gone\app.exe)"},      {R"(C:\s\floppy.lnk)", R"(A:\setup.exe)"},
      {R"(C:\System32\broken.lnk)", R"(C:\gone\x.exe)"}, {R"(C:\s\empty.lnk)", ""},
  };
  for (const auto& [link, target] : links) {
    host_.MakeFile(link);
    host_.shell().SetLinkTarget(link, target);
  }
  host_.MakeFile(R"(C:\s\unreadable.lnk)");  // the shell cannot load it
  EXPECT_EQ(Find(), (std::vector<std::string>{R"(c:\s\|broken.lnk)", R"(c:\s\|unreadable.lnk)"}));
  EXPECT_EQ(sink_.rows[0].image, kImageBrokenShortcut);
  // Every shortcut counts as found, working or not.
  EXPECT_EQ(outcome_.foundFiles, 7U);
  EXPECT_EQ(sink_.statuses[sink_.statuses.size() - 2], std::string(Text(123)) + " 7 " + std::string(Text(124)));
}

TEST_F(JunkSearchTest, TotalIsReportedInWholeKilobytes) {
  host_.MakeFile(R"(C:\a.tmp)", std::string(1023, 'x'));
  Find();
  EXPECT_EQ(sink_.statuses.back(), "0KBytes " + std::string(Text(72)));
  host_.MakeFile(R"(C:\b.tmp)", "x");
  Find();
  EXPECT_EQ(sink_.statuses.back(), "1KBytes " + std::string(Text(72)));
  EXPECT_EQ(outcome_.totalBytes, 1024U);
}

TEST_F(JunkSearchTest, StopKeepsTheRowsFoundSoFar) {
  for (int i = 0; i < 20; ++i) {
    host_.MakeFile("C:\\f" + std::to_string(i) + "\\x.tmp");
  }
  sink_.stopAfterChecks = 30;  // past the root's 21 entries, a few folders into the walk
  Find();
  EXPECT_TRUE(outcome_.stopped);
  EXPECT_GE(sink_.rows.size(), 3U);  // rows of a stopped walk are kept
  EXPECT_LT(sink_.rows.size(), 20U);
  EXPECT_TRUE(sink_.rows.front().checked);
}

// A request to stop that came after the walk's last question (a folder's rows come after its
// entries) still ends the searches after it, before their first entry.
TEST_F(JunkSearchTest, AStopDuringTheWalkEndsTheSearchesAfterIt) {
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser,
                                  R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders\Recent)",
                                  R"(D:\Recent)"));
  host_.MakeFile(R"(C:\a\gone.lnk)");  // broken: the host shell resolves no shortcut by default
  host_.MakeFile(R"(D:\Recent\letter.doc)");
  sink_.stopAfterRows = 1;
  const auto rows = Find();
  EXPECT_EQ(rows, std::vector<std::string>{R"(c:\a\|gone.lnk)"});
  EXPECT_TRUE(outcome_.stopped);
}

TEST_F(JunkSearchTest, NeverWalksThroughADirectoryLink) {
  test::TempFolder outside;
  test::WriteFileBytes(outside.path() / "outside.tmp", "keep me");
  std::filesystem::create_directory_symlink(outside.path(), host_.Host(R"(C:\link)"));
  host_.MakeFile(R"(C:\inside.tmp)");
  EXPECT_EQ(Find(), std::vector<std::string>{R"(c:\|inside.tmp)"});
}

TEST_F(JunkSearchTest, DeepTreeDoesNotOverflow) {
  // As deep as a Linux path (4,096 bytes) lets the host folders go.
  std::string folder = "C:";
  for (int depth = 0; depth < 1900; ++depth) {
    folder += "\\a";
    std::filesystem::create_directory(host_.Host(folder));
  }
  host_.MakeFile(folder + "\\deep.tmp");
  const auto rows = Find();
  ASSERT_EQ(rows.size(), 1U);
  EXPECT_TRUE(rows[0].ends_with("\\a\\|deep.tmp"));
}

TEST_F(JunkSearchTest, FoldersNamedInTheRegistryAreSearchedWhole) {
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser,
                                  R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders\Cookies)",
                                  R"(D:\Cookies)"));
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser,
                                  R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders\Recent)", "C:"));
  host_.MakeFile(R"(D:\Cookies\user@site.txt)");
  host_.MakeFile(R"(D:\Cookies\index)");  // no dot
  EXPECT_EQ(Find(), std::vector<std::string>{R"(D:\Cookies\|user@site.txt)"});
  EXPECT_NE(std::find(sink_.statuses.begin(), sink_.statuses.end(), std::string(Text(111))), sink_.statuses.end());
}

TEST_F(JunkSearchTest, OtherBrowserCacheIsFoundThroughItsInstallFolder) {
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine,
                                  R"(Software\Netscape\Netscape Navigator\CurrentVersion)", "4.7 (en)"));
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine,
                                  R"(Software\Netscape\Netscape Navigator\4.7 (en)\Main\Install Directory)",
                                  R"(D:\Netscape\Program)"));
  host_.MakeFile(R"(D:\Netscape\Users\default\cache\page.htm)");
  EXPECT_EQ(Find(), std::vector<std::string>{R"(D:\Netscape\Program\..\Users\default\cache\|page.htm)"});
}

class JunkSearchTwoDrives : public JunkSearchTest {
 protected:
  JunkSearchTwoDrives() : JunkSearchTest(platform::DriveType::Fixed) {}
};

TEST_F(JunkSearchTwoDrives, TemporaryFolderIsListedOncePerPath) {
  ASSERT_TRUE(reg::RegWriteString(
      host_.registry(), RootKey::LocalMachine,
      R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\VolumeCaches\Temporary Files\Folder)", R"(C:\Temp)"));
  host_.MakeFile(R"(C:\Temp\a.log)", "12345");
  host_.MakeFile(R"(C:\Temp\b.tmp)", "12");
  host_.MakeFile(R"(D:\d.tmp)");
  host_.MakeFile(R"(E:\e.tmp)");
  EXPECT_EQ(Find(),
            (std::vector<std::string>{R"(c:\Temp\|b.tmp)", R"(C:\Temp\|a.log)", R"(d:\|d.tmp)", R"(e:\|e.tmp)"}));
  EXPECT_EQ(outcome_.totalBytes, 9U);
  EXPECT_EQ(sink_.progressMax, 11U + 7 * 3);
  // One step to start, seven per drive, one per option folder; then the bar goes full.
  ASSERT_GE(sink_.positions.size(), 2U);
  EXPECT_EQ(sink_.positions[sink_.positions.size() - 2], 1U + 7 * 3 + 4);
  EXPECT_EQ(sink_.positions.back(), 11U + 7 * 3);
  EXPECT_TRUE(std::is_sorted(sink_.positions.begin(), sink_.positions.end()));
}

TEST(FileDateText, LocalShortDateAndLongTimeWithoutMidnight) {
  platform::host::HostSystem system;
  // File times are UTC; the row shows the local time, whatever zone the test runs in.
  const auto utcOf = [&](const CalendarTime& local) { return system.UtcTimeOf(FromCalendar(local)); };
  EXPECT_EQ(FileDateText(utcOf({2026, 12, 8, 20, 5, 3}), system), "12/8/2026 8:05:03 PM");
  EXPECT_EQ(FileDateText(utcOf({2026, 12, 8, 0, 0, 0}), system), "12/8/2026");
  EXPECT_EQ(FileDateText(FileTime{0x8000000000000000ULL}, system), "-");
}

}  // namespace
}  // namespace sw::files
