#pragma once
// The dispatcher of a thread with windows: a hidden message-only window receives each task
// as a posted message, so that the thread's message loop (its own or a modal one) runs it.

#include <windows.h>

#include "online/ui_dispatcher.h"

namespace sw::online::win32 {

class WindowDispatcher final : public UiDispatcher {
 public:
  // On the thread whose message loop is to run the tasks.
  WindowDispatcher();
  // Tasks not run yet are dropped.
  ~WindowDispatcher() override;
  [[nodiscard]] bool valid() const { return window_ != nullptr; }

  bool Post(std::function<void()> task) override;
  // Peeks, translates and dispatches every message of the thread; with `wait`, first waits
  // for one. A quit message is posted again for the outer loop, and the answer is false.
  bool ProcessPending(bool wait) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
};

}  // namespace sw::online::win32
