// The History tab of the Advanced page in the window, on real files: the list of every change
// with its date, action, size and state, Undo offered only for what can be undone, and Undo
// putting deleted files back and showing the history anew. The Files page's deletion is
// recorded here as that page records it (an archive, the entry and its list of files).

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "backup/backup_file.h"
#include "gui/main_window_fixture.h"
#include "history/history_log.h"
#include "undo/deleted_files.h"

namespace sw::test {
namespace {

using app::win32::MainWindow;

void Select(HWND list, int row) {
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  DrainMessages();
}

class HistoryTabTest : public MainWindowFixture {
 protected:
  HistoryTabTest() {
    gui_.system->version = platform::VersionRecord{platform::kPlatformNt, 5, 1, 2600};
    gui_.system->admin = true;
  }

  // A deletion of two files with their backup, and an uninstall, which cannot be undone.
  void RecordChanges() {
    platform::Platform& platform = gui_.platform;
    const std::filesystem::path folder = temp_.path() / "Work Files";
    std::filesystem::create_directories(folder);
    WriteFileBytes(folder / "Notes.TXT", "notes");
    WriteFileBytes(folder / "plan.doc", "the plan");
    std::vector<std::string> paths{Utf8Of(folder / "Notes.TXT"), Utf8Of(folder / "plan.doc")};
    std::vector<std::string> items;
    for (const auto& path : paths) {
      const auto times = platform.files->TimesOf(path);
      ASSERT_TRUE(times);
      items.push_back(undo::DeletedFileLine({path, times->lastWrite, 5}));
    }
    backup::TBackupFile packer(*platform.files, *platform.system);
    ASSERT_TRUE(packer.Backup(paths, programDir_ + "\\zq1.bck"));
    history::HistoryLog log(platform);
    history::Entry deleted;
    deleted.action = history::Action::FilesDeleted;
    deleted.origin = "Files Cleaning page";
    deleted.summary = "Deleted 2 files";
    deleted.count = 2;
    deleted.bytes = 13'000;
    deleted.names = paths;
    deleted.backups = {programDir_ + "\\zq1.bck"};
    history::Recording deletion(log, deleted);
    ASSERT_TRUE(deletion.WriteItems(items));
    for (const auto& path : paths) {
      ASSERT_TRUE(platform.files->RemoveFile(path));
    }
    ASSERT_TRUE(deletion.Complete(history::EntryState::Done));
    history::Entry uninstalled;
    uninstalled.action = history::Action::Uninstalled;
    uninstalled.origin = "Software page";
    uninstalled.summary = "Ran the uninstaller of Example";
    history::Recording uninstall(log, uninstalled);
    ASSERT_TRUE(uninstall.Complete(history::EntryState::Done));
  }

  HWND History() const { return window_->Control("lvHistory"); }
  HWND Tabs() const { return window_->Control("pcTweaks"); }

  void ShowHistoryTab() {
    const int tab = app::win32::AdvancedPage::kHistoryTab;
    TabCtrl_SetCurSel(Tabs(), tab);
    NMHDR change{Tabs(), static_cast<UINT_PTR>(GetDlgCtrlID(Tabs())), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(GetParent(Tabs()), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    DrainMessages();
  }
};

TEST_F(HistoryTabTest, ListsEveryChangeAndUndoesTheSelectedOne) {
  RecordChanges();
  MainWindow& window = Start();
  window.RunCommand(app::kCmdAdvanced);
  ASSERT_EQ(TabCtrl_GetItemCount(Tabs()), 6);
  ShowHistoryTab();
  EXPECT_TRUE(Shown("lvHistory"));
  EXPECT_TRUE(Shown("btnUndo"));
  EXPECT_FALSE(Shown("lvAdvanced1"));
  EXPECT_FALSE(Shown("btnSil")) << "nothing to apply on the history";

  // Newest first: the uninstall, then the deletion; date, action, size, state, what, by whom.
  ASSERT_EQ(ListView_GetItemCount(History()), 2);
  EXPECT_EQ(ItemText(History(), 0, 1), "Program uninstalled");
  EXPECT_EQ(ItemText(History(), 1, 1), "Files deleted");
  EXPECT_EQ(ItemText(History(), 1, 2), "2 files, 12 KB");
  EXPECT_EQ(ItemText(History(), 1, 3), "done");
  EXPECT_EQ(ItemText(History(), 1, 4), "Deleted 2 files");
  EXPECT_EQ(ItemText(History(), 1, 5), "Files Cleaning page");
  EXPECT_EQ(ItemText(History(), 1, 0).size(), 19U) << ItemText(History(), 1, 0);  // "2026-12-09 21:40:03"

  // Undo only where there is something to put back; the status says why not.
  EXPECT_FALSE(IsWindowEnabled(window.Control("btnUndo")));
  Select(History(), 0);
  EXPECT_FALSE(IsWindowEnabled(window.Control("btnUndo")));
  EXPECT_NE(window.StatusText().find("Cannot be undone: what an uninstaller removed"), std::string::npos)
      << window.StatusText();
  Select(History(), 1);
  ASSERT_TRUE(IsWindowEnabled(window.Control("btnUndo")));

  ShownMessages().clear();
  window.RunCommand(app::kCmdUndo);
  ASSERT_EQ(ShownMessages().size(), 2U) << "the question, then what came back";
  EXPECT_NE(ShownMessages()[0].text.find("Undo entry 1 (Files deleted, Deleted 2 files)?"), std::string::npos);
  EXPECT_EQ(ShownMessages()[1].text, "Entry 1 was undone: 2 files back in their folders.");
  EXPECT_EQ(ReadFileBytes(temp_.path() / "Work Files" / "Notes.TXT"), "notes");
  EXPECT_EQ(ReadFileBytes(temp_.path() / "Work Files" / "plan.doc"), "the plan");

  // The history anew: the undo on top, the deletion undone and no longer offered.
  ASSERT_EQ(ListView_GetItemCount(History()), 3);
  EXPECT_EQ(ItemText(History(), 0, 1), "Undo");
  EXPECT_EQ(ItemText(History(), 2, 3), "undone");
  EXPECT_FALSE(IsWindowEnabled(window.Control("btnUndo"))) << "the selection stays on the undone entry";

  // Back to a catalogue tab: its list and Apply again.
  TabCtrl_SetCurSel(Tabs(), 0);
  NMHDR change{Tabs(), static_cast<UINT_PTR>(GetDlgCtrlID(Tabs())), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(GetParent(Tabs()), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
  DrainMessages();
  EXPECT_FALSE(Shown("lvHistory"));
  EXPECT_TRUE(Shown("lvAdvanced1"));
  EXPECT_TRUE(Shown("btnSil"));
}

TEST_F(HistoryTabTest, ADeclinedUndoChangesNothing) {
  RecordChanges();
  MainWindow& window = Start();
  window.RunCommand(app::kCmdAdvanced);
  ShowHistoryTab();
  Select(History(), 1);
  SetYesNoAnswer(IDNO);
  window.RunCommand(app::kCmdUndo);
  EXPECT_FALSE(std::filesystem::exists(temp_.path() / "Work Files" / "Notes.TXT"));
  EXPECT_EQ(ListView_GetItemCount(History()), 2);
}

}  // namespace
}  // namespace sw::test
