#include "registry/registry_data.h"

#include "core/unicode.h"

namespace sw::reg {

Bytes EncodeRegText(std::string_view text, bool terminate) {
  std::u16string units = Utf8ToUtf16(text);
  if (terminate) {
    units.push_back(u'\0');
  }
  Bytes data;
  data.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    data.push_back(static_cast<std::uint8_t>(unit & 0xFFU));
    data.push_back(static_cast<std::uint8_t>(unit >> 8U));
  }
  return data;
}

std::string DecodeRegText(std::span<const std::uint8_t> data) {
  std::u16string units(data.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8U));
  }
  return Utf16ToUtf8(units);
}

std::string DecodeRegString(std::span<const std::uint8_t> data) {
  std::string text = DecodeRegText(data);
  if (!text.empty() && text.back() == '\0') {
    text.pop_back();
  }
  return text;
}

}  // namespace sw::reg
