#pragma once
// Shortcuts through the shell's link object (IShellLinkW with IPersistFile); documents
// through ShellExecuteW.

#include "platform/shell.h"

namespace sw::platform::win32 {

class Win32Shell final : public Shell {
 public:
  std::string ResolveLink(std::string_view path) override;
  bool OpenDocument(std::string_view target) override;
};

}  // namespace sw::platform::win32
