#include "online/http_get.h"

#include <array>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

#include "platform/error_message.h"
#include "platform/http_url.h"

namespace sw::online {

// What a component, its worker and its deadline watch all touch: the stop flag, the exchange
// (so that Abort can end a wait on the network) and the hand-over of events. Everything else
// the worker has is its own copy.
//
// The worker touches the owner's dispatcher and the target file only while holding the
// mutex and only while `stop` and `closed` are not set, and the owner sets them under the
// mutex: once the owner has let go, a worker that comes back from the network late (Wine's
// WinINet does not end a pending request when its handle is closed) writes nothing more and
// calls nobody; it ends on its own.
struct WorkerLink {
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable answered;
  bool closed = false;     // the component has let go: the worker waits for no handler any more
  bool completed = false;  // a completion has been posted (by the worker, or at the deadline)
  bool expired = false;    // the deadline passed while the download ran
  bool abandoned = false;  // the deadline's completion was posted for a worker that did not return
  bool workerDone = false; // the worker's thread is about to end
  std::shared_ptr<platform::HttpExchange> exchange;
  // The download's target, open while the worker writes it. The link holds it, not the
  // worker: the worker writes only under the lock and while no stop was asked, so whoever
  // lets go of the worker closes the file at once, and a worker still waiting on the network
  // keeps no file of the component's from the next download.
  std::unique_ptr<platform::FileWriter> file;

  // The owner's thread alone reads and writes these.
  THTTPGet* owner = nullptr;
  bool aborted = false;
  bool finished = false;  // the completion event has run

  // Stops the worker at its next check, and ends a wait on the network where the system can.
  void Stop(bool close) {
    std::shared_ptr<platform::HttpExchange> running;
    std::unique_ptr<platform::FileWriter> target;
    {
      const std::lock_guard lock(mutex);
      stop = true;
      closed = closed || close;
      running = exchange;
      if (close) {
        target = std::move(file);
      }
    }
    answered.notify_all();
    if (running) {
      running->Cancel();
    }
  }
};

struct DownloadJob {
  platform::Http& http;
  platform::FileSystem& files;
  UiDispatcher& ui;
  std::optional<platform::HttpRequest> request{};  // nullopt: the URL is not valid
  std::string url{};
  bool toFile = false;
  std::string fileName{};
  bool binaryData = false;
  bool reportProgress = false;
  std::uint32_t deadlineMs = 0;
  std::uint64_t maxSize = 0;
};

struct DownloadOutcome {
  bool toFile = false;
  std::string fileName;
  bool ok = false;
  std::uint64_t fileSize = 0;
  std::string text;   // string mode
  std::string error;  // why it failed
};

namespace {

// Runs `call` with the owner on the owner's thread and waits until it has returned, or
// until the owner has let go (then the call may never run, and must not need to). Posted
// under the link's lock, so that no post reaches a dispatcher the owner has let go of.
void CallOwner(UiDispatcher& ui, const std::shared_ptr<WorkerLink>& link, std::function<void(THTTPGet&)> call) {
  auto ran = std::make_shared<bool>(false);
  std::unique_lock lock(link->mutex);
  if (link->closed) {
    return;
  }
  const bool posted = ui.Post([link, ran, call = std::move(call)] {
    if (link->owner != nullptr) {
      call(*link->owner);
    }
    {
      const std::lock_guard done(link->mutex);
      *ran = true;
    }
    link->answered.notify_all();
  });
  if (!posted) {
    return;
  }
  link->answered.wait(lock, [&] { return *ran || link->closed; });
}

// Posts the download's completion, unless one was posted already (the deadline's, for a
// worker that had not returned by then).
void PostCompletion(UiDispatcher& ui, const std::shared_ptr<WorkerLink>& link, std::function<void(THTTPGet&)> finish) {
  {
    const std::lock_guard lock(link->mutex);
    if (link->completed) {
      return;
    }
    link->completed = true;
  }
  CallOwner(ui, link, std::move(finish));
}

std::optional<std::uint64_t> ParseLength(const std::optional<std::string>& text) {
  if (!text || text->empty()) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size()) {
    return std::nullopt;
  }
  return value;
}

std::string Seconds(std::uint32_t milliseconds) {
  const std::uint32_t tenths = (milliseconds + 50) / 100;
  return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " s";
}

std::string DeadlineError(std::uint32_t deadlineMs) {
  return "the server did not send it all within " + Seconds(deadlineMs);
}

// How long the deadline's watch gives a cancelled worker to come back with its own end
// before it posts the download's failure for it.
constexpr auto kCancelGrace = std::chrono::milliseconds(500);


// The worker's steps, on its own thread: each failure ends the download with its reason.
class Transfer {
 public:
  Transfer(const DownloadJob& job, const std::shared_ptr<WorkerLink>& link) : job_(job), link_(link) {
    outcome_.toFile = job.toFile;
    outcome_.fileName = job.fileName;
  }

  DownloadOutcome Run() {
    if (Request() && ReadBody()) {
      outcome_.ok = true;
    }
    const std::lock_guard lock(link_->mutex);
    // Even a string that came in part is no result once the deadline cut it short.
    if (link_->expired) {
      outcome_.ok = false;
      outcome_.error = DeadlineError(job_.deadlineMs);
    }
    link_->exchange.reset();
    link_->file.reset();
    return outcome_;
  }

 private:
  bool Fail(std::string reason) {
    outcome_.error = std::move(reason);
    return false;
  }
  // Abort's check points: before connecting, after the request, before every block.
  bool Stopped() {
    if (!link_->stop.load()) {
      return false;
    }
    outcome_.error = "the download was cancelled";
    return true;
  }

  // Runs `step` (a write to the target file) while holding the link's lock, unless the owner
  // has stopped the download; then the download fails as cancelled.
  template <class Step>
  bool WhileWanted(Step step) {
    const std::lock_guard lock(link_->mutex);
    if (link_->stop.load()) {
      outcome_.error = link_->expired ? DeadlineError(job_.deadlineMs) : "the download was cancelled";
      return false;
    }
    return step();
  }

  bool Request();
  bool ReadBody();
  [[nodiscard]] std::string TooLarge() const;
  bool Receive(bool toFile);

  const DownloadJob& job_;
  const std::shared_ptr<WorkerLink>& link_;
  std::shared_ptr<platform::HttpExchange> exchange_;
  DownloadOutcome outcome_;
  bool knownLength_ = false;
  std::uint64_t readTotal_ = 0;
};

// Connects, sends the request and takes in the reply's head.
bool Transfer::Request() {
  if (!job_.request) {
    return Fail("the address \"" + job_.url + "\" is not valid");
  }
  if (Stopped()) {
    return false;
  }
  exchange_ = job_.http.NewExchange();
  {
    const std::lock_guard lock(link_->mutex);
    link_->exchange = exchange_;
  }
  if (Stopped()) {
    return false;
  }
  if (const Status sent = exchange_->Send(*job_.request); !sent) {
    if (Stopped()) {
      return false;
    }
    if (sent.error() == platform::HttpError(platform::HttpErrc::RedirectFailed)) {
      return Fail("the server sent the request on to another address; only HTTPS on " + job_.request->host +
                  ":" + std::to_string(job_.request->port) + " is followed");
    }
    return Fail(platform::ErrorMessage(sent.error()));
  }
  if (Stopped()) {
    return false;
  }
  const std::uint32_t status = exchange_->StatusCode();
  if (status < 200 || status > 299) {
    return Fail("the server answered " + std::to_string(status));
  }
  const auto length = ParseLength(exchange_->ContentLength());
  if (Stopped()) {
    return false;
  }
  if (!length && job_.binaryData) {
    return Fail("the server did not say how long its reply is");
  }
  if (length && job_.maxSize != 0 && *length > job_.maxSize) {
    return Fail(TooLarge());
  }
  knownLength_ = length.has_value();
  outcome_.fileSize = length.value_or(0);
  return true;
}

std::string Transfer::TooLarge() const {
  return "the server's reply is larger than the " + std::to_string(job_.maxSize / 1024) + " KB allowed";
}

bool Transfer::ReadBody() {
  if (!job_.toFile) {
    return Receive(false) && (!outcome_.text.empty() || Fail("the server sent nothing"));
  }
  const bool opened = WhileWanted([&] {
    auto opening = job_.files.OpenForWriting(job_.fileName, platform::CreateMode::CreateAlways);
    if (!opening) {
      return Fail("cannot write " + job_.fileName + ": " + platform::ErrorMessage(opening.error()));
    }
    link_->file = std::move(*opening);
    return true;
  });
  // What came stays in the file; the link closes it when the worker ends.
  if (!opened || !Receive(true)) {
    return false;
  }
  if (readTotal_ != outcome_.fileSize) {
    return Fail(knownLength_ ? "the reply ended after " + std::to_string(readTotal_) + " of " +
                                   std::to_string(outcome_.fileSize) + " bytes"
                             : "the server did not say how long its reply is");
  }
  return WhileWanted([&] {
    if (const Status committed = link_->file->Commit(); !committed) {
      return Fail("cannot write " + job_.fileName + ": " + platform::ErrorMessage(committed.error()));
    }
    return true;
  });
}

// The block loop: stops at the reply's end or at the first failed read.
bool Transfer::Receive(bool toFile) {
  std::array<std::uint8_t, kDownloadBlockSize> block{};
  for (;;) {
    if (Stopped()) {
      return false;
    }
    const auto read = exchange_->Read(block);
    if (!read || *read == 0) {
      return true;
    }
    if (job_.maxSize != 0 && readTotal_ + *read > job_.maxSize) {
      return Fail(TooLarge());
    }
    const std::span<const std::uint8_t> bytes(block.data(), *read);
    if (toFile) {
      const bool written = WhileWanted([&] {
        if (const Status status = link_->file->Write(bytes); !status) {
          return Fail("cannot write " + job_.fileName + ": " + platform::ErrorMessage(status.error()));
        }
        return true;
      });
      if (!written) {
        return false;
      }
    } else {
      outcome_.text.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    readTotal_ += *read;
    if (job_.reportProgress) {
      const std::uint64_t total = outcome_.fileSize;
      const std::uint64_t done = readTotal_;
      CallOwner(job_.ui, link_, [total, done](THTTPGet& owner) {
        if (owner.OnProgress) {
          owner.OnProgress(owner, total, done);
        }
      });
    }
  }
}

}  // namespace

THTTPGet::THTTPGet(platform::Http& http, platform::FileSystem& files, UiDispatcher& ui)
    : http_(http), files_(files), ui_(ui) {}

THTTPGet::~THTTPGet() {
  Detach();
}

// Lets go of the running worker (it stops at once, no event of it runs any more) and waits a
// moment for its thread; one that waits on a network that will not let it go is left to end
// on its own.
void THTTPGet::Detach() {
  std::shared_ptr<WorkerLink> link = link_ ? link_ : last_;
  if (link_) {
    link_->owner = nullptr;
    link_->Stop(true);
    link_.reset();
  }
  JoinThreads(link);
}

void THTTPGet::JoinThreads(const std::shared_ptr<WorkerLink>& link) {
  if (watchdog_.joinable()) {
    watchdog_.join();  // it ends as soon as the download has completed or was let go
  }
  if (!worker_.joinable()) {
    return;
  }
  bool done = true;
  if (link) {
    std::unique_lock lock(link->mutex);
    done = link->answered.wait_for(lock, kCancelGrace, [&] { return link->workerDone; });
  }
  if (done) {
    worker_.join();
  } else {
    worker_.detach();
  }
}

bool THTTPGet::GetFile() {
  return Start(true);
}

bool THTTPGet::GetString() {
  return Start(false);
}

void THTTPGet::Abort() {
  if (!link_) {
    return;
  }
  link_->aborted = true;
  link_->Stop(false);
}

bool THTTPGet::Start(bool toFile) {
  if (link_) {
    return false;
  }
  JoinThreads(last_);  // the last worker has handed over its completion and is ending
  last_.reset();
  DownloadJob job{http_, files_, ui_};
  job.url = URL;
  if (auto parts = platform::SplitUrl(URL)) {
    platform::HttpRequest request;
    request.secure = parts->secure;
    request.host = std::move(parts->host);
    request.port = parts->port;
    request.path = std::move(parts->path);
    request.postBody = PostQuery;
    request.agent = Agent;
    request.userName = UserName;
    request.password = Password;
    request.referer = Referer;
    request.acceptTypes = AcceptTypes;
    request.useCache = UseCache;
    request.connectTimeoutMs = ConnectTimeout;
    request.receiveTimeoutMs = ReceiveTimeout;
    job.request = std::move(request);
  }
  job.toFile = toFile;
  job.fileName = FileName;
  job.binaryData = BinaryData;
  job.reportProgress = static_cast<bool>(OnProgress);
  job.deadlineMs = Deadline;
  job.maxSize = MaxSize;

  auto link = std::make_shared<WorkerLink>();
  link->owner = this;
  try {
    worker_ = std::thread(&THTTPGet::Work, std::move(job), link);
  } catch (const std::system_error&) {
    errorText_ = "no thread could be started for the download";
    return false;
  }
  link_ = link;
  last_ = link;
  if (Deadline != 0) {
    try {
      watchdog_ = std::thread(&THTTPGet::WatchDeadline, std::ref(ui_), link, Deadline);
    } catch (const std::system_error&) {
      // Without its watch the download still ends at the connection's own time-outs.
    }
  }
  if (!WaitThread) {
    return true;
  }
  if (!toFile) {
    ui_.ProcessPending(false);
    return true;
  }
  // A handler run in here may destroy this component: from now on only locals are used
  // until the link says it is still there.
  UiDispatcher& ui = ui_;
  while (link->owner != nullptr && !link->finished) {
    if (!ui.ProcessPending(true)) {
      // The program is ending: nobody waits for this download's events any more.
      if (link->owner != nullptr) {
        Detach();
      }
      break;
    }
  }
  return true;
}

void THTTPGet::Finish(const DownloadOutcome& outcome) {
  const std::shared_ptr<WorkerLink> link = link_;
  succeeded_ = outcome.ok && !link->aborted;
  errorText_ = succeeded_ ? std::string() : link->aborted ? "the download was cancelled" : outcome.error;
  // A handler may destroy this component; the link tells whether it is still there.
  if (!succeeded_) {
    if (OnError) {
      OnError(*this);
    }
  } else if (outcome.toFile) {
    if (OnDoneFile) {
      OnDoneFile(*this, outcome.fileName, outcome.fileSize);
    }
  } else if (OnDoneString) {
    OnDoneString(*this, outcome.text);
  }
  link->finished = true;
  if (link->owner != this) {
    return;  // destroyed inside a handler
  }
  link->owner = nullptr;
  link_.reset();
  if (link->abandoned) {
    link->Stop(true);  // a worker that comes back late calls nobody and writes nothing
  }
}

}  // namespace sw::online

namespace sw::online {

void THTTPGet::Work(const DownloadJob& job, const std::shared_ptr<WorkerLink>& link) {
  DownloadOutcome outcome;
  try {
    outcome = Transfer(job, link).Run();
  } catch (const std::exception& error) {
    // Nothing may leave a thread; the download has failed.
    outcome.toFile = job.toFile;
    outcome.error = error.what();
  }
  PostCompletion(job.ui, link, [outcome = std::move(outcome)](THTTPGet& owner) { owner.Finish(outcome); });
  {
    const std::lock_guard lock(link->mutex);
    link->workerDone = true;
  }
  link->answered.notify_all();
}

// The deadline of one download, on a thread of its own: at the deadline the exchange is
// cancelled, and a worker that has not come back a moment later (a request the system does
// not end when its handle is closed) is left behind: the download fails at once, and the
// worker ends on its own whenever the network lets it.
void THTTPGet::WatchDeadline(UiDispatcher& ui, const std::shared_ptr<WorkerLink>& link, std::uint32_t deadlineMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
  std::unique_lock lock(link->mutex);
  if (link->answered.wait_until(lock, deadline, [&] { return link->completed || link->closed; })) {
    return;
  }
  link->expired = true;
  lock.unlock();
  link->Stop(false);
  lock.lock();
  if (link->answered.wait_for(lock, kCancelGrace, [&] { return link->completed || link->closed; })) {
    return;
  }
  link->abandoned = true;
  lock.unlock();
  DownloadOutcome failed;
  failed.error = DeadlineError(deadlineMs);
  PostCompletion(ui, link, [failed](THTTPGet& owner) { owner.Finish(failed); });
}

}  // namespace sw::online
