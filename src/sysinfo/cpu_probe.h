#pragma once
// The processor's own answers: the CPUID instruction and the time-stamp counter. They are
// instructions, not services of the operating system, so they are read the same way on
// every platform; tests put a probe of their own in place of the real one.

#include <cstdint>

namespace sw::sysinfo {

struct CpuidRegisters {
  std::uint32_t eax = 0;
  std::uint32_t ebx = 0;
  std::uint32_t ecx = 0;
  std::uint32_t edx = 0;
};

class CpuProbe {
 public:
  CpuProbe() = default;
  CpuProbe(const CpuProbe&) = delete;
  CpuProbe& operator=(const CpuProbe&) = delete;
  virtual ~CpuProbe() = default;

  // CPUID with EAX = leaf and ECX = subleaf; all zero for a leaf the processor lacks.
  virtual CpuidRegisters Cpuid(std::uint32_t leaf, std::uint32_t subleaf = 0) = 0;
  // The time-stamp counter (cycles since reset); 0 where the processor has none.
  virtual std::uint64_t TimeStamp() = 0;
};

// The processor this program runs on.
class NativeCpuProbe final : public CpuProbe {
 public:
  CpuidRegisters Cpuid(std::uint32_t leaf, std::uint32_t subleaf) override;
  std::uint64_t TimeStamp() override;
};

}  // namespace sw::sysinfo
