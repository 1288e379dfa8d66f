#include "uninstall/uninstall_wait.h"

#include <thread>

namespace sw::uninstall {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kReportEvery = std::chrono::seconds(1);
constexpr auto kPollEvery = std::chrono::milliseconds(100);

}  // namespace

UninstallWait::UninstallWait(EngineSink& sink, const UninstallOptions& options)
    : sink_(sink), options_(options), start_(Clock::now()), deadline_(start_ + options.timeout) {}

UninstallWait::~UninstallWait() {
  if (reported_) {
    Report(true);
  }
}

std::chrono::seconds UninstallWait::Elapsed() const {
  return std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start_);
}

void UninstallWait::Report(bool done) {
  lastReport_ = Clock::now();
  reported_ = true;
  if (options_.onWaiting) {
    options_.onWaiting(Waiting{what_, Elapsed(), std::chrono::duration_cast<std::chrono::seconds>(options_.timeout),
                               done});
  }
}

bool UninstallWait::KeepWaiting() {
  if (sink_.ShouldStop()) {
    stopped_ = true;
    return false;
  }
  const auto now = Clock::now();
  if (now >= deadline_) {
    timedOut_ = true;
    return false;
  }
  if (now - lastReport_ >= kReportEvery) {
    Report(false);
  }
  return true;
}

platform::WaitHooks UninstallWait::For(std::string what) {
  what_ = std::move(what);
  Report(false);
  return platform::WaitHooks{[this] { sink_.ProcessMessagesNow(); }, [this] { return KeepWaiting(); }};
}

bool UninstallWait::While(std::string what, const std::function<bool()>& busy) {
  if (!busy()) {
    return true;
  }
  const platform::WaitHooks hooks = For(std::move(what));
  while (busy()) {
    if (!hooks.keepWaiting()) {
      return false;
    }
    hooks.whileWaiting();
    std::this_thread::sleep_for(kPollEvery);
  }
  return true;
}

}  // namespace sw::uninstall
