#pragma once
// TPopupNote: the note that appears above the taskbar while a long task runs (PopupNote1),
// and its windows of the class "TfrmPopupNote".

#include <windows.h>

#include <functional>
#include <string>

#include "online/popup_placement.h"

namespace sw::app::win32 {

class PopupNote {
 public:
  PopupNote();
  ~PopupNote();
  PopupNote(const PopupNote&) = delete;
  PopupNote& operator=(const PopupNote&) = delete;

  std::string Title;
  std::string Text;  // a CR breaks the line
  online::PopupLayout Layout;
  int TimeOut = 10;     // seconds before a popup starts to close
  int ScrollSpeed = 9;  // pixels per animation step, 1 to 50
  COLORREF GradientColor1 = 16764057;
  COLORREF GradientColor2 = 16777215;
  bool AllowScroll = true;  // pnAllowScroll: the popup grows out of the taskbar
  std::function<void()> OnClick;

  // Shows one more popup with the current title and text; false when it did not fit.
  bool ShowPopUp();
  // Closes every popup window of the class, this component's and any other's.
  void ClosePopUps();

  [[nodiscard]] int count() const { return stack_.count(); }

 private:
  friend class PopupWindow;
  void PopupClosed();

  online::PopupStack stack_;
};

// The window class of the popups.
inline constexpr const wchar_t* kPopupNoteClass = L"TfrmPopupNote";

// Where the taskbar is and the work area beside it, from the shell (the whole screen below
// a 30-pixel bar when no taskbar answers).
void TaskbarAndWorkArea(online::ScreenRect& taskbar, online::ScreenRect& workArea);

}  // namespace sw::app::win32
