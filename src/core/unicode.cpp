#include "core/unicode.h"

namespace sw {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0U) == 0x80U;
}

}  // namespace

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < 0x80U) {
    ++pos;
    return lead;
  }
  if ((lead & 0xE0U) == 0xC0U) {
    length = 2, value = lead & 0x1FU, minimum = 0x80;
  } else if ((lead & 0xF0U) == 0xE0U) {
    length = 3, value = lead & 0x0FU, minimum = 0x800;
  } else if ((lead & 0xF8U) == 0xF0U) {
    length = 4, value = lead & 0x07U, minimum = 0x10000;
  } else {
    ++pos;
    return std::nullopt;
  }
  if (text.size() - pos < length) {
    ++pos;
    return std::nullopt;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[pos + i]);
    if (!IsContinuation(byte)) {
      ++pos;
      return std::nullopt;
    }
    value = (value << 6U) | (byte & 0x3FU);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++pos;
    return std::nullopt;
  }
  pos += length;
  return value;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6U));
    out += static_cast<char>(0x80 | (codePoint & 0x3FU));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12U));
    out += static_cast<char>(0x80 | ((codePoint >> 6U) & 0x3FU));
    out += static_cast<char>(0x80 | (codePoint & 0x3FU));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18U));
    out += static_cast<char>(0x80 | ((codePoint >> 12U) & 0x3FU));
    out += static_cast<char>(0x80 | ((codePoint >> 6U) & 0x3FU));
    out += static_cast<char>(0x80 | (codePoint & 0x3FU));
  }
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    if (!DecodeUtf8(text, pos)) {
      return false;
    }
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t cp = DecodeUtf8(text, pos).value_or(kReplacement);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10U));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FFU));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10U) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace sw
