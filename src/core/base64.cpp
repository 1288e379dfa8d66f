#include "core/base64.h"

namespace sw {
namespace {

int Sextet(char c) {
  if (c >= 'A' && c <= 'Z') {
    return c - 'A';
  }
  if (c >= 'a' && c <= 'z') {
    return c - 'a' + 26;
  }
  if (c >= '0' && c <= '9') {
    return c - '0' + 52;
  }
  if (c == '+') {
    return 62;
  }
  if (c == '/') {
    return 63;
  }
  return -1;
}

}  // namespace

std::optional<Bytes> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) {
    return std::nullopt;
  }
  Bytes bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const std::size_t padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
    std::uint32_t group = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      const int value = j >= 4 - padding ? 0 : Sextet(text[i + j]);
      if (value < 0) {
        return std::nullopt;
      }
      group = group << 6 | static_cast<std::uint32_t>(value);
    }
    for (std::size_t j = 0; j < 3 - padding; ++j) {
      bytes.push_back(static_cast<std::uint8_t>(group >> (16 - 8 * j)));
    }
  }
  return bytes;
}

}  // namespace sw
