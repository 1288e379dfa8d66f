#include "platform/win32/disk_cleanup_handlers.h"

#include <windows.h>

#include <emptyvc.h>

#include <mutex>
#include <set>

#include "core/text.h"
#include "platform/win32/apartment_thread.h"
#include "platform/win32/com_object.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

using R = HandlerCallResult;

// The classes with a call that did not return in time, for as long as it does not: a second
// object of such a class would most likely hang as well, and each would keep a thread.
class BusyClasses {
 public:
  void Add(const std::string& classId) {
    const std::lock_guard lock(mutex_);
    classes_.insert(ToUpperText(classId));
  }
  void Remove(const std::string& classId) {
    const std::lock_guard lock(mutex_);
    classes_.erase(ToUpperText(classId));
  }
  [[nodiscard]] bool Contains(const std::string& classId) {
    const std::lock_guard lock(mutex_);
    return classes_.contains(ToUpperText(classId));
  }

 private:
  std::mutex mutex_;
  std::set<std::string> classes_;
};

// Never destroyed: a hung call may return while the program ends, and still find it.
BusyClasses& Busy() {
  static auto* busy = new BusyClasses;
  return *busy;
}

// A call left running: its class is busy from when the caller leaves it until it ends, in
// whichever order the two happen.
class LeftCall {
 public:
  explicit LeftCall(std::string classId) : classId_(std::move(classId)) {}
  void Mark() {
    const std::lock_guard lock(mutex_);
    if (!ended_) {
      Busy().Add(classId_);
      marked_ = true;
    }
  }
  void End() {
    const std::lock_guard lock(mutex_);
    ended_ = true;
    if (marked_) {
      Busy().Remove(classId_);
    }
  }

 private:
  std::mutex mutex_;
  std::string classId_;
  bool ended_ = false;
  bool marked_ = false;
};

// The manager's side of a scan or purge: each report is a sign of life for the waiting
// caller, and answers E_ABORT once the caller has asked to stop.
class ProgressCallback final : public ComObject<IEmptyVolumeCacheCallBack> {
 public:
  explicit ProgressCallback(std::shared_ptr<TaskActivity> activity) : activity_(std::move(activity)) {}

  HRESULT WINAPI ScanProgress(DWORDLONG spaceUsed, DWORD, LPCWSTR) override { return Report(spaceUsed); }
  HRESULT WINAPI PurgeProgress(DWORDLONG spaceFreed, DWORDLONG, DWORD, LPCWSTR) override {
    return Report(spaceFreed);
  }

 private:
  [[nodiscard]] bool Answers(REFIID iid) const override { return IsEqualIID(iid, IID_IEmptyVolumeCacheCallBack); }

  HRESULT Report(std::uint64_t bytes) {
    activity_->Report(bytes);
    return activity_->StopRequested() ? E_ABORT : S_OK;
  }

  std::shared_ptr<TaskActivity> activity_;
};

// What lives on the apartment thread: the object, the key it was given, and the answer of
// the last call, which the caller reads only once that call has ended.
struct Session {
  ComPtr<IEmptyVolumeCache> cache;
  UniqueHkey key;
  HandlerAnswer answer;
  HandlerTexts texts;
};

using CallBody = std::function<void(Session&, IEmptyVolumeCacheCallBack*, const TaskActivity&)>;

std::uint32_t CodeOf(HRESULT hr) {
  return static_cast<std::uint32_t>(hr);
}

HandlerCallResult ResultOf(HRESULT hr, const TaskActivity& activity) {
  if (hr == S_FALSE) {
    return R::kNothing;
  }
  if (SUCCEEDED(hr)) {
    return R::kDone;
  }
  return hr == E_ABORT && activity.StopRequested() ? R::kStopped : R::kFailed;
}

// A text the handler allocated for us, which is ours to free.
std::string TakeText(LPWSTR text) {
  std::string result = text != nullptr ? FromWide(text) : std::string();
  ::CoTaskMemFree(text);
  return result;
}

// Creates the object and initialises it as the system's Disk Cleanup does: InitializeEx
// where the object has IEmptyVolumeCache2, else Initialize; neither in settings mode nor
// for a full disk.
void InitializeOn(Session& session, const RegisteredHandler& registered, const std::wstring& volume,
                  const TaskActivity& activity) {
  CLSID classId{};
  HRESULT hr = ::CLSIDFromString(ToWide(registered.classId).c_str(), &classId);
  if (SUCCEEDED(hr)) {
    hr = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IEmptyVolumeCache,
                            reinterpret_cast<void**>(session.cache.put()));
  }
  if (FAILED(hr)) {
    session.answer = HandlerAnswer{R::kFailed, CodeOf(hr)};
    return;
  }
  // Handlers keep their own state in their key; one run without administrator rights can
  // only read it, which they must make do with.
  const std::wstring keyPath = ToWide(std::string(kVolumeCachesKey) + "\\" + registered.key);
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ | KEY_SET_VALUE, session.key.put()) !=
      ERROR_SUCCESS) {
    (void)::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, session.key.put());
  }
  LPWSTR name = nullptr;
  LPWSTR description = nullptr;
  LPWSTR button = nullptr;
  DWORD flags = 0;
  ComPtr<IEmptyVolumeCache2> second;
  if (SUCCEEDED(session.cache.get()->QueryInterface(IID_IEmptyVolumeCache2, reinterpret_cast<void**>(second.put())))) {
    hr = second.get()->InitializeEx(session.key.get(), volume.c_str(), ToWide(registered.key).c_str(), &name,
                                    &description, &button, &flags);
  } else {
    hr = session.cache.get()->Initialize(session.key.get(), volume.c_str(), &name, &description, &flags);
  }
  session.texts = HandlerTexts{TakeText(name), TakeText(description), TakeText(button), flags};
  session.answer = HandlerAnswer{ResultOf(hr, activity), CodeOf(hr)};
}

class Win32DiskCleanupHandler final : public DiskCleanupHandler {
 public:
  Win32DiskCleanupHandler(std::unique_ptr<ApartmentThread> thread, std::string classId)
      : thread_(std::move(thread)), classId_(std::move(classId)), session_(std::make_shared<Session>()) {}

  ~Win32DiskCleanupHandler() override {
    // Released on the thread they belong to, after any call still running there.
    thread_->Post([session = session_] {
      session->cache.reset();
      session->key.reset();
    });
  }

  HandlerAnswer Initialize(const RegisteredHandler& registered, std::string_view volume, const HandlerWait& wait) {
    const std::wstring root = ToWide(volume);
    HandlerAnswer answer =
        Call(wait, [registered, root](Session& session, IEmptyVolumeCacheCallBack*, const TaskActivity& activity) {
          InitializeOn(session, registered, root, activity);
        });
    if (!thread_->Abandoned()) {
      texts_ = session_->texts;
    }
    return answer;
  }

  [[nodiscard]] const HandlerTexts& Texts() const override { return texts_; }

  HandlerAnswer GetSpaceUsed(const HandlerWait& wait) override {
    return Call(wait, [](Session& session, IEmptyVolumeCacheCallBack* callback, const TaskActivity& activity) {
      DWORDLONG used = 0;
      const HRESULT hr = session.cache.get()->GetSpaceUsed(&used, callback);
      session.answer = HandlerAnswer{ResultOf(hr, activity), CodeOf(hr), used};
    });
  }

  HandlerAnswer Purge(std::uint64_t spaceToFree, const HandlerWait& wait) override {
    return Call(wait, [spaceToFree](Session& session, IEmptyVolumeCacheCallBack* callback,
                                    const TaskActivity& activity) {
      const HRESULT hr = session.cache.get()->Purge(spaceToFree, callback);
      session.answer = HandlerAnswer{ResultOf(hr, activity), CodeOf(hr), activity.Bytes(), activity.Reported()};
    });
  }

  HandlerAnswer Deactivate(const HandlerWait& wait) override {
    return Call(wait, [](Session& session, IEmptyVolumeCacheCallBack*, const TaskActivity& activity) {
      DWORD flags = 0;
      const HRESULT hr = session.cache.get()->Deactivate(&flags);
      session.answer = HandlerAnswer{ResultOf(hr, activity), CodeOf(hr)};
    });
  }

 private:
  // Runs `body` on the object's thread with a progress callback of its own, and waits. What
  // `body` uses must be its own: a call left running outlives its caller.
  HandlerAnswer Call(const HandlerWait& wait, CallBody body) {
    if (thread_->Abandoned()) {
      return HandlerAnswer{R::kBusy};
    }
    auto activity = std::make_shared<TaskActivity>();
    auto left = std::make_shared<LeftCall>(classId_);
    const TaskWait waited = thread_->Run(
        [session = session_, activity, body = std::move(body)] {
          auto* callback = new ProgressCallback(activity);
          body(*session, callback, *activity);
          callback->Release();
        },
        activity, wait.limit, [&wait, &activity] { return wait.idle && wait.idle(activity->Bytes()); },
        [left] { left->End(); });
    if (thread_->Abandoned()) {
      left->Mark();
    }
    switch (waited) {
      case TaskWait::kDone: return session_->answer;
      case TaskWait::kTimedOut: return HandlerAnswer{R::kTimedOut};
      case TaskWait::kStopped: break;
    }
    return thread_->Abandoned() ? HandlerAnswer{R::kStopped} : session_->answer;
  }

  std::unique_ptr<ApartmentThread> thread_;
  std::string classId_;
  std::shared_ptr<Session> session_;
  HandlerTexts texts_;
};

}  // namespace

OpenedHandler Win32DiskCleanupHandlers::Open(const RegisteredHandler& handler, std::string_view volume,
                                             const HandlerWait& wait) {
  OpenedHandler opened;
  if (Busy().Contains(handler.classId)) {
    opened.answer.result = R::kBusy;
    return opened;
  }
  auto thread = ApartmentThread::Start();
  if (!thread) {
    opened.answer = HandlerAnswer{R::kFailed, CodeOf(HRESULT_FROM_WIN32(::GetLastError()))};
    return opened;
  }
  auto object = std::make_unique<Win32DiskCleanupHandler>(std::move(thread), handler.classId);
  opened.answer = object->Initialize(handler, volume, wait);
  opened.texts = object->Texts();
  if (opened.answer.result == R::kDone) {
    opened.handler = std::move(object);
  }
  return opened;
}

}  // namespace sw::platform::win32
