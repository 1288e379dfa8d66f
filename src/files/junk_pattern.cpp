#include "files/junk_pattern.h"

#include <algorithm>

#include "core/text.h"

namespace sw::files {
namespace {

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The position of the first occurrence of the upper-case `pattern` in `name`, ignoring case.
std::size_t FindNoCase(std::string_view name, std::string_view pattern) {
  if (IsAscii(name)) {  // the usual case, without building an upper-case copy of every name
    const auto it = std::search(name.begin(), name.end(), pattern.begin(), pattern.end(),
                                [](char a, char b) { return AsciiUpper(a) == b; });
    return it == name.end() && !pattern.empty() ? std::string_view::npos : static_cast<std::size_t>(it - name.begin());
  }
  return ToUpperText(name).find(pattern);
}

}  // namespace

bool MatchesJunkPattern(std::string_view name, const JunkPattern& pattern) {
  const std::size_t position = FindNoCase(name, pattern.pattern);
  if (position == std::string_view::npos) {
    return false;
  }
  if (pattern.mode == MatchMode::Contains) {
    return true;
  }
  // Byte lengths: for a non-ASCII name the upper-case copy may differ in length, so the
  // test is made on that copy too.
  const std::size_t length = IsAscii(name) ? name.size() : ToUpperText(name).size();
  return position + pattern.pattern.size() == length;
}

}  // namespace sw::files
