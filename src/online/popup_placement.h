#pragma once
// Where the popup note goes: above (or beside) the taskbar, stacked while several are open,
// refused when the next one would leave the work area. Plain arithmetic, so that every
// taskbar edge can be tested without a screen.

#include <optional>

namespace sw::online {

struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  [[nodiscard]] int width() const { return right - left; }
  [[nodiscard]] int height() const { return bottom - top; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

enum class TaskbarEdge { kLeft, kTop, kRight, kBottom };

// Left when the bar starts at the same x as y and is taller than wide; top when it starts
// there and is wider than tall; otherwise bottom when its left is less than its top, else
// right.
[[nodiscard]] TaskbarEdge TaskbarEdgeOf(const ScreenRect& taskbar);

struct PopupLayout {
  int width = 148;
  int height = 121;
  int startX = 16;  // distance from the work area's side edge
  int startY = 2;   // distance from the work area's edge along the taskbar
  int marge = 0;    // gap between stacked popups
  bool cascade = true;
};

// The popups of one component: how many are open and how far the next one is stacked.
class PopupStack {
 public:
  // The place of one more popup, counted as open; nothing when it would not fit. A taskbar
  // that moved since the last popup starts a new stack.
  std::optional<ScreenRect> Next(const ScreenRect& taskbar, const ScreenRect& workArea, const PopupLayout& layout);
  // A popup closed.
  void Closed();

  [[nodiscard]] int count() const { return count_; }

 private:
  int count_ = 0;
  int offset_ = 0;
  std::optional<TaskbarEdge> edge_;
};

}  // namespace sw::online
