// The processor's figures from scripted CPUID answers and a clock that only the test moves.
// The code names are checked against signatures that processors report (as published with
// Intel's microcode, by coreboot, in bug reports quoting raw CPUID values), not against the
// rows of the table; the cache sizes against a real processor's leaf dump.

#include "sysinfo/cpu_identity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <span>

#include "support/scripted_figures.h"
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
  test::ScriptedFigures figures_;
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
  EXPECT_EQ(cpu.CodeName, "Turin (Zen 5)");
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
  EXPECT_EQ(GenerationOf("AuthenticAMD", 6, 8, 3).codeName, "Unknown");
  EXPECT_EQ(GenerationOf("GenuineIntel", 6, 8, 3).codeName, "Coppermine");
  EXPECT_EQ(GenerationOf("GenuineIntel", 6, 8, 3).transistors, 28'100'000);

  // No CPUID at all (a probe that answers nothing).
  ScriptedProbe silent(figures_);
  const CpuIdentity none = ReadCpuIdentity(silent);
  EXPECT_EQ(none.vendorId, "");
  EXPECT_EQ(none.signature.family, 0);
}

// The name a signature (CPUID leaf 1 EAX) gets.
std::string_view NameOf(std::string_view vendorId, std::uint32_t eax) {
  const CpuSignature s = DecodeSignature(eax);
  return GenerationOf(vendorId, s.family, s.model, s.stepping).codeName;
}

struct Signature {
  std::uint32_t eax;
  std::string_view name;
};

// Signatures from Intel's microcode release notes (family-model-stepping per product line),
// which are the processors' own answers; 06-9E-09 and 06-55-07 need the stepping.
TEST(CpuCodeNames, IntelSignaturesOfTheProcessorsOf2015On) {
  constexpr Signature kClient[] = {
      {0x000406E3, "Skylake"},      {0x000506E3, "Skylake"},     {0x000906E9, "Kaby Lake"},
      {0x000906EA, "Coffee Lake"},  {0x000906ED, "Coffee Lake"}, {0x000806EB, "Whiskey Lake"},
      {0x000806E9, "Kaby Lake / Amber Lake"}, {0x000806EC, "Comet Lake / Whiskey Lake / Amber Lake"},
      {0x000A0655, "Comet Lake"},   {0x000A0660, "Comet Lake"},  {0x000706E5, "Ice Lake"},
      {0x000806C1, "Tiger Lake"},   {0x000806D1, "Tiger Lake"},  {0x000A0671, "Rocket Lake"},
      {0x00090672, "Alder Lake"},   {0x000906A4, "Alder Lake"},  {0x000B06E0, "Alder Lake-N"},
      {0x000B0671, "Raptor Lake"},  {0x000B06A2, "Raptor Lake"}, {0x000B06F5, "Raptor Lake"},
      {0x000A06A4, "Meteor Lake"},
  };
  constexpr Signature kServerAndAtom[] = {
      {0x00050654, "Skylake-SP"},      {0x00050657, "Cascade Lake"},   {0x0005065B, "Cooper Lake"},
      {0x000606A6, "Ice Lake-SP"},     {0x000806F8, "Sapphire Rapids"}, {0x000C06F2, "Emerald Rapids"},
      {0x000A06F3, "Sierra Forest"},   {0x000506C9, "Apollo Lake"},    {0x000506F1, "Denverton"},
      {0x000706A1, "Gemini Lake"},     {0x000706A8, "Gemini Lake"},    {0x00090661, "Elkhart Lake"},
      {0x000906C0, "Jasper Lake"},
  };
  for (const auto& group : {std::span<const Signature>(kClient), std::span<const Signature>(kServerAndAtom)}) {
    for (const Signature& s : group) {
      EXPECT_EQ(NameOf("GenuineIntel", s.eax), s.name) << std::hex << s.eax;
    }
  }
}

// Signatures quoted by coreboot, by bug reports with raw CPUID dumps, and the one of this
// test's own Zen 5 (Turin) machine.
TEST(CpuCodeNames, AmdSignaturesFromZenToZen5) {
  constexpr Signature kAmd[] = {
      {0x00800F12, "Summit Ridge / Naples (Zen)"}, {0x00800F82, "Pinnacle Ridge (Zen+)"},
      {0x00810F10, "Raven Ridge (Zen)"},           {0x00810F81, "Picasso (Zen+)"},
      {0x00830F10, "Rome / Castle Peak (Zen 2)"},  {0x008A0F00, "Mendocino (Zen 2)"},
      {0x00A00F11, "Milan (Zen 3)"},               {0x00A50F00, "Cezanne / Barcelo (Zen 3)"},
      {0x00A10F10, "Genoa (Zen 4)"},               {0x00A60F12, "Raphael / Dragon Range (Zen 4)"},
      {0x00A70F41, "Phoenix (Zen 4)"},             {0x00A70F80, "Phoenix 2 (Zen 4)"},
      {0x00AA0F01, "Bergamo / Siena (Zen 4c)"},    {0x00AA0F02, "Bergamo / Siena (Zen 4c)"},
      {0x00B20F40, "Strix Point (Zen 5)"},         {0x00B70F00, "Strix Halo (Zen 5)"},
      {0x00B00F21, "Turin (Zen 5)"},               {0x00B40F40, "Granite Ridge (Zen 5)"},
  };
  for (const Signature& s : kAmd) {
    EXPECT_EQ(NameOf("AuthenticAMD", s.eax), s.name) << std::hex << s.eax;
  }
}

TEST(CpuCodeNames, ModelsNoMakerNamedStayUnknownOrTheirCoreOnly) {
  EXPECT_EQ(GenerationOf("GenuineIntel", 6, 0x98, 0).codeName, "Unknown");  // no Alder Lake between 0x97 and 0x9A
  EXPECT_EQ(GenerationOf("GenuineIntel", 6, 0x99, 0).codeName, "Unknown");
  EXPECT_EQ(GenerationOf("AuthenticAMD", 0x1A, 0x50, 0).codeName, "Zen 6");  // never Zen 5
  EXPECT_EQ(GenerationOf("AuthenticAMD", 0x1A, 0x90, 0).codeName, "Zen 6");
  EXPECT_EQ(GenerationOf("AuthenticAMD", 0x1A, 0xF0, 0).codeName, "Unknown");
  EXPECT_EQ(GenerationOf("AuthenticAMD", 0x19, 0x90, 0).codeName, "Zen 4");  // MI300A, not Zen 3
  EXPECT_EQ(GenerationOf("AuthenticAMD", 0x17, 0x50, 0).codeName, "Zen");    // not Zen 2
  EXPECT_EQ(GenerationOf("AuthenticAMD", 0x19, 0xB0, 0).codeName, "Unknown");
}

// Intel's own example of the brand string leaves (the SDM's Pentium 4 at 1500 MHz), with its
// leading blanks; and the 48 NULs of an AMD part whose firmware never wrote the name.
TEST_F(CpuIdentityTest, TheNameStringAsTheProcessorSpellsIt) {
  probe_.Vendor("Genu", "ineI", "ntel", 2);
  probe_.leaves[{1, 0}] = {0x00000F0A, 0, 0, 0};
  probe_.leaves[{0x80000000, 0}] = {0x80000004, 0, 0, 0};
  probe_.leaves[{0x80000002, 0}] = {0x20202020, 0x20202020, 0x20202020, 0x6E492020};
  probe_.leaves[{0x80000003, 0}] = {0x286C6574, 0x50202952, 0x69746E65, 0x52286D75};
  probe_.leaves[{0x80000004, 0}] = {0x20342029, 0x20555043, 0x30303531, 0x007A484D};
  TCPU cpu(probe_, figures_);
  cpu.Refresh();
  EXPECT_EQ(cpu.BrandName, "Intel(R) Pentium(R) 4 CPU 1500MHz");
  EXPECT_EQ(CpuPageOf(cpu).name, "Intel(R) Pentium(R) 4 CPU 1500MHz");

  probe_.leaves[{0x80000002, 0}] = {};
  probe_.leaves[{0x80000003, 0}] = {};
  probe_.leaves[{0x80000004, 0}] = {};
  cpu.Refresh();
  EXPECT_EQ(cpu.BrandName, "");
  EXPECT_EQ(CpuPageOf(cpu).name, "-");
}

// A Ryzen 5 7600's leaf 0x8000001D as a bug report quotes it (EAX, EBX, ECX per subleaf);
// AMD publishes 32 + 32 KB first level, 1 MB second and 32 MB third for it.
TEST_F(CpuIdentityTest, AmdCachesFromARealTopologyLeafDump) {
  probe_.Vendor("Auth", "enti", "cAMD", 0x10);
  probe_.leaves[{1, 0}] = {0x00A60F12, 0, 0, 0};
  probe_.leaves[{0x80000000, 0}] = {0x80000028, 0, 0, 0};
  probe_.leaves[{0x80000001, 0}] = {0, 0, 1U << 22, 0};
  probe_.leaves[{0x8000001D, 0}] = {0x00004121, 0x01C0003F, 0x0000003F, 0};
  probe_.leaves[{0x8000001D, 1}] = {0x00004122, 0x01C0003F, 0x0000003F, 0};
  probe_.leaves[{0x8000001D, 2}] = {0x00004143, 0x01C0003F, 0x000007FF, 0};
  probe_.leaves[{0x8000001D, 3}] = {0x0002C163, 0x03C0003F, 0x00007FFF, 0};
  TCPU cpu(probe_, figures_);
  cpu.Refresh();
  EXPECT_EQ(cpu.Cache.L1Data, 32);
  EXPECT_EQ(cpu.Cache.L1Code, 32);
  EXPECT_EQ(cpu.Cache.Level2, 1024);
  EXPECT_EQ(cpu.Cache.Level3, 32768);
  EXPECT_EQ(cpu.CodeName, "Raphael / Dragon Range (Zen 4)");

  // What the processor does not report reads "-", never 0: no leaf 0x16 (so no bus clock),
  // no unified first level, no published transistor count, a clock that stood still.
  const CpuPage page = CpuPageOf(cpu);
  EXPECT_EQ(page.busSpeed, "-");
  EXPECT_EQ(page.transistors, "-");
  EXPECT_EQ(page.unifiedCache0, "-");
  EXPECT_EQ(page.speed, "-");
  EXPECT_EQ(page.dataCache, "32");
  EXPECT_EQ(page.unifiedCache2, "32768");
}

}  // namespace
}  // namespace sw::sysinfo
