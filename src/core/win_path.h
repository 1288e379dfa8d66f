#pragma once
// Windows path rules, used by the engines and by both platform implementations: drive
// letters, backslash or slash as separators, names compared without regard to case.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

[[nodiscard]] constexpr bool IsPathSeparator(char c) {
  return c == '\\' || c == '/';
}

// The upper-case drive letter of "X:..." paths.
std::optional<char> DriveLetterOf(std::string_view path);

// "C:\..." (or "C:/..."): a path that names its drive and starts at its root.
[[nodiscard]] bool IsAbsoluteDrivePath(std::string_view path);

// The names between separators, without empty ones; the drive part ("C:") is not included.
std::vector<std::string_view> PathComponents(std::string_view path);

// PathComponents with "." dropped and ".." taking away the name before it (never more
// than there are: ".." at the root stays at the root).
std::vector<std::string_view> ResolvedComponents(std::string_view path);

// The absolute form of a "C:\..." path, with "." and ".." resolved, doubled separators
// dropped and backslashes only; "C:\" for the root. Unlike the system's own clean-up it keeps
// every name as it is: a name ending in a dot or a blank is a different file than the same
// name without them, and the file a walk found must be the file acted on.
std::string ResolvedDrivePath(std::string_view path);

// Whether a name ends in a dot or a blank, which the system's path clean-up strips unless the
// path is given in the "\\?\" form. "." and ".." are not such names.
[[nodiscard]] bool HasTrimmableEnd(std::string_view name);
// Whether any name of `path` has such an end.
[[nodiscard]] bool HasTrimmableName(std::string_view path);

// Appends a backslash unless the path already ends in a separator.
std::string AddTrailingBackslash(std::string_view path);

// `folder` + backslash + `name`, with exactly one backslash between them.
std::string JoinPath(std::string_view folder, std::string_view name);

// The part after the last separator (the whole path when there is none; the drive is dropped).
std::string_view FileNameOf(std::string_view path);

// The part before the last separator, without a trailing backslash except at a drive
// root ("C:\"). Empty when the path has no separator.
std::string_view ParentPathOf(std::string_view path);

// Equal names or paths by the Windows rules: case-insensitive, either separator.
[[nodiscard]] bool PathsEqual(std::string_view a, std::string_view b);

}  // namespace sw
