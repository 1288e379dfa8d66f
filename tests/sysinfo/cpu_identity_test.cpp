// The processor's figures from scripted CPUID answers and a clock that only the test moves.

#include "sysinfo/cpu_identity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "platform/host/host_system_figures.h"
#include "sysinfo/cpu_names.h"
#include "sysinfo/sys_info.h"
#include "sysinfo/system_pages.h"

namespace sw::sysinfo {
namespace {

std::uint32_t Chars(const char (&text)[5]) {
  std::uint32_t value = 0;
  std::memcpy(&value, text, 4);
  return value;
}

// CPUID answers by leaf and subleaf; a time-stamp counter running `cyclesPerTick` times as
// fast as the figures' counter.
class ScriptedProbe final : public CpuProbe {
 public:
  explicit ScriptedProbe(platform::SystemFigures& figures) : figures_(figures) {}

  CpuidRegisters Cpuid(std::uint32_t leaf, std::uint32_t subleaf) override {
    const auto it = leaves.find({leaf, subleaf});
    return it == leaves.end() ? CpuidRegisters{} : it->second;
  }
  std::uint64_t TimeStamp() override { return figures_.PerformanceCounter() * cyclesPerTick; }

  void Vendor(const char (&b)[5], const char (&d)[5], const char (&c)[5], std::uint32_t maxLeaf) {
    leaves[{0, 0}] = {maxLeaf, Chars(b), Chars(c), Chars(d)};
  }

  std::map<std::pair<std::uint32_t, std::uint32_t>, CpuidRegisters> leaves;
  std::uint64_t cyclesPerTick = 0;

 private:
  platform::SystemFigures& figures_;
};

// A leaf-4 style cache description.
CpuidRegisters CacheLeaf(std::uint32_t type, std::uint32_t level, std::uint32_t ways, std::uint32_t sets) {
  return {type | (level << 5), ((ways - 1) << 22) | 63, sets - 1, 0};
}

class CpuIdentityTest : public ::testing::Test {
 protected:
  CpuIdentityTest() { figures_.StopClock(10'000'000); }

  platform::host::HostSystemFigures figures_;
  ScriptedProbe probe_{figures_};
};

TEST(CpuSignature, ExtendedFieldsCountWhereTheMakersSaySo) {
  const auto check = [](std::uint32_t eax, int family, int model, int stepping) {
    const CpuSignature s = DecodeSignature(eax);
    EXPECT_EQ(s.family, family) << std::hex << eax;
    EXPECT_EQ(s.model, model) << std::hex << eax;
    EXPECT_EQ(s.stepping, stepping) << std::hex << eax;
  };
  check(0x00000683, 6, 8, 3);      // Pentium III Coppermine
  check(0x000906EA, 6, 0x9E, 10);  // extended model in front of the model from family 6 on
  check(0x00000F29, 15, 2, 9);     // Pentium 4: extended family 0
  check(0x00B00F21, 26, 2, 1);     // extended family added to 15
  check(0x000F0543, 5, 4, 3);      // below family 6 the extended model does not count
}

TEST_F(CpuIdentityTest, IntelFiguresFromTheDeterministicCacheLeaf) {
  probe_.Vendor("Genu", "ineI", "ntel", 0x16);
  probe_.leaves[{1, 0}] = {0x000906EA, 0, 0, 0};
  probe_.leaves[{4, 0}] = CacheLeaf(1, 1, 8, 64);     // 32 KB data
  probe_.leaves[{4, 1}] = CacheLeaf(2, 1, 8, 64);     // 32 KB code
  probe_.leaves[{4, 2}] = CacheLeaf(3, 2, 4, 1024);   // 256 KB
  probe_.leaves[{4, 3}] = CacheLeaf(3, 3, 16, 8192);  // 8 MB
  probe_.leaves[{0x16, 0}] = {3700, 4700, 100, 0};
  probe_.leaves[{0x80000000, 0}] = {0x80000004, 0, 0, 0};
  probe_.leaves[{0x80000002, 0}] = {Chars("  In"), Chars("tel("), Chars("R) C"), Chars("ore(")};
  probe_.leaves[{0x80000003, 0}] = {Chars("TM) "), Chars("i7  "), 0, 0};
  probe_.cyclesPerTick = 370;  // 3700 MHz against a 10 MHz counter

  TCPU cpu(probe_, figures_);
  cpu.Refresh();
  EXPECT_EQ(cpu.VendorID, "GenuineIntel");
  EXPECT_EQ(cpu.Vendor, "Intel");
  EXPECT_EQ(cpu.BrandName, "Intel(R) Core(TM) i7");
  EXPECT_EQ(cpu.CodeName, "Coffee Lake");
  EXPECT_EQ(cpu.Frequency, 3700);
  EXPECT_EQ(cpu.BusSpeed, 100);
  EXPECT_EQ(cpu.Cache.L1Data, 32);
  EXPECT_EQ(cpu.Cache.L1Code, 32);
  EXPECT_EQ(cpu.Cache.Level1, 0);
  EXPECT_EQ(cpu.Cache.Level2, 256);
  EXPECT_EQ(cpu.Cache.Level3, 8192);

  const CpuPage page = CpuPageOf(cpu);
  EXPECT_EQ(page.family, "Family 6 Model 158 Stepping 10");
  EXPECT_EQ(page.speed, "3700Mhz");
  EXPECT_EQ(page.busSpeed, "100Mhz");
  EXPECT_EQ(page.dataCache, "32");
  EXPECT_EQ(page.unifiedCache1, "256");
}

TEST_F(CpuIdentityTest, AmdCachesFromTheTopologyLeafOrTheOlderExtendedLeaves) {
  probe_.Vendor("Auth", "enti", "cAMD", 0x10);
  probe_.leaves[{1, 0}] = {0x00B00F21, 0, 0, 0};
  probe_.leaves[{0x80000000, 0}] = {0x80000006, 0, 0, 0};
  probe_.leaves[{0x80000005, 0}] = {0, 0, 64U << 24, 64U << 24};
  probe_.leaves[{0x80000006, 0}] = {0, 0, 512U << 16, 16U << 18};  // 512 KB, 8 MB
  TCPU cpu(probe_, figures_);
  cpu.Refresh();
  EXPECT_EQ(cpu.Vendor, "AMD");
  EXPECT_EQ(cpu.CodeName, "Zen 5");
  EXPECT_EQ(cpu.Cache.L1Data, 64);
  EXPECT_EQ(cpu.Cache.L1Code, 64);
  EXPECT_EQ(cpu.Cache.Level2, 512);
  EXPECT_EQ(cpu.Cache.Level3, 8192);
  EXPECT_EQ(cpu.BusSpeed, 0);   // not reported
  EXPECT_EQ(cpu.Frequency, 0);  // the time-stamp counter stood still

  // With the topology extensions the deterministic leaf wins over the older one.
  probe_.leaves[{0x80000000, 0}] = {0x8000001D, 0, 0, 0};
  probe_.leaves[{0x80000001, 0}] = {0, 0, 1U << 22, 0};
  probe_.leaves[{0x8000001D, 0}] = CacheLeaf(1, 1, 12, 64);    // 48 KB
  probe_.leaves[{0x8000001D, 1}] = CacheLeaf(2, 1, 8, 64);     // 32 KB
  probe_.leaves[{0x8000001D, 2}] = CacheLeaf(3, 2, 16, 1024);  // 1 MB
  cpu.Refresh();
  EXPECT_EQ(cpu.Cache.L1Data, 48);
  EXPECT_EQ(cpu.Cache.L1Code, 32);
  EXPECT_EQ(cpu.Cache.Level2, 1024);
}

TEST_F(CpuIdentityTest, ProcessorsBeyondTheTablesAreUnknown) {
  probe_.Vendor("Genu", "ineI", "ntel", 1);
  probe_.leaves[{1, 0}] = {0x000A0F00 | (0x3F << 4), 0, 0, 0};
  TCPU cpu(probe_, figures_);
  cpu.Refresh();
  EXPECT_EQ(cpu.CodeName, "Unknown");
  EXPECT_EQ(cpu.Transistors, 0);
  EXPECT_EQ(cpu.BrandName, "");

  EXPECT_EQ(VendorName("NoSuchVendor"), "Unknown");
  EXPECT_EQ(GenerationOf("AuthenticAMD", 6, 8).codeName, "Unknown");
  EXPECT_EQ(GenerationOf("GenuineIntel", 6, 8).codeName, "Coppermine");
  EXPECT_EQ(GenerationOf("GenuineIntel", 6, 8).transistors, 28'100'000);
  // Narrow rows before the family-wide one.
  EXPECT_EQ(GenerationOf("AuthenticAMD", 0x19, 0x61).codeName, "Zen 4");
  EXPECT_EQ(GenerationOf("AuthenticAMD", 0x19, 0x21).codeName, "Zen 3");

  // No CPUID at all (a probe that answers nothing).
  ScriptedProbe silent(figures_);
  const CpuIdentity none = ReadCpuIdentity(silent);
  EXPECT_EQ(none.vendorId, "");
  EXPECT_EQ(none.signature.family, 0);
}

}  // namespace
}  // namespace sw::sysinfo
