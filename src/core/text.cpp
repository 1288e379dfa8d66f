#include "core/text.h"

#include <algorithm>
#include <charconv>

#include "core/unicode.h"

namespace sw {
namespace {

// Ranges in which capitals and small letters alternate, starting with a capital.
struct AlternatingRange {
  char32_t first;
  char32_t last;
};
constexpr AlternatingRange kAlternating[] = {
    {0x0100, 0x012F}, {0x0132, 0x0137}, {0x014A, 0x0177}, {0x0182, 0x0185}, {0x01A0, 0x01A5}, {0x01DE, 0x01EF},
    {0x01F8, 0x021F}, {0x03D8, 0x03EF}, {0x0460, 0x0481}, {0x048A, 0x04BF}, {0x04D0, 0x04FF}, {0x1E00, 0x1E95},
    {0x1EA0, 0x1EFF}, {0x0139, 0x0148}, {0x0179, 0x017E}, {0x01CD, 0x01DC}, {0x04C1, 0x04CE},
};

// Blocks where small letters sit at a fixed distance above their capitals.
struct ShiftedRange {
  char32_t firstUpper;
  char32_t lastUpper;
  char32_t shift;
};
constexpr ShiftedRange kShifted[] = {
    {U'A', U'Z', 0x20},     {0x00C0, 0x00D6, 0x20}, {0x00D8, 0x00DE, 0x20},
    {0x0391, 0x03A1, 0x20}, {0x03A3, 0x03AB, 0x20}, {0x0410, 0x042F, 0x20},
    {0x0400, 0x040F, 0x50}, {0x0531, 0x0556, 0x30}, {0xFF21, 0xFF3A, 0x20},
};

bool InAlternating(char32_t c, const AlternatingRange& r) {
  return c >= r.first && c <= r.last;
}

std::string MapText(std::string_view text, char32_t (*map)(char32_t)) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    if (auto cp = DecodeUtf8(text, pos)) {
      AppendUtf8(out, map(*cp));
    } else {
      out.append(text.substr(start, pos - start));  // keep stray bytes as they are
    }
  }
  return out;
}

}  // namespace

char32_t ToUpperChar(char32_t c) {
  if (c < 0x80) {
    return (c >= U'a' && c <= U'z') ? c - 0x20 : c;
  }
  for (const auto& r : kShifted) {
    if (c >= r.firstUpper + r.shift && c <= r.lastUpper + r.shift) {
      return c - r.shift;
    }
  }
  for (const auto& r : kAlternating) {
    if (InAlternating(c, r) && (c - r.first) % 2 == 1) {
      return c - 1;
    }
  }
  switch (c) {
    case 0x00FF: return 0x0178;
    case 0x03C2: return 0x03A3;  // final sigma
    default: return c;
  }
}

char32_t ToLowerChar(char32_t c) {
  if (c < 0x80) {
    return (c >= U'A' && c <= U'Z') ? c + 0x20 : c;
  }
  for (const auto& r : kShifted) {
    if (c >= r.firstUpper && c <= r.lastUpper) {
      return c + r.shift;
    }
  }
  for (const auto& r : kAlternating) {
    if (InAlternating(c, r) && (c - r.first) % 2 == 0) {
      return c + 1;
    }
  }
  return c == 0x0178 ? 0x00FF : c;
}

std::string ToUpperText(std::string_view text) {
  return MapText(text, ToUpperChar);
}
std::string ToLowerText(std::string_view text) {
  return MapText(text, ToLowerChar);
}

// Sorting a million paths compares long shared beginnings (the folders) over and over, so the
// bytes the two texts share are skipped unread. The comparison picks up after the last plain
// ASCII character before the first difference: decoding steps over an ASCII character one
// byte at a time and never takes one into another character, so there the decoding of both
// texts is at a character's start, and everything before it decoded the same.
int CompareNoCase(std::string_view a, std::string_view b) {
  auto start = static_cast<std::size_t>(std::ranges::mismatch(a, b).in1 - a.begin());
  while (start > 0 && static_cast<unsigned char>(a[start - 1]) >= 0x80) {
    --start;
  }
  std::size_t i = start;
  std::size_t j = start;
  while (i < a.size() && j < b.size()) {
    // Plain ASCII is the common case and needs no decoding.
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[j]);
    char32_t ua = 0;
    char32_t ub = 0;
    if (ca < 0x80 && cb < 0x80) {
      ua = ToUpperChar(ca), ub = ToUpperChar(cb);
      ++i, ++j;
    } else {
      ua = ToUpperChar(DecodeUtf8(a, i).value_or(0xFFFD));
      ub = ToUpperChar(DecodeUtf8(b, j).value_or(0xFFFD));
    }
    if (ua != ub) {
      return ua < ub ? -1 : 1;
    }
  }
  if (i < a.size()) {
    return 1;
  }
  return j < b.size() ? -1 : 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return CompareNoCase(a, b) == 0;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
      start = i + 1;
    }
  }
  if (start < text.size()) {
    lines.emplace_back(text.substr(start));
  }
  return lines;
}

std::string JoinLinesCrlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::optional<std::uint64_t> ParseUint64(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) {
      return std::nullopt;
    }
  }
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

std::string DoublePercents(std::string_view text) {
  std::string out;
  for (const char c : text) {
    out += c;
    if (c == '%') {
      out += '%';
    }
  }
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace sw
