#pragma once
// The six-second timer of the Memory page and the memory reclaim ("Regain"). Each timer pass
// refreshes the memory figures and the page, may show the free-memory alert, reclaims memory
// by itself when less than 10 % is free, and once per run starts the update check. The window
// owns one monitor, calls Timer1Timer from its timer and btnRefreshClick from the Regain
// button, and copies page() into its controls afterwards; the reclaim's progress goes to the
// sink (0 to 100, for gauMemProcess).

#include <cstdint>
#include <functional>
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
inline constexpr int kAlertEveryTicks = 20;
inline constexpr int kUpdateCheckTick = 40;
inline constexpr int kUpdateCheckDoneTicks = 80;

class MemoryMonitor {
 public:
  MemoryMonitor(TMemory& memory, RegainStreamFactory streams = MakeHeapRegainStream)
      : memory_(memory), streams_(std::move(streams)) {}

  // One pass of Timer1, also run when the Memory tab is shown and at the end of a reclaim.
  void Timer1Timer(EngineSink& sink);
  // The reclaim: grows a block to 60 % of physical memory (else 40 %, else 1 %), fills it in
  // 1 MB writes, frees it and runs one timer pass. A click while a reclaim runs is ignored.
  void btnRefreshClick(EngineSink& sink);

  [[nodiscard]] const MemoryPage& page() const { return page_; }
  [[nodiscard]] std::int32_t TimerTicks() const { return timerTicks_; }
  [[nodiscard]] bool MemAfterRegain() const { return memAfterRegain_; }
  [[nodiscard]] bool Reclaiming() const { return reclaiming_; }

  TimerHooks hooks;

 private:
  void GuardedPass(EngineSink& sink);
  // Steps the reclaim's block through its sizes; the size it got, or 1 % when none fitted.
  std::uint64_t SizeStream(RegainStream& stream, EngineSink& sink) const;

  TMemory& memory_;
  RegainStreamFactory streams_;
  MemoryPage page_;
  std::int32_t timerTicks_ = 0;
  bool memAfterRegain_ = false;
  bool reclaiming_ = false;
};

}  // namespace sw::sysinfo
