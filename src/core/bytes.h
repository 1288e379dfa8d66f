#pragma once
// Raw bytes: file contents, registry data, archive chunks.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sw {

using Bytes = std::vector<std::uint8_t>;

inline std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

inline std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace sw
