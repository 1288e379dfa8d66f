// The junk of a current system on the host stand-ins: a Windows 10 user's folders on real
// folders as drives C: and E: (with a CD-ROM drive D: between them), file ages set on the
// disk, the running programs and the rights as the test says, and cloud files made with the
// host file system's attribute hook (Linux cannot show them).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "backup/archive_listing.h"
#include "files/junk_delete.h"
#include "files/junk_search.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"

namespace sw::files {
namespace {

constexpr std::uint64_t kTicksPerHour = 36'000'000'000ULL;
constexpr const char* kSid = "S-1-5-21-0-0-0-1000";

class Windows10Layout : public ::testing::Test {
 protected:
  Windows10Layout() {
    host_.system().SetVersion({platform::kPlatformNt, 10, 0, 19045});
    host_.system().SetCurrentUserSid(kSid);
    for (const auto& [name, value] : std::map<std::string, std::string>{
             {"TEMP", R"(C:\Users\ann\AppData\Local\Temp)"},
             {"LOCALAPPDATA", R"(C:\Users\ann\AppData\Local)"},
             {"APPDATA", R"(C:\Users\ann\AppData\Roaming)"},
             {"USERPROFILE", R"(C:\Users\ann)"},
             {"WINDIR", R"(C:\Windows)"},
             {"SystemRoot", R"(C:\Windows)"},
             {"PROGRAMDATA", R"(C:\ProgramData)"},
             {"ProgramFiles", R"(C:\Program Files)"}}) {
      host_.system().SetEnvironment(name, value);
    }
  }

  // A file last written and read `hours` ago (two days unless said otherwise).
  std::string Plant(const std::string& path, int hours = 48) {
    host_.MakeFile(path, "junk of " + path);
    const FileTime then{FileTimeNow().ticks - static_cast<std::uint64_t>(hours) * kTicksPerHour};
    EXPECT_TRUE(host_.files().SetTimes(path, {FileTime{}, then, then})) << path;
    return path;
  }

  // "path|type" of every row, sorted.
  std::vector<std::string> Find() {
    sink_.rows.clear();
    sink_.statuses.clear();
    outcome_ = FindFiles(host_.platform(), sink_, options_);
    std::vector<std::string> rows;
    for (const auto& row : sink_.rows) {
      rows.push_back(FullPathOfRow(row) + "|" + row.Column(4));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  test::HostPlatform host_;
  test::RecordingSink sink_;
  JunkSearchOptions options_{true, true, true, true, std::chrono::milliseconds(0)};
  JunkSearchOutcome outcome_;
};

constexpr const char* kChrome = R"(C:\Users\ann\AppData\Local\Google\Chrome\User Data\)";
constexpr const char* kEdge = R"(C:\Users\ann\AppData\Local\Microsoft\Edge\User Data\)";

TEST_F(Windows10Layout, EveryPlantedJunkFileIsListedWithItsCategoryAndNothingThatMustStay) {
  const std::string chrome = kChrome;
  const std::string temp = R"(C:\Users\ann\AppData\Local\Temp\)";
  const std::string local = R"(C:\Users\ann\AppData\Local\)";
  const std::string bin = std::string(R"(C:\$Recycle.Bin\)") + kSid + "\\";
  std::vector<std::string> expected;
  const auto junk = [&](const std::string& path, const char* type) {
    expected.push_back(Plant(path) + "|" + type);
  };
  junk(temp + "setup-log.txt", "Temporary folder");
  junk(temp + R"(unpacked\data.bin)", "Temporary folder");
  junk(R"(C:\Windows\Temp\service.log)", "Temporary folder");
  for (const std::string profile : {"Default", "Profile 1"}) {
    junk(chrome + profile + R"(\Cache\Cache_Data\f_000001)", "Browser cache");
    junk(chrome + profile + R"(\Code Cache\js\index)", "Browser cache");
    junk(chrome + profile + R"(\GPUCache\data_0)", "Browser cache");
  }
  junk(chrome + R"(ShaderCache\data_1)", "Browser cache");
  junk(chrome + R"(GrShaderCache\data_2)", "Browser cache");
  junk(std::string(kEdge) + R"(Default\Cache\Cache_Data\f_00000a)", "Browser cache");
  junk(local + R"(Mozilla\Firefox\Profiles\k3x.default-release\cache2\entries\A1B2)", "Browser cache");
  junk(local + R"(CrashDumps\app.exe.1234.dmp)", "Crash dump");
  junk(R"(C:\Windows\Minidump\120926-01.dmp)", "Crash dump");
  junk(R"(C:\Windows\MEMORY.DMP)", "Crash dump");
  junk(local + R"(Microsoft\Windows\WER\ReportArchive\AppCrash_x\Report.wer)", "Error report");
  junk(R"(C:\ProgramData\Microsoft\Windows\WER\ReportQueue\Kernel_y\Report.wer)", "Error report");
  junk(local + R"(Microsoft\Windows\Explorer\thumbcache_256.db)", "Thumbnail cache");
  // A Recycle Bin item is one row: a file's two halves, and a folder with all it holds.
  Plant(bin + "$IAB12CD.docx");
  junk(bin + "$RAB12CD.docx", "Recycle Bin");
  Plant(bin + R"($RFOLDER\inside\page.txt)");
  expected.push_back(bin + "$RFOLDER|Recycle Bin");
  // On a drive after the gap at D:, spelt as other drives may spell it; the row shows the
  // name as the location table has it.
  Plant(std::string(R"(E:\$RECYCLE.BIN\)") + kSid + R"(\$R0001.txt)");
  expected.push_back(std::string(R"(E:\$Recycle.Bin\)") + kSid + R"(\$R0001.txt|Recycle Bin)");
  junk(R"(C:\Windows\SoftwareDistribution\Download\a1\update.cab)", "Windows Update download");

  // What must stay, beside the junk.
  const std::vector<std::string> kept = {
      Plant(temp + "written-a-minute-ago.txt", 0),
      Plant(temp + R"(Low\old.dat)"),
      Plant(chrome + R"(Default\Cookies)"),
      Plant(chrome + R"(Default\Network\Cookies)"),
      Plant(chrome + R"(Default\History)"),
      Plant(chrome + R"(Default\Bookmarks)"),
      Plant(chrome + R"(Default\Login Data)"),
      Plant(chrome + R"(Default\Preferences)"),
      Plant(chrome + R"(Default\Local Storage\leveldb\000003.log)"),
      Plant(chrome + "Local State"),
      Plant(chrome + R"(Crashpad\settings.dat)"),
      Plant(R"(C:\Users\ann\AppData\Roaming\Mozilla\Firefox\Profiles\k3x.default-release\places.sqlite)"),
      Plant(R"(C:\Users\ann\AppData\Roaming\Mozilla\Firefox\Profiles\k3x.default-release\cache2\x)"),
      Plant(local + R"(Microsoft\Windows\Explorer\iconcache_256.db)"),
      Plant(R"(C:\Users\ann\Downloads\setup.exe)"),
      Plant(R"(C:\Users\ann\Documents\letter.docx)"),
      Plant(bin + "desktop.ini"),
      Plant(R"(C:\$Recycle.Bin\S-1-5-21-0-0-0-1001\$RSOMEONE.txt)"),  // another user's
      Plant(R"(C:\Windows\SoftwareDistribution\DataStore\DataStore.edb)"),
      Plant(R"(C:\Windows\Minidump\notes.txt)"),
  };
  // A folder link in the Recycle Bin that leads to the user's documents.
  std::filesystem::create_directory_symlink(host_.Host(R"(C:\Users\ann\Documents)"), host_.Host(bin + "$RLINK"));

  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Find(), expected);
  EXPECT_TRUE(outcome_.browsersToClose.empty());
  // One step per category of the table that had folders to walk, beyond 11 and 7 per drive.
  EXPECT_EQ(sink_.progressMax, 11U + 7 * 2 + 7);
  EXPECT_EQ(sink_.progress, sink_.progressMax);

  // Deleting every row leaves exactly what must stay.
  int counter = 1;
  std::vector<ResultRow> list = sink_.rows;
  const FileDeleteOutcome deleted = DeleteFiles(list, true, counter, host_.platform(), sink_);
  EXPECT_EQ(deleted.deleted, static_cast<int>(expected.size()));
  EXPECT_TRUE(list.empty());
  for (const std::string& path : kept) {
    EXPECT_TRUE(std::filesystem::exists(host_.Host(path))) << path;
  }
  EXPECT_TRUE(std::filesystem::exists(host_.Host(bin)));  // the folders stay
  EXPECT_TRUE(std::filesystem::exists(host_.Host(temp)));
  EXPECT_FALSE(std::filesystem::exists(host_.Host(bin + "$IAB12CD.docx")));  // with its partner
  EXPECT_FALSE(std::filesystem::exists(host_.Host(bin + "$RFOLDER")));       // with what it held
}

// Each deleted item of the Recycle Bin is one row: its "$I" and "$R" halves, and everything a
// "$R" folder holds, are backed up and deleted together, or kept together.
TEST_F(Windows10Layout, ARecycleBinItemIsOneRowAndGoesWhole) {
  const std::string bin = std::string(R"(C:\$Recycle.Bin\)") + kSid + "\\";
  Plant(bin + "$I7Q2K1P.jpg");
  Plant(bin + "$R7Q2K1P.jpg");
  Plant(bin + "$IFOLDER1");
  Plant(bin + R"($RFOLDER1\a.txt)");
  Plant(bin + R"($RFOLDER1\deeper\b.txt)");
  Plant(bin + "$IORPHAN.txt");  // its file is gone already
  options_.categories = CategorySet::None();
  options_.categories.Set(JunkCategory::kRecycleBin, true);
  EXPECT_EQ(Find(), (std::vector<std::string>{bin + "$IORPHAN.txt|Recycle Bin", bin + "$R7Q2K1P.jpg|Recycle Bin",
                                              bin + "$RFOLDER1|Recycle Bin"}));
  // The folder's row shows the size of all it holds and of its "$I" file.
  const auto folderRow = std::find_if(sink_.rows.begin(), sink_.rows.end(),
                                      [](const ResultRow& row) { return row.columns[0] == "$RFOLDER1"; });
  ASSERT_NE(folderRow, sink_.rows.end());
  const std::uint64_t held = ("junk of " + bin + R"($RFOLDER1\a.txt)").size() +
                             ("junk of " + bin + R"($RFOLDER1\deeper\b.txt)").size() +
                             ("junk of " + bin + "$IFOLDER1").size();
  EXPECT_EQ(folderRow->columns[2], std::to_string(held));

  // The picture's "$I" half changes after the Find: its item stays whole.
  std::vector<ResultRow> list = sink_.rows;
  host_.MakeFile(bin + "$I7Q2K1P.jpg", "rewritten, another size");
  int counter = 1;
  const FileDeleteOutcome outcome = DeleteFiles(list, true, counter, host_.platform(), sink_);
  EXPECT_EQ(outcome.deleted, 2);
  EXPECT_EQ(outcome.keptChanged, 1);
  EXPECT_TRUE(std::filesystem::exists(host_.Host(bin + "$R7Q2K1P.jpg")));
  EXPECT_TRUE(std::filesystem::exists(host_.Host(bin + "$I7Q2K1P.jpg")));
  EXPECT_FALSE(std::filesystem::exists(host_.Host(bin + "$RFOLDER1")));
  EXPECT_FALSE(std::filesystem::exists(host_.Host(bin + "$IFOLDER1")));
  EXPECT_FALSE(std::filesystem::exists(host_.Host(bin + "$IORPHAN.txt")));
  // The archive holds every file of the items that went, and nothing of the one that stayed.
  const backup::ArchiveListing archive = backup::ListArchive(host_.files(), host_.system(), outcome.archive);
  std::vector<std::string> stored;
  for (const auto& entry : archive.entries) {
    stored.push_back(entry.name.substr(entry.name.rfind("$")));
  }
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (std::vector<std::string>{"$ifolder1", "$iorphan.txt", "$rfolder1\\a.txt",
                                              "$rfolder1\\deeper\\b.txt"}));
}

// A browser started between the Find and the Delete writes its cache again: those rows stay.
TEST_F(Windows10Layout, ABrowserStartedAfterTheFindKeepsItsCache) {
  const std::string chromeCache = Plant(std::string(kChrome) + R"(Default\Cache\Cache_Data\f_1)");
  const std::string edgeCache = Plant(std::string(kEdge) + R"(Default\GPUCache\data_0)");
  ASSERT_EQ(Find().size(), 2U);
  std::vector<ResultRow> list = sink_.rows;
  host_.processes().SetRunningPrograms({"explorer.exe", "Chrome.exe"});
  int counter = 1;
  const FileDeleteOutcome outcome = DeleteFiles(list, false, counter, host_.platform(), sink_);
  EXPECT_EQ(outcome.deleted, 1);
  EXPECT_EQ(outcome.keptBrowser, 1);
  EXPECT_EQ(outcome.browsersStarted, std::vector<std::string>{"Chrome"});
  EXPECT_TRUE(std::filesystem::exists(host_.Host(chromeCache)));
  EXPECT_FALSE(std::filesystem::exists(host_.Host(edgeCache)));
  ASSERT_EQ(list.size(), 1U);
  EXPECT_EQ(FullPathOfRow(list[0]), chromeCache);
  EXPECT_NE(sink_.questions.back().text.find("Chrome was started since the Find"), std::string::npos)
      << sink_.questions.back().text;
}

TEST_F(Windows10Layout, ARunningBrowserKeepsItsCacheAndTheStatusSaysWhichToClose) {
  const std::string chromeCache = Plant(std::string(kChrome) + R"(Profile 2\Cache\Cache_Data\f_1)");
  const std::string edgeCache = Plant(std::string(kEdge) + R"(Default\GPUCache\data_0)");
  host_.processes().SetRunningPrograms({"explorer.exe", "CHROME.EXE", "chrome.exe"});
  EXPECT_EQ(Find(), std::vector<std::string>{edgeCache + "|Browser cache"});
  EXPECT_EQ(outcome_.browsersToClose, std::vector<std::string>{"Chrome"});
  EXPECT_NE(sink_.statuses.back().find("Close Chrome and search again"), std::string::npos) << sink_.statuses.back();

  host_.processes().SetRunningPrograms({"msedge.exe", "chrome.exe"});
  EXPECT_TRUE(Find().empty());
  EXPECT_EQ(outcome_.browsersToClose, (std::vector<std::string>{"Chrome", "Edge"}));
  EXPECT_NE(sink_.statuses.back().find("Close Chrome and Edge"), std::string::npos);

  host_.processes().SetRunningPrograms({});
  EXPECT_EQ(Find().size(), 2U);
}

TEST_F(Windows10Layout, UpdateDownloadsOnlyWithAdministratorRights) {
  const std::string download = Plant(R"(C:\Windows\SoftwareDistribution\Download\x.cab)");
  host_.system().SetAdmin(false);
  EXPECT_TRUE(Find().empty());
  EXPECT_EQ(outcome_.needElevation, std::vector<JunkCategory>{JunkCategory::kWindowsUpdate});
  EXPECT_TRUE(sink_.statuses.back().ends_with("Windows Update downloads need administrator rights"))
      << sink_.statuses.back();
  host_.system().SetAdmin(true);
  EXPECT_EQ(Find(), std::vector<std::string>{download + "|Windows Update download"});
  EXPECT_TRUE(outcome_.needElevation.empty());
}

TEST_F(Windows10Layout, CloudFilesAreNeverListedNorEntered) {
  const std::string temp = R"(C:\Users\ann\AppData\Local\Temp\)";
  Plant(temp + "online-only.docx");
  Plant(temp + R"(Synced\old.txt)");
  Plant(R"(C:\Users\ann\OneDrive\report.tmp)");
  const std::string local = Plant(temp + "local.txt");
  auto& files = host_.hostFiles();
  ASSERT_TRUE(files.ForceAttributes(temp + "online-only.docx", platform::kAttrRecallOnDataAccess));
  ASSERT_TRUE(files.ForceAttributes(temp + "Synced", platform::kAttrRecallOnOpen));
  ASSERT_TRUE(files.ForceAttributes(R"(C:\Users\ann\OneDrive\report.tmp)", platform::kAttrOffline));
  EXPECT_EQ(Find(), std::vector<std::string>{local + "|Temporary folder"});
}

// The recycle bins of old systems only on those systems: on Windows 10 a folder named
// Recycled or RECYCLER is the user's own (a holiday picture there stays), and the walk of a
// whole drive enters none of the folders an upgrade or the system keeps.
TEST_F(Windows10Layout, EachGenerationSearchesItsOwnRows) {
  const std::string bin = Plant(std::string(R"(C:\$Recycle.Bin\)") + kSid + R"(\$R1.txt)");
  const std::string recycler = Plant(std::string(R"(C:\RECYCLER\)") + kSid + R"(\Dc1.txt)");
  Plant(std::string(R"(C:\RECYCLER\)") + kSid + R"(\desktop.ini)");
  const std::string holiday = Plant(R"(E:\Recycled\holiday.jpg)");
  Plant(R"(C:\Users\ann\AppData\Local\Temp\old.txt)");
  for (const char* kept : {R"(C:\Windows.old\Temp\a.tmp)", R"(C:\$Windows.~BT\b.tmp)", R"(C:\$Windows.~WS\c.tmp)",
                           R"(C:\$WinREAgent\d.tmp)", R"(C:\System Volume Information\e.tmp)",
                           R"(E:\Windows.old\f.tmp)"}) {
    Plant(kept);
  }
  options_.categories.Set(JunkCategory::kTemporaryFolders, false);
  EXPECT_EQ(Find(), std::vector<std::string>{bin + "|Recycle Bin"});  // Windows 10
  host_.system().SetVersion({platform::kPlatformNt, 5, 1, 2600});  // XP
  EXPECT_EQ(Find(), (std::vector<std::string>{recycler + "|Recycle Bin", "e" + holiday.substr(1) + "|Recycle Bin"}));
  host_.system().SetVersion({platform::kPlatformWindows, 4, 10, 2222});  // 98
  EXPECT_EQ(Find(), std::vector<std::string>{"e" + holiday.substr(1) + "|Recycle Bin"});
  EXPECT_EQ(sink_.progressMax, 11U + 7 * 2);  // as the drive walk alone counts it
}

TEST_F(Windows10Layout, OnlyTheCategoriesAskedForAreSearched) {
  const std::string dump = Plant(R"(C:\Users\ann\AppData\Local\CrashDumps\a.dmp)");
  const std::string tmp = Plant(R"(C:\Users\ann\Documents\draft.tmp)");
  const std::string thumbs = Plant(R"(C:\Users\ann\AppData\Local\Microsoft\Windows\Explorer\thumbcache_32.db)");
  std::string unknown;
  options_.categories = *CategorySet::Parse("crash-dumps, temporary-files", "", unknown);
  // The drive walk shows drive letters in lower case.
  EXPECT_EQ(Find(), (std::vector<std::string>{dump + "|Crash dump", "c" + tmp.substr(1) + "|Temporary file"}));
  options_.categories = *CategorySet::Parse("", "crash-dumps,TEMPORARY-FILES", unknown);
  EXPECT_EQ(Find(), std::vector<std::string>{thumbs + "|Thumbnail cache"});
  EXPECT_FALSE(CategorySet::Parse("crash-dumps,cache", "", unknown));
  EXPECT_EQ(unknown, "cache");
  // The window's box for the internet cache and the category must both say yes.
  options_.categories = CategorySet::All();
  options_.internetCache = false;
  EXPECT_EQ(Find().size(), 3U);
}

// At Delete each file is compared with what the Find saw; one that changed is kept.
TEST_F(Windows10Layout, AFileChangedSinceTheFindIsKeptCheckedAndCounted) {
  const std::string temp = R"(C:\Users\ann\AppData\Local\Temp\)";
  const std::string grown = Plant(temp + "grown.log");
  const std::string touched = Plant(temp + "touched.log");
  const std::string nowFolder = Plant(temp + "now-a-folder.log");
  const std::string nowCloud = Plant(temp + "now-in-the-cloud.log");
  const std::string gone = Plant(temp + "gone.log");
  const std::string same = Plant(temp + "same.log");
  Find();
  ASSERT_EQ(sink_.rows.size(), 6U);
  std::vector<ResultRow> list = sink_.rows;

  host_.MakeFile(grown, "junk of " + grown + " and more");
  ASSERT_TRUE(host_.files().SetTimes(touched, {FileTime{}, FileTimeNow(), FileTimeNow()}));  // same size
  std::filesystem::remove(host_.Host(nowFolder));
  std::filesystem::create_directory(host_.Host(nowFolder));
  ASSERT_TRUE(host_.hostFiles().ForceAttributes(nowCloud, platform::kAttrRecallOnDataAccess));
  std::filesystem::remove(host_.Host(gone));

  int counter = 1;
  const FileDeleteOutcome outcome = DeleteFiles(list, true, counter, host_.platform(), sink_);
  EXPECT_EQ(outcome.keptChanged, 4);
  EXPECT_EQ(outcome.deleted, 2);  // the same file, and the one gone already
  EXPECT_FALSE(std::filesystem::exists(host_.Host(same)));
  for (const std::string& path : {grown, touched, nowCloud}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(host_.Host(path))) << path;
  }
  ASSERT_EQ(list.size(), 4U);
  EXPECT_TRUE(std::all_of(list.begin(), list.end(), [](const ResultRow& row) { return row.checked; }));
  const auto told = std::find_if(sink_.questions.begin(), sink_.questions.end(),
                                 [](const Message& m) { return m.text.starts_with("4 files changed since the Find"); });
  EXPECT_NE(told, sink_.questions.end());
  // Nothing of the kept files went into the archive.
  const backup::ArchiveListing archive = backup::ListArchive(host_.files(), host_.system(), outcome.archive);
  ASSERT_EQ(archive.entries.size(), 1U) << archive.error;
  EXPECT_TRUE(archive.entries[0].name.ends_with("same.log")) << archive.entries[0].name;
}

}  // namespace
}  // namespace sw::files
