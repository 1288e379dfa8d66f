#pragma once
// THTTPGet, the download component: fetches one address into a file (GetFile) or a string
// (GetString) on a worker thread of its own, one worker at a time. The worker works on
// copies of the properties and shares nothing with the owner's thread but the hand-over:
// each event is posted through the UiDispatcher and runs on the owner's thread while the
// worker waits for its handler to return.
//
// Blocks of at most 1025 bytes are read, and OnProgress follows every block. A download to
// a file succeeds only when it brought exactly the announced content length (so a reply
// without one succeeds only when empty); a string download when at least one byte came. A
// reply with an error status (404, 500, ...) fails: its page is not the file asked for. A
// failure before the transfer leaves the target file untouched, a failure during it leaves
// the part that came.
//
// Every request has connect and receive time-outs (30 s each unless set otherwise); a
// Deadline bounds the whole download, for a server that keeps a download alive by
// trickling a byte now and then, its status line and headers included: the download fails
// at the deadline even where the system cannot end a request that waits on the network
// (Wine's WinINet), and its worker, left behind, ends on its own without touching the
// component, its events or its target file again. MaxSize bounds what is taken in (a larger
// reply fails before anything of it is written when its length says so, else once it grows
// past it).
//
// The Http, FileSystem and UiDispatcher given must outlive the component's downloads.
// Destroying it aborts a running download and waits a moment for its worker (one the
// network holds is left behind as above); it may be destroyed from inside one of its own
// event handlers.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "online/ui_dispatcher.h"
#include "platform/file_system.h"
#include "platform/http.h"

namespace sw::online {

// The largest block one read asks for.
inline constexpr std::size_t kDownloadBlockSize = 1025;

struct WorkerLink;
struct DownloadJob;
struct DownloadOutcome;

class THTTPGet {
 public:
  using ProgressEvent = std::function<void(THTTPGet& sender, std::uint64_t totalSize, std::uint64_t bytesRead)>;
  using DoneFileEvent = std::function<void(THTTPGet& sender, const std::string& fileName, std::uint64_t fileSize)>;
  using DoneStringEvent = std::function<void(THTTPGet& sender, const std::string& result)>;
  using ErrorEvent = std::function<void(THTTPGet& sender)>;

  THTTPGet(platform::Http& http, platform::FileSystem& files, UiDispatcher& ui);
  ~THTTPGet();
  THTTPGet(const THTTPGet&) = delete;
  THTTPGet& operator=(const THTTPGet&) = delete;

  std::string AcceptTypes = "*/*";
  std::string Agent = "Sweepwise HTTPGet";  // empty: no user agent
  bool BinaryData = false;                  // a reply without a content length fails
  std::string URL;                          // "http://" (or "https://") + host + path; the scheme is optional
  bool UseCache = false;                    // false: always from the server
  std::string FileName;                     // the target of GetFile
  std::string UserName;
  std::string Password;
  std::string PostQuery;  // not empty: a POST with this form body
  std::string Referer;
  // GetFile: return only after the download's completion event has run, handling the
  // owner's pending work meanwhile. GetString: handle what is pending once, then return.
  bool WaitThread = false;
  std::uint32_t ConnectTimeout = 30000;  // milliseconds; 0: the system's own
  std::uint32_t ReceiveTimeout = 30000;  // milliseconds without a byte; 0: the system's own
  std::uint32_t Deadline = 0;            // milliseconds for the whole download; 0: none
  std::uint64_t MaxSize = 0;             // bytes; 0: no limit

  ProgressEvent OnProgress;      // after every block: content length (0 when unknown), bytes so far
  DoneFileEvent OnDoneFile;      // a successful GetFile
  DoneStringEvent OnDoneString;  // a successful GetString
  ErrorEvent OnError;            // a failed or aborted download

  // Start a download; false (and nothing started) while a worker runs, or when no thread
  // could be started.
  bool GetFile();
  bool GetString();
  // Asks the running worker to stop at its next check and marks the download failed.
  void Abort();

  [[nodiscard]] bool Running() const { return link_ != nullptr; }
  // The result of the last finished download, and why it failed.
  [[nodiscard]] bool Succeeded() const { return succeeded_; }
  [[nodiscard]] const std::string& ErrorText() const { return errorText_; }

 private:
  bool Start(bool toFile);
  void Finish(const DownloadOutcome& outcome);
  void Detach();
  void JoinThreads(const std::shared_ptr<WorkerLink>& link);
  // The worker's whole life; it sees only its job and the link.
  static void Work(const DownloadJob& job, const std::shared_ptr<WorkerLink>& link);
  // The deadline's watch of one download, on a thread of its own.
  static void WatchDeadline(UiDispatcher& ui, const std::shared_ptr<WorkerLink>& link, std::uint32_t deadlineMs);

  platform::Http& http_;
  platform::FileSystem& files_;
  UiDispatcher& ui_;
  std::shared_ptr<WorkerLink> link_;  // of the running worker
  std::shared_ptr<WorkerLink> last_;  // of the last worker started, until its thread is joined
  std::thread worker_;
  std::thread watchdog_;  // the deadline of the running download
  bool succeeded_ = false;
  std::string errorText_;
};

}  // namespace sw::online
