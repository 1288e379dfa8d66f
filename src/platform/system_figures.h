#pragma once
// The figures the operating system keeps about the machine: its memory, the space on a
// volume, the layout of the address space and the high-resolution counter. Every byte count
// is 64-bit: a machine with more than 2 GB of memory is the common case.

#include <cstdint>
#include <string_view>

#include "core/result.h"

namespace sw::platform {

// The global memory status, in bytes; `memoryLoad` is the percentage of physical memory in use.
struct MemoryStatus {
  std::uint32_t memoryLoad = 0;
  std::uint64_t physicalTotal = 0;
  std::uint64_t physicalFree = 0;
  std::uint64_t pageFileTotal = 0;
  std::uint64_t pageFileFree = 0;
  std::uint64_t virtualTotal = 0;
  std::uint64_t virtualFree = 0;
};

// How the address space of this process is laid out.
struct AddressLayout {
  std::uint32_t pageSize = 4096;
  std::uint32_t allocGranularity = 65536;
  std::uint64_t minAppAddress = 0;
  std::uint64_t maxAppAddress = 0;
};

// The space of one volume, in bytes. `freeToCaller` is what this user may still fill (quotas
// count), `totalFree` what is free on the whole volume.
struct VolumeSpace {
  std::uint64_t capacity = 0;
  std::uint64_t freeToCaller = 0;
  std::uint64_t totalFree = 0;
};

class SystemFigures {
 public:
  SystemFigures() = default;
  SystemFigures(const SystemFigures&) = delete;
  SystemFigures& operator=(const SystemFigures&) = delete;
  virtual ~SystemFigures() = default;

  // The memory status at this moment; fails only when the system cannot report it.
  virtual Result<MemoryStatus> Memory() = 0;
  virtual AddressLayout Layout() = 0;

  // The space of the volume whose root is `root` ("C:\"); fails for a drive without a volume
  // (an empty CD drive, a letter nothing is mounted on).
  virtual Result<VolumeSpace> VolumeSpaceOf(std::string_view root) = 0;

  // The high-resolution counter and its ticks per second, the clock against which the
  // processor's speed is measured.
  virtual std::uint64_t PerformanceCounter() = 0;
  virtual std::uint64_t PerformanceFrequency() = 0;
  // Lets at least `milliseconds` pass on that clock without using the processor.
  virtual void Pause(std::uint32_t milliseconds) = 0;
};

}  // namespace sw::platform
