// Speed of the junk-file search against find(1) and a plain readdir walk, natively.
//
//   sweepwise-files-bench [DATA_FOLDER] [FILES]
//
// Generates FILES files (default 200,000) in FILES/10 folders (two levels of 100 branches)
// below DATA_FOLDER (default ./files-bench-data; kept for the next run), one in a hundred a
// junk name, and the places of a Windows 10 user's junk (temporary folders, browser caches,
// crash dumps, error reports, the Recycle Bin: 1,800 files), then times with a hot page
// cache, best of three:
//   - the search engine with the tree as drive C: (its only fixed drive), as Windows 10 with
//     every category: one walk of the drive for its patterns, and the places on their own;
//   - find with the same four name patterns (-iname);
//   - a plain readdir walk that only counts entries (opendir, readdir, the entry type).

#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench_support.h"
#include "files/junk_search.h"
#include "files_bench_data.h"
#include "platform/host/host_file_system.h"
#include "platform/host/host_shell.h"
#include "platform/host/host_system.h"
#include "platform/host/memory_registry.h"

namespace {

namespace fs = std::filesystem;

long long ReaddirWalk(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    return 0;
  }
  long long entries = 0;
  std::vector<std::string> subfolders;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    ++entries;
    if (entry->d_type == DT_DIR) {
      subfolders.push_back(folder + "/" + std::string(name));
    }
  }
  ::closedir(dir);
  for (const auto& subfolder : subfolders) {
    entries += ReaddirWalk(subfolder);
  }
  return entries;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path root = fs::absolute(argc > 1 ? argv[1] : "files-bench-data");
  const int files = argc > 2 ? std::max(100, std::atoi(argv[2])) : 200000;
  sw::bench::EnsureBenchData(root, files);

  sw::platform::Platform platform;
  platform.registry = std::make_unique<sw::platform::host::MemoryRegistry>();
  platform.files = std::make_unique<sw::platform::host::HostFileSystem>(
      std::vector<sw::platform::host::DriveMapping>{{'C', root, sw::platform::DriveType::Fixed}});
  auto system = std::make_unique<sw::platform::host::HostSystem>();
  system->SetVersion({sw::platform::kPlatformNt, 10, 0, 19045});
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"TEMP", R"(C:\Users\ann\AppData\Local\Temp)"},
           {"LOCALAPPDATA", R"(C:\Users\ann\AppData\Local)"},
           {"USERPROFILE", R"(C:\Users\ann)"},
           {"WINDIR", R"(C:\Windows)"},
           {"PROGRAMDATA", R"(C:\ProgramData)"}}) {
    system->SetEnvironment(name, value);
  }
  platform.system = std::move(system);
  platform.shell = std::make_unique<sw::platform::host::HostShell>();
  platform.processes = std::make_unique<sw::platform::host::RecordingProcesses>();

  long long entries = 0;
  ReaddirWalk(root.string());  // warms the cache
  const double readdir = sw::bench::BestSeconds([&] { entries = ReaddirWalk(root.string()); });
  sw::bench::CountingSink sink;
  const double engine = sw::bench::BestSeconds([&] {
    sink.rows = 0;
    sw::files::FindFiles(platform, sink);
  });
  const std::string command = "find '" + root.string() +
                              "' \\( -iname '*.lnk' -o -iname '*.tmp' -o -iname '*.~*' -o -iname '*.gid' \\) "
                              ">/dev/null";
  const double find = sw::bench::BestSeconds([&] {
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "find failed\n");
    }
  });
  std::printf("%lld entries, %lld rows (the four patterns, and the places of Windows 10)\n", entries, sink.rows);
  std::printf("readdir walk %7.3f s  (%.2fx the speed of find)\n", readdir, find / readdir);
  std::printf("find         %7.3f s\n", find);
  std::printf("engine       %7.3f s  (%.2fx the speed of find)\n", engine, find / engine);
  return 0;
}
