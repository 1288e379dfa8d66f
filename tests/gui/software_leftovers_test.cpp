// The Software page after an uninstall, on Wine's real registry, files and shell links: the
// fixture program's own uninstaller removes only its entry and main program, and the page
// then lists what it left behind (kind, size, certainty and reason on each row; the sure
// rows checked, the likely ones not), and Delete removes the checked ones after a backup,
// recorded in the history.

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <shlobj.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/command_ids.h"
#include "app/page_headers.h"
#include "gui/main_window_fixture.h"
#include "history/history_log.h"
#include "support/leftover_fixture_run.h"
#include "uninstall/leftover.h"

namespace sw::test {
namespace {

using app::win32::MainWindow;

class SoftwareLeftoversTest : public MainWindowFixture {
 protected:
  // The row of the window's list whose leftover lies at `location`; nullptr when none does.
  const ResultRow* RowAt(MainWindow& window, const std::string& location) {
    const auto& rows = window.rows();
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const ResultRow& r) { return r.columns[0] == location; });
    return row == rows.end() ? nullptr : &*row;
  }

  FixtureProgram fixture_{"Window Fixture", "Sweepwise Window Fixtures"};
};

TEST_F(SoftwareLeftoversTest, AfterAnUninstallTheLeftoversAreListedAndDeleteRemovesTheCheckedOnesAfterABackup) {
  ASSERT_TRUE(fixture_.Install(/*task=*/false));
  MainWindow& window = Start();
  window.RunCommand(app::kCmdSoftware);
  window.RunCommand(app::kCmdBul);
  const std::string title = fixture_.name + " 2.1 (64-bit)";
  auto& rows = window.resultList().rows();
  const auto program = std::find_if(rows.begin(), rows.end(), [&](const ResultRow& r) { return r.columns[0] == title; });
  ASSERT_NE(program, rows.end()) << "the fixture is listed";
  program->checked = true;
  window.resultList().Refill();

  window.RunCommand(app::kCmdSil);  // its uninstaller, then the search

  HWND list = window.Control("ListView1");
  const std::vector<std::string> headings{"Leftover", "Type", "", "", "Certainty", "Reason", "Size", "Program"};
  for (int column = 0; column < 8; ++column) {
    EXPECT_EQ(window.ReadSlot({"ListView1", app::Slot::kColumn, column, -1, {}}),
              headings[static_cast<std::size_t>(column)]);
    EXPECT_EQ(ListView_GetColumnWidth(list, column) == 0, column == 2 || column == 3) << "column " << column;
  }
  const std::string install = fixture_.InstallFolder();
  const std::string settings =
      FixtureProgram::ShellFolder(CSIDL_APPDATA) + "\\" + fixture_.publisher + "\\" + fixture_.name;
  const ResultRow* installRow = RowAt(window, install);
  const ResultRow* settingsRow = RowAt(window, settings);
  ASSERT_NE(installRow, nullptr) << window.StatusText();
  ASSERT_NE(settingsRow, nullptr);
  EXPECT_EQ(installRow->columns[1], "Folder");
  EXPECT_EQ(installRow->Column(4), "sure");
  // The uninstaller took the main program only.
  EXPECT_EQ(installRow->Column(5),
            "the install folder named by the entry; 3 of its 4 files from before the uninstall are still there");
  EXPECT_FALSE(installRow->Column(6).empty()) << "a folder shows its size";
  EXPECT_TRUE(installRow->checked);
  EXPECT_EQ(settingsRow->Column(4), "likely");
  EXPECT_FALSE(settingsRow->Column(5).empty());
  EXPECT_FALSE(settingsRow->checked);
  const std::string key = "HKEY_CURRENT_USER\\Software\\" + fixture_.publisher + "\\" + fixture_.name;
  const ResultRow* keyRow = RowAt(window, key);
  ASSERT_NE(keyRow, nullptr);
  EXPECT_EQ(keyRow->columns[1], "Registry key");
  EXPECT_TRUE(keyRow->checked);
  for (const ResultRow& row : window.rows()) {
    EXPECT_EQ(row.checked, row.Column(4) == "sure") << row.columns[0];
  }

  const std::size_t listed = window.rows().size();
  window.RunCommand(app::kCmdSil);  // now: the checked leftovers

  EXPECT_FALSE(std::filesystem::exists(PathOfUtf8(install)));
  EXPECT_TRUE(std::filesystem::exists(PathOfUtf8(settings))) << "a likely leftover left unchecked stays";
  EXPECT_EQ(RowAt(window, install), nullptr) << "the removed rows leave the list";
  ASSERT_NE(RowAt(window, settings), nullptr);
  EXPECT_LT(window.rows().size(), listed);
  EXPECT_NE(window.StatusText().find("Removed "), std::string::npos) << window.StatusText();
  // The backup of the files lies in the data folder, and the history names it.
  history::HistoryLog log(gui_.platform);
  const auto entries = log.Read();
  ASSERT_TRUE(entries);
  const auto removal = std::find_if(entries->begin(), entries->end(), [](const history::Entry& entry) {
    return entry.action == history::Action::LeftoversRemoved;
  });
  ASSERT_NE(removal, entries->end());
  EXPECT_EQ(removal->origin, "Software page");
  bool archive = false;
  for (const auto& item : std::filesystem::directory_iterator(PathOfUtf8(log.Path()).parent_path())) {
    archive = archive || item.path().extension() == ".bck";
  }
  EXPECT_TRUE(archive) << "the files were packed into a backup archive first";
}

}  // namespace
}  // namespace sw::test
