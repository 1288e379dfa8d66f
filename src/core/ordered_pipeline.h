#pragma once
// Works on jobs ahead of their consumer, on several threads, and hands the results back in the
// order the jobs were submitted: the archive's chunks (independent zlib streams, so the archive
// is the same whatever the number of threads), and the files a deletion removes (mostly a wait
// for the disk). With one thread the caller's thread does the work in Take. At most a few jobs
// per thread are in flight, so memory stays bounded however many there are.
//
// `Worker` is made once per thread (it may keep state, such as a zlib stream) and maps a Job,
// which it may take apart, to a Result:
//   struct Worker { Result operator()(Job&&); };

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace sw {

template <class Job, class Result, class Worker>
class OrderedPipeline {
 public:
  // `threads` 0 means one per processor; `makeWorker` makes each thread's worker. `window`
  // is how many jobs may be in flight (0: a few per thread); a reader that looks far ahead
  // asks for more. With one thread the jobs wait and the caller works them in Take.
  OrderedPipeline(unsigned threads, std::function<std::unique_ptr<Worker>()> makeWorker, std::size_t window = 0)
      : makeWorker_(std::move(makeWorker)) {
    if (threads == 0) {
      threads = std::max(1U, std::thread::hardware_concurrency());
    }
    if (threads == 1) {
      inline_ = makeWorker_();
      window_ = std::max<std::size_t>(window, 1);
      return;
    }
    window_ = window != 0 ? window : 2 * static_cast<std::size_t>(threads) + 2;
    for (unsigned i = 0; i < threads; ++i) {
      workers_.emplace_back([this] { Work(); });
    }
  }

  ~OrderedPipeline() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      // Jobs nobody has started need no work; those being worked on finish first.
      slots_.resize(started_);
    }
    workReady_.notify_all();
    for (auto& worker : workers_) {
      worker.join();
    }
  }

  OrderedPipeline(const OrderedPipeline&) = delete;
  OrderedPipeline& operator=(const OrderedPipeline&) = delete;

  [[nodiscard]] bool Full() const {
    std::lock_guard lock(mutex_);
    return slots_.size() >= window_;
  }

  [[nodiscard]] bool Empty() const {
    std::lock_guard lock(mutex_);
    return slots_.empty();
  }

  void Submit(Job job) {
    bool wake = false;
    {
      std::lock_guard lock(mutex_);
      auto slot = std::make_unique<Slot>();
      slot->job = std::move(job);
      slots_.push_back(std::move(slot));
      wake = idle_ > 0;  // a busy worker finds the job when it is done: no call to the system
    }
    if (wake) {
      workReady_.notify_one();
    }
  }

  // The result of the oldest job; blocks until it is done. The pipeline must not be empty.
  Result Take() {
    std::unique_lock lock(mutex_);
    if (inline_) {
      std::unique_ptr<Slot> slot = std::move(slots_.front());
      slots_.pop_front();
      lock.unlock();
      return (*inline_)(std::move(slot->job));
    }
    ++takers_;
    resultReady_.wait(lock, [this] { return slots_.front()->done; });
    --takers_;
    std::unique_ptr<Slot> slot = std::move(slots_.front());
    slots_.pop_front();
    --started_;
    return std::move(*slot->result);
  }

  // Forgets every job in flight (after a cancel or failure), waiting for those being worked on.
  void Clear() {
    std::unique_lock lock(mutex_);
    ++takers_;
    resultReady_.wait(lock, [this] {
      return std::all_of(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(started_),
                         [](const auto& slot) { return slot->done; });
    });
    --takers_;
    slots_.clear();
    started_ = 0;
  }

 private:
  struct Slot {
    Job job;
    std::optional<Result> result;
    bool done = false;
  };

  void Work() {
    const std::unique_ptr<Worker> worker = makeWorker_();
    std::unique_lock lock(mutex_);
    for (;;) {
      ++idle_;
      workReady_.wait(lock, [&] { return started_ < slots_.size() || stopping_; });
      --idle_;
      if (started_ == slots_.size()) {
        return;  // stopping, nothing left to do
      }
      Slot* slot = slots_[started_++].get();
      lock.unlock();
      Result result = (*worker)(std::move(slot->job));
      lock.lock();
      slot->result = std::move(result);
      slot->done = true;
      if (takers_ > 0) {
        resultReady_.notify_all();
      }
    }
  }

  std::function<std::unique_ptr<Worker>()> makeWorker_;
  std::size_t window_ = 1;
  std::deque<std::unique_ptr<Slot>> slots_;
  // Workers take jobs from the front in turn, so the started ones are the first `started_`.
  std::size_t started_ = 0;
  // Workers waiting for a job, and callers waiting for results: only they need waking.
  unsigned idle_ = 0;
  unsigned takers_ = 0;
  std::unique_ptr<Worker> inline_;  // one thread: the caller's thread works in Take
  mutable std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable resultReady_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace sw
