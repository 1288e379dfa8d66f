#pragma once
// A thread of its own in a single-threaded apartment, for COM objects that must be created,
// called and released on one thread: apartment-threaded in-process servers such as the Disk
// Cleanup handlers. (Called from another apartment they would need proxies for their
// interfaces, which Wine does not have.) The thread handles window messages while it waits
// for work, as an apartment's thread must.
//
// A caller hands it one task at a time and waits for it at most a time limit without a sign
// of life, running its own idle work meanwhile. A task that does not end by then is left to
// the thread and the caller goes on; the thread takes no task after it but those already
// posted, and ends once its owner has gone and its last task has ended, whenever that is.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace sw::platform::win32 {

// What a running task tells its waiting caller (signs of life, and how far it got), and what
// the caller tells the task (stop). Shared by both threads.
class TaskActivity {
 public:
  // A progress report: a sign of life, with the bytes the task has counted or freed so far.
  void Report(std::uint64_t bytes);
  [[nodiscard]] std::uint64_t Bytes() const { return bytes_.load(); }
  [[nodiscard]] bool Reported() const { return reported_.load(); }
  [[nodiscard]] std::chrono::steady_clock::time_point LastSign() const;

  void RequestStop() { stop_.store(true); }
  [[nodiscard]] bool StopRequested() const { return stop_.load(); }

 private:
  std::atomic<std::uint64_t> bytes_{0};
  std::atomic<bool> reported_{false};
  std::atomic<std::chrono::steady_clock::rep> lastSign_{0};
  std::atomic<bool> stop_{false};
};

enum class TaskWait {
  kDone,      // the task ended
  kTimedOut,  // no end and no sign of life within the limit: left to the thread
  kStopped,   // the caller's idle work asked to stop, and the task did not end soon after
};

class ApartmentThread {
 public:
  // Starts the thread; null when the system could not start one.
  static std::unique_ptr<ApartmentThread> Start();
  ApartmentThread(const ApartmentThread&) = delete;
  ApartmentThread& operator=(const ApartmentThread&) = delete;
  // Lets the thread end after the tasks posted so far; never waits for it.
  ~ApartmentThread();

  // Runs `task` on the thread and waits. `idle` runs every few tens of milliseconds meanwhile;
  // when it returns true the activity is told to stop and the task gets a moment to end. A
  // task left running runs `whenLeftTaskEnds` on the thread once it does end.
  TaskWait Run(std::function<void()> task, const std::shared_ptr<TaskActivity>& activity,
               std::chrono::milliseconds limit, const std::function<bool()>& idle,
               std::function<void()> whenLeftTaskEnds = {});

  // Posts `task` without waiting for it: it runs after every task posted before it, a task
  // left running included. For releasing objects on the thread they belong to.
  void Post(std::function<void()> task);

  // Whether a task was left running: the thread can take no further call.
  [[nodiscard]] bool Abandoned() const { return abandoned_; }

  struct State;

 private:
  explicit ApartmentThread(std::shared_ptr<State> state) : state_(std::move(state)) {}

  std::shared_ptr<State> state_;
  bool abandoned_ = false;
};

}  // namespace sw::platform::win32
