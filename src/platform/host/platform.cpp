#include "platform/platform.h"

#include <cstdlib>

#include "platform/host/host_file_system.h"
#include "platform/host/host_http.h"
#include "platform/host/host_shell.h"
#include "platform/host/host_system.h"
#include "platform/host/host_system_figures.h"
#include "platform/host/memory_registry.h"
#include "platform/host/memory_scheduled_tasks.h"
#include "platform/host/scripted_disk_cleanup.h"

namespace sw::platform {

Platform CreateSystemPlatform() {
  std::vector<host::DriveMapping> drives;
  if (const char* driveC = std::getenv("SWEEPWISE_HOST_DRIVE_C"); driveC != nullptr && *driveC != '\0') {
    drives.push_back(host::DriveMapping{'C', driveC, DriveType::Fixed});
  }
  Platform platform;
  platform.registry = std::make_unique<host::MemoryRegistry>();
  platform.files = std::make_unique<host::HostFileSystem>(drives);
  platform.system = std::make_unique<host::HostSystem>();
  platform.processes = std::make_unique<host::RecordingProcesses>();
  platform.shell = std::make_unique<host::HostShell>();
  platform.figures = std::make_unique<host::HostSystemFigures>(std::move(drives));
  platform.http = std::make_unique<host::HostHttp>();
  platform.tasks = std::make_unique<host::MemoryScheduledTasks>();
  platform.cleanupHandlers = std::make_unique<host::ScriptedDiskCleanupHandlers>();
  platform.folders = DecideProgramFolders(*platform.files, *platform.system);
  return platform;
}

}  // namespace sw::platform
