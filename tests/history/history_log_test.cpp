// The history log on real files: the host stand-in natively, kernel32 under Wine.

#include "history/history_log.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "support/file_fixture.h"

namespace sw::history {
namespace {

class HistoryLogTest : public test::FileFixture {
 protected:
  HistoryLog Log() { return HistoryLog(files(), At("data")); }

  void SetUp() override { ASSERT_TRUE(files().CreateFolders(At("data"))); }
};

Entry Deletion(std::string origin, std::vector<std::string> names) {
  Entry entry;
  entry.action = Action::FilesDeleted;
  entry.origin = std::move(origin);
  entry.summary = "Deleting " + std::to_string(names.size()) + " files";
  entry.count = names.size();
  entry.names = std::move(names);
  entry.backups = {"C:\\data\\zq3.bck"};
  return entry;
}

TEST_F(HistoryLogTest, EntriesReadBackNewestFirstWithTheirEndFoldedIn) {
  HistoryLog log = Log();
  Recording first(log, Deletion("Files Cleaning page", {"a.tmp", "b.tmp", "c.tmp", "d.tmp", "e.tmp", "f.tmp"}));
  ASSERT_TRUE(first.Started());
  first.entry().summary = "Deleted 6 files";
  first.entry().bytes = 3'221'225'472;  // sizes above 32 bits survive the file
  ASSERT_TRUE(first.Complete(EntryState::Done));

  Entry registry;
  registry.action = Action::RegistryRemoved;
  registry.origin = "sweepwise-cli delete registry";
  registry.notUndoable = "No backup was asked for.";
  auto key = log.Begin(registry);
  ASSERT_TRUE(key);
  Entry failed;
  failed.state = EntryState::Failed;
  failed.problem = "2 values could not be deleted.";
  ASSERT_TRUE(log.Complete(*key, failed));

  const auto entries = log.Read();
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  const Entry& newest = (*entries)[0];
  EXPECT_EQ(newest.id, 2);
  EXPECT_EQ(newest.action, Action::RegistryRemoved);
  EXPECT_EQ(newest.state, EntryState::Failed);
  EXPECT_EQ(newest.problem, "2 values could not be deleted.");
  EXPECT_EQ(newest.notUndoable, "No backup was asked for.");  // kept from the start
  EXPECT_FALSE(newest.Undoable());

  const Entry& oldest = (*entries)[1];
  EXPECT_EQ(oldest.id, 1);
  EXPECT_EQ(oldest.state, EntryState::Done);
  EXPECT_EQ(oldest.summary, "Deleted 6 files");
  EXPECT_EQ(oldest.bytes, 3'221'225'472u);
  EXPECT_EQ(oldest.names.size(), kNamesKept);
  EXPECT_EQ(oldest.names.front(), "a.tmp");
  EXPECT_EQ(oldest.backups, std::vector<std::string>{"C:\\data\\zq3.bck"});
  EXPECT_TRUE(oldest.Undoable());
  EXPECT_GE(oldest.ended, oldest.started);
  EXPECT_NE(oldest.started.ticks, 0u);
}

// A program ended mid-change leaves a start without its end; a power failure may cut the
// last record short. Neither spoils what comes before or after it.
TEST_F(HistoryLogTest, AStartWithoutItsEndIsInterruptedAndATornRecordIsPassedOver) {
  HistoryLog log = Log();
  {
    Recording crashed(log, Deletion("sweepwise-cli delete files", {"x.tmp"}));
    ASSERT_TRUE(crashed.Started());
  }  // never completed
  {
    auto writer = files().OpenForWriting(log.Path(), platform::CreateMode::Append);
    ASSERT_TRUE(writer);
    const std::string torn = "\r\n{\"event\":\"begin\",\"key\":\"abc\",\"act";
    ASSERT_TRUE((*writer)->Write(std::span(reinterpret_cast<const std::uint8_t*>(torn.data()), torn.size())));
    ASSERT_TRUE((*writer)->Commit());
  }
  Recording after(log, Deletion("Files Cleaning page", {"y.tmp"}));
  ASSERT_TRUE(after.Complete(EntryState::Done));

  const auto entries = log.Read();
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].names, std::vector<std::string>{"y.tmp"});
  EXPECT_EQ((*entries)[0].state, EntryState::Done);
  EXPECT_EQ((*entries)[1].state, EntryState::Interrupted);
  EXPECT_EQ((*entries)[1].ended.ticks, 0u);
  EXPECT_TRUE((*entries)[1].Undoable());  // its backup was named before it began
}

TEST_F(HistoryLogTest, OnlyAnUndoThatSucceededMarksItsEntryUndone) {
  HistoryLog log = Log();
  Recording deleted(log, Deletion("Files Cleaning page", {"a.tmp"}));
  ASSERT_TRUE(deleted.Complete(EntryState::Done));

  Entry undo;
  undo.action = Action::Undo;
  undo.undoes = deleted.Key();
  Recording failedUndo(log, undo);
  ASSERT_TRUE(failedUndo.Complete(EntryState::Failed));
  auto entries = log.Read();
  ASSERT_TRUE(entries);
  EXPECT_TRUE(entries->back().undoneBy.empty());

  Recording goodUndo(log, undo);
  ASSERT_TRUE(goodUndo.Complete(EntryState::Done));
  const auto found = log.Find(1);
  ASSERT_TRUE(found);
  ASSERT_TRUE(found->has_value());
  EXPECT_EQ((*found)->undoneBy, goodUndo.Key());
  EXPECT_FALSE((*found)->Undoable());
  const auto undoEntry = log.Find(3);
  ASSERT_TRUE(undoEntry && undoEntry->has_value());
  EXPECT_EQ((*undoEntry)->undoes, deleted.Key());
  EXPECT_FALSE((*undoEntry)->Undoable());
  const auto none = log.Find(9);
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->has_value());
}

// The window and the console program may write at the same moment: every record arrives
// whole and every key stays unique.
TEST_F(HistoryLogTest, TwoWritersAtOnceLoseNothing) {
  constexpr int kEach = 60;
  auto write = [this](const std::string& origin) {
    HistoryLog log = Log();
    for (int i = 0; i < kEach; ++i) {
      Recording recording(log, Deletion(origin, {origin + std::to_string(i)}));
      ASSERT_TRUE(recording.Started());
      ASSERT_TRUE(recording.Complete(EntryState::Done));
    }
  };
  std::thread window(write, "window");
  std::thread console(write, "console");
  window.join();
  console.join();

  const auto entries = Log().Read();
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u * kEach);
  std::set<std::string> keys;
  std::set<int> ids;
  for (const Entry& entry : *entries) {
    EXPECT_EQ(entry.state, EntryState::Done) << entry.names.front();
    keys.insert(entry.key);
    ids.insert(entry.id);
  }
  EXPECT_EQ(keys.size(), 2u * kEach);
  EXPECT_EQ(*ids.begin(), 1);
  EXPECT_EQ(*ids.rbegin(), 2 * kEach);
}

TEST_F(HistoryLogTest, ItemsKeepEveryNameExactly) {
  HistoryLog log = Log();
  Recording recording(log, Deletion("Files Cleaning page", {}));
  const std::vector<std::string> items{"C:\\Temp\\Report.TMP", "C:\\Temp\\\xC3\xA7\xC4\xB1kt\xC4\xB1.tmp",
                                       "C:\\Temp\\trailing dot."};
  ASSERT_TRUE(recording.WriteItems(items));
  const auto back = log.ReadItems(recording.Key());
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, items);
  EXPECT_FALSE(log.ReadItems("0000-none"));
}

TEST_F(HistoryLogTest, ALogThatCannotBeWrittenIsReportedNotIgnored) {
  HistoryLog log(files(), At("missing\\folder"));
  Recording recording(log, Deletion("Files Cleaning page", {"a.tmp"}));
  EXPECT_FALSE(recording.Started());
  EXPECT_FALSE(recording.Complete(EntryState::Done));
  const auto entries = log.Read();
  ASSERT_TRUE(entries);
  EXPECT_TRUE(entries->empty());
}

}  // namespace
}  // namespace sw::history
