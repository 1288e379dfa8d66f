#pragma once
// The Disk Cleanup handlers through COM (ole32, the handlers' own DLLs), each object on an
// apartment thread of its own.

#include "platform/disk_cleanup.h"

namespace sw::platform::win32 {

class Win32DiskCleanupHandlers final : public DiskCleanupHandlers {
 public:
  OpenedHandler Open(const RegisteredHandler& handler, std::string_view volume, const HandlerWait& wait) override;
};

}  // namespace sw::platform::win32
