// Speed of the backup archive against plain zlib, a copy and zip on the same data.
//
//   sweepwise-archive-bench [DATA_FOLDER] [MEGABYTES]
//
// Writes about MEGABYTES (default 200) of mixed data (half text-like, half random) into
// DATA_FOLDER (default ./archive-bench-data, removed afterwards), then times, with a hot page
// cache, each writer twice (the better run counts), both until its files are written and until
// they are on the disk:
//   - zlib level 1 compressing all of it as one plain stream (in memory), and a plain
//     inflate of that stream;
//   - cp -r of the files (what the disk takes), and unzip of a zip -1 archive of them;
//   - TBackupFile packing the files and restoring them, with one thread and with one per
//     processor (restores write real files; the zlib baselines write nothing).
// The last lines give the ratios the archive is held to: restore against cp -r and unzip,
// pack against the one zlib stream, and the archive's size against that stream's.

#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "backup/archive_listing.h"
#include "backup/backup_file.h"
#include "platform/host/host_file_system.h"
#include "platform/host/host_system.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kFileSize = 4 << 20;

std::string MakeFileData(std::size_t index) {
  std::mt19937_64 random(index);
  std::string data(kFileSize, '\0');
  if (index % 2 == 1) {
    for (auto& c : data) {
      c = static_cast<char>(random());
    }
    return data;
  }
  static const char* kWords[] = {"sweep", "registry", "value",   "folder",     "temporary",
                                 "file",  "backup",   "archive", "Windows",    "cleaner",
                                 "the",   "of",       "and",     "C:\\Temp\\", "0x7F3A"};
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::string word = std::string(kWords[random() % std::size(kWords)]) + (random() % 9 == 0 ? "\r\n" : " ");
    const std::size_t take = std::min(word.size(), data.size() - pos);
    data.replace(pos, take, word.substr(0, take));
    pos += take;
  }
  return data;
}

// Times `work` alone: the writes of earlier phases are flushed first, so that their
// write-back does not slow this one down.
double Seconds(const std::function<void()>& work) {
  ::sync();
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A writer's time until its files are written (into the page cache) and until they are on
// the disk (sync included): the better of two runs each, each into a fresh `output`. The
// first run writes into memory the page cache has never used (on a virtual machine first
// touches are costly), the second into pages freed by removing the first one's files, the
// steady state of a running system.
struct WriteTimes {
  double cached = 1e9;
  double onDisk = 1e9;
  double cores = 0;  // this process's processor time over the time into the page cache
};

// The processor time this process (all its threads) has used so far.
double ProcessorSeconds() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

WriteTimes TimeWriter(const fs::path& output, const std::function<void()>& work) {
  WriteTimes best;
  for (int pass = 0; pass < 2; ++pass) {
    fs::remove_all(output);
    ::sync();
    const auto start = Clock::now();
    const double processor = ProcessorSeconds();
    work();
    const double cached = std::chrono::duration<double>(Clock::now() - start).count();
    if (cached < best.cached) {
      best.cores = (ProcessorSeconds() - processor) / cached;
    }
    best.cached = std::min(best.cached, cached);
    ::sync();
    best.onDisk = std::min(best.onDisk, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
  }
}

void Report(const char* what, double megabytes, double seconds, double baseline, const char* against,
            double cores = 0) {
  std::printf("%-44s %8.1f MB/s", what, megabytes / seconds);
  if (baseline > 0) {
    std::printf("   %.2fx %s", (megabytes / seconds) / baseline, against);
  }
  if (cores > 0) {
    std::printf("  (%.2f processors busy)", cores);
  }
  std::printf("\n");
}

void ReportWriter(const char* what, double megabytes, const WriteTimes& times) {
  std::printf("%-44s %8.1f MB/s into the page cache, %7.1f MB/s onto the disk", what, megabytes / times.cached,
              megabytes / times.onDisk);
  if (times.cores > 0.05) {
    std::printf("  (%.2f processors busy)", times.cores);
  }
  std::printf("\n");
}

void Ratio(const char* what, double ratio, double target) {
  std::printf("%-52s %6.2fx   (at least %.1fx: %s)\n", what, ratio, target, ratio >= target ? "met" : "NOT MET");
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path folder = fs::absolute(argc > 1 ? argv[1] : "archive-bench-data");
  const std::size_t megabytes = argc > 2 ? std::stoul(argv[2]) : 200;
  const std::size_t fileCount = std::max<std::size_t>(1, (megabytes << 20) / kFileSize);
  fs::remove_all(folder);
  fs::create_directories(folder / "data");

  std::string all;
  for (std::size_t i = 0; i < fileCount; ++i) {
    const std::string data = MakeFileData(i);
    std::ofstream(folder / "data" / ("f" + std::to_string(i) + ".bin"), std::ios::binary)
        .write(data.data(), data.size());
    all += data;
  }
  const double mb = static_cast<double>(all.size()) / (1 << 20);
  std::printf("data: %zu files, %.1f MB (half text-like, half random); %u processors\n\n", fileCount, mb,
              std::thread::hardware_concurrency());

  // Baselines: one plain zlib stream at level 1, and inflating it.
  std::vector<Bytef> stream(compressBound(all.size()));
  uLongf streamSize = stream.size();
  std::vector<Bytef> inflated(all.size());
  uLongf inflatedSize = inflated.size();
  // The better of two runs here too, as for everything it is compared with.
  double deflateSeconds = 1e9;
  double inflateSeconds = 1e9;
  for (int pass = 0; pass < 2; ++pass) {
    deflateSeconds = std::min(deflateSeconds, Seconds([&] {
      streamSize = stream.size();
      compress2(stream.data(), &streamSize, reinterpret_cast<const Bytef*>(all.data()), all.size(), 1);
    }));
    inflateSeconds = std::min(inflateSeconds, Seconds([&] {
      inflatedSize = inflated.size();
      uncompress(inflated.data(), &inflatedSize, stream.data(), streamSize);
    }));
  }
  const double deflateRate = mb / deflateSeconds;
  const double inflateRate = mb / inflateSeconds;
  Report("zlib level 1, one stream (in memory)", mb, deflateSeconds, 0, "");
  Report("zlib inflate of that stream (in memory)", mb, inflateSeconds, 0, "");

  // What the disk takes, and what a common archiver does with the same files.
  const std::string quoted = "'" + folder.string() + "'";
  const WriteTimes copy = TimeWriter(folder / "copied", [&] { Run("cp -r " + quoted + "/data " + quoted + "/copied"); });
  const double zipSeconds = Seconds([&] { Run("cd " + quoted + " && zip -1 -r -q bench.zip data"); });
  const WriteTimes unzip =
      TimeWriter(folder / "unzipped", [&] { Run("cd " + quoted + " && unzip -q bench.zip -d unzipped"); });
  fs::remove_all(folder / "copied");
  fs::remove_all(folder / "unzipped");
  ReportWriter("cp -r of the files", mb, copy);
  Report("zip -1 of the files", mb, zipSeconds, 0, "");
  ReportWriter("unzip of that archive", mb, unzip);

  sw::platform::host::HostFileSystem files({{'C', folder}}, "C:\\");
  sw::platform::host::HostSystem system;
  sw::backup::TBackupFile backup(files, system);
  backup.RestoreFullPath = false;
  double packedSize = 0;
  double packRate = 0;
  for (const unsigned threads : {1U, 0U}) {
    backup.Threads = threads;
    double seconds = 1e9;
    double cores = 0;
    for (int pass = 0; pass < 2; ++pass) {
      const double processor = ProcessorSeconds();
      const double taken = Seconds([&] {
        if (!backup.Backup({"C:\\data\\*.bin"}, "C:\\bench.bck")) {
          std::fprintf(stderr, "backup failed: %d\n", backup.ErrorCode());
        }
      });
      if (taken < seconds) {
        cores = (ProcessorSeconds() - processor) / taken;
      }
      seconds = std::min(seconds, taken);
    }
    packedSize = static_cast<double>(fs::file_size(folder / "bench.bck"));
    packRate = mb / seconds;
    Report(threads == 1 ? "TBackupFile pack, 1 thread" : "TBackupFile pack, all processors", mb, seconds, deflateRate,
           "one-stream level 1", cores);
  }
  // Decoding every chunk without writing anything: the engine's own cost beside the
  // baseline inflate.
  const double listSeconds = Seconds([&] {
    if (!sw::backup::ListArchive(files, system, "C:\\bench.bck").error.empty()) {
      std::fprintf(stderr, "listing failed\n");
    }
  });
  Report("archive listing (decodes all, writes nothing)", mb, listSeconds, inflateRate, "plain inflate");

  WriteTimes restore;
  for (const unsigned threads : {1U, 0U}) {
    backup.Threads = threads;
    restore = TimeWriter(folder / "restored", [&] {
      if (!backup.Restore("C:\\bench.bck", "C:\\restored").succeeded) {
        std::fprintf(stderr, "restore failed\n");
      }
    });
    ReportWriter(threads == 1 ? "TBackupFile restore, 1 thread" : "TBackupFile restore, all processors", mb, restore);
  }
  std::printf("\narchive size %.1f MB = %.3fx the one-stream output (%.1f MB); the zip archive %.1f MB\n\n",
              packedSize / (1 << 20), packedSize / static_cast<double>(streamSize),
              static_cast<double>(streamSize) / (1 << 20),
              static_cast<double>(fs::file_size(folder / "bench.zip")) / (1 << 20));
  // The disk is what a restore is held to: the files are there only once written back.
  Ratio("restore / cp -r, onto the disk", copy.onDisk / restore.onDisk, 0.7);
  Ratio("restore / unzip, onto the disk", unzip.onDisk / restore.onDisk, 2.5);
  std::printf("%-52s %6.2fx   (into the page cache alone; cp -r copies in the kernel)\n", "restore / cp -r, page cache",
              copy.cached / restore.cached);
  std::printf("%-52s %6.2fx\n", "restore / unzip, page cache", unzip.cached / restore.cached);
  Ratio("pack, all processors / one zlib level-1 stream", packRate / deflateRate, 2.3);
  std::printf("%-52s %6.3f    (within 1%%: %s)\n", "archive size / one zlib level-1 stream",
              packedSize / static_cast<double>(streamSize),
              packedSize <= 1.01 * static_cast<double>(streamSize) ? "met" : "NOT MET");
  fs::remove_all(folder);
  return 0;
}
