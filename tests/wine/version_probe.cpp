// Helper program of the Wine tests: writes "<WindowsVersionName>|<WindowsVersionCode>" of the
// version this process is shown into the file named by its argument. Wine's per-program
// settings let a test give this program, and only it, another Windows version.

#include <string>

#include "platform/win32/file_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "registry/windows_version.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    return 2;
  }
  sw::platform::win32::Win32System system;
  sw::platform::win32::Win32Registry registry;
  sw::platform::win32::Win32FileSystem files;
  const auto version = system.Version();
  const std::string line =
      sw::reg::WindowsVersionName(version, registry) + "|" + std::to_string(sw::reg::WindowsVersionCode(version));
  return files.ReplaceWholeText(sw::platform::win32::FromWide(argv[1]), line) ? 0 : 1;
}
