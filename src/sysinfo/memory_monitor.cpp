#include "sysinfo/memory_monitor.h"

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
  // The pass at the end of a reclaim must not start another one: one reclaim per tick.
  if (page_.freeGauge < 10 && memory_.PhysicalTotal > 0 && !reclaiming_) {
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

std::uint64_t MemoryMonitor::SizeStream(RegainStream& stream, EngineSink& sink) const {
  const std::uint64_t total = memory_.PhysicalTotal;
  for (const std::uint64_t size : {total * 3 / 5, total * 2 / 5}) {
    if (stream.SetSize(size)) {
      return size;
    }
  }
  const std::uint64_t onePercent = total / 100;
  if (!stream.SetSize(onePercent)) {
    sink.Ask(Message{std::string(Text(98)), std::string(kProductName), MessageKind::Information, MessageButtons::Ok});
  }
  return onePercent;
}

void MemoryMonitor::btnRefreshClick(EngineSink& sink) {
  if (reclaiming_) {
    return;  // the pass at the end of a reclaim lets messages run: a second click lands here
  }
  {
    const FlagScope reclaiming(reclaiming_);
    memAfterRegain_ = false;
    LabelMemInfo(memory_, false, page_);
    sink.SetProgressMax(100);
    {
      std::unique_ptr<RegainStream> stream = streams_();
      const std::uint64_t size = SizeStream(*stream, sink);
      stream->Rewind();
      // No messages inside the loop: the block is to be touched as fast as possible. A
      // stream that could not be sized takes no write, and the loop ends at once.
      const std::uint64_t blocks = size / kRegainBlockSize;
      for (std::uint64_t i = 1; i <= blocks; ++i) {
        if (!stream->Write(RegainBuffer())) {
          break;
        }
        sink.SetProgress(i * 100 / blocks);
      }
    }  // the block goes back to the system here
    memAfterRegain_ = true;
    sink.SetProgress(0);
    Timer1Timer(sink);
  }
}

}  // namespace sw::sysinfo
