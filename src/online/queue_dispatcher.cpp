#include "online/queue_dispatcher.h"

namespace sw::online {

bool QueueDispatcher::Post(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  arrived_.notify_one();
  return true;
}

bool QueueDispatcher::ProcessPending(bool wait) {
  std::deque<std::function<void()>> due;
  {
    std::unique_lock lock(mutex_);
    if (wait) {
      arrived_.wait(lock, [this] { return !tasks_.empty(); });
    }
    due.swap(tasks_);
  }
  // Run outside the lock: a task may start a download that posts again.
  for (auto& task : due) {
    task();
  }
  return true;
}

}  // namespace sw::online
