#include "platform/win32/apartment_thread.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/win32/handles.h"

namespace sw::platform::win32 {
namespace {

using Clock = std::chrono::steady_clock;

// How often the waiting caller runs its idle work.
constexpr DWORD kIdleIntervalMs = 30;
// How long a task that was asked to stop may take to end before it is left running.
constexpr std::chrono::milliseconds kStopGrace{2000};

// One task as its caller and the thread see it.
struct Call {
  std::mutex mutex;
  bool finished = false;
  bool left = false;
  std::function<void()> whenLeftTaskEnds;
  UniqueKernelHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

struct ApartmentThread::State {
  std::mutex mutex;
  std::deque<std::function<void()>> tasks;
  bool ending = false;
  UniqueKernelHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};

namespace {

void HandleMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

DWORD WINAPI ThreadMain(void* parameter) {
  const std::unique_ptr<std::shared_ptr<ApartmentThread::State>> owned(
      static_cast<std::shared_ptr<ApartmentThread::State>*>(parameter));
  const std::shared_ptr<ApartmentThread::State> state = *owned;
  // A failed start of the apartment is the tasks' to find: their COM calls then fail with
  // CO_E_NOTINITIALIZED, which they report like any other failure.
  const HRESULT entered = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  for (;;) {
    std::function<void()> task;
    bool end = false;
    {
      const std::lock_guard lock(state->mutex);
      if (!state->tasks.empty()) {
        task = std::move(state->tasks.front());
        state->tasks.pop_front();
      } else {
        end = state->ending;
      }
    }
    if (task) {
      task();
      continue;
    }
    if (end) {
      break;
    }
    HANDLE wake = state->wake.get();
    ::MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    HandleMessages();
  }
  if (SUCCEEDED(entered)) {
    ::CoUninitialize();
  }
  return 0;
}

}  // namespace

void TaskActivity::Report(std::uint64_t bytes) {
  bytes_.store(bytes);
  reported_.store(true);
  lastSign_.store(Clock::now().time_since_epoch().count());
}

Clock::time_point TaskActivity::LastSign() const {
  return Clock::time_point(Clock::duration(lastSign_.load()));
}

std::unique_ptr<ApartmentThread> ApartmentThread::Start() {
  auto state = std::make_shared<State>();
  if (!state->wake) {
    return nullptr;
  }
  auto* parameter = new std::shared_ptr<State>(state);
  HANDLE thread = ::CreateThread(nullptr, 0, ThreadMain, parameter, 0, nullptr);
  if (thread == nullptr) {
    delete parameter;
    return nullptr;
  }
  ::CloseHandle(thread);  // it ends by itself; nobody joins it
  return std::unique_ptr<ApartmentThread>(new ApartmentThread(std::move(state)));
}

ApartmentThread::~ApartmentThread() {
  {
    const std::lock_guard lock(state_->mutex);
    state_->ending = true;
  }
  ::SetEvent(state_->wake.get());
}

void ApartmentThread::Post(std::function<void()> task) {
  {
    const std::lock_guard lock(state_->mutex);
    state_->tasks.push_back(std::move(task));
  }
  ::SetEvent(state_->wake.get());
}

TaskWait ApartmentThread::Run(std::function<void()> task, const std::shared_ptr<TaskActivity>& activity,
                              std::chrono::milliseconds limit, const std::function<bool()>& idle,
                              std::function<void()> whenLeftTaskEnds) {
  auto call = std::make_shared<Call>();
  Post([call, task = std::move(task)] {
    task();
    std::function<void()> late;
    {
      const std::lock_guard lock(call->mutex);
      call->finished = true;
      if (call->left) {
        late = std::move(call->whenLeftTaskEnds);
      }
    }
    ::SetEvent(call->done.get());
    if (late) {
      late();
    }
  });
  // Leaves the task running unless it has just ended; false when it has.
  const auto leave = [&] {
    const std::lock_guard lock(call->mutex);
    if (call->finished) {
      return false;
    }
    call->left = true;
    call->whenLeftTaskEnds = std::move(whenLeftTaskEnds);
    abandoned_ = true;
    return true;
  };
  const Clock::time_point start = Clock::now();
  std::optional<Clock::time_point> stopAsked;
  for (;;) {
    if (::WaitForSingleObject(call->done.get(), kIdleIntervalMs) == WAIT_OBJECT_0) {
      return stopAsked ? TaskWait::kStopped : TaskWait::kDone;
    }
    if (idle && idle() && !stopAsked) {
      activity->RequestStop();
      stopAsked = Clock::now();
    }
    const Clock::time_point now = Clock::now();
    if (stopAsked && now - *stopAsked >= std::min<Clock::duration>(kStopGrace, limit)) {
      (void)leave();  // stopped either way; a task still running is left to the thread
      return TaskWait::kStopped;
    }
    if (now - std::max(start, activity->LastSign()) >= limit) {
      return leave() ? TaskWait::kTimedOut : TaskWait::kDone;
    }
  }
}

}  // namespace sw::platform::win32
