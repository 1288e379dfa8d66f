#pragma once
// Names for what CPUID reports as numbers: the maker behind a vendor id, and the code name
// and transistor count of the processor generations we know, "Unknown" beyond them.

#include <cstdint>
#include <string_view>

namespace sw::sysinfo {

inline constexpr std::string_view kUnknownCpu = "Unknown";

// "Intel" for "GenuineIntel"; kUnknownCpu for a vendor id not in the table.
std::string_view VendorName(std::string_view vendorId);

struct CpuGeneration {
  std::string_view codeName = kUnknownCpu;
  std::int64_t transistors = 0;  // 0 when not known
};

// The generation of a processor by its maker, family, model and stepping as DecodeSignature
// gives them. Some models were sold as several generations, told apart by the stepping only.
CpuGeneration GenerationOf(std::string_view vendorId, int family, int model, int stepping);

}  // namespace sw::sysinfo
