#include "platform/win32/wide.h"

#include "core/unicode.h"
#include "core/win_path.h"

namespace sw::platform::win32 {
namespace {

// CreateDirectoryW already fails at MAX_PATH - 12 characters.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;

std::wstring FullPathOf(const std::wstring& path) {
  std::wstring full(path.size() + 16, L'\0');
  for (;;) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (needed == 0) {
      return path;
    }
    if (needed < full.size()) {
      full.resize(needed);
      return full;
    }
    full.resize(needed);
  }
}

}  // namespace

std::wstring ToWide(std::string_view text) {
  const std::u16string utf16 = Utf8ToUtf16(text);
  return {utf16.begin(), utf16.end()};
}

std::string FromWide(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring ToFilePath(std::string_view path) {
  std::wstring wide = ToWide(path);
  for (auto& c : wide) {
    if (c == L'/') {
      c = L'\\';
    }
  }
  if (wide.size() < kClassicPathLimit || !IsAbsoluteDrivePath(path)) {
    return wide;
  }
  // "\\?\" turns off the system's own clean-up of "." and ".." names, so do it first.
  return L"\\\\?\\" + FullPathOf(wide);
}

}  // namespace sw::platform::win32
