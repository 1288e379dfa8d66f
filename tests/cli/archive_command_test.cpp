// sweepwise-cli archive pack | unpack | list, run in-process on real files.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "core/text.h"
#include "support/cli_runner.h"
#include "support/file_fixture.h"

#ifndef _WIN32
#include "platform/host/host_file_system.h"
#include "platform/host/host_system.h"
#include "platform/host/memory_registry.h"
#endif

namespace sw::cli {
namespace {

namespace fs = std::filesystem;

class ArchiveCommand : public test::FileFixture, protected test::CliRunner {
 protected:
  ArchiveCommand() {
#ifdef _WIN32
    platform_ = platform::CreateSystemPlatform();
#else
    platform_.registry = std::make_unique<platform::host::MemoryRegistry>();
    platform_.files = std::make_unique<platform::host::HostFileSystem>(
        std::vector<platform::host::DriveMapping>{{'C', temp_.path()}, {'T', systemTemp_.path()}}, "T:\\");
    platform_.system = std::make_unique<platform::host::HostSystem>();
#endif
  }

  int Run(const std::vector<std::string>& args) {
    return RunOn(platform_, args);
  }

  platform::Platform platform_;
};

TEST_F(ArchiveCommand, PacksListsAndUnpacksATree) {
  MakeFile("Data\\a.txt", "alpha");
  MakeFile("Data\\Sub\\b.bin", std::string(50000, 'b'));
  ASSERT_EQ(Run({"archive", "pack", At("zq1.bck"), At("Data\\*.* /s"), "--title", "t", "--json"}), kExitSuccess)
      << err_;
  const auto packed = nlohmann::json::parse(out_);
  EXPECT_EQ(packed["files_done"], 2);
  EXPECT_EQ(packed["total_bytes"], 50005);

  ASSERT_EQ(Run({"archive", "list", At("zq1.bck"), "--json"}), kExitSuccess) << err_;
  const auto listed = nlohmann::json::parse(out_);
  ASSERT_EQ(listed["rows"].size(), 2U);
  EXPECT_EQ(listed["rows"][0]["columns"][0], ToLowerText(At("Data\\Sub\\b.bin")));
  EXPECT_EQ(listed["rows"][0]["columns"][2], "50000");
  EXPECT_EQ(listed["title"], "t");

  ASSERT_EQ(Run({"archive", "unpack", At("zq1.bck"), At("out"), "--flat"}), kExitSuccess) << err_;
  EXPECT_EQ(test::ReadFileBytes(Host("out\\a.txt")), "alpha");
  EXPECT_EQ(test::ReadFileBytes(Host("out\\b.bin")), std::string(50000, 'b'));
}

TEST_F(ArchiveCommand, ListingADamagedArchiveFailsAndWritesNothing) {
  MakeFile("bad.bck", std::string("\0\0\0\0\0\0\0\0\1\0\0\0\xF0\xFF\xFF\x7F", 16));
  const auto before = std::distance(fs::recursive_directory_iterator(temp_.path()), {});
  EXPECT_EQ(Run({"archive", "list", At("bad.bck")}), kExitFailure);
  EXPECT_EQ(err_, "sweepwise-cli: Cannot read archive\n");
  EXPECT_EQ(Run({"archive", "unpack", At("bad.bck"), At("out")}), kExitFailure);
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(temp_.path()), {}), before);
}

TEST_F(ArchiveCommand, RestoringToStoredPathsNeedsConsent) {
  MakeFile("c.txt", "c");
  ASSERT_EQ(Run({"archive", "pack", At("c.bck"), At("c.txt")}), kExitSuccess) << err_;
  test::WriteFileBytes(Host("c.txt"), "changed since");
  EXPECT_EQ(Run({"archive", "unpack", At("c.bck")}), kExitFailure);  // tests have no console to ask
  EXPECT_EQ(test::ReadFileBytes(Host("c.txt")), "changed since");
  EXPECT_EQ(Run({"archive", "unpack", At("c.bck"), "--yes"}), kExitSuccess) << err_;
  EXPECT_EQ(test::ReadFileBytes(Host("c.txt")), "c");
}

TEST_F(ArchiveCommand, SpecificationsThatMatchNothingFailAndLeaveAnArchiveOfThatNameAlone) {
  MakeFile("keep.bck", "an older archive");
  for (const std::string& spec :
       {At("NoSuchFolder\\*.*"), std::string("Q:\\*.* /s"), std::string(""), At("*.nothing")}) {
    SCOPED_TRACE(spec);
    EXPECT_EQ(Run({"archive", "pack", At("keep.bck"), spec, "--json"}), kExitFailure);
    EXPECT_NE(err_.find("no file matches"), std::string::npos) << err_;
    EXPECT_EQ(nlohmann::json::parse(out_)["file_count"], 0);
  }
  EXPECT_EQ(test::ReadFileBytes(Host("keep.bck")), "an older archive");
}

TEST_F(ArchiveCommand, AVolumeSizeTooSmallForAChunkIsAUsageErrorNamingTheSmallest) {
  MakeFile("d.bin", "data");
  EXPECT_EQ(Run({"archive", "pack", At("v.bck"), At("d.bin"), "--max-size", "16000"}), kExitUsage);
  EXPECT_NE(err_.find("16500"), std::string::npos) << err_;
  EXPECT_FALSE(fs::exists(Host("v.bck")));
  EXPECT_EQ(Run({"archive", "pack", At("v.bck"), At("d.bin"), "--max-size", "16500"}), kExitSuccess) << err_;
}

TEST_F(ArchiveCommand, ARestoreThatFindsLessThanTheHeaderPromisesWarnsAndFails) {
  MakeFile("one.txt", "1");
  ASSERT_EQ(Run({"archive", "pack", At("two.bck"), At("one.txt")}), kExitSuccess) << err_;
  std::string bytes = test::ReadFileBytes(Host("two.bck"));
  bytes[8] = 2;  // the header's file count
  test::WriteFileBytes(Host("two.bck"), bytes);
  EXPECT_EQ(Run({"archive", "unpack", At("two.bck"), At("out")}), kExitFailure);
  EXPECT_NE(err_.find("ends after 1 of the 2 files"), std::string::npos) << err_;
  EXPECT_TRUE(fs::exists(Host("out\\" + ToLowerText(At("one.txt")).substr(3))));
  EXPECT_EQ(Run({"archive", "list", At("two.bck")}), kExitFailure);
}

TEST_F(ArchiveCommand, RejectsBadOptionsAsUsageErrors) {
  EXPECT_EQ(Run({"archive", "pack", At("x.bck"), At("*.*"), "--level", "ultra"}), kExitUsage);
  EXPECT_EQ(Run({"archive", "unpack", At("x.bck"), "--mode", "sometimes"}), kExitUsage);
  EXPECT_EQ(Run({"archive", "pack", At("x.bck")}), kExitUsage);
  EXPECT_EQ(Run({"archive"}), kExitUsage);
}

}  // namespace
}  // namespace sw::cli
