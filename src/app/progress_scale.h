#pragma once
// Progress bars of 64-bit counts: a Win32 progress bar holds only 32-bit positions, so the
// window shows thousandths of the range instead of the counts themselves.

#include <cstdint>

namespace sw::app {

inline constexpr int kProgressScale = 1000;

// The bar's position, 0 to kProgressScale, for `position` in [minimum, maximum]. A range of
// one point (minimum == maximum) is the finished bar, full; an empty range (maximum below
// minimum: the size is not known yet) shows nothing.
[[nodiscard]] int ProgressPermille(std::uint64_t minimum, std::uint64_t maximum, std::uint64_t position);

}  // namespace sw::app
