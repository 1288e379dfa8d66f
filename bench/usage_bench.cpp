// Speed of the folder-usage chart against du -sk, natively.
//
//   sweepwise-usage-bench [DATA_FOLDER] [FILES] [CLI]
//
// Uses the tree of the junk-file benchmark (FILES files, default 200,000, in FILES/10 folders
// below DATA_FOLDER, default ./files-bench-data; generated when missing) and times with a hot
// page cache, best of three:
//   - du -sk of the tree;
//   - the chart of the tree as drive C: (every subfolder sized in one pass), in the process,
//     with the calling thread working, with it only waiting as the window's does, and with one
//     worker alone;
//   - "sweepwise-cli usage C:" as a program, when CLI names one (default: the one of this
//     build, ../src/sweepwise-cli beside this program).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "files_bench_data.h"
#include "platform/host/host_file_system.h"
#include "sysinfo/folder_chart.h"

namespace {

namespace fs = std::filesystem;

double Timed(const std::string& command) {
  return sw::bench::BestSeconds([&] {
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "failed: %s\n", command.c_str());
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path root = fs::absolute(argc > 1 ? argv[1] : "files-bench-data");
  const int files = argc > 2 ? std::max(100, std::atoi(argv[2])) : 200000;
  const fs::path cli = argc > 3 ? fs::absolute(argv[3]) : fs::absolute(argv[0]).parent_path() / "../src/sweepwise-cli";
  sw::bench::EnsureBenchData(root, files);

  sw::platform::host::HostFileSystem drives({{'C', root, sw::platform::DriveType::Fixed}});
  const std::string du = "du -sk '" + root.string() + "' >/dev/null";
  Timed(du);  // warms the cache
  const double duSeconds = Timed(du);

  std::uint64_t totalKB = 0;
  const double working = sw::bench::BestSeconds([&] { totalKB = sw::sysinfo::folderpiechart(drives, "C:").totalKB; });
  long long waits = 0;
  sw::sysinfo::MeasureOptions waiting;
  waiting.whileWaiting = [&] { ++waits; };
  const double pumping = sw::bench::BestSeconds([&] { sw::sysinfo::folderpiechart(drives, "C:", waiting); });
  sw::sysinfo::MeasureOptions alone;
  alone.workers = 1;
  const double single = sw::bench::BestSeconds([&] { sw::sysinfo::folderpiechart(drives, "C:", alone); });

  std::printf("%d files, %llu KB in the chart\n", files, static_cast<unsigned long long>(totalKB));
  std::printf("du -sk          %7.3f s\n", duSeconds);
  std::printf("chart           %7.3f s  (%.2fx the speed of du -sk)\n", working, duSeconds / working);
  std::printf("chart, pumping  %7.3f s  (%.2fx; the caller ran its wait %lld times)\n", pumping, duSeconds / pumping,
              waits);
  std::printf("chart, 1 thread %7.3f s  (%.2fx)\n", single, duSeconds / single);
  if (fs::exists(cli)) {
    const double program =
        Timed("SWEEPWISE_HOST_DRIVE_C='" + root.string() + "' '" + cli.string() + "' usage C: --json >/dev/null");
    std::printf("sweepwise-cli   %7.3f s  (%.2fx the speed of du -sk)\n", program, duSeconds / program);
  }
  return 0;
}
