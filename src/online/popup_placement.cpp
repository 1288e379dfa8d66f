#include "online/popup_placement.h"

namespace sw::online {

TaskbarEdge TaskbarEdgeOf(const ScreenRect& taskbar) {
  if (taskbar.left == taskbar.top && taskbar.height() > taskbar.width()) {
    return TaskbarEdge::kLeft;
  }
  if (taskbar.left == taskbar.top && taskbar.width() > taskbar.height()) {
    return TaskbarEdge::kTop;
  }
  return taskbar.left < taskbar.top ? TaskbarEdge::kBottom : TaskbarEdge::kRight;
}

std::optional<ScreenRect> PopupStack::Next(const ScreenRect& taskbar, const ScreenRect& workArea,
                                           const PopupLayout& layout) {
  const TaskbarEdge edge = TaskbarEdgeOf(taskbar);
  if (edge_ != edge) {
    count_ = 0;
    offset_ = 0;
  }
  edge_ = edge;
  if (count_ == 0) {
    offset_ = 0;
  }
  ScreenRect place;
  switch (edge) {
    case TaskbarEdge::kLeft:
      place.left = workArea.left + layout.startX;
      place.top = workArea.bottom - layout.startY - layout.height - offset_;
      break;
    case TaskbarEdge::kTop:
      place.left = workArea.right - layout.width - layout.startX;
      place.top = workArea.top + layout.startY + offset_;
      break;
    case TaskbarEdge::kRight:
    case TaskbarEdge::kBottom:
      place.left = workArea.right - layout.width - layout.startX;
      place.top = workArea.bottom - layout.startY - layout.height - offset_;
      break;
  }
  place.right = place.left + layout.width;
  place.bottom = place.top + layout.height;
  // The first popup always shows; a stacked one only inside the work area.
  const bool fits = place.top >= workArea.top && place.bottom <= workArea.bottom;
  if (count_ > 0 && !fits) {
    return std::nullopt;
  }
  ++count_;
  if (layout.cascade) {
    offset_ += layout.height + layout.marge;
  }
  return place;
}

void PopupStack::Closed() {
  if (count_ > 0) {
    --count_;
  }
}

}  // namespace sw::online
