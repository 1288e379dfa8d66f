// The system's own Disk Cleanup handlers as the Files page finds and runs them, on the
// in-memory registry, real folders as drives C: and E: (fixed) and D: (a CD-ROM), and handler
// classes whose calls the test scripts. (Under Wine the same engine runs real COM handlers:
// tests/wine/windows_cleanup_test.cpp.)

#include <gtest/gtest.h>

#include <algorithm>

#include "files/file_row.h"
#include "files/junk_delete.h"
#include "files/junk_search.h"
#include "files/windows_cleanup.h"
#include "files/windows_cleanup_row.h"
#include "files/windows_cleanup_run.h"
#include "history/history_log.h"
#include "registry/registry_data.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"

namespace sw::files {
namespace {

using platform::HandlerAnswer;
using platform::host::ScriptedHandlerClass;
using R = platform::HandlerCallResult;

constexpr std::uint64_t k3GB = 3ULL << 30U;
constexpr const char* kUpdates = "{D8D133CD-3F26-402F-86DA-90B710751C2C}";
constexpr const char* kOther = "{A1B2C3D4-0000-1111-2222-333344445555}";

class WindowsCleanup : public ::testing::Test {
 protected:
  WindowsCleanup() { host_.system().SetVersion({platform::kPlatformNt, 10, 0, 19045}); }

  void Value(const std::string& key, const std::string& name, std::uint32_t type, const Bytes& data) {
    auto root = host_.registry().OpenRoot(platform::RootKey::LocalMachine);
    ASSERT_TRUE(root);
    auto handler = (*root)->Create(std::string(platform::kVolumeCachesKey) + "\\" + key);
    ASSERT_TRUE(handler);
    ASSERT_TRUE((*handler)->Set(name, type, data));
  }
  void Text(const std::string& key, const std::string& name, std::string_view text) {
    Value(key, name, platform::kRegSz, reg::EncodeRegText(text, true));
  }
  void Number(const std::string& key, const std::string& name, std::uint32_t value, std::uint32_t type) {
    Value(key, name, type,
          Bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8U),
                static_cast<std::uint8_t>(value >> 16U), static_cast<std::uint8_t>(value >> 24U)});
  }
  // A handler key naming `classId`, and what its objects answer.
  void Handler(const std::string& key, const std::string& classId, ScriptedHandlerClass behaviour) {
    Text(key, "", classId);
    host_.cleanupHandlers().Register(classId, std::move(behaviour));
  }
  static ScriptedHandlerClass Frees(std::uint64_t bytes, std::string name, std::uint32_t flags = 0) {
    ScriptedHandlerClass behaviour;
    behaviour.texts = {std::move(name), "What it removes.", "", flags};
    behaviour.spaceUsed = HandlerAnswer{R::kDone, 0, bytes};
    return behaviour;
  }

  WindowsCleanupFound Find() {
    sink_.rows.clear();
    return FindWindowsCleanup(host_.platform(), sink_, {});
  }
  WindowsCleanupRun RunRows(bool unattended = false) {
    WindowsCleanupRunOptions options;
    options.unattended = unattended;
    return RunWindowsCleanup(sink_.rows, host_.platform(), sink_, options);
  }
  [[nodiscard]] std::vector<std::string> Calls() { return host_.cleanupHandlers().calls; }
  ResultRow& RowNamed(const std::string& name) {
    const auto row = std::find_if(sink_.rows.begin(), sink_.rows.end(),
                                  [&](const ResultRow& r) { return r.columns[0] == name; });
    EXPECT_NE(row, sink_.rows.end()) << name;
    return *row;
  }
  std::vector<history::Entry> History() {
    auto entries = history::HistoryLog(host_.platform()).Read();
    EXPECT_TRUE(entries);
    return entries ? *entries : std::vector<history::Entry>{};
  }

  test::HostPlatform host_;
  test::RecordingSink sink_;
};

TEST_F(WindowsCleanup, OnlyHandlersOfAClassOfTheirOwnAreListedHighestPriorityFirst) {
  Text("Update Cleanup", "", kUpdates);
  Number("Update Cleanup", "Priority", 5, platform::kRegDword);
  Text("Update Cleanup", "Display", "Windows Update Cleanup");
  Text("Data driven", "", "{c0e13e61-0cc6-11d1-bbb6-0060978b2ae6}");  // the system's cleaner, in lower case
  Text("Not a class", "", "DataDrivenCleaner");
  Number("A number", "", 7, platform::kRegDword);
  Text("No default", "Folder", "C:\\x");
  Text("Delivery Optimization", "", kOther);
  Number("Delivery Optimization", "Priority", 200, platform::kRegBinary);
  Text("Last", "", " {11111111-2222-3333-4444-555555555555} ");  // blanks around it are no part of it
  const auto listed = platform::RegisteredCleanupHandlers(host_.registry());
  std::vector<std::string> keys;
  for (const auto& handler : listed) {
    keys.push_back(handler.key + "=" + handler.classId);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"Delivery Optimization=" + std::string(kOther),
                                            "Update Cleanup=" + std::string(kUpdates),
                                            "Last={11111111-2222-3333-4444-555555555555}"}));
  ASSERT_EQ(listed.size(), 3U);
  EXPECT_EQ(listed[1].display, "Windows Update Cleanup");
  EXPECT_EQ(listed[0].priority, 200);
}

TEST_F(WindowsCleanup, EachFixedDriveWithSomethingIsOneUncheckedRowInTheHandlersOwnWords) {
  ScriptedHandlerClass updates = Frees(k3GB, "\xC3\x9C" "berfl\xC3\xBC" "ssige Updates");
  updates.volumes = {"C:\\", "E:\\"};
  Handler("Update Cleanup", kUpdates, updates);
  const WindowsCleanupFound found = Find();

  ASSERT_EQ(sink_.rows.size(), 2U);
  const ResultRow& row = sink_.rows[0];
  EXPECT_EQ(row.columns, (std::array<std::string, 4>{"\xC3\x9C" "berfl\xC3\xBC" "ssige Updates",
                                                     "C:\\ - What it removes.", "3221225472", "-"}));
  EXPECT_EQ(row.moreColumns, std::vector<std::string>{"Windows cleanup (cannot be undone)"});
  EXPECT_FALSE(row.checked);
  EXPECT_FALSE(FactsOfRow(row));  // no file row's reader takes it for a file
  const auto facts = HandlerFactsOfRow(row);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->key, "Update Cleanup");
  EXPECT_EQ(facts->classId, kUpdates);
  EXPECT_EQ(facts->volume, "C:\\");
  EXPECT_EQ(facts->bytes, k3GB);
  EXPECT_EQ(HandlerFactsOfRow(sink_.rows[1])->volume, "E:\\");
  // Each object is told the run is over; the CD-ROM drive is never asked.
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "Initialize " + std::string(kUpdates) + " C:\\", "GetSpaceUsed " + std::string(kUpdates) + " C:\\",
                         "Deactivate " + std::string(kUpdates) + " C:\\", "Initialize " + std::string(kUpdates) + " E:\\",
                         "GetSpaceUsed " + std::string(kUpdates) + " E:\\", "Deactivate " + std::string(kUpdates) + " E:\\"}));
  EXPECT_EQ(found.bytes, 2 * k3GB);
  EXPECT_NE(found.StatusText().find("2 handlers can free 6144MB"), std::string::npos) << found.StatusText();
}

TEST_F(WindowsCleanup, FailuresHangsAndHandlersThatSayNothingAreLeftOutAndNamed) {
  ScriptedHandlerClass fails;
  fails.texts.displayName = "Fails";
  fails.initialize = HandlerAnswer{R::kFailed, 0x80004005};
  Handler("Fails", "{00000000-0000-0000-0000-000000000001}", fails);
  ScriptedHandlerClass hangs = Frees(1, "Hangs");
  hangs.volumes = {"C:\\", "E:\\"};
  hangs.hangsIn = "GetSpaceUsed";
  Handler("Hangs", "{00000000-0000-0000-0000-000000000002}", hangs);
  Handler("Unknown size", "{00000000-0000-0000-0000-000000000003}", Frees(~0ULL, "Unknown size"));
  ScriptedHandlerClass cannotCount = Frees(0, "Cannot count");
  cannotCount.spaceUsed.result = R::kNothing;
  Handler("Cannot count", "{00000000-0000-0000-0000-000000000004}", cannotCount);
  Handler("Empty", "{00000000-0000-0000-0000-000000000005}", Frees(0, "Empty"));
  Handler("Quietly empty", "{00000000-0000-0000-0000-000000000006}",
          Frees(0, "Quietly empty", platform::kHandlerDontShowIfZero));
  Handler("Good", "{00000000-0000-0000-0000-000000000007}", Frees(4096, "Good"));
  Text("Not registered", "", "{00000000-0000-0000-0000-000000000008}");
  const WindowsCleanupFound found = Find();

  ASSERT_EQ(sink_.rows.size(), 1U);  // a hang does not keep the handlers after it from their turn
  EXPECT_EQ(sink_.rows[0].columns[0], "Good");
  std::vector<std::string> leftOut = found.leftOut;
  std::sort(leftOut.begin(), leftOut.end());
  EXPECT_EQ(leftOut, (std::vector<std::string>{
                         "Cannot count on C:\\ (could not say what it can free)",
                         "Empty on C:\\ (reported nothing to free)",
                         "Fails on C:\\ (error 0x80004005)",
                         "Hangs on C:\\ (no answer within 60 s)",
                         "Not registered on C:\\ (error 0x80040154)",
                         "Unknown size on C:\\ (could not say what it can free)"}));
  // The hung handler is not asked about the next drive, nor told to deactivate.
  const auto calls = Calls();
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& c) { return c.find("-000000000002") != std::string::npos; }),
            2);
  EXPECT_NE(found.StatusText().find("Left out: "), std::string::npos);
  EXPECT_EQ(found.StatusText().find("Quietly"), std::string::npos);
}

TEST_F(WindowsCleanup, ARefusalForWantOfRightsListsTheHandlerForAStandardUserOnly) {
  ScriptedHandlerClass system;
  system.texts.displayName = "System files";
  system.initialize = HandlerAnswer{R::kFailed, 0x80070005};
  Handler("System", kUpdates, system);
  Text("System", "Display", "Windows Update Cleanup");
  host_.system().SetAdmin(false);
  WindowsCleanupFound found = Find();
  ASSERT_EQ(sink_.rows.size(), 1U);
  // Refused before it said anything: its name is the key's.
  EXPECT_EQ(sink_.rows[0].columns[0], "Windows Update Cleanup");
  EXPECT_EQ(sink_.rows[0].columns[2], "-");
  EXPECT_EQ(sink_.rows[0].columns[3], "Needs administrator rights");
  EXPECT_TRUE(HandlerFactsOfRow(sink_.rows[0])->needsAdministrator);
  EXPECT_EQ(found.needAdministrator, std::vector<std::string>{"Windows Update Cleanup on C:\\"});
  EXPECT_NE(found.StatusText().find("Needs administrator rights: Windows Update Cleanup"), std::string::npos);

  host_.system().SetAdmin(true);
  found = Find();
  EXPECT_TRUE(sink_.rows.empty());
  EXPECT_EQ(found.leftOut, std::vector<std::string>{"Windows Update Cleanup on C:\\ (access denied (0x80070005))"});
}

TEST_F(WindowsCleanup, TextsAHandlerLeavesToTheRegistryComeFromItsKeyElseItsName) {
  ScriptedHandlerClass oldKind = Frees(10, "");
  oldKind.texts.description.clear();
  Handler("Old kind", kUpdates, oldKind);
  Text("Old kind", "Display", "Downloaded Program Files");
  Text("Old kind", "Description", "Controls downloaded from the web.");
  Handler("Nameless", kOther, Frees(10, ""));
  Find();
  ASSERT_EQ(sink_.rows.size(), 2U);
  EXPECT_EQ(RowNamed("Downloaded Program Files").columns[1], "C:\\ - Controls downloaded from the web.");
  EXPECT_EQ(RowNamed("Nameless").columns[1], "C:\\ - What it removes.");
}

TEST_F(WindowsCleanup, StopEndsTheSearchAtTheHandlerItReached) {
  Handler("First", kUpdates, Frees(10, "First"));
  Handler("Second", kOther, Frees(10, "Second"));
  sink_.stopAfterChecks = 3;  // the first object's Initialize goes through; its scan is stopped
  const WindowsCleanupFound found = Find();
  EXPECT_TRUE(found.stopped);
  EXPECT_TRUE(sink_.rows.empty());
  for (const std::string& call : Calls()) {
    EXPECT_EQ(call.find(kOther), std::string::npos) << call;
  }
}

TEST_F(WindowsCleanup, TheFilesFindAsksThemLastOnCurrentSystemsAndLeavesThemOutOfTheSelection) {
  host_.MakeFile("C:\\junk\\a.tmp", "12345");
  Handler("Update Cleanup", kUpdates, Frees(k3GB, "Updates"));
  JunkSearchOptions options;
  options.statusInterval = std::chrono::milliseconds(0);
  const JunkSearchOutcome outcome = FindFiles(host_.platform(), sink_, options);
  ASSERT_GE(sink_.rows.size(), 2U);
  EXPECT_TRUE(IsWindowsCleanupRow(sink_.rows.back()));
  EXPECT_EQ(std::count_if(sink_.rows.begin(), sink_.rows.end(), IsWindowsCleanupRow), 1);
  EXPECT_EQ(outcome.totalBytes, 5U);
  EXPECT_EQ(outcome.windowsCleanup.bytes, k3GB);
  EXPECT_NE(sink_.statuses.back().find("0KBytes selected. Windows' own cleanup: 1 handler can free 3072MB"),
            std::string::npos)
      << sink_.statuses.back();
  EXPECT_EQ(sink_.progress, sink_.progressMax);

  // Windows XP has none of them; and a Find without the category asks none.
  host_.cleanupHandlers().calls.clear();
  host_.system().SetVersion({platform::kPlatformNt, 5, 1, 2600});
  (void)FindFiles(host_.platform(), sink_, options);
  host_.system().SetVersion({platform::kPlatformNt, 10, 0, 19045});
  options.categories.Set(JunkCategory::kWindowsCleanup, false);
  (void)FindFiles(host_.platform(), sink_, options);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(WindowsCleanup, DeleteRunsTheCheckedHandlersAfterAPlainQuestionAndRecordsWhatEachFreed) {
  host_.MakeFile("C:\\Windows\\SoftwareDistribution\\old.cab", "superseded");
  ScriptedHandlerClass updates = Frees(k3GB, "Updates", platform::kHandlerEnableByDefaultAuto);
  updates.purge = [this](std::uint64_t spaceToFree) {
    EXPECT_TRUE(host_.files().RemoveFile("C:\\Windows\\SoftwareDistribution\\old.cab"));
    return HandlerAnswer{R::kDone, 0, spaceToFree, true};
  };
  Handler("Update Cleanup", kUpdates, updates);
  Handler("Other", kOther, Frees(100, "Other"));
  host_.figures().SetVolumeSpace('C', platform::VolumeSpace{100ULL << 30U, 10ULL << 30U, 10ULL << 30U});
  Find();
  RowNamed("Updates").checked = true;
  host_.cleanupHandlers().calls.clear();
  sink_.SetOrigin("Files Cleaning page");
  const WindowsCleanupRun run = RunRows();

  ASSERT_EQ(sink_.questions.size(), 2U);  // the question, then what the run did
  const Message& question = sink_.questions[0];
  EXPECT_EQ(question.buttons, MessageButtons::YesNo);
  EXPECT_TRUE(question.defaultNo);
  EXPECT_EQ(question.kind, MessageKind::Warning);
  EXPECT_NE(question.text.find("Updates (3072MB on C:\\)"), std::string::npos) << question.text;
  EXPECT_NE(question.text.find("cannot be restored: no backup of it can be kept"), std::string::npos);
  // A fresh object for the run, scanned again, purged, deactivated; the unchecked one untouched.
  const std::string updatesClass(kUpdates);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"Initialize " + updatesClass + " C:\\", "GetSpaceUsed " + updatesClass + " C:\\",
                                               "Purge " + updatesClass + " C:\\", "Deactivate " + updatesClass + " C:\\"}));
  EXPECT_FALSE(host_.files().Exists("C:\\Windows\\SoftwareDistribution\\old.cab"));
  const ResultRow& row = RowNamed("Updates");
  EXPECT_EQ(row.columns[2], "3221225472");
  EXPECT_EQ(row.columns[3], "Freed; free space on C:\\ 10240MB before, 10240MB after");
  EXPECT_FALSE(row.checked);
  EXPECT_EQ(HandlerFactsOfRow(row)->freed, k3GB);
  EXPECT_EQ(RowNamed("Other").columns[2], "100");
  EXPECT_EQ(run.freed, k3GB);
  EXPECT_NE(sink_.questions[1].text.find("freed 3072MB (3221225472 bytes): Updates on C:\\ 3221225472 bytes"),
            std::string::npos)
      << sink_.questions[1].text;

  const auto entries = History();
  ASSERT_EQ(entries.size(), 1U);
  const history::Entry& entry = entries[0];
  EXPECT_EQ(entry.action, history::Action::WindowsCleanup);
  EXPECT_EQ(entry.state, history::EntryState::Done);
  EXPECT_EQ(entry.origin, "Files Cleaning page");
  EXPECT_EQ(entry.bytes, k3GB);
  EXPECT_EQ(entry.count, 1U);
  EXPECT_EQ(entry.names, std::vector<std::string>{"Updates on C:\\: freed 3221225472 bytes"});
  EXPECT_FALSE(entry.Undoable());
  EXPECT_NE(entry.notUndoable.find("no backup"), std::string::npos);
}

TEST_F(WindowsCleanup, WithoutAWordFromTheHandlerWhatItFreedIsWhatTheVolumeGained) {
  ScriptedHandlerClass quiet = Frees(4096, "Quiet");
  quiet.purge = [this](std::uint64_t) {
    host_.figures().SetVolumeSpace('C', platform::VolumeSpace{1ULL << 30U, 5000, 5000});
    return HandlerAnswer{R::kDone};
  };
  Handler("Quiet", kUpdates, quiet);
  host_.figures().SetVolumeSpace('C', platform::VolumeSpace{1ULL << 30U, 1000, 1000});
  Find();
  sink_.rows[0].checked = true;
  const WindowsCleanupRun run = RunRows();
  EXPECT_EQ(run.freed, 4000U);
  EXPECT_EQ(sink_.rows[0].columns[2], "4000");
}

TEST_F(WindowsCleanup, NoRunWithoutAYesOrACheckedRow) {
  Handler("Update Cleanup", kUpdates, Frees(k3GB, "Updates"));
  Find();
  host_.cleanupHandlers().calls.clear();
  const auto before = sink_.rows;
  WindowsCleanupRun run = RunRows();  // nothing checked
  EXPECT_FALSE(run.asked);
  EXPECT_TRUE(sink_.questions.empty());

  sink_.rows[0].checked = true;
  sink_.answer = Answer::No;
  run = RunRows();
  EXPECT_TRUE(run.declined);
  EXPECT_TRUE(Calls().empty());
  EXPECT_TRUE(History().empty());
  EXPECT_EQ(sink_.rows[0].columns, before[0].columns);
}

TEST_F(WindowsCleanup, RightsAndTheUnattendedRuleDecideWhichCheckedHandlersRun) {
  ScriptedHandlerClass admin = Frees(1, "Admin");
  admin.initialize = HandlerAnswer{R::kFailed, 0x80070005};
  Handler("Admin", "{00000000-0000-0000-0000-000000000001}", admin);
  Handler("Settings", "{00000000-0000-0000-0000-000000000002}",
          Frees(2, "Settings", platform::kHandlerHasSettings | platform::kHandlerEnableByDefaultAuto));
  Handler("Asked only", "{00000000-0000-0000-0000-000000000003}",
          Frees(3, "Asked only", platform::kHandlerEnableByDefault));
  Handler("Unattended", "{00000000-0000-0000-0000-000000000004}",
          Frees(4, "Unattended", platform::kHandlerEnableByDefaultAuto));
  host_.system().SetAdmin(false);
  Find();
  ASSERT_EQ(sink_.rows.size(), 4U);

  // The console, for a standard user: what Windows would run unattended, nothing else.
  WindowsCleanupRun run = RunRows(/*unattended=*/true);
  EXPECT_EQ(run.handlers.size(), 1U);
  EXPECT_EQ(run.handlers[0].name, "Unattended on C:\\");
  EXPECT_EQ(run.needAdministrator, std::vector<std::string>{"Admin on C:\\"});
  EXPECT_EQ(run.leftAlone, (std::vector<std::string>{
                               "Asked only on C:\\ (Windows does not run it unattended: check it in the window)",
                               "Settings on C:\\ (it has settings of its own: check it in the window)"}));
  EXPECT_NE(run.Summary().find("Not run, it needs administrator rights: Admin on C:\\"), std::string::npos);

  // The window, elevated, every row checked by hand: each runs.
  host_.system().SetAdmin(true);
  host_.cleanupHandlers().Register("{00000000-0000-0000-0000-000000000001}", Frees(1, "Admin"));
  for (ResultRow& row : sink_.rows) {
    row.checked = true;
  }
  run = RunRows();
  EXPECT_EQ(run.handlers.size(), 4U);
  EXPECT_TRUE(run.needAdministrator.empty());
  EXPECT_FALSE(run.AnyFailed());
}

TEST_F(WindowsCleanup, APurgeThatFailsOrHangsStaysCheckedAndTheHistorySaysItFailed) {
  ScriptedHandlerClass refuses = Frees(10, "Refuses");
  refuses.purge = [](std::uint64_t) { return HandlerAnswer{R::kFailed, 0x80004005}; };
  Handler("Refuses", kUpdates, refuses);
  ScriptedHandlerClass hangs = Frees(10, "Hangs");
  hangs.hangsIn = "Purge";
  Handler("Hangs", kOther, hangs);
  Find();
  for (ResultRow& row : sink_.rows) {
    row.checked = true;
  }
  host_.cleanupHandlers().calls.clear();
  const WindowsCleanupRun run = RunRows();
  EXPECT_TRUE(run.AnyFailed());
  EXPECT_TRUE(RowNamed("Refuses").checked);
  EXPECT_EQ(RowNamed("Refuses").columns[3].rfind("Failed: error 0x80004005", 0), 0U) << RowNamed("Refuses").columns[3];
  EXPECT_EQ(RowNamed("Hangs").columns[3].rfind("Failed: no answer within 60 s", 0), 0U);
  // A hung object is told nothing more.
  const auto calls = Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "Purge " + std::string(kOther) + " C:\\"), calls.end());
  EXPECT_EQ(std::find(calls.begin(), calls.end(), "Deactivate " + std::string(kOther) + " C:\\"), calls.end());
  const auto entries = History();
  ASSERT_EQ(entries.size(), 1U);
  EXPECT_EQ(entries[0].state, history::EntryState::Failed);
  EXPECT_NE(entries[0].problem.find("Hangs on C:\\ (no answer within 60 s)"), std::string::npos) << entries[0].problem;
}

TEST_F(WindowsCleanup, TheFileDeletionPassesOverHandlerRowsAndTheirChecksComeBack) {
  host_.MakeFile("C:\\junk\\a.tmp", "junk");
  Handler("Update Cleanup", kUpdates, Frees(k3GB, "Updates"));
  JunkSearchOptions options;
  options.statusInterval = std::chrono::milliseconds(0);
  (void)FindFiles(host_.platform(), sink_, options);
  for (ResultRow& row : sink_.rows) {
    row.checked = true;  // the handler row too, as a user may check it
  }
  const std::size_t rows = sink_.rows.size();
  int counter = 1;
  {
    const HandlerChecksAside aside(sink_.rows);
    const FileDeleteOutcome outcome = DeleteFiles(sink_.rows, false, counter, host_.platform(), sink_);
    EXPECT_EQ(outcome.deleted, static_cast<int>(rows) - 1);
  }
  ASSERT_EQ(sink_.rows.size(), 1U);
  EXPECT_TRUE(IsWindowsCleanupRow(sink_.rows[0]));
  EXPECT_TRUE(sink_.rows[0].checked);
  EXPECT_FALSE(host_.files().Exists("C:\\junk\\a.tmp"));
  for (const std::string& call : Calls()) {
    EXPECT_EQ(call.find("Purge"), std::string::npos) << call;  // the Find's calls only
  }
}

TEST(WindowsCleanupRow, FactsSurviveAnyTextAndADamagedRowIsNoHandlerRow) {
  HandlerRowFacts facts;
  facts.key = "Key with\x1f separator";
  facts.classId = kUpdates;
  facts.volume = "E:\\";
  facts.displayName = "Name";
  facts.description = "Line one\r\nline two | and more";
  facts.flags = 0x9;
  facts.bytes = 1ULL << 40U;
  facts.freed = 12;
  ResultRow row = MakeHandlerRow(facts);
  auto back = HandlerFactsOfRow(row);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->key, "Key with  separator");
  EXPECT_EQ(back->description, facts.description);
  EXPECT_EQ(back->bytes, facts.bytes);
  EXPECT_EQ(back->freed, 12U);
  EXPECT_EQ(back->flags, 0x9U);

  row.hidden.pop_back();  // "12" becomes "1": still a number
  EXPECT_TRUE(HandlerFactsOfRow(row));
  row.hidden += "x";
  EXPECT_FALSE(HandlerFactsOfRow(row));
  row.hidden = "windows-cleanup 12 34";  // a file row's facts with a handler-like category
  EXPECT_FALSE(IsWindowsCleanupRow(row));
}

}  // namespace
}  // namespace sw::files
