#include "sysinfo/cpu_probe.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define SWEEPWISE_X86 1
#endif

namespace sw::sysinfo {

CpuidRegisters NativeCpuProbe::Cpuid(std::uint32_t leaf, std::uint32_t subleaf) {
  CpuidRegisters r;
#ifdef SWEEPWISE_X86
  // __get_cpuid_count checks the leaf against the highest one of its range (basic or
  // extended): a leaf past it would return the highest leaf's data on Intel processors.
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  if (__get_cpuid_count(leaf, subleaf, &eax, &ebx, &ecx, &edx) != 0) {
    r = CpuidRegisters{eax, ebx, ecx, edx};
  }
#else
  (void)leaf;
  (void)subleaf;
#endif
  return r;
}

std::uint64_t NativeCpuProbe::TimeStamp() {
#ifdef SWEEPWISE_X86
  return __rdtsc();
#else
  return 0;
#endif
}

}  // namespace sw::sysinfo
