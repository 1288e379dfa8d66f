#include "sysinfo/cpu_identity.h"

#include <cstring>

namespace sw::sysinfo {
namespace {

constexpr std::uint32_t kExtendedBase = 0x80000000;

std::string RegisterText(std::initializer_list<std::uint32_t> registers) {
  std::string text;
  for (const std::uint32_t r : registers) {
    char bytes[4];
    std::memcpy(bytes, &r, sizeof bytes);
    text.append(bytes, sizeof bytes);
  }
  return text;
}

std::string Trimmed(std::string text) {
  text.resize(std::strlen(text.c_str()));  // the brand is NUL-padded
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string BrandOf(CpuProbe& probe, std::uint32_t maxExtended) {
  if (maxExtended < kExtendedBase + 4) {
    return {};
  }
  std::string brand;
  for (std::uint32_t leaf = kExtendedBase + 2; leaf <= kExtendedBase + 4; ++leaf) {
    const CpuidRegisters r = probe.Cpuid(leaf);
    brand += RegisterText({r.eax, r.ebx, r.ecx, r.edx});
  }
  return Trimmed(std::move(brand));
}

// Intel's leaf 4 and AMD's leaf 0x8000001D describe each cache the same way; false when the
// leaf lists none.
bool ReadDeterministicCaches(CpuProbe& probe, std::uint32_t leaf, CpuCacheSizes& caches) {
  bool found = false;
  for (std::uint32_t index = 0; index < 16; ++index) {
    const CpuidRegisters r = probe.Cpuid(leaf, index);
    const std::uint32_t type = r.eax & 0x1F;  // 1 data, 2 instruction, 3 unified
    if (type == 0) {
      break;
    }
    const std::uint32_t level = (r.eax >> 5) & 0x7;
    const std::uint64_t bytes = static_cast<std::uint64_t>((r.ebx >> 22) + 1) * (((r.ebx >> 12) & 0x3FF) + 1) *
                                ((r.ebx & 0xFFF) + 1) * (static_cast<std::uint64_t>(r.ecx) + 1);
    const int kb = static_cast<int>(bytes / 1024);
    found = true;
    if (level == 1) {
      (type == 1 ? caches.l1Data : type == 2 ? caches.l1Code : caches.level1Unified) = kb;
    } else if (level == 2) {
      caches.level2 = kb;
    } else if (level == 3) {
      caches.level3 = kb;
    }
  }
  return found;
}

// AMD's older description, which Intel processors also give for the second level.
void ReadExtendedCaches(CpuProbe& probe, std::uint32_t maxExtended, CpuCacheSizes& caches) {
  if (maxExtended >= kExtendedBase + 5) {
    const CpuidRegisters l1 = probe.Cpuid(kExtendedBase + 5);
    caches.l1Data = static_cast<int>(l1.ecx >> 24);
    caches.l1Code = static_cast<int>(l1.edx >> 24);
  }
  if (maxExtended >= kExtendedBase + 6) {
    const CpuidRegisters l2 = probe.Cpuid(kExtendedBase + 6);
    caches.level2 = static_cast<int>(l2.ecx >> 16);
    caches.level3 = static_cast<int>((l2.edx >> 18) * 512);
  }
}

CpuCacheSizes CachesOf(CpuProbe& probe, const std::string& vendorId, std::uint32_t maxBasic,
                       std::uint32_t maxExtended) {
  CpuCacheSizes caches;
  const bool amdLike = vendorId == "AuthenticAMD" || vendorId == "HygonGenuine";
  if (!amdLike && maxBasic >= 4 && ReadDeterministicCaches(probe, 4, caches)) {
    return caches;
  }
  // AMD's leaf 0x8000001D is there only with the topology extensions (bit 22 of ECX).
  const bool topology = maxExtended >= kExtendedBase + 0x1D && (probe.Cpuid(kExtendedBase + 1).ecx & (1U << 22)) != 0;
  if (amdLike && topology && ReadDeterministicCaches(probe, kExtendedBase + 0x1D, caches)) {
    return caches;
  }
  ReadExtendedCaches(probe, maxExtended, caches);
  return caches;
}

}  // namespace

CpuSignature DecodeSignature(std::uint32_t eax) {
  CpuSignature signature;
  signature.stepping = static_cast<int>(eax & 0xF);
  signature.model = static_cast<int>((eax >> 4) & 0xF);
  signature.family = static_cast<int>((eax >> 8) & 0xF);
  if (signature.family == 0xF) {
    signature.family += static_cast<int>((eax >> 20) & 0xFF);
  }
  if (signature.family >= 6) {
    signature.model += static_cast<int>((eax >> 16) & 0xF) << 4;
  }
  return signature;
}

CpuIdentity ReadCpuIdentity(CpuProbe& probe) {
  CpuIdentity identity;
  const CpuidRegisters leaf0 = probe.Cpuid(0);
  const std::uint32_t maxBasic = leaf0.eax;
  identity.vendorId = Trimmed(RegisterText({leaf0.ebx, leaf0.edx, leaf0.ecx}));
  if (maxBasic >= 1) {
    identity.signature = DecodeSignature(probe.Cpuid(1).eax);
  }
  const std::uint32_t maxExtended = probe.Cpuid(kExtendedBase).eax;
  const bool hasExtended = maxExtended > kExtendedBase && maxExtended < kExtendedBase + 0x10000;
  identity.brand = hasExtended ? BrandOf(probe, maxExtended) : std::string();
  identity.caches = CachesOf(probe, identity.vendorId, maxBasic, hasExtended ? maxExtended : 0);
  if (maxBasic >= 0x16) {
    identity.busMHz = static_cast<int>(probe.Cpuid(0x16).ecx & 0xFFFF);  // EAX base, EBX top, ECX bus
  }
  return identity;
}

int MeasureFrequencyMHz(CpuProbe& probe, platform::SystemFigures& figures, std::uint32_t milliseconds) {
  const std::uint64_t ticksPerSecond = figures.PerformanceFrequency();
  const std::uint64_t counter0 = figures.PerformanceCounter();
  const std::uint64_t stamp0 = probe.TimeStamp();
  figures.Pause(milliseconds);
  const std::uint64_t stamp1 = probe.TimeStamp();
  const std::uint64_t counter1 = figures.PerformanceCounter();
  if (ticksPerSecond == 0 || counter1 <= counter0 || stamp1 <= stamp0) {
    return 0;
  }
  // cycles / seconds / 10^6, with seconds = ticks / ticksPerSecond, rounded to whole MHz.
  const double seconds = static_cast<double>(counter1 - counter0) / static_cast<double>(ticksPerSecond);
  return static_cast<int>(static_cast<double>(stamp1 - stamp0) / seconds / 1e6 + 0.5);
}

}  // namespace sw::sysinfo
