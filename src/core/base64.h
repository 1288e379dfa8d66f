#pragma once
// Base64 (the standard alphabet with "=" padding), as `openssl base64 -A` writes it.

#include <optional>
#include <string_view>

#include "core/bytes.h"

namespace sw {

// The bytes of `text`; nullopt for any character outside the alphabet (blanks included), a
// length that is not a multiple of four, or misplaced padding.
std::optional<Bytes> DecodeBase64(std::string_view text);

}  // namespace sw
