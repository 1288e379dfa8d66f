#pragma once
// Where Restore may write an entry. An archive is untrusted input: a stored name that would
// leave the target folder ("..", another drive, an alternate data stream, a device name) has
// no target at all.

#include <optional>
#include <string>
#include <string_view>

namespace sw::backup {

// The target path of the stored name `stored`: below `targetDir` (ending in a backslash)
// with the stored folders (`fullPath`) or without them, or the stored path itself when
// `targetDir` is empty. nullopt when the name is not a safe absolute path.
std::optional<std::string> RestoreTargetOf(std::string_view stored, std::string_view targetDir, bool fullPath);

// Whether `name` may be one component of a path we create: not empty, not "." or "..", no
// character Windows reserves, no trailing dot or blank, not a device name (CON, NUL, COM1...).
[[nodiscard]] bool IsSafePathComponent(std::string_view name);

}  // namespace sw::backup
