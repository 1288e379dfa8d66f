// The search for what an uninstalled program left behind, on the host stand-ins: a program
// installed into every place programs use, its snapshot taken, its entry and main program
// removed as a typical uninstaller does, and what the search then offers, how sure, and what
// it leaves alone.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/text.h"
#include "support/leftover_world.h"
#include "support/recording_sink.h"
#include "uninstall/leftover_names.h"
#include "uninstall/leftover_removal.h"
#include "uninstall/leftover_scan.h"

namespace sw::uninstall {
namespace {

using platform::RegView;
using platform::RootKey;
using Found = std::map<std::string, std::pair<std::string, std::string>>;  // location: kind, certainty

const std::string kInstall = R"(C:\Program Files\Sweepwise Fixtures\Leftover Fixture)";
const std::string kMain = kInstall + R"(\Leftover Fixture.exe)";

class LeftoverScanTest : public ::testing::Test {
 protected:
  // The fixture program as its installer leaves it.
  EntrySource Install() {
    world_.File(kMain, "main program");
    world_.File(kInstall + R"(\uninstall.exe)", "uninstaller");
    world_.File(kInstall + R"(\plugins\spell.dll)", "plugin");
    world_.File(std::string(test::kAppData) + R"(\Sweepwise Fixtures\Leftover Fixture\settings.ini)", "[ui]");
    world_.File(std::string(test::kLocalAppData) + R"(\Leftover Fixture\cache\page.bin)", "cached");
    world_.File(std::string(test::kProgramData) + R"(\LeftoverFixture\shared.dat)", "shared");
    world_.Shortcut(std::string(test::kStartMenu) + R"(\Leftover Fixture\Leftover Fixture.lnk)", kMain);
    world_.Shortcut(std::string(test::kDesktop) + R"(\Leftover Fixture.lnk)", kMain);
    world_.SetText(RootKey::CurrentUser, R"(Software\Sweepwise Fixtures\Leftover Fixture\InstallDir)", kInstall);
    world_.SetText(RootKey::CurrentUser, R"(Software\Sweepwise Fixtures\Leftover Fixture\Options\Theme)", "dark");
    world_.SetViewText(RootKey::LocalMachine, RegView::Bits32, R"(Software\Leftover Fixture)", "Licence", "trial");
    world_.SetText(RootKey::CurrentUser, R"(Software\Microsoft\Windows\CurrentVersion\Run\Leftover Fixture Agent)",
                   "\"" + kMain + "\" --background");
    world_.SetViewText(RootKey::LocalMachine, RegView::Bits64, R"(Software\Microsoft\Windows\CurrentVersion\Run)",
                       "LeftoverFixtureHelper", R"(C:\Tools\LeftoverFixtureHelper.exe /tray)");
    world_.tasks().Add(R"(\Sweepwise Fixtures\Leftover Fixture Update)", {"\"" + kMain + "\""});
    world_.SetText(RootKey::CurrentUser, R"(Software\Classes\LeftoverFixture.Document\shell\open\command\)",
                   "\"" + kMain + "\" \"%1\"");
    world_.SetText(RootKey::CurrentUser, R"(Software\Classes\.lfdoc\)", "LeftoverFixture.Document");
    return world_.Entry("{5EE1A0F1-0000-4000-8000-000000000001}",
                        {{"DisplayName", "Leftover Fixture 2.1 (64-bit)"},
                         {"DisplayVersion", "2.1"},
                         {"Publisher", "Sweepwise Fixtures Inc."},
                         {"InstallLocation", kInstall},
                         {"DisplayIcon", kMain + ",0"},
                         {"UninstallString", "\"" + kInstall + "\\uninstall.exe\" /S"}});
  }

  // What its uninstaller does: the entry and the main program go, nothing else.
  LeftoverSnapshot Uninstall(const EntrySource& entry) {
    auto snapshot = TakeLeftoverSnapshot(world_.platform(), entry, FileTime{1});
    EXPECT_TRUE(snapshot);
    world_.RemoveEntry(entry);
    std::filesystem::remove(world_.host().Host(kMain));
    return snapshot.value_or(LeftoverSnapshot{});
  }

  Found Scan(const LeftoverSnapshot& snapshot) {
    outcome_ = ScanLeftovers(world_.platform(), snapshot, sink_);
    Found found;
    for (const Leftover& leftover : outcome_.leftovers) {
      EXPECT_FALSE(leftover.reason.empty()) << LeftoverLocation(leftover);
      EXPECT_EQ(leftover.program, snapshot.clues.displayName);
      found[LeftoverLocation(leftover)] = {std::string(KindName(leftover.kind)),
                                           std::string(CertaintyName(leftover.certainty))};
    }
    return found;
  }

  [[nodiscard]] const Leftover* At(std::string_view location) const {
    for (const Leftover& leftover : outcome_.leftovers) {
      if (LeftoverLocation(leftover) == location) {
        return &leftover;
      }
    }
    return nullptr;
  }

  test::LeftoverWorld world_;
  test::RecordingSink sink_;
  LeftoverScanOutcome outcome_;
};

TEST_F(LeftoverScanTest, EveryRemainIsFoundWithTheCertaintyItsEvidenceGives) {
  const LeftoverSnapshot snapshot = Uninstall(Install());
  EXPECT_EQ(snapshot.folders, std::vector<std::string>{kInstall});
  EXPECT_EQ(snapshot.fileCount, 3U);
  EXPECT_EQ(snapshot.keys.size(), 1U) << "the publisher's key that named the install folder";

  const Found expected{
      {kInstall, {"Folder", "sure"}},
      {R"(C:\Program Files\Sweepwise Fixtures)", {"Folder", "likely"}},
      {std::string(test::kAppData) + R"(\Sweepwise Fixtures\Leftover Fixture)", {"Folder", "likely"}},
      {std::string(test::kAppData) + R"(\Sweepwise Fixtures)", {"Folder", "likely"}},
      {std::string(test::kLocalAppData) + R"(\Leftover Fixture)", {"Folder", "likely"}},
      {std::string(test::kProgramData) + R"(\LeftoverFixture)", {"Folder", "likely"}},
      {std::string(test::kStartMenu) + R"(\Leftover Fixture)", {"Folder", "sure"}},
      {std::string(test::kDesktop) + R"(\Leftover Fixture.lnk)", {"Shortcut", "sure"}},
      {R"(HKEY_CURRENT_USER\Software\Sweepwise Fixtures\Leftover Fixture)", {"Registry key", "sure"}},
      {R"(HKEY_CURRENT_USER\Software\Sweepwise Fixtures)", {"Registry key", "likely"}},
      {R"(HKEY_LOCAL_MACHINE\Software\Leftover Fixture (32-bit))", {"Registry key", "likely"}},
      {R"(HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run\Leftover Fixture Agent)",
       {"Run value", "sure"}},
      {R"(HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run\LeftoverFixtureHelper)",
       {"Run value", "likely"}},
      {R"(\Sweepwise Fixtures\Leftover Fixture Update)", {"Scheduled task", "sure"}},
      {R"(HKEY_CURRENT_USER\Software\Classes\LeftoverFixture.Document)", {"File type", "sure"}},
      {R"(HKEY_CURRENT_USER\Software\Classes\.lfdoc)", {"File type", "sure"}},
  };
  EXPECT_EQ(Scan(snapshot), expected);

  const Leftover* install = At(kInstall);
  ASSERT_NE(install, nullptr);
  EXPECT_EQ(install->files, 2U);
  EXPECT_EQ(install->bytes, std::string("uninstaller").size() + std::string("plugin").size());
  EXPECT_NE(install->reason.find("2 of its 3 files from before the uninstall are still there"), std::string::npos)
      << install->reason;
  EXPECT_TRUE(At(R"(C:\Program Files\Sweepwise Fixtures)")->onlyWhenEmpty);
  EXPECT_FALSE(At(kInstall)->onlyWhenEmpty);
  EXPECT_NE(At(R"(HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run\LeftoverFixtureHelper)")
                ->reason.find("gone"),
            std::string::npos);
  EXPECT_TRUE(outcome_.passedOver.empty()) << outcome_.passedOver.front();
  EXPECT_TRUE(outcome_.tasksProblem.empty());
}

TEST_F(LeftoverScanTest, ASecondProgramOfThePublisherKeepsItsFoldersKeysAndStarts) {
  const std::string companion = R"(C:\Program Files\Sweepwise Fixtures\Companion)";
  world_.File(companion + R"(\Companion.exe)", "companion");
  world_.File(std::string(test::kAppData) + R"(\Sweepwise Fixtures\Companion\settings.ini)", "[ui]");
  world_.SetText(RootKey::CurrentUser, R"(Software\Sweepwise Fixtures\Companion\InstallDir)", companion);
  world_.Shortcut(std::string(test::kStartMenu) + R"(\Companion.lnk)", companion + R"(\Companion.exe)");
  world_.SetText(RootKey::CurrentUser, R"(Software\Microsoft\Windows\CurrentVersion\Run\Companion)",
                 companion + R"(\Companion.exe)");
  world_.Entry("Companion", {{"DisplayName", "Companion"},
                             {"Publisher", "Sweepwise Fixtures Inc."},
                             {"InstallLocation", companion},
                             {"UninstallString", companion + R"(\uninstall.exe)"}});
  // An older version of the program itself, still installed: what is named after both is
  // not proven this one's.
  world_.File(R"(C:\Program Files (x86)\Leftover Fixture 1.0\old.exe)", "old");
  world_.Entry("Leftover Fixture 1.0", {{"DisplayName", "Leftover Fixture 1.0"},
                                        {"Publisher", "Sweepwise Fixtures Inc."},
                                        {"InstallLocation", R"(C:\Program Files (x86)\Leftover Fixture 1.0)"},
                                        {"UninstallString", R"(C:\Program Files (x86)\Leftover Fixture 1.0\u.exe)"}});

  const Found found = Scan(Uninstall(Install()));
  for (const auto& [location, what] : found) {
    EXPECT_EQ(location.find("Companion"), std::string::npos) << location;
    EXPECT_EQ(location.find("1.0"), std::string::npos) << location;
  }
  for (const std::string& kept : {std::string(R"(C:\Program Files\Sweepwise Fixtures)"),
                                 std::string(test::kAppData) + R"(\Sweepwise Fixtures)",
                                 std::string(R"(HKEY_CURRENT_USER\Software\Sweepwise Fixtures)")}) {
    EXPECT_EQ(found.count(kept), 0U) << kept << " holds the other product";
  }
  // What the entry proves is still offered; what only its shared name found is not.
  EXPECT_EQ(found.at(kInstall).second, "sure");
  EXPECT_EQ(found.at(std::string(test::kStartMenu) + R"(\Leftover Fixture)").second, "sure");
  EXPECT_EQ(found.at(R"(HKEY_CURRENT_USER\Software\Sweepwise Fixtures\Leftover Fixture)").second, "sure");
  EXPECT_EQ(found.count(std::string(test::kLocalAppData) + R"(\Leftover Fixture)"), 0U);
  EXPECT_EQ(found.count(std::string(test::kAppData) + R"(\Sweepwise Fixtures\Leftover Fixture)"), 0U);
  const auto named = [&](std::string_view text) {
    return std::any_of(outcome_.passedOver.begin(), outcome_.passedOver.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(named("the name Leftover Fixture: it is also the name of Leftover Fixture 1.0"));
  EXPECT_TRUE(named("the publisher's folder holds more than this program's"));
  EXPECT_TRUE(named("the publisher's key holds more than this program's"));
}

TEST_F(LeftoverScanTest, TheUsersAndTheSystemsFoldersAreNeverOfferedWhateverTheEntrySays) {
  const std::string documents = std::string(test::kDocuments) + R"(\Leftover Fixture)";
  world_.File(documents + R"(\Report.txt)", "the user's own work");
  world_.File(documents + R"(\fixture.ico)", "icon");
  world_.Shortcut(std::string(test::kStartMenu) + R"(\Leftover Fixture Report.lnk)", documents + R"(\Report.txt)");
  world_.File(R"(C:\Windows\System32\msiexec.exe)", "system");
  world_.File(std::string(test::kAppData) + R"(\Microsoft\settings.dat)", "system");
  // An installer that wrote nonsense: its install location is Program Files itself, its icon
  // lies among the user's documents, its uninstaller is the system's.
  const EntrySource entry = world_.Entry("Rogue", {{"DisplayName", "Leftover Fixture"},
                                                   {"InstallLocation", std::string(test::kProgramFiles)},
                                                   {"DisplayIcon", documents + R"(\fixture.ico,0)"},
                                                   {"UninstallString", R"(C:\Windows\System32\msiexec.exe /x{1})"}});
  const LeftoverSnapshot snapshot = Uninstall(entry);
  EXPECT_TRUE(snapshot.folders.empty()) << snapshot.folders.front();

  const Found found = Scan(snapshot);
  for (const auto& [location, what] : found) {
    ADD_FAILURE() << location << " offered";
  }
  EXPECT_TRUE(std::filesystem::exists(world_.host().Host(documents + R"(\Report.txt)")));
}

TEST_F(LeftoverScanTest, NothingIsReachedThroughALink) {
  const EntrySource entry = Install();
  // A link planted in the program's settings folder, to the user's documents, and one in
  // place of a folder named after the program.
  world_.File(std::string(test::kDocuments) + R"(\thesis.docx)", std::string(5000, 'x'));
  const auto settings = world_.host().Host(std::string(test::kAppData) + R"(\Sweepwise Fixtures\Leftover Fixture)");
  std::filesystem::create_directory_symlink(world_.host().Host(test::kDocuments), settings / "linked");
  std::filesystem::remove_all(world_.host().Host(std::string(test::kLocalAppData) + R"(\Leftover Fixture)"));
  std::filesystem::create_directory_symlink(world_.host().Host(R"(C:\Windows)"),
                                            world_.host().Host(std::string(test::kLocalAppData) + R"(\Leftover Fixture)"));
  world_.host().MakeFolder(R"(C:\Windows)");

  const Found found = Scan(Uninstall(entry));
  const Leftover* withLink = At(std::string(test::kAppData) + R"(\Sweepwise Fixtures\Leftover Fixture)");
  ASSERT_NE(withLink, nullptr);
  EXPECT_EQ(withLink->links, 1U);
  EXPECT_EQ(withLink->files, 1U) << "settings.ini alone: nothing behind the link";
  EXPECT_EQ(withLink->bytes, 4U);
  EXPECT_EQ(found.count(std::string(test::kLocalAppData) + R"(\Leftover Fixture)"), 0U);
  EXPECT_NE(std::find(outcome_.passedOver.begin(), outcome_.passedOver.end(),
                      std::string(test::kLocalAppData) + R"(\Leftover Fixture: it is a link)"),
            outcome_.passedOver.end());
}

TEST_F(LeftoverScanTest, AnEntryWhoseUninstallerIsGoneIsItselfALeftoverAndAnUnreadableSchedulerIsSaid) {
  const EntrySource entry = Install();
  std::filesystem::remove(world_.host().Host(kInstall + R"(\uninstall.exe)"));
  world_.tasks().FailWith(Errc::AccessDenied);
  auto snapshot = TakeLeftoverSnapshot(world_.platform(), entry, FileTime{});
  ASSERT_TRUE(snapshot);
  const Found found = Scan(*snapshot);
  const std::string entryKey = std::string(R"(HKEY_CURRENT_USER\)") + EntryKeyPath(entry);
  ASSERT_EQ(found.count(entryKey), 1U);
  EXPECT_EQ(found.at(entryKey), (std::pair<std::string, std::string>{"Uninstall entry", "sure"}));
  EXPECT_FALSE(outcome_.tasksProblem.empty());
  EXPECT_EQ(found.at(kInstall).second, "sure") << "the rest is still found";

  // With its uninstaller there, the program is installed: its entry is no leftover.
  world_.File(kInstall + R"(\uninstall.exe)", "uninstaller");
  EXPECT_EQ(Scan(*snapshot).count(entryKey), 0U);
}

TEST_F(LeftoverScanTest, RowsCarryTheirLeftoverAndComeCheckedWhenSure) {
  const LeftoverSnapshot snapshot = Uninstall(Install());
  (void)Scan(snapshot);
  ASSERT_FALSE(outcome_.leftovers.empty());
  for (const Leftover& leftover : outcome_.leftovers) {
    const ResultRow row = LeftoverRow(leftover);
    EXPECT_EQ(row.checked, leftover.certainty == Certainty::Sure) << row.columns[0];
    EXPECT_EQ(row.columns[1], KindName(leftover.kind));
    EXPECT_EQ(row.Column(4), CertaintyName(leftover.certainty));
    EXPECT_EQ(row.Column(5), leftover.reason);
    EXPECT_EQ(LeftoverOfRow(row), leftover);
  }
  ResultRow software;
  software.hidden = "HKCU\\{5EE1A0F1-0000-4000-8000-000000000001}";
  EXPECT_FALSE(LeftoverOfRow(software)) << "a program's row is no leftover";
  software.hidden = R"({"kind":"folder"})";
  EXPECT_FALSE(LeftoverOfRow(software));
}

// Every file below the host folder of drive C: with its bytes, and every empty folder; the
// program's data folder (where the backups go) left out.
std::map<std::string, std::string> DiskState(test::LeftoverWorld& world) {
  std::map<std::string, std::string> state;
  const auto root = world.host().Host("C:\\");
  const auto data = world.host().Host("C:\\Program");
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    const auto& path = item.path();
    if (path.string().starts_with(data.string() + "/") || path == data) {
      continue;
    }
    if (item.is_symlink()) {
      state[path.string()] = "link to " + std::filesystem::read_symlink(path).string();
    } else if (item.is_regular_file()) {
      std::ifstream in(path, std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      state[path.string()] = bytes.str();
    } else if (item.is_directory() && std::filesystem::is_empty(path)) {
      state[path.string()] = "empty folder";
    }
  }
  return state;
}

// The values of the keys the fixture writes, each as "key\name=data".
std::vector<std::string> KeyState(test::LeftoverWorld& world) {
  std::vector<std::string> state;
  for (const auto& [root, path] : std::vector<std::pair<RootKey, std::string>>{
           {RootKey::CurrentUser, R"(Software\Sweepwise Fixtures\Leftover Fixture)"},
           {RootKey::CurrentUser, R"(Software\Sweepwise Fixtures\Leftover Fixture\Options)"},
           {RootKey::CurrentUser, R"(Software\Microsoft\Windows\CurrentVersion\Run)"},
           {RootKey::CurrentUser, R"(Software\Classes\LeftoverFixture.Document\shell\open\command)"},
           {RootKey::CurrentUser, R"(Software\Classes\.lfdoc)"},
           {RootKey::LocalMachine, R"(Software\Microsoft\Windows\CurrentVersion\Run)"}}) {
    // Values in name order: a value written back comes after the others, as on Windows, and
    // the order of a key's values means nothing.
    const auto names = reg::RegListValueNames(world.host().registry(), root, path);
    auto sorted = SplitLines(names.value_or(""));
    std::sort(sorted.begin(), sorted.end());
    state.push_back(path + ": " + (names ? std::to_string(sorted.size()) + " values" : "(no key)"));
    for (const auto& name : sorted) {
      state.push_back(path + "\\" + std::string(name) + "=" +
                      reg::RegReadString(world.host().registry(), root, path + "\\" + std::string(name)).value_or("?"));
    }
  }
  auto view = world.host().registry().OpenRootView(RootKey::LocalMachine, RegView::Bits32);
  auto licence = view ? (*view)->Open(R"(Software\Leftover Fixture)", platform::RegAccess::Read)
                      : Result<std::unique_ptr<platform::RegKey>>(view.error());
  auto value = licence ? (*licence)->Query("Licence") : Result<platform::RegValue>(licence.error());
  state.push_back("32-bit Licence=" + (value ? reg::DecodeRegString(value->data) : std::string("(none)")));
  return state;
}

TEST_F(LeftoverScanTest, RemovalSavesEverythingFirstAndUndoPutsItBackByteForByteAndValueForValue) {
  world_.host().MakeFolder(R"(C:\Program)");
  const LeftoverSnapshot snapshot = Uninstall(Install());
  world_.host().MakeFolder(std::string(test::kLocalAppData) + R"(\Leftover Fixture\empty)");
  // A value of the Run key that is not the program's stays as it is throughout.
  world_.SetText(RootKey::CurrentUser, R"(Software\Microsoft\Windows\CurrentVersion\Run\Other)", "other.exe");
  (void)Scan(snapshot);
  const auto diskBefore = DiskState(world_);
  const auto keysBefore = KeyState(world_);
  const std::string task = R"(\Sweepwise Fixtures\Leftover Fixture Update)";
  const std::string taskXml = *world_.tasks().Definition(task);

  const LeftoverRemovalOutcome removal = RemoveLeftovers(world_.platform(), outcome_.leftovers, "test", sink_);
  ASSERT_TRUE(removal.problem.empty()) << removal.problem;
  EXPECT_TRUE(removal.kept.empty()) << removal.kept.front();
  EXPECT_EQ(removal.removed.size(), outcome_.leftovers.size());
  for (const Leftover& leftover : outcome_.leftovers) {
    if (leftover.kind == LeftoverKind::Folder || leftover.kind == LeftoverKind::Shortcut) {
      EXPECT_FALSE(std::filesystem::exists(world_.host().Host(leftover.path))) << leftover.path;
    }
  }
  EXPECT_FALSE(reg::RegReadString(world_.host().registry(), RootKey::CurrentUser,
                                  R"(Software\Sweepwise Fixtures\Leftover Fixture\Options\Theme)"));
  EXPECT_FALSE(reg::RegReadString(world_.host().registry(), RootKey::CurrentUser,
                                  R"(Software\Microsoft\Windows\CurrentVersion\Run\Leftover Fixture Agent)"));
  EXPECT_EQ(reg::RegReadString(world_.host().registry(), RootKey::CurrentUser,
                               R"(Software\Microsoft\Windows\CurrentVersion\Run\Other)"),
            "other.exe");
  EXPECT_FALSE(world_.tasks().Definition(task));
  EXPECT_TRUE(std::filesystem::exists(world_.host().Host(removal.archive)));
  EXPECT_TRUE(std::filesystem::exists(world_.host().Host(removal.regFile)));
  EXPECT_TRUE(std::filesystem::exists(world_.host().Host(removal.manifest)));

  history::HistoryLog log(world_.platform());
  auto entry = log.Find(removal.historyId);
  ASSERT_TRUE(entry && *entry);
  EXPECT_EQ((*entry)->action, history::Action::LeftoversRemoved);
  EXPECT_EQ((*entry)->state, history::EntryState::Done);
  EXPECT_EQ((*entry)->backups, (std::vector<std::string>{removal.archive, removal.regFile, removal.manifest}));
  EXPECT_EQ(log.ReadItems((*entry)->key)->size(), outcome_.leftovers.size());

  const LeftoverUndoOutcome undone = UndoLeftoverRemoval(world_.platform(), **entry, sink_);
  EXPECT_TRUE(undone.problems.empty()) << undone.problems.front();
  EXPECT_EQ(undone.tasks, 1U);
  EXPECT_EQ(DiskState(world_), diskBefore);
  EXPECT_EQ(KeyState(world_), keysBefore);
  EXPECT_EQ(world_.tasks().Definition(task).value_or(""), taskXml);
}

TEST_F(LeftoverScanTest, RemovalNeverPassesThroughALinkNorRemovesWithoutItsBackup) {
  world_.host().MakeFolder(R"(C:\Program)");
  const EntrySource entry = Install();
  world_.File(std::string(test::kDocuments) + R"(\thesis.docx)", "the user's work");
  const auto settings = world_.host().Host(std::string(test::kAppData) + R"(\Sweepwise Fixtures\Leftover Fixture)");
  std::filesystem::create_directory_symlink(world_.host().Host(test::kDocuments), settings / "linked");
  (void)Scan(Uninstall(entry));
  const Leftover* withLink = At(std::string(test::kAppData) + R"(\Sweepwise Fixtures\Leftover Fixture)");
  ASSERT_NE(withLink, nullptr);
  const Leftover* cache = At(std::string(test::kLocalAppData) + R"(\Leftover Fixture)");
  ASSERT_NE(cache, nullptr);
  const std::vector<Leftover> chosen{*withLink, *cache};

  // No backup can be written (the data folder is a file): nothing goes.
  world_.platform().folders.data = std::string(test::kDocuments) + R"(\thesis.docx)";
  const LeftoverRemovalOutcome refused = RemoveLeftovers(world_.platform(), chosen, "test", sink_);
  EXPECT_FALSE(refused.problem.empty());
  EXPECT_TRUE(refused.removed.empty());
  EXPECT_TRUE(std::filesystem::exists(settings / "settings.ini"));
  EXPECT_TRUE(std::filesystem::exists(world_.host().Host(cache->path)));

  // After the search the cache folder was swapped for a link to the documents: it is left
  // alone, and the link kept in the settings folder keeps that folder.
  world_.platform().folders.data = R"(C:\Program)";
  const auto cacheHost = world_.host().Host(cache->path);
  std::filesystem::remove_all(cacheHost);
  std::filesystem::create_directory_symlink(world_.host().Host(test::kDocuments), cacheHost);
  const LeftoverRemovalOutcome removal = RemoveLeftovers(world_.platform(), chosen, "test", sink_);
  EXPECT_TRUE(removal.problem.empty()) << removal.problem;
  EXPECT_TRUE(removal.removed.empty());
  EXPECT_EQ(removal.kept.size(), 2U);
  EXPECT_EQ(removal.files, 1U) << "settings.ini, and nothing behind the link";
  EXPECT_FALSE(std::filesystem::exists(settings / "settings.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(settings / "linked"));
  EXPECT_TRUE(std::filesystem::is_symlink(cacheHost));
  EXPECT_TRUE(std::filesystem::exists(world_.host().Host(std::string(test::kDocuments) + R"(\thesis.docx)")));
}

TEST(LeftoverNames, ShorterFormsDropVersionsBitnessAndThePublishersName) {
  const auto has = [](const std::vector<std::string>& forms, std::string_view form) {
    return std::find(forms.begin(), forms.end(), form) != forms.end();
  };
  const auto fixture = ProductNameForms("Leftover Fixture 2.1 (64-bit)", "2.1", "Sweepwise Fixtures Inc.");
  EXPECT_EQ(fixture.front(), "Leftover Fixture 2.1 (64-bit)");
  EXPECT_TRUE(has(fixture, "Leftover Fixture 2.1"));
  EXPECT_TRUE(has(fixture, "Leftover Fixture"));
  EXPECT_TRUE(has(fixture, "LeftoverFixture"));
  const auto vendor = ProductNameForms("Vendor Studio v10 x64", "", "Vendor Ltd.");
  EXPECT_TRUE(has(vendor, "Vendor Studio"));
  EXPECT_TRUE(has(vendor, "Studio"));
  EXPECT_FALSE(has(vendor, "Vendor")) << "the publisher's name alone is not the product's";
  // Editions and words are kept; a name of the system's is no form at all.
  EXPECT_TRUE(has(ProductNameForms("Photo Tool Home Edition", "", ""), "Photo Tool Home Edition"));
  EXPECT_EQ(ProductNameForms("Photo Tool Home Edition", "", "").size(), 2U);
  EXPECT_TRUE(ProductNameForms("Windows", "", "").empty());
  EXPECT_EQ(PublisherForms("Sweepwise Fixtures, Inc."),
            (std::vector<std::string>{"Sweepwise Fixtures, Inc", "SweepwiseFixtures,Inc", "Sweepwise Fixtures",
                                      "SweepwiseFixtures"}))
      << "a folder's name cannot end in a dot";

  const std::vector<std::string> forms{"Product"};
  EXPECT_TRUE(NamedAfter("Product", forms));
  EXPECT_TRUE(NamedAfter("product agent", forms));
  EXPECT_TRUE(NamedAfter("ProductUpdater", forms));
  EXPECT_TRUE(NamedAfter("Product.Document.1", forms));
  EXPECT_FALSE(NamedAfter("Productivity", forms));
  EXPECT_FALSE(NamedAfter("Product2", forms));
  EXPECT_FALSE(NamedAfter("My Product", forms));
}

TEST(LeftoverNames, TheProgramOfACommandIsWhatTheSystemWouldStart) {
  platform::host::HostSystem system;
  system.SetEnvironment("ProgramFiles", R"(C:\Program Files)");
  EXPECT_EQ(ProgramOfCommand(R"("C:\Program Files\App\app.exe" --tray)", system), R"(C:\Program Files\App\app.exe)");
  EXPECT_EQ(ProgramOfCommand(R"(C:\Program Files\App\app.exe --tray)", system), R"(C:\Program Files\App\app.exe)");
  EXPECT_EQ(ProgramOfCommand(R"(%ProgramFiles%\App\App.EXE)", system), R"(C:\Program Files\App\App.EXE)");
  EXPECT_EQ(ProgramOfCommand(R"(C:\App\run.cmd.exe /x)", system), R"(C:\App\run.cmd.exe)");
  EXPECT_EQ(ProgramOfCommand(R"(C:\Windows\system32\RUNDLL32.EXE "C:\Program Files\App\hook.dll",Start)", system),
            R"(C:\Program Files\App\hook.dll)");
  EXPECT_EQ(ProgramOfCommand(R"(C:\App\tool /x)", system), R"(C:\App\tool)");
}

}  // namespace
}  // namespace sw::uninstall
