#pragma once
// The one window-procedure trampoline: the object is stored with its window at WM_NCCREATE
// and every later message goes to its HandleMessage. No exception leaves a window procedure.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace sw::app::win32 {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  [[nodiscard]] HWND hwnd() const { return hwnd_; }

 protected:
  // Registers `className` once per process with this trampoline as its procedure;
  // `extraStyle` adds class styles such as CS_DBLCLKS.
  static void RegisterClassOnce(const wchar_t* className, HBRUSH background, HICON icon = nullptr,
                                UINT extraStyle = 0);
  // Creates the window with `this` as its object; false when creation failed.
  bool CreateWindowFor(const wchar_t* className, std::wstring_view title, DWORD style, DWORD exStyle, RECT bounds,
                       HWND parent);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

// WM_PAINT: `paint` draws on the device context between BeginPaint and EndPaint.
template <class PaintFn>
LRESULT PaintWindow(HWND window, PaintFn paint) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  paint(dc);
  EndPaint(window, &ps);
  return 0;
}

// Runs the window messages waiting for this thread (keyboard navigation of `dialog` too,
// when given). A quit request is left in the queue for the message loop; the answer is
// false when one came.
bool ProcessPendingMessages(HWND dialog = nullptr);

// Runs `work` on a thread of its own while this thread runs its window messages as they come
// (at least once, whenever the work ends), so that the window answers during work of a second
// or two that cannot be cut into steps. An exception of the work is thrown here. After a quit
// request the messages are left to the message loop and the work is waited for.
void RunBesideMessages(const std::function<void()>& work);

// UTF-8 <-> UTF-16 for window texts.
std::wstring Wide(std::string_view text);
std::string Utf8(std::wstring_view text);
void SetText(HWND control, std::string_view text);
std::string GetText(HWND control);

// Process-wide message-box hook: tests answer instead of a person; null means the real box.
using MessageBoxHook = int (*)(HWND owner, const std::string& text, const std::string& caption, UINT type);
void SetMessageBoxHook(MessageBoxHook hook);
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);

}  // namespace sw::app::win32
