#pragma once
// The shell's services the program uses: shortcut (.lnk) files and opening documents.

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

  // Opens a document, web address or "mailto:" address with the program the user chose for
  // it (the shell's "open" verb); false when nothing could open it.
  virtual bool OpenDocument(std::string_view target) = 0;
};

}  // namespace sw::platform
