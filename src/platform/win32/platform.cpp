#include "platform/platform.h"

#include "platform/win32/file_system.h"
#include "platform/win32/http.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "platform/win32/system_figures.h"

namespace sw::platform {

Platform CreateSystemPlatform() {
  return Platform{
      std::make_unique<win32::Win32Registry>(),
      std::make_unique<win32::Win32FileSystem>(),
      std::make_unique<win32::Win32System>(),
      std::make_unique<win32::Win32Processes>(),
      std::make_unique<win32::Win32Shell>(),
      std::make_unique<win32::Win32SystemFigures>(),
      std::make_unique<win32::Win32Http>(),
  };
}

}  // namespace sw::platform
