// The popup note and the note window as the user sees them: real windows of their classes,
// placed above the taskbar of Wine's virtual desktop.

#include "app/win32/popup_note.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/win32/note_window.h"
#include "gui/gui_support.h"
#include "online/note_layout.h"

namespace sw::app::win32 {
namespace {

std::vector<HWND> PopupWindows() {
  std::vector<HWND> windows;
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, kPopupNoteClass, nullptr)) != nullptr) {
    windows.push_back(window);
  }
  return windows;
}

RECT RectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

class PopupNoteTest : public ::testing::Test {
 protected:
  PopupNoteTest() {
    note_.Title = "QZ Sweepwise Pro";
    note_.Text = "Backing up files to be deleted\rPlease wait...";
    note_.TimeOut = 1000;
    note_.AllowScroll = false;
  }
  ~PopupNoteTest() override {
    note_.ClosePopUps();
    test::DrainMessages();
  }
  PopupNote note_;
};

TEST_F(PopupNoteTest, StandsAboveTheTaskbarAndStacksWhileOthersAreOpen) {
  online::ScreenRect taskbar;
  online::ScreenRect work;
  TaskbarAndWorkArea(taskbar, work);
  ASSERT_TRUE(note_.ShowPopUp());
  ASSERT_TRUE(note_.ShowPopUp());
  test::DrainMessages();
  const std::vector<HWND> popups = PopupWindows();
  ASSERT_EQ(popups.size(), 2U);
  for (HWND popup : popups) {
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_NE(GetWindowLongW(popup, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0) << "never on the taskbar";
    const RECT rect = RectOf(popup);
    EXPECT_GE(rect.top, work.top);
    EXPECT_LE(rect.bottom, work.bottom);
    EXPECT_EQ(rect.right, work.right - 16);
  }
  const RECT a = RectOf(popups[0]);
  const RECT b = RectOf(popups[1]);
  EXPECT_EQ(std::abs(a.top - b.top), a.bottom - a.top) << "one directly above the other";
  EXPECT_EQ(note_.count(), 2);

  note_.ClosePopUps();
  EXPECT_TRUE(PopupWindows().empty());
  EXPECT_EQ(note_.count(), 0);
}

TEST_F(PopupNoteTest, ClosesByItselfWhenItsTimeIsUpAndOnARightClick) {
  note_.TimeOut = 1;
  note_.ScrollSpeed = 50;
  bool clicked = false;
  note_.OnClick = [&] { clicked = true; };
  ASSERT_TRUE(note_.ShowPopUp());
  for (int i = 0; i < 300 && !PopupWindows().empty(); ++i) {
    test::DrainMessages();
    Sleep(10);
  }
  EXPECT_TRUE(PopupWindows().empty()) << "the closing timer, then the shrinking, ends it";
  EXPECT_EQ(note_.count(), 0);

  note_.TimeOut = 1000;
  ASSERT_TRUE(note_.ShowPopUp());
  SendMessageW(PopupWindows().at(0), WM_RBUTTONUP, 0, MAKELPARAM(70, 60));
  test::DrainMessages();
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(PopupWindows().empty());
}

TEST_F(PopupNoteTest, GrowsOutOfTheTaskbarWhenScrollingIsAllowed) {
  note_.AllowScroll = true;
  note_.ScrollSpeed = 20;
  ASSERT_TRUE(note_.ShowPopUp());
  HWND popup = PopupWindows().at(0);
  const LONG start = RectOf(popup).bottom - RectOf(popup).top;
  EXPECT_LT(start, 10) << "starts one pixel thick";
  for (int i = 0; i < 200 && RectOf(popup).bottom - RectOf(popup).top < start + 100; ++i) {
    test::DrainMessages();
    Sleep(10);
  }
  EXPECT_GE(RectOf(popup).bottom - RectOf(popup).top, 100);
}

TEST(NoteWindow, ShowNoteWrapsALongTextAtTwoHundredPixels) {
  NoteWindow note;
  ASSERT_TRUE(note.CreateNote("", 0, 0, false));
  EXPECT_FALSE(IsWindowVisible(note.hwnd()));
  const std::string text(400, 'w');
  note.ShowNote(text);
  EXPECT_TRUE(note.shown());
  EXPECT_TRUE(IsWindowVisible(note.hwnd()));
  RECT client{};
  GetClientRect(note.hwnd(), &client);
  EXPECT_GT(client.bottom, client.right / 2) << "many lines, not one long one";
  EXPECT_LT(client.right, 300);
  note.HideNote();
  EXPECT_FALSE(note.shown());
  EXPECT_FALSE(IsWindowVisible(note.hwnd()));
}

}  // namespace
}  // namespace sw::app::win32
