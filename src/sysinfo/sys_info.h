#pragma once
// The system-information component: processor, memory and disk figures, each sub-object
// filled from the operating system (or the processor) by its own refresh. Every byte count
// is 64-bit.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/result.h"
#include "platform/system_figures.h"
#include "sysinfo/cpu_probe.h"

namespace sw::sysinfo {

// Cache sizes in KB.
struct TCPUCache {
  int L1Data = 0;
  int L1Code = 0;
  int Level1 = 0;  // a unified first-level cache, which few processors have
  int Level2 = 0;
  int Level3 = 0;
};

class TCPU {
 public:
  TCPU(CpuProbe& probe, platform::SystemFigures& figures) : probe_(probe), figures_(figures) {}

  // Reads CPUID and measures the clock against the performance counter (about 25 ms).
  void Refresh();

  std::string Vendor;
  std::string VendorID;
  std::string BrandName;  // the processor's own name ("AMD EPYC 9R45"), often empty on old ones
  // Each figure below is 0 when the processor does not report it (and no table knows it).
  int Frequency = 0;      // MHz
  int BusSpeed = 0;       // MHz, the reference clock of CPUID leaf 0x16
  int Family = 0;
  int Model = 0;
  int Stepping = 0;
  std::string CodeName;
  std::int64_t Transistors = 0;
  TCPUCache Cache;

 private:
  CpuProbe& probe_;
  platform::SystemFigures& figures_;
};

class TMemory {
 public:
  explicit TMemory(platform::SystemFigures& figures) : figures_(figures) {}

  // Reads the global memory status; on failure the figures keep their last values.
  Status Refresh();

  std::uint64_t PhysicalTotal = 0;
  std::uint64_t PhysicalFree = 0;
  std::uint64_t VirtualTotal = 0;
  std::uint64_t VirtualFree = 0;
  std::uint64_t PageFileTotal = 0;
  std::uint64_t PageFileFree = 0;
  std::uint32_t MemoryLoad = 0;
  std::uint32_t AllocGranularity = 0;
  std::uint64_t MaxAppAddress = 0;
  std::uint64_t MinAppAddress = 0;
  std::uint32_t PageSize = 0;

 private:
  platform::SystemFigures& figures_;
};

class TDisk {
 public:
  explicit TDisk(platform::SystemFigures& figures) : figures_(figures) {}

  // Selects a drive ("c:", "C:\") and reads its space; a drive without a volume reads as 0
  // free of 0, never as a negative or stale figure.
  void SetDrive(std::string_view drive);
  [[nodiscard]] const std::string& Drive() const { return drive_; }
  [[nodiscard]] platform::SystemFigures& figures() const { return figures_; }

  std::uint64_t FreeSpace = 0;
  std::uint64_t Capacity = 0;

 private:
  platform::SystemFigures& figures_;
  std::string drive_;
};

class TSysInfo {
 public:
  TSysInfo(CpuProbe& probe, platform::SystemFigures& figures) : CPU(probe, figures), Memory(figures), Disk(figures) {}

  TCPU CPU;
  TMemory Memory;
  TDisk Disk;
};

}  // namespace sw::sysinfo
