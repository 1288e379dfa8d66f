#pragma once
// Registry string data as Windows stores it (UTF-16LE code units) and back to UTF-8.

#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace sw::reg {

// The UTF-16LE bytes of `text`, followed by one 16-bit zero when `terminate` is set.
// Zero characters inside `text` are stored as zeros (the separators of a multi-string).
Bytes EncodeRegText(std::string_view text, bool terminate);

// UTF-8 text of UTF-16LE data, every 16-bit unit kept (inner and final zeros included).
// An odd last byte, which no string can hold, is ignored.
std::string DecodeRegText(std::span<const std::uint8_t> data);

// DecodeRegText without the final terminating zero, when there is one.
std::string DecodeRegString(std::span<const std::uint8_t> data);

}  // namespace sw::reg
