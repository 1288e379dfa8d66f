#include "online/note_layout.h"

#include <algorithm>

namespace sw::online {

NoteLayout ShowNoteLayout(int textWidth, int textHeight, int fontSize) {
  const int size = std::max(1, fontSize);
  // The area of the one-line text over the area of one wrapped line gives the line count;
  // one more line covers the remainder. 64-bit, so a very long text cannot overflow.
  const long long area = static_cast<long long>(std::max(0, textWidth)) * std::max(0, textHeight);
  const long long lines = area / (static_cast<long long>(size) * kNoteWrapWidth) + 1;
  NoteLayout layout{};
  layout.labelWidth = kNoteWrapWidth;
  layout.labelHeight = static_cast<int>(std::min<long long>(lines * size, 1 << 20));
  layout.windowWidth = layout.labelWidth + 2 * size;
  layout.windowHeight = layout.labelHeight + 2 * size;
  return layout;
}

}  // namespace sw::online
