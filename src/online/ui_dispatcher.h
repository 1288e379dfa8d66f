#pragma once
// How a download worker reaches the thread that owns its component (the user-interface
// thread). The worker posts a task; the owner's thread runs it when it handles its pending
// work. The window implements this with a hidden window and posted messages (its message
// loop runs the tasks); the console and the tests with a queue that the waiting thread drains.

#include <functional>

namespace sw::online {

class UiDispatcher {
 public:
  UiDispatcher() = default;
  UiDispatcher(const UiDispatcher&) = delete;
  UiDispatcher& operator=(const UiDispatcher&) = delete;
  virtual ~UiDispatcher() = default;

  // From any thread, never blocking: `task` is to run on the owner's thread. False when the
  // owner's side is gone and the task will never run.
  virtual bool Post(std::function<void()> task) = 0;

  // On the owner's thread: handles what is pending (window messages and posted tasks). With
  // `wait`, first waits until something arrives. False when the program is ending (the
  // window's message loop met its quit message), so waiting makes no sense any more.
  virtual bool ProcessPending(bool wait) = 0;
};

}  // namespace sw::online
