#pragma once
// TfrmDialog: the small borderless window that shows a waiting text or a tweak's
// description beside the mouse.

#include <string>

#include "app/win32/gdi.h"
#include "app/win32/window.h"

namespace sw::app::win32 {

class NoteWindow : public Window {
 public:
  // CreateNote: makes the hidden window without owner at (left, top) where these are not
  // zero; a note that is not centred uses a plain 7-point label.
  bool CreateNote(std::string_view text, int left, int top, bool centred);
  // ShowNote: the text wrapped at 200 pixels, the window sized to it; a centred note is put
  // in the middle of the desktop.
  void ShowNote(std::string_view text);
  void HideNote();

  [[nodiscard]] bool shown() const { return shown_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc) const;

  std::wstring text_;
  RECT label_{};
  UniqueGdiObject font_;
  bool shown_ = false;
  bool centred_ = false;
};

inline constexpr const wchar_t* kNoteWindowClass = L"TfrmDialog";

}  // namespace sw::app::win32
