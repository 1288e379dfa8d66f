#pragma once
// The description note of the Advanced page's list: what a mouse move over lvAdvanced1 does
// with the note window (shown beside the pointer, see kTooltipOffset).

#include <cstddef>
#include <optional>
#include <string>

namespace sw::tweaks {

class TweakPage;

struct NoteAction {
  enum Kind { Hide, Show, Move };
  Kind kind = Hide;
  std::string text;  // for Show: the row's description (its title when it has none)
};

class TweakTooltip {
 public:
  // `row`: the visible row under the pointer, if any; `noteShown`: whether the note window
  // is visible now. Show a new row's text (or the same row's when the note was hidden);
  // Move the shown note along with the pointer; Hide over no row.
  NoteAction MouseMove(const TweakPage& page, std::optional<std::size_t> row, bool noteShown);
  // The pointer left the list.
  NoteAction MouseLeave();

 private:
  std::optional<std::size_t> lastRow_;
};

}  // namespace sw::tweaks
