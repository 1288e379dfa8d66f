#pragma once
// Version numbers as the version files hold them ("3.5", "3.51", "10.0").

#include <string_view>

namespace sw::online {

// Negative, zero or positive as `a` is older than, the same as, or newer than `b`. The texts
// are compared number by number between the dots ("10.0" is newer than "9.0", "3.51" newer
// than "3.5", "3.5" the same as "3.5.0"); blanks around them do not count, a missing or
// empty number is 0, and letters after a number's digits ("5b") are compared as text after
// the digits.
int CompareVersions(std::string_view a, std::string_view b);

}  // namespace sw::online
