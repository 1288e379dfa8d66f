#pragma once
// The junk-file benchmark tree on drive C: of the bench prefix, C:\files-bench: FILES files
// in FILES/10 folders, one in a hundred a junk name. Kept for the next run.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace sw::bench {

inline constexpr const wchar_t* kNames[] = {L"readme.txt", L"data.bin", L"image.png", L"notes.doc", L"module.dll",
                                     L"setup.exe",  L"page.htm", L"style.css", L"script.js", L"config.ini"};
inline constexpr const wchar_t* kJunk[] = {L"old.tmp", L"backup.~doc", L"help.gid", L"dead.lnk"};

inline void GenerateFilesBenchTree(int files) {
  const std::wstring root = L"C:\\files-bench";
  ::CreateDirectoryW(root.c_str(), nullptr);
  const int folders = std::max(1, files / 10);
  int written = 0;
  for (int f = 0; f < folders; ++f) {
    const std::wstring branch = root + L"\\branch" + std::to_wstring(f % 100);
    ::CreateDirectoryW(branch.c_str(), nullptr);
    const std::wstring folder = branch + L"\\folder" + std::to_wstring(f);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < 10 && written < files; ++i, ++written) {
      const bool junk = written % 100 == 0;
      const std::wstring name =
          folder + L"\\" + std::to_wstring(written) + L"_" + (junk ? kJunk[(written / 100) % 4] : kNames[i]);
      const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        ::WriteFile(file, "x", 1, &done, nullptr);
        ::CloseHandle(file);
      }
    }
  }
  const HANDLE mark =
      ::CreateFileW((root + L"\\complete").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ::CloseHandle(mark);
}

// Makes the tree unless a complete one is there already.
inline void EnsureFilesBenchTree(int files) {
  if (::GetFileAttributesW(L"C:\\files-bench\\complete") != INVALID_FILE_ATTRIBUTES) {
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  GenerateFilesBenchTree(files);
  std::printf("generated %d files in %.1f s\n", files,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace sw::bench
