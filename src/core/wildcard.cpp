#include "core/wildcard.h"

#include <string>

#include "core/text.h"
#include "core/unicode.h"

namespace sw {
namespace {

std::u32string UpperCodePoints(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    out += ToUpperChar(DecodeUtf8(text, pos).value_or(0xFFFD));
  }
  return out;
}

}  // namespace

bool HasWildcards(std::string_view pattern) {
  return pattern.find_first_of("*?") != std::string_view::npos;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") {
    pattern = "*";
  }
  const std::u32string n = UpperCodePoints(name);
  const std::u32string p = UpperCodePoints(pattern);
  // Greedy matching that returns to the last '*' on a mismatch: linear in practice, never
  // exponential.
  std::size_t ni = 0;
  std::size_t pi = 0;
  std::size_t starP = std::u32string::npos;
  std::size_t starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == U'?' || p[pi] == n[ni])) {
      ++ni, ++pi;
    } else if (pi < p.size() && p[pi] == U'*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::u32string::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') {
    ++pi;
  }
  return pi == p.size();
}

}  // namespace sw
