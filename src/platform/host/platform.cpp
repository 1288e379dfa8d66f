#include "platform/platform.h"

#include <cstdlib>

#include "platform/host/host_file_system.h"
#include "platform/host/host_http.h"
#include "platform/host/host_shell.h"
#include "platform/host/host_system.h"
#include "platform/host/host_system_figures.h"
#include "platform/host/memory_registry.h"

namespace sw::platform {

Platform CreateSystemPlatform() {
  std::vector<host::DriveMapping> drives;
  if (const char* driveC = std::getenv("SWEEPWISE_HOST_DRIVE_C"); driveC != nullptr && *driveC != '\0') {
    drives.push_back(host::DriveMapping{'C', driveC, DriveType::Fixed});
  }
  return Platform{
      std::make_unique<host::MemoryRegistry>(),
      std::make_unique<host::HostFileSystem>(drives),
      std::make_unique<host::HostSystem>(),
      std::make_unique<host::RecordingProcesses>(),
      std::make_unique<host::HostShell>(),
      std::make_unique<host::HostSystemFigures>(std::move(drives)),
      std::make_unique<host::HostHttp>(),
  };
}

}  // namespace sw::platform
