#pragma once
// Folder listing with FindFirstFileExW.

#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace sw::platform::win32 {

Result<std::unique_ptr<FolderReader>> OpenFolderReader(std::string_view folder);

}  // namespace sw::platform::win32
