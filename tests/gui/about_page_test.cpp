// The information tabs and links in the window: each tab's action, the Support button and
// menu, the server setting in the support address, the version of the build and the Update
// button, and what the user is told when the shell cannot open a link. (The Update button
// against the tests' server: update_window_test.cpp.)

#include "app/win32/about_page.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/command_ids.h"
#include "core/language.h"
#include "gui/main_window_fixture.h"
#include "sweepwise_version.h"

namespace sw::app::win32 {
namespace {

using test::ShownMessages;

class AboutPageTest : public test::MainWindowFixture {
 protected:
  ~AboutPageTest() override { _putenv_s("SWEEPWISE_SERVER", ""); }

  // A click on tab `index` of pnlAbout.
  void ClickTab(int index) {
    HWND tabs = window_->Control("pnlAbout");
    TabCtrl_SetCurSel(tabs, index);
    NMHDR header{tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(window_->hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  }
};

TEST_F(AboutPageTest, EachTabDoesItsPart) {
  std::filesystem::create_directories(temp_.path() / "help");
  WriteProgramFile("help\\index.html", "<html></html>");
  MainWindow& window = Start();
  window.RunCommand(kCmdInformation);
  EXPECT_TRUE(Shown("fpnlAbout"));
  EXPECT_TRUE(Shown("btnUpdate"));
  EXPECT_EQ(TextOf("btnUpdate"), Text(6));
  EXPECT_EQ(TextOf("lblUpdate"), Text(105));
  EXPECT_TRUE(gui_.shell->opened.empty()) << "the About tab opens nothing";

  ClickTab(1);
  ClickTab(2);
  ClickTab(3);
  const std::vector<std::string> expected{"mailto:info@orvanta.example",
                                          "https://www.orvanta.example/qz/untsupport.php3?fversion=510",
                                          programDir_ + "\\help\\index.html"};
  EXPECT_EQ(gui_.shell->opened, expected);
  EXPECT_TRUE(Shown("fpnlAbout"));
  ClickTab(4);
  EXPECT_TRUE(Shown("fpnlSpecial"));
  EXPECT_FALSE(Shown("fpnlAbout"));
  ClickTab(0);
  EXPECT_TRUE(Shown("fpnlAbout"));
  EXPECT_FALSE(Shown("fpnlSpecial"));
  EXPECT_EQ(gui_.shell->opened.size(), 3U);
  EXPECT_TRUE(ShownMessages().empty());
}

// Whoever mirrors the updates names the server once; its support page comes with it.
TEST_F(AboutPageTest, SupportOpensTheSupportPageOfTheConfiguredServer) {
  _putenv_s("SWEEPWISE_SERVER", "http://mirror.example/sweepwise/");
  MainWindow& window = Start();
  window.RunCommand(kCmdSupport);
  window.RunCommand(kCmdSupport1);
  const std::string page = "http://mirror.example/sweepwise/qz/untsupport.php3?fversion=510";
  EXPECT_EQ(gui_.shell->opened, (std::vector<std::string>{page, page}));
  EXPECT_EQ(window.frontArea(), Area::kResults) << "Support leaves the page as it is";
}

TEST_F(AboutPageTest, WhenNothingCanOpenALinkTheUserIsTold) {
  MainWindow& window = Start();
  gui_.shell->opens = false;
  window.RunCommand(kCmdSupport);
  window.RunCommand(kCmdHelp);
  window.RunCommand(kCmdInformation);
  ClickTab(1);
  ASSERT_EQ(ShownMessages().size(), 3U);
  EXPECT_EQ(ShownMessages()[0].text, Text(135));
  EXPECT_EQ(ShownMessages()[1].text, "The help " + programDir_ + "\\help\\index.html cannot be opened.");
  EXPECT_EQ(ShownMessages()[2].text, "No mail program could be started. Please write to info@orvanta.example.");
  for (const test::ShownMessage& message : ShownMessages()) {
    EXPECT_EQ(message.type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  }
}

// The version is the one the program was built with, not a fixed text; Update runs the
// check at once and says why it came to nothing (here: no server listens on the port).
TEST_F(AboutPageTest, VersionOfTheBuildAndUpdateThatSaysWhy) {
  _putenv_s("SWEEPWISE_SERVER", "https://127.0.0.1:1");
  MainWindow& window = Start();
  window.RunCommand(kCmdInformation);
  EXPECT_EQ(TextOf("Version"), std::string("version ") + kSweepwiseVersion);
  EXPECT_NE(TextOf("Version"), "version 3.5");
  window.RunCommand(kCmdUpdate);
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_TRUE(ShownMessages()[0].text.starts_with("The update server cannot be reached: https://127.0.0.1:1/updates/"))
      << ShownMessages()[0].text;
  EXPECT_EQ(ShownMessages()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(window.updateService().updateWindow(), nullptr);
}

}  // namespace
}  // namespace sw::app::win32
