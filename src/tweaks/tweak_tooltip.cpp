#include "tweaks/tweak_tooltip.h"

#include "tweaks/tweak_page.h"

namespace sw::tweaks {

NoteAction TweakTooltip::MouseMove(const TweakPage& page, std::optional<std::size_t> row, bool noteShown) {
  if (row && *row >= page.VisibleRows().size()) {
    row.reset();
  }
  NoteAction action;
  if (!row) {
    action.kind = NoteAction::Hide;
  } else if (!noteShown || row != lastRow_) {
    action.kind = NoteAction::Show;
    action.text = std::string(page.TooltipText(*row));
  } else {
    action.kind = NoteAction::Move;
  }
  lastRow_ = row;
  return action;
}

NoteAction TweakTooltip::MouseLeave() {
  lastRow_.reset();
  return NoteAction{NoteAction::Hide, {}};
}

}  // namespace sw::tweaks
