#include "sysinfo/cpu_names.h"

namespace sw::sysinfo {
namespace {

struct VendorRow {
  std::string_view id;
  std::string_view name;
};

constexpr VendorRow kVendors[] = {
    {"GenuineIntel", "Intel"},     {"AuthenticAMD", "AMD"},       {"HygonGenuine", "Hygon"},
    {"CentaurHauls", "Centaur"},   {"Shanghai", "Zhaoxin"},       {"CyrixInstead", "Cyrix"},
    {"GenuineTMx86", "Transmeta"}, {"TransmetaCPU", "Transmeta"}, {"Geode by NSC", "National Semiconductor"},
    {"NexGenDriven", "NexGen"},    {"RiseRiseRise", "Rise"},      {"SiS SiS SiS", "SiS"},
};

// One generation: a family, a range of models and of steppings of one maker.
struct GenerationRow {
  std::string_view vendorId;
  int family;
  int firstModel;
  int lastModel;
  CpuGeneration generation;
  int firstStepping = 0;
  int lastStepping = 0xF;
};

constexpr std::string_view kIntel = "GenuineIntel";
constexpr std::string_view kAmd = "AuthenticAMD";
constexpr std::string_view kHygon = "HygonGenuine";

// A model sold as one generation whatever its stepping.
constexpr GenerationRow Models(std::string_view vendorId, int family, int first, int last, std::string_view name,
                               std::int64_t transistors = 0) {
  return GenerationRow{vendorId, family, first, last, {name, transistors}};
}
// A model whose steppings were sold as different generations.
constexpr GenerationRow Steppings(std::string_view vendorId, int family, int model, int firstStepping,
                                  int lastStepping, std::string_view name) {
  return GenerationRow{vendorId, family, model, model, {name, 0}, firstStepping, lastStepping};
}

// Models are listed as the signature decodes them (extended model in front). The first row
// that matches wins, so narrow rows come before the rows they refine: steppings first, then
// single models, then the family-wide rows of a microarchitecture. A model in none of them
// stays "Unknown" rather than being guessed.
//
// Where the rows come from (each row names its source):
//   intel-family   Linux, arch/x86/include/asm/intel-family.h: Intel's model numbers
//   ucode          Intel's microcode release notes: family-model-stepping per product line
//   perf           Linux, tools/perf/pmu-events/arch/x86/mapfile.csv: signatures per core
//   amd.c          Linux, arch/x86/kernel/cpu/amd.c: the model ranges of each Zen generation
//   k10temp        Linux, drivers/hwmon/k10temp.c: AMD models named in its comments
//   coreboot       coreboot, src/soc/amd/*/include/soc/cpu.h: AMD signatures per product
//   ppr            the titles of AMD's Processor Programming References (family, model)
//   wikichip       WikiChip's AMD CPUID table
// Transistor counts are given only where the maker published them for the whole die; the
// makers stopped doing so for the processors of 2015 on.
constexpr GenerationRow kGenerations[] = {
    Models(kIntel, 4, 0, 0xF, "80486", 1'200'000),
    Models(kIntel, 5, 1, 2, "P54C", 3'200'000),
    Models(kIntel, 5, 4, 4, "P55C", 4'500'000),
    Models(kIntel, 6, 1, 1, "Pentium Pro", 5'500'000),
    Models(kIntel, 6, 3, 3, "Klamath", 7'500'000),
    Models(kIntel, 6, 5, 5, "Deschutes", 7'500'000),
    Models(kIntel, 6, 7, 7, "Katmai", 9'500'000),
    Models(kIntel, 6, 8, 8, "Coppermine", 28'100'000),
    Models(kIntel, 6, 0xB, 0xB, "Tualatin"),
    Models(kIntel, 6, 9, 9, "Banias"),
    Models(kIntel, 6, 0xD, 0xD, "Dothan"),
    Models(kIntel, 6, 0xE, 0xE, "Yonah"),
    Models(kIntel, 6, 0xF, 0xF, "Conroe", 291'000'000),
    Models(kIntel, 6, 0x17, 0x17, "Penryn"),
    Models(kIntel, 6, 0x1A, 0x1A, "Nehalem"),
    Models(kIntel, 6, 0x2A, 0x2A, "Sandy Bridge"),
    Models(kIntel, 6, 0x3A, 0x3A, "Ivy Bridge"),
    Models(kIntel, 6, 0x3C, 0x3C, "Haswell"),
    Models(kIntel, 6, 0x3F, 0x3F, "Haswell"),      // intel-family: HASWELL_X
    Models(kIntel, 6, 0x45, 0x46, "Haswell"),      // intel-family: HASWELL_L, HASWELL_G
    Models(kIntel, 6, 0x3D, 0x3D, "Broadwell"),
    Models(kIntel, 6, 0x47, 0x47, "Broadwell"),    // intel-family: BROADWELL_G
    Models(kIntel, 6, 0x4F, 0x4F, "Broadwell"),    // intel-family: BROADWELL_X
    Models(kIntel, 6, 0x56, 0x56, "Broadwell"),    // intel-family: BROADWELL_D
    // Core, 2015 on.
    Models(kIntel, 6, 0x4E, 0x4E, "Skylake"),      // intel-family: SKYLAKE_L; ucode: SKL-U/Y 06-4e-03
    Models(kIntel, 6, 0x5E, 0x5E, "Skylake"),      // intel-family: SKYLAKE; ucode: SKL-H/S 06-5e-03
    // 06-8E: ucode lists KBL-U/Y and AML-Y22 at stepping 9, KBL-R U and CFL-U43e at 0xA,
    // WHL-U at 0xB, and WHL-U, AML-Y42 and CML-U/Y at 0xC; where it names several lines for one
    // signature, so does the row.
    Steppings(kIntel, 6, 0x8E, 9, 9, "Kaby Lake / Amber Lake"),
    Steppings(kIntel, 6, 0x8E, 0xA, 0xA, "Kaby Lake R / Coffee Lake"),
    Steppings(kIntel, 6, 0x8E, 0xB, 0xB, "Whiskey Lake"),
    Steppings(kIntel, 6, 0x8E, 0xC, 0xC, "Comet Lake / Whiskey Lake / Amber Lake"),
    Models(kIntel, 6, 0x8E, 0x8E, "Kaby Lake"),    // intel-family: KABYLAKE_L
    // 06-9E: ucode: KBL-G/H/S/X at stepping 9 (Core 7th gen), CFL-H/S at 0xA-0xD (8th, 9th gen).
    Steppings(kIntel, 6, 0x9E, 9, 9, "Kaby Lake"),
    Models(kIntel, 6, 0x9E, 0x9E, "Coffee Lake"),  // intel-family: KABYLAKE ("s: 10-13" Coffee Lake)
    Models(kIntel, 6, 0x66, 0x66, "Cannon Lake"),  // intel-family: CANNONLAKE_L
    Models(kIntel, 6, 0x7D, 0x7E, "Ice Lake"),     // intel-family: ICELAKE, ICELAKE_L; ucode: ICL-U/Y 06-7e-05
    Models(kIntel, 6, 0xA5, 0xA6, "Comet Lake"),   // intel-family: COMETLAKE, COMETLAKE_L; ucode: CML-H/S/U62
    Models(kIntel, 6, 0x8C, 0x8D, "Tiger Lake"),   // intel-family: TIGERLAKE_L, TIGERLAKE; ucode: TGL 06-8c-01
    Models(kIntel, 6, 0xA7, 0xA7, "Rocket Lake"),  // intel-family: ROCKETLAKE; ucode: RKL-S 06-a7-01
    Models(kIntel, 6, 0x8A, 0x8A, "Lakefield"),    // intel-family: LAKEFIELD
    Models(kIntel, 6, 0x97, 0x97, "Alder Lake"),   // intel-family: ALDERLAKE; ucode: ADL 06-97-02/05
    Models(kIntel, 6, 0x9A, 0x9A, "Alder Lake"),   // intel-family: ALDERLAKE_L; ucode: ADL 06-9a-03/04
    Models(kIntel, 6, 0xBE, 0xBE, "Alder Lake-N"), // intel-family: ATOM_GRACEMONT; ucode: ADL-N 06-be-00
    // 13th and 14th generation share model and stepping (ucode: "Core Gen13/Gen14").
    Models(kIntel, 6, 0xB7, 0xB7, "Raptor Lake"),  // intel-family: RAPTORLAKE; ucode: RPL-S 06-b7-01
    Models(kIntel, 6, 0xBA, 0xBA, "Raptor Lake"),  // intel-family: RAPTORLAKE_P; ucode: RPL-H/P/U 06-ba-02/03
    Models(kIntel, 6, 0xBF, 0xBF, "Raptor Lake"),  // intel-family: RAPTORLAKE_S; ucode: RPL-S 06-bf-02/05
    Models(kIntel, 6, 0xAA, 0xAA, "Meteor Lake"),  // intel-family: METEORLAKE_L; ucode: MTL 06-aa-04
    Models(kIntel, 6, 0xAC, 0xAC, "Meteor Lake"),  // intel-family: METEORLAKE
    Models(kIntel, 6, 0xB5, 0xB5, "Arrow Lake-U"), // intel-family: ARROWLAKE_U; perf: a Meteor Lake core
    Models(kIntel, 6, 0xC5, 0xC6, "Arrow Lake"),   // intel-family: ARROWLAKE_H, ARROWLAKE
    Models(kIntel, 6, 0xBD, 0xBD, "Lunar Lake"),   // intel-family: LUNARLAKE_M; perf: 6-BD lunarlake
    Models(kIntel, 6, 0xCC, 0xCC, "Panther Lake"), // intel-family: PANTHERLAKE_L; perf: 6-CC pantherlake
    // Xeon and Xeon Phi. 06-55: perf maps steppings 0-4 to Skylake-X and 5-F to Cascade Lake's
    // events; ucode names CLX-SP at 06-55-06/07 and CPX-SP (Cooper Lake) at 06-55-0b.
    Steppings(kIntel, 6, 0x55, 0, 4, "Skylake-SP"),
    Steppings(kIntel, 6, 0x55, 5, 7, "Cascade Lake"),
    Steppings(kIntel, 6, 0x55, 8, 0xF, "Cooper Lake"),
    Models(kIntel, 6, 0x6A, 0x6A, "Ice Lake-SP"),      // intel-family: ICELAKE_X; ucode: ICX-SP 06-6a-06
    Models(kIntel, 6, 0x6C, 0x6C, "Ice Lake-D"),       // intel-family: ICELAKE_D; ucode: ICL-D 06-6c-01
    Models(kIntel, 6, 0x8F, 0x8F, "Sapphire Rapids"),  // intel-family: SAPPHIRERAPIDS_X; ucode: SPR-SP
    Models(kIntel, 6, 0xCF, 0xCF, "Emerald Rapids"),   // intel-family: EMERALDRAPIDS_X; ucode: EMR-SP
    Models(kIntel, 6, 0xAD, 0xAE, "Granite Rapids"),   // intel-family: GRANITERAPIDS_X, _D
    Models(kIntel, 6, 0xAF, 0xAF, "Sierra Forest"),    // intel-family: ATOM_CRESTMONT_X; ucode: SRF-SP
    Models(kIntel, 6, 0x57, 0x57, "Knights Landing"),  // intel-family: XEON_PHI_KNL
    Models(kIntel, 6, 0x85, 0x85, "Knights Mill"),     // intel-family: XEON_PHI_KNM
    // Atom, Pentium Silver and Celeron.
    Models(kIntel, 6, 0x5C, 0x5C, "Apollo Lake"),  // intel-family: ATOM_GOLDMONT; ucode: APL 06-5c-09
    Models(kIntel, 6, 0x5F, 0x5F, "Denverton"),    // intel-family: ATOM_GOLDMONT_D; ucode: DNV 06-5f-01
    Models(kIntel, 6, 0x7A, 0x7A, "Gemini Lake"),  // intel-family: ATOM_GOLDMONT_PLUS; ucode: GLK 06-7a-01/08
    Models(kIntel, 6, 0x86, 0x86, "Snow Ridge"),   // intel-family: ATOM_TREMONT_D; perf: 6-86 snowridgex
    Models(kIntel, 6, 0x96, 0x96, "Elkhart Lake"), // intel-family: ATOM_TREMONT; ucode: EHL 06-96-01
    Models(kIntel, 6, 0x9C, 0x9C, "Jasper Lake"),  // intel-family: ATOM_TREMONT_L; ucode: JSL 06-9c-00
    Models(kIntel, 15, 0, 1, "Willamette", 42'000'000),
    Models(kIntel, 15, 2, 2, "Northwood", 55'000'000),
    Models(kIntel, 15, 3, 4, "Prescott", 125'000'000),
    Models(kAmd, 5, 6, 7, "K6", 8'800'000),
    Models(kAmd, 5, 8, 8, "K6-2", 9'300'000),
    Models(kAmd, 6, 1, 2, "K7", 22'000'000),
    Models(kAmd, 6, 4, 4, "Thunderbird", 37'000'000),
    Models(kAmd, 15, 0, 0xFF, "K8"),
    Models(kAmd, 0x10, 0, 0xFF, "K10"),
    Models(kAmd, 0x15, 0, 0xFF, "Bulldozer"),
    // Family 17h: Zen, Zen+ and Zen 2. The product's code name, with its core beside it.
    Models(kAmd, 0x17, 0x01, 0x01, "Summit Ridge / Naples (Zen)"),  // k10temp: 0x1 Zen; ppr: Models 01h,08h
    Models(kAmd, 0x17, 0x08, 0x08, "Pinnacle Ridge (Zen+)"),        // k10temp: 0x8 Zen+
    Models(kAmd, 0x17, 0x11, 0x11, "Raven Ridge (Zen)"),            // k10temp: 0x11 Zen APU; coreboot: RAVEN1
    Models(kAmd, 0x17, 0x18, 0x18, "Picasso (Zen+)"),               // k10temp: 0x18 Zen+ APU; coreboot: PICASSO
    Models(kAmd, 0x17, 0x20, 0x20, "Dali (Zen)"),                   // coreboot: RAVEN2 0x00820f00; ppr: Model 20h
    Models(kAmd, 0x17, 0x31, 0x31, "Rome / Castle Peak (Zen 2)"),   // k10temp: 0x31 Zen2 Threadripper
    Models(kAmd, 0x17, 0x60, 0x60, "Renoir (Zen 2)"),               // k10temp: 0x60 Renoir; ppr: Models 60h
    Models(kAmd, 0x17, 0x68, 0x68, "Lucienne (Zen 2)"),             // k10temp: 0x68 Lucienne
    Models(kAmd, 0x17, 0x71, 0x71, "Matisse (Zen 2)"),              // k10temp: 0x71 Zen2; ppr: Model 71h
    Models(kAmd, 0x17, 0x90, 0x91, "Van Gogh (Zen 2)"),             // amd.c: 0x90-0x91 Zen 2
    Models(kAmd, 0x17, 0xA0, 0xAF, "Mendocino (Zen 2)"),            // coreboot: MENDOCINO (0x17, 0xa0)
    Models(kAmd, 0x17, 0x00, 0x2F, "Zen"),                          // amd.c: 0x00-0x2f, 0x50-0x5f Zen 1
    Models(kAmd, 0x17, 0x50, 0x5F, "Zen"),
    Models(kAmd, 0x17, 0x30, 0x4F, "Zen 2"),                        // amd.c: 0x30-0x4f, 0x60-0x7f Zen 2
    Models(kAmd, 0x17, 0x60, 0x7F, "Zen 2"),
    // Family 19h: Zen 3 and Zen 4.
    Models(kAmd, 0x19, 0x00, 0x01, "Milan (Zen 3)"),                // k10temp: 0x0-0x1 Zen3 SP3/TR; ppr: Model 01h
    Models(kAmd, 0x19, 0x08, 0x08, "Chagall (Zen 3)"),              // k10temp: 0x8 Zen3 TR Chagall
    Models(kAmd, 0x19, 0x10, 0x11, "Genoa (Zen 4)"),                // coreboot: GENOA (0x19, 0x10/0x11)
    Models(kAmd, 0x19, 0x20, 0x21, "Vermeer (Zen 3)"),              // k10temp: 0x21 Zen3 Ryzen Desktop
    Models(kAmd, 0x19, 0x40, 0x44, "Rembrandt (Zen 3+)"),           // k10temp: 0x40-0x4f Yellow Carp
    Models(kAmd, 0x19, 0x50, 0x5F, "Cezanne / Barcelo (Zen 3)"),    // coreboot: CEZANNE (0x19, 0x50)
    Models(kAmd, 0x19, 0x60, 0x61, "Raphael / Dragon Range (Zen 4)"),  // wikichip: Raphael, Dragon Range AF_61
    Models(kAmd, 0x19, 0x74, 0x74, "Phoenix (Zen 4)"),              // coreboot: PHOENIX_A0 0x00a70f40
    Models(kAmd, 0x19, 0x75, 0x75, "Phoenix / Hawk Point (Zen 4)"), // wikichip: Phoenix, Hawk Point 0x75
    Models(kAmd, 0x19, 0x78, 0x78, "Phoenix 2 (Zen 4)"),            // coreboot: PHOENIX2_A0 0x00a70f80
    Models(kAmd, 0x19, 0x7C, 0x7C, "Phoenix / Hawk Point (Zen 4)"), // wikichip: 00A70FC0 Hawk Point
    Models(kAmd, 0x19, 0xA0, 0xAF, "Bergamo / Siena (Zen 4c)"),     // wikichip: Siena, Bergamo 0xA0
    Models(kAmd, 0x19, 0x00, 0x0F, "Zen 3"),                        // amd.c: 0x00-0x0f, 0x20-0x5f Zen 3
    Models(kAmd, 0x19, 0x20, 0x5F, "Zen 3"),
    Models(kAmd, 0x19, 0x10, 0x1F, "Zen 4"),                        // amd.c: 0x10-0x1f, 0x60-0xaf Zen 4
    Models(kAmd, 0x19, 0x60, 0xAF, "Zen 4"),
    // Family 1Ah: Zen 5, and the models Linux already counts as Zen 6.
    Models(kAmd, 0x1A, 0x00, 0x0F, "Turin (Zen 5)"),                // ppr: Family 1Ah Model 02h (Turin)
    Models(kAmd, 0x1A, 0x10, 0x1F, "Turin Dense (Zen 5c)"),         // wikichip: Turin Dense 1x0-1xF
    Models(kAmd, 0x1A, 0x20, 0x2F, "Strix Point (Zen 5)"),          // coreboot: GLINDA (0x1a, 0x20/0x24)
    Models(kAmd, 0x1A, 0x40, 0x4F, "Granite Ridge (Zen 5)"),        // wikichip: Granite Ridge 4x0-4xF
    Models(kAmd, 0x1A, 0x60, 0x6F, "Krackan Point (Zen 5)"),        // wikichip: Krackan Point 6x0-6xF
    Models(kAmd, 0x1A, 0x70, 0x77, "Strix Halo (Zen 5)"),           // ppr: Family 1Ah Model 70h
    Models(kAmd, 0x1A, 0x00, 0x2F, "Zen 5"),                        // amd.c: 0x00-0x2f, 0x40-0x4f, 0x60-0x7f
    Models(kAmd, 0x1A, 0x40, 0x4F, "Zen 5"),
    Models(kAmd, 0x1A, 0x60, 0x7F, "Zen 5"),
    Models(kAmd, 0x1A, 0x50, 0x5F, "Zen 6"),                        // amd.c: 0x50-0x5f, 0x80-0xaf, 0xc0-0xcf
    Models(kAmd, 0x1A, 0x80, 0xAF, "Zen 6"),
    Models(kAmd, 0x1A, 0xC0, 0xCF, "Zen 6"),
    Models(kHygon, 0x18, 0x00, 0x0F, "Dhyana (Zen)"),               // wikichip: Dhyana, family 18h model 0
};

}  // namespace

std::string_view VendorName(std::string_view vendorId) {
  for (const auto& row : kVendors) {
    if (row.id == vendorId) {
      return row.name;
    }
  }
  return kUnknownCpu;
}

CpuGeneration GenerationOf(std::string_view vendorId, int family, int model, int stepping) {
  for (const auto& row : kGenerations) {
    if (row.vendorId == vendorId && row.family == family && model >= row.firstModel && model <= row.lastModel &&
        stepping >= row.firstStepping && stepping <= row.lastStepping) {
      return row.generation;
    }
  }
  return {};
}

}  // namespace sw::sysinfo
