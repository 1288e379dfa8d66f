#pragma once
// TfrmUpdate, the update window: the offer of a newer version, its download with progress
// and the completed update. It is the view of UpdateWindowModel, which decides every text
// and what Next and Cancel do; the window shows the texts and hands the clicks on.
//
// Not modal and on top of other windows, so the program goes on working while it is open;
// the download keeps the thread's messages running, so the main window answers meanwhile.
// Made on first use and kept until the program ends: closing only hides it.

#include <string_view>

#include "app/win32/child_controls.h"
#include "app/win32/gdi.h"
#include "app/win32/message_box_sink.h"
#include "app/win32/window.h"
#include "online/update_window_model.h"

namespace sw::app::win32 {

inline constexpr const wchar_t* kUpdateWindowClass = L"TfrmUpdate";
// BitBtn1 (Next, later Close) and BitBtn2 (Cancel).
inline constexpr unsigned kBitBtn1 = IDOK;
inline constexpr unsigned kBitBtn2 = IDCANCEL;

class UpdateWindow final : public Window, public online::UpdateWindowView {
 public:
  // `context` must outlive the window.
  explicit UpdateWindow(const online::OnlineContext& context);

  // FormCreate: the hidden window with its controls.
  bool Create();

  // CheckForUpdate found `offer`: the window shows it.
  void Offer(const online::UpdateOffer& offer) { model_.Offer(offer); }
  // What Cancel does (the program is ending): hidden, and a running download stops.
  void Cancel() { model_.BitBtn2Click(); }

  [[nodiscard]] const online::UpdateWindowModel& model() const { return model_; }
  [[nodiscard]] HWND Control(std::string_view name) const { return controls_[name]; }
  // The window's result when it was last closed: OK after a completed update.
  [[nodiscard]] bool closedWithOk() const { return closedWithOk_; }

  void Refresh(const online::UpdateWindowTexts& texts) override;
  void ShowWindow() override;
  void CloseWindow(bool ok) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void MakeFonts();
  void OnCommand(unsigned id, unsigned code);
  void SetTextIfChanged(std::string_view control, std::string_view text);
  LRESULT OnColorStatic(HDC dc, HWND control);
  void Paint(HDC dc);

  MessageBoxSink sink_;
  online::UpdateWindowModel model_;
  ChildControls controls_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  UniqueGdiObject font_;
  UniqueGdiObject headerFont_;
  UniqueGdiObject headerBrush_;
  bool closedWithOk_ = false;
};

}  // namespace sw::app::win32
