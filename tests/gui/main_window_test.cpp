// The main window in this process, under Wine in a virtual X server: its start, pages,
// captions, tray residence and exit, read back from the real controls.

#include "app/win32/main_window.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windowsx.h>

#include <filesystem>
#include <optional>

#include "app/command_ids.h"
#include "app/page_headers.h"
#include "core/language.h"
#include "gui/gui_support.h"
#include "gui/main_window_fixture.h"
#include "support/temp_folder.h"
#include "sweepwise_version.h"

namespace sw::app::win32 {
namespace {

using test::ShownMessages;
using MainWindowTest = test::MainWindowFixture;

TEST_F(MainWindowTest, StartsHiddenOnTheFilesPageWithTheTrayIcon) {
  WriteProgramFile("version.txt", "5.1.7\r\nignored\r\n");
  MainWindow& window = Start();
  EXPECT_FALSE(IsWindowVisible(window.hwnd()));
  EXPECT_TRUE(window.trayIconAdded());
  EXPECT_TRUE(window.IsToolbarButtonPressed(kCmdDosyalar));
  EXPECT_EQ(TextOf("lblCleanType"), "Files Cleaning");
  EXPECT_EQ(window.frontArea(), Area::kResults);
  EXPECT_TRUE(Shown("btnBul") && Shown("btnSil"));
  EXPECT_FALSE(Shown("btnRefresh") || Shown("btnStop"));
  EXPECT_EQ(TextOf("Version"), "Ver 5.1.7");
  EXPECT_EQ(window.ActiveTab("pnlAbout"), 0);
  EXPECT_EQ(window.ReadSlot({"tbtFolders", Slot::kHint, 0, -1, {}}),
            "Folder statistics on your drives, usage reports shown as pie chart.");
  EXPECT_TRUE(ShownMessages().empty()) << ShownMessages().front().text;
}

// The version the program was built with (the project's version), not a fixed text.
TEST_F(MainWindowTest, WithoutVersionFileTheLabelShowsTheBuiltVersion) {
  Start();
  EXPECT_EQ(TextOf("Version"), std::string("version ") + kSweepwiseVersion);
  EXPECT_NE(TextOf("Version"), "version 3.5");
}

struct PageCase {
  unsigned command;
  std::string_view header;  // the header table's row the page shows
  Area area;
  std::optional<std::pair<const char*, int>> tab;
};

TEST_F(MainWindowTest, EachPageCommandShowsItsHeaderButtonsAndArea) {
  MainWindow& window = Start();
  const PageCase cases[] = {
      {kCmdSistemKayit, "tbtSistemKayit", Area::kResults, {}},
      {kCmdSoftware, "tbtSoftware", Area::kResults, {}},
      {kCmdMemory, "tbtMemory", Area::kSystem, {{"pnlSystem", 2}}},
      {kCmdResources, "tbtResources", Area::kSystem, {{"pnlSystem", 0}}},
      {kCmdDrive1, "pnlDisk", Area::kSystem, {{"pnlSystem", 1}}},
      {kCmdMemory1, "tbtMemory", Area::kSystem, {{"pnlSystem", 2}}},
      {kCmdFolders, "tbtFolders", Area::kSystem, {{"pnlSystem", 3}}},
      {kCmdFolderUsage, "tbtFolders", Area::kSystem, {{"pnlSystem", 3}}},
      {kCmdCpu1, "tbtResources", Area::kSystem, {{"pnlSystem", 0}}},
      {kCmdInformation, "tbtInformation", Area::kInformation, {{"pnlAbout", 0}}},
      {kCmdMonitor1, "tbtDosyalar", Area::kResults, {}},
      {kCmdDosyalar, "tbtDosyalar", Area::kResults, {}},
  };
  for (const PageCase& page : cases) {
    SCOPED_TRACE(page.header);
    window.RunCommand(page.command);
    const MonitorRow& row = *FindMonitorRow(page.header);
    EXPECT_EQ(TextOf("lblCleanType"), row.title);
    EXPECT_EQ(TextOf("lblCleanTypeDesc"), row.description);
    EXPECT_EQ(Shown("btnBul"), row.find);
    EXPECT_EQ(Shown("btnRefresh"), row.refresh);
    EXPECT_EQ(Shown("btnSil"), !row.deleteCaption.empty());
    if (!row.deleteCaption.empty()) {
      EXPECT_EQ(TextOf("btnSil"), row.deleteCaption);
    }
    if (row.commands != Visibility::kUnchanged) {
      EXPECT_EQ(Shown("pnlCommands"), row.commands == Visibility::kShown);
    }
    EXPECT_TRUE(Shown("pnlBottom"));
    EXPECT_EQ(window.frontArea(), page.area);
    if (page.tab) {
      EXPECT_EQ(window.ActiveTab(page.tab->first), page.tab->second);
    }
  }
  EXPECT_TRUE(window.IsToolbarButtonPressed(kCmdDosyalar)) << "Monitor presses the Files button";
}

TEST_F(MainWindowTest, TheRegistryAndMemoryPagesDisableTheFileOptions) {
  MainWindow& window = Start();
  window.RunCommand(kCmdSistemKayit);
  EXPECT_FALSE(IsWindowEnabled(window.Control("chkIntCache")));
  EXPECT_TRUE(window.IsToolbarButtonPressed(kCmdBackup)) << "registry removal keeps a backup unless released";
  window.RunCommand(kCmdDosyalar);
  EXPECT_TRUE(IsWindowEnabled(window.Control("chkRecent")));
  window.RunCommand(kCmdMemory);
  EXPECT_FALSE(IsWindowEnabled(window.Control("chkIntHistory")));
  EXPECT_TRUE(Shown("pnlMemory"));
  EXPECT_FALSE(Shown("pnlCpu"));
}

TEST_F(MainWindowTest, TheTweaksPageHasItsOwnTitleAndApply) {
  MainWindow& window = Start();
  window.RunCommand(kCmdAdvanced);
  EXPECT_EQ(window.frontArea(), Area::kTweaks);
  EXPECT_FALSE(Shown("pnlBottom"));
  EXPECT_TRUE(Shown("fpnlTweakLabel"));
  EXPECT_EQ(TextOf("lblTweaklabel").rfind("Advanced settings for ", 0), 0U) << TextOf("lblTweaklabel");
  EXPECT_EQ(TextOf("btnSil"), "Apply          ");
  EXPECT_FALSE(Shown("btnBul"));
  window.RunCommand(kCmdDosyalar);
  EXPECT_TRUE(Shown("pnlBottom"));
  EXPECT_FALSE(Shown("fpnlTweakLabel"));
  EXPECT_EQ(TextOf("btnSil"), "Delete         ");
}

TEST_F(MainWindowTest, LinksOpenThroughTheShellAndNeverHere) {
  std::filesystem::create_directories(temp_.path() / "help");
  WriteProgramFile("help\\index.html", "<html></html>");
  MainWindow& window = Start();
  window.RunCommand(kCmdSupport);
  window.RunCommand(kCmdHelp);
  EXPECT_EQ(window.frontArea(), Area::kInformation);
  EXPECT_EQ(window.ActiveTab("pnlAbout"), 3);
  const std::vector<std::string> expected{"https://www.orvanta.example/qz/untsupport.php3?fversion=510",
                                          programDir_ + "\\help\\index.html"};
  EXPECT_EQ(gui_.shell->opened, expected);
}

TEST_F(MainWindowTest, ShortcutSwitchOpensTheHelpAtStartInTheLanguageWhereItExists) {
  std::filesystem::create_directories(temp_.path() / "help" / "tr");
  WriteProgramFile("help\\index.html", "<html></html>");
  WriteProgramFile("help\\tr\\index.html", "<html></html>");
  WriteProgramFile("language.txt", "0\r\n0\r\nN\r\n");
  Start("-shortcut");
  ASSERT_EQ(gui_.shell->opened.size(), 1U);
  EXPECT_EQ(gui_.shell->opened[0], programDir_ + "\\help\\tr\\index.html");
}

TEST_F(MainWindowTest, WithoutItsPagesTheHelpSaysItCannotBeOpened) {
  MainWindow& window = Start();
  ShownMessages().clear();
  window.RunCommand(kCmdHelp);
  EXPECT_TRUE(gui_.shell->opened.empty());
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_NE(ShownMessages()[0].text.find("cannot be opened"), std::string::npos);
}

TEST_F(MainWindowTest, SwitchingLanguageChangesEveryCaptionAndHint) {
  WriteProgramFile("language.txt", "0\r\n3\r\nN\r\n");
  MainWindow& window = Start();
  EXPECT_EQ(CurrentLanguage(), kTurkish);
  ExpectCaptionsOf(kTurkish);
  window.RunCommand(LanguageCommand(kEnglish));
  ExpectCaptionsOf(kEnglish);
  EXPECT_EQ(window.language().settingText, "1");
  window.RunCommand(LanguageCommand(kTurkish));
  ExpectCaptionsOf(kTurkish);
}

TEST_F(MainWindowTest, ALanguageWithoutATableStartsInEnglishWithTheNoteOnce) {
  WriteProgramFile("language.txt", "4\r\n8\r\nN\r\n");
  MainWindow& window = Start();
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_NE(ShownMessages()[0].text.find("have not been translated yet"), std::string::npos);
  ExpectCaptionsOf(kEnglish);
  window.RunCommand(kCmdSistemKayit);  // applies the language again
  EXPECT_EQ(ShownMessages().size(), 1U);
  window.Exit1Click();
  EXPECT_EQ(ProgramFile("language.txt"), "1\r\n8\r\nN\r\n");
}

TEST_F(MainWindowTest, FrenchComesFromTheSettingsFileAndIsSavedBackAtExit) {
  WriteProgramFile("language.txt", "2\r\n17\r\nY\r\n");
  MainWindow& window = Start();
  ExpectCaptionsOf(kFrench);
  EXPECT_EQ(window.settings().backupCounter, 17);
  EXPECT_EQ(Button_GetCheck(window.Control("chkAlerts")), BST_CHECKED);
  Button_SetCheck(window.Control("chkAlerts"), BST_UNCHECKED);
  window.Exit1Click();
  EXPECT_EQ(ProgramFile("language.txt"), "2\r\n17\r\nN\r\n");
}

TEST_F(MainWindowTest, ExitWritesTheSettingsInTheirThreeLineForm) {
  MainWindow& window = Start();
  window.RunCommand(LanguageCommand(kTurkish));
  Button_SetCheck(window.Control("chkAlerts"), BST_CHECKED);
  window.RunCommand(kCmdHide1);
  EXPECT_EQ(ProgramFile("language.txt"), "<missing>") << "only an orderly exit saves";
  window.Exit1Click();
  EXPECT_EQ(ProgramFile("language.txt"), "0\r\n0\r\nY\r\n");
  EXPECT_EQ(window.hwnd(), nullptr) << "Exit destroys the window";
}

TEST_F(MainWindowTest, CloseAndMinimiseOnlyHideAndShowRestores) {
  MainWindow& window = Start();
  window.RunCommand(kCmdShow1);
  EXPECT_TRUE(IsWindowVisible(window.hwnd()));
  SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
  ASSERT_NE(window.hwnd(), nullptr);
  EXPECT_FALSE(IsWindowVisible(window.hwnd()));
  EXPECT_TRUE(window.trayIconAdded());
  window.RunCommand(kCmdShow1);
  ShowWindow(window.hwnd(), SW_MINIMIZE);
  test::DrainMessages();
  EXPECT_FALSE(IsWindowVisible(window.hwnd()));
  window.RunCommand(kCmdShow1);
  EXPECT_TRUE(IsWindowVisible(window.hwnd()));
  EXPECT_FALSE(IsIconic(window.hwnd()));
  EXPECT_EQ(ProgramFile("language.txt"), "<missing>");
}

}  // namespace
}  // namespace sw::app::win32
