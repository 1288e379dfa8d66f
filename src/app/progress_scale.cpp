#include "app/progress_scale.h"

#include <algorithm>
#include <cstdint>

namespace sw::app {

int ProgressPermille(std::uint64_t minimum, std::uint64_t maximum, std::uint64_t position) {
  if (maximum == minimum) {
    return kProgressScale;
  }
  if (maximum < minimum || position <= minimum) {
    return 0;
  }
  const std::uint64_t span = maximum - minimum;
  const std::uint64_t done = std::min(position, maximum) - minimum;
  // Divided first when the product could overflow: a span that large loses nothing visible.
  if (done > UINT64_MAX / kProgressScale) {
    return static_cast<int>(std::min<std::uint64_t>(kProgressScale, done / (span / kProgressScale)));
  }
  return static_cast<int>(done * kProgressScale / span);
}

}  // namespace sw::app
