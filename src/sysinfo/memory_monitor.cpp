#include "sysinfo/memory_monitor.h"

#include <algorithm>
#include <array>

#include "core/language.h"
#include "core/product.h"
#include "sysinfo/figure_text.h"

namespace sw::sysinfo {
namespace {

bool Asked(const std::function<bool()>& hook) {
  return hook && hook();
}

// Zero-filled once for the life of the process: the reclaim writes it again and again, so it
// needs no second large allocation.
std::span<const std::uint8_t> RegainBuffer() {
  alignas(4096) static const std::array<std::uint8_t, kRegainBlockSize> buffer{};
  return buffer;
}

// Resets a flag when the scope ends, however it ends.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

MonotonicClock SteadyClock() {
  return [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
  };
}

void MemoryMonitor::Timer1Timer(EngineSink& sink) {
  sink.ProcessMessages();
  if (Asked(hooks.exitRequested) && hooks.disableTimer) {
    hooks.disableTimer();  // this pass still runs to its end
  }
  ++timerTicks_;
  if (timerTicks_ == 60) {
    timerTicks_ = 0;
  }
  // A failing pass is forgotten: the next tick tries again, and nothing may leave the timer's
  // message handler.
  try {
    GuardedPass(sink);
  } catch (...) {  // NOLINT(bugprone-empty-catch)
  }
}

void MemoryMonitor::GuardedPass(EngineSink& sink) {
  if (!memory_.Refresh()) {
    return;
  }
  ShowMemoryFigures(memory_, page_);
  if (Asked(hooks.alertsEnabled) && timerTicks_ % kAlertEveryTicks == 0 && hooks.showAlert) {
    hooks.showAlert("Free memory: " + MBText(memory_.PhysicalFree));
  }
  // The pass at the end of a reclaim (or one that comes while it runs) starts none; nor does
  // any pass within ten minutes of the last reclaim.
  if (page_.freeGauge < 10 && memory_.PhysicalTotal > 0 && !reclaiming_ && AutomaticReclaimDue()) {
    btnRefreshClick(sink);
  }
  LabelMemInfo(memory_, memAfterRegain_, page_);
  // After the check starts the counter counts on from 80 and never meets 40 or 60 again, so
  // the check runs once per run; without a connection it is tried every 60 ticks.
  if (timerTicks_ == kUpdateCheckTick && Asked(hooks.internetConnected)) {
    timerTicks_ = kUpdateCheckDoneTicks;
    if (hooks.startUpdateCheck) {
      hooks.startUpdateCheck();
    }
  }
}

bool MemoryMonitor::AutomaticReclaimDue() const {
  return !lastReclaim_ || clock_() - *lastReclaim_ >= kAutomaticReclaimInterval;
}

std::uint64_t MemoryMonitor::ReclaimCap() const {
  // The available commit (the page file's free part, as the memory status calls it) is what
  // every program together may still commit; a reclaim that took all of it would make the
  // others' next allocations fail.
  const std::uint64_t reserve = memory_.PhysicalTotal / kCommitReserveDivisor;
  return memory_.PageFileFree > reserve ? memory_.PageFileFree - reserve : 0;
}

std::optional<std::uint64_t> MemoryMonitor::SizeStream(RegainStream& stream, std::uint64_t cap) const {
  const std::uint64_t total = memory_.PhysicalTotal;
  std::optional<std::uint64_t> tried;
  for (const std::uint64_t wanted : {total * 3 / 5, total * 2 / 5, total / 100}) {
    const std::uint64_t size = std::min(wanted, cap);
    if (tried == size) {
      continue;  // the cap made two steps one: refused once, it is refused again
    }
    tried = size;
    if (stream.SetSize(size)) {
      return size;
    }
  }
  return std::nullopt;
}

bool MemoryMonitor::FillStream(RegainStream& stream, std::uint64_t size, EngineSink& sink) const {
  stream.Rewind();
  const std::uint64_t blocks = size / kRegainBlockSize;
  for (std::uint64_t i = 1; i <= blocks; ++i) {
    // ShouldStop lets the window's messages run (every few tens of milliseconds): it repaints,
    // the tray answers, and Stop ends the filling.
    if (sink.ShouldStop()) {
      return false;
    }
    if (!stream.Write(RegainBuffer())) {
      break;
    }
    sink.SetProgress(i * 100 / blocks);
  }
  return true;
}

void MemoryMonitor::btnRefreshClick(EngineSink& sink) {
  if (reclaiming_) {
    return;  // the messages let through while it runs bring a second click here
  }
  {
    const FlagScope reclaiming(reclaiming_);
    lastReclaim_ = clock_();
    memAfterRegain_ = false;
    LabelMemInfo(memory_, false, page_);
    sink.SetProgressMax(100);
    // The figures of the last pass may be six seconds old: the cap is taken from new ones.
    (void)memory_.Refresh();
    const std::uint64_t cap = ReclaimCap();
    if (cap < kRegainBlockSize) {
      outcome_ = ReclaimOutcome::NothingToSpare;
    } else {
      std::unique_ptr<RegainStream> stream = streams_();
      const std::optional<std::uint64_t> size = SizeStream(*stream, cap);
      if (!size) {
        outcome_ = ReclaimOutcome::NoBlock;
        sink.Ask(
            Message{std::string(Text(98)), std::string(kProductName), MessageKind::Information, MessageButtons::Ok});
      } else {
        outcome_ = FillStream(*stream, *size, sink) ? ReclaimOutcome::Filled : ReclaimOutcome::Stopped;
      }
    }  // the block goes back to the system here
    memAfterRegain_ = true;
    sink.SetProgress(0);
    Timer1Timer(sink);
  }
}

}  // namespace sw::sysinfo
