#pragma once
// TfrmSplash: the borderless picture shown while the main window is being made.

#include "app/win32/window.h"

namespace sw::app::win32 {

class SplashWindow : public Window {
 public:
  // Creates the 256 x 256 stay-on-top window centred on the desktop, hidden.
  bool Create();
  void Show();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc) const;
};

}  // namespace sw::app::win32
