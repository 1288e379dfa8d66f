// The six-second timer pass and the memory reclaim, over a stand-in block and figures the
// test sets (ScriptedFigures, in both builds) and a clock only the test moves: no test takes
// a share of the machine's memory or waits for ten minutes to pass.

#include "sysinfo/memory_monitor.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

#include "core/language.h"
#include "support/scripted_figures.h"

namespace sw::sysinfo {
namespace {

constexpr std::uint64_t kMB = 1024 * 1024;

// What the reclaim did with its blocks.
struct StreamLog {
  std::vector<std::uint64_t> sizesAsked;
  std::vector<std::uint64_t> refusedSizes;  // SetSize fails for these
  int streams = 0;
  int alive = 0;
  std::uint64_t writes = 0;
  std::uint64_t bytesWritten = 0;
  bool rewound = false;
};

class StandInStream final : public RegainStream {
 public:
  explicit StandInStream(StreamLog& log) : log_(log) { ++log_.alive; }
  ~StandInStream() override { --log_.alive; }

  bool SetSize(std::uint64_t size) override {
    log_.sizesAsked.push_back(size);
    const bool refused = std::find(log_.refusedSizes.begin(), log_.refusedSizes.end(), size) != log_.refusedSizes.end();
    size_ = refused ? 0 : size;
    return !refused;
  }
  void Rewind() override {
    log_.rewound = true;
    position_ = 0;
  }
  bool Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() > size_ - position_) {
      return false;
    }
    if (log_.writes == 0) {  // the same zeroed buffer every time
      EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; }));
    }
    position_ += bytes.size();
    ++log_.writes;
    log_.bytesWritten += bytes.size();
    return true;
  }

 private:
  StreamLog& log_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

class PageSink final : public EngineSink {
 public:
  void ShowStatus(std::string_view) override {}
  void SetProgressMax(std::uint64_t maximum) override { progressMax = maximum; }
  void SetProgress(std::uint64_t position) override { progress.push_back(position); }
  void AddRow(const ResultRow&) override {}
  Answer Ask(const Message& message) override {
    messages.push_back(message);
    return Answer::Ok;
  }
  void ProcessMessages() override { ++pumps; }
  // As the window's sink does: the messages run, then Stop is asked.
  bool ShouldStop() override {
    ProcessMessages();
    ++stopQuestions;
    return stopAfter >= 0 && stopQuestions > stopAfter;
  }

  int stopAfter = -1;  // Stop is pressed after this many questions; never when negative
  int stopQuestions = 0;
  std::uint64_t progressMax = 0;
  std::vector<std::uint64_t> progress;
  std::vector<Message> messages;
  int pumps = 0;
};

class MemoryMonitorTest : public ::testing::Test {
 protected:
  MemoryMonitorTest() {
    SetFree(512 * kMB, 256 * kMB);
    monitor_.hooks.alertsEnabled = [this] { return alerts_; };
    monitor_.hooks.showAlert = [this](const std::string& text) { alertTexts_.push_back(text); };
    monitor_.hooks.internetConnected = [this] {
      ++connectionQueries_;
      return connected_;
    };
    monitor_.hooks.startUpdateCheck = [this] { ++updateChecks_; };
  }

  // The commit still available is the physical total unless the test says otherwise.
  void SetFree(std::uint64_t total, std::uint64_t free, std::optional<std::uint64_t> commit = std::nullopt) {
    figures_.SetMemory(total, free, commit.value_or(total));
  }
  void Wait(std::chrono::milliseconds time) { now_ += time; }
  void Ticks(int passes) {
    for (int i = 0; i < passes; ++i) {
      monitor_.Timer1Timer(sink_);
    }
  }

  test::ScriptedFigures figures_;
  TMemory memory_{figures_};
  StreamLog log_;
  std::chrono::milliseconds now_{1'000'000};
  MemoryMonitor monitor_{memory_,
                         [this] {
                           ++log_.streams;
                           return std::make_unique<StandInStream>(log_);
                         },
                         [this] { return now_; }};
  PageSink sink_;
  bool alerts_ = false;
  bool connected_ = false;
  int connectionQueries_ = 0;
  int updateChecks_ = 0;
  std::vector<std::string> alertTexts_;
};

TEST_F(MemoryMonitorTest, ReclaimOf512MegabytesWrites307BlocksAndFillsTheAfterRow) {
  Ticks(1);
  EXPECT_EQ(monitor_.page().before.text, "256MB");
  SetFree(512 * kMB, 400 * kMB);  // what the pass at the end of the reclaim reads
  monitor_.btnRefreshClick(sink_);

  EXPECT_EQ(log_.sizesAsked, (std::vector<std::uint64_t>{322'122'547}));
  EXPECT_EQ(log_.writes, 307U);
  EXPECT_EQ(log_.bytesWritten, 307 * kMB);
  EXPECT_TRUE(log_.rewound);
  EXPECT_EQ(log_.alive, 0);  // freed
  EXPECT_EQ(sink_.progressMax, 100U);
  ASSERT_GE(sink_.progress.size(), 2U);
  EXPECT_EQ(sink_.progress[sink_.progress.size() - 2], 100U);
  EXPECT_EQ(sink_.progress.back(), 0U);
  EXPECT_TRUE(std::is_sorted(sink_.progress.begin(), sink_.progress.end() - 1));
  EXPECT_TRUE(monitor_.MemAfterRegain());
  EXPECT_EQ(monitor_.TimerTicks(), 2);  // the reclaim's own timer pass counts
  EXPECT_EQ(monitor_.page().before.text, "256MB");
  EXPECT_EQ(monitor_.page().after.text, "400MB");
  EXPECT_EQ(monitor_.page().after.gauge, 78);
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(MemoryMonitorTest, ReclaimFallsBackTo40Then1PercentAndReportsOnlyTheThirdFailure) {
  ASSERT_TRUE(memory_.Refresh());
  log_.refusedSizes = {322'122'547};
  monitor_.btnRefreshClick(sink_);
  EXPECT_EQ(log_.sizesAsked, (std::vector<std::uint64_t>{322'122'547, 214'748'364}));
  EXPECT_EQ(log_.writes, 204U);
  EXPECT_TRUE(sink_.messages.empty());

  log_ = StreamLog{};
  log_.refusedSizes = {322'122'547, 214'748'364, 5'368'709};
  monitor_.btnRefreshClick(sink_);
  EXPECT_EQ(log_.sizesAsked, (std::vector<std::uint64_t>{322'122'547, 214'748'364, 5'368'709}));
  EXPECT_EQ(log_.writes, 0U);  // nothing to fill
  EXPECT_EQ(log_.alive, 0);
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0].text, Text(98));
  EXPECT_EQ(sink_.messages[0].buttons, MessageButtons::Ok);
  EXPECT_TRUE(monitor_.MemAfterRegain());  // the reclaim still ends as usual
  EXPECT_EQ(sink_.progress.back(), 0U);
}

TEST_F(MemoryMonitorTest, TicksWrapAtSixtyAndAlertsComeEveryTwentyTicks) {
  std::vector<int> seen;
  for (int i = 0; i < 61; ++i) {
    Ticks(1);
    seen.push_back(monitor_.TimerTicks());
  }
  EXPECT_EQ(seen[0], 1);
  EXPECT_EQ(seen[58], 59);
  EXPECT_EQ(seen[59], 0);
  EXPECT_EQ(seen[60], 1);
  EXPECT_TRUE(alertTexts_.empty());  // alerts off
  EXPECT_EQ(sink_.pumps, 61);

  alerts_ = true;
  Ticks(59);  // ticks 2 .. 59, 0
  EXPECT_EQ(alertTexts_, (std::vector<std::string>{"Free memory: 256MB", "Free memory: 256MB", "Free memory: 256MB"}));
  EXPECT_EQ(log_.streams, 0);  // 50 % free: no reclaim
}

TEST_F(MemoryMonitorTest, TheUpdateCheckStartsOnceAtTickFortyWhenConnected) {
  Ticks(40);
  EXPECT_EQ(connectionQueries_, 1);
  EXPECT_EQ(updateChecks_, 0);  // no connection: tried again 60 ticks later
  EXPECT_EQ(monitor_.TimerTicks(), 40);
  Ticks(60);
  EXPECT_EQ(connectionQueries_, 2);

  connected_ = true;
  Ticks(60);
  EXPECT_EQ(updateChecks_, 1);
  EXPECT_EQ(monitor_.TimerTicks(), 80);
  alerts_ = true;
  Ticks(300);
  EXPECT_EQ(updateChecks_, 1);
  EXPECT_EQ(connectionQueries_, 3);
  EXPECT_EQ(monitor_.TimerTicks(), 380);  // counts on, never wraps again
  EXPECT_EQ(alertTexts_.size(), 15U);     // ticks 100, 120, ..., 380
}

TEST_F(MemoryMonitorTest, LowMemoryReclaimsAtMostOnceEveryTenMinutes) {
  SetFree(1000 * kMB, 90 * kMB);  // 9 % free, and it stays so
  Ticks(1);
  EXPECT_EQ(log_.streams, 1);
  EXPECT_EQ(monitor_.TimerTicks(), 2);  // the tick and the reclaim's pass
  EXPECT_TRUE(monitor_.MemAfterRegain());
  EXPECT_EQ(monitor_.page().before.gauge, 9);
  EXPECT_EQ(monitor_.page().after.gauge, 9);
  // A tick every six seconds for just under ten minutes: no second reclaim.
  for (int i = 0; i < 99; ++i) {
    Wait(std::chrono::seconds(6));
    Ticks(1);
  }
  EXPECT_EQ(log_.streams, 1);
  Wait(std::chrono::seconds(6));  // ten minutes after the first
  Ticks(1);
  EXPECT_EQ(log_.streams, 2);
  Ticks(5);
  EXPECT_EQ(log_.streams, 2);

  // A reclaim the user asks for always runs, and counts as the last one.
  Wait(std::chrono::minutes(9));
  monitor_.btnRefreshClick(sink_);
  EXPECT_EQ(log_.streams, 3);
  Wait(std::chrono::minutes(9));
  Ticks(1);
  EXPECT_EQ(log_.streams, 3);
  Wait(std::chrono::minutes(1));
  SetFree(1000 * kMB, 100 * kMB);  // 10 %: enough, however long ago the last one was
  Ticks(1);
  EXPECT_EQ(log_.streams, 3);
  SetFree(1000 * kMB, 99 * kMB);
  Ticks(1);
  EXPECT_EQ(log_.streams, 4);
  EXPECT_FALSE(monitor_.Reclaiming());
}

TEST_F(MemoryMonitorTest, TheBlockNeverTakesTheCommitOthersNeed) {
  // 1000 MB of memory, of which the system can still commit 300 MB: the block is kept to
  // 300 - 100 MB (a tenth of physical memory stays), not 600 MB.
  SetFree(1000 * kMB, 50 * kMB, 300 * kMB);
  ASSERT_TRUE(memory_.Refresh());
  EXPECT_EQ(monitor_.ReclaimCap(), 200 * kMB);
  monitor_.btnRefreshClick(sink_);
  EXPECT_EQ(log_.sizesAsked, (std::vector<std::uint64_t>{200 * kMB}));
  EXPECT_EQ(log_.writes, 200U);
  EXPECT_EQ(monitor_.LastOutcome(), ReclaimOutcome::Filled);

  // Refused at the cap, the 40 % step is the same size and is not asked again; 1 % is.
  log_ = StreamLog{};
  log_.refusedSizes = {200 * kMB};
  monitor_.btnRefreshClick(sink_);
  EXPECT_EQ(log_.sizesAsked, (std::vector<std::uint64_t>{200 * kMB, 10'485'760}));
  EXPECT_EQ(log_.writes, 10U);

  // The cap is taken from figures read when the reclaim starts, not six seconds old.
  log_ = StreamLog{};
  SetFree(1000 * kMB, 50 * kMB, 500 * kMB);
  monitor_.btnRefreshClick(sink_);
  EXPECT_EQ(log_.sizesAsked, (std::vector<std::uint64_t>{400 * kMB}));

  // Nothing beyond the tenth to spare: no block at all, and no message either.
  log_ = StreamLog{};
  SetFree(1000 * kMB, 50 * kMB, 100 * kMB);
  sink_.messages.clear();
  monitor_.btnRefreshClick(sink_);
  EXPECT_EQ(log_.streams, 0);
  EXPECT_EQ(monitor_.LastOutcome(), ReclaimOutcome::NothingToSpare);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_TRUE(monitor_.MemAfterRegain());
  EXPECT_EQ(sink_.progress.back(), 0U);
}

TEST_F(MemoryMonitorTest, MessagesRunBetweenTheWritesAndStopEndsTheFilling) {
  ASSERT_TRUE(memory_.Refresh());
  sink_.stopAfter = 50;
  monitor_.btnRefreshClick(sink_);
  EXPECT_EQ(log_.sizesAsked, (std::vector<std::uint64_t>{322'122'547}));
  EXPECT_EQ(log_.writes, 50U);  // of 307
  EXPECT_EQ(sink_.stopQuestions, 51);
  EXPECT_GE(sink_.pumps, 51);  // the window answered before every write
  EXPECT_EQ(monitor_.LastOutcome(), ReclaimOutcome::Stopped);
  EXPECT_EQ(log_.alive, 0);  // the block went back at once
  EXPECT_EQ(sink_.progress.back(), 0U);
  EXPECT_TRUE(monitor_.MemAfterRegain());
  EXPECT_FALSE(monitor_.Reclaiming());

  // A pass that comes while the reclaim lets messages run (the next tick) starts no second
  // reclaim, nor does a second click.
  log_ = StreamLog{};
  SetFree(512 * kMB, 20 * kMB);
  sink_.stopAfter = -1;
  int nested = 0;
  class NestingSink final : public EngineSink {
   public:
    NestingSink(MemoryMonitor& monitor, PageSink& inner, int& nested) : monitor_(monitor), inner_(inner), nested_(nested) {}
    void ShowStatus(std::string_view) override {}
    void SetProgressMax(std::uint64_t) override {}
    void SetProgress(std::uint64_t) override {}
    void AddRow(const ResultRow&) override {}
    Answer Ask(const Message&) override { return Answer::Ok; }
    bool ShouldStop() override {
      if (nested_++ < 3) {
        monitor_.Timer1Timer(inner_);
        monitor_.btnRefreshClick(inner_);
      }
      return false;
    }

   private:
    MemoryMonitor& monitor_;
    PageSink& inner_;
    int& nested_;
  } nesting(monitor_, sink_, nested);
  Wait(std::chrono::minutes(10));
  monitor_.btnRefreshClick(nesting);
  EXPECT_EQ(log_.streams, 1);
  EXPECT_GT(nested, 3);
}

TEST_F(MemoryMonitorTest, ExitStopsTheTimerButThePassEndsAndFailuresAreForgotten) {
  bool disabled = false;
  monitor_.hooks.exitRequested = [] { return true; };
  monitor_.hooks.disableTimer = [&] { disabled = true; };
  Ticks(1);
  EXPECT_TRUE(disabled);
  EXPECT_EQ(monitor_.page().freeMem, "262144KB (256MB)");

  figures_.memory = Error(Errc::AccessDenied);
  Ticks(1);
  EXPECT_EQ(monitor_.TimerTicks(), 2);
  EXPECT_EQ(monitor_.page().freeMem, "262144KB (256MB)");

  SetFree(512 * kMB, 128 * kMB);
  alerts_ = true;
  monitor_.hooks.showAlert = [](const std::string&) { throw std::runtime_error("no window"); };
  Ticks(17);
  EXPECT_EQ(monitor_.page().before.gauge, 25);
  SetFree(512 * kMB, 64 * kMB);
  Ticks(1);  // tick 20: the alert raises, the rest of the pass is skipped
  EXPECT_EQ(monitor_.TimerTicks(), 20);
  EXPECT_EQ(monitor_.page().freeMem, "65536KB (64MB)");
  EXPECT_EQ(monitor_.page().before.gauge, 25);
  Ticks(1);
  EXPECT_EQ(monitor_.page().before.gauge, 12);
}

}  // namespace
}  // namespace sw::sysinfo
