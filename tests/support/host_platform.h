#pragma once
// The host stand-ins bundled as the engines receive them: an in-memory registry, drives C:,
// D: and E: fresh folders (C: and E: fixed disks, D: a CD-ROM unless the test says otherwise),
// shortcuts the test points somewhere, a system whose version, rights, code page and program
// folder (C:\Program) the test controls, system figures it may set, and Disk Cleanup handler
// classes it scripts. For engine tests of the native build.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/host/host_file_system.h"
#include "platform/host/host_http.h"
#include "platform/host/host_shell.h"
#include "platform/host/host_system.h"
#include "platform/host/host_system_figures.h"
#include "platform/host/memory_registry.h"
#include "platform/host/memory_scheduled_tasks.h"
#include "platform/host/scripted_disk_cleanup.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace sw::test {

class HostPlatform {
 public:
  explicit HostPlatform(platform::DriveType driveD = platform::DriveType::CdRom);

  platform::Platform& platform() { return platform_; }
  platform::Registry& registry() { return *platform_.registry; }
  platform::FileSystem& files() { return *platform_.files; }
  // The host file system itself, for its test hooks (attributes Linux cannot show).
  platform::host::HostFileSystem& hostFiles() { return static_cast<platform::host::HostFileSystem&>(*platform_.files); }
  platform::host::HostSystem& system() { return *system_; }
  platform::host::HostShell& shell() { return *shell_; }
  platform::host::HostSystemFigures& figures() { return *figures_; }
  platform::host::HostHttp& http() { return *http_; }
  platform::host::MemoryScheduledTasks& tasks() { return *tasks_; }
  platform::host::ScriptedDiskCleanupHandlers& cleanupHandlers() { return *cleanupHandlers_; }
  platform::host::RecordingProcesses& processes() {
    return static_cast<platform::host::RecordingProcesses&>(*platform_.processes);
  }

  // The Linux path of a Windows path on drive C:, D: or E:.
  [[nodiscard]] std::filesystem::path Host(std::string_view windowsPath) const;
  // Creates a file (and its folders) on C: or D:.
  void MakeFile(std::string_view windowsPath, std::string_view contents = "x");
  void MakeFolder(std::string_view windowsPath);

 private:
  TempFolder driveC_;
  TempFolder driveD_;
  TempFolder driveE_;
  platform::host::HostSystem* system_ = nullptr;
  platform::host::HostShell* shell_ = nullptr;
  platform::host::HostSystemFigures* figures_ = nullptr;
  platform::host::HostHttp* http_ = nullptr;
  platform::host::MemoryScheduledTasks* tasks_ = nullptr;
  platform::host::ScriptedDiskCleanupHandlers* cleanupHandlers_ = nullptr;
  platform::Platform platform_;
};

}  // namespace sw::test
