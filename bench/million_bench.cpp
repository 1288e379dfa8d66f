// A million files, natively: the junk Find, its JSON output, Delete with a backup of a tenth
// of them, and the folder chart, against the same over a fifth of the files.
//
//   sweepwise-million-bench [DATA_FOLDER] [FILES] [CLI]
//
// Makes two trees below DATA_FOLDER (default ./million-bench-data, removed afterwards):
// FILES/5 files in FILES/50 folders, then FILES (default 1,000,000) in FILES/10 folders,
// every file a junk name, so that every file is a row. For each tree, with a hot page cache:
//   - the Find in this process (the engine alone, rows counted);
//   - "sweepwise-cli find files --json" as a program (CLI, default ../src/sweepwise-cli beside
//     this program): its time, its peak memory, the rows in its output;
//   - "sweepwise-cli delete files --plan P --backup --yes" of every tenth row of that output:
//     its time and peak memory; the deleted files are in the archive;
//   - the folder chart in this process, and "sweepwise-cli usage C: --json" as a program.
// Each step starts with the disk settled (sync). Each figure of the large tree is printed
// beside the small tree's with their ratio (at most 5.5 for five times the files), and each
// peak memory against 600 MB.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <type_traits>
#include <vector>

#include "bench_support.h"
#include "files/junk_search.h"
#include "platform/host/host_file_system.h"
#include "platform/host/host_shell.h"
#include "platform/host/host_system.h"
#include "platform/host/memory_registry.h"
#include "sysinfo/folder_chart.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kMaxRatio = 5.5;
constexpr double kMaxMegabytes = 600;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Writes back what the tree's making (or the last step) left in the page cache, so that each
// figure starts from the same state of the disk. A file made in the last half minute may have
// no block on the disk yet, and deleting it frees none (on a disk told of every freed block,
// that is most of a deletion's time); a step that begins with writes pending shares the disk
// with them.
void Settle() {
  ::sync();
}

// `files` junk files of one byte, ten to a folder, a hundred branches of folders.
void MakeTree(const fs::path& root, int files) {
  static constexpr const char* kEndings[] = {".tmp", ".tmp", ".tmp", ".tmp", ".tmp",
                                             ".tmp", ".tmp", ".~doc", ".gid", ".tmp"};
  const int folders = std::max(1, files / 10);
  int written = 0;
  for (int f = 0; f < folders; ++f) {
    const fs::path folder = root / ("branch" + std::to_string(f % 100)) / ("folder" + std::to_string(f));
    fs::create_directories(folder);
    for (int i = 0; i < 10 && written < files; ++i, ++written) {
      std::ofstream(folder / (std::to_string(written) + kEndings[i])) << "x";
    }
  }
}

struct ProgramRun {
  double seconds = 0;
  double peakMegabytes = 0;
  int status = -1;
};

// Runs the console program with drive C: at `driveC`, its output into `output`; its time and
// the most memory it held.
ProgramRun RunProgram(const std::vector<std::string>& words, const std::string& driveC, const std::string& output) {
  const auto start = Clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("SWEEPWISE_HOST_DRIVE_C", driveC.c_str(), 1);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int none = ::open("/dev/null", O_RDWR);
    ::dup2(out, 1);
    ::dup2(none, 0);
    ::dup2(none, 2);
    std::vector<char*> argv;
    for (const auto& word : words) {
      argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ProgramRun run;
  int status = 0;
  struct rusage usage {};
  ::wait4(child, &status, 0, &usage);
  run.seconds = Since(start);
  run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The programs are started by a process forked before this one holds anything. A process's
// peak memory counts the memory it had before it became the program (Linux keeps the larger
// of the two at exec): started from here, after a Find of a million rows in this process, a
// program that never held 10 MB was reported with this process's 190 MB.
class Launcher {
 public:
  Launcher() {
    int requests[2];
    int replies[2];
    if (::pipe(requests) != 0 || ::pipe(replies) != 0) {
      std::perror("pipe");
      std::exit(1);
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(requests[1]);
      ::close(replies[0]);
      Serve(requests[0], replies[1]);
      ::_exit(0);
    }
    ::close(requests[0]);
    ::close(replies[1]);
    toLauncher_ = requests[1];
    fromLauncher_ = replies[0];
  }
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;
  ~Launcher() {
    ::close(toLauncher_);  // the launcher reads the end and leaves
    ::waitpid(pid_, nullptr, 0);
    ::close(fromLauncher_);
  }

  // Words of the command line, then drive C: and the output: each ended by a zero byte.
  ProgramRun Run(const fs::path& cli, const fs::path& driveC, const std::vector<std::string>& arguments,
                 const fs::path& output) {
    std::string request = cli.string() + '\0';
    for (const std::string& word : arguments) {
      request += word + '\0';
    }
    request += '\0' + driveC.string() + '\0' + output.string() + '\0';
    const auto size = static_cast<std::uint32_t>(request.size());
    ProgramRun run;
    if (!WriteAll(toLauncher_, &size, sizeof size) || !WriteAll(toLauncher_, request.data(), size) ||
        !ReadAll(fromLauncher_, &run, sizeof run)) {
      std::fprintf(stderr, "the launcher is gone\n");
      std::exit(1);
    }
    return run;
  }

 private:
  // The whole of `size` bytes through `move` (read or write); false when the other end is gone.
  template <typename Bytes, typename Move>
  static bool Whole(int fd, Bytes* data, std::size_t size, Move move) {
    auto* bytes = reinterpret_cast<std::conditional_t<std::is_const_v<Bytes>, const char*, char*>>(data);
    while (size > 0) {
      const ssize_t done = move(fd, bytes, size);
      if (done <= 0) {
        return false;
      }
      bytes += done;
      size -= static_cast<std::size_t>(done);
    }
    return true;
  }
  static bool WriteAll(int fd, const void* data, std::size_t size) { return Whole(fd, data, size, ::write); }
  static bool ReadAll(int fd, void* data, std::size_t size) { return Whole(fd, data, size, ::read); }
  static void Serve(int requests, int replies) {
    std::uint32_t size = 0;
    while (ReadAll(requests, &size, sizeof size)) {
      std::string request(size, '\0');
      if (!ReadAll(requests, request.data(), size)) {
        return;
      }
      std::vector<std::string> words;
      std::size_t at = 0;
      for (std::size_t end; (end = request.find('\0', at)) != at; at = end + 1) {
        words.push_back(request.substr(at, end - at));
      }
      const std::size_t outputAt = request.find('\0', at + 1) + 1;
      const std::string driveC = request.substr(at + 1, outputAt - at - 2);
      const std::string output = request.substr(outputAt, request.size() - outputAt - 1);
      const ProgramRun run = RunProgram(words, driveC, output);
      if (!WriteAll(replies, &run, sizeof run)) {
        return;
      }
    }
  }

  pid_t pid_ = -1;
  int toLauncher_ = -1;
  int fromLauncher_ = -1;
};

// Every `step`-th row of a "find files --json" output, as a plan for "delete files --plan",
// read a row at a time (the output of a million rows is not parsed whole). Returns the rows.
// Only the objects of the "rows" array, which comes first, are rows: objects that follow it
// (the summary of Windows' own cleanup, say) are not.
long long WritePlan(const fs::path& found, const fs::path& plan, int step, long long& rows) {
  std::ifstream in(found, std::ios::binary);
  std::ofstream out(plan, std::ios::binary);
  out << "{\"rows\":[";
  std::string row;
  long long kept = 0;
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  int arrays = 0;
  rows = 0;
  for (char c; in.get(c);) {
    if (depth >= 2) {
      row.push_back(c);
    }
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[') {
      ++arrays;
    } else if (c == ']') {
      if (--arrays == 0 && depth == 1) {
        break;  // the end of "rows"
      }
    } else if (c == '{') {
      if (++depth == 2) {
        row = "{";
      }
    } else if (c == '}' && --depth == 1) {
      if (rows++ % step == 0) {
        out << (kept++ == 0 ? "" : ",") << row;
      }
    }
  }
  out << "]}\n";
  return kept;
}

struct Figures {
  double find = 0;
  long long findRows = 0;
  ProgramRun json;
  long long jsonRows = 0;
  double jsonMegabytes = 0;
  ProgramRun remove;
  long long planned = 0;
  long long deleted = 0;
  double chart = 0;
  ProgramRun usage;
};

Figures Measure(Launcher& launcher, const fs::path& root, int files, const fs::path& cli) {
  Figures figures;
  const fs::path tree = root / "c";
  fs::remove_all(tree);
  const auto made = Clock::now();
  MakeTree(tree, files);
  std::printf("  made %d files in %d folders in %.1f s\n", files, files / 10, Since(made));

  sw::platform::Platform platform;
  platform.registry = std::make_unique<sw::platform::host::MemoryRegistry>();
  platform.files = std::make_unique<sw::platform::host::HostFileSystem>(
      std::vector<sw::platform::host::DriveMapping>{{'C', tree, sw::platform::DriveType::Fixed}});
  platform.system = std::make_unique<sw::platform::host::HostSystem>();
  platform.shell = std::make_unique<sw::platform::host::HostShell>();
  platform.processes = std::make_unique<sw::platform::host::RecordingProcesses>();
  sw::bench::CountingSink sink;
  (void)sw::files::FindFiles(platform, sink);  // warms the cache
  Settle();
  figures.find = sw::bench::BestSeconds([&] {
    sink.rows = 0;
    (void)sw::files::FindFiles(platform, sink);
  });
  figures.findRows = sink.rows;

  const fs::path found = root / "found.json";
  Settle();
  figures.json = launcher.Run(cli, tree, {"find", "files", "--json"}, found);
  figures.jsonMegabytes = static_cast<double>(fs::file_size(found)) / (1 << 20);
  figures.planned = WritePlan(found, tree / "plan.json", 10, figures.jsonRows);
  fs::remove(found);
  const fs::path deleted = root / "deleted.json";
  Settle();
  figures.remove = launcher.Run(cli, tree, {"delete", "files", "--plan", "C:\\plan.json", "--backup", "--yes", "--json"}, deleted);
  try {
    std::ifstream in(deleted);
    const auto outcome = nlohmann::json::parse(in);
    figures.deleted = outcome.value("deleted", 0LL);
  } catch (const std::exception&) {
    figures.deleted = -1;
  }

  Settle();
  figures.chart = sw::bench::BestSeconds([&] { (void)sw::sysinfo::folderpiechart(*platform.files, "C:"); });
  Settle();
  figures.usage = launcher.Run(cli, tree, {"usage", "C:", "--json"}, root / "usage.json");
  fs::remove_all(tree);
  return figures;
}

void Line(const char* what, double small, double large, const char* unit) {
  const double ratio = large / small;
  std::printf("%-34s %9.2f %-4s %9.2f %-4s %6.2fx  (at most %.1fx: %s)\n", what, small, unit, large, unit, ratio,
              kMaxRatio, ratio <= kMaxRatio ? "met" : "NOT MET");
}

void Memory(const char* what, const ProgramRun& small, const ProgramRun& large) {
  std::printf("%-34s %9.0f MB   %9.0f MB   peak of the large run at most %.0f MB: %s\n", what, small.peakMegabytes,
              large.peakMegabytes, kMaxMegabytes, large.peakMegabytes <= kMaxMegabytes ? "met" : "NOT MET");
}

}  // namespace

int main(int argc, char** argv) {
  Launcher launcher;  // first, while this process holds little
  const fs::path root = fs::absolute(argc > 1 ? argv[1] : "million-bench-data");
  const int files = argc > 2 ? std::max(1000, std::atoi(argv[2])) : 1000000;
  const fs::path cli = argc > 3 ? fs::absolute(argv[3]) : fs::absolute(argv[0]).parent_path() / "../src/sweepwise-cli";
  if (!fs::exists(cli)) {
    std::fprintf(stderr, "no console program at %s\n", cli.c_str());
    return 1;
  }
  fs::remove_all(root);
  fs::create_directories(root);
  std::printf("the small tree:\n");
  const Figures small = Measure(launcher, root, files / 5, cli);
  std::printf("the large tree:\n");
  const Figures large = Measure(launcher, root, files, cli);
  fs::remove_all(root);

  std::printf("\n%-34s %14s %14s\n", "", (std::to_string(files / 5) + " files").c_str(),
              (std::to_string(files) + " files").c_str());
  std::printf("%-34s %9lld rows %9lld rows\n", "Find: rows", small.findRows, large.findRows);
  Line("Find (the engine)", small.find, large.find, "s");
  std::printf("%-34s %9lld rows %9lld rows   (%.0f MB of JSON from the large tree)\n", "find files --json: rows",
              small.jsonRows, large.jsonRows, large.jsonMegabytes);
  Line("find files --json", small.json.seconds, large.json.seconds, "s");
  Memory("find files --json, memory", small.json, large.json);
  std::printf("%-34s %9lld of %lld %6lld of %lld  (exit %d, %d)\n", "delete --plan --backup: deleted", small.deleted,
              small.planned, large.deleted, large.planned, small.remove.status, large.remove.status);
  Line("delete --plan --backup", small.remove.seconds, large.remove.seconds, "s");
  Memory("delete --plan --backup, memory", small.remove, large.remove);
  Line("folder chart (the engine)", small.chart, large.chart, "s");
  Line("usage C: --json", small.usage.seconds, large.usage.seconds, "s");
  Memory("usage C: --json, memory", small.usage, large.usage);
  return 0;
}
