// Speed of the folder-usage chart against a bare directory walk, under Wine or Windows.
//
//   sweepwise-usage-walk-bench [FILES]
//
// Uses the tree of the junk-file benchmark, C:\files-bench (FILES files, default 200,000, in
// FILES/10 folders; generated when missing), and times, best of three:
//   - a bare walk of the tree with FindFirstFileExW (basic information, large fetch) and
//     FindNextFileW, adding up the file sizes, on one thread;
//   - the chart of C:\files-bench (every subfolder sized in one pass), with the calling thread
//     working, with it only waiting as the window's does, and with one worker alone.

#include <windows.h>

#include <cstdio>

#include "bare_walk.h"
#include "bench_support.h"
#include "files_bench_tree.h"
#include "platform/win32/file_system.h"
#include "sysinfo/folder_chart.h"
#include "sysinfo/folder_size.h"

int wmain(int argc, wchar_t** argv) {
  const int files = argc > 1 ? std::max(100, _wtoi(argv[1])) : 200000;
  sw::bench::EnsureFilesBenchTree(files);
  sw::platform::win32::Win32FileSystem disk;
  const std::wstring root = L"C:\\files-bench\\";

  sw::bench::BareWalk(root);  // warms the caches
  sw::bench::BareWalkCount count;
  const double bare = sw::bench::BestSeconds([&] { count = sw::bench::BareWalk(root); });

  const auto chart = [&](const sw::sysinfo::MeasureOptions& options) {
    return sw::bench::BestSeconds([&] { sw::sysinfo::folderpiechart(disk, "C:\\files-bench", options); });
  };
  const double working = chart({});
  long long waits = 0;
  sw::sysinfo::MeasureOptions waiting;
  waiting.whileWaiting = [&] { ++waits; };
  const double pumping = chart(waiting);
  sw::sysinfo::MeasureOptions alone;
  alone.workers = 1;
  const double single = chart(alone);
  sw::sysinfo::MeasureOptions four;
  four.workers = 4;
  const double quad = chart(four);
  // The same bytes as the bare walk: every file below the subfolders (the root's own files
  // are the files' slice).
  const auto folders = sw::sysinfo::SubfolderPaths(disk, "C:\\files-bench");
  unsigned long long measured = sw::sysinfo::FilesSizeBytes(disk, "C:\\files-bench");
  for (const auto bytes : sw::sysinfo::MeasureFolderBytes(disk, folders)) {
    measured += bytes;
  }

  std::printf("%lld entries, %llu bytes below C:\\files-bench; the chart's pass measured %llu bytes\n", count.entries,
              count.bytes, measured);
  std::printf("bare walk       %7.3f s\n", bare);
  std::printf("chart           %7.3f s  (%.2fx the speed of the bare walk)\n", working, bare / working);
  std::printf("chart, pumping  %7.3f s  (%.2fx; the caller ran its wait %lld times)\n", pumping, bare / pumping, waits);
  std::printf("chart, 1 thread %7.3f s  (%.2fx)\n", single, bare / single);
  std::printf("chart, 4 threads%7.3f s  (%.2fx)\n", quad, bare / quad);
  return 0;
}
