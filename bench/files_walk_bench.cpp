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

#include <cstdio>

#include "bare_walk.h"
#include "bench_support.h"
#include "files/junk_search.h"
#include "files_bench_tree.h"
#include "platform/platform.h"

int wmain(int argc, wchar_t** argv) {
  const int files = argc > 1 ? std::max(100, _wtoi(argv[1])) : 200000;
  sw::bench::EnsureFilesBenchTree(files);
  auto platform = sw::platform::CreateSystemPlatform();
  long long entries = 0;
  sw::bench::BareWalk(L"C:\\");  // warms the caches
  const double bare = sw::bench::BestSeconds([&] { entries = sw::bench::BareWalk(L"C:\\").entries; });
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
