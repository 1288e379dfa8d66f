#include "platform/platform.h"

#include "platform/win32/disk_cleanup_handlers.h"
#include "platform/win32/file_system.h"
#include "platform/win32/http.h"
#include "platform/win32/registry.h"
#include "platform/win32/scheduled_tasks.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "platform/win32/system_figures.h"

namespace sw::platform {

Platform CreateSystemPlatform() {
  Platform platform;
  platform.registry = std::make_unique<win32::Win32Registry>();
  platform.files = std::make_unique<win32::Win32FileSystem>();
  platform.system = std::make_unique<win32::Win32System>();
  platform.processes = std::make_unique<win32::Win32Processes>();
  platform.shell = std::make_unique<win32::Win32Shell>();
  platform.figures = std::make_unique<win32::Win32SystemFigures>();
  platform.http = std::make_unique<win32::Win32Http>();
  platform.tasks = std::make_unique<win32::Win32ScheduledTasks>();
  platform.cleanupHandlers = std::make_unique<win32::Win32DiskCleanupHandlers>();
  platform.folders = DecideProgramFolders(*platform.files, *platform.system);
  return platform;
}

}  // namespace sw::platform
