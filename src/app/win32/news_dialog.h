#pragma once
// TdlgNews, the one-time news sign-up ("Special Offers"), as the view of NewsSignupModel:
// the model decides what OK and "Remind Me Later" send and write; the dialog shows the
// form, hands the clicks on, and stays open while the sign-up's reply comes in.
//
// A modal window of our own with a message loop of its own: the sign-up's worker reports
// through the thread's dispatcher, whose posted messages that loop runs.

#include <windows.h>

#include <string_view>

#include "app/win32/child_controls.h"
#include "app/win32/gdi.h"
#include "app/win32/message_box_sink.h"
#include "app/win32/window.h"
#include "online/news_signup.h"

namespace sw::app::win32 {

inline constexpr const wchar_t* kNewsDialogClass = L"TdlgNews";
// OKBtn and CancelBtn carry the ids a dialog's Enter and Escape keys send.
inline constexpr unsigned kOKBtn = IDOK;
inline constexpr unsigned kCancelBtn = IDCANCEL;

class NewsDialog final : public Window, public online::NewsSignupView {
 public:
  // `context` must outlive the dialog.
  explicit NewsDialog(const online::OnlineContext& context);

  // The hidden dialog, centred, its e-mail box prefilled by the model; owned by `owner`.
  bool Create(HWND owner);
  // Shows it and returns when it has ended: true for OK (sent, declined or failed), false
  // for "Remind Me Later" or when the program is ending.
  bool RunModal();

  [[nodiscard]] HWND Control(std::string_view name) const { return controls_[name]; }
  [[nodiscard]] const online::NewsSignupModel& model() const { return model_; }

  void SetBusy(bool busy) override;
  void CloseDialog(bool ok) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCommand(unsigned id, unsigned code);
  void OKBtnClick();

  MessageBoxSink sink_;
  online::NewsSignupModel model_;
  ChildControls controls_;
  UniqueGdiObject font_;
  HWND owner_ = nullptr;
  bool busy_ = false;
  bool ended_ = false;
  bool result_ = false;
};

// The program start's offer: when the connection rule says online and "newsinfo.txt" does
// not say it was answered, the dialog, modal to `owner`. True when it was shown.
bool ShowNewsSignup(platform::Platform& platform, HWND owner);

}  // namespace sw::app::win32
