#pragma once
// The yardstick of the Windows walks: a recursive FindFirstFileExW (basic information, large
// fetch) and FindNextFileW over a folder, counting entries and adding up file sizes, links
// not entered.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace sw::bench {

struct BareWalkCount {
  long long entries = 0;
  unsigned long long bytes = 0;
};

// `folder` ends with a backslash.
inline void BareWalk(const std::wstring& folder, BareWalkCount& count) {
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    return;
  }
  std::vector<std::wstring> subfolders;
  do {
    const std::wstring_view name = data.cFileName;
    if (name == L"." || name == L"..") {
      continue;
    }
    ++count.entries;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      count.bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32U) | data.nFileSizeLow;
    } else if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      subfolders.push_back(folder + std::wstring(name) + L"\\");
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  for (const auto& subfolder : subfolders) {
    BareWalk(subfolder, count);
  }
}

inline BareWalkCount BareWalk(const std::wstring& folder) {
  BareWalkCount count;
  BareWalk(folder, count);
  return count;
}

}  // namespace sw::bench
