#include "sysinfo/figure_text.h"

#include <limits>

namespace sw::sysinfo {

int PercentOf(std::uint64_t part, std::uint64_t whole) {
  // Halving both keeps the ratio to well within a percent, and part × 100 within 64 bits.
  while (part > std::numeric_limits<std::uint64_t>::max() / 100) {
    part /= 2;
    whole /= 2;
  }
  if (whole == 0) {
    return 0;
  }
  const std::uint64_t percent = part * 100 / whole;
  return static_cast<int>(percent > 100 ? 100 : percent);
}

std::string KBAndMBText(std::uint64_t bytes) {
  return std::to_string(KBOf(bytes)) + "KB (" + std::to_string(MBOf(bytes)) + "MB)";
}

std::string MBText(std::uint64_t bytes) {
  return std::to_string(MBOf(bytes)) + "MB";
}

}  // namespace sw::sysinfo
