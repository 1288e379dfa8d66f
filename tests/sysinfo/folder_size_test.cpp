// Folder measuring against real files: the host stand-in natively, kernel32 under Wine.

#include "sysinfo/folder_size.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "core/text.h"
#include "core/win_path.h"
#include "support/file_fixture.h"
#include "support/forwarding_file_system.h"
#include "sysinfo/folder_chart.h"

namespace sw::sysinfo {
namespace {

namespace fs = std::filesystem;
using platform::FileSystem;

// Passes every call on to the real file system, except that the listing of one folder fails
// and the workers' listings may be held until the test lets them go.
class GuardedFiles final : public test::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  Result<std::unique_ptr<platform::FolderReader>> ListFolder(std::string_view folder,
                                                             platform::FolderDetail detail) override {
    if (holdListings && std::this_thread::get_id() != caller) {
      std::unique_lock lock(mutex_);
      released_.wait_for(lock, std::chrono::seconds(10), [this] { return !holdListings; });
    }
    if (!refused.empty() && PathsEqual(AddTrailingBackslash(folder), refused)) {
      return Error(Errc::AccessDenied);
    }
    return real_.ListFolder(folder, detail);
  }
  void Release() {
    {
      const std::lock_guard lock(mutex_);
      holdListings = false;
    }
    released_.notify_all();
  }

  std::string refused;  // with a trailing backslash
  std::atomic<bool> holdListings{false};
  std::thread::id caller = std::this_thread::get_id();

 private:
  std::mutex mutex_;
  std::condition_variable released_;
};

// tree               0 + 1 + 1023 + 1024 + 5,000,000 bytes, and a hidden system file of 2048
//   .config\deep      one file of 3000 bytes
//   empty
//   small             50 files of 900 bytes (43 KB summed, 0 KB file by file)
//   sub\.git\objects  one file of 4096 bytes
class FolderSizeTest : public test::FileFixture {
 protected:
  void SetUp() override {
    for (const auto& [name, size] : std::map<std::string, std::size_t>{
             {"zero.bin", 0}, {"one.bin", 1}, {"k-1.bin", 1023}, {"k.bin", 1024}, {"big.bin", 5'000'000}}) {
      MakeFile("tree\\" + name, std::string(size, 'x'));
    }
    MakeFile("tree\\hidden.sys", std::string(2048, 'h'));
    ASSERT_TRUE(files().SetAttributes(At("tree\\hidden.sys"), platform::kAttrHidden | platform::kAttrSystem));
    MakeFile("tree\\.config\\deep\\x.dat", std::string(3000, 'c'));
    fs::create_directories(Host("tree\\empty"));
    for (int i = 0; i < 50; ++i) {
      MakeFile("tree\\small\\s" + std::to_string(i) + ".txt", std::string(900, 's'));
    }
    MakeFile("tree\\sub\\.git\\objects\\y", std::string(4096, 'g'));
  }

  // The chart's lines by label, with their tags.
  std::map<std::string, std::pair<std::string, std::int64_t>> LinesOf(const FolderChart& chart) {
    std::map<std::string, std::pair<std::string, std::int64_t>> lines;
    for (const auto& line : chart.lines) {
      const auto space = line.text.find(' ');
      lines[line.text.substr(space + 1)] = {line.text.substr(0, space), line.tag};
    }
    return lines;
  }

  std::string Upper(std::string_view sub) { return ToUpperText(At(sub)); }
};

constexpr std::uint64_t kTreeBytes = 5'002'048 + 2048 + 3000 + 45'000 + 4096;

TEST_F(FolderSizeTest, SumsBytesOfEveryFileAndEveryFolderOnce) {
  EXPECT_EQ(FolderSizeKB(files(), At("tree\\")), kTreeBytes / 1024);
  EXPECT_EQ(FolderSizeKB(files(), At("tree\\")), 4937U);
  EXPECT_EQ(FolderSizeKB(files(), At("tree\\small\\")), 43U);  // 45,000 bytes, not 50 × 0
  EXPECT_EQ(FolderSizeKB(files(), At("tree\\sub\\")), 4U);     // below a dot folder
  EXPECT_EQ(FolderSizeKB(files(), At("tree\\empty\\")), 0U);
  EXPECT_EQ(FolderSizeKB(files(), At("missing\\")), 0U);
  EXPECT_EQ(FilesSizeKB(files(), At("tree\\")), 4886U);  // 5,004,096 bytes directly in the folder
  EXPECT_EQ(FilesSizeBytes(files(), At("tree")), 5'004'096U);

  const std::vector<std::string> folders = {At("tree\\.config"), At("tree\\small"), At("tree\\sub"), At("tree\\empty")};
  for (const unsigned workers : {1U, 2U, 4U}) {
    MeasureOptions options;
    options.workers = workers;
    EXPECT_EQ(MeasureFolderBytes(files(), folders, options), (std::vector<std::uint64_t>{3000, 45'000, 4096, 0}))
        << workers << " workers";
  }
}

TEST_F(FolderSizeTest, ListsSubfoldersInUpperCaseDotFoldersIncluded) {
  auto listed = ListSubfolders(files(), At("tree"));
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{Upper("tree\\.config"), Upper("tree\\empty"), Upper("tree\\small"),
                                              Upper("tree\\sub")}));
  EXPECT_TRUE(ListSubfolders(files(), "").empty());
  EXPECT_TRUE(ListSubfolders(files(), At("tree\\empty")).empty());
}

TEST_F(FolderSizeTest, ChartHasASlicePerSubfolderAndOneForTheFiles) {
  const FolderChart chart = folderpiechart(files(), At("tree"));
  const auto lines = LinesOf(chart);
  ASSERT_EQ(lines.size(), 5U);
  EXPECT_EQ(lines.at(Upper("tree\\.config")).first, "2");
  EXPECT_EQ(lines.at(Upper("tree\\small")).first, "43");
  EXPECT_EQ(lines.at(Upper("tree\\sub")).first, "4");
  EXPECT_EQ(lines.at(Upper("tree\\empty")).first, "0");
  EXPECT_EQ(chart.lines.back().text, "4886 Files");
  EXPECT_EQ(chart.lines.back().tag, 4);
  for (std::size_t i = 0; i + 1 < chart.lines.size(); ++i) {
    EXPECT_EQ(chart.lines[i].tag, static_cast<std::int64_t>(i));
  }
  // All slices' bytes, the files' slice included, turned into KB once.
  EXPECT_EQ(chart.totalKB, kTreeBytes / 1024);
  EXPECT_EQ(chart.status, "Total size in " + At("tree") + " is 4MB");
  EXPECT_TRUE(chart.complete);

  const FolderChart empty = folderpiechart(files(), At("tree\\empty"));
  ASSERT_EQ(empty.lines.size(), 1U);
  EXPECT_EQ(empty.lines[0].text, "0 Files");
  EXPECT_EQ(empty.lines[0].tag, 0);
  EXPECT_EQ(empty.totalKB, 0U);

  // A folder of files only: its total is its files, 45,000 bytes, not 0 nor 50 × 0 KB.
  const FolderChart small = folderpiechart(files(), At("tree\\small"));
  ASSERT_EQ(small.lines.size(), 1U);
  EXPECT_EQ(small.lines[0].text, "43 Files");
  EXPECT_EQ(small.totalKB, 43U);
}

// Hard links made with the file system's own call (CreateHardLinkW under Wine, link(2)
// natively): one file of 1 MB with four names, in two subfolders and beside them.
TEST_F(FolderSizeTest, AFileWithSeveralNamesCountsOncePerChart) {
  MakeFile("linked\\a\\one.bin", std::string(1'048'576, 'l'));
  MakeFile("linked\\b\\other.bin", std::string(3000, 'o'));
  fs::create_hard_link(Host("linked\\a\\one.bin"), Host("linked\\a\\again.bin"));
  fs::create_hard_link(Host("linked\\a\\one.bin"), Host("linked\\b\\one.bin"));
  fs::create_hard_link(Host("linked\\a\\one.bin"), Host("linked\\loose.bin"));
  for (const unsigned workers : {1U, 3U}) {
    MeasureOptions options;
    options.workers = workers;
    const FolderChart chart = folderpiechart(files(), At("linked"), options);
    const auto lines = LinesOf(chart);
    EXPECT_EQ(lines.at(Upper("linked\\a")).first, "1024") << workers << " workers";  // its two names there: once
    EXPECT_EQ(lines.at(Upper("linked\\b")).first, "2");  // counted in a already
    EXPECT_EQ(lines.at("Files").first, "0");
    EXPECT_EQ(chart.totalKB, (1'048'576 + 3000) / 1024);
  }
  // Each chart counts it once: one level down, b holds it again.
  EXPECT_EQ(LinesOf(folderpiechart(files(), At("linked\\b"))).at("Files").first, "1026");
  EXPECT_EQ(FolderSizeKB(files(), At("linked")), 1026U);
}

// Stop while a large tree is measured, pressed once thirty folders have been listed (as the
// window's Stop button would, from its message loop, while the workers list): the chart shows
// the slices as far as they got, marked partial.
TEST_F(FolderSizeTest, StopEndsAMeasuringAndTheChartSaysItIsPartial) {
  constexpr int kFolders = 40;
  constexpr int kDepth = 5;
  for (int i = 0; i < kFolders; ++i) {
    std::string folder = "large\\f" + std::to_string(i);
    for (int d = 0; d < kDepth; ++d) {
      folder += "\\d";
      MakeFile(folder + "\\data.bin", std::string(2048, 'd'));
    }
  }
  const FolderChart whole = folderpiechart(files(), At("large"));
  ASSERT_EQ(whole.totalKB, std::uint64_t{kFolders} * kDepth * 2);

  class CountingFiles final : public test::ForwardingFileSystem {
   public:
    using ForwardingFileSystem::ForwardingFileSystem;
    Result<std::unique_ptr<platform::FolderReader>> ListFolder(std::string_view folder,
                                                               platform::FolderDetail detail) override {
      if (++listings == 30) {
        stop.Request();
      }
      return real_.ListFolder(folder, detail);
    }
    std::atomic<int> listings{0};
    StopFlag stop;
  } counting(files());
  MeasureOptions options;
  options.workers = 2;
  options.stop = &counting.stop;
  options.whileWaiting = [] {};
  const FolderChart partial = folderpiechart(counting, At("large"), options);
  EXPECT_FALSE(partial.complete);
  EXPECT_LT(partial.totalKB, whole.totalKB);
  EXPECT_LT(counting.listings.load(), 1 + kFolders * (kDepth + 1));
  EXPECT_TRUE(partial.status.ends_with(std::string(kPartialMark))) << partial.status;
  EXPECT_EQ(partial.lines.size(), whole.lines.size());  // every slice is there, some short
}

// A listing that reports two folders of the tree as reparse points with the tags Windows gives
// them: a cloud client's synced folder (its data is its own) and a mount point (a name for
// another volume's root). Neither build can make such folders, so the listing says so.
class TaggingFiles final : public test::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  Result<std::unique_ptr<platform::FolderReader>> ListFolder(std::string_view folder,
                                                             platform::FolderDetail detail) override {
    auto reader = real_.ListFolder(folder, detail);
    if (!reader) {
      return reader;
    }
    return std::unique_ptr<platform::FolderReader>(std::make_unique<Tagging>(std::move(*reader)));
  }

 private:
  class Tagging final : public platform::FolderReader {
   public:
    explicit Tagging(std::unique_ptr<platform::FolderReader> real) : real_(std::move(real)) {}
    bool Next(platform::FolderEntry& entry) override {
      if (!real_->Next(entry)) {
        return false;
      }
      if (entry.name == "synced" || entry.name == "mounted") {
        entry.attributes |= platform::kAttrReparsePoint;
        entry.reparseTag = entry.name == "synced" ? 0x9000701AU : 0xA0000003U;
      }
      return true;
    }

   private:
    std::unique_ptr<platform::FolderReader> real_;
  };
};

TEST_F(FolderSizeTest, AReparseFolderThatHoldsItsOwnDataIsMeasuredALinkNever) {
  MakeFile("tagged\\synced\\notes.txt", std::string(4096, 's'));
  MakeFile("tagged\\mounted\\other.bin", std::string(8192, 'm'));
  TaggingFiles tagging(files());
  const auto lines = LinesOf(folderpiechart(tagging, At("tagged")));
  EXPECT_EQ(lines.at(Upper("tagged\\synced")).first, "4");
  EXPECT_EQ(lines.count(Upper("tagged\\mounted")), 0U);  // no slice for a link
  EXPECT_EQ(FolderSizeKB(tagging, At("tagged")), 4U);
}

#ifndef _WIN32
// Wine cannot mark a file as a cloud file: the host stand-in keeps the "offline" attribute
// (which SetFileAttributes sets on Windows too, and cloud clients use). A 10 MB
// placeholder whose data is in the cloud takes no block on the disk and counts what it takes;
// the walk never opens it.
TEST_F(FolderSizeTest, ACloudPlaceholderCountsWhatItTakesOnTheDiskAndIsNeverOpened) {
  MakeFile("cloud\\docs\\local.txt", std::string(5000, 'x'));
  MakeFile("cloud\\docs\\remote.docx", "");
  fs::resize_file(Host("cloud\\docs\\remote.docx"), 10'000'000);  // sparse: no block written
  ASSERT_TRUE(files().SetAttributes(At("cloud\\docs\\remote.docx"),
                                    platform::kAttrArchive | platform::kAttrOffline));
  class OpeningFiles final : public test::ForwardingFileSystem {
   public:
    using ForwardingFileSystem::ForwardingFileSystem;
    Result<std::unique_ptr<platform::FileReader>> OpenForReading(std::string_view p, platform::ReadSharing s) override {
      ++opened;
      return real_.OpenForReading(p, s);
    }
    int opened = 0;
  } opening(files());
  const FolderChart chart = folderpiechart(opening, At("cloud"));
  EXPECT_EQ(LinesOf(chart).at(Upper("cloud\\docs")).first, "4");  // 5000 bytes and no block
  EXPECT_EQ(opening.opened, 0);
}
#endif

TEST_F(FolderSizeTest, AFolderThatCannotBeListedAddsNothingAndTheRestGoesOn) {
  GuardedFiles guarded(files());
  guarded.refused = At("tree\\small\\");
  EXPECT_EQ(FolderSizeKB(guarded, At("tree")), (kTreeBytes - 45'000) / 1024);
  const auto lines = LinesOf(folderpiechart(guarded, At("tree")));
  EXPECT_EQ(lines.at(Upper("tree\\small")).first, "0");
  EXPECT_EQ(lines.at(Upper("tree\\sub")).first, "4");

  guarded.refused = At("tree\\");
  const FolderChart chart = folderpiechart(guarded, At("tree"));
  ASSERT_EQ(chart.lines.size(), 1U);
  EXPECT_EQ(chart.lines[0].text, "0 Files");
}

TEST_F(FolderSizeTest, TheCallingThreadKeepsItsMessagesFlowingWhileWorkersMeasure) {
  GuardedFiles guarded(files());
  guarded.holdListings = true;  // no listing ends before the caller has waited once
  const auto caller = std::this_thread::get_id();
  int pumps = 0;
  bool pumpedOnCaller = true;
  MeasureOptions options;
  options.workers = 2;
  options.whileWaiting = [&] {
    ++pumps;
    pumpedOnCaller = pumpedOnCaller && std::this_thread::get_id() == caller;
    guarded.Release();
  };
  const FolderChart chart = folderpiechart(guarded, At("tree"), options);
  EXPECT_GE(pumps, 1);
  EXPECT_TRUE(pumpedOnCaller);
  EXPECT_EQ(chart.totalKB, kTreeBytes / 1024);
}

#ifndef _WIN32
// Wine shows a Linux symbolic link as the folder it points to, so links are made natively.
TEST_F(FolderSizeTest, NeverEntersALinkAndWalksAnyDepth) {
  MakeFile("outside\\huge.bin", std::string(1'000'000, 'o'));
  fs::create_directory_symlink(Host("outside"), Host("tree\\link"));
  fs::create_directory_symlink(Host("tree"), Host("tree\\sub\\loop"));
  EXPECT_EQ(FolderSizeKB(files(), At("tree")), 4937U);
  EXPECT_EQ(ListSubfolders(files(), At("tree")).size(), 4U);

  std::string deep = "deep";
  for (int i = 0; i < 400; ++i) {
    deep += "\\d";
  }
  MakeFile(deep + "\\bottom.bin", std::string(4096, 'b'));
  EXPECT_EQ(FolderSizeKB(files(), At("deep")), 4U);
}
#endif

}  // namespace
}  // namespace sw::sysinfo
