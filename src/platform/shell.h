#pragma once
// The shell's objects the program uses: shortcut (.lnk) files.

#include <string>
#include <string_view>

namespace sw::platform {

// What ResolveLink answers for a shortcut it cannot read.
inline constexpr std::string_view kUnresolvedLink = "unable to resolve link";

class Shell {
 public:
  Shell() = default;
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;
  virtual ~Shell() = default;

  // The target path of the shortcut file at `path` (its network form when it has one), or
  // kUnresolvedLink when the file is no shortcut the shell can load.
  virtual std::string ResolveLink(std::string_view path) = 0;
};

}  // namespace sw::platform
