#include "app/win32/window.h"

#include <chrono>
#include <exception>
#include <future>

#include "platform/win32/wide.h"

namespace sw::app::win32 {
namespace {

MessageBoxHook g_messageBoxHook = nullptr;

}  // namespace

Window::~Window() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Window::RegisterClassOnce(const wchar_t* className, HBRUSH background, HICON icon, UINT extraStyle) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing)) {
    return;
  }
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW | extraStyle;
  windowClass.lpfnWndProc = &Window::Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.hIcon = icon;
  windowClass.hIconSm = icon;
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

bool Window::CreateWindowFor(const wchar_t* className, std::wstring_view title, DWORD style, DWORD exStyle, RECT bounds,
                             HWND parent) {
  const std::wstring titleText(title);
  CreateWindowExW(exStyle, className, titleText.c_str(), style, bounds.left, bounds.top, bounds.right - bounds.left,
                  bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleW(nullptr), this);
  return hwnd_ != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandling(message, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self == nullptr) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    ShowMessageBox(hwnd, error.what(), "Error", MB_OK | MB_ICONERROR);
  } catch (...) {
    ShowMessageBox(hwnd, "Unexpected error", "Error", MB_OK | MB_ICONERROR);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

std::wstring Wide(std::string_view text) {
  return platform::win32::ToWide(text);
}

std::string Utf8(std::wstring_view text) {
  return platform::win32::FromWide(text);
}

void SetText(HWND control, std::string_view text) {
  SetWindowTextW(control, Wide(text).c_str());
}

std::string GetText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8(text);
}

bool ProcessPendingMessages(HWND dialog) {
  MSG pending{};
  while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
    if (pending.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(pending.wParam));
      return false;
    }
    if (dialog == nullptr || !IsDialogMessageW(dialog, &pending)) {
      TranslateMessage(&pending);
      DispatchMessageW(&pending);
    }
  }
  return true;
}

void RunBesideMessages(const std::function<void()>& work) {
  std::future<void> done = std::async(std::launch::async, work);
  do {
    if (!ProcessPendingMessages()) {
      break;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  } while (done.wait_for(std::chrono::seconds(0)) != std::future_status::ready);
  done.get();
}

void SetMessageBoxHook(MessageBoxHook hook) {
  g_messageBoxHook = hook;
}

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  if (g_messageBoxHook != nullptr) {
    return g_messageBoxHook(owner, std::string(text), std::string(caption), type);
  }
  return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), type);
}

}  // namespace sw::app::win32
