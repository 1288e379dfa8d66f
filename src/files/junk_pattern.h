#pragma once
// The name patterns of the junk-file search: a name matches a suffix pattern when the
// pattern's FIRST occurrence ends the name (so "a.tmp.tmp" is no ".tmp" file), and a
// contains pattern when it occurs anywhere; letter case never matters.

#include <string>
#include <string_view>

namespace sw::files {

enum class MatchMode { Suffix, Contains };

struct JunkPattern {
  std::string_view pattern;  // upper case
  MatchMode mode = MatchMode::Suffix;
};

[[nodiscard]] bool MatchesJunkPattern(std::string_view name, const JunkPattern& pattern);

}  // namespace sw::files
