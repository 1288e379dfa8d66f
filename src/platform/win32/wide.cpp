#include "platform/win32/wide.h"

#include <algorithm>

#include "core/unicode.h"
#include "core/win_path.h"

namespace sw::platform::win32 {
namespace {

// CreateDirectoryW already fails at MAX_PATH - 12 characters.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;

}  // namespace

std::wstring ToWide(std::string_view text) {
  const std::u16string utf16 = Utf8ToUtf16(text);
  return {utf16.begin(), utf16.end()};
}

std::string FromWide(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring ToFilePath(std::string_view path) {
  if (!IsAbsoluteDrivePath(path)) {
    std::wstring wide = ToWide(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
  }
  // The "\\?\" form turns off the system's clean-up of paths, which would make "notes." or
  // "diary. " the neighbouring "notes" or "diary": so the name a walk found is the file acted
  // on. That form takes no "." or ".." either, so they are resolved here first.
  const std::string exact = ResolvedDrivePath(path);
  if (exact.size() < kClassicPathLimit && !HasTrimmableName(exact)) {
    return ToWide(exact);
  }
  return L"\\\\?\\" + ToWide(exact);
}

}  // namespace sw::platform::win32
