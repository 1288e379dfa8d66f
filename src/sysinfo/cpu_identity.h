#pragma once
// What CPUID says about the processor: maker, signature, caches and reference clock, and its
// speed measured against the system's high-resolution counter.

#include <cstdint>
#include <string>

#include "platform/system_figures.h"
#include "sysinfo/cpu_probe.h"

namespace sw::sysinfo {

// The family, model and stepping as the makers number them: the extended family is added
// to a base family of 15, the extended model put in front of the model from family 6 on.
struct CpuSignature {
  int family = 0;
  int model = 0;
  int stepping = 0;
};
[[nodiscard]] CpuSignature DecodeSignature(std::uint32_t eax);

// Cache sizes in KB, of one core (the last level is usually shared by several).
struct CpuCacheSizes {
  int l1Data = 0;
  int l1Code = 0;
  int level1Unified = 0;
  int level2 = 0;
  int level3 = 0;
};

struct CpuIdentity {
  std::string vendorId;  // "GenuineIntel", "AuthenticAMD"; empty without CPUID
  CpuSignature signature;
  std::string brand;  // the processor's own name for itself, trimmed; may be empty
  CpuCacheSizes caches;
  int busMHz = 0;  // the reference (bus) clock, when the processor reports it; else 0
};

CpuIdentity ReadCpuIdentity(CpuProbe& probe);

// Time-stamp counter cycles per microsecond over `milliseconds` of the system's counter:
// the processor's (nominal) clock in MHz, 0 when either counter stands still.
int MeasureFrequencyMHz(CpuProbe& probe, platform::SystemFigures& figures, std::uint32_t milliseconds = 25);

}  // namespace sw::sysinfo
