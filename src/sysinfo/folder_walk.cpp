#include "sysinfo/folder_walk.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <tuple>

#include "core/win_path.h"

namespace sw::sysinfo {
namespace {

struct WalkTask {
  std::string folder;  // with a trailing backslash
  std::uint32_t slice = 0;
  bool filesOnly = false;  // the files directly in the folder, none below it
};

// A file that may have other names: its number, where it was counted and how much.
struct LinkedFile {
  std::uint64_t volume;
  std::uint64_t fileId;
  std::uint64_t bytes;
  std::uint32_t slice;
};

// What one worker has measured.
struct WorkerSums {
  explicit WorkerSums(std::size_t slices) : bytes(slices) {}
  std::vector<std::uint64_t> bytes;
  std::vector<LinkedFile> linked;
};

// The bytes a file adds: a cloud file's data is not on the disk, only what it takes there.
std::uint64_t BytesOf(const platform::FolderEntry& entry) {
  return entry.IsCloudPlaceholder() ? entry.allocated : entry.size;
}

// The folders no worker has taken yet. Each worker walks depth first from a stack of its
// own and hands half of it over only when another worker is idle, so the lock is taken about
// once per hand-over rather than once per folder.
class SharedWalk {
 public:
  SharedWalk(platform::FileSystem& files, std::vector<WalkTask> roots, unsigned workers, const StopFlag* stop)
      : files_(files), pending_(std::move(roots)), workers_(workers), stop_(stop) {}

  // Measures until no folder is left anywhere; adds each file's bytes to its slice.
  void Work(WorkerSums& sums) {
    std::vector<WalkTask> local;
    WalkTask task;
    while (Take(task)) {
      local.push_back(std::move(task));
      while (!local.empty()) {
        task = std::move(local.back());
        local.pop_back();
        if (!Stopped()) {
          List(task, sums, local);
        } else {
          skipped_.store(true, std::memory_order_relaxed);
        }
        if (idle_.load(std::memory_order_relaxed) > 0 && local.size() > 1) {
          Share(local);
        }
      }
    }
  }

  // Waits up to `interval` for the end of the pass; true once it has ended.
  bool WaitFor(std::chrono::milliseconds interval) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, interval, [this] { return done_; });
  }

  // Whether Stop left folders unmeasured.
  [[nodiscard]] bool Skipped() const { return skipped_.load(std::memory_order_relaxed); }

  // Fewer workers than planned started.
  void SetWorkers(unsigned workers) {
    const std::lock_guard lock(mutex_);
    workers_ = workers;
    CheckDone();
  }

 private:
  bool Stopped() const { return stop_ != nullptr && stop_->IsRequested(); }

  void List(const WalkTask& task, WorkerSums& sums, std::vector<WalkTask>& local) {
    try {
      auto reader = files_.ListFolder(task.folder, platform::FolderDetail::Identity);
      if (!reader) {
        return;  // a folder that cannot be listed adds nothing
      }
      platform::FolderEntry entry;
      std::uint64_t bytes = 0;
      while ((*reader)->Next(entry)) {
        if (!entry.IsFolder()) {
          const std::uint64_t size = BytesOf(entry);
          // Files known to have one name need no bookkeeping; where the listing does not
          // tell the count, every file with a number is kept until the pass ends.
          if (entry.fileId != 0 && entry.links != 1) {
            sums.linked.push_back(LinkedFile{entry.volume, entry.fileId, size, task.slice});
          }
          bytes += size;
        } else if (!entry.IsLink() && !task.filesOnly) {
          local.push_back(WalkTask{task.folder + entry.name + "\\", task.slice});
        }
      }
      sums.bytes[task.slice] += bytes;
    } catch (const std::bad_alloc&) {
      // A name too long to hold: that folder is left out, as one that cannot be listed.
    }
  }

  // Blocks until there is a folder to take; false when every worker is idle and none is left.
  bool Take(WalkTask& task) {
    std::unique_lock lock(mutex_);
    idle_.fetch_add(1, std::memory_order_relaxed);
    CheckDone();
    changed_.wait(lock, [this] { return !pending_.empty() || done_; });
    if (pending_.empty()) {
      return false;
    }
    idle_.fetch_sub(1, std::memory_order_relaxed);
    task = std::move(pending_.back());
    pending_.pop_back();
    return true;
  }

  // Hands over the bottom half of the stack: the folders nearest the top of the tree, which
  // hold the most below them.
  void Share(std::vector<WalkTask>& local) {
    const std::size_t half = local.size() / 2;
    {
      const std::lock_guard lock(mutex_);
      std::move(local.begin(), local.begin() + static_cast<std::ptrdiff_t>(half), std::back_inserter(pending_));
    }
    local.erase(local.begin(), local.begin() + static_cast<std::ptrdiff_t>(half));
    changed_.notify_all();
  }

  // Called with the lock held.
  void CheckDone() {
    if (!done_ && pending_.empty() && idle_.load(std::memory_order_relaxed) >= workers_) {
      done_ = true;
      changed_.notify_all();
    }
  }

  platform::FileSystem& files_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<WalkTask> pending_;
  std::atomic<unsigned> idle_{0};
  unsigned workers_;
  bool done_ = false;
  const StopFlag* stop_;
  std::atomic<bool> skipped_{false};
};

unsigned WorkersFor(const MeasureOptions& options) {
  if (options.workers != 0) {
    return options.workers;
  }
  return std::clamp(std::thread::hardware_concurrency(), 1U, 4U);
}

// Takes each file that was counted under several names out of all slices but the first.
void CountLinkedFilesOnce(std::vector<WorkerSums>& workers, std::vector<std::uint64_t>& total) {
  std::vector<LinkedFile> linked;
  for (auto& worker : workers) {
    linked.insert(linked.end(), worker.linked.begin(), worker.linked.end());
    worker.linked = {};
  }
  std::sort(linked.begin(), linked.end(), [](const LinkedFile& a, const LinkedFile& b) {
    return std::tie(a.volume, a.fileId, a.slice) < std::tie(b.volume, b.fileId, b.slice);
  });
  for (std::size_t i = 1; i < linked.size(); ++i) {
    if (linked[i].volume == linked[i - 1].volume && linked[i].fileId == linked[i - 1].fileId) {
      total[linked[i].slice] -= linked[i].bytes;
    }
  }
}

// Walks `roots` (the first on top) and returns each slice's bytes; `complete` tells whether
// Stop left anything out.
std::vector<std::uint64_t> Walk(platform::FileSystem& files, std::vector<WalkTask> roots, std::size_t slices,
                                const MeasureOptions& options, bool& complete) {
  const bool callerWorks = !options.whileWaiting;
  const unsigned planned = WorkersFor(options);
  SharedWalk walk(files, std::move(roots), planned, options.stop);
  std::vector<WorkerSums> sums(planned, WorkerSums(slices));
  std::vector<std::thread> threads;
  for (unsigned i = callerWorks ? 1 : 0; i < planned; ++i) {
    try {
      threads.emplace_back([&walk, &sums, i] { walk.Work(sums[i]); });
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the ones started share the work
    }
  }
  const unsigned started = static_cast<unsigned>(threads.size()) + (callerWorks ? 1 : 0);
  if (started == 0) {
    walk.SetWorkers(1);
    walk.Work(sums[0]);
  } else {
    walk.SetWorkers(started);
    if (callerWorks) {
      walk.Work(sums[0]);
    } else {
      while (!walk.WaitFor(std::chrono::milliseconds(30))) {
        options.whileWaiting();
      }
    }
  }
  for (auto& thread : threads) {
    thread.join();
  }
  std::vector<std::uint64_t> total(slices);
  for (const auto& part : sums) {
    for (std::size_t i = 0; i < slices; ++i) {
      total[i] += part.bytes[i];
    }
  }
  CountLinkedFilesOnce(sums, total);
  complete = !walk.Skipped();
  return total;
}

std::vector<WalkTask> RootsOf(std::span<const std::string> folders) {
  std::vector<WalkTask> roots;
  for (std::size_t i = folders.size(); i-- > 0;) {  // the first folder on top of the stack
    roots.push_back(WalkTask{AddTrailingBackslash(folders[i]), static_cast<std::uint32_t>(i)});
  }
  return roots;
}

}  // namespace

std::vector<std::uint64_t> MeasureFolderBytes(platform::FileSystem& files, std::span<const std::string> folders,
                                              const MeasureOptions& options) {
  if (folders.empty()) {
    return {};
  }
  bool complete = true;
  return Walk(files, RootsOf(folders), folders.size(), options, complete);
}

ChartBytes MeasureChartBytes(platform::FileSystem& files, std::string_view folder,
                             std::span<const std::string> subfolders, const MeasureOptions& options) {
  ChartBytes chart;
  if (folder.empty()) {
    chart.subfolders.resize(subfolders.size());
    return chart;
  }
  // The folder's own files are the last slice: a file with a name there and one in a
  // subfolder counts in the subfolder.
  std::vector<WalkTask> roots{
      WalkTask{AddTrailingBackslash(folder), static_cast<std::uint32_t>(subfolders.size()), true}};
  std::vector<WalkTask> below = RootsOf(subfolders);
  roots.insert(roots.end(), below.begin(), below.end());
  std::vector<std::uint64_t> bytes = Walk(files, std::move(roots), subfolders.size() + 1, options, chart.complete);
  chart.files = bytes.back();
  bytes.pop_back();
  chart.subfolders = std::move(bytes);
  return chart;
}

}  // namespace sw::sysinfo
