// The file system operations the engines rely on, against real files: the host stand-in on
// Linux, kernel32 under Wine.

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "core/text.h"
#include "core/win_path.h"
#include "platform/error_message.h"
#include "support/file_fixture.h"

#ifndef _WIN32
#include "platform/host/host_file_system.h"
#endif

namespace sw::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

class FileSystemContract : public test::FileFixture {
 protected:
  std::map<std::string, FolderEntry> List(std::string_view sub) {
    std::map<std::string, FolderEntry> entries;
    auto reader = files_->ListFolder(At(sub));
    EXPECT_TRUE(reader.has_value()) << At(sub);
    if (reader) {
      for (FolderEntry entry; (*reader)->Next(entry);) {
        entries[entry.name] = entry;
      }
    }
    return entries;
  }
};

TEST_F(FileSystemContract, ListsEntriesWithTheirDetails) {
  WriteFileBytes(Host("a.tmp"), "abc");
  fs::create_directory(Host("Sub"));
  const FileTime now = FileTimeNow();
  const auto entries = List("");
  ASSERT_EQ(entries.size(), 2U);  // no "." or ".."
  const FolderEntry& file = entries.at("a.tmp");
  EXPECT_EQ(file.size, 3U);
  EXPECT_FALSE(file.IsFolder());
  EXPECT_FALSE(file.IsReparsePoint());
  EXPECT_LT(now.ticks - file.lastWrite.ticks, 600'000'000U);  // within a minute
  EXPECT_TRUE(entries.at("Sub").IsFolder());
  EXPECT_TRUE(List("Sub").empty());
  EXPECT_FALSE(files_->ListFolder(At("Missing")).has_value());
}

TEST_F(FileSystemContract, SizesAre64Bit) {
  constexpr std::uint64_t kFiveGiB = 5ULL << 30U;
  { std::ofstream create(Host("big.bin")); }
  fs::resize_file(Host("big.bin"), kFiveGiB);  // sparse: no disk space is used
  EXPECT_EQ(List("").at("big.bin").size, kFiveGiB);
  auto reader = files_->OpenForReading(At("big.bin"));
  ASSERT_TRUE(reader.has_value());
  EXPECT_EQ((*reader)->Size().value_or(0), kFiveGiB);
}

TEST_F(FileSystemContract, KeepsAttributesAndHonoursReadOnly) {
  WriteFileBytes(Host("keep.txt"), "x");
  EXPECT_TRUE(files_->FileExists(At("keep.txt")));
  ASSERT_TRUE(files_->SetAttributes(At("keep.txt"), kAttrReadOnly | kAttrHidden).has_value());
  const auto attributes = files_->AttributesOf(At("keep.txt"));
  ASSERT_TRUE(attributes.has_value());
  EXPECT_EQ(*attributes & (kAttrReadOnly | kAttrHidden | kAttrDirectory), kAttrReadOnly | kAttrHidden);
  EXPECT_TRUE(files_->RemoveFile(At("keep.txt")).error().Is(Errc::AccessDenied));
  EXPECT_TRUE(files_->ReplaceWholeText(At("keep.txt"), "y").error().Is(Errc::AccessDenied));
  EXPECT_EQ(ReadFileBytes(Host("keep.txt")), "x");

  ASSERT_TRUE(files_->SetAttributes(At("keep.txt"), kAttrNormal).has_value());
  EXPECT_TRUE(files_->RemoveFile(At("keep.txt")).has_value());
  EXPECT_FALSE(files_->Exists(At("keep.txt")));
}

TEST_F(FileSystemContract, TellsMissingFilesFromMissingFolders) {
  EXPECT_TRUE(files_->RemoveFile(At("none.txt")).error().Is(Errc::FileNotFound));
  EXPECT_TRUE(files_->AttributesOf(At("NoFolder\\none.txt")).error().Is(Errc::PathNotFound));
  EXPECT_FALSE(ErrorMessage(Error(Errc::FileNotFound)).empty());
  EXPECT_NE(ErrorMessage(Error(Errc::FileNotFound)), "Error 2");
}

TEST_F(FileSystemContract, CreatesFoldersWithTheirParents) {
  ASSERT_TRUE(files_->CreateFolders(At("one\\two\\three")).has_value());
  EXPECT_TRUE(fs::is_directory(Host("one/two/three")));
  EXPECT_TRUE(files_->CreateFolders(At("one\\two")).has_value());  // existing is fine
  EXPECT_TRUE(files_->FolderExists(At("one\\two")));
  WriteFileBytes(Host("one/file"), "");
  EXPECT_FALSE(files_->CreateFolders(At("one\\file\\below")).has_value());
  EXPECT_FALSE(files_->CreateFolders(At("one\\file")).has_value());  // a file is in the way
  EXPECT_TRUE(files_->RemoveFolder(At("one\\two\\three")).has_value());
  EXPECT_TRUE(files_->RemoveFolder(At("one")).error().Is(Errc::DirNotEmpty));
}

TEST_F(FileSystemContract, SetsAndReadsFileTimes) {
  WriteFileBytes(Host("dated.txt"), "x");
  const FileTime stamp = FromCalendar(CalendarTime{2001, 2, 3, 4, 5, 6, 0});
  ASSERT_TRUE(files_->SetTimes(At("dated.txt"), FileTimes{{}, {}, stamp}).has_value());
  const auto times = files_->TimesOf(At("dated.txt"));
  ASSERT_TRUE(times.has_value());
  EXPECT_EQ(times->lastWrite, stamp);
  EXPECT_EQ(List("").at("dated.txt").lastWrite, stamp);
}

TEST_F(FileSystemContract, CreatesUniqueTemporaryFiles) {
  const auto first = files_->CreateTempFile(base_, "swp");
  const auto second = files_->CreateTempFile(base_, "swp");
  ASSERT_TRUE(first.has_value());
  ASSERT_TRUE(second.has_value());
  EXPECT_NE(ToLowerText(*first), ToLowerText(*second));
  for (const auto& path : {*first, *second}) {
    EXPECT_TRUE(files_->FileExists(path)) << path;
    EXPECT_TRUE(ToLowerText(FileNameOf(path)).starts_with("swp")) << path;
    EXPECT_TRUE(ToLowerText(path).ends_with(".tmp")) << path;
  }
  const auto temp = files_->TempFolder();
  ASSERT_TRUE(temp.has_value());
  EXPECT_TRUE(temp->ends_with('\\'));
}

TEST_F(FileSystemContract, StreamsFilesInAndOut) {
  std::string payload(100'000, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) {
    payload[i] = static_cast<char>(i * 7);
  }
  {
    auto writer = files_->OpenForWriting(At("stream.bin"), CreateMode::CreateNew);
    ASSERT_TRUE(writer.has_value());
    ASSERT_TRUE((*writer)->Write(AsBytes(payload)).has_value());
    ASSERT_TRUE((*writer)->Commit().has_value());
    EXPECT_FALSE((*writer)->Write(AsBytes("late")).has_value());  // closed by Commit
  }
  EXPECT_TRUE(files_->OpenForWriting(At("stream.bin"), CreateMode::CreateNew).error().Is(Errc::FileExists));
  const auto read = files_->ReadWhole(At("stream.bin"));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(AsText(*read), payload);
}

TEST_F(FileSystemContract, AppendsToAnExistingFileOnly) {
  WriteFileBytes(Host("log.txt"), "abc");
  for (const char* more : {"def", "gh"}) {
    auto writer = files_->OpenForWriting(At("log.txt"), CreateMode::Append);
    ASSERT_TRUE(writer.has_value());
    ASSERT_TRUE((*writer)->Write(AsBytes(more)).has_value());
    ASSERT_TRUE((*writer)->Commit().has_value());
  }
  EXPECT_EQ(ReadFileBytes(Host("log.txt")), "abcdefgh");
  EXPECT_FALSE(files_->OpenForWriting(At("none.txt"), CreateMode::Append).has_value());
}

// A restore gives each file its size before writing it and closes it without a flush; the
// size may prove wrong (an archive another writer made), and the file must still end where
// its data ends.
TEST_F(FileSystemContract, AFileSizedAheadEndsWhereWritingStopped) {
  const FileTime stamp = FromCalendar(CalendarTime{2019, 6, 15, 10, 20, 30, 0});
  const struct {
    std::uint64_t reserved;
    std::string data;
  } cases[] = {{12, "twelve bytes"}, {100'000, "shorter than said"}, {3, "longer than said"}, {0, ""}};
  for (const auto& c : cases) {
    auto writer = files_->OpenForWriting(At("sized.bin"), CreateMode::CreateAlways);
    ASSERT_TRUE(writer.has_value());
    ASSERT_TRUE((*writer)->Reserve(c.reserved).has_value());
    EXPECT_EQ(fs::file_size(Host("sized.bin")), c.reserved);  // laid out before any write
    ASSERT_TRUE((*writer)->Write(AsBytes(c.data)).has_value());
    ASSERT_TRUE((*writer)->SetTimes(FileTimes{{}, {}, stamp}).has_value());
    ASSERT_TRUE((*writer)->Close().has_value());
    EXPECT_EQ(ReadFileBytes(Host("sized.bin")), c.data) << c.reserved;
    EXPECT_EQ(files_->TimesOf(At("sized.bin"))->lastWrite, stamp);
  }
  // An appending writer's data goes after what the file holds, whatever size it is given.
  WriteFileBytes(Host("log.txt"), "abc");
  auto appending = files_->OpenForWriting(At("log.txt"), CreateMode::Append);
  ASSERT_TRUE(appending.has_value());
  ASSERT_TRUE((*appending)->Reserve(50).has_value());
  ASSERT_TRUE((*appending)->Write(AsBytes("def")).has_value());
  ASSERT_TRUE((*appending)->Close().has_value());
  EXPECT_EQ(ReadFileBytes(Host("log.txt")), "abcdef");
}

TEST_F(FileSystemContract, ReplacesWholeFilesWithoutLeftovers) {
  WriteFileBytes(Host("state.txt"), "old contents that are longer");
  ASSERT_TRUE(files_->ReplaceWholeText(At("state.txt"), "new").has_value());
  EXPECT_EQ(ReadFileBytes(Host("state.txt")), "new");
  ASSERT_TRUE(files_->ReplaceWholeText(At("fresh.txt"), "1\r\n").has_value());
  EXPECT_EQ(ReadFileBytes(Host("fresh.txt")), "1\r\n");
  for (const auto& [name, entry] : List("")) {
    EXPECT_EQ(name.find(".~sw"), std::string::npos) << name;  // no temporary file stays behind
  }
  EXPECT_FALSE(files_->ReplaceWholeText(At("NoFolder\\x.txt"), "x").has_value());
}

TEST_F(FileSystemContract, HandlesUnicodeAndLongPaths) {
  const std::string name =
      "\xC3\x9Cn\xC3\xAF"
      "c\xC3\xB6"
      "d\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD.txt";  // Ünïcödé € 中
  ASSERT_TRUE(files_->ReplaceWholeText(At(name), "u").has_value());
  EXPECT_EQ(List("").count(name), 1U);
  EXPECT_EQ(ReadFileBytes(Host(name)), "u");

  std::string deep;
  for (int i = 0; i < 12; ++i) {
    deep += std::string(30, static_cast<char>('a' + i)) + "\\";
  }
  const std::string file = deep + "long.txt";
  ASSERT_GT(At(file).size(), 300U);
  ASSERT_TRUE(files_->CreateFolders(At(deep)).has_value());
  ASSERT_TRUE(files_->ReplaceWholeText(At(file), "deep").has_value());
  EXPECT_EQ(AsText(files_->ReadWhole(At(file)).value_or(Bytes{})), "deep");
  EXPECT_EQ(List(deep).count("long.txt"), 1U);
  EXPECT_TRUE(files_->RemoveFile(At(file)).has_value());
}

#ifndef _WIN32

// Windows path rules of the host stand-in.
class HostFileSystemRules : public FileSystemContract {
 protected:
  host::HostFileSystem& hostFiles() { return static_cast<host::HostFileSystem&>(*files_); }
};

TEST_F(HostFileSystemRules, MatchesNamesWithoutRegardToCase) {
  fs::create_directory(Host("Sub"));
  WriteFileBytes(Host("Sub/a.tmp"), "x");
  EXPECT_TRUE(files_->FileExists("c:\\SUB\\A.TMP"));
  EXPECT_EQ(hostFiles().ToHostPath("C:/sub/A.tmp").value(), Host("Sub/a.tmp"));
  EXPECT_TRUE(files_->RemoveFile("C:\\sub\\A.TMP").has_value());
  EXPECT_FALSE(fs::exists(Host("Sub/a.tmp")));
}

TEST_F(HostFileSystemRules, NeverLeavesTheMappedFolder) {
  EXPECT_EQ(hostFiles().ToHostPath("C:\\..\\..\\etc\\passwd").value(), Host("etc/passwd"));
  EXPECT_EQ(hostFiles().ToHostPath("C:\\a\\.\\..\\b").value(), Host("b"));
  EXPECT_TRUE(hostFiles().ToHostPath("D:\\x").error().Is(Errc::PathNotFound));
  EXPECT_TRUE(hostFiles().ToHostPath("C:relative").error().Is(Errc::InvalidName));
  EXPECT_TRUE(hostFiles().ToHostPath("C:\\what?.txt").error().Is(Errc::InvalidName));
  EXPECT_TRUE(hostFiles().ToHostPath("C:\\a\\b:stream").error().Is(Errc::InvalidName));
  EXPECT_EQ(files_->DriveTypeOf("C:\\"), DriveType::Fixed);
  EXPECT_EQ(files_->DriveTypeOf("D:\\"), DriveType::NoRootFolder);
}

TEST_F(HostFileSystemRules, ShowsLinksAsReparsePointsAndDeletesOnlyTheLink) {
  fs::create_directory(Host("target"));
  WriteFileBytes(Host("target/precious.txt"), "keep me");
  fs::create_directory_symlink(Host("target"), Host("junction"));
  fs::create_symlink(Host("target/precious.txt"), Host("filelink.txt"));

  const auto entries = List("");
  EXPECT_TRUE(entries.at("junction").IsReparsePoint());
  EXPECT_TRUE(entries.at("junction").IsFolder());
  EXPECT_TRUE(entries.at("filelink.txt").IsReparsePoint());
  EXPECT_FALSE(entries.at("target").IsReparsePoint());
  EXPECT_TRUE((*files_->AttributesOf(At("junction")) & kAttrReparsePoint) != 0);

  EXPECT_TRUE(files_->RemoveFile(At("filelink.txt")).has_value());
  EXPECT_TRUE(files_->RemoveFolder(At("junction")).has_value());
  EXPECT_EQ(ReadFileBytes(Host("target/precious.txt")), "keep me");
}

#endif

}  // namespace
}  // namespace sw::platform
