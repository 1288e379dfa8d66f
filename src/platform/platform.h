#pragma once
// The operating-system services of one build, created together at program start and
// handed to the engines by reference.

#include <memory>

#include "platform/disk_cleanup.h"
#include "platform/file_system.h"
#include "platform/http.h"
#include "platform/processes.h"
#include "platform/program_folders.h"
#include "platform/registry.h"
#include "platform/scheduled_tasks.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/system_figures.h"
#include "platform/system_profile.h"

namespace sw::platform {

struct Platform {
  std::unique_ptr<Registry> registry;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<System> system;
  std::unique_ptr<Processes> processes;
  std::unique_ptr<Shell> shell;
  std::unique_ptr<SystemFigures> figures;
  std::unique_ptr<Http> http;
  std::unique_ptr<ScheduledTasks> tasks;
  // The system's own Disk Cleanup handlers; none where a test gives none.
  std::unique_ptr<DiskCleanupHandlers> cleanupHandlers;
  // Decided once at start (DecideProgramFolders); tests set it to folders of their own.
  ProgramFolders folders;
};

// The running system as the engines act on it (generation, build, rights).
[[nodiscard]] inline SystemProfile Describe(Platform& platform) {
  return DescribeSystem(*platform.system, *platform.registry);
}

// The real services of this build: Win32 on Windows; on Linux, the host stand-ins, with
// drive C: mapped to the folder named by SWEEPWISE_HOST_DRIVE_C (no drive at all without it,
// so that nothing reaches the host's own files by accident). The folders are decided here.
Platform CreateSystemPlatform();

}  // namespace sw::platform
