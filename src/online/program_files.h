#pragma once
// Small state files in the program folder: read as lines, written whole.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sw::online {

// The lines of `path` (8-bit text in the code page, or UTF-8); nullopt when it cannot be read.
std::optional<std::vector<std::string>> ReadTextLines(platform::Platform& platform, std::string_view path);

// Line `index` (from 0) of `path`; nullopt when the file cannot be read or is shorter.
std::optional<std::string> ReadTextLine(platform::Platform& platform, std::string_view path, std::size_t index);

}  // namespace sw::online
