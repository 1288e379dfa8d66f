#include "support/host_platform.h"

namespace sw::test {

using platform::DriveType;

HostPlatform::HostPlatform(DriveType driveD) {
  auto system = std::make_unique<platform::host::HostSystem>();
  system_ = system.get();
  system_->SetProgramFolder("C:\\Program");
  std::filesystem::create_directories(driveC_.path() / "Program");
  platform_.registry = std::make_unique<platform::host::MemoryRegistry>();
  const std::vector<platform::host::DriveMapping> drives{
      {'C', driveC_.path(), DriveType::Fixed}, {'D', driveD_.path(), driveD}, {'E', driveE_.path(), DriveType::Fixed}};
  platform_.files = std::make_unique<platform::host::HostFileSystem>(drives);
  platform_.system = std::move(system);
  platform_.processes = std::make_unique<platform::host::RecordingProcesses>();
  auto shell = std::make_unique<platform::host::HostShell>();
  shell_ = shell.get();
  platform_.shell = std::move(shell);
  auto figures = std::make_unique<platform::host::HostSystemFigures>(drives);
  figures_ = figures.get();
  platform_.figures = std::move(figures);
  auto http = std::make_unique<platform::host::HostHttp>();
  http_ = http.get();
  platform_.http = std::move(http);
  auto tasks = std::make_unique<platform::host::MemoryScheduledTasks>();
  tasks_ = tasks.get();
  platform_.tasks = std::move(tasks);
  auto cleanupHandlers = std::make_unique<platform::host::ScriptedDiskCleanupHandlers>();
  cleanupHandlers_ = cleanupHandlers.get();
  platform_.cleanupHandlers = std::move(cleanupHandlers);
  platform_.folders = platform::PortableFolders("C:\\Program");
}

std::filesystem::path HostPlatform::Host(std::string_view windowsPath) const {
  const char letter = windowsPath.empty() ? 'C' : static_cast<char>(windowsPath[0] & ~0x20);
  const auto& drive = letter == 'D' ? driveD_ : letter == 'E' ? driveE_ : driveC_;
  std::string relative(windowsPath.substr(std::min<std::size_t>(3, windowsPath.size())));
  for (char& c : relative) {
    c = c == '\\' ? '/' : c;
  }
  return drive.path() / PathOfUtf8(relative);
}

void HostPlatform::MakeFile(std::string_view windowsPath, std::string_view contents) {
  std::filesystem::create_directories(Host(windowsPath).parent_path());
  WriteFileBytes(Host(windowsPath), contents);
}

void HostPlatform::MakeFolder(std::string_view windowsPath) {
  std::filesystem::create_directories(Host(windowsPath));
}

}  // namespace sw::test
