#pragma once
// The dispatcher of a thread without windows (the console program, tests): posted tasks
// wait in a queue until the owner's thread drains it.

#include <condition_variable>
#include <deque>
#include <mutex>

#include "online/ui_dispatcher.h"

namespace sw::online {

class QueueDispatcher final : public UiDispatcher {
 public:
  bool Post(std::function<void()> task) override;
  bool ProcessPending(bool wait) override;

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace sw::online
