#include "online/popup_placement.h"

#include <gtest/gtest.h>

#include "online/note_layout.h"

namespace sw::online {
namespace {

// A 1024 x 768 screen with a 30-pixel taskbar on each edge in turn.
const ScreenRect kBottomBar{0, 738, 1024, 768};
const ScreenRect kBottomWork{0, 0, 1024, 738};
const ScreenRect kTopBar{0, 0, 1024, 30};
const ScreenRect kTopWork{0, 30, 1024, 768};
const ScreenRect kLeftBar{0, 0, 60, 768};
const ScreenRect kLeftWork{60, 0, 1024, 768};
const ScreenRect kRightBar{964, 0, 1024, 768};
const ScreenRect kRightWork{0, 0, 964, 768};

TEST(PopupPlacement, FindsTheTaskbarEdge) {
  EXPECT_EQ(TaskbarEdgeOf(kBottomBar), TaskbarEdge::kBottom);
  EXPECT_EQ(TaskbarEdgeOf(kTopBar), TaskbarEdge::kTop);
  EXPECT_EQ(TaskbarEdgeOf(kLeftBar), TaskbarEdge::kLeft);
  EXPECT_EQ(TaskbarEdgeOf(kRightBar), TaskbarEdge::kRight);
}

TEST(PopupPlacement, EachEdgePutsThePopupInItsCorner) {
  const PopupLayout layout;
  EXPECT_EQ(PopupStack().Next(kBottomBar, kBottomWork, layout), (ScreenRect{860, 615, 1008, 736}));
  EXPECT_EQ(PopupStack().Next(kTopBar, kTopWork, layout), (ScreenRect{860, 32, 1008, 153}));
  EXPECT_EQ(PopupStack().Next(kLeftBar, kLeftWork, layout), (ScreenRect{76, 645, 224, 766}));
  EXPECT_EQ(PopupStack().Next(kRightBar, kRightWork, layout), (ScreenRect{800, 645, 948, 766}));
}

TEST(PopupPlacement, CascadedPopupsStackUntilTheWorkAreaIsFull) {
  PopupLayout layout;
  layout.marge = 2;
  PopupStack stack;
  const auto first = stack.Next(kBottomBar, kBottomWork, layout);
  const auto second = stack.Next(kBottomBar, kBottomWork, layout);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(second->bottom, first->top - 2) << "directly above, the gap apart";
  int shown = 2;
  while (stack.Next(kBottomBar, kBottomWork, layout)) {
    ++shown;
  }
  EXPECT_EQ(shown, (738 - 2 + 2) / (121 + 2));
  EXPECT_EQ(stack.count(), shown) << "a refused popup is not counted";
  // On the top edge the stack grows downward and stops at the work area's bottom.
  PopupStack top;
  int topShown = 0;
  std::optional<ScreenRect> last;
  while (auto place = top.Next(kTopBar, kTopWork, layout)) {
    last = place;
    ++topShown;
  }
  ASSERT_TRUE(last);
  EXPECT_LE(last->bottom, kTopWork.bottom);
  EXPECT_EQ(topShown, 6);
}

TEST(PopupPlacement, AMovedTaskbarOrAnEmptyStackStartsAgainAtTheEdge) {
  const PopupLayout layout;
  PopupStack stack;
  stack.Next(kBottomBar, kBottomWork, layout);
  stack.Next(kBottomBar, kBottomWork, layout);
  EXPECT_EQ(stack.Next(kTopBar, kTopWork, layout), (ScreenRect{860, 32, 1008, 153}));
  EXPECT_EQ(stack.count(), 1);
  stack.Closed();
  stack.Closed();
  EXPECT_EQ(stack.count(), 0) << "never below zero";
  EXPECT_EQ(stack.Next(kTopBar, kTopWork, layout), (ScreenRect{860, 32, 1008, 153}));
}

TEST(PopupPlacement, WithoutCascadeEveryPopupTakesTheSamePlace) {
  PopupLayout layout;
  layout.cascade = false;
  PopupStack stack;
  const auto first = stack.Next(kBottomBar, kBottomWork, layout);
  EXPECT_EQ(stack.Next(kBottomBar, kBottomWork, layout), first);
}

TEST(NoteLayout, WrapsLongTextAtTwoHundredPixels) {
  // A one-line extent of 1000 x 13 at font size 13: five lines of 200, plus one.
  const NoteLayout layout = ShowNoteLayout(1000, 13, 13);
  EXPECT_EQ(layout.labelWidth, 200);
  EXPECT_EQ(layout.labelHeight, 13 * 6);
  EXPECT_EQ(layout.windowWidth, 200 + 26);
  EXPECT_EQ(layout.windowHeight, 78 + 26);
  EXPECT_EQ(ShowNoteLayout(50, 13, 13).labelHeight, 13) << "a short text takes one line";
  EXPECT_GT(ShowNoteLayout(2000000000, 2000000000, 13).labelHeight, 0) << "no overflow";
}

}  // namespace
}  // namespace sw::online
