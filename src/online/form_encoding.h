#pragma once
// Form bodies (application/x-www-form-urlencoded).

#include <string>
#include <string_view>

namespace sw::online {

// Every byte but letters, digits and "-._~" as "%XX" (UTF-8 bytes, upper-case hex), so that
// no "&", "=" or "+" in a value can change the form's fields.
std::string UrlEncode(std::string_view text);

}  // namespace sw::online
