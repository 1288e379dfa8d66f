// The installed software list and the uninstallers run from it, on the in-memory registry
// with recorded program starts.

#include "uninstall/software_list.h"

#include <gtest/gtest.h>

#include "core/language.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/recording_sink.h"

namespace sw::uninstall {
namespace {

using platform::RootKey;
using platform::host::RecordingProcesses;
using Events = std::vector<std::string>;

// A key path below the uninstall key.
std::string Key(std::string_view below) {
  return std::string(kUninstallKey) + "\\" + std::string(below);
}

// What the engine does, in the order it does it: questions by their text, message passes,
// row changes; the recorded starts are added by the tests' start handler.
class EventSink final : public EngineSink {
 public:
  void ShowStatus(std::string_view) override {}
  void SetProgressMax(std::uint64_t maximum) override { progressMax = maximum; }
  void SetProgress(std::uint64_t) override {}
  void AddRow(const ResultRow& row) override { rows.push_back(row); }
  Answer Ask(const Message& message) override {
    events.push_back("ask " + message.text);
    kinds.push_back(message.kind);
    return Answer::Ok;
  }
  void ProcessMessagesNow() override { events.emplace_back("pump"); }
  void RowsChanged() override { events.emplace_back("rows changed"); }
  bool ShouldStop() override { return ++stopChecks == stopAtCheck; }

  Events events;
  std::vector<MessageKind> kinds;
  std::vector<ResultRow> rows;
  std::uint64_t progressMax = 0;
  int stopChecks = 0;
  int stopAtCheck = 0;  // 0: never
};

class SoftwareListTest : public ::testing::Test {
 protected:
  void Register(std::string_view subKey, std::string_view name, std::string_view command,
                RootKey root = RootKey::LocalMachine) {
    ASSERT_TRUE(reg::RegWriteString(host_.registry(), root, Key(subKey) + "\\DisplayName", name));
    ASSERT_TRUE(reg::RegWriteString(host_.registry(), root, Key(subKey) + "\\UninstallString", command));
  }
  bool Has(std::string_view subKey, RootKey root = RootKey::LocalMachine) {
    return reg::RegKeyExists(host_.registry(), root, Key(subKey));
  }
  RecordingProcesses& processes() { return static_cast<RecordingProcesses&>(*host_.platform().processes); }
  std::vector<ResultRow> Find() {
    EventSink sink;
    FindSoftware(host_.platform(), sink);
    return sink.rows;
  }
  std::vector<ResultRow> FindChecked() {
    auto rows = Find();
    for (auto& row : rows) {
      row.checked = true;
    }
    return rows;
  }
  std::string Notice(const std::string& title) { return "ask " + UninstallNotice(title); }

  test::HostPlatform host_;
  EventSink sink_;
};

TEST_F(SoftwareListTest, ListsEachNamedEntryInEnumerationOrder) {
  Register("{B2}", "Beta Tool", "C:\\Beta\\uninst.exe /S");
  Register("{A1}", "Alpha Suite", "\"C:\\Program Files\\Alpha\\remove.exe\"");
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{C3}\\UninstallString"), "x.exe"));
  Register("{D4}", "", "empty-name.exe");
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, Key("{E5}\\DisplayName"), 5));
  Register("{F6}", "Number Command", "");
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, Key("{F6}\\UninstallString"), 6));
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{G7}\\DisplayName"), "No Command"));
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::CurrentUser, Key("{U1}\\DisplayName"), "User Only"));

  FindSoftware(host_.platform(), sink_);
  ASSERT_EQ(sink_.rows.size(), 3U);
  EXPECT_EQ(sink_.progressMax, 7U);  // every subkey, listed or not
  ResultRow alpha;
  alpha.columns = {"Alpha Suite", "Installed Software", "\"C:\\Program Files\\Alpha\\remove.exe\"", ""};
  alpha.image = 2;
  alpha.checked = false;
  alpha.hidden = "{A1}";
  EXPECT_EQ(sink_.rows[0], alpha);
  EXPECT_EQ(sink_.rows[1].columns[0], "Beta Tool");
  EXPECT_EQ(sink_.rows[1].hidden, "{B2}");
  // A missing command is no reason to hide the program: its entry can still be cleaned up.
  EXPECT_EQ(sink_.rows[2].columns[0], "No Command");
  EXPECT_EQ(sink_.rows[2].columns[2], "");
}

TEST_F(SoftwareListTest, WithoutAdministratorRightsOnlyTheUsersOwnKey) {
  Register("{M1}", "Machine Wide", "m.exe");
  Register("{U1}", "Per User", "u.exe", RootKey::CurrentUser);
  host_.system().SetAdmin(false);
  const auto rows = Find();
  ASSERT_EQ(rows.size(), 1U);
  EXPECT_EQ(rows[0].columns[0], "Per User");

  // The clean-up after the uninstaller goes to the same root.
  std::vector<ResultRow> list = FindChecked();
  UninstallSoftware(list, host_.platform(), sink_);
  EXPECT_FALSE(Has("{U1}", RootKey::CurrentUser));
  EXPECT_TRUE(Has("{M1}"));
}

TEST_F(SoftwareListTest, StopEndsTheListingAtTheNextNamedEntry) {
  Register("{1}", "One", "1.exe");
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{2}\\UninstallString"), "2.exe"));
  Register("{3}", "Three", "3.exe");
  Register("{4}", "Four", "4.exe");
  sink_.stopAtCheck = 2;  // asked at One and at Three, not for the nameless {2}
  FindSoftware(host_.platform(), sink_);
  ASSERT_EQ(sink_.rows.size(), 1U);
  EXPECT_EQ(sink_.rows[0].columns[0], "One");
  EXPECT_EQ(sink_.stopChecks, 2);
}

TEST_F(SoftwareListTest, UninstallersRunOneAfterTheOtherAndTheirOwnKeysGo) {
  // Subkeys named unlike their programs; a key named after a display name belongs to
  // another entry and must survive.
  Register("{11111111-AAAA}", "Removes Itself", "C:\\a\\uninst.exe");
  Register("{22222222-BBBB}", "Leaves Its Key", "C:\\b\\uninst.exe");
  Register("{33333333-CCCC}", "Kept", "C:\\c\\uninst.exe");
  Register("Leaves Its Key", "Decoy", "C:\\d\\uninst.exe");
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{22222222-BBBB}\\Sub\\Deep\\v"), "x"));
  processes().OnStart([&](const RecordingProcesses::Start& start) {
    sink_.events.push_back("start " + start.commandLine);
    if (start.commandLine == "C:\\a\\uninst.exe") {
      EXPECT_TRUE(reg::RegDeleteKeyAt(host_.registry(), RootKey::LocalMachine, Key("{11111111-AAAA}"), true));
    }
    return true;
  });
  std::vector<ResultRow> list = Find();
  ASSERT_EQ(list.size(), 4U);  // Decoy, Removes Itself, Leaves Its Key, Kept
  const ResultRow kept = list[3];
  list[1].checked = true;
  list[2].checked = true;

  const UninstallOutcome outcome = UninstallSoftware(list, host_.platform(), sink_);
  const Events expected = {Notice("Removes Itself"),
                           "start C:\\a\\uninst.exe",
                           "pump",  // while it ran
                           "pump",  // after it ended
                           "rows changed",
                           Notice("Leaves Its Key"),
                           "start C:\\b\\uninst.exe",
                           "pump",
                           "pump",
                           "ask " + std::string(Text(88)),
                           "rows changed"};
  EXPECT_EQ(sink_.events, expected);
  EXPECT_EQ(UninstallNotice("X"),
            "Now, QZ Sweepwise Pro launches uninstaller for X.\rIn case of uninstall failure, QZ Sweepwise Pro will "
            "then clean the system from `X`");
  for (const auto& start : processes().starts()) {
    EXPECT_FALSE(start.hidden);
    EXPECT_TRUE(start.wait);
    EXPECT_TRUE(start.whileWaiting);
  }
  EXPECT_FALSE(Has("{22222222-BBBB}"));
  EXPECT_TRUE(Has("Leaves Its Key"));
  EXPECT_TRUE(Has("{33333333-CCCC}"));
  ASSERT_EQ(list.size(), 2U);
  EXPECT_EQ(list[1], kept);
  ASSERT_EQ(outcome.entries.size(), 2U);
  EXPECT_FALSE(outcome.entries[0].keyRemoved);
  EXPECT_TRUE(outcome.entries[1].keyRemoved);
  EXPECT_EQ(outcome.entries[1].key, "{22222222-BBBB}");
  EXPECT_TRUE(outcome.AllStarted());
}

TEST_F(SoftwareListTest, AnUninstallerThatDoesNotStartIsReportedAndItsEntryStillCleanedUp) {
  Register("{MISSING}", "Gone Program", "C:\\gone\\uninst.exe");
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{EMPTY}\\DisplayName"), "Blank"));
  processes().OnStart([](const RecordingProcesses::Start&) { return false; });
  std::vector<ResultRow> list = FindChecked();

  const UninstallOutcome outcome = UninstallSoftware(list, host_.platform(), sink_);
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(Has("{MISSING}"));
  EXPECT_FALSE(Has("{EMPTY}"));
  ASSERT_EQ(outcome.entries.size(), 2U);
  EXPECT_FALSE(outcome.AllStarted());
  EXPECT_FALSE(outcome.entries[0].started);
  EXPECT_TRUE(outcome.entries[0].keyRemoved);
  // An empty command is not even tried.
  ASSERT_EQ(processes().starts().size(), 1U);
  EXPECT_EQ(processes().starts()[0].commandLine, "C:\\gone\\uninst.exe");
  const std::vector<MessageKind> kinds = {MessageKind::Information, MessageKind::Warning, MessageKind::Information,
                                          MessageKind::Information, MessageKind::Warning, MessageKind::Information};
  EXPECT_EQ(sink_.kinds, kinds);
  EXPECT_NE(sink_.events[1].find("could not be started"), std::string::npos) << sink_.events[1];
}

TEST_F(SoftwareListTest, NothingCheckedRunsNothing) {
  Register("{1}", "One", "1.exe");
  std::vector<ResultRow> list = Find();
  const std::vector<ResultRow> before = list;
  const UninstallOutcome outcome = UninstallSoftware(list, host_.platform(), sink_);
  EXPECT_EQ(list, before);
  EXPECT_TRUE(outcome.entries.empty());
  EXPECT_TRUE(processes().starts().empty());
  EXPECT_TRUE(sink_.events.empty());
  EXPECT_TRUE(Has("{1}"));
}

TEST_F(SoftwareListTest, ARowWithoutAnEntryKeyNameNeverDeletesAnotherKey) {
  Register("{1}", "One", "1.exe");
  ASSERT_TRUE(reg::RegWriteString(host_.registry(), RootKey::LocalMachine, Key("{1}\\Inner\\v"), "x"));
  std::vector<ResultRow> list = FindChecked();
  ASSERT_EQ(list.size(), 1U);
  list.push_back(list[0]);
  list[0].hidden = "";  // would name the uninstall key itself
  list[1].hidden = "{1}\\Inner";
  const UninstallOutcome outcome = UninstallSoftware(list, host_.platform(), sink_);
  EXPECT_EQ(processes().starts().size(), 2U);
  EXPECT_FALSE(outcome.entries[0].keyRemoved);
  EXPECT_FALSE(outcome.entries[1].keyRemoved);
  EXPECT_TRUE(reg::RegKeyExists(host_.registry(), RootKey::LocalMachine, Key("{1}\\Inner")));
}

}  // namespace
}  // namespace sw::uninstall
