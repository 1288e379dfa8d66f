#pragma once
// The six-second timer of the Memory page and the memory reclaim ("Regain"). Each timer pass
// refreshes the memory figures and the page, may show the free-memory alert, reclaims memory
// by itself when less than 10 % is free, and once per run starts the update check. The window
// owns one monitor, calls Timer1Timer from its timer and btnRefreshClick from the Regain
// button, and copies page() into its controls afterwards; the reclaim's progress goes to the
// sink (0 to 100, for gauMemProcess).

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/engine_sink.h"
#include "sysinfo/regain_stream.h"
#include "sysinfo/sys_info.h"
#include "sysinfo/system_pages.h"

namespace sw::sysinfo {

// What a timer pass needs from the rest of the program. Unset hooks count as "no": no exit,
// no alerts, no connection.
struct TimerHooks {
  std::function<bool()> exitRequested;  // the program is closing for good
  std::function<void()> disableTimer;   // stop Timer1
  std::function<bool()> alertsEnabled;  // chkAlerts
  // Shows a new alert window with this text ("Free memory: 255MB") for 10 seconds.
  std::function<void(const std::string&)> showAlert;
  // The update check: whether the system reports an internet connection (a failed query is
  // no connection), and the start of the check itself.
  std::function<bool()> internetConnected;
  std::function<void()> startUpdateCheck;
};

inline constexpr std::uint64_t kRegainBlockSize = 1'048'576;
// The automatic reclaim waits at least this long after the last reclaim: taking memory from
// other programs every few seconds, exactly when they are short of it, would only make them
// page their memory in again.
inline constexpr std::chrono::minutes kAutomaticReclaimInterval{10};
// A reclaim leaves at least this share of physical memory to the commit the others may still
// make (a tenth).
inline constexpr std::uint64_t kCommitReserveDivisor = 10;

// A clock that only goes forward; tests give one of their own.
using MonotonicClock = std::function<std::chrono::milliseconds()>;
MonotonicClock SteadyClock();

// How the last reclaim ended.
enum class ReclaimOutcome {
  None,           // no reclaim yet
  Filled,         // the block was had, filled and freed
  Stopped,        // Stop (or the program's end) ended the filling early
  NothingToSpare, // the system could commit too little beyond the reserve: no block taken
  NoBlock,        // no size of block could be had
};
inline constexpr int kAlertEveryTicks = 20;
inline constexpr int kUpdateCheckTick = 40;
inline constexpr int kUpdateCheckDoneTicks = 80;

class MemoryMonitor {
 public:
  MemoryMonitor(TMemory& memory, RegainStreamFactory streams = MakeHeapRegainStream,
                MonotonicClock clock = SteadyClock())
      : memory_(memory), streams_(std::move(streams)), clock_(std::move(clock)) {}

  // One pass of Timer1, also run when the Memory tab is shown and at the end of a reclaim.
  // Below 10 % free memory it reclaims by itself, at most once every ten minutes.
  void Timer1Timer(EngineSink& sink);
  // The reclaim: grows a block to 60 % of physical memory (else 40 %, else 1 %), but never
  // beyond what the system can still commit less a tenth of physical memory, fills it in 1 MB
  // writes, frees it and runs one timer pass. Between the writes the sink lets the window's
  // messages run and asks for Stop, which ends the filling. A click while a reclaim runs is
  // ignored.
  void btnRefreshClick(EngineSink& sink);

  // The most a reclaim may commit now, from the last memory refresh: the available commit
  // less a tenth of physical memory, 0 when that leaves nothing.
  [[nodiscard]] std::uint64_t ReclaimCap() const;
  [[nodiscard]] ReclaimOutcome LastOutcome() const { return outcome_; }

  [[nodiscard]] const MemoryPage& page() const { return page_; }
  [[nodiscard]] std::int32_t TimerTicks() const { return timerTicks_; }
  [[nodiscard]] bool MemAfterRegain() const { return memAfterRegain_; }
  [[nodiscard]] bool Reclaiming() const { return reclaiming_; }

  TimerHooks hooks;

 private:
  void GuardedPass(EngineSink& sink);
  [[nodiscard]] bool AutomaticReclaimDue() const;
  // Steps the reclaim's block through its sizes, each kept within `cap`; the size it got,
  // or nothing when no size could be had.
  std::optional<std::uint64_t> SizeStream(RegainStream& stream, std::uint64_t cap) const;
  // Fills the block in 1 MB writes; false when Stop ended it.
  bool FillStream(RegainStream& stream, std::uint64_t size, EngineSink& sink) const;

  TMemory& memory_;
  RegainStreamFactory streams_;
  MonotonicClock clock_;
  std::optional<std::chrono::milliseconds> lastReclaim_;
  ReclaimOutcome outcome_ = ReclaimOutcome::None;
  MemoryPage page_;
  std::int32_t timerTicks_ = 0;
  bool memAfterRegain_ = false;
  bool reclaiming_ = false;
};

}  // namespace sw::sysinfo
