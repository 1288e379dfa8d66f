#pragma once
// The boundary of the Win32 layer: UTF-8 in, wide strings to the ...W functions; FILETIME
// and error numbers into the program's own types.

#include <windows.h>

#include <string>
#include <string_view>

#include "core/file_time.h"
#include "core/result.h"

namespace sw::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view text);

// A path for the file functions: separators made backslashes and, when the path is too
// long for the classic limit, made absolute and given the "\\?\" prefix.
std::wstring ToFilePath(std::string_view path);

inline FileTime FileTimeOf(const FILETIME& ft) {
  return FileTime{(static_cast<std::uint64_t>(ft.dwHighDateTime) << 32U) | ft.dwLowDateTime};
}

inline FILETIME ToFiletime(FileTime time) {
  return FILETIME{static_cast<DWORD>(time.ticks & 0xFFFFFFFFU), static_cast<DWORD>(time.ticks >> 32U)};
}

// GetLastError() as an error value.
inline Error LastError() {
  return Error(static_cast<std::uint32_t>(::GetLastError()));
}
// A LONG status of the registry functions as an error value.
inline Error ErrorOf(LONG status) {
  return Error(static_cast<std::uint32_t>(status));
}

}  // namespace sw::platform::win32
