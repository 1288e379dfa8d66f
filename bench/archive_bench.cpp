// Speed of the backup archive against plain zlib on the same data.
//
//   sweepwise-archive-bench [DATA_FOLDER] [MEGABYTES]
//
// Writes about MEGABYTES (default 200) of mixed data (half text-like, half random) into
// DATA_FOLDER (default ./archive-bench-data, removed afterwards), then times, with a hot page
// cache:
//   - zlib level 1 compressing all of it as one plain stream (in memory), and a plain
//     inflate of that stream;
//   - TBackupFile packing the files and restoring them, with one thread and with one per
//     processor (restores write real files; the baselines write nothing).

#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
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

void Report(const char* what, double megabytes, double seconds, double baseline, const char* against) {
  std::printf("%-44s %8.1f MB/s", what, megabytes / seconds);
  if (baseline > 0) {
    std::printf("   %.2fx %s", (megabytes / seconds) / baseline, against);
  }
  std::printf("\n");
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
  const double deflateSeconds = Seconds(
      [&] { compress2(stream.data(), &streamSize, reinterpret_cast<const Bytef*>(all.data()), all.size(), 1); });
  std::vector<Bytef> inflated(all.size());
  uLongf inflatedSize = inflated.size();
  const double inflateSeconds = Seconds([&] { uncompress(inflated.data(), &inflatedSize, stream.data(), streamSize); });
  const double deflateRate = mb / deflateSeconds;
  const double inflateRate = mb / inflateSeconds;
  Report("zlib level 1, one stream (in memory)", mb, deflateSeconds, 0, "");
  Report("zlib inflate of that stream (in memory)", mb, inflateSeconds, 0, "");

  sw::platform::host::HostFileSystem files({{'C', folder}}, "C:\\");
  sw::platform::host::HostSystem system;
  sw::backup::TBackupFile backup(files, system);
  backup.RestoreFullPath = false;
  double packedSize = 0;
  for (const unsigned threads : {1U, 0U}) {
    backup.Threads = threads;
    const double seconds = Seconds([&] {
      if (!backup.Backup({"C:\\data\\*.bin"}, "C:\\bench.bck")) {
        std::fprintf(stderr, "backup failed: %d\n", backup.ErrorCode());
      }
    });
    packedSize = static_cast<double>(fs::file_size(folder / "bench.bck"));
    Report(threads == 1 ? "TBackupFile pack, 1 thread" : "TBackupFile pack, all processors", mb, seconds, deflateRate,
           "one-stream level 1");
  }
  // Decoding every chunk without writing anything: the engine's own cost beside the
  // baseline inflate.
  const double listSeconds = Seconds([&] {
    if (!sw::backup::ListArchive(files, system, "C:\\bench.bck").error.empty()) {
      std::fprintf(stderr, "listing failed\n");
    }
  });
  Report("archive listing (decodes all, writes nothing)", mb, listSeconds, inflateRate, "plain inflate");

  // Each restore runs twice: the first writes into memory the page cache has never used
  // (on this virtual machine, first touches are costly), the second into pages freed by
  // removing the first one's files, which is the steady state of a running system.
  for (const unsigned threads : {1U, 0U}) {
    backup.Threads = threads;
    for (const char* pass : {"first", "again"}) {
      fs::remove_all(folder / "restored");
      const double seconds = Seconds([&] {
        if (!backup.Restore("C:\\bench.bck", "C:\\restored").succeeded) {
          std::fprintf(stderr, "restore failed\n");
        }
      });
      const std::string what =
          std::string("TBackupFile restore, ") + (threads == 1 ? "1 thread" : "all processors") + ", " + pass;
      Report(what.c_str(), mb, seconds, inflateRate, "plain inflate");
    }
  }
  std::printf("\narchive size %.1f MB = %.3fx the one-stream output (%.1f MB)\n", packedSize / (1 << 20),
              packedSize / static_cast<double>(streamSize), static_cast<double>(streamSize) / (1 << 20));
  fs::remove_all(folder);
  return 0;
}
