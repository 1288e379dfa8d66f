#include "online/win32/window_dispatcher.h"

#include <memory>

namespace sw::online::win32 {
namespace {

constexpr UINT kRunTask = WM_APP + 0x51;
constexpr wchar_t kClassName[] = L"SweepwiseDispatcher";

using Task = std::function<void()>;

}  // namespace

LRESULT CALLBACK WindowDispatcher::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunTask) {
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  const std::unique_ptr<Task> task(reinterpret_cast<Task*>(lParam));
  // No exception may leave a window procedure.
  try {
    (*task)();
  } catch (...) {
  }
  return 0;
}

WindowDispatcher::WindowDispatcher() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  ::RegisterClassExW(&windowClass);  // fails harmlessly when a second dispatcher registers it again
  window_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
}

WindowDispatcher::~WindowDispatcher() {
  if (window_ == nullptr) {
    return;
  }
  // The tasks still queued own their closures.
  MSG message{};
  while (::PeekMessageW(&message, window_, kRunTask, kRunTask, PM_REMOVE)) {
    delete reinterpret_cast<Task*>(message.lParam);
  }
  ::DestroyWindow(window_);
}

bool WindowDispatcher::Post(std::function<void()> task) {
  auto owned = std::make_unique<Task>(std::move(task));
  // A full message queue empties as the thread works through it; a window that is gone
  // never will.
  while (::IsWindow(window_)) {
    if (::PostMessageW(window_, kRunTask, 0, reinterpret_cast<LPARAM>(owned.get()))) {
      (void)owned.release();
      return true;
    }
    ::Sleep(10);
  }
  return false;
}

bool WindowDispatcher::ProcessPending(bool wait) {
  MSG message{};
  if (wait && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    ::WaitMessage();
  }
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return true;
}

}  // namespace sw::online::win32
