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

// One generation: a family and a range of models of one maker.
struct GenerationRow {
  std::string_view vendorId;
  int family;
  int firstModel;
  int lastModel;
  CpuGeneration generation;
};

constexpr std::string_view kIntel = "GenuineIntel";
constexpr std::string_view kAmd = "AuthenticAMD";

// Models are listed as the signature decodes them (extended model in front). The first row
// that matches wins, so narrow rows come before the family-wide row they refine.
constexpr GenerationRow kGenerations[] = {
    {kIntel, 4, 0, 0xF, {"80486", 1'200'000}},
    {kIntel, 5, 1, 2, {"P54C", 3'200'000}},
    {kIntel, 5, 4, 4, {"P55C", 4'500'000}},
    {kIntel, 6, 1, 1, {"Pentium Pro", 5'500'000}},
    {kIntel, 6, 3, 3, {"Klamath", 7'500'000}},
    {kIntel, 6, 5, 5, {"Deschutes", 7'500'000}},
    {kIntel, 6, 7, 7, {"Katmai", 9'500'000}},
    {kIntel, 6, 8, 8, {"Coppermine", 28'100'000}},
    {kIntel, 6, 0xB, 0xB, {"Tualatin", 0}},
    {kIntel, 6, 9, 9, {"Banias", 0}},
    {kIntel, 6, 0xD, 0xD, {"Dothan", 0}},
    {kIntel, 6, 0xE, 0xE, {"Yonah", 0}},
    {kIntel, 6, 0xF, 0xF, {"Conroe", 291'000'000}},
    {kIntel, 6, 0x17, 0x17, {"Penryn", 0}},
    {kIntel, 6, 0x1A, 0x1A, {"Nehalem", 0}},
    {kIntel, 6, 0x2A, 0x2A, {"Sandy Bridge", 0}},
    {kIntel, 6, 0x3A, 0x3A, {"Ivy Bridge", 0}},
    {kIntel, 6, 0x3C, 0x3C, {"Haswell", 0}},
    {kIntel, 6, 0x3D, 0x3D, {"Broadwell", 0}},
    {kIntel, 6, 0x4E, 0x4E, {"Skylake", 0}},
    {kIntel, 6, 0x5E, 0x5E, {"Skylake", 0}},
    {kIntel, 6, 0x8E, 0x8E, {"Kaby Lake", 0}},
    {kIntel, 6, 0x9E, 0x9E, {"Coffee Lake", 0}},
    {kIntel, 6, 0x97, 0x9A, {"Alder Lake", 0}},
    {kIntel, 6, 0xB7, 0xB7, {"Raptor Lake", 0}},
    {kIntel, 15, 0, 1, {"Willamette", 42'000'000}},
    {kIntel, 15, 2, 2, {"Northwood", 55'000'000}},
    {kIntel, 15, 3, 4, {"Prescott", 125'000'000}},
    {kAmd, 5, 6, 7, {"K6", 8'800'000}},
    {kAmd, 5, 8, 8, {"K6-2", 9'300'000}},
    {kAmd, 6, 1, 2, {"K7", 22'000'000}},
    {kAmd, 6, 4, 4, {"Thunderbird", 37'000'000}},
    {kAmd, 15, 0, 0xFF, {"K8", 0}},
    {kAmd, 0x10, 0, 0xFF, {"K10", 0}},
    {kAmd, 0x15, 0, 0xFF, {"Bulldozer", 0}},
    {kAmd, 0x17, 0x30, 0xFF, {"Zen 2", 0}},
    {kAmd, 0x17, 0, 0xFF, {"Zen", 0}},
    {kAmd, 0x19, 0x10, 0x1F, {"Zen 4", 0}},
    {kAmd, 0x19, 0x60, 0x7F, {"Zen 4", 0}},
    {kAmd, 0x19, 0xA0, 0xAF, {"Zen 4", 0}},
    {kAmd, 0x19, 0, 0xFF, {"Zen 3", 0}},
    {kAmd, 0x1A, 0, 0xFF, {"Zen 5", 0}},
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

CpuGeneration GenerationOf(std::string_view vendorId, int family, int model) {
  for (const auto& row : kGenerations) {
    if (row.vendorId == vendorId && row.family == family && model >= row.firstModel && model <= row.lastModel) {
      return row.generation;
    }
  }
  return {};
}

}  // namespace sw::sysinfo
