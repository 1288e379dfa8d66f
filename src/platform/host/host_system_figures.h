#pragma once
// The system figures where there is no Windows. Until a test sets them, they are the Linux
// machine's own: its memory (sysinfo(2)), the space of the folder a drive letter is mapped to
// (statvfs) and the monotonic clock in 100 ns ticks, as Wine reports them. A test sets the
// memory status and a drive's space, or stops the clock: then Pause moves the counter on
// instead of sleeping.

#include <map>
#include <optional>
#include <vector>

#include "platform/host/host_file_system.h"
#include "platform/system_figures.h"

namespace sw::platform::host {

class HostSystemFigures final : public SystemFigures {
 public:
  explicit HostSystemFigures(std::vector<DriveMapping> drives = {}) : drives_(std::move(drives)) {}

  Result<MemoryStatus> Memory() override;
  AddressLayout Layout() override { return layout_; }
  Result<VolumeSpace> VolumeSpaceOf(std::string_view root) override;
  std::uint64_t PerformanceCounter() override;
  std::uint64_t PerformanceFrequency() override { return frequency_; }
  void Pause(std::uint32_t milliseconds) override;

  // The figures a test chooses; an error makes the call fail with it.
  void SetMemory(Result<MemoryStatus> status) { memory_ = std::move(status); }
  void SetVolumeSpace(char letter, Result<VolumeSpace> space);
  void SetLayout(const AddressLayout& layout) { layout_ = layout; }
  // A clock that only Pause moves: `frequency` ticks per second, starting at `start`.
  void StopClock(std::uint64_t frequency, std::uint64_t start = 0);
  // How often Memory() was asked.
  [[nodiscard]] int memoryReads() const { return memoryReads_; }

 private:
  std::vector<DriveMapping> drives_;
  std::optional<Result<MemoryStatus>> memory_;
  std::map<char, Result<VolumeSpace>> volumes_;
  AddressLayout layout_{4096, 65536, 0x10000, 0x7FFFFFFEFFFF};  // a 64-bit Windows process
  std::uint64_t frequency_ = 10'000'000;
  std::optional<std::uint64_t> stoppedCounter_;
  int memoryReads_ = 0;
};

}  // namespace sw::platform::host
