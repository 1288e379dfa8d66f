// The download component against the tests' own server: what counts as a complete
// download, what is left of a failed one, Abort at the next block, and a component that goes
// while its worker runs.

#include "online/http_get.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "online/loopback_fixture.h"
#include "online/queue_dispatcher.h"
#include "support/file_fixture.h"
#include "support/forwarding_file_system.h"

namespace sw::online {
namespace {

using test::ReadFileBytes;
using test::ServerPattern;
using test::WriteFileBytes;

struct Events {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;  // total, read
  int doneFile = 0;
  int doneString = 0;
  int errors = 0;
  std::string lastError;  // what the last failure said, for the message of a failed check
  std::string fileName;
  std::uint64_t fileSize = 0;
  std::string text;
  std::vector<std::thread::id> threads;  // where each event ran
};

class LoopbackHttpGet : public test::LoopbackFixture {
 protected:
  std::unique_ptr<THTTPGet> Make(std::string_view path) {
    auto get = std::make_unique<THTTPGet>(*platform_.http, *platform_.files, ui_);
    get->URL = Url(path);
    get->FileName = ProgramFile("download.bin");
    get->WaitThread = true;
    get->OnProgress = [this](THTTPGet&, std::uint64_t total, std::uint64_t read) {
      events_.progress.emplace_back(total, read);
      events_.threads.push_back(std::this_thread::get_id());
    };
    get->OnDoneFile = [this](THTTPGet&, const std::string& name, std::uint64_t size) {
      events_.threads.push_back(std::this_thread::get_id());
      ++events_.doneFile;
      events_.fileName = name;
      events_.fileSize = size;
    };
    get->OnDoneString = [this](THTTPGet&, const std::string& text) {
      ++events_.doneString;
      events_.text = text;
    };
    get->OnError = [this](THTTPGet& sender) {
      ++events_.errors;
      events_.lastError = sender.ErrorText();
    };
    return get;
  }

  // GetString does not wait: the test's thread drains the events itself.
  void WaitFor(THTTPGet& get) {
    PumpUntil([&get] { return !get.Running(); });
  }

  std::string Downloaded() { return ReadFileBytes(HostProgramFile("download.bin")); }

  Events events_;
};

TEST_F(LoopbackHttpGet, GetFileBringsTheWholeReplyInBlocksOfAtMost1025Bytes) {
  auto get = Make("/t/file?size=5000");
  ASSERT_TRUE(get->GetFile());
  EXPECT_FALSE(get->Running());  // WaitThread: back only after the completion event
  EXPECT_TRUE(get->Succeeded()) << get->ErrorText();
  EXPECT_EQ(events_.doneFile, 1);
  EXPECT_EQ(events_.errors, 0);
  EXPECT_EQ(events_.fileName, ProgramFile("download.bin"));
  EXPECT_EQ(events_.fileSize, 5000U);
  EXPECT_EQ(Downloaded(), ServerPattern(5000));

  ASSERT_GE(events_.progress.size(), 5U);
  std::uint64_t before = 0;
  for (const auto& [total, read] : events_.progress) {
    EXPECT_EQ(total, 5000U);
    EXPECT_GT(read, before);
    EXPECT_LE(read - before, kDownloadBlockSize);
    before = read;
  }
  EXPECT_EQ(before, 5000U);
  // Every event ran on the thread that waited, none on the worker.
  for (const auto thread : events_.threads) {
    EXPECT_EQ(thread, std::this_thread::get_id());
  }
}

TEST_F(LoopbackHttpGet, AddressWithoutSchemeWorksAndHttpsComesWhole) {
  auto bare = Make("/t/file?size=300");
  bare->URL = bare->URL.substr(std::string_view("http://").size());
  bare->GetFile();
  EXPECT_TRUE(bare->Succeeded()) << bare->ErrorText();

  auto secure = Make("/t/file?size=7000");
  secure->URL = TlsUrl("/t/file?size=7000");
  secure->GetFile();
  EXPECT_TRUE(secure->Succeeded()) << secure->ErrorText();
  EXPECT_EQ(Downloaded(), ServerPattern(7000));
}

// A redirect is followed only to HTTPS on the host and port asked: relative or absolute.
// Another port, plain HTTP, or any redirect of a plain-HTTP request fails before anything
// is written.
TEST_F(LoopbackHttpGet, RedirectsOnlyToHttpsOnTheSameHostAndPort) {
  for (const std::string& to : {std::string("/t/file%3Fsize%3D1234"), "https://" + TlsAuthority() + "/t/file%3Fsize%3D1234"}) {
    auto followed = Make("");
    followed->URL = TlsUrl("/t/redirect?to=" + to);
    followed->GetFile();
    EXPECT_TRUE(followed->Succeeded()) << to << ": " << followed->ErrorText();
    EXPECT_EQ(Downloaded(), ServerPattern(1234));
  }
  WriteFileBytes(HostProgramFile("download.bin"), "kept");
  const std::string refused[] = {
      TlsUrl("/t/redirect?to=https://" + Authority() + "/t/file%3Fsize%3D10"),  // another port
      TlsUrl("/t/redirect?to=http://" + TlsAuthority() + "/t/file%3Fsize%3D10"),  // not HTTPS
      TlsUrl("/t/redirect?to=//" + TlsAuthority() + "/t/file%3Fsize%3D10"),       // "another" host
      Url("/t/redirect?to=/t/file%3Fsize%3D10"),                                   // from plain HTTP
  };
  for (const std::string& url : refused) {
    auto get = Make("");
    get->URL = url;
    get->GetFile();
    EXPECT_FALSE(get->Succeeded()) << url;
    EXPECT_NE(get->ErrorText().find("only HTTPS on 127.0.0.1:"), std::string::npos) << url << ": " << get->ErrorText();
  }
  EXPECT_EQ(Downloaded(), "kept");
}

// A larger reply than allowed: refused on its announced length before anything is
// written, and, without one, as soon as it grows past the limit.
TEST_F(LoopbackHttpGet, SizeLimitRefusesALargerReply) {
  WriteFileBytes(HostProgramFile("download.bin"), "kept");
  auto get = Make("/t/file?size=5000");
  get->MaxSize = 4096;
  get->GetFile();
  EXPECT_FALSE(get->Succeeded());
  EXPECT_EQ(get->ErrorText(), "the server's reply is larger than the 4 KB allowed");
  EXPECT_EQ(Downloaded(), "kept");
  EXPECT_TRUE(events_.progress.empty());

  get->URL = Url("/t/nolength?size=5000");
  get->GetString();
  WaitFor(*get);
  EXPECT_FALSE(get->Succeeded());
  EXPECT_EQ(get->ErrorText(), "the server's reply is larger than the 4 KB allowed");
  EXPECT_EQ(events_.doneString, 0);

  get->URL = Url("/t/file?size=4096");
  get->GetFile();
  EXPECT_TRUE(get->Succeeded()) << get->ErrorText();
}

// A server that keeps the download alive with a block now and then never trips the receive
// time-out; the deadline ends it. One that sends nothing trips the receive time-out.
TEST_F(LoopbackHttpGet, DeadlineAndReceiveTimeoutEndStalledDownloads) {
  auto trickle = Make("/t/slow?blocks=30");
  trickle->Deadline = 2500;
  trickle->GetString();
  WaitFor(*trickle);
  EXPECT_FALSE(trickle->Succeeded());
  EXPECT_EQ(trickle->ErrorText(), "the server did not send it all within 2.5 s");
  EXPECT_FALSE(events_.progress.empty()) << "the server did send some blocks";
  EXPECT_EQ(events_.doneString, 0);

  auto silent = Make("/t/stall?seconds=20");
  silent->ReceiveTimeout = 1500;
  silent->GetFile();
  EXPECT_FALSE(silent->Succeeded());
  // The socket hands over the five bytes that came; WinINet fails the whole read.
  EXPECT_TRUE(silent->ErrorText().starts_with("the reply ended after ")) << silent->ErrorText();
  EXPECT_TRUE(silent->ErrorText().ends_with(" of 10 bytes")) << silent->ErrorText();
}

// An error page is not the file asked for, and a failure before the transfer leaves the
// target as it was.
TEST_F(LoopbackHttpGet, ErrorStatusFailsAndLeavesTheTargetUntouched) {
  WriteFileBytes(HostProgramFile("download.bin"), "earlier contents");
  auto get = Make("/t/missing");
  get->GetFile();
  EXPECT_FALSE(get->Succeeded());
  EXPECT_EQ(events_.errors, 1);
  EXPECT_EQ(events_.doneFile, 0);
  EXPECT_NE(get->ErrorText().find("404"), std::string::npos) << get->ErrorText();
  EXPECT_EQ(Downloaded(), "earlier contents");

  get->GetString();
  WaitFor(*get);
  EXPECT_EQ(events_.errors, 2);
  EXPECT_EQ(events_.doneString, 0);
}

TEST_F(LoopbackHttpGet, ReplyWithoutLengthCompletesAFileOnlyWhenEmpty) {
  auto get = Make("/t/nolength?size=3000");
  get->GetFile();
  EXPECT_FALSE(get->Succeeded());
  EXPECT_EQ(events_.errors, 1);
  EXPECT_EQ(Downloaded(), ServerPattern(3000));  // what came stays
  for (const auto& [total, read] : events_.progress) {
    EXPECT_EQ(total, 0U);
  }

  get->URL = Url("/t/nolength?size=0");
  get->GetFile();
  EXPECT_TRUE(get->Succeeded()) << get->ErrorText();
  EXPECT_EQ(events_.doneFile, 1);
  EXPECT_EQ(events_.fileSize, 0U);

  // BinaryData refuses a reply without a length before anything is written.
  WriteFileBytes(HostProgramFile("download.bin"), "kept");
  get->BinaryData = true;
  get->GetFile();
  EXPECT_FALSE(get->Succeeded());
  EXPECT_EQ(Downloaded(), "kept");
}

TEST_F(LoopbackHttpGet, StringModeNeedsOnlySomeBytes) {
  auto get = Make("/t/nolength?size=2100");
  ASSERT_TRUE(get->GetString());
  WaitFor(*get);
  EXPECT_TRUE(get->Succeeded()) << get->ErrorText();
  EXPECT_EQ(events_.doneString, 1);
  EXPECT_EQ(events_.text, ServerPattern(2100));

  get->URL = Url("/t/nolength?size=0");
  get->GetString();
  WaitFor(*get);
  EXPECT_FALSE(get->Succeeded());
  EXPECT_EQ(events_.errors, 1);
}

TEST_F(LoopbackHttpGet, ReplyShorterThanItsLengthFailsAndKeepsThePart) {
  auto get = Make("/t/short?size=5000&sent=2000");
  get->GetFile();
  EXPECT_FALSE(get->Succeeded());
  EXPECT_EQ(events_.errors, 1);
  EXPECT_EQ(events_.doneFile, 0);
  EXPECT_EQ(Downloaded(), ServerPattern(2000));
  ASSERT_FALSE(events_.progress.empty());
  EXPECT_EQ(events_.progress.back(), std::make_pair(std::uint64_t{5000}, std::uint64_t{2000}));
}

// The server sends a block a second for half a minute; Abort in the first progress event
// ends the download before another block is read.
TEST_F(LoopbackHttpGet, AbortStopsAtTheNextBlock) {
  auto get = Make("/t/slow?blocks=30");
  get->OnProgress = [this](THTTPGet& sender, std::uint64_t total, std::uint64_t read) {
    events_.progress.emplace_back(total, read);
    sender.Abort();
  };
  get->GetFile();
  EXPECT_FALSE(get->Succeeded());
  EXPECT_EQ(get->ErrorText(), "the download was cancelled");
  EXPECT_EQ(events_.errors, 1);
  ASSERT_EQ(events_.progress.size(), 1U);
  EXPECT_EQ(events_.progress[0].first, 30000U);
  EXPECT_LE(Downloaded().size(), kDownloadBlockSize);
}

TEST_F(LoopbackHttpGet, OneWorkerAtATime) {
  auto get = Make("/t/slow?blocks=30");
  get->WaitThread = false;
  ASSERT_TRUE(get->GetFile());
  EXPECT_TRUE(get->Running());
  EXPECT_FALSE(get->GetFile());
  EXPECT_FALSE(get->GetString());
  PumpUntil([this] { return !events_.progress.empty(); });
  get->Abort();
  WaitFor(*get);
  EXPECT_EQ(events_.errors, 1);
  EXPECT_FALSE(get->Succeeded());
}

TEST_F(LoopbackHttpGet, RequestCarriesTheProperties) {
  auto get = Make("/t/headers");
  get->Agent = "Sweepwise Test Agent";
  get->Referer = "http://127.0.0.1/from";
  get->AcceptTypes = "text/plain";
  get->GetString();
  WaitFor(*get);
  ASSERT_TRUE(get->Succeeded()) << get->ErrorText();
  const std::string& head = events_.text;
  EXPECT_TRUE(head.starts_with("GET /t/headers HTTP/1.0")) << head;
  EXPECT_NE(head.find("User-Agent: Sweepwise Test Agent"), std::string::npos) << head;
  EXPECT_NE(head.find("Referer: http://127.0.0.1/from"), std::string::npos) << head;
  EXPECT_NE(head.find("Accept: text/plain"), std::string::npos) << head;

  get->PostQuery = "a=1&b=two";
  get->GetString();
  WaitFor(*get);
  ASSERT_TRUE(get->Succeeded()) << get->ErrorText();
  EXPECT_TRUE(events_.text.starts_with("POST /t/headers HTTP/1.0")) << events_.text;
  EXPECT_NE(events_.text.find("Content-Type: application/x-www-form-urlencoded"), std::string::npos);
  EXPECT_TRUE(events_.text.ends_with("\r\n\r\na=1&b=two")) << events_.text;
}

// Nothing of a component outlives it: destroyed while its worker waits on the network, or
// from inside its own event, no event of it runs any more.
TEST_F(LoopbackHttpGet, DestroyingTheComponentEndsItsWorker) {
  auto get = Make("/t/slow?blocks=30");
  get->WaitThread = false;
  ASSERT_TRUE(get->GetFile());
  PumpUntil([this] { return !events_.progress.empty(); });
  get.reset();
  ui_.ProcessPending(false);
  EXPECT_EQ(events_.progress.size(), 1U);
  EXPECT_EQ(events_.errors, 0);

  auto self = Make("/t/slow?blocks=30");
  self->OnProgress = [&self, this](THTTPGet&, std::uint64_t total, std::uint64_t read) {
    events_.progress.emplace_back(total, read);
    self.reset();
  };
  self->GetFile();  // returns once the component is gone
  EXPECT_EQ(self, nullptr) << events_.lastError;
  ui_.ProcessPending(false);
  EXPECT_EQ(events_.progress.size(), 2U);
  EXPECT_EQ(events_.errors, 0) << events_.lastError;
}

// Wine's WinINet, made here: a request that waits for a server's head, and that closing its
// handle (Cancel) does not end. Send returns only when the test lets it, then the head comes
// and the body would follow.
class HeldHttp final : public platform::Http {
 public:
  struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    bool cancelled = false;
    bool released = false;  // the worker has let go of its exchange: it is ending
    bool holdBody = false;  // Send returns at once and the second block waits instead
    int reads = 0;
  };

  Result<std::uint32_t> ConnectionFlags() override { return platform::kConnectionLan; }
  std::unique_ptr<platform::HttpExchange> NewExchange() override { return std::make_unique<Exchange>(gate_); }

  void Open() {
    {
      const std::lock_guard lock(gate_->mutex);
      gate_->open = true;
    }
    gate_->opened.notify_all();
  }
  [[nodiscard]] std::shared_ptr<Gate> gate() const { return gate_; }

 private:
  class Exchange final : public platform::HttpExchange {
   public:
    explicit Exchange(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
    ~Exchange() override {
      const std::lock_guard lock(gate_->mutex);
      gate_->released = true;
    }
    Status Send(const platform::HttpRequest&) override {
      std::unique_lock lock(gate_->mutex);
      gate_->opened.wait(lock, [this] { return gate_->open || gate_->holdBody; });
      return {};
    }
    std::uint32_t StatusCode() override { return 200; }
    std::optional<std::string> ContentLength() override { return "4"; }
    Result<std::size_t> Read(std::span<std::uint8_t> buffer) override {
      std::unique_lock lock(gate_->mutex);
      if (gate_->reads++ > 0) {
        gate_->opened.wait(lock, [this] { return gate_->open; });
        return std::size_t{0};
      }
      std::fill_n(buffer.begin(), 4, std::uint8_t{'x'});
      return std::size_t{4};
    }
    void Cancel() override {
      const std::lock_guard lock(gate_->mutex);
      gate_->cancelled = true;  // and nothing else: the pending Send goes on waiting
    }

   private:
    std::shared_ptr<Gate> gate_;
  };

  std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
};

// The download fails at its deadline although its worker cannot be woken; the worker, let go
// when its request returns at last, writes nothing and calls nobody, and the component is
// gone long before.
class HttpGetDeadline : public test::FileFixture {};

TEST_F(HttpGetDeadline, ARequestTheSystemCannotEndStillEndsAtTheDeadline) {
  HeldHttp http;
  QueueDispatcher ui;
  const std::filesystem::path target = Host("held.bin");
  int errors = 0;
  int other = 0;
  std::string error;
  {
    THTTPGet get(http, files(), ui);
    get.URL = "http://127.0.0.1:9/held";
    get.FileName = At("held.bin");
    get.Deadline = 300;
    get.OnError = [&](THTTPGet& sender) {
      ++errors;
      error = sender.ErrorText();
    };
    get.OnDoneFile = [&](THTTPGet&, const std::string&, std::uint64_t) { ++other; };
    get.OnProgress = [&](THTTPGet&, std::uint64_t, std::uint64_t) { ++other; };
    ASSERT_TRUE(get.GetFile());
    while (get.Running()) {
      ui.ProcessPending(true);
    }
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(error, "the server did not send it all within 0.3 s");
    const std::lock_guard lock(http.gate()->mutex);
    EXPECT_TRUE(http.gate()->cancelled) << "the system was asked to end the request first";
  }  // destroyed while its worker still waits

  const auto released = [&] {
    const std::lock_guard lock(http.gate()->mutex);
    return http.gate()->released;
  };
  EXPECT_FALSE(released()) << "the worker still waits on its request";
  http.Open();  // the head comes at last, and the worker ends on its own
  while (!released()) {
    std::this_thread::yield();
  }
  ui.ProcessPending(false);
  EXPECT_EQ(other, 0) << "no event of the component ran after it let go";
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(http.gate()->reads, 0) << "nothing more was read";
  EXPECT_FALSE(std::filesystem::exists(target)) << "nothing was written after the deadline";
}

// Counts the files open for writing: a component that let go of its worker keeps none.
class CountedWriters final : public test::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  Result<std::unique_ptr<platform::FileWriter>> OpenForWriting(std::string_view p, platform::CreateMode m) override {
    auto writer = real_.OpenForWriting(p, m);
    if (!writer) {
      return writer;
    }
    return std::unique_ptr<platform::FileWriter>(std::make_unique<Counted>(open_, std::move(*writer)));
  }
  [[nodiscard]] int open() const { return open_.load(); }

 private:
  class Counted final : public platform::FileWriter {
   public:
    Counted(std::atomic<int>& open, std::unique_ptr<platform::FileWriter> real) : open_(open), real_(std::move(real)) {
      ++open_;
    }
    ~Counted() override { --open_; }
    Status Write(std::span<const std::uint8_t> data) override { return real_->Write(data); }
    Status Commit() override { return real_->Commit(); }

   private:
    std::atomic<int>& open_;
    std::unique_ptr<platform::FileWriter> real_;
  };

  std::atomic<int> open_{0};
};

// Destroyed while its worker waits on a block the network does not deliver (and closing the
// request does not end, as with Wine's WinINet), the component closes its target file at
// once: the next download to that name must not find it held.
TEST_F(HttpGetDeadline, LettingGoOfAWaitingWorkerClosesItsFile) {
  HeldHttp http;
  http.gate()->holdBody = true;
  CountedWriters counted(files());
  QueueDispatcher ui;
  int events = 0;
  {
    THTTPGet get(http, counted, ui);
    get.URL = "http://127.0.0.1:9/held";
    get.FileName = At("held.bin");
    get.OnProgress = [&](THTTPGet&, std::uint64_t, std::uint64_t) { ++events; };
    get.OnError = [&](THTTPGet&) { ++events; };
    ASSERT_TRUE(get.GetFile());
    while (events == 0) {
      ui.ProcessPending(true);
    }
    EXPECT_EQ(counted.open(), 1) << "the first block is being written";
    const auto waiting = [&] {
      const std::lock_guard lock(http.gate()->mutex);
      return http.gate()->reads == 2;
    };
    while (!waiting()) {
      std::this_thread::yield();
    }
  }  // destroyed while its worker waits for the second block
  EXPECT_EQ(counted.open(), 0) << "the component's file was closed with it";
  // Under Wine the real file system refuses a second writer while the first is open.
  EXPECT_TRUE(files().OpenForWriting(At("held.bin"), platform::CreateMode::CreateAlways).has_value())
      << "the next download may write the same file";

  const auto released = [&] {
    const std::lock_guard lock(http.gate()->mutex);
    return http.gate()->released;
  };
  http.Open();
  while (!released()) {
    std::this_thread::yield();
  }
  ui.ProcessPending(false);
  EXPECT_EQ(events, 1) << "no event ran after the component let go";
}

}  // namespace
}  // namespace sw::online
