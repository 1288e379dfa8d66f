// Speed of the junk-file search against a bare directory walk, under Wine or Windows.
//
//   sweepwise-files-walk-bench [FILES]
//
// Generates FILES files (default 200,000) in FILES/10 folders below C:\files-bench (kept for
// the next run), one in a hundred a junk name, then times, best of three:
//   - a bare walk of drive C: with FindFirstFileExW (basic information, large fetch) and
//     FindNextFileW, counting entries;
//   - the search engine over the same drive (it also reads a few folders the registry names).

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "files/junk_search.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const wchar_t* kNames[] = {L"readme.txt", L"data.bin", L"image.png", L"notes.doc", L"module.dll",
                                     L"setup.exe",  L"page.htm", L"style.css", L"script.js", L"config.ini"};
constexpr const wchar_t* kJunk[] = {L"old.tmp", L"backup.~doc", L"help.gid", L"dead.lnk"};

void Generate(int files) {
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

long long BareWalk(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    return 0;
  }
  long long entries = 0;
  std::vector<std::wstring> subfolders;
  do {
    const std::wstring_view name = data.cFileName;
    if (name == L"." || name == L"..") {
      continue;
    }
    ++entries;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      subfolders.push_back(folder + std::wstring(name) + L"\\");
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  for (const auto& subfolder : subfolders) {
    entries += BareWalk(subfolder);
  }
  return entries;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int files = argc > 1 ? std::max(100, _wtoi(argv[1])) : 200000;
  if (::GetFileAttributesW(L"C:\\files-bench\\complete") == INVALID_FILE_ATTRIBUTES) {
    const auto start = Clock::now();
    Generate(files);
    std::printf("generated %d files in %.1f s\n", files, std::chrono::duration<double>(Clock::now() - start).count());
  }
  auto platform = sw::platform::CreateSystemPlatform();
  long long entries = 0;
  BareWalk(L"C:\\");  // warms the caches
  const double bare = sw::bench::BestSeconds([&] { entries = BareWalk(L"C:\\"); });
  sw::bench::CountingSink sink;
  const double engine = sw::bench::BestSeconds([&] {
    sink.rows = 0;
    sw::files::FindFiles(platform, sink);
  });
  std::printf("%lld entries on C:, %lld rows\n", entries, sink.rows);
  std::printf("bare walk %7.3f s\n", bare);
  std::printf("engine    %7.3f s  (%.2fx the speed of the bare walk)\n", engine, bare / engine);
  return 0;
}
