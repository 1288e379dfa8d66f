#pragma once
// File name patterns as Windows matches them: '*' any run of characters, '?' any one
// character, letters without regard to case; "*.*" matches every name, with or without a dot.

#include <string_view>

namespace sw {

[[nodiscard]] bool HasWildcards(std::string_view pattern);
[[nodiscard]] bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace sw
