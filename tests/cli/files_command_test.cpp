// sweepwise-cli delete files, in-process on the host stand-ins: the console numbers its
// archives from the counter the window keeps in language.txt, and advances it there.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/file_plan.h"
#include "support/cli_runner.h"
#include "support/host_platform.h"
#include "support/listed_row.h"

namespace sw::cli {
namespace {

class FilesCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }
  bool ProgramFileExists(const char* name) { return std::filesystem::exists(host_.Host("C:\\Program\\") / name); }

  test::HostPlatform host_;
};

TEST_F(FilesCommand, TheBackupTakesTheCounterOfTheSettingsAndWritesItBackKeepingTheOtherLines) {
  host_.MakeFile("C:\\Program\\language.txt", "2\r\n7\r\nY\r\n");
  host_.MakeFile("C:\\junk\\a.tmp", "junk");
  ASSERT_EQ(Run({"delete", "files", "--backup", "--yes"}), kExitSuccess) << err_;
  EXPECT_TRUE(ProgramFileExists("zq7.bck"));
  EXPECT_FALSE(ProgramFileExists("zq1.bck"));
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\language.txt")), "2\r\n8\r\nY\r\n");

  // A number taken already is passed over, and the counter ends past the archive written.
  host_.MakeFile("C:\\Program\\zq8.bck", "an older archive");
  host_.MakeFile("C:\\junk\\b.tmp", "junk");
  ASSERT_EQ(Run({"delete", "files", "--backup", "--yes"}), kExitSuccess) << err_;
  EXPECT_TRUE(ProgramFileExists("zq9.bck"));
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\zq8.bck")), "an older archive");
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\language.txt")), "2\r\n10\r\nY\r\n");
}

TEST_F(FilesCommand, WithoutSettingsTheCounterStartsAtZeroAndTheFileIsMadeWithTheDefaults) {
  host_.MakeFile("C:\\junk\\a.tmp", "junk");
  ASSERT_EQ(Run({"delete", "files", "--backup", "--yes"}), kExitSuccess) << err_;
  EXPECT_TRUE(ProgramFileExists("zq0.bck"));
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Program\\language.txt")), "1\r\n1\r\nN\r\n");
}

TEST_F(FilesCommand, CategoriesAreChosenByNameAndListed) {
  host_.MakeFile("C:\\junk\\a.tmp");
  host_.MakeFile("C:\\junk\\b.gid");
  ASSERT_EQ(Run({"find", "files", "--only", "help-indexes", "--json"}), kExitSuccess) << err_;
  auto found = nlohmann::json::parse(out_);
  ASSERT_EQ(found["rows"].size(), 1U);
  EXPECT_EQ(found["rows"][0]["columns"][0], "b.gid");
  EXPECT_EQ(found["rows"][0]["category"], "help-indexes");
  EXPECT_EQ(found["rows"][0]["type"], "Help index");
  ASSERT_EQ(Run({"find", "files", "--skip", "help-indexes,temporary-files"}), kExitSuccess) << err_;
  EXPECT_EQ(out_.find("b.gid"), std::string::npos);
  EXPECT_EQ(out_.find("a.tmp"), std::string::npos);

  EXPECT_EQ(Run({"find", "files", "--only", "tmp"}), kExitUsage);
  EXPECT_NE(err_.find("unknown category 'tmp'"), std::string::npos) << err_;

  ASSERT_EQ(Run({"find", "files", "--categories", "--json"}), kExitSuccess) << err_;
  const auto categories = nlohmann::json::parse(out_)["rows"];
  ASSERT_EQ(categories.size(), 17U);
  // Every name listed is one --only takes.
  for (const auto& category : categories) {
    EXPECT_EQ(Run({"find", "files", "--only", category["name"].get<std::string>()}), kExitSuccess) << category;
  }
}

// A script reviews a Find before it deletes. The plan is a filter on a new Find: a row taken
// out or unchecked stays, and so does one whose file changed since (it is not what the Find
// lists now); a file new since the Find is in no plan row.
TEST_F(FilesCommand, APlanDeletesOnlyWhatItNamesAndANewFindListsAlike) {
  for (const char* name : {"a.tmp", "b.tmp", "c.tmp", "d.tmp", "e.tmp"}) {
    host_.MakeFile(std::string("C:\\junk\\") + name, name);
  }
  ASSERT_EQ(Run({"find", "files", "--json"}), kExitSuccess) << err_;
  auto plan = nlohmann::json::parse(out_);
  ASSERT_EQ(plan["rows"].size(), 5U);
  EXPECT_EQ(plan["rows"][0]["file_id"].get<std::string>().size(), 32U);
  EXPECT_TRUE(plan["rows"][0]["volume_serial"].is_number_unsigned());
  auto& rows = plan["rows"];
  // b.tmp edited out, c.tmp unchecked, d.tmp changes after the Find.
  rows.erase(1);
  rows[1]["checked"] = false;
  host_.MakeFile("C:\\junk\\d.tmp", "d.tmp grew");
  host_.MakeFile("C:\\plan.json", plan.dump());
  host_.MakeFile("C:\\junk\\f.tmp", "new since the Find");

  EXPECT_EQ(Run({"delete", "files", "--plan", "C:\\plan.json", "--yes", "--json"}), kExitFailure) << err_;
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["deleted"], 2);
  EXPECT_EQ(result["plan_rows_not_listed"], nlohmann::json::array({"c:\\junk\\d.tmp"}));
  EXPECT_NE(result["status"].get<std::string>().find("1 rows of the plan are not what a Find lists now, kept: "
                                                      "c:\\junk\\d.tmp"),
            std::string::npos)
      << result["status"];
  for (const auto& [name, kept] : std::vector<std::pair<std::string, bool>>{
           {"a.tmp", false}, {"b.tmp", true}, {"c.tmp", true}, {"d.tmp", true}, {"e.tmp", false}, {"f.tmp", true}}) {
    EXPECT_EQ(std::filesystem::exists(host_.Host("C:\\junk\\" + name)), kept) << name;
  }
}

// Anyone can read a document's size, time and even its number on the volume: a plan row that
// names it, however exactly, deletes nothing, since no Find lists it.
TEST_F(FilesCommand, AForgedPlanRowDeletesNothing) {
  host_.MakeFile("C:\\junk\\a.tmp", "junk");
  host_.MakeFile("C:\\Users\\me\\Documents\\thesis.docx", "years of work");
  ASSERT_EQ(Run({"find", "files", "--json"}), kExitSuccess) << err_;
  auto plan = nlohmann::json::parse(out_);
  ASSERT_EQ(plan["rows"].size(), 1U);
  // The forger's row: the document's real facts, as a Find would print them.
  const ResultRow document =
      test::ListedRow(host_.files(), host_.system(), "C:\\Users\\me\\Documents\\thesis.docx");
  nlohmann::json forged = {{"columns", document.columns}, {"image", 0}, {"checked", true}};
  forged.update(FileRowFields(document));
  plan["rows"] = nlohmann::json::array({forged});
  host_.MakeFile("C:\\plan.json", plan.dump());

  EXPECT_EQ(Run({"delete", "files", "--plan", "C:\\plan.json", "--yes"}), kExitFailure) << err_;
  EXPECT_NE(out_.find("Deleted 0 files; 1 rows of the plan are not what a Find lists now, kept: "
                      "C:\\Users\\me\\Documents\\thesis.docx"),
            std::string::npos)
      << out_;
  EXPECT_EQ(test::ReadFileBytes(host_.Host("C:\\Users\\me\\Documents\\thesis.docx")), "years of work");
  EXPECT_TRUE(std::filesystem::exists(host_.Host("C:\\junk\\a.tmp")));  // in no checked plan row
}

// A junk folder swapped for a link (a symbolic link on the host) to a folder holding a file
// of the same name, size and time, between the Find that made the plan and the deletion:
// with a backup or without, the other file stays and is in no archive. (The other folder is
// on the CD-ROM drive D:, which no Find walks; the window's Delete, which acts on the rows of
// an earlier Find without a new one, is tested on the engine.)
TEST_F(FilesCommand, AFolderSwappedForALinkAfterThePlanKeepsTheOtherFile) {
  for (const bool backup : {false, true}) {
    SCOPED_TRACE(backup ? "backup" : "no backup");
    std::filesystem::remove_all(host_.Host("C:\\junkdir"));
    std::filesystem::remove_all(host_.Host("C:\\junkdir.real"));
    host_.MakeFile("C:\\junkdir\\a.tmp", "junk, 21 bytes long.");
    host_.MakeFile("D:\\me\\a.tmp", "mine, 21 bytes long.");
    std::filesystem::last_write_time(host_.Host("D:\\me\\a.tmp"),
                                     std::filesystem::last_write_time(host_.Host("C:\\junkdir\\a.tmp")));
    ASSERT_EQ(Run({"find", "files", "--only", "temporary-files", "--json"}), kExitSuccess) << err_;
    host_.MakeFile("C:\\plan.json", out_);

    std::filesystem::rename(host_.Host("C:\\junkdir"), host_.Host("C:\\junkdir.real"));
    std::filesystem::create_directory_symlink(host_.Host("D:\\me"), host_.Host("C:\\junkdir"));
    std::vector<std::string> args = {"delete", "files", "--plan", "C:\\plan.json", "--yes", "--json"};
    if (backup) {
      args.push_back("--backup");
    }
    EXPECT_EQ(Run(args), kExitFailure) << out_;
    EXPECT_EQ(test::ReadFileBytes(host_.Host("D:\\me\\a.tmp")), "mine, 21 bytes long.");
    EXPECT_TRUE(std::filesystem::exists(host_.Host("C:\\junkdir.real\\a.tmp")));  // in the plan under its old name
    const auto result = nlohmann::json::parse(out_);
    EXPECT_EQ(result["deleted"], 0);
    EXPECT_EQ(result["plan_rows_not_listed"], nlohmann::json::array({"c:\\junkdir\\a.tmp"}));
    EXPECT_EQ(result["archive"], "");  // nothing to back up
    std::filesystem::remove(host_.Host("C:\\junkdir"));
  }
}

TEST_F(FilesCommand, ADamagedPlanIsRefusedWholeAndDeletesNothing) {
  host_.MakeFile("C:\\junk\\a.tmp", "a");
  host_.MakeFile("C:\\keep\\notes.txt", "mine");
  ASSERT_EQ(Run({"find", "files", "--json"}), kExitSuccess) << err_;
  const auto found = nlohmann::json::parse(out_);
  const auto refused = [&](nlohmann::json plan, const char* why) {
    host_.MakeFile("C:\\plan.json", plan.dump());
    EXPECT_EQ(Run({"delete", "files", "--plan", "C:\\plan.json", "--yes"}), kExitFailure) << why;
    EXPECT_NE(err_.find("Nothing was deleted"), std::string::npos) << why << ": " << err_;
    EXPECT_TRUE(std::filesystem::exists(host_.Host("C:\\junk\\a.tmp"))) << why;
  };
  auto outside = found;
  outside["rows"].push_back(found["rows"][0]);
  outside["rows"][1]["columns"][1] = "C:\\junk\\..\\keep\\";
  outside["rows"][1]["columns"][0] = "notes.txt";
  refused(outside, "a folder with ..");
  auto relative = found;
  relative["rows"][0]["columns"][1] = "junk\\";
  refused(relative, "a relative folder");
  auto stream = found;
  stream["rows"][0]["columns"][0] = "a.tmp:secret";
  refused(stream, "a stream");
  auto bare = found;
  bare["rows"][0].erase("last_write");
  refused(bare, "no last-write time");
  auto anonymous = found;
  anonymous["rows"][0].erase("file_id");
  refused(anonymous, "no file identity");
  host_.MakeFile("C:\\plan.json", "not json");
  EXPECT_EQ(Run({"delete", "files", "--plan", "C:\\plan.json", "--yes"}), kExitFailure);
  EXPECT_EQ(Run({"delete", "files", "--plan", "C:\\missing.json", "--yes"}), kExitFailure);
  EXPECT_EQ(Run({"delete", "files", "--plan", "C:\\plan.json", "--only", "recycle-bin", "--yes"}), kExitUsage);
  EXPECT_TRUE(std::filesystem::exists(host_.Host("C:\\keep\\notes.txt")));
  EXPECT_TRUE(std::filesystem::exists(host_.Host("C:\\junk\\a.tmp")));
}

}  // namespace
}  // namespace sw::cli
