#include "platform/error_message.h"

#include "platform/win32/wide.h"

namespace sw::platform {

std::string ErrorMessage(Error error) {
  // The internet library's numbers (12000 to 12999) have their texts in wininet.dll.
  const HMODULE wininet = error.code() / 1000 == 12 ? ::GetModuleHandleW(L"wininet.dll") : nullptr;
  const DWORD source = wininet != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(source | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                        wininet, error.code(), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = length > 0 ? win32::FromWide(std::wstring_view(buffer, length)) : std::string();
  ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text.empty() ? "Error " + std::to_string(error.code()) : text;
}

}  // namespace sw::platform
