#pragma once
// How the information pages write their figures: whole numbers in decimal without
// separators, bytes turned into KB and MB by truncating division, percentages truncated.

#include <cstdint>
#include <string>

namespace sw::sysinfo {

[[nodiscard]] constexpr std::uint64_t KBOf(std::uint64_t bytes) {
  return bytes / 1024;
}
[[nodiscard]] constexpr std::uint64_t MBOf(std::uint64_t bytes) {
  return bytes / 1024 / 1024;
}

// part × 100 div whole, in 64 bits without overflow; 0 when the whole is 0 (no drive found,
// no memory reported).
[[nodiscard]] int PercentOf(std::uint64_t part, std::uint64_t whole);

// "261748KB (255MB)" for 268,029,952 bytes.
std::string KBAndMBText(std::uint64_t bytes);
// "255MB".
std::string MBText(std::uint64_t bytes);

}  // namespace sw::sysinfo
