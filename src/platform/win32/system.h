#pragma once
// Version record and administrator test through kernel32 and advapi32; program starts.

#include "platform/processes.h"
#include "platform/system.h"

namespace sw::platform::win32 {

class Win32System final : public System {
 public:
  VersionRecord Version() override;
  bool IsAdmin() override;
};

class Win32Processes final : public Processes {
 public:
  bool ExecuteProgram(std::string_view commandLine, bool hidden, bool wait) override;
};

}  // namespace sw::platform::win32
