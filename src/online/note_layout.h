#pragma once
// The size of the note window that ShowNote gives a text: 200 pixels wide, as many lines
// high as the one-line extent of the text needs at that width.

namespace sw::online {

struct NoteLayout {
  int labelWidth;
  int labelHeight;
  int windowWidth;  // the label and the font size as a margin on each side
  int windowHeight;
};

inline constexpr int kNoteWrapWidth = 200;

// `textWidth` x `textHeight` is the text's extent on one line; `fontSize` the label's font
// size in pixels.
[[nodiscard]] NoteLayout ShowNoteLayout(int textWidth, int textHeight, int fontSize);

}  // namespace sw::online
