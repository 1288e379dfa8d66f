#pragma once
// The wait for one program's uninstall: one deadline for all of it (the uninstaller with what
// it starts, then Windows Installer), Stop through the sink, and what is waited for reported
// about once a second.

#include <chrono>
#include <functional>
#include <string>

#include "core/engine_sink.h"
#include "platform/processes.h"
#include "uninstall/uninstall_flow.h"

namespace sw::uninstall {

class UninstallWait {
 public:
  UninstallWait(EngineSink& sink, const UninstallOptions& options);
  UninstallWait(const UninstallWait&) = delete;
  UninstallWait& operator=(const UninstallWait&) = delete;
  // Reports the end of the wait, when a wait was reported.
  ~UninstallWait();

  // The hooks for a program's wait: messages handled, `what` reported (at once, then about
  // once a second), and the wait ended by Stop or the deadline.
  platform::WaitHooks For(std::string what);
  // Waits while `busy` says so, asking it ten times a second. False when Stop or the deadline
  // ended the wait.
  bool While(std::string what, const std::function<bool()>& busy);

  [[nodiscard]] bool Stopped() const { return stopped_; }
  [[nodiscard]] bool TimedOut() const { return timedOut_; }
  [[nodiscard]] std::chrono::seconds Elapsed() const;
  // What was waited for last.
  [[nodiscard]] const std::string& What() const { return what_; }

 private:
  bool KeepWaiting();
  void Report(bool done);

  EngineSink& sink_;
  const UninstallOptions& options_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point deadline_;
  std::chrono::steady_clock::time_point lastReport_{};
  std::string what_;
  bool reported_ = false;
  bool stopped_ = false;
  bool timedOut_ = false;
};

}  // namespace sw::uninstall
